#ifndef WORKBOOKDOCUMENT_H
#define WORKBOOKDOCUMENT_H

#include "model/CellStyles.h"
#include "model/SheetModel.h"
#include "model/TextPool.h"

#include <QString>
#include <QVector>

// An open workbook: every sheet with its cells, the shared strings and
// styles, in whatever format it was read from. The file layer reads it,
// keeps what each format needs to write the file back, and saves it.
class WorkbookDocument
{
public:
    WorkbookDocument();
    ~WorkbookDocument();

    int sheetCount() const;
    SheetModel *sheet(int index); // null outside 0..sheetCount()-1

    QString path;
    QVector<SheetModel *> sheets; // owned
    int activeSheet = 0;
    bool date1904 = false;
    TextPool sharedStrings;
    CellStyles styles;

    // The displayed text of a cell (null: an empty cell).
    QString displayText(const SheetModel &sheet, const Cell *cell) const;
    // The cell's value as the formula bar shows it (15 significant digits,
    // no formatting); what Replace matches.
    QString valueText(const SheetModel &sheet, const Cell &cell) const;

    bool isChanged() const;
    // Whether a cell changed since the file was read holds more than `units`
    // UTF-16 units (cells kept as the file had them are not looked at).
    bool changesTextLongerThan(int units) const;
    // Every sheet, string and style forgotten (the path stays), to be read
    // again.
    void clear();

private:
    Q_DISABLE_COPY(WorkbookDocument)
};

#endif // WORKBOOKDOCUMENT_H
