#ifndef WORKBOOKMEASURE_H
#define WORKBOOKMEASURE_H

#include <QString>
#include <QtGlobal>

// What opening a file would unpack, told from the few bytes of it that
// describe its content: a package's central directory, an .xls file's
// compound-file directory. Nothing is inflated, and a large file is not read.
struct WorkbookMeasure
{
    enum class Format { Package, Xls, Text };

    // The inflated size of a package's parts, the size of an .xls file's
    // workbook stream, or the bytes of anything else (delimited text, and
    // files that are not what their first bytes claim, which the server
    // reads whole before it refuses them). Nothing for a missing file.
    static WorkbookMeasure of(const QString &path);

    Format format = Format::Text;
    qint64 unpackedBytes = 0;
};

#endif // WORKBOOKMEASURE_H
