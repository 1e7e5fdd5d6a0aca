#ifndef SHEETREADER_H
#define SHEETREADER_H

#include <QByteArray>
#include <QString>

class SheetModel;

// Reads the cells of a worksheet part into a sheet, remembering where each
// row and cell lies in the part. Refuses (false, with the reason) malformed
// XML, parts in other encodings, document type declarations, references
// beyond XFD1048576 and rows or cells out of order. Shared-string indexes
// are checked by the caller against the table (see maxSharedIndex).
class SheetReader
{
public:
    static bool read(const QByteArray &xml, SheetModel *sheet, QString *why);
};

#endif // SHEETREADER_H
