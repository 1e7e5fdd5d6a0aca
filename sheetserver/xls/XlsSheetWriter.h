#ifndef XLSSHEETWRITER_H
#define XLSSHEETWRITER_H

#include "xls/BiffRecords.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

class SheetModel;
class XlsStringTable;
struct Cell;

// Writes one changed worksheet of an Excel 97-2003 workbook again: its cell
// table (rows in blocks of 32, each block's ROW records, cells and DBCELL)
// is laid out anew, with every cell that did not change copied record for
// record (a MULRK or MULBLANK holding a changed cell, or one a later record
// took a cell of, is split into single cells: each cell is written once)
// and each changed cell written as LABELSST (text), NUMBER or BLANK
// with its style index kept. INDEX, DIMENSIONS and row extents follow; all
// other records are copied as they were.
//
// A cell whose formula goes (overwritten, or taken over by a later record)
// may anchor other cells: the cells that shared its formula keep it,
// anchored on the first of them; the other cells of an array or data table
// it held keep their last values as constants.
//
// The positions in INDEX are counted from the sheet's own BOF; the caller
// moves them to where the sheet lands in the stream.
class XlsSheetWriter
{
public:
    XlsSheetWriter(const QByteArray &stream, quint32 start, quint32 end, const SheetModel &sheet,
                   int defaultStyle, XlsStringTable *strings, bool superseded = false);

    bool write(QByteArray *out, QString *why);
    // LABELSST records written.
    quint32 sharedStringCells() const { return m_labelSst; }

    // Moves the file positions in the INDEX record of a sheet's bytes.
    static void moveIndex(QByteArray *sheet, qint64 delta);
    // Just after the INDEX record moveIndex would move in the sheet whose
    // BOF is at `start`; `start` when there is none. Nothing past it moves.
    static quint32 indexEnd(const QByteArray &stream, quint32 start);

private:
    struct Anchor
    {
        quint16 kind = 0;      // SHRFMLA, ARRAY or TABLE
        QByteArray definition; // the record, header included
        int users = 0;
        bool placed = false;
        quint16 row = 0, column = 0; // the new anchor (shared formulas)
        quint16 top = 0xFFFF, bottom = 0, left = 0xFF, right = 0;
    };

    bool scan(QString *why);
    // Only for a sheet where some cell has more than one record.
    void findSupersededRecords();
    void findRemovedAnchors();
    void addAnchor(qint64 cell, quint16 kind, quint32 definition);
    // The type of the SHRFMLA, ARRAY or TABLE record at offset, or 0.
    quint16 definitionAt(quint32 offset) const;
    void writeCell(QByteArray *out, int row, const Cell &cell);
    void writeFormula(QByteArray *out, int row, const Cell &cell);
    void writeValue(QByteArray *out, int row, const Cell &cell);
    // A cell record: its header fields, then `extra` bytes.
    static void writeRecord(QByteArray *out, quint16 type, int row, int column, int style,
                            const char *extra, int length);
    void writeBlock(QByteArray *out, const QVector<int> &rows, QVector<quint32> *dbCells);
    QByteArray record(quint32 offset) const;
    QByteArray group(quint32 offset) const;
    // The anchor a formula's tokens point at (ptgExp, ptgTbl), or -1.
    qint64 pointsAt(quint32 offset) const;

    const QByteArray &m_stream;
    quint32 m_start, m_end;
    const SheetModel &m_sheet;
    XlsStringTable *m_strings;
    int m_defaultStyle;
    bool m_superseded;
    quint32 m_labelSst = 0;

    QVector<BiffRecord> m_before, m_after;
    QHash<int, QByteArray> m_rowRecords; // by 0-based row
    QHash<quint32, quint32> m_groupEnd;  // formula record -> end of its followers
    QSet<quint32> m_split;               // MULRK/MULBLANK records written cell by cell
    QHash<qint64, Anchor> m_anchors;     // removed anchors by (row << 16 | column)
    bool m_hasIndex = false;
    bool m_hasDbCell = false;
    bool m_hasRows = false;
    quint32 m_lastMul = 0xFFFFFFFFu;
};

#endif // XLSSHEETWRITER_H
