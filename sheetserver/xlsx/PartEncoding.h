#ifndef PARTENCODING_H
#define PARTENCODING_H

#include <QByteArray>

// The encodings a package part may come in. The package format allows UTF-8
// and UTF-16 with a byte-order mark; the readers and writers work on UTF-8
// only, so a UTF-16 part is turned into UTF-8 as it is read. A part that
// changes is written from that UTF-8 text, its declaration saying so; an
// unchanged part is copied as stored and keeps its bytes.
class PartEncoding
{
public:
    // The part's first bytes are a UTF-16 byte-order mark.
    static bool isUtf16(const QByteArray &part);
    // A UTF-16 part becomes UTF-8 without a mark, "UTF-16" in its XML
    // declaration becoming "UTF-8"; any other part is left as it is. False
    // for UTF-16 that does not decode (an odd length, half a surrogate pair).
    static bool toUtf8(QByteArray *part);
};

#endif // PARTENCODING_H
