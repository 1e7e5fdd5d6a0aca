#include "TextSpace.h"

#include "ParSpace.h"

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

void changeStart(TextSpace::Implement implement, const QString &blanks, QString &text)
{
    const int number = blanks.size();
    switch (implement) {
    case TextSpace::Implement::Increase:
        text.prepend(blanks);
        break;
    case TextSpace::Implement::Retain:
        // Only a run longer than the number is cut down to it.
        if (text.startsWith(blanks) && text.size() > number &&
            text.at(number) == QLatin1Char(' ')) {
            TextSpace::stripLeadingSpaces(text);
            text.prepend(blanks);
        }
        break;
    case TextSpace::Implement::Fixde:
        TextSpace::stripLeadingSpaces(text);
        text.prepend(blanks);
        break;
    case TextSpace::Implement::Delete:
        if (text.startsWith(blanks))
            text.remove(0, number);
        break;
    }
}

void changeEnd(TextSpace::Implement implement, const QString &blanks, QString &text)
{
    const int number = blanks.size();
    switch (implement) {
    case TextSpace::Implement::Increase:
        text.append(blanks);
        break;
    case TextSpace::Implement::Retain:
        if (text.endsWith(blanks) && text.size() > number &&
            text.at(text.size() - number - 1) == QLatin1Char(' ')) {
            TextSpace::stripTrailingSpaces(text);
            text.append(blanks);
        }
        break;
    case TextSpace::Implement::Fixde:
        TextSpace::stripTrailingSpaces(text);
        text.append(blanks);
        break;
    case TextSpace::Implement::Delete:
        if (text.endsWith(blanks))
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
    const QString blanks(qBound(0, par->number, MaxCellText), QLatin1Char(' '));
    rewriteCells(par->sheetIndex, [this, &blanks](QString &text) { change(*par, blanks, text); });
    return QString();
}

void TextSpace::change(const ParSpace &par, const QString &blanks, QString &text)
{
    if (par.index == Index::All) {
        text.remove(QLatin1Char(' '));
        return;
    }
    // More blanks than a cell can hold can neither be found at an end nor
    // be added there.
    if (par.number > MaxCellText)
        return;
    if (par.index == Index::Left)
        changeStart(par.implement, blanks, text);
    else
        changeEnd(par.implement, blanks, text);
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
