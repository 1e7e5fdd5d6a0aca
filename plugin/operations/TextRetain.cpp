#include "operations/TextRetain.h"

#include "excel/ExcelRange.h"
#include "excel/ExcelWorksheet.h"
#include "records/ParRetain.h"

#include <QDebug>

TextRetain::TextRetain(const QString &fileName, const ParRetain *par, QObject *parent)
    : TextOperation(fileName, parent), par(par)
{
}

QString TextRetain::process()
{
    // Position keys are the same for every cell: read them once.
    const QVector<Block> blocks = par->byKey ? QVector<Block>() : positionBlocks();
    forEachSheet(par->sheetIndex, CountedSheets, [&](const SheetScope &scope) {
        forEachCell(scope, [&](int row, int column) {
            if (!par->byKey && keepsPosition(blocks, row, column))
                return;
            const std::unique_ptr<Excel::Range> cell(scope.sheet->Range(cellName(row, column)));
            // The text is read once, however many keys are tried on it.
            if (par->byKey && keepsText(cell->Text().toString()))
                return;
            // Clearing a cell that holds nothing leaves it as it was.
            cell->ClearContents();
        });
        return true;
    });
    return QString();
}

QVector<TextRetain::Block> TextRetain::positionBlocks()
{
    QVector<Block> blocks;
    for (const QString &key : par->keys) {
        const QStringList parts = key.split(QLatin1Char(':'));
        Block block;
        if (parts.size() == 1) {
            parseCellName(parts.first(), block.top, block.left);
            qDebug() << block.top << block.left;
            block.bottom = block.top;
            block.right = block.left;
        } else if (parts.size() == 2) {
            parseCellName(parts.first(), block.top, block.left);
            parseCellName(parts.last(), block.bottom, block.right);
        }
        blocks.append(block);
    }
    return blocks;
}

bool TextRetain::keepsPosition(const QVector<Block> &blocks, int row, int column) const
{
    for (const Block &block : blocks) {
        if (block.holds(row, column))
            return true;
    }
    return false;
}

bool TextRetain::keepsText(const QString &text) const
{
    const Qt::CaseSensitivity cs = par->matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (const QString &key : par->keys) {
        if (par->lookAt ? text.compare(key, cs) == 0 : text.contains(key, cs))
            return true;
    }
    return false;
}
