#ifndef WILDCARDPATTERN_H
#define WILDCARDPATTERN_H

#include <QRegularExpression>
#include <QString>

// The search text of the spreadsheet application's Replace: * stands for
// any run of characters (the longest), ? for one character, and ~*, ~? and
// ~~ for the characters themselves; everything else is literal.
class WildcardPattern
{
public:
    WildcardPattern(const QString &what, bool wholeCell, bool matchCase);

    // An empty search text replaces nothing.
    bool isValid() const { return m_valid; }
    // The text with the whole text (whole cell) or every non-overlapping
    // match left to right replaced; false when nothing matched.
    bool replace(const QString &text, const QString &replacement, QString *result) const;
    // Plain text matched with case is matched on the bytes a TextPool
    // stores as well, with no text made: the same replace, given and giving
    // stored bytes (the replacement's as TextPool::stored makes them).
    bool isPlain() const { return m_valid && m_plain; }
    bool replaceStored(const char *text, int length, const QByteArray &replacement,
                       QByteArray *result) const;

private:
    bool replacePlain(const QString &text, const QString &replacement, QString *result) const;

    QRegularExpression m_expression;
    QString m_literal; // the text sought, when it has no wildcard
    QByteArray m_storedLiteral;
    bool m_plain = false;
    bool m_wholeCell = false;
    bool m_valid = false;
};

#endif // WILDCARDPATTERN_H
