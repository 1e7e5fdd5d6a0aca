#ifndef FORMULASHIFTER_H
#define FORMULASHIFTER_H

#include <QString>

// Moves the relative references of a formula as if it were copied by a
// number of rows and columns ("A1+$B2" moved one row down is "A2+$B3"), the
// way a shared formula's text applies to each of its cells. Text in quotes
// and names are left alone; a reference moved off the sheet becomes #REF!.
class FormulaShifter
{
public:
    static QString shift(const QString &formula, int rows, int columns);
};

#endif // FORMULASHIFTER_H
