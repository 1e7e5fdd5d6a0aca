#ifndef WORKBOOKWRITER_H
#define WORKBOOKWRITER_H

#include <QByteArray>
#include <QString>

class WorkbookDocument;

// Writes a workbook package with its changes. Only the parts that changed
// are written anew (the changed worksheets, and the calculation chain when
// formulas were removed); every other entry is copied as stored, compressed
// bytes and all, in the original order.
class WorkbookWriter
{
public:
    static bool write(WorkbookDocument *document, QByteArray *out, QString *why);
};

#endif // WORKBOOKWRITER_H
