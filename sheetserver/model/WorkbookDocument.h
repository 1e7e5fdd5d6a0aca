#ifndef WORKBOOKDOCUMENT_H
#define WORKBOOKDOCUMENT_H

#include "model/CellStyles.h"
#include "model/SharedStringUses.h"
#include "model/SheetModel.h"
#include "model/TextPool.h"

#include <QString>
#include <QVector>
#include <vector>

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

    // The count of the cells on each shared string, counted the first time
    // it is asked for; null when a sheet was not read.
    SharedStringUses *sharedStringUses();
    // Gives the shared strings at `indexes` the texts of `texts`, one each in
    // order, for every cell on them at once: their sheets stay as they are,
    // and a save writes the table anew. The new texts are plain (a string's
    // formatting runs and phonetic text go, as they go from a cell given a
    // text of its own).
    void rewriteSharedStrings(const std::vector<int> &indexes, TextPool &&texts);
    bool isRewritten(int sharedString) const
    {
        return sharedString >= 0 && size_t(sharedString) < m_rewritten.size() &&
               m_rewritten[size_t(sharedString)];
    }
    bool hasRewrittenStrings() const { return m_rewrittenCount > 0; }
    // The file now holds the shared strings as they are.
    void noteStringsSaved();

    bool isChanged() const;
    // Whether a cell changed since the file was read holds more than `units`
    // UTF-16 units (cells kept as the file had them are not looked at).
    bool changesTextLongerThan(int units) const;
    // Every sheet, string and style forgotten (the path stays), to be read
    // again.
    void clear();

private:
    Q_DISABLE_COPY(WorkbookDocument)
    SharedStringUses m_uses;
    std::vector<bool> m_rewritten; // by shared string, once any is
    int m_rewrittenCount = 0;
};

#endif // WORKBOOKDOCUMENT_H
