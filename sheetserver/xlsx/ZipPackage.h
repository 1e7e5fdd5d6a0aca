#ifndef ZIPPACKAGE_H
#define ZIPPACKAGE_H

#include <QByteArray>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <quazip/quazip.h>
#include <quazip/quazipfileinfo.h>
#include <quazip/unzip.h>
#include <vector>

class QBuffer;

// A zip container read from memory. The whole file is read once and the
// file closed; entries are inflated on demand, with limits that keep a
// hostile file from exhausting memory or time, all judged from the
// directory before anything is inflated: no entry may inflate beyond 1 GiB,
// nor, above 1 MiB, beyond 1000 times its compressed size; no two entries
// may share stored bytes (one body named ten times inflates ten times);
// and the parts together may inflate only to what the process can hold
// while it reads them (maxTotalSize).
class ZipPackage
{
public:
    static constexpr qint64 MaxEntrySize = qint64(1) << 30;
    static constexpr qint64 MaxRatio = 1000;
    static constexpr qint64 RatioFloor = qint64(1) << 20;

    // Reading a workbook takes about 3.5 times what its parts inflate to,
    // and 6 MiB besides (as the plug-in prices a workbook, measured on real
    // runs): the largest total that fits the memory this process may have
    // (ProcessMemory).
    static qint64 maxTotalSize();

    struct Entry
    {
        QString name;
        QuaZipFileInfo64 info;
        unz64_file_pos position{};
        qint64 dataStart = 0; // of the stored bytes, in the file
    };

    ZipPackage();
    ~ZipPackage();
    ZipPackage(const ZipPackage &) = delete;
    ZipPackage &operator=(const ZipPackage &) = delete;

    static bool looksLikeZip(const QByteArray &bytes);

    // False for anything that is not a readable zip: no central directory,
    // encrypted or duplicate entries, local headers that disagree with it,
    // stored bytes outside the file or shared, sizes beyond the limits.
    bool load(const QByteArray &bytes, QString *why);
    const QVector<Entry> &entries() const { return m_entries; }
    // Exact name first, then without regard to case (part names are not
    // case-sensitive); -1 when missing.
    int indexOf(const QString &name) const;

    // An entry inflated whole, its size and checksum checked. `accept`, when
    // given, sees each inflated piece as it comes and stops a part it does
    // not want before the rest is inflated. Several entries may be inflated
    // at once on different threads.
    using PieceCheck = std::function<bool(const char *data, int size)>;
    bool inflate(int index, QByteArray *data, QString *why, const PieceCheck &accept = {}) const;
    // Inflates every entry not inflated whole so far, keeping nothing, to
    // check its size and checksum: damage in a part that a save would copy
    // is found before any work. Several entries at once, each on a thread.
    bool checkUninflated(QString *why) const;
    // The stored bytes as they are, for copying an entry unchanged.
    bool raw(int index, QByteArray *data, int *method, int *level) const;
    QString comment() const;

    // Reading one entry piece by piece, for entries too large to hold
    // inflated: open, read until 0, close (false when the entry is damaged).
    // Nothing else may be read from the package in between.
    bool openEntry(int index) const;
    int readEntry(char *data, int size) const;
    bool closeEntry() const;

private:
    bool goTo(const Entry &entry) const;
    bool checkPlacement(QString *why);

    QByteArray m_bytes;
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<QuaZip> m_zip;
    QVector<Entry> m_entries;
    // Whole, checksum and all; entries may be inflated on several threads
    // at once, each setting only its own.
    mutable std::vector<char> m_inflated;
};

#endif // ZIPPACKAGE_H
