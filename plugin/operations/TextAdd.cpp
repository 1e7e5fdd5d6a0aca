#include "operations/TextAdd.h"

#include "records/ParAdd.h"
#include "text/TextCut.h"

TextAdd::TextAdd(const QString &fileName, const ParAdd *par, QObject *parent)
    : TextOperation(fileName, parent), par(par)
{
}

QString TextAdd::process()
{
    rewriteCells(par->sheetIndex, [this](QString &text) { change(*par, text); });
    return QString();
}

void TextAdd::change(const ParAdd &par, QString &text)
{
    const int count =
        par.lengthOption == LengthOption::fixLength ? par.length : text.size() - par.length;
    const QString piece = TextCut::mid(text, par.pos, count);
    if (par.index == Index::Left)
        text.prepend(piece);
    else
        text.append(piece);
}
