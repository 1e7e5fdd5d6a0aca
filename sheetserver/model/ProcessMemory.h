#ifndef PROCESSMEMORY_H
#define PROCESSMEMORY_H

#include <QtGlobal>

// How much memory this process may take, as the server reads it for itself:
// the machine's physical memory, or less where the process's address space
// is limited or its memory control group (a container, a service's slice)
// is, as the system then still reports the host's memory. Read once.
class ProcessMemory
{
public:
    static qint64 bytes();
};

#endif // PROCESSMEMORY_H
