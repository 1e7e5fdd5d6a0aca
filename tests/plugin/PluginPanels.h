#ifndef PLUGINPANELS_H
#define PLUGINPANELS_H

#include "panels/WidgetText.h"
#include "panels/WidgetTextOption.h"

#include <QApplication>
#include <QPointer>

// The plug-in's two panels once a host without a main window or an options
// dock has shown and activated them: both are then windows of their own.
struct PluginPanels
{
    QPointer<WidgetText> panel;
    QPointer<WidgetTextOption> options;

    static PluginPanels find()
    {
        PluginPanels found;
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (auto *panel = qobject_cast<WidgetText *>(window))
                found.panel = panel;
            if (auto *options = qobject_cast<WidgetTextOption *>(window))
                found.options = options;
        }
        return found;
    }
};

#endif // PLUGINPANELS_H
