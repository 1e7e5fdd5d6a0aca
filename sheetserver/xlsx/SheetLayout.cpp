#include "xlsx/SheetLayout.h"

#include "model/SheetModel.h"

#include <algorithm>

void SheetLayout::apply(SheetModel *sheet) const
{
    sheet->hasDimension = hasDimension;
    sheet->dimensionStart = dimensionStart;
    sheet->dimensionEnd = dimensionEnd;
    sheet->hasSheetData = true;
    sheet->sheetDataSelfClosing = sheetDataSelfClosing;
    sheet->sheetDataStart = sheetDataStart;
    sheet->sheetDataContent = sheetDataContent;
    sheet->sheetDataClose = sheetDataClose;
    sheet->sheetDataEnd = sheetDataEnd;
    int r = 0, c = 0;
    for (auto &entry : sheet->cells.rows()) {
        Row &row = entry.second;
        const Place &place = rows.at(r++);
        row.start = place.start;
        row.startTagEnd = place.startTagEnd;
        row.end = place.end;
        row.selfClosing = place.selfClosing;
        row.original = true;
        row.changed = false;
        bool anyDropped = false;
        for (Cell &cell : row.cells) {
            const Place &at = cells.at(c++);
            cell.start = at.start;
            cell.end = at.end;
            cell.original = !at.dropped;
            cell.changed = false;
            anyDropped = anyDropped || at.dropped;
        }
        if (anyDropped) {
            const int before = row.cells.size();
            row.cells.erase(std::remove_if(row.cells.begin(), row.cells.end(),
                                           [](const Cell &cell) { return !cell.original; }),
                            row.cells.end());
            for (int i = row.cells.size(); i < before; ++i)
                sheet->cells.noteCellRemoved();
        }
    }
    sheet->changed = false;
    sheet->removedFormulas.clear();
}
