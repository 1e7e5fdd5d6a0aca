#include "HarlithFace.h"
#include "MainWindow.h"

#include <QDockWidget>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A plug-in that only introduces itself.
class NamedPeer : public QObject, public HarlithFace
{
    Q_OBJECT
    Q_INTERFACES(HarlithFace)
public:
    void setFaceEnabled(bool enabled) override { Q_UNUSED(enabled); }
    void setHarlithFace(HarlithFace *peer) override { Q_UNUSED(peer); }
    QString plusVersion() override { return QStringLiteral("V9"); }
    QString plusName() override { return QStringLiteral("Peer"); }
};

QString tipOf(const QList<QVariant> &args)
{
    return QStringLiteral("%1,%2,%3")
        .arg(args.at(0).toInt())
        .arg(args.at(1).toInt())
        .arg(args.at(2).toString());
}

QStringList tipsOf(const QSignalSpy &spy)
{
    QStringList tips;
    for (const QList<QVariant> &args : spy)
        tips << tipOf(args);
    return tips;
}

} // namespace

// The host's services as a plug-in reaches them: through the interface.
class TestHostServices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void enablingAndMainWidget();
    void bindingNamesTheCurrentPlugin();
    void oneDockForAllPlugins();
    void dockIsMadeAgainAfterItDies();
    void tipsWithSpecialMeaning();
    void rangeLabel_data();
    void rangeLabel();
    void explanationAndStepSignals();
    void stepRowsNeedTwoParts();

private:
    MainWindow *mWindow = nullptr;
    HarlithFace *mFace = nullptr;
};

void TestHostServices::initTestCase()
{
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
}

void TestHostServices::init()
{
    mWindow = new MainWindow;
    mFace = qobject_cast<HarlithFace *>(mWindow);
}

void TestHostServices::cleanup()
{
    delete mWindow;
    mWindow = nullptr;
}

void TestHostServices::enablingAndMainWidget()
{
    QVERIFY(mFace);
    QCOMPARE(mFace->mainWidget(), mWindow);
    mFace->setFaceEnabled(false);
    QVERIFY(!mWindow->isEnabled());
    mFace->setFaceEnabled(true);
    QVERIFY(mWindow->isEnabled());
}

void TestHostServices::bindingNamesTheCurrentPlugin()
{
    NamedPeer peer;
    QSignalSpy tips(mWindow, &MainWindow::tipSignal);
    mFace->setHarlithFace(&peer);
    QCOMPARE(tipsOf(tips), QStringList({"66,66,当前插件:Peer  V9"}));

    // Forgetting the current plug-in has nobody to name.
    mFace->setHarlithFace(nullptr);
    QCOMPARE(tips.count(), 1);
}

void TestHostServices::oneDockForAllPlugins()
{
    QCOMPARE(mFace->getHarlithFaceName(), QString());
    mWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(mWindow));

    QDockWidget *dock = mFace->createPlusDock(QStringLiteral("Text"));
    QVERIFY(dock);
    QCOMPARE(mFace->getHarlithFaceName(), QStringLiteral("Text"));
    QCOMPARE(dock->parentWidget(), mWindow);
    QVERIFY(dock->windowTitle().isEmpty());
    QCOMPARE(dock->features(), QDockWidget::NoDockWidgetFeatures);
    QCOMPARE(dock->allowedAreas(), Qt::RightDockWidgetArea);
    QCOMPARE(mWindow->dockWidgetArea(dock), Qt::RightDockWidgetArea);
    QCOMPARE(dock->minimumWidth(), 200);
    QCOMPARE(dock->maximumWidth(), 200);
    QCOMPARE(dock->maximumHeight(), mWindow->centralWidget()->height());

    // Another plug-in gets the same dock and becomes its owner.
    QCOMPARE(mFace->createPlusDock(QStringLiteral("Other")), dock);
    QCOMPARE(mFace->getHarlithFaceName(), QStringLiteral("Other"));
}

void TestHostServices::dockIsMadeAgainAfterItDies()
{
    QPointer<QDockWidget> dock = mFace->createPlusDock(QStringLiteral("Text"));
    delete dock.data();
    QDockWidget *again = mFace->createPlusDock(QStringLiteral("Text"));
    QVERIFY(again);
    QCOMPARE(mWindow->findChildren<QDockWidget *>(QStringLiteral("dockWidget_plus")).size(), 1);
}

void TestHostServices::tipsWithSpecialMeaning()
{
    QSignalSpy tips(mWindow, &MainWindow::tipSignal);

    mFace->sendTip(0, 4, QStringLiteral("D:/a.txt"));
    QCOMPARE(tipsOf(tips), QStringList({"0,4,D:/a.txt"}));

    // The end of a run gives the window back to the user.
    tips.clear();
    mFace->setFaceEnabled(false);
    mFace->sendTip(-4, 2, QString());
    QVERIFY(mWindow->isEnabled());
    QCOMPARE(tipsOf(tips), QStringList({"-4,2,"}));

    // A closed panel first drops the current plug-in, then shows the tip.
    NamedPeer peer;
    mFace->setHarlithFace(&peer);
    tips.clear();
    mFace->sendTip(11, 13, QStringLiteral("Text V0.0.0.7"));
    QCOMPARE(tipsOf(tips), QStringList({"66,67,当前插件: Q_NULLPTR", "11,13,Text V0.0.0.7"}));
}

void TestHostServices::rangeLabel_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("text");
    QTest::newRow("all") << 1 << QStringLiteral("所有列表");
    QTest::newRow("list") << 2 << QStringLiteral("当前列表");
    QTest::newRow("current") << 3 << QStringLiteral("当前文档");
    QTest::newRow("cleared") << 0 << QString();
    QTest::newRow("unknown") << 7 << QString();
    QTest::newRow("negative") << -1 << QString();
}

void TestHostServices::rangeLabel()
{
    QFETCH(int, range);
    QFETCH(QString, text);
    auto *label = mWindow->findChild<QLabel *>(QStringLiteral("label_range"));
    QVERIFY(label);
    label->setText(QStringLiteral("before"));
    mFace->setRangeLabel(range);
    QCOMPARE(label->text(), text);
}

void TestHostServices::explanationAndStepSignals()
{
    QSignalSpy explained(mWindow, &MainWindow::explainSignal);
    QSignalSpy done(mWindow, &MainWindow::stepDoneSignal);
    mFace->explain(QStringLiteral("<b>x</b>"));
    QCOMPARE(explained.count(), 1);
    QCOMPARE(explained.first().first().toString(), QStringLiteral("<b>x</b>"));
    mFace->stepDone();
    QCOMPARE(done.count(), 1);
}

void TestHostServices::stepRowsNeedTwoParts()
{
    QSignalSpy tips(mWindow, &MainWindow::tipSignal);
    mFace->appendStep(QStringLiteral("a:b:c"), 1);
    mFace->appendStep(QString(), 1);
    mFace->appendStep(QStringLiteral("None:None"), 1);
    mFace->appendStep(QStringLiteral("None:x"), 1);
    QCOMPARE(tipsOf(tips), QStringList({"-5,0,length:5 a:b:c", "-5,0,length:0 ", "-6,2,",
                                        "68,69,MainWindow vector length:0"}));
}

QTEST_MAIN(TestHostServices)
#include "tst_hostservices.moc"
