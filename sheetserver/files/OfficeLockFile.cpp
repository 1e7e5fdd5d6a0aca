#include "files/OfficeLockFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int FieldCount = 5;
constexpr qint64 MostRead = 64 * 1024; // an entry is a line; more is not one

QByteArray readEntryFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // Neither a link nor a pipe someone left there may hold the read up.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return QByteArray();
    QByteArray bytes(MostRead, Qt::Uninitialized);
    qint64 got = 0;
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
    }
    ::close(fd);
    bytes.truncate(int(got));
    return bytes;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QString escaped(const QString &field)
{
    QString out;
    out.reserve(field.size());
    for (const QChar c : field) {
        if (c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

bool sameHost(const QString &a, const QString &b)
{
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

QString holderOf(const OfficeLockFile::Entry &entry)
{
    const QString who = entry.name.isEmpty() ? entry.user : entry.name;
    return QStringLiteral("%1 on %2 since %3").arg(who, entry.host, entry.time);
}

} // namespace

QString OfficeLockFile::pathFor(const QString &workbook)
{
    const QFileInfo info(workbook);
    return QDir(info.absolutePath())
        .filePath(QStringLiteral(".~lock.") + info.fileName() + QLatin1Char('#'));
}

QByteArray OfficeLockFile::format(const Entry &entry)
{
    const QString line = escaped(entry.name) + QLatin1Char(',') + escaped(entry.user) +
                         QLatin1Char(',') + escaped(entry.host) + QLatin1Char(',') +
                         escaped(entry.time) + QLatin1Char(',') + escaped(entry.url) +
                         QLatin1Char(';');
    return line.toUtf8();
}

bool OfficeLockFile::parse(const QByteArray &bytes, Entry *entry)
{
    const QString text = QString::fromUtf8(bytes);
    QString fields[FieldCount];
    int field = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            fields[field] += text.at(++i);
        } else if (c == QLatin1Char(field + 1 < FieldCount ? ',' : ';')) {
            if (++field == FieldCount) {
                *entry = Entry{fields[0], fields[1], fields[2], fields[3], fields[4]};
                return true;
            }
        } else {
            fields[field] += c;
        }
    }
    return false;
}

QString OfficeLockFile::hostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return QString();
    return QString::fromLocal8Bit(name);
}

OfficeLockFile::Entry OfficeLockFile::ours()
{
    Entry entry;
    entry.name = QStringLiteral("Quorvane");
    // Jobs open workbooks on several threads at once: getpwuid's static
    // record would be shared.
    passwd record{};
    struct passwd *account = nullptr;
    char strings[4096];
    ::getpwuid_r(::geteuid(), &record, strings, sizeof strings, &account);
    entry.user = account ? QString::fromLocal8Bit(account->pw_name) : qEnvironmentVariable("USER");
    entry.host = hostName();
    entry.time = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    entry.url = QUrl::fromLocalFile(QDir::homePath()).toString();
    return entry;
}

OfficeLockFile::Outcome OfficeLockFile::take(const QString &workbook, bool nobodyElseHolds,
                                             bool mayWrite, QString *why)
{
    remove();
    m_path = pathFor(workbook);
    const QByteArray name = QFile::encodeName(m_path);
    const QByteArray mine = format(ours());
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = mayWrite ? ::open(name.constData(),
                                         O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644)
                                : -1;
        if (fd >= 0) {
            const bool written = writeAll(fd, mine);
            if (::close(fd) != 0 || !written) {
                ::unlink(name.constData());
                return Outcome::Unwritable;
            }
            m_written = mine;
            return Outcome::Taken;
        }
        if (mayWrite && errno != EEXIST)
            return Outcome::Unwritable;
        if (!mayWrite && !QFileInfo(m_path).isSymLink() && !QFileInfo::exists(m_path))
            return Outcome::Unwritable;
        Entry entry;
        const bool readable = parse(readEntryFile(m_path), &entry);
        const bool leftByCrash = nobodyElseHolds && (!readable || sameHost(entry.host, hostName()));
        if (!leftByCrash) {
            *why = readable ? QStringLiteral("held by ") + holderOf(entry)
                            : QStringLiteral("held by another program");
            return Outcome::Held;
        }
        if (!mayWrite)
            return Outcome::Unwritable; // left where it is, in a folder marked read-only
        if (::unlink(name.constData()) != 0 && errno != ENOENT) {
            *why = QStringLiteral("a lock file left behind cannot be removed");
            return Outcome::Held;
        }
    }
    *why = QStringLiteral("held by another program");
    return Outcome::Held;
}

bool OfficeLockFile::isUndisturbed(QString *why) const
{
    const QByteArray found = readEntryFile(m_path);
    const bool present = QFileInfo(m_path).isSymLink() || QFileInfo::exists(m_path);
    if (m_written.isEmpty() ? !present : found == m_written)
        return true;
    Entry entry;
    *why = parse(found, &entry) ? QStringLiteral("taken meanwhile by ") + holderOf(entry)
                                : QStringLiteral("its lock file was changed or removed");
    return false;
}

void OfficeLockFile::remove()
{
    if (m_written.isEmpty())
        return;
    if (readEntryFile(m_path) == m_written)
        ::unlink(QFile::encodeName(m_path).constData());
    m_written.clear();
}
