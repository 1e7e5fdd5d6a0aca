#ifndef PARADD_H
#define PARADD_H

#include "operations/TextAdd.h"

#include <QString>

// Options of the append operation.
struct ParAdd
{
    QString sheetIndex;
    TextAdd::Index index = TextAdd::Index::Left;
    // Start of the copied piece, counted from 0.
    int pos = 0;
    TextAdd::LengthOption lengthOption = TextAdd::LengthOption::fixLength;
    int length = 0;
};

#endif // PARADD_H
