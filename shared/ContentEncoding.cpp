#include "ContentEncoding.h"
#include "ContentCodec.h"

#include <QTextCodec>

namespace {

// Both directions leave a byte-order mark to the caller: a leading mark is
// text like any other character here.
QString toText(QTextCodec *codec, const QByteArray &bytes)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->toUnicode(bytes.constData(), bytes.size(), &state);
}

QByteArray toBytes(QTextCodec *codec, const QString &text)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->fromUnicode(text.constData(), text.size(), &state);
}

} // namespace

ContentEncoding::ContentEncoding() : ContentEncoding(QTextCodec::codecForMib(106), false) {}

ContentEncoding::ContentEncoding(QTextCodec *codec, bool byteOrderMark)
    : m_codec(codec), m_byteOrderMark(byteOrderMark)
{
}

bool ContentEncoding::decode(const QByteArray &bytes, QTextCodec *fallback,
                             ContentEncoding *encoding, QString *text)
{
    if (QTextCodec *marked = QTextCodec::codecForUtfText(bytes, nullptr)) {
        *encoding = ContentEncoding(marked, true);
        return encoding->decodeBody(bytes.mid(encoding->byteOrderMark().size()), text);
    }
    *encoding = ContentEncoding();
    if (encoding->decodeBody(bytes, text))
        return true;
    *encoding = ContentEncoding(fallback ? fallback : ContentCodec::chosen(), false);
    return encoding->decodeBody(bytes, text);
}

bool ContentEncoding::encode(const QString &text, QByteArray *out) const
{
    const QByteArray body = toBytes(m_codec, text);
    // A codec writes what it cannot carry as a stand-in character, which
    // does not read back as the text.
    if (toText(m_codec, body) != text)
        return false;
    *out = m_byteOrderMark ? byteOrderMark() + body : body;
    return true;
}

QByteArray ContentEncoding::byteOrderMark() const
{
    return toBytes(m_codec, QString(QChar(QChar::ByteOrderMark)));
}

bool ContentEncoding::decodeBody(const QByteArray &bytes, QString *text) const
{
    *text = toText(m_codec, bytes);
    return toBytes(m_codec, *text) == bytes;
}
