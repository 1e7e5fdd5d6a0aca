#ifndef TIPCATALOGUE_H
#define TIPCATALOGUE_H

#include "Tip.h"

#include <QString>
#include <QTime>
#include <QVector>

// Turns a tip code pair into the line the message pane shows. Every part of
// the host and the plug-in reports through these pairs, so their texts live
// in this one place.
class TipCatalogue
{
public:
    enum class Form {
        Full,     // time, codes, the tip text, then the message
        Bare,     // time and the message only
        Step,     // time, codes, "步骤" and the step number, then the message
        CodesOnly // time, codes and the tip text: pairs without a message
    };

    struct Entry
    {
        Form form;
        QString text;
    };

    // One named tip and what the pane shows for it.
    struct Row
    {
        Tip::Pair tip;
        Form form;
        QString text;
    };

    // One row per name of Tip, in the order the names are declared.
    static const QVector<Row> &rows();
    // A pair without a row of its own shows its category's "unknown" text,
    // or only its codes when its category has none.
    static Entry entry(int var1, int var2);
    static QString line(const QTime &time, int var1, int var2, const QString &tipText);
};

#endif // TIPCATALOGUE_H
