#include "HarlithFace.h"
#include "HostTestHelpers.h"
#include "MainWindow.h"
#include "Settings.h"
#include "StepWidget.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QtTest>

namespace {

// A plug-in that records every step call and answers each add request as
// the real one does: within the call, through the host's appendStep. A run
// holds the window until the test ends the step with the host's stepDone.
class StepPeer : public QObject, public HarlithFace
{
    Q_OBJECT
    Q_INTERFACES(HarlithFace)
public:
    void setFaceEnabled(bool enabled) override { Q_UNUSED(enabled); }
    void setHarlithFace(HarlithFace *peer) override { host = peer; }
    QString plusName() override { return QStringLiteral("Peer"); }
    void addStep(int uniqueValue) override
    {
        calls << QStringLiteral("add:%1").arg(uniqueValue);
        host->appendStep(QStringLiteral("字符处理:替换1"), 2);
    }
    void clearStep() override { calls << QStringLiteral("clear"); }
    void removeStep(const int &uniqueValue) override
    {
        calls << QStringLiteral("remove:%1").arg(uniqueValue);
    }
    void runStep(int uniqueValue) override
    {
        calls << QStringLiteral("run:%1").arg(uniqueValue);
        host->setFaceEnabled(false);
    }

    HarlithFace *host = nullptr;
    QStringList calls;
};

} // namespace

// The step window and the main window between it and the plug-in that
// recorded the steps, driven through the window's buttons.
class TestHostSteps : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void runsTheTickedRowsOfTheRange_data();
    void runsTheTickedRowsOfTheRange();
    void nextStartAndResetWhitenTheRows();
    void idsCountAgainFromOneAfterAClear();
    void removesExactlyThePickedRows_data();
    void removesExactlyThePickedRows();
    void closingTheProgramClearsTheSteps();

private:
    StepWidget *steps() const { return m_window->findChild<StepWidget *>(); }
    QTableWidget *table() const { return steps()->findChild<QTableWidget *>(); }
    void click(const char *name) { steps()->findChild<QAbstractButton *>(name)->click(); }
    void addSteps(int count);
    void untick(int row)
    {
        table()->cellWidget(row, 3)->findChild<QCheckBox *>()->setChecked(false);
    }
    // Clicks 执行 and ends every step the plug-in is asked to run.
    void run();
    QStringList states() const;

    std::unique_ptr<StepPeer> m_peer;
    MainWindow *m_window = nullptr;
    std::unique_ptr<QSignalSpy> m_tips;
};

void TestHostSteps::init()
{
    m_peer = std::make_unique<StepPeer>();
    m_window = new MainWindow;
    m_tips = std::make_unique<QSignalSpy>(m_window, &MainWindow::tipSignal);
    m_peer->setHarlithFace(m_window);
    m_window->setHarlithFace(m_peer.get());
    m_window->findChild<QAction *>("action_step")->trigger();
}

void TestHostSteps::cleanup()
{
    m_tips.reset();
    delete m_window;
    m_window = nullptr;
    m_peer.reset();
    QFile::remove(configureFile());
}

void TestHostSteps::addSteps(int count)
{
    for (int i = 0; i < count; ++i)
        click("pushButton_add");
}

void TestHostSteps::run()
{
    m_peer->calls.clear();
    m_tips->clear();
    click("pushButton_star");
    for (int done = 0; done < m_peer->calls.size(); ++done)
        m_window->stepDone();
}

QStringList TestHostSteps::states() const
{
    QStringList found;
    for (int row = 0; row < table()->rowCount(); ++row) {
        const bool grey = table()->item(row, 0)->background().color() == QColor(Qt::gray);
        found << table()->item(row, 4)->text() + (grey ? QStringLiteral(" grey") : QString());
    }
    return found;
}

