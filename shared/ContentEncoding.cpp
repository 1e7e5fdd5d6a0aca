#include "ContentEncoding.h"
#include "ContentCodec.h"
#include "EncodingRule.h"

#include <QTextCodec>

ContentEncoding::ContentEncoding() : ContentEncoding(QTextCodec::codecForMib(106), false) {}

ContentEncoding::ContentEncoding(QTextCodec *codec, bool byteOrderMark)
    : m_codec(codec), m_byteOrderMark(byteOrderMark)
{
}

bool ContentEncoding::decode(const QByteArray &bytes, QTextCodec *fallback,
                             ContentEncoding *encoding, QString *text)
{
    EncodingRule::Reading reading =
        EncodingRule::read(bytes, fallback ? fallback : ContentCodec::chosen());
    *encoding = ContentEncoding(reading.codec, reading.byteOrderMark);
    *text = std::move(reading.text);
    return reading.exact;
}

bool ContentEncoding::encode(const QString &text, QByteArray *out) const
{
    const QByteArray body = EncodingRule::toBytes(m_codec, text);
    // A codec writes what it cannot carry as a stand-in character, which
    // does not read back as the text.
    if (EncodingRule::toText(m_codec, body) != text)
        return false;
    *out = m_byteOrderMark ? EncodingRule::byteOrderMark(m_codec) + body : body;
    return true;
}
