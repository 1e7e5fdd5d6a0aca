#include "model/CellEditor.h"

#include "model/SheetModel.h"
#include "model/WildcardPattern.h"
#include "model/WorkbookDocument.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

constexpr qint64 MaxBlockWrite = 1 << 20;

struct Position
{
    int row;
    int column;
};

} // namespace

CellEditor::CellEditor(WorkbookDocument *document, SheetModel *sheet)
    : m_document(document), m_sheet(sheet)
{
}

bool CellEditor::setText(const CellBlock &block, const QString &text)
{
    if (text.isEmpty()) {
        clearContents(block);
        return true;
    }
    if (block.cells() > MaxBlockWrite)
        return false;
    for (int r = block.top; r <= block.bottom; ++r) {
        for (int c = block.left; c <= block.right; ++c) {
            const Cell *cell = m_sheet->cells.find(r, c);
            if (cell && cell->formula == Cell::NoFormula && cell->type == Cell::SharedString &&
                m_document->sharedStrings.equals(cell->index, text))
                continue;
            m_sheet->setText(r, c, text);
        }
    }
    return true;
}

void CellEditor::clearContents(const CellBlock &block)
{
    QVector<Position> targets;
    auto &rows = m_sheet->cells.rows();
    for (auto it = rows.lower_bound(block.top); it != rows.end() && it->first <= block.bottom;
         ++it) {
        for (const Cell &cell : it->second.cells) {
            if (cell.column >= block.left && cell.column <= block.right)
                targets.append({it->first, cell.column});
        }
    }
    for (const Position &p : qAsConst(targets))
        m_sheet->clearContents(p.row, p.column);
}

bool CellEditor::parsePlainNumber(const QString &text, double *value)
{
    static const QRegularExpression plain(
        QStringLiteral("\\A[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\z"));
    if (!plain.match(text).hasMatch())
        return false;
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok;
}

int CellEditor::replace(const CellBlock &block, const QString &what, const QString &replacement,
                        int lookAt, int searchOrder, bool matchCase)
{
    const WildcardPattern pattern(what, lookAt == 1, matchCase);
    if (!pattern.isValid())
        return 0;
    QVector<Position> order;
    auto &rows = m_sheet->cells.rows();
    for (auto it = rows.lower_bound(block.top); it != rows.end() && it->first <= block.bottom;
         ++it) {
        for (const Cell &cell : it->second.cells) {
            if (cell.column >= block.left && cell.column <= block.right &&
                cell.formula == Cell::NoFormula && cell.type != Cell::Blank &&
                cell.type != Cell::Error)
                order.append({it->first, cell.column});
        }
    }
    if (searchOrder == 2) {
        std::stable_sort(order.begin(), order.end(), [](const Position &a, const Position &b) {
            return a.column < b.column || (a.column == b.column && a.row < b.row);
        });
    }
    int replaced = 0;
    for (const Position &p : qAsConst(order)) {
        const Cell *cell = m_sheet->cells.find(p.row, p.column);
        const QString before = m_document->valueText(*m_sheet, *cell);
        QString after;
        if (!pattern.replace(before, replacement, &after) || after == before)
            continue;
        double number = 0;
        if (cell->type == Cell::Number && parsePlainNumber(after, &number))
            m_sheet->setNumber(p.row, p.column, number);
        else
            m_sheet->setText(p.row, p.column, after);
        ++replaced;
    }
    return replaced;
}
