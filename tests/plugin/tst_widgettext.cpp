#include "TextFit.h"
#include "frame/PluginGlobals.h"
#include "frame/Wendral.h"
#include "panels/WidgetText.h"

#include <QButtonGroup>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(Enum_TextIndex)
Q_DECLARE_METATYPE(Enum_Range)

namespace {

class CountingWendral : public Wendral
{
public:
    void startRun() override { ++runs; }
    int runs = 0;
};

struct ExpectedButton
{
    const char *name;
    int x;
    int y;
    const char *text;
    bool checked;
    Enum_TextIndex index;
};

const ExpectedButton kTextButtons[] = {
    {"toolButton_textReplaced", 10, 10, "替换1", true, Replaced},
    {"toolButton_textReplaced_2", 10, 43, "替换2", false, Replaced2},
    {"toolButton_textRetain", 10, 76, "保留", false, Retain},
    {"toolButton_textDelete", 10, 109, "删除", false, Delete},
    {"toolButton_textTo", 10, 142, "转换", false, To},
    {"toolButton_textCode", 10, 175, "编解码", false, Code},
    {"toolButton_textChar", 10, 208, "字符", false, Char},
    {"toolButton_textSpace", 10, 241, "空格", false, Space},
    {"toolButton_textAdd", 10, 274, "追加", false, Add},
    {"toolButton_textSubtract", 10, 307, "减去", false, Subtract},
};

const ExpectedButton kRangeButtons[] = {
    {"toolButton_rangeAll", 10, 477, "All", false, Explain},
    {"toolButton_rangeList", 30, 477, "List", false, Explain},
    {"toolButton_rangeCurrent", 50, 477, "Cur", true, Explain},
};

QToolButton *button(WidgetText &panel, const char *name)
{
    return panel.findChild<QToolButton *>(QLatin1String(name));
}

} // namespace

class TestWidgetText : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void formMatchesTheFixedLayout();
    void newPanelSetsCurrentRangeSilently();
    void operationButtonsChooseOnlyOnChange();
    void replaced2RefreshesRangeBeforeOthersHear();
    void rangeSettersAlwaysReport();
    void newOperationReenablesCurrentRange();
    void startButtonStartsTheRun();
    void dialogReportsItsLife();
    void everyTextFitsItsWidget();

private:
    CountingWendral *mPlugin = nullptr;
};

void TestWidgetText::initTestCase()
{
    qRegisterMetaType<Enum_TextIndex>("Enum_TextIndex");
    qRegisterMetaType<Enum_Range>("Enum_Range");
    mPlugin = new CountingWendral;
}

void TestWidgetText::init()
{
    g_curTextIndex = Explain;
    g_range = All;
}

void TestWidgetText::formMatchesTheFixedLayout()
{
    WidgetText panel(mPlugin);
    QCOMPARE(panel.objectName(), QStringLiteral("WidgetText"));
    QCOMPARE(panel.windowTitle(), QStringLiteral("Text"));
    // Qt adds the title and system menu hints a close button needs.
    QCOMPARE(panel.windowType(), Qt::Dialog);
    QVERIFY(panel.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!panel.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!panel.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(panel.size(), QSize(80, 550));
    QCOMPARE(panel.minimumSize(), QSize(80, 550));
    QCOMPARE(panel.maximumSize(), QSize(80, 550));
    QCOMPARE(panel.property("floating").toBool(), true);

    auto *start = panel.findChild<QPushButton *>(QStringLiteral("pushButton_start"));
    QVERIFY(start);
    QCOMPARE(start->text(), QStringLiteral("处理"));
    QCOMPARE(start->geometry(), QRect(8, 509, 63, 33));
    auto *separator = panel.findChild<QLabel *>(QStringLiteral("label_3"));
    QVERIFY(separator);
    QCOMPARE(separator->geometry(), QRect(8, 501, 63, 1));
    QCOMPARE(separator->frameShape(), QFrame::HLine);

    auto *ranges = panel.findChild<QButtonGroup *>(QStringLiteral("buttonGroup"));
    auto *texts = panel.findChild<QButtonGroup *>(QStringLiteral("buttonGroup_2"));
    QVERIFY(ranges && texts);
    QVERIFY(ranges->exclusive() && texts->exclusive());
    QCOMPARE(texts->buttons().size(), 10);
    QCOMPARE(ranges->buttons().size(), 3);

    // The form's Windows fonts are missing here: the buttons draw in installed
    // faces of the same kind.
    for (const ExpectedButton &expected : kTextButtons) {
        QToolButton *b = button(panel, expected.name);
        QVERIFY2(b, expected.name);
        QCOMPARE(b->geometry(), QRect(expected.x, expected.y, 60, 28));
        QCOMPARE(b->text(), QString::fromUtf8(expected.text));
        QCOMPARE(b->isChecked(), expected.checked);
        QVERIFY(b->isCheckable());
        QCOMPARE(b->group(), texts);
        QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextOnly);
        QCOMPARE(QFontInfo(b->font()).family(), QStringLiteral("WenQuanYi Micro Hei"));
    }
    for (const ExpectedButton &expected : kRangeButtons) {
        QToolButton *b = button(panel, expected.name);
        QVERIFY2(b, expected.name);
        QCOMPARE(b->geometry(), QRect(expected.x, expected.y, 19, 19));
        QCOMPARE(b->text(), QString::fromUtf8(expected.text));
        QCOMPARE(b->isChecked(), expected.checked);
        QCOMPARE(b->group(), ranges);
        QCOMPARE(QFontInfo(b->font()).family(), QStringLiteral("DejaVu Sans Condensed"));
    }
}

