#include "model/SharedStringUses.h"

#include "model/WorkbookDocument.h"

bool SharedStringUses::count(const WorkbookDocument &document)
{
    clear();
    for (const SheetModel *sheet : document.sheets) {
        if (sheet->kind == SheetModel::OtherSheet)
            return false;
    }
    const int strings = document.sharedStrings.size();
    m_counts.fill(0, strings);
    int *counts = m_counts.data();
    for (const SheetModel *sheet : document.sheets) {
        for (const auto &row : sheet->cells.rows()) {
            for (const Cell &cell : row.second.cells) {
                if (cell.type == Cell::SharedString && cell.index >= 0 && cell.index < strings)
                    ++counts[cell.index];
            }
        }
    }
    m_counted = true;
    return true;
}

void SharedStringUses::clear()
{
    m_counts.clear();
    m_counted = false;
}
