#ifndef MACHINEMEMORY_H
#define MACHINEMEMORY_H

#include <QString>
#include <QtGlobal>

// How much memory this process may take: the machine's physical memory, or
// less when the control group the process runs in is limited, as in a
// container or a service's slice, where the system still reports the host's
// memory.
class MachineMemory
{
public:
    static qint64 bytes();

    // The smallest memory limit of the process's control group and of the
    // groups above it, read from <root>/proc/self/cgroup and the groups'
    // files under <root>/sys/fs/cgroup (cgroup v1 memory.limit_in_bytes, or
    // v2 memory.max); -1 when none is limited or nothing can be read.
    static qint64 cgroupLimit(const QString &root = QStringLiteral("/"));
};

#endif // MACHINEMEMORY_H
