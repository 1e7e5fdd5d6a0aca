#include "model/WildcardPattern.h"

#include "model/TextPool.h"

#include <cstring>

WildcardPattern::WildcardPattern(const QString &what, bool wholeCell, bool matchCase)
    : m_wholeCell(wholeCell), m_valid(!what.isEmpty())
{
    QString pattern;
    bool wildcards = false;
    for (int i = 0; i < what.size(); ++i) {
        const QChar c = what.at(i);
        if (c == QLatin1Char('~') && i + 1 < what.size() &&
            (what.at(i + 1) == QLatin1Char('*') || what.at(i + 1) == QLatin1Char('?') ||
             what.at(i + 1) == QLatin1Char('~'))) {
            m_literal += what.at(i + 1);
            pattern += QRegularExpression::escape(what.at(++i));
        } else if (c == QLatin1Char('*')) {
            wildcards = true;
            pattern += QStringLiteral(".*");
        } else if (c == QLatin1Char('?')) {
            wildcards = true;
            pattern += QLatin1Char('.');
        } else if (c.isHighSurrogate() && i + 1 < what.size() && what.at(i + 1).isLowSurrogate()) {
            // A character beyond the BMP is escaped whole: half of it alone
            // makes the expression invalid, and nothing would be found.
            m_literal += what.midRef(i, 2);
            pattern += QRegularExpression::escape(what.mid(i++, 2));
        } else {
            m_literal += c;
            pattern += QRegularExpression::escape(c);
        }
    }
    // Plain text matched with case is found without the expression, which
    // costs far more per cell; folding case is left to the expression.
    m_plain = !wildcards && matchCase;
    if (m_plain)
        m_storedLiteral = TextPool::stored(m_literal);
    if (wholeCell)
        pattern = QStringLiteral("\\A(?:") + pattern + QStringLiteral(")\\z");
    QRegularExpression::PatternOptions options = QRegularExpression::DotMatchesEverythingOption |
                                                 QRegularExpression::UseUnicodePropertiesOption;
    if (!matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    m_expression.setPattern(pattern);
    m_expression.setPatternOptions(options);
    m_expression.optimize();
    m_valid = m_valid && m_expression.isValid();
}

bool WildcardPattern::replacePlain(const QString &text, const QString &replacement,
                                   QString *result) const
{
    if (m_wholeCell) {
        if (text != m_literal)
            return false;
        *result = replacement;
        return true;
    }
    int found = text.indexOf(m_literal);
    if (found < 0)
        return false;
    QString out;
    int cursor = 0;
    for (; found >= 0; found = text.indexOf(m_literal, cursor)) {
        out += text.midRef(cursor, found - cursor);
        out += replacement;
        cursor = found + m_literal.size();
    }
    out += text.midRef(cursor);
    *result = out;
    return true;
}

bool WildcardPattern::replaceStored(const char *text, int length, const QByteArray &replacement,
                                    QByteArray *result) const
{
    // Each code unit's bytes begin with a byte no other unit's bytes hold
    // in between, so the bytes match where the units match.
    const char *literal = m_storedLiteral.constData();
    const size_t literalLength = size_t(m_storedLiteral.size());
    if (!isPlain())
        return false;
    if (m_wholeCell) {
        if (size_t(length) != literalLength || std::memcmp(text, literal, literalLength) != 0)
            return false;
        *result = replacement;
        return true;
    }
    if (literalLength == 0)
        return false;
    const char *end = text + length;
    // Most cells are short and the search text shorter: looking for its
    // first byte and comparing the rest costs less than memmem's setup,
    // which pays only for long search texts (and keeps those linear).
    const bool shortLiteral = literalLength <= 16;
    const auto find = [&](const char *from) -> const char * {
        if (!shortLiteral)
            return static_cast<const char *>(
                memmem(from, size_t(end - from), literal, literalLength));
        if (size_t(end - from) < literalLength)
            return nullptr;
        const char *const last = end - literalLength;
        while (from <= last) {
            from =
                static_cast<const char *>(std::memchr(from, literal[0], size_t(last - from) + 1));
            if (!from)
                return nullptr;
            if (std::memcmp(from + 1, literal + 1, literalLength - 1) == 0)
                return from;
            ++from;
        }
        return nullptr;
    };
    const char *found = find(text);
    if (!found)
        return false;
    result->resize(0);
    const char *cursor = text;
    for (; found; found = find(cursor)) {
        result->append(cursor, int(found - cursor));
        result->append(replacement);
        cursor = found + literalLength;
    }
    result->append(cursor, int(end - cursor));
    return true;
}

bool WildcardPattern::replace(const QString &text, const QString &replacement,
                              QString *result) const
{
    if (!m_valid)
        return false;
    if (m_plain)
        return replacePlain(text, replacement, result);
    if (m_wholeCell) {
        if (!m_expression.match(text).hasMatch())
            return false;
        *result = replacement;
        return true;
    }
    QString out;
    int cursor = 0;
    bool any = false;
    QRegularExpressionMatchIterator it = m_expression.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedLength() == 0)
            continue;
        out += text.midRef(cursor, match.capturedStart() - cursor);
        out += replacement;
        cursor = match.capturedEnd();
        any = true;
    }
    if (!any)
        return false;
    out += text.midRef(cursor);
    *result = out;
    return true;
}
