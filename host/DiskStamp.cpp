#include "DiskStamp.h"

#include <QFile>

#include <sys/stat.h>

DiskStamp DiskStamp::of(const QString &path)
{
    DiskStamp stamp;
    struct stat status = {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return stamp;
    stamp.m_exists = true;
    stamp.m_size = status.st_size;
    stamp.m_modifiedSeconds = status.st_mtim.tv_sec;
    stamp.m_modifiedNanoseconds = status.st_mtim.tv_nsec;
    stamp.m_device = status.st_dev;
    stamp.m_inode = status.st_ino;
    return stamp;
}

bool DiskStamp::operator==(const DiskStamp &other) const
{
    return m_exists == other.m_exists && m_size == other.m_size &&
           m_modifiedSeconds == other.m_modifiedSeconds &&
           m_modifiedNanoseconds == other.m_modifiedNanoseconds && m_device == other.m_device &&
           m_inode == other.m_inode;
}
