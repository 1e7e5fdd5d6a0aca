#ifndef PARSPACE_H
#define PARSPACE_H

#include "operations/TextSpace.h"

#include <QString>

// Options of the spaces operation.
struct ParSpace
{
    QString sheetIndex;
    TextSpace::Index index = TextSpace::Index::Left;
    TextSpace::Implement implement = TextSpace::Implement::Increase;
    int number = 0;
};

#endif // PARSPACE_H
