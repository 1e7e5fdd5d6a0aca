#include "model/SheetCells.h"

#include "model/OwnThread.h"

#include <algorithm>

namespace {

bool columnLess(const Cell &cell, int column)
{
    return cell.column < column;
}

} // namespace

SheetCells::SheetCells(SheetCells &&other) noexcept
    : m_rows(std::move(other.m_rows)), m_cellCount(other.m_cellCount)
{
    other.m_rows.clear();
    other.m_cellCount = 0;
    other.m_recent = nullptr;
}

SheetCells &SheetCells::operator=(SheetCells &&other) noexcept
{
    m_rows = std::move(other.m_rows);
    m_cellCount = other.m_cellCount;
    m_recent = nullptr;
    other.m_rows.clear();
    other.m_cellCount = 0;
    other.m_recent = nullptr;
    return *this;
}

const Row *SheetCells::rowAt(int row) const
{
    if (m_recent && m_recent->row == row)
        return m_recent;
    auto r = m_rows.find(row);
    if (r == m_rows.end())
        return nullptr;
    m_recent = &r->second;
    return m_recent;
}

Row *SheetCells::findRow(int row)
{
    return const_cast<Row *>(rowAt(row));
}

const Cell *SheetCells::find(int row, int column) const
{
    const Row *r = rowAt(row);
    if (!r)
        return nullptr;
    const QVector<Cell> &cells = r->cells;
    auto c = std::lower_bound(cells.cbegin(), cells.cend(), column, columnLess);
    return c != cells.cend() && c->column == column ? &*c : nullptr;
}

Cell *SheetCells::find(int row, int column)
{
    return const_cast<Cell *>(static_cast<const SheetCells *>(this)->find(row, column));
}

Cell &SheetCells::ensure(int row, int column)
{
    Row *found = findRow(row);
    if (!found) {
        found = &m_rows[row];
        found->row = row;
        m_recent = found;
    }
    Row &r = *found;
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

void SheetCells::appendRows(SheetCells &&other)
{
    for (auto it = other.m_rows.begin(); it != other.m_rows.end();)
        m_rows.insert(m_rows.end(), other.m_rows.extract(it++));
    m_cellCount += other.m_cellCount;
    other.m_cellCount = 0;
    other.m_recent = nullptr;
}

std::vector<SheetCells::Rows::iterator> SheetCells::cutRows(int top, int bottom)
{
    const int pieces = int(qBound<qint64>(1, m_cellCount / CellsPerThread, OwnThread::share()));
    const auto first = m_rows.lower_bound(top);
    const auto last = m_rows.upper_bound(bottom);
    std::vector<Rows::iterator> bounds{first};
    if (first != last) {
        // From the first row there is to the last, not the block's edges,
        // which may lie far beyond.
        const qint64 from = first->first;
        const qint64 to = std::prev(last)->first;
        for (int k = 1; k < pieces; ++k)
            bounds.push_back(m_rows.lower_bound(int(from + (to - from + 1) * k / pieces)));
    }
    bounds.push_back(last);
    return bounds;
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
