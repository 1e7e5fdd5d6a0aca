#include "WildcardPattern.h"

WildcardPattern::WildcardPattern(const QString &what, bool wholeCell, bool matchCase)
    : m_wholeCell(wholeCell), m_valid(!what.isEmpty())
{
    QString pattern;
    for (int i = 0; i < what.size(); ++i) {
        const QChar c = what.at(i);
        if (c == QLatin1Char('~') && i + 1 < what.size() &&
            (what.at(i + 1) == QLatin1Char('*') || what.at(i + 1) == QLatin1Char('?') ||
             what.at(i + 1) == QLatin1Char('~'))) {
            pattern += QRegularExpression::escape(what.at(++i));
        } else if (c == QLatin1Char('*')) {
            pattern += QStringLiteral(".*");
        } else if (c == QLatin1Char('?')) {
            pattern += QLatin1Char('.');
        } else {
            pattern += QRegularExpression::escape(c);
        }
    }
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

bool WildcardPattern::replace(const QString &text, const QString &replacement,
                              QString *result) const
{
    if (!m_valid)
        return false;
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
