#ifndef XLSREADER_H
#define XLSREADER_H

#include <QByteArray>
#include <QString>

class CompoundFile;
class WorkbookDocument;
struct XlsLayout;

// Reads an Excel 97-2003 workbook (BIFF8 records in the Workbook stream of a
// compound file) into the server's cell model: sheets in tab order with the
// active one, chart sheets without cells, cells with their style index, the
// shared strings, number formats and the date system.
//
// Refused, with the reason: anything that is not a compound file with a
// workbook stream starting with a BIFF8 BOF (Excel 5/95 workbooks hold BIFF5
// records), encrypted workbooks (FILEPASS, or an encrypted package of the
// Office Open XML family), and damaged containers or record streams.
class XlsReader
{
public:
    static bool read(const QByteArray &file, WorkbookDocument *document, XlsLayout *layout,
                     QString *why);
    // The workbook stream: "Workbook", or else "Book", which some writers
    // give BIFF8 records too (Excel 5 named it so); the BOF inside tells the
    // version, not the name. -1 when there is neither.
    static int workbookStream(const CompoundFile &container);
};

#endif // XLSREADER_H
