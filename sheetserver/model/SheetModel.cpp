#include "model/SheetModel.h"

#include "model/SharedStringUses.h"

Cell *SheetModel::prepare(int row, int column, bool create)
{
    Cell *cell = create ? &cells.ensure(row, column) : cells.find(row, column);
    if (!cell)
        return nullptr;
    if (cell->formula != Cell::NoFormula) {
        // Shared children leave the chain too; their group is re-anchored on
        // save when the first cell goes.
        removedFormulas.append(
            {row, column, cell->formula, cell->sharedIndex, cell->start, cell->end});
        cell->formula = Cell::NoFormula;
    }
    // Every edit gives the cell a value of another kind.
    if (cell->type == Cell::SharedString && sharedStringUses)
        sharedStringUses->release(cell->index);
    cell->changed = true;
    changed = true;
    cells.findRow(row)->changed = true;
    return cell;
}

void SheetModel::setText(int row, int column, const QString &text)
{
    if (text.isEmpty()) {
        clearContents(row, column);
        return;
    }
    const Cell *existing = cells.find(row, column);
    if (existing && existing->formula == Cell::NoFormula && existing->type == Cell::Text &&
        texts.equals(existing->index, text))
        return;
    Cell *cell = prepare(row, column, true);
    cell->type = Cell::Text;
    cell->index = texts.append(text);
}

void SheetModel::setPooledText(int row, int column, int index)
{
    Cell *cell = prepare(row, column, true);
    cell->type = Cell::Text;
    cell->index = index;
}

void SheetModel::setNumber(int row, int column, double value)
{
    const Cell *existing = cells.find(row, column);
    if (existing && existing->formula == Cell::NoFormula && existing->type == Cell::Number &&
        existing->number == value)
        return;
    Cell *cell = prepare(row, column, true);
    cell->type = Cell::Number;
    cell->number = value;
}

void SheetModel::clearContents(int row, int column)
{
    const Cell *existing = cells.find(row, column);
    if (!existing || (existing->type == Cell::Blank && existing->formula == Cell::NoFormula))
        return;
    Cell *cell = prepare(row, column, false);
    cell->type = Cell::Blank;
    cell->number = 0;
}
