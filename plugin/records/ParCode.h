#ifndef PARCODE_H
#define PARCODE_H

#include "operations/TextCode.h"

#include <QByteArray>
#include <QString>

// Options of encode, decode and digest.
struct ParCode
{
    QString sheetIndex;
    bool encode = true;
    // May hold a value outside the enumeration (the chooser's divider), with
    // which the operation leaves every cell alone.
    TextCode::Option option = TextCode::Option::BASIC;
    // The password's bytes (Latin-1 where it fits, else UTF-8); only AES uses them.
    QByteArray password;
};

#endif // PARCODE_H
