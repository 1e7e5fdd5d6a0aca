#include "xlsx/XmlStartTag.h"

#include <cstring>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool endsName(char c)
{
    return isSpace(c) || c == '/' || c == '>' || c == '=';
}

} // namespace

XmlStartTag::XmlStartTag(const char *bytes, int length) : m_bytes(bytes), m_length(length)
{
    int at = 1;
    while (at < length && !endsName(bytes[at]))
        ++at;
    m_nameEnd = at;
    // Attribute values are quoted and may hold '>' or '/'.
    char quote = 0;
    for (; at < length; ++at) {
        const char c = bytes[at];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            break;
        }
    }
    m_tagEnd = at > m_nameEnd && at < length && bytes[at - 1] == '/' ? at - 1 : at;
}

QByteArray XmlStartTag::name() const
{
    return QByteArray(m_bytes + 1, m_nameEnd - 1);
}

QByteArray XmlStartTag::prefix() const
{
    const QByteArray qualified = name();
    return qualified.left(qualified.indexOf(':') + 1);
}

bool XmlStartTag::isSelfClosing() const
{
    return m_tagEnd < m_length && m_bytes[m_tagEnd] == '/';
}

bool XmlStartTag::findAttribute(const char *name, int *from, int *to) const
{
    const int size = int(std::strlen(name));
    int at = m_nameEnd;
    while (at < m_tagEnd) {
        while (at < m_tagEnd && isSpace(m_bytes[at]))
            ++at;
        const int nameStart = at;
        while (at < m_tagEnd && !endsName(m_bytes[at]))
            ++at;
        const bool match =
            at - nameStart == size && std::memcmp(m_bytes + nameStart, name, size_t(size)) == 0;
        while (at < m_tagEnd && m_bytes[at] != '"' && m_bytes[at] != '\'')
            ++at; // past '=' and the spaces around it
        if (at >= m_tagEnd)
            return false;
        const char quote = m_bytes[at];
        const int valueStart = ++at;
        while (at < m_tagEnd && m_bytes[at] != quote)
            ++at;
        if (match) {
            if (from)
                *from = valueStart;
            if (to)
                *to = at;
            return true;
        }
        ++at;
    }
    return false;
}
