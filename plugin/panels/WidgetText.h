#ifndef WIDGETTEXT_H
#define WIDGETTEXT_H

#include "frame/PluginGlobals.h"
#include "panels/WidgetEx.h"

class QToolButton;
class Wendral;
namespace Ui {
class WidgetText;
}

// The operation panel: the user's choice of operation and range, kept in the
// plug-in-wide g_curTextIndex and g_range so every part of the plug-in reads
// the same choice, and the button that starts a run.
class WidgetText : public WidgetEx
{
    Q_OBJECT
public:
    WidgetText(Wendral *plugin, QWidget *parent = nullptr);
    ~WidgetText() override;

    void setRangeAll();
    void setRangeList();
    void setRangeCurrent();
    void setCurText(Enum_TextIndex index);

signals:
    void curTextSignal(Enum_TextIndex index);
    void rep2RangeSignal();
    void rangeSignal(Enum_Range range);

private slots:
    void on_pushButton_start_clicked();

private:
    void connectTextButton(QToolButton *button, Enum_TextIndex index);
    void setRange(Enum_Range range);
    void onCurTextChanged(Enum_TextIndex index);

    Ui::WidgetText *ui;
    Wendral *mPlugin;
};

#endif // WIDGETTEXT_H
