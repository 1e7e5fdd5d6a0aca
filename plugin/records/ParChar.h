#ifndef PARCHAR_H
#define PARCHAR_H

#include "operations/TextChar.h"

#include <QString>

// Options of the characters operation.
struct ParChar
{
    QString sheetIndex;
    TextChar::Index index = TextChar::Index::Left;
    int pos = 0;
    TextChar::Implement implement = TextChar::Implement::Increase;
    // Read for Delete only.
    TextChar::LengthOption lengthOption = TextChar::LengthOption::fixLength;
    // The text to add, or for Delete and Retain a count in decimal digits.
    QString text;
};

#endif // PARCHAR_H
