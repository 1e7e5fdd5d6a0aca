#ifndef WORKBOOKREADER_H
#define WORKBOOKREADER_H

#include <QByteArray>
#include <QString>

class WorkbookDocument;
class ZipPackage;
struct PackageLayout;

// Reads a workbook package (.xlsx, .xlsm and their templates) into a
// document, and what a save needs of the package into its layout: content
// types, relationships, the workbook part, styles, shared strings and every
// worksheet. Refuses what is not such a workbook, and any damaged or hostile
// package, before anything is kept.
class WorkbookReader
{
public:
    static bool read(const QByteArray &bytes, WorkbookDocument *document, PackageLayout *layout,
                     QString *why);

    // A relationship target resolved against the part that holds it.
    static QString resolveTarget(const QString &sourcePart, const QString &target);
    // The relationships part of a part: "xl/workbook.xml" has
    // "xl/_rels/workbook.xml.rels".
    static QString relationshipsPart(const QString &part);
    // An entry inflated as UTF-8 text, whatever encoding it is stored in,
    // stopped early where its content would exhaust memory or time. May run
    // on any thread.
    static bool inflateText(const ZipPackage &zip, int index, QByteArray *data, QString *why);
};

#endif // WORKBOOKREADER_H
