#ifndef XLSLAYOUT_H
#define XLSLAYOUT_H

#include "xls/CompoundFile.h"

#include <QByteArray>
#include <QVector>

// Where the pieces of an Excel 97-2003 workbook lie, as a save needs them to
// write the file back as it was apart from the changes: the compound file,
// its workbook stream, and each sheet's place in that stream (in the order
// of the document's sheets).
struct XlsLayout
{
    struct Sheet
    {
        quint32 boundSheet = 0; // offset of its BOUNDSHEET8 record
        quint32 start = 0;      // its BOF record
        quint32 end = 0;        // just after its EOF record
        // Some cell has two records or more, the later one shown: a rewrite
        // writes each cell once, and a copy may keep an earlier one that
        // names a string the table no longer holds.
        bool superseded = false;
    };

    CompoundFile container;
    int workbookEntry = -1;
    QByteArray stream;         // the workbook stream
    quint32 globalsEnd = 0;    // just after the globals' EOF record
    int defaultCellStyle = 15; // the first XF record for cells, for new cells
    int boundSheets = 0;       // BOUNDSHEET8 records, modules included
    QVector<Sheet> sheets;
};

#endif // XLSLAYOUT_H
