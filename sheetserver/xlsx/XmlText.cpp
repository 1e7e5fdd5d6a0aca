#include "xlsx/XmlText.h"

#include "xlsx/XmlPartReader.h"

#include <QXmlStreamReader>

namespace {

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// "_xHHHH_" at position i; the code unit in *value.
bool escapeAt(QStringView text, int i, ushort *value)
{
    if (i + 7 > text.size() || text.at(i) != QLatin1Char('_') ||
        (text.at(i + 1) != QLatin1Char('x') && text.at(i + 1) != QLatin1Char('X')) ||
        text.at(i + 6) != QLatin1Char('_'))
        return false;
    ushort v = 0;
    for (int k = 2; k < 6; ++k) {
        const int h = hexValue(text.at(i + k));
        if (h < 0)
            return false;
        v = ushort(v * 16 + h);
    }
    *value = v;
    return true;
}

bool allowedInXml(ushort u)
{
    return u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u < 0xFFFE);
}

} // namespace

QString XmlText::decodeEscapes(QStringView text)
{
    if (text.indexOf(QLatin1Char('_')) < 0)
        return text.toString();
    QString out;
    out.reserve(int(text.size()));
    for (int i = 0; i < text.size(); ++i) {
        ushort value = 0;
        if (escapeAt(text, i, &value)) {
            out += QChar(value);
            i += 6;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

QString XmlText::encodeEscapes(QStringView text)
{
    QString out;
    out.reserve(int(text.size()));
    const int size = int(text.size());
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        const ushort u = c.unicode();
        ushort ignored = 0;
        bool escape = !allowedInXml(u) || escapeAt(text, i, &ignored);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
            continue;
        }
        if (c.isSurrogate())
            escape = true;
        if (escape)
            out += QStringLiteral("_x") +
                   QString::number(u, 16).toUpper().rightJustified(4, QLatin1Char('0')) +
                   QLatin1Char('_');
        else
            out += c;
    }
    return out;
}

void XmlText::appendEscaped(QByteArray *out, QStringView text, bool referWhitespace)
{
    const QByteArray utf8 = text.toUtf8();
    out->reserve(out->size() + utf8.size() + 16);
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out->append("&amp;");
            break;
        case '<':
            out->append("&lt;");
            break;
        case '>':
            out->append("&gt;");
            break;
        case '"':
            out->append("&quot;");
            break;
        case '\r':
            // A raw carriage return would be read back as a line feed.
            out->append("&#13;");
            break;
        case '\t':
            out->append(referWhitespace ? "&#9;" : "\t");
            break;
        case '\n':
            out->append(referWhitespace ? "&#10;" : "\n");
            break;
        default:
            out->append(c);
        }
    }
}

bool XmlText::appendPlain(QByteArray *out, const char *bytes, int length)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes);
    for (int i = 0; i < length; ++i) {
        const uchar b = p[i];
        if (b >= 0x20 && b < 0x80) {
            if (b == '&' || b == '<' || b == '>' || b == '"' || b == '_')
                return false;
            continue;
        }
        if (b == '\t' || b == '\n')
            continue;
        if (b < 0x20)
            return false; // escaped, or read back as a line feed (\r)
        // Lead bytes of surrogates (ED A0..BF) and of U+FFFE, U+FFFF.
        if (b == 0xED && i + 1 < length && p[i + 1] >= 0xA0)
            return false;
        if (b == 0xEF && i + 2 < length && p[i + 1] == 0xBF && p[i + 2] >= 0xBE)
            return false;
    }
    out->append(bytes, length);
    return true;
}

bool XmlText::declaresOtherEncoding(const QByteArray &data)
{
    if (data.startsWith("\xFE\xFF") || data.startsWith("\xFF\xFE"))
        return true;
    // UTF-16 or UTF-32 without a mark, which Qt's reader still takes apart
    // as such: the byte offsets read from it would then be wrong.
    if (data.left(4).contains('\0'))
        return true;
    const int from = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    if (data.mid(from, 5) != "<?xml")
        return false;
    const int close = data.indexOf("?>", from);
    if (close < 0)
        return false;
    const QByteArray declaration = data.mid(from, close - from).toLower();
    const int at = declaration.indexOf("encoding");
    if (at < 0)
        return false;
    const QByteArray rest = declaration.mid(at + 8);
    return !(rest.contains("\"utf-8\"") || rest.contains("'utf-8'") || rest.contains("\"utf8\"") ||
             rest.contains("'utf8'"));
}

bool XmlText::isForbidden(const QXmlStreamReader &reader)
{
    return reader.tokenType() == QXmlStreamReader::DTD ||
           reader.tokenType() == QXmlStreamReader::EntityReference;
}

bool XmlText::readStringItem(XmlPartReader &part, QString *text)
{
    QXmlStreamReader &reader = part.reader();
    QString raw;
    int depth = 1;
    int textDepth = 0; // inside a <t> to take
    int skipDepth = 0; // inside a phonetic run
    while (depth > 0 && !reader.atEnd()) {
        const QXmlStreamReader::TokenType token = part.readNext();
        if (isForbidden(reader))
            return false;
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (skipDepth == 0 && reader.name() == QLatin1String("rPh"))
                skipDepth = depth;
            else if (skipDepth == 0 && textDepth == 0 && reader.name() == QLatin1String("t"))
                textDepth = depth;
        } else if (token == QXmlStreamReader::Characters) {
            if (textDepth > 0 && skipDepth == 0)
                raw += reader.text();
            if (raw.size() > MaxRawText)
                return false;
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == skipDepth)
                skipDepth = 0;
            if (depth == textDepth)
                textDepth = 0;
            --depth;
        }
    }
    if (reader.hasError())
        return false;
    *text = raw.contains(QLatin1Char('_')) ? decodeEscapes(raw) : raw;
    return text->size() <= MaxCellText;
}

Utf8Offsets::Utf8Offsets(const QByteArray &data) : m_data(data)
{
    // The reader does not count a byte-order mark.
    if (data.startsWith("\xEF\xBB\xBF"))
        m_byte = 3;
}

Utf8Offsets::Utf8Offsets(const QByteArray &data, qint64 from, qint64 fromCharacter)
    : m_data(data), m_byte(from), m_character(fromCharacter)
{
}

qint64 Utf8Offsets::byteAt(qint64 characterOffset)
{
    const auto *p = reinterpret_cast<const unsigned char *>(m_data.constData());
    const qint64 n = m_data.size();
    while (m_character < characterOffset && m_byte < n) {
        const unsigned char c = p[m_byte];
        if (c < 0x80) {
            m_byte += 1;
            m_character += 1;
        } else if ((c & 0xE0) == 0xC0) {
            m_byte += 2;
            m_character += 1;
        } else if ((c & 0xF0) == 0xE0) {
            m_byte += 3;
            m_character += 1;
        } else {
            m_byte += 4;
            m_character += 2; // a surrogate pair
        }
    }
    return qMin(m_byte, n);
}
