#ifndef SPREADSHEETSERVER_H
#define SPREADSHEETSERVER_H

#include "ServerObject.h"
#include "delimited/DelimitedText.h"
#include "delimited/TextEncoding.h"
#include "files/WorkbookMeasure.h"
#include "model/CellTextLimit.h"

// The in-process spreadsheet server that answers "Excel.Application".
//
// Each client that starts "Excel.Application" gets its own instance with no
// state shared with any other, so jobs on different files run in parallel
// threads. An instance and everything derived from it is used from one
// thread at a time.
//
// The object model (all members the plug-in calls):
//   Application  DisplayAlerts, Visible (set, stored; nothing is ever shown),
//                Version(), Workbooks, Quit() (closes every workbook without
//                saving; later calls answer nothing)
//   Workbooks    Open(path): the workbook, or no object when the file is not
//                one this server reads or is damaged; the file is untouched
//   Workbook     Path(), Sheets, ActiveSheet, Save() (true when written;
//                false, and nothing written, when a cell would hold
//                more than MaxCellText), Close() (without saving)
//   Sheets       Count(), Item(n from 1, or a sheet name)
//   Worksheet    UsedRange, Range("B3" or "A1:C3"); chart sheets answer
//                no ranges
//   Range        Rows, Columns, Count(), Text() (displayed text of the
//                first cell), Value (set), ClearContents(),
//                Replace(What, Replacement, LookAt, SearchOrder, MatchCase)
//
// Files: .xlsx/.xlsm (and templates) and Excel 97-2003 .xls by content;
// .csv (comma) and .txt/.tsv (tab) as one sheet named after the file,
// written back in the encoding they were read in; plain ASCII without a
// byte-order mark tells none, and takes the one setNewTextEncoding names
// once non-ASCII text comes into it.
// Excel 5/95 and encrypted .xls, XML 2003 spreadsheets, web pages and
// everything else are refused.
//
// A client meets the server here alone; what it names of the layers below
// comes with this header under the name it has there: MaxCellText, the most
// UTF-16 units a cell holds; DelimitedText::MemoryPerByte, the price in
// memory of each byte of delimited text (text the process cannot afford at
// that price is refused unread); TextEncoding's kinds; WorkbookMeasure.
class SpreadsheetServer
{
public:
    static const char *className() { return "Excel.Application"; }
    // Registers the server under "Excel.Application".
    static void install();
    // A new, independent application instance.
    static ServerObjectPtr create();
    static QString version();
    // What opening the file at path would unpack, without opening it: for a
    // client that weighs a workbook before it asks for it.
    static WorkbookMeasure measure(const QString &path);
    // How much memory this process may take, as the server weighs files.
    static qint64 memoryBytes();
    // Who names the encoding (TextEncoding::Utf8 or Gb18030) of non-ASCII
    // text coming into delimited text whose bytes tell none. Asked at every
    // such save, from the saving thread; UTF-8 while nothing is set.
    static void setNewTextEncoding(TextEncoding::NewTextKind ask);
};

#endif // SPREADSHEETSERVER_H
