#include "model/ProcessMemory.h"

#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Used when the machine does not say how much memory it has.
constexpr qint64 FallbackBytes = qint64(4) << 30;
// An unlimited v1 group writes the largest page-aligned 64-bit value.
constexpr qint64 NoRealLimit = qint64(1) << 60;

// A group's limit: a number, or "max" and anything unreadable as -1.
qint64 limitIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const qint64 limit = file.read(64).trimmed().toLongLong(&ok);
    return ok && limit > 0 && limit < NoRealLimit ? limit : -1;
}

qint64 smaller(qint64 a, qint64 b)
{
    return b > 0 && (a <= 0 || b < a) ? b : a;
}

qint64 measure()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    qint64 bytes = pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : FallbackBytes;
    rlimit space{};
    if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY &&
        space.rlim_cur < rlim_t(NoRealLimit))
        bytes = smaller(bytes, qint64(space.rlim_cur));
    return smaller(bytes, ProcessMemory::cgroupLimit());
}

} // namespace

qint64 ProcessMemory::bytes()
{
    static const qint64 figure = measure();
    return figure;
}

qint64 ProcessMemory::cgroupLimit(const QString &root)
{
    QFile groups(QDir(root).filePath(QStringLiteral("proc/self/cgroup")));
    if (!groups.open(QIODevice::ReadOnly))
        return -1;
    // Lines "id:controllers:path": v1 names the memory controller; v2 has
    // one line "0::path" for every controller. v1 counts when it has it.
    QString hierarchy, group, file;
    for (const QByteArray &line : groups.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() < 3)
            continue;
        const QString path = QString::fromUtf8(line.mid(fields[0].size() + fields[1].size() + 2));
        if (fields[1].split(',').contains("memory")) {
            hierarchy = QStringLiteral("sys/fs/cgroup/memory");
            group = path;
            file = QStringLiteral("memory.limit_in_bytes");
            break;
        }
        if (fields[0] == "0" && fields[1].isEmpty()) {
            hierarchy = QStringLiteral("sys/fs/cgroup");
            group = path;
            file = QStringLiteral("memory.max");
        }
    }
    if (hierarchy.isEmpty())
        return -1;
    // Inside a container the path may name groups of the host that are not
    // mounted there (or ".." for a group outside this namespace): those
    // have no file, and the top of what is mounted still counts.
    QStringList parts = group.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.contains(QStringLiteral("..")))
        parts.clear();
    QString dir = QDir(root).filePath(hierarchy);
    qint64 smallest = limitIn(dir + QLatin1Char('/') + file);
    for (const QString &part : qAsConst(parts)) {
        dir += QLatin1Char('/') + part;
        smallest = smaller(smallest, limitIn(dir + QLatin1Char('/') + file));
    }
    return smallest;
}
