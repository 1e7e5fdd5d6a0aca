#include "EncodingRule.h"

#include <QTextCodec>

namespace {

constexpr int Utf8Mib = 106; // as IANA numbers it, and Qt after it

void readIn(QTextCodec *codec, const QByteArray &bytes, EncodingRule::Reading *reading)
{
    reading->codec = codec;
    reading->text = EncodingRule::toText(codec, bytes);
    reading->exact = EncodingRule::toBytes(codec, reading->text) == bytes;
}

} // namespace

EncodingRule::Reading EncodingRule::read(const QByteArray &bytes, QTextCodec *fallback)
{
    Reading reading;
    if (QTextCodec *marked = QTextCodec::codecForUtfText(bytes, nullptr)) {
        reading.byteOrderMark = true;
        const int mark = byteOrderMark(marked).size();
        // A view of the body: delimited text may be most of the memory there is.
        readIn(marked, QByteArray::fromRawData(bytes.constData() + mark, bytes.size() - mark),
               &reading);
        return reading;
    }
    readIn(QTextCodec::codecForMib(Utf8Mib), bytes, &reading);
    if (!reading.exact && fallback)
        readIn(fallback, bytes, &reading);
    return reading;
}

QString EncodingRule::toText(QTextCodec *codec, const QByteArray &bytes)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->toUnicode(bytes.constData(), bytes.size(), &state);
}

QByteArray EncodingRule::toBytes(QTextCodec *codec, const QString &text)
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return codec->fromUnicode(text.constData(), text.size(), &state);
}

QByteArray EncodingRule::byteOrderMark(QTextCodec *codec)
{
    return toBytes(codec, QString(QChar(QChar::ByteOrderMark)));
}
