#ifndef PARTO_H
#define PARTO_H

#include "operations/TextTo.h"

#include <QString>
#include <QStringList>

// Options of the conversions, with the word lists of the script and custom
// conversions already read, so the jobs never touch the list files.
struct ParTo
{
    QString sheetIndex;
    TextTo::Implement implement = TextTo::Implement::Case;
    TextTo::Case toCase = TextTo::Case::ToCapital;
    TextTo::CaseWhich caseWhich = TextTo::CaseWhich::All;
    bool toHalf = false;
    // The whole cell is one number; otherwise every digit run inside the text.
    bool format1 = false;
    int baseBefore = 10;
    int baseAfter = 16;
    // Phrase lists of the source and target scripts; line i of toList
    // replaces line i of fromList.
    QStringList fromList;
    QStringList toList;
    // One-to-one character lists, simplified and traditional, line by line;
    // entries of newOneList are replaced by those of oldOneList, so toward the
    // simplified script newOneList holds the traditional side.
    QStringList newOneList;
    QStringList oldOneList;
    // The phrase lists apply before the one-to-one lists.
    bool twoStep = false;
    QStringList customBefore;
    QStringList customAfter;
    // Replace list entry after list entry; otherwise each character once.
    bool result1 = false;
};

#endif // PARTO_H
