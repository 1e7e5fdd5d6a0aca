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
//
// A large part is read in pieces on several threads (see XmlPieces): the
// rows of the cells table are cut into stretches that begin with a row
// telling its number. The sheet comes out exactly as one pass reads it;
// when anything about a piece is off, the part is read again in one pass,
// which also gives the reason of a refusal.
//
// Rows of plain markup are taken straight from their bytes (SheetScanner),
// whatever the part's size; a piece the scanner gives up on is read by
// the XML reader, and the sheet comes out the same either way.
class SheetReader
{
public:
    // pieces: how many to cut the rows into; 0 for as many as the part's
    // size and the machine's cores make worth it (XmlPieces::countFor), 1 for one pass. Whether
    // more than one piece was taken goes to *readInPieces. scan false
    // leaves every row to the XML reader, against which the scanner is
    // checked; pieces 1 then reads the part in the XML reader's one pass.
    static bool read(const QByteArray &xml, SheetModel *sheet, QString *why, int pieces = 0,
                     bool *readInPieces = nullptr, bool scan = true);
};

#endif // SHEETREADER_H
