#include "FakeHost.h"
#include "frame/PluginGlobals.h"
#include "frame/Wendral.h"
#include "panels/WidgetText.h"
#include "panels/WidgetTextOption.h"

#include <QApplication>
#include <QDockWidget>
#include <QPointer>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kOpenedTip =
    FakeHost::tipCall(Tip::PluginOpened, QStringLiteral("Text V" QUORVANE_VERSION));
const QString kClosedTip =
    FakeHost::tipCall(Tip::PluginClosed, QStringLiteral("Text V" QUORVANE_VERSION));

const QString kCodeDescription = QStringLiteral(
    "支持BASIC、 Hex、AES_128、 ASCII、DES、Rabbit、RC4、TripleDes、Keccak_224、Keccak_256、"
    "Keccak_384、Keccak_512、RealSha3_224、RealSha3_256、RealSha3_384、RealSha3_512、Md4、Md5、"
    "Sha1、Sha224、Sha256、Sha384、Sha512等编解码方式");

WidgetText *openPanel(FakeHost &host)
{
    return host.window->findChild<WidgetText *>(QStringLiteral("WidgetText"),
                                                Qt::FindDirectChildrenOnly);
}

QList<WidgetText *> visiblePanels(FakeHost &host)
{
    QList<WidgetText *> shown;
    const auto panels = host.window->findChildren<WidgetText *>();
    for (WidgetText *panel : panels) {
        if (panel->isVisible())
            shown << panel;
    }
    return shown;
}

WidgetTextOption *optionsPanel()
{
    const auto all = qApp->allWidgets();
    WidgetTextOption *found = nullptr;
    for (QWidget *widget : all) {
        if (auto *options = qobject_cast<WidgetTextOption *>(widget)) {
            if (found)
                return nullptr; // more than one would be a leak
            found = options;
        }
    }
    return found;
}

} // namespace

class TestWendral : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void namesAndInterface();
    void explanationOfEveryOperation_data();
    void explanationOfEveryOperation();
    void explanationOfAll();
    void bindingOnlyKeepsTheHost();
    void unboundPluginShowsNothing();
    void firstShowOpensAndDocks();
    void secondShowOnlyReactivates();
    void closeAndReopen();
    void dockTakenByAnotherPluginRebuildsOptions();
    void dockStillOursKeepsOptions();
    void closingLeavesAnotherPluginsDock();
    void hostWithoutDockStillBinds();
    void enablingFollowsThePanels();
    void choicesReachTheHost();
    void optionsTipsReachTheHost();

private:
    FakeHost *mHost = nullptr;
    Wendral *mPlugin = nullptr;
    WidgetText *showAndActivate();
};

void TestWendral::initTestCase()
{
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
}

void TestWendral::init()
{
    g_hostFace = nullptr;
    g_curTextIndex = Explain;
    g_range = All;
    mHost = new FakeHost;
    mPlugin = new Wendral;
    mPlugin->setHarlithFace(mHost);
}

void TestWendral::cleanup()
{
    delete mPlugin;
    delete mHost;
    delete optionsPanel(); // one left undocked by a host without a dock
    g_hostFace = nullptr;
}

WidgetText *TestWendral::showAndActivate()
{
    if (!mPlugin->showPlus(20, 165))
        return nullptr;
    WidgetText *panel = openPanel(*mHost);
    if (panel && QTest::qWaitForWindowActive(panel))
        return panel;
    return nullptr;
}

void TestWendral::namesAndInterface()
{
    QCOMPARE(mPlugin->plusName(), QStringLiteral("Text"));
    QCOMPARE(mPlugin->plusVersion(), QStringLiteral("V0.0.0.7"));
    QVERIFY(mPlugin->qt_metacast("Wendral"));
    QVERIFY(mPlugin->qt_metacast("HarlithFace"));
    QCOMPARE(static_cast<HarlithFace *>(mPlugin->qt_metacast("org.qt-project.Qt.HarlithFace/1.0")),
             static_cast<HarlithFace *>(mPlugin));
    QCOMPARE(mPlugin->parent(), nullptr);
}

void TestWendral::explanationOfEveryOperation_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    auto row = [](int index, const char *title, const QString &description) {
        QTest::addRow("%d", index)
            << index
            << QStringLiteral("<b>%1</b><br>%2").arg(QString::fromUtf8(title), description);
    };
    row(1, "字符处理:替换1", QStringLiteral("将指定文本文件相同的关键字替换为【相同】的内容"));
    row(2, "字符处理:替换2", QStringLiteral("将指定文本文件相同的关键字替换为【不同】的内容"));
    row(3, "字符处理:保留", QStringLiteral("保留符合正则表达式的文本内容"));
    row(4, "字符处理:删除", QStringLiteral("删除指定或符合正则表达式的文本内容"));
    row(5, "字符处理:转换", QStringLiteral("支持大小写、全半角、进制、繁简体等转换方式"));
    row(6, "字符处理:编解码", kCodeDescription);
    row(7, "字符处理:字符", QStringLiteral("增加指定字符或删除、保留指定长度"));
    row(8, "字符处理:空格", QStringLiteral("支持在段首或段尾设置空格数量"));
    row(9, "字符处理:追加", QStringLiteral("追加段落已有文本内容"));
    QTest::addRow("10") << 10 << QStringLiteral("<b>字符处理:减去</b><br>");
    QTest::addRow("beyond Subtract") << 11 << QString();
}

