#include "PluginManager.h"

#include "HarlithFace.h"
#include "ReadWriteTxt.h"
#include "Settings.h"
#include "Tip.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QPluginLoader>

PluginManager::PluginManager(HarlithFace *host, QMenu *menu, QObject *parent)
    : QObject(parent), m_host(host), m_menu(menu)
{
}

QString PluginManager::pluginFolder(const QString &programFolder)
{
    QDir dir(programFolder);
    // A build tree keeps the program one level below the plugins folder.
    const QString name = dir.dirName().toLower();
    if (name == QLatin1String("debug") || name == QLatin1String("release"))
        dir.cdUp();
    // Without a plugins folder the plug-ins may stand beside the program;
    // whatever else is there fails to load and is passed over.
    dir.cd(QStringLiteral("plugins"));
    return dir.absolutePath();
}

void PluginManager::loadPlugins(const ActionHook &hook)
{
    QString text;
    g_readWriteTxt.readTxt(plusFile(), text);

    QStringList lines;
    int letter = 'A';
    auto bind = [&](QObject *object) {
        auto *face = qobject_cast<HarlithFace *>(object);
        if (!face)
            return;
        const QString key = face->plusName() + QStringLiteral(" ") + face->plusVersion();
        // A plain substring test, as the table has always been read.
        const bool enabled = text.contains(key + QStringLiteral(",2"));
        lines << key + (enabled ? QStringLiteral(",2") : QStringLiteral(",0"));
        addPlus(object, hook, enabled, letter);
        ++letter;
    };

    const QObjectList statics = QPluginLoader::staticInstances();
    for (QObject *object : statics)
        bind(object);

    const QDir dir(pluginFolder(QCoreApplication::applicationDirPath()));
    const QStringList files = dir.entryList(QDir::Files, QDir::NoSort);
    for (const QString &file : files) {
        // The loader goes, the library stays loaded for the whole run.
        QPluginLoader loader(dir.absoluteFilePath(file));
        bind(loader.instance());
    }

    const QString table = lines.join(QLatin1Char('\n'));
    if (table != text)
        g_readWriteTxt.writeTxt(plusFile(), table);
}

void PluginManager::addPlus(QObject *plugin, const ActionHook &hook, bool enabled, int letter)
{
    auto *face = qobject_cast<HarlithFace *>(plugin);
    if (!face)
        return;
    face->setHarlithFace(m_host);
    const QString key = face->plusName() + QStringLiteral(" ") + face->plusVersion();
    emitTip(this, Tip::PluginLoaded, key);

    // The action belongs to the plug-in, which is how a trigger finds it.
    auto *action =
        new QAction(key + QStringLiteral("(&") + QChar(letter) + QStringLiteral(")"), plugin);
    hook(action);
    m_menu->addAction(action);

    if (enabled) {
        face->showPlus(m_plusX, m_plusY);
        m_plusX += 100;
    }
}

void PluginManager::showPanelOf(const QAction *action)
{
    if (!action || !action->parent())
        return;
    auto *face = qobject_cast<HarlithFace *>(action->parent());
    if (!face)
        return;
    if (face->showPlus(m_plusX, m_plusY))
        m_plusX += 100;
}
