#ifndef WORKBOOKFIXTURES_H
#define WORKBOOKFIXTURES_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include "AutomationClient.h"
#include "WorkbookMaker.h"

// Helpers the workbook tests share: fixture copies, the expected displayed
// text, and building and taking apart zip packages.
namespace WorkbookFixtures {

QString dataPath(const QString &name); // tests/data/workbooks/<name>
// A writable copy of a fixture in dir; its path.
QString copy(const QString &name, const QString &dir);
QByteArray readFile(const QString &path);
QByteArray fixtureBytes(const QString &name); // a fixture's content
// expected.json: file name -> {sheets, active, shown}.
QVariantMap expected();
// encodings.json: delimited text file name -> {codec, rows of field texts}.
QVariantMap encodings();
// Text in the Qt codec of that name, without a byte-order mark.
QByteArray encoded(const QString &codec, const QString &text);

using Parts = WorkbookMaker::Parts;
// Writes a package with these entries, in this order, deflated.
bool writePackage(const QString &path, const Parts &parts);
// Every entry inflated, in order.
Parts readPackage(const QString &path);
QByteArray entry(const QString &path, const QString &name);
// The stored (compressed) bytes of every entry, by name.
QList<QPair<QString, QByteArray>> rawEntries(const QString &path);

// A workbook with much to keep: shared and plain formulas with a
// calculation chain, merged cells, conditional formats, a validation, a
// hyperlink, column and row attributes, views, page setup, an extension
// list, a second sheet, a macro part, custom XML and printer settings.
Parts richWorkbook();

// How a producer writes a part: the prefix of the root element and the one
// of every element below it ("x:", or empty for a default namespace, which
// then each child of the root declares for itself when the root has a
// prefix), and whether rows and cells tell their references.
struct Dialect
{
    QByteArray rootPrefix;
    QByteArray prefix;
    bool references = true;
};
// One sheet "Data", every part in the dialect: shared strings, a rich-text
// inline string, numbers, a shared formula and a plain one in the
// calculation chain, and a row of no cells with a height of its own. The
// producers' workbooks in tests/data/workbooks (openpyxl.xlsx,
// xlsxwriter.xlsx) hold the same cells.
Parts dialectWorkbook(const Dialect &dialect);

// Runs Debian's Python with openpyxl on a script; its standard output.
bool runPython(const QString &script, QString *output);
// Every cell that holds something, on every worksheet, as openpyxl reads
// it: "Sheet!A1=value", the value as Python prints it (repr: as its repr).
bool openpyxlCells(const QString &path, bool repr, QStringList *cells);
bool writeFile(const QString &path, const QByteArray &bytes);
// The most memory the process has held so far, in bytes.
qint64 residentPeak();
// The memory the process holds now, in bytes.
qint64 residentNow();

// A workbook opened through the automation client, as the plug-in opens it,
// on a new instance of the real server.
struct ServerSession
{
    explicit ServerSession(const QString &path);
    AutomationClient *sheet(int n);
    AutomationClient *cell(int sheet, const QString &name);
    QString text(int sheet, const QString &name);
    void set(int sheet, const QString &name, const QString &value);
    // Every match in the used range, inside cells, case matched.
    bool replace(int sheet, const QString &what, const QString &with);
    bool save();

    AutomationClient app;
    AutomationClient *book = nullptr;
};

} // namespace WorkbookFixtures

#endif // WORKBOOKFIXTURES_H
