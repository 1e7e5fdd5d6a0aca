#ifndef TESTTIPS_H
#define TESTTIPS_H

#include "Tip.h"

#include <QString>
#include <QVariantList>

// The arguments a spy on a tipSignal catches for a named pair.
inline QVariantList tipArgs(Tip::Pair tip, const QString &tipText = QString())
{
    return QVariantList{tip.var1, tip.var2, tipText};
}

// A tip as "var1,var2,text", the form the tests' hosts and spies note it in.
inline QString tipOf(Tip::Pair tip, const QString &tipText = QString())
{
    return QStringLiteral("%1,%2,%3").arg(tip.var1).arg(tip.var2).arg(tipText);
}

#endif // TESTTIPS_H