void TestWendral::explanationOfEveryOperation()
{
    QFETCH(int, index);
    QFETCH(QString, expected);
    g_curTextIndex = static_cast<Enum_TextIndex>(index);
    QCOMPARE(mPlugin->curTextExplain(), expected);
    QCOMPARE(kCodeDescription.toUtf8().size(), 255);
}

void TestWendral::explanationOfAll()
{
    QStringList parts;
    for (int index = Replaced; index <= Subtract; ++index) {
        g_curTextIndex = static_cast<Enum_TextIndex>(index);
        parts << mPlugin->curTextExplain();
    }
    g_curTextIndex = Explain;
    const QString all = mPlugin->curTextExplain();
    QCOMPARE(all, parts.join(QStringLiteral("<br>")));
    QVERIFY(all.startsWith(QStringLiteral("<b>字符处理:替换1</b><br>将指定")));
    QVERIFY(all.endsWith(QStringLiteral("<br><b>字符处理:减去</b><br>")));
}

void TestWendral::bindingOnlyKeepsTheHost()
{
    FakeHost other;
    mPlugin->setHarlithFace(&other);
    QCOMPARE(g_hostFace, static_cast<HarlithFace *>(&other));
    QVERIFY(other.calls.isEmpty());
    mPlugin->setHarlithFace(mHost);
}

void TestWendral::unboundPluginShowsNothing()
{
    mPlugin->setHarlithFace(nullptr);
    QCOMPARE(mPlugin->showPlus(20, 165), false);
    QVERIFY(mHost->calls.isEmpty());
    QCOMPARE(openPanel(*mHost), nullptr);
}

void TestWendral::firstShowOpensAndDocks()
{
    QCOMPARE(mPlugin->showPlus(20, 165), true);
    WidgetText *panel = openPanel(*mHost);
    QVERIFY(panel);
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->pos(), QPoint(20, 165));
    QCOMPARE(panel->windowTitle(), QStringLiteral("Text"));
    QCOMPARE(mHost->calls.mid(0, 3),
             QStringList({"mainWidget", "explain:" + mPlugin->curTextExplain(), kOpenedTip}));
    QCOMPARE(g_range, Current);

    mHost->calls.clear();
    QVERIFY(QTest::qWaitForWindowActive(panel));
    QCOMPARE(mHost->calls.mid(0, 4),
             QStringList({"setHarlithFace", "explain:" + mPlugin->curTextExplain(),
                          "getHarlithFaceName", "createPlusDock:Text"}));
    QCOMPARE(mHost->currentPlugin, static_cast<HarlithFace *>(mPlugin));
    WidgetTextOption *options = optionsPanel();
    QVERIFY(options);
    QCOMPARE(mHost->dock->widget(), options);
    QVERIFY(mHost->dock->isVisibleTo(mHost->window));
    QCOMPARE(mHost->dock->width(), options->width());
    QCOMPARE(mHost->dock->minimumWidth(), mHost->dock->maximumWidth());
}

void TestWendral::secondShowOnlyReactivates()
{
    WidgetText *panel = showAndActivate();
    QVERIFY(panel);
    mHost->calls.clear();
    QCOMPARE(mPlugin->showPlus(120, 165), false);
    QCOMPARE(mHost->window->findChildren<WidgetText *>().size(), 1);
    QCOMPARE(panel->pos(), QPoint(20, 165));
    QCOMPARE(mHost->callsNamed(QStringLiteral("mainWidget")).size(), 0);
    QCOMPARE(mHost->calls.mid(0, 2),
             QStringList({"explain:" + mPlugin->curTextExplain(), kOpenedTip}));
}

void TestWendral::closeAndReopen()
{
    WidgetText *panel = showAndActivate();
    QVERIFY(panel);
    panel->findChild<QToolButton *>(QStringLiteral("toolButton_textChar"))->click();
    QCOMPARE(g_curTextIndex, Char);
    QVERIFY(optionsPanel());

    mHost->calls.clear();
    QVERIFY(panel->close());
    QCOMPARE(mHost->calls.mid(0, 2), QStringList({kClosedTip, "setRangeLabel:0"}));
    QCOMPARE(g_curTextIndex, Explain);
    QCOMPARE(optionsPanel(), nullptr);
    QVERIFY(!mHost->dock->isVisibleTo(mHost->window));
    // The closed panel is kept hidden under the host window.
    QVERIFY(panel->isHidden());
    QCOMPARE(panel->parent(), mHost->window);

    mHost->calls.clear();
    QCOMPARE(mPlugin->showPlus(120, 165), true);
    QCOMPARE(visiblePanels(*mHost).size(), 1);
    QVERIFY(visiblePanels(*mHost).first() != panel);
    QCOMPARE(g_curTextIndex, Explain);
    QVERIFY(mHost->calls.contains("explain:" + mPlugin->curTextExplain()));
    // The range survives the close.
    QCOMPARE(g_range, Current);
}

