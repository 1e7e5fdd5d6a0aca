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
    for (const SheetModel *sheet : qAsConst(sheets)) {
        if (sheet->changed)
            return true;
    }
    return false;
}
