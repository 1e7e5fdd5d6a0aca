#include "MachineMemory.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {

// Used when the machine does not say how much memory it has.
constexpr qint64 FallbackMachineBytes = qint64(4) << 30;
// cgroup v1 writes an unlimited group's limit as the largest page-aligned
// 64-bit value; nothing real comes near it.
constexpr qint64 NoRealLimit = qint64(1) << 60;

qint64 physicalBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return FallbackMachineBytes;
    return qint64(pages) * pageSize;
}

// The limit written in one group's file: "max", a number, or nothing.
qint64 limitIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const qint64 limit = file.read(64).trimmed().toLongLong(&ok);
    return ok && limit > 0 && limit < NoRealLimit ? limit : -1;
}

} // namespace

qint64 MachineMemory::bytes()
{
    const qint64 physical = physicalBytes();
    const qint64 limit = cgroupLimit();
    return limit > 0 ? qMin(physical, limit) : physical;
}

qint64 MachineMemory::cgroupLimit(const QString &root)
{
    QFile groups(QDir(root).filePath(QStringLiteral("proc/self/cgroup")));
    if (!groups.open(QIODevice::ReadOnly))
        return -1;
    // Lines "id:controllers:path": v1 names the memory controller among its
    // controllers; v2 has one line "0::path" for all of them. A system
    // with both counts memory in v1 when v1 has the controller.
    QString hierarchy;
    QString group;
    QString limitFile;
    for (const QByteArray &line : groups.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() < 3)
            continue;
        const QString path = QString::fromUtf8(line.mid(fields[0].size() + fields[1].size() + 2));
        if (fields[1].split(',').contains("memory")) {
            hierarchy = QStringLiteral("sys/fs/cgroup/memory");
            group = path;
            limitFile = QStringLiteral("memory.limit_in_bytes");
            break;
        }
        if (fields[0] == "0" && fields[1].isEmpty()) {
            hierarchy = QStringLiteral("sys/fs/cgroup");
            group = path;
            limitFile = QStringLiteral("memory.max");
        }
    }
    if (hierarchy.isEmpty())
        return -1;
    // A group is held to the limits of the groups above it as well. Inside a
    // container the path can name groups of the host that are not mounted
    // there: those have no file, and the container's own group is the top.
    QStringList parts = group.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    // A group moved outside this process's namespace shows as "..": only
    // the top of what is mounted here can be read then.
    if (parts.contains(QStringLiteral("..")))
        parts.clear();
    QString dir = QDir(root).filePath(hierarchy);
    qint64 smallest = limitIn(dir + QLatin1Char('/') + limitFile);
    for (const QString &part : qAsConst(parts)) {
        dir += QLatin1Char('/') + part;
        const qint64 limit = limitIn(dir + QLatin1Char('/') + limitFile);
        if (limit > 0 && (smallest < 0 || limit < smallest))
            smallest = limit;
    }
    return smallest;
}
