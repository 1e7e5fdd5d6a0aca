#ifndef WORKBOOKCOST_H
#define WORKBOOKCOST_H

#include <QString>
#include <QtGlobal>

// What a job is expected to hold while it rewrites one workbook, told from
// the few bytes of the file that describe its content: a zip package's
// central directory, an .xls file's compound-file directory. Nothing is
// inflated, and a large file is not read.
class WorkbookCost
{
public:
    enum class Kind { Package, Xls, Text };

    // What a workbook's price is measured by: the inflated size of a
    // package's parts, the size of an .xls file's Workbook stream, or the
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
