#ifndef DISKSTAMP_H
#define DISKSTAMP_H

#include <QString>

// What a file on disk looked like at one moment: enough to tell that
// something else wrote it since, also when the writer kept its size and
// its time stamp's second, or replaced the file by renaming another over it.
class DiskStamp
{
public:
    // An absent or unreadable file gives a stamp that exists() denies.
    static DiskStamp of(const QString &path);

    bool exists() const { return m_exists; }
    bool operator==(const DiskStamp &other) const;
    bool operator!=(const DiskStamp &other) const { return !(*this == other); }

private:
    bool m_exists = false;
    qint64 m_size = 0;
    qint64 m_modifiedSeconds = 0;
    qint64 m_modifiedNanoseconds = 0;
    quint64 m_device = 0;
    quint64 m_inode = 0;
};

#endif // DISKSTAMP_H
