#ifndef TEXTOPERATION_H
#define TEXTOPERATION_H

#include "excel/ExcelBase.h"
#include "server/SpreadsheetServer.h"

#include <QString>
#include <QVector>

#include <functional>
#include <memory>

namespace Excel {
class Range;
class Worksheet;
} // namespace Excel

// What every text operation does around its own work: choosing the sheets
// its record names, taking each sheet's used range, and walking the cells of
// that range. An operation implements process() with forEachSheet and, when
// it rewrites cell by cell, walkCells.
class TextOperation : public ExcelBase
{
    Q_OBJECT
public:
    // Stands for the workbook's active sheet in a sheet choice.
    static constexpr int ActiveSheet = 0;
    // The most UTF-16 units an operation builds from a typed count (blanks
    // to add, a position to pad up to). A count can ask for far more than
    // memory holds, 999999999 blanks in every cell; what is built stops one
    // unit past what a workbook cell holds, so such a cell is still too long
    // and the workbook's save refuses it like any other over-long cell,
    // while nothing near a gigabyte is ever made.
    static constexpr int MaxBuiltText = MaxCellText + 1;

    // The sheets that a record's sheet text names, in the order to handle
    // them: ActiveSheet for "默认页", 1 for "首表", sheetsCount for "尾表",
    // 1..sheetsCount for "所有表", otherwise the comma-separated numbers that
    // lie in 1..sheetsCount, as written (twice when written twice).
    static QVector<int> chooseSheets(const QString &sheetIndex, int sheetsCount);

protected:
    TextOperation(const QString &fileName, QObject *parent);

    // How much each sheet brings along and what it logs.
    enum SheetDetail {
        // The sheet and its used range only.
        PlainSheets,
        // Also where the used range lies, with a debug line of its counts.
        CountedSheets,
        // Also debug lines naming the class, the sheet text and each
        // numbered sheet.
        TracedSheets
    };

    // One chosen sheet as the operation's work sees it. Both wrappers are
    // released when the work returns.
    struct SheetScope
    {
        Excel::Worksheet *sheet = nullptr;
        Excel::Range *usedRange = nullptr;
        // The used range's first cell and size (not read for PlainSheets).
        int firstRow = 1;
        int firstColumn = 1;
        int rowCount = 0;
        int columnCount = 0;
    };
    // False stops the operation: no further sheet is handled.
    using SheetWork = std::function<bool(const SheetScope &scope)>;
    // Changes a cell's displayed text in place.
    using CellEdit = std::function<void(QString &cellText)>;
    // Works on the cell at row, column of the sheet.
    using CellVisit = std::function<void(int row, int column)>;

    // Runs work on each sheet that sheetIndex chooses, in order. A sheet
    // without cells to work on (a chart sheet) is passed over. Returns false
    // when the server could not supply a sheet or work asked to stop.
    bool forEachSheet(const QString &sheetIndex, SheetDetail detail, const SheetWork &work);

    // Visits every cell of the scope's used range, row by row from its first
    // cell.
    void forEachCell(const SheetScope &scope, const CellVisit &visit);

    // Walks the cells of every sheet that sheetIndex chooses with edit,
    // tracing the sheets in the debug output.
    void rewriteCells(const QString &sheetIndex, const CellEdit &edit);

    // Visits every cell of the scope's used range as forEachCell does, and
    // writes back only the cells whose text edit changed: formulas,
    // numbers and dates that the operation leaves alone stay what they are.
    void walkCells(const SheetScope &scope, const CellEdit &edit);

private:
    std::unique_ptr<Excel::Worksheet> takeSheet(int number);
    bool locateUsedRange(SheetScope &scope);
};

#endif // TEXTOPERATION_H
