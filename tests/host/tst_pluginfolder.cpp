#include "MainWindow.h"
#include "TestFiles.h"
#include "TestTips.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

// This program runs from a folder without a "plugins" folder. Beside it stand
// a copy of the plug-in "MyText" and a file that is no library at all.
class TestPluginFolder : public QObject
{
    Q_OBJECT
private slots:
    void pluginBesideTheProgramLoads();
};

void TestPluginFolder::pluginBesideTheProgramLoads()
{
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    const QDir programFolder(QCoreApplication::applicationDirPath());
    QVERIFY(!programFolder.exists(QStringLiteral("plugins")));
    QVERIFY(programFolder.exists(QStringLiteral("libbroken.so")));
    QFile::remove(QStringLiteral("plus.ini"));

    MainWindow window;
    QSignalSpy tips(&window, &MainWindow::tipSignal);
    window.show();

    const QString key = QStringLiteral("MyText V") + QStringLiteral(QUORVANE_VERSION);
    QStringList menu;
    const auto actions = window.findChild<QMenu *>(QStringLiteral("menu_p"))->actions();
    for (const QAction *action : actions)
        menu << action->text();
    QCOMPARE(menu, QStringList{key + QStringLiteral("(&A)")});
    // The program itself and the broken file are passed over without a word.
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::PluginLoaded, key));
    QCOMPARE(readTestFile(QStringLiteral("plus.ini")), (key + QStringLiteral(",0")).toUtf8());
}

QTEST_MAIN(TestPluginFolder)
#include "tst_pluginfolder.moc"
