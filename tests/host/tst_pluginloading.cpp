#include "HarlithFace.h"
#include "MainWindow.h"
#include "TestFiles.h"
#include "TestTips.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPluginLoader>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// This program runs from a folder named "Release" beside a "plugins" folder
// that holds a copy of the real plug-in, a second plug-in "MyText", a Qt
// plug-in of another interface and a file that is no library at all.

namespace {

const QString kVersion = QStringLiteral(QUORVANE_VERSION);

// A plug-in linked into the program, found before any plug-in file.
class StaticPlus : public QObject, public HarlithFace
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.HarlithFace/1.0")
    Q_INTERFACES(HarlithFace)
public:
    void setFaceEnabled(bool enabled) override { Q_UNUSED(enabled); }
    void setHarlithFace(HarlithFace *peer) override { host = peer; }
    QString plusVersion() override { return QStringLiteral("V1"); }
    QString plusName() override { return QStringLiteral("Static"); }
    HarlithFace *host = nullptr;
};

QString pluginPath(const QString &file)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../plugins/") + file;
}

QObject *myText()
{
    return QPluginLoader(pluginPath(QStringLiteral("libmytext_plus.so"))).instance();
}

QString readPlusIni()
{
    return QString::fromUtf8(readTestFile(QStringLiteral("plus.ini")));
}

void writePlusIni(const QString &text)
{
    QVERIFY(writeTestFile(QStringLiteral("plus.ini"), text.toUtf8()));
}

QList<QAction *> plusActions(MainWindow &window)
{
    auto *menu = window.findChild<QMenu *>(QStringLiteral("menu_p"));
    return menu ? menu->actions() : QList<QAction *>();
}

QStringList menuTexts(MainWindow &window)
{
    QStringList texts;
    const auto actions = plusActions(window);
    for (QAction *action : actions)
        texts << action->text();
    return texts;
}

QAction *actionFor(MainWindow &window, const QString &key)
{
    const auto actions = plusActions(window);
    for (QAction *action : actions) {
        if (action->text().startsWith(key + QStringLiteral("(&")))
            return action;
    }
    return nullptr;
}

QList<QWidget *> openPanels(MainWindow &window)
{
    QList<QWidget *> shown;
    const auto panels = window.findChildren<QWidget *>(QStringLiteral("WidgetText"));
    for (QWidget *panel : panels) {
        if (panel->isVisible())
            shown << panel;
    }
    return shown;
}

QList<QPoint> myTextShownAt()
{
    QList<QPoint> points;
    const QVariantList shown = myText()->property("shownAt").toList();
    for (const QVariant &point : shown)
        points << point.toPoint();
    return points;
}

} // namespace

Q_IMPORT_PLUGIN(StaticPlus)

class TestPluginLoading : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void noTableListsEverythingDisabled();
    void disabledLineOpensNothing();
    void keyEndingAnotherKeyCountsAsEnabled();
    void changedVersionDropsTheOldLine();
    void unchangedTableIsNotRewritten();
    void loadsOnlyAtTheFirstShow();
    void tickedInOptionsOpensAtNextStart();
    void pluginFolderBesideBuildFolders();
};

void TestPluginLoading::initTestCase()
{
    QCoreApplication::setApplicationVersion(kVersion);
    QCOMPARE(QDir(QCoreApplication::applicationDirPath()).dirName(), QStringLiteral("Release"));
    QVERIFY(myText());
}

void TestPluginLoading::init()
{
    // The options window saves every settings file, not only plus.ini.
    for (const char *file : {"plus.ini", "configure.ini", "suffix.ini"})
        QFile::remove(QLatin1String(file));
    myText()->setProperty("shownAt", QVariantList());
}

