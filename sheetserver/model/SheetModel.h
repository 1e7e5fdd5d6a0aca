#ifndef SHEETMODEL_H
#define SHEETMODEL_H

#include "model/SheetCells.h"
#include "model/TextPool.h"

#include <QString>
#include <QVector>

class SharedStringUses;

// One sheet of an open workbook: its cells, the texts its cells own, and
// where the parts of its XML lie so that a save can rewrite only what
// changed.
class SheetModel
{
public:
    enum Kind { Worksheet, Chartsheet, OtherSheet };

    // A formula that an edit removed, for the calculation chain and for
    // shared formulas whose first cell it was.
    struct RemovedFormula
    {
        int row = 0;
        int column = 0;
        Cell::FormulaKind kind = Cell::NoFormula;
        int sharedIndex = -1;
        quint32 start = 0; // the cell's original XML
        quint32 end = 0;
    };

    QString name;
    Kind kind = Worksheet;
    QString partName; // zip entry of the sheet part ("" for delimited text)
    int sheetId = 0;
    SheetCells cells;
    TextPool texts;
    bool changed = false;

    // Layout of the original part.
    bool hasDimension = false;
    quint32 dimensionStart = 0, dimensionEnd = 0;
    bool hasSheetData = false;
    bool sheetDataSelfClosing = false;
    quint32 sheetDataStart = 0;   // '<' of <sheetData
    quint32 sheetDataContent = 0; // after the start tag
    quint32 sheetDataEnd = 0;     // after </sheetData> (or the self-closing tag)
    quint32 sheetDataClose = 0;   // '<' of </sheetData>
    QVector<RemovedFormula> removedFormulas;
    // The largest shared-string index a cell uses (-1: none), checked
    // against the table once both are read.
    int maxSharedIndex = -1;
    // The workbook's count of the cells on each shared string, once it is
    // counted: an edit taking a cell off its string tells it.
    SharedStringUses *sharedStringUses = nullptr;

    // Edits. Each keeps the cell's style and removes its formula.
    void setText(int row, int column, const QString &text);
    // The text already at `index` in `texts`, not empty.
    void setPooledText(int row, int column, int index);
    void setNumber(int row, int column, double value);
    void clearContents(int row, int column);

private:
    Cell *prepare(int row, int column, bool create);
};

#endif // SHEETMODEL_H
