#include "files/FileAttributes.h"

#include <QByteArray>
#include <QList>

#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QString systemError(const QString &what)
{
    return what + QStringLiteral(": ") + qt_error_string(errno);
}

// The names of a file's extended attributes; none where the file system
// keeps none.
bool attributeNames(int fd, QList<QByteArray> *names)
{
    QByteArray list;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        list.resize(int(size));
        const ssize_t got = ::flistxattr(fd, list.data(), size_t(list.size()));
        if (got >= 0) {
            list.truncate(int(got));
            break;
        }
        if (errno != ERANGE) // grown meanwhile: ask again
            return false;
    }
    for (const QByteArray &name : list.split('\0')) {
        if (!name.isEmpty())
            names->append(name);
    }
    return true;
}

bool attributeValue(int fd, const QByteArray &name, QByteArray *value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        value->resize(int(size));
        const ssize_t got = ::fgetxattr(fd, name.constData(), value->data(), size_t(value->size()));
        if (got >= 0) {
            value->truncate(int(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

// Security labels are the system's to give; a file may not get the old
// one's, and needs none of ours.
bool labelledBySystem(const QByteArray &name)
{
    return name.startsWith("security.");
}

} // namespace

bool FileAttributes::copy(int from, int to, QString *why)
{
    struct stat old = {};
    struct stat now = {};
    if (::fstat(from, &old) != 0 || ::fstat(to, &now) != 0) {
        *why = systemError(QStringLiteral("cannot read the file's attributes"));
        return false;
    }
    const uid_t owner = old.st_uid == now.st_uid ? uid_t(-1) : old.st_uid;
    const gid_t group = old.st_gid == now.st_gid ? gid_t(-1) : old.st_gid;
    if ((owner != uid_t(-1) || group != gid_t(-1)) && ::fchown(to, owner, group) != 0) {
        *why = systemError(QStringLiteral("the file's owner and group cannot be kept"));
        return false;
    }
    if (!copyExtended(from, to, why))
        return false;
    // The mode last: a change of owner clears setuid and setgid, and a
    // control list sets the group bits to its mask.
    if (::fchmod(to, old.st_mode & 07777) != 0 || ::fstat(to, &now) != 0) {
        *why = systemError(QStringLiteral("the file's mode cannot be kept"));
        return false;
    }
    if (now.st_uid != old.st_uid || now.st_gid != old.st_gid ||
        (now.st_mode & 07777) != (old.st_mode & 07777)) {
        *why = QStringLiteral("the file's owner, group or mode cannot be kept");
        return false;
    }
    return true;
}

bool FileAttributes::copyExtended(int from, int to, QString *why)
{
    QList<QByteArray> names;
    QList<QByteArray> inherited; // a default control list of the folder gives one
    if (!attributeNames(from, &names) || !attributeNames(to, &inherited)) {
        *why = systemError(QStringLiteral("cannot list the file's extended attributes"));
        return false;
    }
    for (const QByteArray &name : qAsConst(names)) {
        QByteArray value;
        if (!attributeValue(from, name, &value)) {
            if (errno == ENODATA) // removed meanwhile
                continue;
            *why = systemError(QStringLiteral("cannot read attribute ") + QString::fromUtf8(name));
            return false;
        }
        if (::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0 &&
            !labelledBySystem(name)) {
            *why = systemError(QStringLiteral("cannot keep attribute ") + QString::fromUtf8(name));
            return false;
        }
    }
    for (const QByteArray &name : qAsConst(inherited)) {
        if (names.contains(name) || labelledBySystem(name))
            continue;
        if (::fremovexattr(to, name.constData()) != 0 && errno != ENODATA) {
            *why = systemError(QStringLiteral("cannot drop attribute ") + QString::fromUtf8(name));
            return false;
        }
    }
    return true;
}