void TestPluginLoading::noTableListsEverythingDisabled()
{
    MainWindow window;
    QSignalSpy tips(&window, &MainWindow::tipSignal);
    window.show();

    auto *menu = window.findChild<QMenu *>(QStringLiteral("menu_p"));
    QCOMPARE(menu->title(), QStringLiteral("功能插件(&P)"));
    const QStringList texts = menuTexts(window);
    QCOMPARE(texts.size(), 3);
    QCOMPARE(texts.at(0), QStringLiteral("Static V1(&A)"));
    QStringList expectedLines;
    for (int i = 0; i < texts.size(); ++i) {
        QVERIFY(texts.at(i).endsWith(QStringLiteral("(&%1)").arg(QChar('A' + i))));
        expectedLines << texts.at(i).chopped(4) + QStringLiteral(",0");
    }
    QVERIFY(texts.contains(QStringLiteral("Text V%1(&B)").arg(kVersion)) ||
            texts.contains(QStringLiteral("Text V%1(&C)").arg(kVersion)));
    QVERIFY(texts.contains(QStringLiteral("MyText V%1(&B)").arg(kVersion)) ||
            texts.contains(QStringLiteral("MyText V%1(&C)").arg(kVersion)));

    // Written without a newline after the last line.
    QCOMPARE(readPlusIni(), expectedLines.join(QLatin1Char('\n')));
    QVERIFY(openPanels(window).isEmpty());
    QVERIFY(myTextShownAt().isEmpty());

    // One PluginLoaded per bound plug-in and nothing about the files skipped.
    QCOMPARE(tips.count(), 3);
    for (int i = 0; i < tips.count(); ++i)
        QCOMPARE(tips.at(i), tipArgs(Tip::PluginLoaded, texts.at(i).chopped(4)));

    QVERIFY(myText()->property("bound").toBool());
    // The foreign plug-in was loaded, stays loaded and was never bound.
    QPluginLoader foreign(pluginPath(QStringLiteral("libforeign_plus.so")));
    QVERIFY(foreign.isLoaded());
    QCOMPARE(qobject_cast<HarlithFace *>(foreign.instance()), nullptr);
    QVERIFY(!QPluginLoader(pluginPath(QStringLiteral("libbroken.so"))).isLoaded());
}

void TestPluginLoading::disabledLineOpensNothing()
{
    writePlusIni(QStringLiteral("Text V%1,0").arg(kVersion));
    MainWindow window;
    window.show();
    QVERIFY(openPanels(window).isEmpty());
    QVERIFY(myTextShownAt().isEmpty());
    const QStringList lines = readPlusIni().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.contains(QStringLiteral("Text V%1,0").arg(kVersion)));
}

void TestPluginLoading::keyEndingAnotherKeyCountsAsEnabled()
{
    // Only MyText is ticked, but "MyText V…,2" also contains "Text V…,2".
    writePlusIni(QStringLiteral("Static V1,0\nMyText V%1,2").arg(kVersion));
    MainWindow window;
    window.show();

    const QString text = QStringLiteral("Text V%1").arg(kVersion);
    const QString my = QStringLiteral("MyText V%1").arg(kVersion);
    const QStringList lines = readPlusIni().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("Static V1,0"));
    QVERIFY(lines.contains(text + QStringLiteral(",2")));
    QVERIFY(lines.contains(my + QStringLiteral(",2")));

    // Panels open side by side in the order the plug-ins were found.
    const bool textFirst = lines.indexOf(text + QStringLiteral(",2")) == 1;
    const QPoint textAt = textFirst ? QPoint(20, 165) : QPoint(120, 165);
    const QPoint myAt = textFirst ? QPoint(120, 165) : QPoint(20, 165);
    QList<QWidget *> panels = openPanels(window);
    QCOMPARE(panels.size(), 1);
    QCOMPARE(panels.first()->pos(), textAt);
    QCOMPARE(myTextShownAt(), QList<QPoint>({myAt}));

    // Closed and opened again from the menu, the panel goes further right.
    QWidget *panel = panels.first();
    QVERIFY(panel->close());
    actionFor(window, text)->trigger();
    panels = openPanels(window);
    QCOMPARE(panels.size(), 1);
    QVERIFY(panels.first() != panel);
    QCOMPARE(panels.first()->pos(), QPoint(220, 165));

    // An open panel is only raised, and the position stays where it was.
    actionFor(window, text)->trigger();
    QCOMPARE(openPanels(window).size(), 1);
    actionFor(window, my)->trigger();
    QCOMPARE(myTextShownAt(), QList<QPoint>({myAt, QPoint(320, 165)}));
}

