#ifndef ZIPPACKAGE_H
#define ZIPPACKAGE_H

#include <QByteArray>
#include <QString>
#include <QVector>
#include <memory>
#include <quazip/quazip.h>
#include <quazip/quazipfileinfo.h>
#include <quazip/unzip.h>

class QBuffer;

// A zip container read from memory. The whole file is read once and the
// file closed; entries are inflated on demand, with limits that keep a
// hostile file from exhausting memory: no entry may inflate beyond 1 GiB,
// nor, above 1 MiB, beyond 1000 times its compressed size.
class ZipPackage
{
public:
    static constexpr qint64 MaxEntrySize = qint64(1) << 30;
    static constexpr qint64 MaxRatio = 1000;
    static constexpr qint64 RatioFloor = qint64(1) << 20;

    struct Entry
    {
        QString name;
        QuaZipFileInfo64 info;
        unz64_file_pos position{};
    };

    ZipPackage();
    ~ZipPackage();
    ZipPackage(const ZipPackage &) = delete;
    ZipPackage &operator=(const ZipPackage &) = delete;

    static bool looksLikeZip(const QByteArray &bytes);

    // False for anything that is not a readable zip: no central directory,
    // encrypted or duplicate entries, sizes beyond the limits.
    bool load(const QByteArray &bytes, QString *why);
    const QVector<Entry> &entries() const { return m_entries; }
    // Exact name first, then without regard to case (part names are not
    // case-sensitive); -1 when missing.
    int indexOf(const QString &name) const;

    bool inflate(int index, QByteArray *data, QString *why) const;
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

    QByteArray m_bytes;
    std::unique_ptr<QBuffer> m_buffer;
    std::unique_ptr<QuaZip> m_zip;
    QVector<Entry> m_entries;
};

#endif // ZIPPACKAGE_H