void TestWendral::dockTakenByAnotherPluginRebuildsOptions()
{
    WidgetText *panel = showAndActivate();
    QVERIFY(panel);
    QPointer<WidgetTextOption> first = optionsPanel();
    QVERIFY(first);

    // Another plug-in's activation takes the dock.
    mHost->createPlusDock(QStringLiteral("Other"));
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel));

    QVERIFY(first.isNull());
    WidgetTextOption *second = optionsPanel();
    QVERIFY(second);
    QCOMPARE(mHost->dock->widget(), second);
    QCOMPARE(mHost->dockOwner, QStringLiteral("Text"));
}

void TestWendral::dockStillOursKeepsOptions()
{
    WidgetText *panel = showAndActivate();
    QVERIFY(panel);
    QPointer<WidgetTextOption> first = optionsPanel();
    QVERIFY(first);

    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    mHost->calls.clear();
    panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel));

    QVERIFY(mHost->calls.contains(QStringLiteral("createPlusDock:Text")));
    QVERIFY(!first.isNull());
    QCOMPARE(mHost->dock->widget(), first.data());
}

void TestWendral::closingLeavesAnotherPluginsDock()
{
    WidgetText *panel = showAndActivate();
    QVERIFY(panel);
    QVERIFY(optionsPanel());

    // Another plug-in puts its options into the shared dock.
    auto *foreignOptions = new QWidget;
    mHost->createPlusDock(QStringLiteral("Other"))->setWidget(foreignOptions);
    QVERIFY(panel->close());

    QCOMPARE(optionsPanel(), nullptr);
    QVERIFY(mHost->dock->isVisibleTo(mHost->window));
    QCOMPARE(mHost->dock->widget(), foreignOptions);
}

void TestWendral::hostWithoutDockStillBinds()
{
    mHost->giveDock = false;
    WidgetText *panel = showAndActivate();
    QVERIFY(panel);
    QCOMPARE(mHost->currentPlugin, static_cast<HarlithFace *>(mPlugin));
    QVERIFY(mHost->calls.contains(QStringLiteral("createPlusDock:Text")));
    WidgetTextOption *options = optionsPanel();
    QVERIFY(options);
    QCOMPARE(options->parent(), nullptr);
    QVERIFY(!options->isVisible());

    // Closing still gets rid of the undocked options panel.
    QVERIFY(panel->close());
    QCOMPARE(optionsPanel(), nullptr);
}

void TestWendral::enablingFollowsThePanels()
{
    mPlugin->setFaceEnabled(false); // nothing to touch yet

    QVERIFY(mPlugin->showPlus(20, 165));
    WidgetText *panel = openPanel(*mHost);
    // Before the first activation only the operation panel exists.
    mPlugin->setFaceEnabled(false);
    QVERIFY(!panel->isEnabled());
    QCOMPARE(optionsPanel(), nullptr);
    mPlugin->setFaceEnabled(true);
    QVERIFY(QTest::qWaitForWindowActive(panel));

    WidgetTextOption *options = optionsPanel();
    QVERIFY(options);
    mPlugin->setFaceEnabled(false);
    QVERIFY(!panel->isEnabled());
    QVERIFY(!options->isEnabled());
    mPlugin->setFaceEnabled(true);
    QVERIFY(panel->isEnabled());
    QVERIFY(options->isEnabled());
}

void TestWendral::choicesReachTheHost()
{
    WidgetText *panel = showAndActivate();
    QVERIFY(panel);
    mHost->calls.clear();

    panel->findChild<QToolButton *>(QStringLiteral("toolButton_textCode"))->click();
    QCOMPARE(mHost->calls, QStringList({"setRangeLabel:3",
                                        "explain:<b>字符处理:编解码</b><br>" + kCodeDescription}));

    mHost->calls.clear();
    panel->findChild<QToolButton *>(QStringLiteral("toolButton_rangeList"))->click();
    QCOMPARE(mHost->calls, QStringList({"setRangeLabel:2"}));

    // The same operation again changes nothing.
    mHost->calls.clear();
    panel->findChild<QToolButton *>(QStringLiteral("toolButton_textCode"))->click();
    QVERIFY(mHost->calls.isEmpty());
}

void TestWendral::optionsTipsReachTheHost()
{
    QVERIFY(showAndActivate());
    WidgetTextOption *options = optionsPanel();
    QVERIFY(options);
    mHost->calls.clear();
    emitTip(options, Tip::EmptyReplaceKey);
    mPlugin->forwardTip(Tip::RegionListsAreSamples.var1, Tip::RegionListsAreSamples.var2,
                        QStringLiteral("x"));
    QCOMPARE(mHost->calls,
             QStringList({FakeHost::tipCall(Tip::EmptyReplaceKey),
                          FakeHost::tipCall(Tip::RegionListsAreSamples, QStringLiteral("x"))}));
}

QTEST_MAIN(TestWendral)
#include "tst_wendral.moc"
