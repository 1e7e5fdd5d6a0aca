#ifndef WORKBOOKWRITER_H
#define WORKBOOKWRITER_H

#include "xlsx/SheetLayout.h"
#include "xlsx/StringItemCut.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

class SheetModel;
class WorkbookDocument;
struct PackageLayout;

// Writes a workbook package with its changes. Only the parts that changed
// are written anew (the changed worksheets, and the calculation chain when
// formulas were removed); every other entry is copied as stored, compressed
// bytes and all, in the original order.
class WorkbookWriter
{
public:
    // What the document becomes once the bytes are safely on disk.
    struct Written
    {
        QHash<SheetModel *, SheetLayout> layouts;
        bool chainRemoved = false;
        // Where the shared strings written can be cut at the next save;
        // stringsWritten: whether they were written at all.
        bool stringsWritten = false;
        QVector<StringItemCut> stringsCuts;
    };

    static bool write(WorkbookDocument *document, const PackageLayout &layout, QByteArray *out,
                      Written *written, QString *why);
};

#endif // WORKBOOKWRITER_H
