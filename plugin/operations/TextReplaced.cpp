#include "operations/TextReplaced.h"

#include "excel/ExcelRange.h"
#include "excel/ExcelWorksheet.h"
#include "records/ParReplaced.h"

TextReplaced::TextReplaced(const QString &fileName, const ParReplaced *par, QObject *parent)
    : TextOperation(fileName, parent), par(par)
{
}

QString TextReplaced::process()
{
    forEachSheet(par->sheetIndex, PlainSheets,
                 [this](const SheetScope &scope) { return replaceOnSheet(scope); });
    return QString();
}

bool TextReplaced::replaceOnSheet(const SheetScope &scope)
{
    // Each pair works on the sheet as the pairs before it left it.
    for (const auto &pair : par->pairs) {
        if (par->byKey) {
            scope.usedRange->Replace(pair.first, pair.second, par->lookAt, par->searchOrder,
                                     par->matchCase);
            continue;
        }
        const std::unique_ptr<Excel::Range> cell(scope.sheet->Range(pair.first));
        // A key that names no cell ends the file here.
        if (cell->isNull())
            return false;
        cell->SetValue(pair.second);
    }
    return true;
}
