#include "ContentCodec.h"
#include "DialogAnswer.h"
#include "DockWidgetTips.h"
#include "MainWindow.h"
#include "Option.h"
#include "Settings.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCodec>
#include <QtTest>

namespace {

QAction *action(MainWindow &window, const char *name)
{
    return window.findChild<QAction *>(QString::fromLatin1(name));
}

// The menu's actions by object name, a separator as "|".
QStringList layoutOf(QMenu *menu)
{
    QStringList names;
    const QList<QAction *> actions = menu->actions();
    for (QAction *entry : actions)
        names << (entry->isSeparator() ? QStringLiteral("|") : entry->objectName());
    return names;
}

QTextBrowser *pane(MainWindow &window, const char *name)
{
    return window.findChild<QTextBrowser *>(QString::fromLatin1(name));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void titleAndForm();
    void menusInOrder();
    void menuLayout_data();
    void menuLayout();
    void actionTextsAndShortcuts_data();
    void actionTextsAndShortcuts();
    void statusLabelsAndTipsDock();
    void tipsAndExplanationsReachTheDock();
    void finishEnablesTheWindow();
    void viewActionsDriveTheDocumentArea();
    void aboutBox();
    void optionsWindowIsMadeOnce();
    void codecFromSettings_data();
    void codecFromSettings();
    void answersTheInterface();
};

void TestMainWindow::initTestCase()
{
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
}

void TestMainWindow::init()
{
    QFile::remove(configureFile());
}

void TestMainWindow::cleanup()
{
    cancelPendingDialogAnswers();
}

void TestMainWindow::cleanupTestCase()
{
    ContentCodec::choose(nullptr);
}

void TestMainWindow::titleAndForm()
{
    MainWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("KestruneExcel批量处理工具 V0.0.0.7"));
    QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QVERIFY(!window.acceptDrops());

    auto *area = window.findChild<QMdiArea *>(QStringLiteral("mdiArea_text"));
    QVERIFY(area);
    QCOMPARE(area->viewMode(), QMdiArea::SubWindowView);
    QCOMPARE(area->activationOrder(), QMdiArea::CreationOrder);
    QCOMPARE(area->background().color(), QColor(200, 200, 200));
    QVERIFY(!area->tabsClosable());
    QVERIFY(!area->tabsMovable());
    auto *client = window.findChild<QWidget *>(QStringLiteral("widget_client"));
    QVERIFY(client);
    QVERIFY(!client->isEnabled());
    QCOMPARE(client->minimumWidth(), 110);
}

void TestMainWindow::menusInOrder()
{
    MainWindow window;
    QStringList titles;
    QStringList names;
    const QList<QAction *> entries = window.menuBar()->actions();
    for (QAction *entry : entries) {
        titles << entry->text();
        names << entry->menu()->objectName();
    }
    QCOMPARE(titles, (QStringList{QStringLiteral("文件(&F)"), QStringLiteral("视图(&V)"),
                                  QStringLiteral("设置(&O)"), QStringLiteral("多步处理(&S)"),
                                  QStringLiteral("功能插件(&P)"), QStringLiteral("帮助(&H)")}));
    QCOMPARE(names, (QStringList{QStringLiteral("menu_12"), QStringLiteral("menu"),
                                 QStringLiteral("menu_O"), QStringLiteral("menu_T"),
                                 QStringLiteral("menu_p"), QStringLiteral("menu_H")}));
}

void TestMainWindow::menuLayout_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("layout");
    QTest::newRow("file") << "menu_12"
                          << "action_newList | action_closeCurrent | action_closeOther "
                             "action_delAllList | | action_new action_add action_open | "
                             "action_save action_close | action_del | action_openAll "
                             "action_saveAll action_closeAll | action_delAll | action_quit";
    QTest::newRow("view") << "menu"
                          << "action_tab action_4 | action_2 action | action_zoomOut "
                             "action_zoomIn";
    QTest::newRow("settings") << "menu_O"
                              << "action_option";
    QTest::newRow("steps") << "menu_T"
                           << "action_step";
    QTest::newRow("plug-ins") << "menu_p"
                              << "";
    QTest::newRow("help") << "menu_H"
                          << "action_about";
}

