#ifndef XLSREADER_H
#define XLSREADER_H

#include <QByteArray>
#include <QString>

class WorkbookDocument;
struct XlsLayout;

// Reads an Excel 97-2003 workbook (BIFF8 records in the Workbook stream of a
// compound file) into the server's cell model: sheets in tab order with the
// active one, chart sheets without cells, cells with their style index, the
// shared strings, number formats and the date system.
//
// Refused, with the reason: anything that is not a compound file with a
// Workbook stream starting with a BIFF8 BOF (Excel 5/95 workbooks keep a Book
// stream, or BIFF5 records), encrypted workbooks (FILEPASS), and damaged
// containers or record streams.
class XlsReader
{
public:
    static bool read(const QByteArray &file, WorkbookDocument *document, XlsLayout *layout,
                     QString *why);
};

#endif // XLSREADER_H
