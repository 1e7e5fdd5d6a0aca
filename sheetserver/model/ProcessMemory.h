#ifndef PROCESSMEMORY_H
#define PROCESSMEMORY_H

#include <QString>
#include <QtGlobal>

// How much memory this process may take, as the server reads it for itself:
// the machine's physical memory, or less where the process's address space
// is limited or its memory control group (a container, a service's slice)
// is, as the system then still reports the host's memory. Read once.
class ProcessMemory
{
public:
    static qint64 bytes();

    // The smallest memory limit of the process's control group and of the
    // groups above it, read from <root>/proc/self/cgroup and the groups'
    // files under <root>/sys/fs/cgroup (cgroup v1 memory.limit_in_bytes, or
    // v2 memory.max); -1 when none is limited or nothing can be read.
    static qint64 cgroupLimit(const QString &root = QStringLiteral("/"));
};

#endif // PROCESSMEMORY_H