void TestWidgetText::newPanelSetsCurrentRangeSilently()
{
    g_curTextIndex = Retain;
    WidgetText panel(mPlugin);
    QCOMPARE(g_range, Current);
    // The current operation survives a new panel even though the form shows
    // "替换1" checked.
    QCOMPARE(g_curTextIndex, Retain);
}

void TestWidgetText::operationButtonsChooseOnlyOnChange()
{
    WidgetText panel(mPlugin);
    QSignalSpy chosen(&panel, &WidgetText::curTextSignal);

    // Shown checked, but nothing was chosen yet: the click still counts.
    button(panel, "toolButton_textReplaced")->click();
    QCOMPARE(g_curTextIndex, Replaced);
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.takeFirst().at(0).value<Enum_TextIndex>(), Replaced);

    button(panel, "toolButton_textReplaced")->click();
    QCOMPARE(chosen.count(), 0);

    for (const ExpectedButton &expected : kTextButtons) {
        if (expected.index == Replaced)
            continue;
        button(panel, expected.name)->click();
        QCOMPARE(g_curTextIndex, expected.index);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.takeFirst().at(0).value<Enum_TextIndex>(), expected.index);
    }

    panel.setCurText(Space);
    QCOMPARE(chosen.count(), 1);
    QVERIFY(!button(panel, "toolButton_textSpace")->isChecked());
    panel.setCurText(Space);
    QCOMPARE(chosen.count(), 1);
}

void TestWidgetText::replaced2RefreshesRangeBeforeOthersHear()
{
    WidgetText panel(mPlugin);
    QStringList order;
    connect(&panel, &WidgetText::rangeSignal, this,
            [&order](Enum_Range range) { order << QStringLiteral("range %1").arg(range); });
    connect(&panel, &WidgetText::rep2RangeSignal, this,
            [&order]() { order << QStringLiteral("rep2"); });
    connect(&panel, &WidgetText::curTextSignal, this,
            [&order](Enum_TextIndex index) { order << QStringLiteral("text %1").arg(index); });

    button(panel, "toolButton_textReplaced_2")->click();
    QCOMPARE(order, QStringList({"range 3", "rep2", "text 2"}));

    order.clear();
    button(panel, "toolButton_rangeList")->click();
    QCOMPARE(order, QStringList({"range 2", "rep2"}));

    order.clear();
    button(panel, "toolButton_textRetain")->click();
    QCOMPARE(order, QStringList({"range 2", "text 3"}));
}

void TestWidgetText::rangeSettersAlwaysReport()
{
    WidgetText panel(mPlugin);
    QSignalSpy ranges(&panel, &WidgetText::rangeSignal);
    QSignalSpy rep2(&panel, &WidgetText::rep2RangeSignal);

    button(panel, "toolButton_rangeAll")->click();
    QCOMPARE(g_range, All);
    button(panel, "toolButton_rangeAll")->click();
    panel.setRangeList();
    QCOMPARE(g_range, List);
    panel.setRangeCurrent();
    QCOMPARE(g_range, Current);
    QCOMPARE(ranges.count(), 4);
    QCOMPARE(ranges.at(0).at(0).value<Enum_Range>(), All);
    QCOMPARE(ranges.at(1).at(0).value<Enum_Range>(), All);
    QCOMPARE(ranges.at(2).at(0).value<Enum_Range>(), List);
    QCOMPARE(ranges.at(3).at(0).value<Enum_Range>(), Current);
    QCOMPARE(rep2.count(), 0);
}

void TestWidgetText::newOperationReenablesCurrentRange()
{
    WidgetText panel(mPlugin);
    QToolButton *current = button(panel, "toolButton_rangeCurrent");
    current->setEnabled(false);
    button(panel, "toolButton_textDelete")->click();
    QVERIFY(current->isEnabled());
}

void TestWidgetText::startButtonStartsTheRun()
{
    WidgetText panel(mPlugin);
    const int before = mPlugin->runs;
    panel.findChild<QPushButton *>(QStringLiteral("pushButton_start"))->click();
    QCOMPARE(mPlugin->runs, before + 1);

    // A panel without a plug-in has nothing to start.
    WidgetText orphan(nullptr);
    orphan.findChild<QPushButton *>(QStringLiteral("pushButton_start"))->click();
    QCOMPARE(mPlugin->runs, before + 1);
}

void TestWidgetText::dialogReportsItsLife()
{
    WidgetText panel(mPlugin);
    QSignalSpy closed(&panel, &WidgetEx::closedSignal);
    QSignalSpy moved(&panel, &WidgetEx::curPosSignal);
    QSignalSpy pressed(&panel, &WidgetEx::mousepressSignal);
    QSignalSpy activated(&panel, &WidgetEx::activateSignal);

    panel.show();
    panel.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&panel));
    QVERIFY(activated.count() >= 1);

    panel.move(40, 60);
    QTRY_VERIFY(!moved.isEmpty());
    QCOMPARE(moved.last().at(0).toPoint(), QPoint(40, 60));

    QTest::mouseClick(&panel, Qt::LeftButton, Qt::NoModifier, QPoint(5, 400));
    QCOMPARE(pressed.count(), 1);

    QVERIFY(panel.close());
    QCOMPARE(closed.count(), 1);
    QVERIFY(panel.isHidden());
}

void TestWidgetText::everyTextFitsItsWidget()
{
    WidgetText panel(mPlugin);
    const QStringList cut = textsCutShort(&panel);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestWidgetText)
#include "tst_widgettext.moc"
