#include "model/SharedStringUses.h"

#include "model/OwnThread.h"
#include "model/WorkbookDocument.h"

#include <limits>

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
    for (SheetModel *sheet : document.sheets) {
        const auto bounds =
            sheet->cells.cutRows(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        const bool concurrent = bounds.size() > 2;
        OwnThread::each(int(bounds.size()) - 1, [&](int piece) {
            for (auto it = bounds[size_t(piece)]; it != bounds[size_t(piece) + 1]; ++it) {
                for (const Cell &cell : it->second.cells) {
                    if (cell.type != Cell::SharedString || cell.index < 0 || cell.index >= strings)
                        continue;
                    add(counts[cell.index], 1, concurrent);
                }
            }
            return 0;
        });
    }
    m_counted = true;
    return true;
}

void SharedStringUses::clear()
{
    m_counts.clear();
    m_counted = false;
}
