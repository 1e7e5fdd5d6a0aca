#ifndef HOSTTESTHELPERS_H
#define HOSTTESTHELPERS_H

#include <QList>
#include <QSignalSpy>
#include <QStringList>

// The tips a spy on a tipSignal caught, each as "var1,var2,text".
inline QStringList tipsOf(const QSignalSpy &spy)
{
    QStringList tips;
    for (const QList<QVariant> &args : spy) {
        tips << QStringLiteral("%1,%2,%3")
                    .arg(args.at(0).toInt())
                    .arg(args.at(1).toInt())
                    .arg(args.at(2).toString());
    }
    return tips;
}

#endif // HOSTTESTHELPERS_H
