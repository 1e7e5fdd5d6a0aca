#include "SheetCells.h"

#include <algorithm>

namespace {

bool columnLess(const Cell &cell, int column)
{
    return cell.column < column;
}

} // namespace

const Cell *SheetCells::find(int row, int column) const
{
    auto r = m_rows.find(row);
    if (r == m_rows.end())
        return nullptr;
    const QVector<Cell> &cells = r->second.cells;
    auto c = std::lower_bound(cells.cbegin(), cells.cend(), column, columnLess);
    return c != cells.cend() && c->column == column ? &*c : nullptr;
}

Cell *SheetCells::find(int row, int column)
{
    return const_cast<Cell *>(static_cast<const SheetCells *>(this)->find(row, column));
}

Cell &SheetCells::ensure(int row, int column)
{
    Row &r = m_rows[row];
    r.row = row;
    QVector<Cell> &cells = r.cells;
    auto c = std::lower_bound(cells.begin(), cells.end(), column, columnLess);
    if (c != cells.end() && c->column == column)
        return *c;
    Cell cell;
    cell.column = column;
    ++m_cellCount;
    return *cells.insert(c, cell);
}

Row &SheetCells::appendRow(int row)
{
    Row &r = m_rows.emplace_hint(m_rows.end(), row, Row())->second;
    r.row = row;
    return r;
}

CellBlock SheetCells::usedBlock() const
{
    CellBlock block;
    for (const auto &entry : m_rows) {
        for (const Cell &cell : entry.second.cells) {
            if (!cell.hasValue() && cell.formula == Cell::NoFormula && cell.style == 0)
                continue;
            if (!block.isValid()) {
                block = {entry.first, cell.column, entry.first, cell.column};
                continue;
            }
            block.top = qMin(block.top, entry.first);
            block.bottom = qMax(block.bottom, entry.first);
            block.left = qMin(block.left, cell.column);
            block.right = qMax(block.right, cell.column);
        }
    }
    return block.isValid() ? block : CellBlock{1, 1, 1, 1};
}