void TestMainWindow::menuLayout()
{
    QFETCH(QString, menu);
    QFETCH(QString, layout);
    MainWindow window;
    QMenu *found = window.findChild<QMenu *>(menu);
    QVERIFY(found);
    QCOMPARE(layoutOf(found), layout.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

void TestMainWindow::actionTextsAndShortcuts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    auto row = [](const char *name, const char *text, const char *shortcut) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(text)
                            << QString::fromLatin1(shortcut);
    };
    row("action_add", "添加文件到列表(&A)", "Ctrl+Shift+A");
    row("action_open", "打开选中文件(&O)", "Ctrl+O");
    row("action_openAll", "打开所有文件(&Q)", "Ctrl+Alt+O");
    row("action_save", "保存当前文件(&S)", "Ctrl+S");
    row("action_saveAll", "保存所有文件(&M)", "Ctrl+Shift+S");
    row("action_close", "关闭当前文件(&W)", "Ctrl+F3");
    row("action_closeAll", "关闭所有文件(&P)", "Ctrl+Shift+F3");
    row("action_del", "删除选中(&D)", "Del");
    row("action_delAll", "删除所有文件(&E)", "Ctrl+Shift+D");
    row("action_quit", "退出(&Q)", "Ctrl+Q");
    row("action_new", "新建文件(&N)", "Ctrl+N");
    row("action_about", "关于(&P)", "");
    row("action_option", "选项(&O)", "");
    row("action_newList", "新建列表(&L)", "Ctrl+L");
    row("action_delAllList", "关闭全部列表(&G)", "Ctrl+;");
    row("action", "级联(&C)", "Ctrl+Shift+W");
    row("action_2", "平铺(&T)", "Ctrl+Shift+V");
    row("action_tab", "多页显示模式(&T)", "");
    row("action_4", "子窗口模式(&S)", "");
    row("action_zoomOut", "字号缩小(&,)", "Ctrl+,");
    row("action_zoomIn", "字号放大(&.)", "Ctrl+.");
    row("action_closeCurrent", "关闭当前列表(&C)", "");
    row("action_closeOther", "关闭除当前所有列表(&F)", "");
    row("action_step", "多步处理(&S)", "Ctrl+Alt+S");
}

void TestMainWindow::actionTextsAndShortcuts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    MainWindow window;
    QAction *found = action(window, name.toLatin1().constData());
    QVERIFY(found);
    QCOMPARE(found->text(), text);
    QCOMPARE(found->shortcut(), QKeySequence(shortcut));
}

void TestMainWindow::statusLabelsAndTipsDock()
{
    MainWindow window;
    const QList<QLabel *> labels =
        window.statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    QStringList names;
    for (QLabel *label : labels)
        names << label->objectName();
    QVERIFY2(names.contains(QStringLiteral("label_range")), qPrintable(names.join(',')));
    QVERIFY(names.contains(QStringLiteral("label_count")));
    QVERIFY(names.contains(QStringLiteral("label_document")));

    auto *dock = window.findChild<DockWidgetTips *>();
    QVERIFY(dock);
    QCOMPARE(dock->parentWidget(), &window);
    QCOMPARE(window.dockWidgetArea(dock), Qt::BottomDockWidgetArea);
}

void TestMainWindow::tipsAndExplanationsReachTheDock()
{
    MainWindow window;
    emitTip(&window, Tip::FileSaved, QStringLiteral("a.txt"));
    emitTip(&window, Tip::NoOptionChosen);
    QTextBrowser *messages = pane(window, "textBrowser_message");
    QTRY_VERIFY(messages->document()->begin().text().endsWith(QStringLiteral(":操作选项")));
    QVERIFY(
        messages->document()->begin().next().text().endsWith(QStringLiteral("a.txt 文件保存成功")));

    emit window.explainSignal(QStringLiteral("<b>替换</b>说明"));
    QCOMPARE(pane(window, "textBrowser_explain")->toPlainText(), QStringLiteral("替换说明"));
}

