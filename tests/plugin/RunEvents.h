#ifndef RUNEVENTS_H
#define RUNEVENTS_H

#include "Tip.h"

#include <QObject>
#include <QString>
#include <QStringList>

// A tip as noteRunEvents notes it: "tip <var1> <var2> <text>".
inline QString tipEvent(Tip::Pair tip, const QString &tipText = QString())
{
    return QStringLiteral("tip %1 %2 %3").arg(tip.var1).arg(tip.var2).arg(tipText);
}

// Notes what an operation reports about its file, in the order it reports
// it: a tipEvent for each tip and "done <file>" for the end.
// The notes are taken on the reporting thread, as the signals are sent.
template<typename Operation>
void noteRunEvents(Operation *operation, QStringList *events)
{
    QObject::connect(operation, &Operation::tipSignal, [events](int var1, int var2, QString text) {
        events->append(tipEvent({var1, var2}, text));
    });
    QObject::connect(operation, &Operation::done,
                     [events](QString file) { events->append(QStringLiteral("done ") + file); });
}

// Runs an operation of that class with record par on path in this thread;
// what it reported.
template<typename Operation, typename Par>
QStringList runNoted(const QString &path, const Par &par)
{
    QStringList events;
    Operation operation(path, &par, nullptr);
    noteRunEvents(&operation, &events);
    operation.run();
    return events;
}

#endif // RUNEVENTS_H
