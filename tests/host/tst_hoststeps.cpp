#include "HarlithFace.h"
#include "HostTestHelpers.h"
#include "MainWindow.h"
#include "Settings.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

namespace {

// A plug-in that records every step call and answers each add request as
// the real one does: within the call, through the host's appendStep.
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
        host->appendStep(rowText, 2);
    }
    void clearStep() override { calls << QStringLiteral("clear"); }
    void removeStep(const int &uniqueValue) override
    {
        calls << QStringLiteral("remove:%1").arg(uniqueValue);
    }
    void runStep(int uniqueValue) override
    {
        calls << QStringLiteral("run:%1").arg(uniqueValue);
        // As a run does until its step is over.
        host->setFaceEnabled(false);
    }

    HarlithFace *host = nullptr;
    QString rowText = QStringLiteral("字符处理:替换1");
    QStringList calls;
};

} // namespace

// The main window between its step window and the plug-ins that recorded
// the steps.
class TestHostSteps : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void idsCountAgainFromOneAfterAClear();
    void addingNeedsACurrentPlugin();
    void stepTextsThatMakeNoRow_data();
    void stepTextsThatMakeNoRow();
    void removalReachesTheRowsSteps_data();
    void removalReachesTheRowsSteps();
    void runGoesStepByStepAndFreesTheWindow();
    void closingTheProgramClearsTheSteps();

private:
    QWidget *stepWindow() const { return m_window->findChild<QWidget *>("StepWidget"); }
    QTableWidget *table() const { return m_window->findChild<QTableWidget *>("tableWidget_step"); }
    void openStepWindow() { m_window->findChild<QAction *>("action_step")->trigger(); }
    void click(const char *name) { stepWindow()->findChild<QAbstractButton *>(name)->click(); }
    void addSteps(int count);
    QStringList tips() const;

    std::unique_ptr<StepPeer> m_peer;
    MainWindow *m_window = nullptr;
    std::unique_ptr<QSignalSpy> m_tips;
};

void TestHostSteps::init()
{
    m_peer = std::make_unique<StepPeer>();
    m_window = new MainWindow;
    m_tips = std::make_unique<QSignalSpy>(m_window, &MainWindow::tipSignal);
    // Binding both ways, as loading and activating a panel do.
    m_peer->setHarlithFace(m_window);
    m_window->setHarlithFace(m_peer.get());
    openStepWindow();
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

QStringList TestHostSteps::tips() const
{
    return tipsOf(*m_tips);
}

// However often the window is opened, one click adds one step; a clear
// tells the plug-in once per step and the ids start again from 1.
void TestHostSteps::idsCountAgainFromOneAfterAClear()
{
    openStepWindow();
    openStepWindow();
    QCOMPARE(m_window->findChildren<QWidget *>("StepWidget").size(), 1);
    m_tips->clear();
    addSteps(2);
    QCOMPARE(m_peer->calls, QStringList({"add:1", "add:2"}));
    QCOMPARE(tips(),
             QStringList({"68,69,MainWindow vector length:1", "68,69,MainWindow vector length:2"}));
    QCOMPARE(table()->rowCount(), 2);
    QCOMPARE(table()->item(0, 0)->text(), QStringLiteral("字符处理"));
    QCOMPARE(table()->item(0, 1)->text(), QStringLiteral("替换1"));
    QCOMPARE(table()->item(0, 2)->text(), QStringLiteral("当前列表"));

    click("pushButton_clear");
    addSteps(1);
    QCOMPARE(m_peer->calls, QStringList({"add:1", "add:2", "clear", "clear", "add:1"}));
    QCOMPARE(table()->rowCount(), 1);
}

void TestHostSteps::addingNeedsACurrentPlugin()
{
    m_window->sendTip(11, 13, QString()); // the panel closed
    m_tips->clear();
    addSteps(1);
    QCOMPARE(tips(), QStringList({"11,14,"}));
    QVERIFY(m_peer->calls.isEmpty());
    m_window->setHarlithFace(m_peer.get());
    addSteps(1);
    QCOMPARE(m_peer->calls, QStringList({"add:1"}));
}

void TestHostSteps::stepTextsThatMakeNoRow_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<int>("rows");
    QTest::newRow("three parts") << "a:b:c"
                                 << "-5,0,length:5 a:b:c" << 0;
    QTest::newRow("empty") << ""
                           << "-5,0,length:0 " << 0;
    QTest::newRow("no operation") << "None:None"
                                  << "-6,2," << 0;
    QTest::newRow("half none") << "None:x"
                               << "68,69,MainWindow vector length:1" << 1;
}
void TestHostSteps::stepTextsThatMakeNoRow()
{
    QFETCH(QString, text);
    QFETCH(QString, tip);
    QFETCH(int, rows);
    m_peer->rowText = text;
    m_tips->clear();
    addSteps(1);
    QCOMPARE(tips(), QStringList({tip}));
    QCOMPARE(table()->rowCount(), rows);
}

void TestHostSteps::removalReachesTheRowsSteps_data()
{
    QTest::addColumn<QList<int>>("picked");
    QTest::newRow("in row order") << QList<int>{1, 3};
    QTest::newRow("higher row first") << QList<int>{3, 1};
}
// The steps of rows 1 and 3 go, the highest first; the rows left run the
// steps they showed.
void TestHostSteps::removalReachesTheRowsSteps()
{
    QFETCH(QList<int>, picked);
    addSteps(5);
    pickRows(table(), picked);
    m_peer->calls.clear();
    click("pushButton_remove");
    QCOMPARE(m_peer->calls, QStringList({"remove:4", "remove:2"}));

    m_peer->calls.clear();
    click("pushButton_star");
    m_window->stepDone();
    m_window->stepDone();
    QCOMPARE(m_peer->calls, QStringList({"run:1", "run:3", "run:5"}));
}

// Each step's end starts the next ticked row; after the last the window is
// usable again.
void TestHostSteps::runGoesStepByStepAndFreesTheWindow()
{
    addSteps(3);
    table()->cellWidget(1, 3)->findChild<QCheckBox *>()->setChecked(false);
    m_tips->clear();
    click("pushButton_star");
    QCOMPARE(m_peer->calls.last(), QStringLiteral("run:1"));
    QVERIFY(!m_window->isEnabled());
    m_window->stepDone();
    QCOMPARE(m_peer->calls.last(), QStringLiteral("run:3"));
    QVERIFY(!m_window->isEnabled());
    m_window->stepDone();
    QVERIFY(m_window->isEnabled());
    QCOMPARE(tips(), QStringList({"-5,1,0", "-5,2,0", "-5,1,2", "-5,2,2", "-5,3,"}));
    QCOMPARE(table()->item(0, 4)->text(), QStringLiteral("已执行"));
    QCOMPARE(table()->item(1, 4)->text(), QStringLiteral("未执行"));
    QCOMPARE(table()->item(2, 4)->text(), QStringLiteral("已执行"));
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
