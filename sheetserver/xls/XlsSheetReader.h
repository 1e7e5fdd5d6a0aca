#ifndef XLSSHEETREADER_H
#define XLSSHEETREADER_H

#include "xls/BiffRecords.h"

#include <QByteArray>
#include <QString>

class SheetModel;
struct Cell;
struct Row;

// Reads the records of one sheet of an Excel 97-2003 workbook stream, from
// its BOF to its EOF, into the sheet's cells; charts and other substreams
// inside it are passed over. Each sheet has a reader of its own and touches
// nothing but its sheet, so that sheets can be read side by side.
//
// The shared strings may still be read meanwhile: the string indexes the
// cells use are not checked here, only the largest of them is kept (see
// largestSharedIndex).
class XlsSheetReader
{
public:
    explicit XlsSheetReader(const QByteArray &stream) : m_stream(stream) {}

    // The BOF at the reader's position: false, with the reason, unless it
    // is one of BIFF8; its substream kind otherwise.
    static bool readBof(BiffRecordReader &reader, quint16 *kind, QString *why);

    // The sheet whose BOF is at `position`, of the kind its BOUNDSHEET8
    // record and its BOF tell; cells are kept for a worksheet only.
    bool read(quint32 position, quint8 boundKind, SheetModel *sheet);
    // Where the sheet ends: just after its EOF.
    quint32 end() const { return m_end; }
    // Some cell has two records or more, the later one shown.
    bool superseded() const { return m_superseded; }
    // The largest shared-string index a cell record named before the reader
    // stopped (-1: none); a damaged record is any after it.
    qint64 largestSharedIndex() const { return m_largestShared; }
    const QString &why() const { return m_why; }

private:
    bool fail(const QString &reason)
    {
        m_why = reason;
        return false;
    }
    bool readCells(BiffRecordReader &reader);
    bool readCell(const BiffRecord &record, BiffRecordReader &reader);
    bool readFormula(const BiffRecord &record, BiffRecordReader &reader);
    Cell *place(const BiffRecord &record, quint16 row, quint16 column, quint16 style);
    Cell &cellAt(int row, int column);

    const QByteArray &m_stream;
    SheetModel *m_sheet = nullptr;
    quint32 m_end = 0;
    bool m_superseded = false;
    qint64 m_largestShared = -1;
    QString m_why;
    // The row cells were last added to, and the cells the one before it
    // took: records come row by row, so most cells go to the end of the
    // last row and a new row is as wide as the one before.
    Row *m_row = nullptr;
    int m_lastRow = 0;
    int m_rowWidth = 0;
};

#endif // XLSSHEETREADER_H
