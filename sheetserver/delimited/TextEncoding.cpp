#include "delimited/TextEncoding.h"

#include "EncodingRule.h"

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

// The kind of what the rule read in codec; false for UTF-32, which nothing
// here writes back.
bool kindOf(const QTextCodec *codec, TextEncoding::Kind *kind)
{
    // Qt knows its codecs by their IANA MIB numbers.
    static const struct
    {
        int mib;
        TextEncoding::Kind kind;
    } kinds[] = {{106, TextEncoding::Utf8},
                 {1014, TextEncoding::Utf16LE},
                 {1013, TextEncoding::Utf16BE},
                 {114, TextEncoding::Gb18030}};
    for (const auto &known : kinds) {
        if (codec->mibEnum() == known.mib) {
            *kind = known.kind;
            return true;
        }
    }
    return false;
}

} // namespace

bool TextEncoding::decode(const QByteArray &bytes, TextEncoding *encoding, QString *text)
{
    EncodingRule::Reading reading = EncodingRule::read(bytes, gb18030());
    *encoding = TextEncoding();
    encoding->byteOrderMark = reading.byteOrderMark;
    // Half a surrogate pair reads back exactly as UTF-16, but is no text.
    if (!reading.exact || !reading.text.isValidUtf16() || !kindOf(reading.codec, &encoding->kind))
        return false;
    if (encoding->kind == Utf8 && !encoding->byteOrderMark && isAscii(bytes))
        encoding->kind = Ascii;
    *text = std::move(reading.text);
    return true;
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
