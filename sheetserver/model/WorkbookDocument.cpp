#include "model/WorkbookDocument.h"

#include "numfmt/DecimalDigits.h"

WorkbookDocument::WorkbookDocument() = default;

WorkbookDocument::~WorkbookDocument()
{
    clear();
}

void WorkbookDocument::clear()
{
    qDeleteAll(sheets);
    sheets.clear();
    activeSheet = 0;
    date1904 = false;
    sharedStrings.clear();
    styles = CellStyles();
    m_uses.clear();
    noteStringsSaved();
}

SharedStringUses *WorkbookDocument::sharedStringUses()
{
    if (!m_uses.isCounted()) {
        if (!m_uses.count(*this))
            return nullptr;
        for (SheetModel *sheet : qAsConst(sheets))
            sheet->sharedStringUses = &m_uses;
    }
    return &m_uses;
}

void WorkbookDocument::rewriteSharedStrings(const std::vector<int> &indexes, TextPool &&texts)
{
    if (indexes.empty())
        return;
    m_rewritten.resize(size_t(sharedStrings.size()), false);
    for (int index : indexes) {
        if (!m_rewritten[size_t(index)]) {
            m_rewritten[size_t(index)] = true;
            ++m_rewrittenCount;
        }
    }
    sharedStrings.replace(indexes, std::move(texts));
}

void WorkbookDocument::noteStringsSaved()
{
    m_rewritten.clear();
    m_rewritten.shrink_to_fit();
    m_rewrittenCount = 0;
}

int WorkbookDocument::sheetCount() const
{
    return sheets.size();
}

SheetModel *WorkbookDocument::sheet(int index)
{
    return index >= 0 && index < sheets.size() ? sheets.at(index) : nullptr;
}

QString WorkbookDocument::displayText(const SheetModel &sheet, const Cell *cell) const
{
    if (!cell)
        return QString();
    const NumberFormat &format = styles.formatOf(cell->style);
    switch (cell->type) {
    case Cell::Blank:
        return QString();
    case Cell::Number:
        return format.format(cell->number, date1904);
    case Cell::SharedString:
        return format.formatText(sharedStrings.at(cell->index));
    case Cell::Text:
        return format.formatText(sheet.texts.at(cell->index));
    case Cell::Boolean:
        return cell->number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Cell::Error:
        return sheet.texts.at(cell->index);
    }
    return QString();
}

QString WorkbookDocument::valueText(const SheetModel &sheet, const Cell &cell) const
{
    switch (cell.type) {
    case Cell::Number:
        return (cell.number < 0 ? QStringLiteral("-") : QString()) +
               DecimalDigits(cell.number).plain();
    case Cell::SharedString:
        return sharedStrings.at(cell.index);
    case Cell::Text:
    case Cell::Error:
        return sheet.texts.at(cell.index);
    case Cell::Boolean:
        return cell.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Cell::Blank:
        break;
    }
    return QString();
}

namespace {

bool longerThan(const TextPool &pool, int index, int units)
{
    int bytes = 0;
    pool.bytes(index, &bytes);
    // A unit takes at least a byte, so only a long entry is made into text
    // to be counted.
    return bytes > units && pool.at(index).size() > units;
}

} // namespace

bool WorkbookDocument::changesTextLongerThan(int units) const
{
    for (size_t i = 0; i < m_rewritten.size(); ++i) {
        if (m_rewritten[i] && longerThan(sharedStrings, int(i), units))
            return true;
    }
    for (const SheetModel *sheet : sheets) {
        if (!sheet->changed)
            continue;
        for (const auto &row : sheet->cells.rows()) {
            if (!row.second.changed)
                continue;
            for (const Cell &cell : row.second.cells) {
                if (!cell.changed)
                    continue;
                if ((cell.type == Cell::Text && longerThan(sheet->texts, cell.index, units)) ||
                    (cell.type == Cell::SharedString &&
                     longerThan(sharedStrings, cell.index, units)))
                    return true;
            }
        }
    }
    return false;
}

bool WorkbookDocument::isChanged() const
{
    if (hasRewrittenStrings())
        return true;
    for (const SheetModel *sheet : qAsConst(sheets)) {
        if (sheet->changed)
            return true;
    }
    return false;
}
