#ifndef WORKBOOKCOST_H
#define WORKBOOKCOST_H

#include "server/SpreadsheetServer.h"

#include <QString>
#include <QtGlobal>

// What a job is expected to hold while it rewrites one workbook: what the
// server says opening the file would unpack, priced by what the plug-in has
// measured its jobs to hold per byte of it.
class WorkbookCost
{
public:
    using Kind = WorkbookMeasure::Format;

    // What a workbook's price is measured by: the inflated size of a
    // package's parts, the size of an .xls file's workbook stream, or the
    // bytes of anything else (delimited text, and files that are not what
    // their first bytes claim, which the server reads whole before it
    // refuses them).
    struct Content
    {
        Kind kind = Kind::Text;
        qint64 bytes = 0;
    };

    static Content contentOf(const QString &path);
    // Nothing for a file that is not there.
    static qint64 of(const QString &path);
};

#endif // WORKBOOKCOST_H
