#ifndef TEXTENCODING_H
#define TEXTENCODING_H

#include <QByteArray>
#include <QString>

// The encoding of a text file, told by its content alone by the rule every
// reader of text files here shares (EncodingRule), so that a file reads the
// same whatever the desktop's settings, in every thread: a byte-order mark
// (UTF-8, UTF-16 LE, UTF-16 BE); text that is valid UTF-8, plain ASCII
// among it telling no encoding; then the fallback, text that GB18030 (the
// code page of Chinese desktops, which the host calls "ANSI"; it holds GBK)
// decodes and encodes back to exactly its bytes. Anything else is not
// taken, UTF-32 included. Each of these maps every character on its own,
// so a file whose text encodes back to its bytes keeps the bytes of every
// character that stays.
class TextEncoding
{
public:
    // Ascii: bytes below 0x80 alone (or none), without a mark. They read the
    // same in every encoding here, so they say nothing of the one the file
    // is meant to be in: its non-ASCII text, once it has some, is written
    // in the encoding newTextKind() gives (a GB18030 file that a run turned
    // into Base64 comes back as GB18030 when decoded, not as UTF-8).
    enum Kind { Utf8, Utf16LE, Utf16BE, Gb18030, Ascii };

    // The encoding of bytes and their text, the mark left out; false when
    // the bytes are in none of the encodings above.
    static bool decode(const QByteArray &bytes, TextEncoding *encoding, QString *text);
    // Text in this encoding, mark first when the file had one; false when
    // the text holds what no encoding can carry (half a surrogate pair).
    bool encode(const QString &text, QByteArray *out) const;

    // Who says which encoding non-ASCII text coming into an Ascii file
    // takes: Utf8 or Gb18030 (anything else counts as Utf8). One for the
    // process, asked at every such write, from whatever thread writes;
    // UTF-8 while none is set. The server's user sets it (the plug-in
    // answers with the encoding the host's options choose).
    using NewTextKind = Kind (*)();
    static void setNewTextKind(NewTextKind ask);
    static Kind newTextKind();

    Kind kind = Utf8;
    bool byteOrderMark = false;
};

#endif // TEXTENCODING_H
