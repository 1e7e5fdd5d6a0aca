#ifndef WIDGETTEXTOPTION_H
#define WIDGETTEXTOPTION_H

#include "PluginGlobals.h"

#include <QString>
#include <QStringList>
#include <QWidget>

// The plug-in's options panel: one page of settings per operation, a sheet
// chooser shared by all of them, and the builders of the parameter records.
class WidgetTextOption : public QWidget
{
    Q_OBJECT

public:
    explicit WidgetTextOption(const QString &text, QWidget *parent = nullptr);
    ~WidgetTextOption() override;

signals:
    void tipSignal(int var1, int var2, QString tipText = QString());

public slots:
    void curTextSlot(Enum_TextIndex index);
    void rep2RangeSlot();
};

#endif // WIDGETTEXTOPTION_H
