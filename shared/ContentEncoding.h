#ifndef CONTENTENCODING_H
#define CONTENTENCODING_H

#include <QByteArray>
#include <QString>

class QTextCodec;

// The encoding of a text file told by its bytes (EncodingRule), its fallback
// the codec the caller names, by default the one the options choose
// (ContentCodec, which "ANSI" makes GB18030).
class ContentEncoding
{
public:
    // UTF-8 without a mark: the encoding of a file that is empty or missing.
    ContentEncoding();

    // The text of bytes, a byte-order mark left out, and their encoding.
    // False when the text does not give back exactly these bytes: what the
    // encoding could not decode shows as replacement characters, and writing
    // the text over the file would lose it for good.
    static bool decode(const QByteArray &bytes, QTextCodec *fallback, ContentEncoding *encoding,
                       QString *text);
    // The text in this encoding, the mark first when the file had one; false
    // when the encoding cannot carry every character of it.
    bool encode(const QString &text, QByteArray *out) const;

    QTextCodec *codec() const { return m_codec; }
    bool hasByteOrderMark() const { return m_byteOrderMark; }

private:
    ContentEncoding(QTextCodec *codec, bool byteOrderMark);

    QTextCodec *m_codec;
    bool m_byteOrderMark;
};

#endif // CONTENTENCODING_H