void TestMainWindow::finishEnablesTheWindow()
{
    MainWindow window;
    window.setFaceEnabled(false);
    QVERIFY(!window.isEnabled());
    emit window.findChild<DockWidgetTips *>()->finish();
    QVERIFY(window.isEnabled());
}

void TestMainWindow::viewActionsDriveTheDocumentArea()
{
    MainWindow window;
    auto *area = window.findChild<QMdiArea *>(QStringLiteral("mdiArea_text"));
    action(window, "action_tab")->trigger();
    QCOMPARE(area->viewMode(), QMdiArea::TabbedView);
    action(window, "action_4")->trigger();
    QCOMPARE(area->viewMode(), QMdiArea::SubWindowView);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget *first = area->addSubWindow(new QWidget);
    QWidget *second = area->addSubWindow(new QWidget);
    first->setGeometry(0, 0, 100, 100);
    second->setGeometry(0, 0, 100, 100);
    first->show();
    second->show();
    action(window, "action_2")->trigger();
    QVERIFY(first->geometry() != second->geometry());
    QVERIFY(!first->geometry().intersects(second->geometry()));
    action(window, "action")->trigger();
    QVERIFY(first->geometry().topLeft() != second->geometry().topLeft());
    QVERIFY(first->geometry().intersects(second->geometry()));
}

void TestMainWindow::aboutBox()
{
    MainWindow window;
    QString title;
    QString text;
    auto answer = DialogAnswer<QMessageBox>([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    action(window, "action_about")->trigger();
    QVERIFY(answer.answered());
    QCOMPARE(title, QStringLiteral("关于:"));
    QCOMPARE(text, QStringLiteral("KestruneExcel处理工具 V0.0.0.7"));
}

void TestMainWindow::optionsWindowIsMadeOnce()
{
    MainWindow window;
    QVERIFY(!window.findChild<Option *>());
    action(window, "action_option")->trigger();
    auto *option = window.findChild<Option *>();
    QVERIFY(option);
    QVERIFY(option->isVisible());
    QCOMPARE(option->parentWidget(), &window);
    option->close();
    QVERIFY(!option->isVisible());
    action(window, "action_option")->trigger();
    QCOMPARE(window.findChildren<Option *>().size(), 1);
    QVERIFY(option->isVisible());
    option->close();
}

void TestMainWindow::codecFromSettings_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("codec");
    QTest::newRow("none stored") << QString() << QByteArray("UTF-8");
    QTest::newRow("ANSI") << QStringLiteral("ANSI") << QByteArray("GB18030");
    QTest::newRow("UTF-8") << QStringLiteral("UTF-8") << QByteArray("UTF-8");
    QTest::newRow("unknown") << QStringLiteral("KOI9") << QByteArray("UTF-8");
}

void TestMainWindow::codecFromSettings()
{
    QFETCH(QString, stored);
    QFETCH(QByteArray, codec);
    ContentCodec::choose(QTextCodec::codecForName("ISO-8859-1"));
    QTextCodec *const locale = QTextCodec::codecForLocale();
    if (!stored.isNull())
        writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("code"), stored);
    MainWindow window;
    QCOMPARE(ContentCodec::chosen(), QTextCodec::codecForName(codec));
    // File names stay in the system's encoding.
    QCOMPARE(QTextCodec::codecForLocale(), locale);
}

void TestMainWindow::answersTheInterface()
{
    MainWindow window;
    QObject *object = &window;
    QVERIFY(object->qt_metacast("org.qt-project.Qt.HarlithFace/1.0"));
    QVERIFY(object->qt_metacast("HarlithFace"));
    QCOMPARE(qobject_cast<HarlithFace *>(object), static_cast<HarlithFace *>(&window));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
