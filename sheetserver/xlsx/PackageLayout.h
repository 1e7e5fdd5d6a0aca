#ifndef PACKAGELAYOUT_H
#define PACKAGELAYOUT_H

#include "xlsx/StringItemCut.h"
#include "xlsx/ZipPackage.h"

#include <QString>
#include <QVector>
#include <memory>

// What a save needs of a workbook package to write it back as it was apart
// from the changes: the package as read, and the parts besides the sheets
// that a save may have to edit (entry names as the package spells them).
struct PackageLayout
{
    std::unique_ptr<ZipPackage> package;
    QString workbookPart;
    QString workbookRelsPart;
    QString calcChainPart;
    QString sharedStringsPart;
    // Where the shared strings as they are in the package can be cut to be
    // rewritten on several threads; empty when that is not known.
    QVector<StringItemCut> sharedStringsCuts;
    QString contentTypesPart;
};

#endif // PACKAGELAYOUT_H
