#include "delimited/TextEncoding.h"

#include "model/Utf8.h"

#include <QTextCodec>
#include <QtEndian>

#include <atomic>

namespace {

std::atomic<TextEncoding::NewTextKind> newTextAsk{nullptr};

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

const QByteArray Utf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray Utf16LEMark = QByteArrayLiteral("\xFF\xFE");
const QByteArray Utf16BEMark = QByteArrayLiteral("\xFE\xFF");

QTextCodec *gb18030()
{
    return QTextCodec::codecForName("GB18030");
}

bool decodeUtf16(const QByteArray &bytes, TextEncoding::Kind kind, QString *text)
{
    const int size = bytes.size() - 2;
    if (size % 2 != 0)
        return false;
    text->resize(size / 2);
    const char *from = bytes.constData() + 2;
    if (kind == TextEncoding::Utf16LE)
        qFromLittleEndian<quint16>(from, text->size(), text->data());
    else
        qFromBigEndian<quint16>(from, text->size(), text->data());
    return text->isValidUtf16();
}

bool decodeGb18030(const QByteArray &bytes, QString *text)
{
    QTextCodec *codec = gb18030();
    if (!codec)
        return false;
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    *text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0 &&
           codec->fromUnicode(*text) == bytes;
}

} // namespace

bool TextEncoding::decode(const QByteArray &bytes, TextEncoding *encoding, QString *text)
{
    *encoding = TextEncoding();
    if (bytes.startsWith(Utf16LEMark) || bytes.startsWith(Utf16BEMark)) {
        encoding->kind = bytes.startsWith(Utf16LEMark) ? Utf16LE : Utf16BE;
        encoding->byteOrderMark = true;
        return decodeUtf16(bytes, encoding->kind, text);
    }
    encoding->byteOrderMark = bytes.startsWith(Utf8Mark);
    const int skip = encoding->byteOrderMark ? Utf8Mark.size() : 0;
    const QByteArray body = QByteArray::fromRawData(bytes.constData() + skip, bytes.size() - skip);
    if (!encoding->byteOrderMark && isAscii(body)) {
        encoding->kind = Ascii;
        *text = QString::fromLatin1(body);
        return true;
    }
    if (Utf8::isValid(body)) {
        *text = QString::fromUtf8(body);
        return true;
    }
    // A mark that promises UTF-8 over text that is not: no file to trust.
    if (encoding->byteOrderMark)
        return false;
    encoding->kind = Gb18030;
    return decodeGb18030(bytes, text);
}

void TextEncoding::setNewTextKind(NewTextKind ask)
{
    newTextAsk.store(ask);
}

TextEncoding::Kind TextEncoding::newTextKind()
{
    const NewTextKind ask = newTextAsk.load();
    return ask && ask() == Gb18030 ? Gb18030 : Utf8;
}

bool TextEncoding::encode(const QString &text, QByteArray *out) const
{
    // UTF-8 would write a question mark, and UTF-16 a file no reader takes.
    if (!text.isValidUtf16())
        return false;
    switch (kind) {
    case Ascii:
        if (isAscii(text)) {
            *out = text.toLatin1();
            return true;
        }
        {
            TextEncoding chosen; // without a mark, as the file was
            chosen.kind = newTextKind();
            return chosen.encode(text, out);
        }
    case Utf8:
        *out = byteOrderMark ? Utf8Mark : QByteArray();
        out->append(text.toUtf8());
        return true;
    case Utf16LE:
    case Utf16BE: {
        const QByteArray &mark = kind == Utf16LE ? Utf16LEMark : Utf16BEMark;
        *out = byteOrderMark ? mark : QByteArray();
        const int start = out->size();
        out->resize(start + 2 * text.size());
        if (kind == Utf16LE)
            qToLittleEndian<quint16>(text.utf16(), text.size(), out->data() + start);
        else
            qToBigEndian<quint16>(text.utf16(), text.size(), out->data() + start);
        return true;
    }
    case Gb18030:
        break;
    }
    QTextCodec *codec = gb18030();
    if (!codec)
        return false;
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    *out = codec->fromUnicode(text.constData(), text.size(), &state);
    return state.invalidChars == 0;
}