void TestHostSteps::runsTheTickedRowsOfTheRange_data()
{
    QTest::addColumn<QList<int>>("unticked");
    // "all" for the 全部 button, else the two fields as "begin,end".
    QTest::addColumn<QString>("range");
    // The rows run in order; {-1} for a range that is refused.
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("all") << QList<int>{} << "all" << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("1 to 3") << QList<int>{} << "1,3" << QList<int>{0, 1, 2};
    QTest::newRow("unticked skipped") << QList<int>{1, 3} << "all" << QList<int>{0, 2, 4};
    QTest::newRow("last ticked before the end") << QList<int>{3, 4} << "2,5" << QList<int>{1, 2};
    QTest::newRow("none ticked") << QList<int>{0, 1, 2, 3, 4} << "all" << QList<int>{};
    for (const char *refused : {"0,2", "2,6", "3,2", ","})
        QTest::newRow(refused) << QList<int>{} << refused << QList<int>{-1};
}
void TestHostSteps::runsTheTickedRowsOfTheRange()
{
    QFETCH(QList<int>, unticked);
    QFETCH(QString, range);
    QFETCH(QList<int>, rows);
    addSteps(5);
    for (int row : unticked)
        untick(row);
    if (range != QLatin1String("all")) {
        click("radioButton_range");
        steps()->findChild<QLineEdit *>("lineEdit_begin")->setText(range.section(',', 0, 0));
        steps()->findChild<QLineEdit *>("lineEdit_end")->setText(range.section(',', 1, 1));
    }
    run();
    if (rows == QList<int>{-1}) {
        QCOMPARE(tipsOf(*m_tips), QStringList({tipOf(Tip::ParametersInvalid)}));
        QVERIFY(m_peer->calls.isEmpty());
        return;
    }
    QStringList tips;
    QStringList calls;
    QStringList looks;
    for (int row = 0; row < 5; ++row)
        looks << QStringLiteral("未执行");
    for (int row : rows) {
        tips << tipOf(Tip::StepStarted, QString::number(row))
             << tipOf(Tip::StepFinished, QString::number(row));
        calls << QStringLiteral("run:%1").arg(row + 1);
        looks[row] = QStringLiteral("已执行 grey");
    }
    if (!rows.isEmpty())
        tips << tipOf(Tip::AllStepsDone);
    QCOMPARE(tipsOf(*m_tips), tips);
    QCOMPARE(m_peer->calls, calls);
    QCOMPARE(states(), looks);
    QVERIFY(m_window->isEnabled());
}

// A run ends back at the start: the next one begins again at the first
// ticked row and whitens the rows run before, as the reset button does.
void TestHostSteps::nextStartAndResetWhitenTheRows()
{
    addSteps(3);
    untick(0);
    run();
    QCOMPARE(states(), QStringList({"未执行", "已执行 grey", "已执行 grey"}));
    click("pushButton_recovery");
    QCOMPARE(states(), QStringList({"未执行", "未执行", "未执行"}));
    run();
    click("pushButton_star");
    QCOMPARE(tipsOf(*m_tips).last(), tipOf(Tip::StepStarted, QStringLiteral("1")));
    QCOMPARE(states(), QStringList({"未执行", "未执行", "未执行"}));
}

// However often the window is opened, one click adds one step; a clear
// tells the plug-in once per step, even an empty table's clear is passed on,
// and the ids start again from 1. An empty table has nothing to run or
// remove.
void TestHostSteps::idsCountAgainFromOneAfterAClear()
{
    m_window->findChild<QAction *>("action_step")->trigger();
    QCOMPARE(m_window->findChildren<StepWidget *>().size(), 1);
    QSignalSpy cleared(steps(), &StepWidget::clearStepSignal);
    m_tips->clear();
    click("pushButton_star");
    click("pushButton_remove");
    click("pushButton_clear");
    addSteps(2);
    click("pushButton_remove");
    QCOMPARE(tipsOf(*m_tips),
             QStringList({tipOf(Tip::NoStepsAdded), tipOf(Tip::NoStepsToRemove),
                          tipOf(Tip::StepListLength, QStringLiteral("MainWindow vector length:1")),
                          tipOf(Tip::StepListLength, QStringLiteral("MainWindow vector length:2")),
                          tipOf(Tip::NoStepChosenToRemove)}));
    QCOMPARE(table()->item(1, 2)->text(), QStringLiteral("当前列表"));
    click("pushButton_clear");
    addSteps(1);
    QCOMPARE(m_peer->calls, QStringList({"add:1", "add:2", "clear", "clear", "add:1"}));
    QCOMPARE(cleared.size(), 2);
    QCOMPARE(table()->rowCount(), 1);
}

void TestHostSteps::removesExactlyThePickedRows_data()
{
    QTest::addColumn<QList<int>>("picked");
    QTest::newRow("in row order") << QList<int>{1, 3};
    QTest::newRow("higher row first") << QList<int>{3, 1};
}
// The steps of rows 1 and 3 go, the highest first; the rows left show and
// run their own steps.
void TestHostSteps::removesExactlyThePickedRows()
{
    QFETCH(QList<int>, picked);
    addSteps(5);
    for (int row = 0; row < 5; ++row)
        table()->item(row, 1)->setText(QString::number(row));
    for (int row : picked) {
        table()->selectionModel()->select(table()->model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    m_peer->calls.clear();
    click("pushButton_remove");
    QCOMPARE(m_peer->calls, QStringList({"remove:4", "remove:2"}));
    QStringList left;
    for (int row = 0; row < table()->rowCount(); ++row)
        left << table()->item(row, 1)->text();
    QCOMPARE(left, QStringList({"0", "2", "4"}));
    run();
    QCOMPARE(m_peer->calls, QStringList({"run:1", "run:3", "run:5"}));
}

// The step window goes with the main window; its last clear still reaches
// the plug-in, once per step.
void TestHostSteps::closingTheProgramClearsTheSteps()
{
    addSteps(2);
    m_peer->calls.clear();
    m_tips.reset();
    delete m_window;
    m_window = nullptr;
    QCOMPARE(m_peer->calls, QStringList({"clear", "clear"}));
}

QTEST_MAIN(TestHostSteps)
#include "tst_hoststeps.moc"
