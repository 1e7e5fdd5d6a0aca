#ifndef WORKBOOKDOCUMENT_H
#define WORKBOOKDOCUMENT_H

#include "CellStyles.h"
#include "DelimitedLayout.h"
#include "SheetModel.h"
#include "TextPool.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <memory>

class ZipPackage;
struct XlsLayout;

// An open workbook: every sheet with its cells, the shared strings and
// styles, and what a save needs to write the file back as it was apart from
// the changes. Opening reads the whole file into memory and closes it; the
// file is touched again only by save().
class WorkbookDocument
{
public:
    enum class Format { Package, Delimited, Xls };

    WorkbookDocument();
    ~WorkbookDocument();

    // Opens a workbook of the Office Open XML family or an Excel 97-2003
    // workbook (both recognised by their content) or a .csv/.txt/.tsv file;
    // null, with the reason, for anything else and for any file that is
    // damaged or hostile.
    static std::unique_ptr<WorkbookDocument> open(const QString &path, QString *why);
    // The same from bytes already read; the name's suffix tells delimited
    // text apart (the fuzz target reads through here).
    static std::unique_ptr<WorkbookDocument> fromBytes(const QByteArray &bytes, const QString &path,
                                                       QString *why);

    // The sheets, read again from the saved bytes the first time they are
    // asked for after a save (the next save needs the new file's layout).
    int sheetCount();
    SheetModel *sheet(int index);

    QString path;
    Format format = Format::Package;
    QVector<SheetModel *> sheets; // owned; use sheet() outside reading
    int activeSheet = 0;
    bool date1904 = false;
    TextPool sharedStrings;
    CellStyles styles;

    // Package layout.
    std::unique_ptr<ZipPackage> package;
    QString workbookPart;
    QString workbookRelsPart;
    QString calcChainPart;
    QString contentTypesPart;
    // Delimited text layout.
    DelimitedLayout delimited;
    // Excel 97-2003 layout.
    std::unique_ptr<XlsLayout> xls;

    // What the file was when opened, to notice another program's changes.
    qint64 fileSize = -1;
    QDateTime fileModified;

    // The displayed text of a cell (null: an empty cell).
    QString displayText(const SheetModel &sheet, const Cell *cell) const;
    // The cell's value as the formula bar shows it (15 significant digits,
    // no formatting); what Replace matches.
    QString valueText(const SheetModel &sheet, const Cell &cell) const;

    bool isChanged();
    // Writes the changes in place, atomically; true and nothing written when
    // there is no change. On failure the file is as it was. A workbook
    // (either format, not delimited text) in which a changed cell holds more
    // than SpreadsheetServer::MaxCellText units is not written at all: a
    // spreadsheet application would cut such a cell, or refuse the file.
    bool save(QString *why);

private:
    Q_DISABLE_COPY(WorkbookDocument)
    static bool readInto(WorkbookDocument *document, const QByteArray &bytes, QString *why);
    void clear();
    void ensureCurrent();
    bool saveXls(QString *why);
    bool changesOverlongCell() const;
    void noteSaved(); // the saved file's size and time, to notice others' changes

    QByteArray m_savedBytes; // the file as last saved, until read again
};

#endif // WORKBOOKDOCUMENT_H
