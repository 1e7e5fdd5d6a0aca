#ifndef DELIMITEDLAYOUT_H
#define DELIMITEDLAYOUT_H

#include "delimited/TextEncoding.h"

#include <QByteArray>
#include <QChar>
#include <QVector>

// How a delimited text file was written, so that it is written back the
// same way: encoding and mark, delimiter, line ends row by row, the number
// of fields of each row, which fields were quoted and whether every field
// was.
struct DelimitedLayout
{
    QChar delimiter = QLatin1Char(',');
    TextEncoding encoding;
    QVector<QByteArray> lineEnds;   // per row; "" for a last row without one
    QVector<int> fieldCounts;       // per row
    QVector<QVector<bool>> quoted;  // per row, whether each field read was
    QByteArray newLineEnd = "\r\n"; // for rows added after the last
    bool quoteAll = false;
};

#endif // DELIMITEDLAYOUT_H
