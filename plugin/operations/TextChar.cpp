#include "operations/TextChar.h"

#include "records/ParChar.h"
#include "text/TextCut.h"

namespace {

QString deleted(const QString &text, TextChar::Index index, int position, int count)
{
    const int size = text.size();
    if (count <= 0)
        return text;
    switch (index) {
    case TextChar::Index::Left:
        return TextCut::mid(text, count);
    case TextChar::Index::Right:
        return TextCut::mid(text, 0, qMax(0, size - count));
    case TextChar::Index::Pos:
        break;
    }
    if (position < 0 || position >= size)
        return text;
    const int end = count >= size - position ? size : position + count;
    QString rest = text;
    const int from = TextCut::boundary(text, position);
    return rest.remove(from, TextCut::boundary(text, end) - from);
}

QString retained(const QString &text, TextChar::Index index, int position, int count)
{
    const int size = text.size();
    switch (index) {
    case TextChar::Index::Left:
        return TextCut::mid(text, 0, count);
    case TextChar::Index::Right:
        return count < 0 || count >= size ? text : TextCut::mid(text, size - count);
    case TextChar::Index::Pos:
        break;
    }
    return TextCut::mid(text, position, count);
}

QString increased(const QString &text, TextChar::Index index, int position, const QString &added)
{
    switch (index) {
    case TextChar::Index::Left:
        return added + text;
    case TextChar::Index::Right:
        return text + added;
    case TextChar::Index::Pos:
        break;
    }
    if (position < 0)
        return text;
    if (position >= text.size()) {
        // Padding up to a position typed far beyond any cell stops at the
        // most an operation builds; the text is too long for a workbook all
        // the same.
        const int padding = qMin(position - text.size(), TextOperation::MaxBuiltText);
        return text + QString(padding, QLatin1Char(' ')) + added;
    }
    QString result = text;
    return result.insert(TextCut::boundary(text, position), added);
}

} // namespace

TextChar::TextChar(const QString &fileName, const ParChar *par, QObject *parent)
    : TextOperation(fileName, parent), par(par)
{
}

QString TextChar::process()
{
    rewriteCells(par->sheetIndex, [this](QString &text) { change(*par, text); });
    return QString();
}

void TextChar::change(const ParChar &par, QString &text)
{
    if (par.implement == Implement::Increase) {
        text = increased(text, par.index, par.pos, par.text);
        return;
    }
    const int number = par.text.toInt();
    if (par.implement == Implement::Retain) {
        text = retained(text, par.index, par.pos, number);
        return;
    }
    const int count = par.lengthOption == LengthOption::fixLength ? number : text.size() - number;
    text = deleted(text, par.index, par.pos, count);
}
