#include "files/AtomicSave.h"

#include "files/FileAttributes.h"
#include "files/TemporaryCopy.h"
#include "files/WorkbookHold.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The rename is on disk only once the folder is: a file system that cannot
// sync a folder keeps it another way.
bool syncFolder(const QString &folder, QString *why)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && (::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP);
    if (!synced)
        *why = QStringLiteral("replaced, but the folder could not be synced: ") +
               qt_error_string(errno);
    if (fd >= 0)
        ::close(fd);
    return synced;
}

} // namespace

bool AtomicSave::mayWrite(const QString &path)
{
    const QFileInfo info(path);
    const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.isWritable() && (info.permissions() & write);
}

bool AtomicSave::write(const QByteArray &bytes, QString *why)
{
    return write([&bytes](QIODevice *out, QString *) { return out->write(bytes) == bytes.size(); },
                 why);
}

bool AtomicSave::write(const Writer &writer, QString *why)
{
    m_replaced = false;
    const QString target = m_hold->target();
    if (target.isEmpty() || !QFileInfo::exists(target)) {
        *why = QStringLiteral("file gone");
        return false;
    }
    if (!mayWrite(target)) {
        *why = QStringLiteral("file is read-only");
        return false;
    }
    if (!mayWrite(QFileInfo(target).absolutePath())) {
        *why = QStringLiteral("folder is read-only");
        return false;
    }
    if (!m_hold->isUndisturbed(why))
        return false;
    TemporaryCopy copy(target);
    if (!copy.create(why))
        return false;
    QString error;
    const bool written = writer(&copy, &error);
    // The device's own account comes first: a writer may not have looked.
    if (!copy.drain(why))
        return false;
    if (!written) {
        *why = error;
        return false;
    }
    if (!FileAttributes::copy(m_hold->descriptor(), copy.descriptor(), why) || !copy.sync(why))
        return false;
    // Held before it is in place, so that nobody finds it free.
    WorkbookHold::lock(copy.descriptor(), true);
    // Another program may have changed or taken the file while this one
    // was being made.
    if (!m_hold->isUndisturbed(why) || !copy.replace(target, why))
        return false;
    m_replaced = true;
    m_hold->adopt(copy.takeDescriptor());
    return syncFolder(QFileInfo(target).absolutePath(), why);
}
