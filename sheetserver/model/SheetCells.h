#ifndef SHEETCELLS_H
#define SHEETCELLS_H

#include "model/CellAddress.h"

#include <QVector>
#include <QtGlobal>
#include <map>
#include <vector>

// One cell as the server keeps it. Cells read from a workbook remember where
// their XML lies in the sheet part, so a save copies every cell it did not
// change byte for byte.
struct Cell
{
    enum Type : quint8 {
        Blank,        // no value (may still carry a style or a formula)
        Number,       // number (dates and times are numbers with a format)
        SharedString, // index into the workbook's shared strings
        Text,         // index into the sheet's own texts (inline or written)
        Boolean,      // number is 0 or 1
        Error         // index into the sheet's own texts ("#N/A", ...)
    };
    enum FormulaKind : quint8 { NoFormula, PlainFormula, SharedMaster, SharedChild, ArrayFormula };

    int column = 0;
    Type type = Blank;
    FormulaKind formula = NoFormula;
    bool changed = false;  // to be written anew on save
    bool original = false; // read from the file; start/end are valid
    int style = 0;
    int sharedIndex = -1; // si of a shared formula
    union {
        double number;
        int index;
    };
    quint32 start = 0; // byte range of the <c> element in the part
    quint32 end = 0;

    Cell() : number(0) {}
    bool hasValue() const { return type != Blank; }
};

struct Row
{
    int row = 0;
    bool original = false;    // read from the file; the offsets are valid
    bool selfClosing = false; // written as <row .../>
    bool changed = false;     // some cell of it changed
    quint32 start = 0;        // '<' of <row
    quint32 startTagEnd = 0;  // just after the start tag's '>'
    quint32 end = 0;          // just after </row> (or the self-closing tag)
    QVector<Cell> cells;      // ascending columns
};

// The cells of one sheet, by row then column.
//
// Cells are mostly reached row by row, a cell after its neighbour, so the
// row found last is remembered: the next look-up in it skips the tree.
// Rows are never removed, so what is remembered stays valid.
class SheetCells
{
public:
    using Rows = std::map<int, Row>;

    SheetCells() = default;
    SheetCells(SheetCells &&other) noexcept;
    SheetCells &operator=(SheetCells &&other) noexcept;
    SheetCells(const SheetCells &) = delete;
    SheetCells &operator=(const SheetCells &) = delete;

    const Cell *find(int row, int column) const;
    Cell *find(int row, int column);
    // The row, or null when it holds no cell yet.
    Row *findRow(int row);
    // The cell, created blank (and its row) when missing.
    Cell &ensure(int row, int column);

    Row &appendRow(int row); // rows read in ascending order
    const Rows &rows() const { return m_rows; }
    Rows &rows() { return m_rows; }

    // The smallest block holding every cell with a value, a formula or a
    // style of its own; A1 alone when there is none.
    CellBlock usedBlock() const;
    qint64 cellCount() const { return m_cellCount; }
    void noteCellAdded() { ++m_cellCount; }
    void noteCellRemoved() { --m_cellCount; }
    void noteCellsAdded(qint64 count) { m_cellCount += count; }

    // Moves every row of other to the end of these; its first row must
    // come after the last row here.
    void appendRows(SheetCells &&other);

    // Below this many cells a sheet's work is not worth another thread.
    static constexpr qint64 CellsPerThread = 16384;
    // The rows top to bottom cut for as many threads as the sheet's cells
    // are worth and the cores allow, at evenly spaced row numbers found
    // without walking the rows: the bounds of each piece in turn (first,
    // ..., end), some pieces perhaps empty.
    std::vector<Rows::iterator> cutRows(int top, int bottom);

private:
    const Row *rowAt(int row) const;

    Rows m_rows;
    qint64 m_cellCount = 0;
    mutable const Row *m_recent = nullptr;
};

#endif // SHEETCELLS_H
