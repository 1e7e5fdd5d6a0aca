#ifndef WORKBOOKFORMATS_H
#define WORKBOOKFORMATS_H

#include "files/WorkbookFormat.h"

#include <memory>

// The formats the server opens, one detector each: a container is told by
// its first bytes whatever its name, delimited text by the name's suffix.
// The first detector that knows a file gives it its handler.
class WorkbookFormats
{
public:
    // How many first bytes the detectors look at: a compound file's header.
    static constexpr int SignatureBytes = 512;

    // A new handler for the file starting with `start` (SignatureBytes of
    // it or more) at `path`; null when no detector knows it.
    static std::unique_ptr<WorkbookFormat> handlerFor(const QByteArray &start, const QString &path);
    // Whether a detector knows the file from its first bytes alone.
    static bool knowsFromContent(const QByteArray &start);
};

#endif // WORKBOOKFORMATS_H
