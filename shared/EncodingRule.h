#ifndef ENCODINGRULE_H
#define ENCODINGRULE_H

#include <QByteArray>
#include <QString>

class QTextCodec;

// The one rule by which the encoding of a text file is told from its bytes
// rather than from the desktop's settings, so that a file written under one
// setting reads the same under another, in any thread. In this order: a
// byte-order mark (UTF-8, UTF-16, UTF-32); text that is valid UTF-8; the
// fallback codec the reader names. The host's and the plug-in's text files
// and the server's delimited text are all read by it, each reader with its
// own fallback; it needs Qt Core alone, so the server links it without the
// rest of shared/.
class EncodingRule
{
public:
    struct Reading
    {
        QTextCodec *codec = nullptr; // UTF-8 when nothing else reads them
        bool byteOrderMark = false;
        QString text; // the mark left out
        // Whether the text gives back exactly the bytes (the mark aside):
        // what the codec could not decode shows as replacement characters,
        // and writing the text over the file would lose it for good.
        bool exact = false;
    };

    // Bytes that are neither marked nor UTF-8 are read in fallback; without
    // one they stay an inexact reading as UTF-8.
    static Reading read(const QByteArray &bytes, QTextCodec *fallback);

    // Bytes in codec as the rule reads them, and back: either way a leading
    // mark is text like any other character, left to the caller.
    static QString toText(QTextCodec *codec, const QByteArray &bytes);
    static QByteArray toBytes(QTextCodec *codec, const QString &text);
    // The mark codec writes first.
    static QByteArray byteOrderMark(QTextCodec *codec);
};

#endif // ENCODINGRULE_H
