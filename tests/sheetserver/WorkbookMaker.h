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

    // An entry of a zip made byte by byte, for packages no zip library
    // writes: its bytes as stored, and the method, checksum and size its
    // headers declare. bodyOf: an earlier entry whose local header and
    // body this entry's directory record points at instead of its own;
    // localSize: the compressed size its local header declares, when that
    // lies.
    struct RawEntry
    {
        QByteArray name;
        QByteArray stored;
        quint16 method = 8;
        quint32 crc = 0;
        quint32 size = 0;
        int bodyOf = -1;
        qint64 localSize = -1;
    };
    static QList<RawEntry> deflated(const Parts &parts);
    // A deflated entry of head, count times block, then tail, made without
    // ever holding the whole: a bomb of a gigabyte fits in a megabyte.
    static RawEntry repeated(const QString &name, const QByteArray &head, const QByteArray &block,
                             int count, const QByteArray &tail);
    static QByteArray zip(const QList<RawEntry> &entries);
};

#endif // WORKBOOKMAKER_H
