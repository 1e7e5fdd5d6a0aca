#ifndef XLSWRITER_H
#define XLSWRITER_H

#include "xls/CompoundFile.h"

#include <QByteArray>
#include <QString>

class WorkbookDocument;
struct XlsLayout;

// Writes the changes of an Excel 97-2003 workbook into a new copy of its
// file. Changed worksheets are written again (see XlsSheetWriter); the
// shared-string table keeps every string it had, in place and with its
// formatting runs and phonetic data (a string a Replace rewrote holds its
// new text, plain), and gains the new texts; EXTSST is
// rebuilt for it; every sheet position that moves is set again (BOUNDSHEET8
// and each sheet's INDEX). Every other record of the workbook stream, and
// every other stream and storage of the compound file, stays byte for byte.
// A text longer than a cell holds never reaches it: the document's save
// refuses the workbook first.
class XlsWriter
{
public:
    static bool write(const WorkbookDocument &document, const XlsLayout &layout, QByteArray *file,
                      QString *why);
    // Only the new workbook stream, for the file to be written from it as
    // it is made (CompoundFile::replaceStream). What stays as it was, a
    // sheet's records past its INDEX for one, is left in the layout's
    // stream, which must outlive the pieces.
    static bool writeStream(const WorkbookDocument &document, const XlsLayout &layout,
                            CompoundFile::Pieces *stream, QString *why);
};

#endif // XLSWRITER_H
