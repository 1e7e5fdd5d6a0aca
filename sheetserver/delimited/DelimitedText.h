#ifndef DELIMITEDTEXT_H
#define DELIMITEDTEXT_H

#include "delimited/DelimitedLayout.h"

#include <QByteArray>
#include <QString>

class SheetModel;

// Comma- or tab-separated text as a one-sheet workbook. Fields are text and
// stay text ("007" keeps its zeros). A file is only taken if writing it back
// unchanged gives exactly its bytes, so a save changes nothing but the
// changed fields.
class DelimitedText
{
public:
    // In any encoding TextEncoding tells apart.
    static bool read(const QByteArray &bytes, QChar delimiter, SheetModel *sheet,
                     DelimitedLayout *layout, QString *why);
    // False when a changed field cannot be written in the file's encoding.
    static bool write(const SheetModel &sheet, const DelimitedLayout &layout, QByteArray *out,
                      QString *why);
};

#endif // DELIMITEDTEXT_H
