#ifndef COMPOUNDFILE_H
#define COMPOUNDFILE_H

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QVector>

// An OLE2 compound file (the container of Excel 97-2003 workbooks) read from
// memory: its storages and streams, each stream read whole on demand.
//
// Writing changes one stream in place: the rest of the file, every other
// stream, storage, directory entry and unused sector included, stays byte
// for byte where it was. The stream keeps the sectors it had, in order;
// sectors it no longer needs are zeroed and freed, and more are taken from
// the free ones or added at the end (with the allocation table, and its
// index, growing as needed). Both sector sizes (512 and 4096 bytes) are
// kept as they are.
//
// Anything damaged or hostile is refused rather than followed: sector
// chains that loop, leave the file or are shorter than their stream,
// directory trees that loop, tables that point outside the file.
class CompoundFile
{
public:
    static constexpr qint64 MaxStreamSize = qint64(1) << 30;

    enum Type : quint8 { Empty = 0, Storage = 1, Stream = 2, Root = 5 };

    struct Entry
    {
        QString name;
        Type type = Empty;
        int parent = -1; // -1 for the root and for entries outside the tree
        quint32 start = 0;
        quint64 size = 0;
    };

    static bool looksLikeCompoundFile(const QByteArray &bytes);

    bool load(const QByteArray &bytes, QString *why);
    const QVector<Entry> &entries() const { return m_entries; }
    // The entry named so (without regard to case, as the format compares
    // names) directly inside the storage `parent` (0: the root); -1 when
    // there is none.
    int child(int parent, const QString &name) const;
    // Every entry in the tree, storages before what they hold, as
    // "Storage/Stream" paths.
    QString path(int entry) const;

    bool readStream(int entry, QByteArray *data, QString *why) const;
    // Reads a stream the caller keeps, and lets go of its sectors' bytes in
    // the file: a workbook held once, not twice. The stream can then only
    // be replaced, and no other stream can be.
    bool takeStream(int entry, QByteArray *data, QString *why);

    // A stream's content as pieces, one after the other: a part that is
    // already in memory elsewhere (another stream) is written from where it
    // lies rather than copied into one array first.
    using Pieces = QVector<QByteArray>;

    // The whole file with the stream's content replaced. The content must
    // be at least the cutoff below which streams live in the mini stream
    // (4096 bytes); a stream that lived there moves out of it.
    bool replaceStream(int entry, const QByteArray &content, QByteArray *file, QString *why) const;
    // The same written to `device` as it is made, so that the new file is
    // never held whole in memory.
    bool replaceStream(int entry, const QByteArray &content, QIODevice *device, QString *why) const;
    bool replaceStream(int entry, const Pieces &content, QIODevice *device, QString *why) const;
    quint32 miniStreamCutoff() const { return m_cutoff; }

private:
    bool fail(QString *why, const QString &reason) const;
    bool readHeader(QString *why);
    bool readFat(QString *why);
    bool readDirectory(QString *why);
    bool linkTree(QString *why);
    bool checkOwners(QString *why) const;
    // The sectors of a chain in `table`, checked against `limit` sectors
    // and against loops; false when the chain is damaged.
    bool chain(const QVector<quint32> &table, quint32 first, quint32 limit,
               QVector<quint32> *sectors) const;
    quint32 sectorCount() const;
    const char *sector(quint32 index) const;

    QByteArray m_bytes;
    // After takeStream: where each sector lies in m_bytes (-1: taken).
    QVector<qint64> m_places;
    int m_taken = -1;
    int m_shift = 9;
    quint32 m_sectorSize = 512;
    quint32 m_cutoff = 4096;
    QVector<quint32> m_fatSectors; // where the allocation table lies
    QVector<quint32> m_difatSectors;
    QVector<quint32> m_fat;
    QVector<quint32> m_miniFat;
    QVector<quint32> m_miniFatSectors;
    QVector<quint32> m_directorySectors;
    QByteArray m_miniStream;
    QVector<quint32> m_miniStreamSectors;
    QVector<Entry> m_entries;
    QVector<qint32> m_left, m_right, m_child;
};

#endif // COMPOUNDFILE_H
