#ifndef TEXTENCODING_H
#define TEXTENCODING_H

#include <QByteArray>
#include <QString>

// The encoding of a text file, told by its content alone, so that a file
// reads the same whatever the desktop's settings, in every thread. In this
// order: a byte-order mark (UTF-8, UTF-16 LE, UTF-16 BE); text that is valid
// UTF-8; text that GB18030 (the code page of Chinese desktops, which the host
// calls "ANSI"; it holds GBK) decodes and encodes back to exactly its bytes.
// Anything else is not taken. Each of these maps every character on its
// own, so a file whose text encodes back to its bytes keeps the bytes of
// every character that stays.
class TextEncoding
{
public:
    enum Kind { Utf8, Utf16LE, Utf16BE, Gb18030 };

    // The encoding of bytes and their text, the mark left out; false when
    // the bytes are in none of the encodings above.
    static bool decode(const QByteArray &bytes, TextEncoding *encoding, QString *text);
    // Text in this encoding, mark first when the file had one; false when
    // the text holds what no encoding can carry (half a surrogate pair).
    bool encode(const QString &text, QByteArray *out) const;

    Kind kind = Utf8;
    bool byteOrderMark = false;
};

#endif // TEXTENCODING_H
