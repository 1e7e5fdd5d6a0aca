#ifndef CELLEDITOR_H
#define CELLEDITOR_H

#include "model/CellAddress.h"

#include <QString>

class SheetModel;
class WorkbookDocument;

// The edits the automation members make on a block of cells of one sheet.
class CellEditor
{
public:
    CellEditor(WorkbookDocument *document, SheetModel *sheet);

    // Every cell of the block holds exactly this text (the empty text empties
    // it), style kept, formula removed. Cells that already hold the text as
    // a string are left alone. False for blocks beyond a million cells.
    bool setText(const CellBlock &block, const QString &text);
    void clearContents(const CellBlock &block);
    // Replace over the constants of the block (text, numbers, booleans),
    // visiting by rows (searchOrder 1) or by columns (2), which comes to the
    // same cells, since each changes by its own text alone. lookAt 1: whole
    // cell, 2: part. A number is matched through its plain value and stays
    // a number when the new text is a plain number.
    int replace(const CellBlock &block, const QString &what, const QString &replacement, int lookAt,
                int searchOrder, bool matchCase);

    static bool parsePlainNumber(const QString &text, double *value);

private:
    WorkbookDocument *m_document;
    SheetModel *m_sheet;
};

#endif // CELLEDITOR_H
