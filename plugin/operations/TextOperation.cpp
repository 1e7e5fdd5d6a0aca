#include "operations/TextOperation.h"

#include "excel/ExcelRange.h"
#include "excel/ExcelSheets.h"
#include "excel/ExcelWorkbook.h"
#include "excel/ExcelWorksheet.h"

#include <QDebug>
#include <QStringList>

TextOperation::TextOperation(const QString &fileName, QObject *parent) : ExcelBase(fileName, parent)
{
}

QVector<int> TextOperation::chooseSheets(const QString &sheetIndex, int sheetsCount)
{
    QVector<int> chosen;
    if (sheetIndex == QStringLiteral("默认页")) {
        chosen.append(ActiveSheet);
    } else if (sheetIndex == QStringLiteral("首表")) {
        if (sheetsCount >= 1)
            chosen.append(1);
    } else if (sheetIndex == QStringLiteral("尾表")) {
        if (sheetsCount >= 1)
            chosen.append(sheetsCount);
    } else if (sheetIndex == QStringLiteral("所有表")) {
        for (int number = 1; number <= sheetsCount; ++number)
            chosen.append(number);
    } else {
        // "指定表" and any other word read as no number and choose nothing.
        const QStringList parts = sheetIndex.split(QLatin1Char(','));
        for (const QString &part : parts) {
            const int number = part.toInt();
            if (number >= 1 && number <= sheetsCount)
                chosen.append(number);
        }
    }
    return chosen;
}

std::unique_ptr<Excel::Worksheet> TextOperation::takeSheet(int number)
{
    if (number == ActiveSheet)
        return std::make_unique<Excel::Worksheet>(pWorkbook->ActiveSheet());
    return std::make_unique<Excel::Worksheet>(pSheets->Item(number));
}

bool TextOperation::locateUsedRange(SheetScope &scope)
{
    Excel::Range &used = *scope.usedRange;
    // The server names the block as "B2:D4" or, like the platform's
    // application, "$B$2:$D$4".
    QString first = used.Address().toString().section(QLatin1Char(':'), 0, 0);
    first.remove(QLatin1Char('$'));
    parseCellName(first, scope.firstRow, scope.firstColumn);
    if (scope.firstRow < 1 || scope.firstColumn < 1)
        return false;
    scope.rowCount = std::unique_ptr<Excel::Range>(used.Rows())->Count();
    scope.columnCount = std::unique_ptr<Excel::Range>(used.Columns())->Count();
    qDebug() << scope.rowCount << scope.columnCount;
    return true;
}

bool TextOperation::forEachSheet(const QString &sheetIndex, SheetDetail detail,
                                 const SheetWork &work)
{
    if (detail == TracedSheets) {
        qDebug().noquote() << metaObject()->className();
        qDebug() << sheetIndex;
    }
    const QVector<int> chosen = chooseSheets(sheetIndex, sheetsCount);
    QStringList numbers;
    for (int number : chosen)
        numbers.append(QString::number(number));
    const QString numberList =
        QStringLiteral("(") + numbers.join(QStringLiteral(", ")) + QStringLiteral(")");

    for (int i = 0; i < chosen.size(); ++i) {
        if (detail == TracedSheets && chosen.at(i) != ActiveSheet)
            qDebug().noquote() << numberList << chosen.size() << i;
        const std::unique_ptr<Excel::Worksheet> sheet = takeSheet(chosen.at(i));
        if (sheet->isNull())
            return false;
        const std::unique_ptr<Excel::Range> usedRange(sheet->UsedRange());
        SheetScope scope;
        scope.sheet = sheet.get();
        scope.usedRange = usedRange.get();
        // A sheet that holds no cells (a chart sheet) has nothing to rewrite;
        // the sheets after it still do.
        if (usedRange->isNull())
            continue;
        if (detail != PlainSheets && !locateUsedRange(scope))
            continue;
        if (!work(scope))
            return false;
    }
    return true;
}

void TextOperation::forEachCell(const SheetScope &scope, const CellVisit &visit)
{
    const int lastRow = scope.firstRow + scope.rowCount - 1;
    const int lastColumn = scope.firstColumn + scope.columnCount - 1;
    for (int row = scope.firstRow; row <= lastRow; ++row) {
        for (int column = scope.firstColumn; column <= lastColumn; ++column)
            visit(row, column);
    }
}

void TextOperation::rewriteCells(const QString &sheetIndex, const CellEdit &edit)
{
    forEachSheet(sheetIndex, TracedSheets, [&](const SheetScope &scope) {
        walkCells(scope, edit);
        return true;
    });
}

void TextOperation::walkCells(const SheetScope &scope, const CellEdit &edit)
{
    forEachCell(scope, [&](int row, int column) {
        // One wrapper per cell, released at once, so a large sheet walks in
        // flat memory.
        const std::unique_ptr<Excel::Range> cell(scope.sheet->Range(cellName(row, column)));
        const QString before = cell->Text().toString();
        QString cellText = before;
        edit(cellText);
        if (cellText != before)
            cell->SetValue(cellText);
    });
}
