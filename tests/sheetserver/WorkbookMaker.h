#ifndef WORKBOOKMAKER_H
#define WORKBOOKMAKER_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

// Workbook packages made from nothing, for the tests and the benchmarks:
// the parts every workbook has, and large workbooks of text as a
// spreadsheet application writes them.
class WorkbookMaker
{
public:
    using Parts = QList<QPair<QString, QByteArray>>;
    using Pairs = QList<QPair<QByteArray, QByteArray>>;
    using TextOf = std::function<QString(int row, int column)>;

    // The XML declaration every part starts with, line end included.
    static QByteArray declaration();
    // The default namespace of worksheets and workbooks, and "r".
    static QByteArray namespaces();
    // "application/vnd.openxmlformats-officedocument.spreadsheetml.<kind>+xml"
    static QByteArray spreadsheetType(const QByteArray &kind);

    // [Content_Types].xml: rels and xml by default, then (extension, type)
    // defaults and (part name, type) overrides.
    static QByteArray contentTypes(const Pairs &overrides, const Pairs &defaults = {});
    // A relationships part of (type, target) pairs, "rId1" on; a short type
    // such as "worksheet" is one of the office document's own.
    static QByteArray relationships(const Pairs &typesAndTargets);

    // One sheet of rows x columns text cells from A1, each text a shared
    // string of its own.
    static Parts textWorkbook(const QString &sheetName, int rows, int columns, const TextOf &text);

    // Writes a package with these entries, in this order, deflated.
    static bool writePackage(const QString &path, const Parts &parts);
};

#endif // WORKBOOKMAKER_H
