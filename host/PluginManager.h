#ifndef PLUGINMANAGER_H
#define PLUGINMANAGER_H

#include <QObject>
#include <QString>

#include <functional>

class HarlithFace;
class QAction;
class QMenu;

// Finds the plug-ins, binds each to the host, gives each an entry in the
// plug-in menu, opens the panels chosen to start with the program, and keeps
// the plug-in table "plus.ini". Plug-ins are never unloaded.
class PluginManager : public QObject
{
    Q_OBJECT

public:
    // Wires a plug-in's new menu action to what its trigger does.
    using ActionHook = std::function<void(QAction *)>;

    PluginManager(HarlithFace *host, QMenu *menu, QObject *parent = nullptr);

    // The folder searched for plug-in files when the program lives in
    // programFolder: its "plugins" folder, else the program's own folder.
    static QString pluginFolder(const QString &programFolder);

    // Static instances first, then the files of the plug-in folder.
    void loadPlugins(const ActionHook &hook);
    // Binds one plug-in object; letter is the character code of its menu
    // entry's mnemonic.
    void addPlus(QObject *plugin, const ActionHook &hook, bool enabled, int letter);
    // Opens the panel of the plug-in that owns action.
    void showPanelOf(const QAction *action);

signals:
    void tipSignal(int var1, int var2, QString tipText = QString());

private:
    HarlithFace *const m_host;
    QMenu *const m_menu;
    // Where the next plug-in panel opens; each one opened moves it right.
    int m_plusX = 20;
    int m_plusY = 165;
};

#endif // PLUGINMANAGER_H
