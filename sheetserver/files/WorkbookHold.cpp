#include "files/WorkbookHold.h"

#include "files/AtomicSave.h"
#include "files/TemporaryCopy.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(const char *what)
{
    return QString::fromLatin1(what) + QStringLiteral(": ") + qt_error_string(errno);
}

} // namespace

bool WorkbookHold::Identity::operator==(const Identity &other) const
{
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
}

WorkbookHold::Identity WorkbookHold::Identity::of(const struct stat &info)
{
    Identity identity;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    identity.size = info.st_size;
    identity.modified = info.st_mtim;
    identity.changed = info.st_ctim;
    return identity;
}

WorkbookHold::Lock WorkbookHold::lock(int fd, bool forWriting)
{
    struct flock range = {};
    range.l_type = forWriting ? F_WRLCK : F_RDLCK;
    range.l_whence = SEEK_SET; // from 0 to the end, however long the file grows
    if (::fcntl(fd, F_OFD_SETLK, &range) == 0)
        return Lock::Taken;
    return errno == EAGAIN || errno == EACCES ? Lock::Held : Lock::Unsupported;
}

bool WorkbookHold::take(const QString &path, QString *why)
{
    release();
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty() || !QFileInfo(target).isFile()) {
        *why = QStringLiteral("no such file");
        return false;
    }
    const QByteArray name = QFile::encodeName(target);
    // A write lock needs a descriptor open for writing; one who may only
    // read the file cannot save it either, and a read lock does then.
    bool writable = true;
    int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM || errno == ETXTBSY)) {
        writable = false;
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    }
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        *why = fd < 0 ? systemError("cannot open") : QStringLiteral("not a plain file");
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    const Lock locked = lock(fd, writable);
    if (locked == Lock::Held) {
        ::close(fd);
        *why = QStringLiteral("held by another program");
        return false;
    }
    const bool folderWritable = AtomicSave::mayWrite(QFileInfo(target).absolutePath());
    if (m_lockFile.take(target, locked == Lock::Taken, folderWritable, why) ==
        OfficeLockFile::Outcome::Held) {
        ::close(fd);
        return false;
    }
    m_target = target;
    m_fd = fd;
    m_seen = Identity::of(info);
    TemporaryCopy::removeStale(target);
    return true;
}

bool WorkbookHold::read(QByteArray *bytes, QString *why) const
{
    bytes->resize(int(m_seen.size));
    qint64 done = 0;
    while (done < bytes->size()) {
        const ssize_t n = ::pread(m_fd, bytes->data() + done, size_t(bytes->size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *why = n < 0 ? systemError("cannot read")
                         : QStringLiteral("the file shrank as it was read");
            return false;
        }
        done += n;
    }
    char more = 0;
    if (::pread(m_fd, &more, 1, done) != 0) {
        *why = QStringLiteral("the file grew as it was read");
        return false;
    }
    return true;
}

void WorkbookHold::release()
{
    m_lockFile.remove();
    if (m_fd >= 0)
        ::close(m_fd); // and with it the lock
    m_fd = -1;
    m_target.clear();
    m_seen = Identity();
}

bool WorkbookHold::isUndisturbed(QString *why) const
{
    struct stat info = {};
    if (m_fd < 0 || ::stat(QFile::encodeName(m_target).constData(), &info) != 0) {
        *why = QStringLiteral("file gone");
        return false;
    }
    if (!(Identity::of(info) == m_seen)) {
        *why = QStringLiteral("the file was changed or replaced since it was opened");
        return false;
    }
    return m_lockFile.isUndisturbed(why);
}

void WorkbookHold::adopt(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    struct stat info = {};
    if (::fstat(fd, &info) == 0)
        m_seen = Identity::of(info);
}