void TestPluginLoading::changedVersionDropsTheOldLine()
{
    writePlusIni(QStringLiteral("Text V0.0.0.6,2\nMyText V%1,0").arg(kVersion));
    MainWindow window;
    window.show();
    QVERIFY(openPanels(window).isEmpty());
    const QString table = readPlusIni();
    QVERIFY(!table.contains(QStringLiteral("0.0.0.6")));
    QVERIFY(table.split(QLatin1Char('\n')).contains(QStringLiteral("Text V%1,0").arg(kVersion)));
}

void TestPluginLoading::unchangedTableIsNotRewritten()
{
    {
        MainWindow window;
        window.show();
    }
    const QString table = readPlusIni();
    const QDateTime past(QDate(2001, 2, 3), QTime(4, 5, 6));
    {
        QFile file(QStringLiteral("plus.ini"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
    }
    MainWindow window;
    window.show();
    QCOMPARE(readPlusIni(), table);
    QCOMPARE(QFileInfo(QStringLiteral("plus.ini")).lastModified(), past);
}

void TestPluginLoading::loadsOnlyAtTheFirstShow()
{
    MainWindow window;
    QVERIFY(plusActions(window).isEmpty());
    window.show();
    QCOMPARE(plusActions(window).size(), 3);
    window.hide();
    window.show();
    QCOMPARE(plusActions(window).size(), 3);
}

void TestPluginLoading::tickedInOptionsOpensAtNextStart()
{
    {
        MainWindow window;
        window.show();
        QVERIFY(openPanels(window).isEmpty());
        window.findChild<QAction *>(QStringLiteral("action_option"))->trigger();
        auto *list = window.findChild<QListWidget *>(QStringLiteral("listWidget"));
        QVERIFY(list);
        const auto items =
            list->findItems(QStringLiteral("Text V%1").arg(kVersion), Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        items.first()->setCheckState(Qt::Checked);
        window.findChild<QPushButton *>(QStringLiteral("pushButton_save"))->click();
    }
    MainWindow window;
    window.show();
    const QList<QWidget *> panels = openPanels(window);
    QCOMPARE(panels.size(), 1);
    QCOMPARE(panels.first()->pos(), QPoint(20, 165));
    QVERIFY(myTextShownAt().isEmpty());
}

void TestPluginLoading::pluginFolderBesideBuildFolders()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QDir dir(root.path());
    QVERIFY(dir.mkpath(QStringLiteral("a/DeBuG")));
    QVERIFY(dir.mkpath(QStringLiteral("a/plugins")));
    QVERIFY(dir.mkpath(QStringLiteral("b/bin/plugins")));
    QVERIFY(dir.mkpath(QStringLiteral("c/release")));
    const QString base = dir.absolutePath();

    QCOMPARE(MainWindow::pluginFolder(base + QStringLiteral("/a/DeBuG")),
             base + QStringLiteral("/a/plugins"));
    QCOMPARE(MainWindow::pluginFolder(base + QStringLiteral("/b/bin")),
             base + QStringLiteral("/b/bin/plugins"));
    // No plugins folder: the program's own folder, past a build folder.
    QCOMPARE(MainWindow::pluginFolder(base + QStringLiteral("/c/release")),
             base + QStringLiteral("/c"));
    QCOMPARE(MainWindow::pluginFolder(base + QStringLiteral("/a")),
             base + QStringLiteral("/a/plugins"));
    QCOMPARE(MainWindow::pluginFolder(base + QStringLiteral("/c")), base + QStringLiteral("/c"));
}

QTEST_MAIN(TestPluginLoading)
#include "tst_pluginloading.moc"
