#ifndef HOSTTESTHELPERS_H
#define HOSTTESTHELPERS_H

#include "TestTips.h"

#include <QList>
#include <QSignalSpy>
#include <QStringList>

// The tips a spy on a tipSignal caught, each as "var1,var2,text".
inline QStringList tipsOf(const QSignalSpy &spy)
{
    QStringList tips;
    for (const QList<QVariant> &args : spy) {
        tips << tipOf({args.at(0).toInt(), args.at(1).toInt()}, args.at(2).toString());
    }
    return tips;
}

#endif // HOSTTESTHELPERS_H
