#include "operations/TextSpace.h"

#include "records/ParSpace.h"

#include <QRegularExpression>

namespace {

// Compiled at once, so that the pool threads sharing an expression only
// read it.
QRegularExpression optimized(const QString &pattern)
{
    QRegularExpression expression(pattern);
    expression.optimize();
    return expression;
}

const QRegularExpression &leading()
{
    static const QRegularExpression expression = optimized(QStringLiteral("^ +\\s*"));
    return expression;
}

const QRegularExpression &trailing()
{
    static const QRegularExpression expression = optimized(QStringLiteral("\\s* +$"));
    return expression;
}

int leadingBlanks(const QString &text)
{
    int count = 0;
    while (count < text.size() && text.at(count) == QLatin1Char(' '))
        ++count;
    return count;
}

int trailingBlanks(const QString &text)
{
    int count = 0;
    while (count < text.size() && text.at(text.size() - 1 - count) == QLatin1Char(' '))
        ++count;
    return count;
}

// The blank runs are counted against the record's number rather than
// matched against the blanks built from it, which may be fewer.
void changeStart(TextSpace::Implement implement, int number, const QString &blanks, QString &text)
{
    switch (implement) {
    case TextSpace::Implement::Increase:
        text.prepend(blanks);
        break;
    case TextSpace::Implement::Retain:
        // Only a run longer than the number is cut down to it.
        if (leadingBlanks(text) > number) {
            TextSpace::stripLeadingSpaces(text);
            text.prepend(blanks);
        }
        break;
    case TextSpace::Implement::Fixde:
        TextSpace::stripLeadingSpaces(text);
        text.prepend(blanks);
        break;
    case TextSpace::Implement::Delete:
        if (leadingBlanks(text) >= number)
            text.remove(0, number);
        break;
    }
}

void changeEnd(TextSpace::Implement implement, int number, const QString &blanks, QString &text)
{
    switch (implement) {
    case TextSpace::Implement::Increase:
        text.append(blanks);
        break;
    case TextSpace::Implement::Retain:
        if (trailingBlanks(text) > number) {
            TextSpace::stripTrailingSpaces(text);
            text.append(blanks);
        }
        break;
    case TextSpace::Implement::Fixde:
        TextSpace::stripTrailingSpaces(text);
        text.append(blanks);
        break;
    case TextSpace::Implement::Delete:
        if (trailingBlanks(text) >= number)
            text.chop(number);
        break;
    }
}

} // namespace

TextSpace::TextSpace(const QString &fileName, const ParSpace *par, QObject *parent)
    : TextOperation(fileName, parent), par(par)
{
}

QString TextSpace::process()
{
    const QString added = blanks(par->number);
    rewriteCells(par->sheetIndex, [this, &added](QString &text) { change(*par, added, text); });
    return QString();
}

QString TextSpace::blanks(int number)
{
    return QString(qBound(0, number, MaxBuiltText), QLatin1Char(' '));
}

void TextSpace::change(const ParSpace &par, const QString &blanks, QString &text)
{
    if (par.index == Index::All) {
        text.remove(QLatin1Char(' '));
        return;
    }
    const int number = qMax(0, par.number);
    if (par.index == Index::Left)
        changeStart(par.implement, number, blanks, text);
    else
        changeEnd(par.implement, number, blanks, text);
}

void TextSpace::stripLeadingSpaces(QString &text)
{
    const QRegularExpressionMatch match = leading().match(text);
    if (match.hasMatch())
        text.remove(match.capturedStart(), match.capturedLength());
}

void TextSpace::stripTrailingSpaces(QString &text)
{
    const QRegularExpressionMatch match = trailing().match(text);
    if (match.hasMatch())
        text.remove(match.capturedStart(), match.capturedLength());
}
