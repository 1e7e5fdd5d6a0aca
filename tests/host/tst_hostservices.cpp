#include "FileType.h"
#include "HarlithFace.h"
#include "HostTestHelpers.h"
#include "MainWindow.h"
#include "Settings.h"
#include "TestFiles.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
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

// Lists keep only files that exist, so every path handed to them is real.
QString existingFile(const QString &name)
{
    const QString path = QDir::current().absoluteFilePath(name);
    writeTestFile(path, "text\n");
    return path;
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
    void listsByPosition();
    void withoutListsOrDocuments();
    void generatedFilesJoinAListOfTheirName();
    void currentDocument();

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
    // Documents may ask to be saved as they close: decline every time.
    QTimer decline;
    connect(&decline, &QTimer::timeout, this, []() {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            const auto buttons = box->buttons();
            for (QAbstractButton *button : buttons) {
                if (button->text() == QStringLiteral("否"))
                    button->click();
            }
        }
    });
    decline.start(10);
    delete mWindow;
    mWindow = nullptr;
    QFile::remove(configureFile());
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
    QCOMPARE(tipsOf(tips),
             QStringList({tipOf(Tip::CurrentPluginSet, QStringLiteral("当前插件:Peer  V9"))}));

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

    mFace->sendTip(Tip::FileSaved, QStringLiteral("D:/a.txt"));
    QCOMPARE(tipsOf(tips), QStringList({tipOf(Tip::FileSaved, QStringLiteral("D:/a.txt"))}));

    // The end of a run gives the window back to the user.
    tips.clear();
    mFace->setFaceEnabled(false);
    mFace->sendTip(Tip::AllThreadsDone);
    QVERIFY(mWindow->isEnabled());
    QCOMPARE(tipsOf(tips), QStringList({tipOf(Tip::AllThreadsDone)}));

    // A closed panel first drops the current plug-in, then shows the tip.
    NamedPeer peer;
    mFace->setHarlithFace(&peer);
    tips.clear();
    mFace->sendTip(Tip::PluginClosed, QStringLiteral("Text V0.0.0.7"));
    QCOMPARE(tipsOf(tips),
             QStringList({tipOf(Tip::CurrentPluginDropped, QStringLiteral("当前插件: Q_NULLPTR")),
                          tipOf(Tip::PluginClosed, QStringLiteral("Text V0.0.0.7"))}));
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
    QCOMPARE(tipsOf(tips), QStringList({tipOf(Tip::AddStepFailed, QStringLiteral("length:5 a:b:c")),
                                        tipOf(Tip::AddStepFailed, QStringLiteral("length:0 ")),
                                        tipOf(Tip::NoOperationChosen),
                                        tipOf(Tip::StepListLength,
                                              QStringLiteral("MainWindow vector length:0"))}));
}

void TestHostServices::listsByPosition()
{
    // A start makes one list, "List1"; a plug-in adds another.
    mFace->newList(QStringLiteral("Out"));
    QCOMPARE(mFace->tableCount(), 2);
    QCOMPARE(mFace->tableName(0), QStringLiteral("List1"));
    QCOMPARE(mFace->tableName(1), QStringLiteral("Out2"));
    QCOMPARE(mFace->tableID(0), 1);
    QCOMPARE(mFace->tableID(1), 2);
    QCOMPARE(mFace->curTableID(), 2);
    QCOMPARE(mFace->fileCount(1), 0);

    mFace->appendFileToList(existingFile(QStringLiteral("a.xlsx")), QStringLiteral("Out"));
    mFace->appendFileToList(existingFile(QStringLiteral("b.xlsx")), QStringLiteral("Out"));
    QCOMPARE(mFace->fileCount(1), 2);
    const QList<FileType *> files = mFace->fileList(1);
    QCOMPARE(files.size(), 2);
    QCOMPARE(files.at(0)->path, QDir::current().absoluteFilePath(QStringLiteral("a.xlsx")));
    QCOMPARE(files.at(1)->path, QDir::current().absoluteFilePath(QStringLiteral("b.xlsx")));
    QVERIFY(files.at(0)->id != files.at(1)->id);
    QCOMPARE(mFace->curFileList(), files);
    QCOMPARE(mFace->curFileCount(), 2);

    for (int outside : {-1, 2, 3}) {
        QCOMPARE(mFace->tableID(outside), -1);
        QCOMPARE(mFace->tableName(outside), QString());
        QCOMPARE(mFace->fileCount(outside), -1);
        QVERIFY(mFace->fileList(outside).isEmpty());
    }
}

void TestHostServices::withoutListsOrDocuments()
{
    delete mWindow;
    writeSetting(configureFile(), QStringLiteral("start"), QStringLiteral("listNumber"),
                 QStringLiteral("0"));
    mWindow = new MainWindow;
    mFace = mWindow;

    QCOMPARE(mFace->tableCount(), 0);
    QCOMPARE(mFace->curTableID(), -1);
    QCOMPARE(mFace->curFileCount(), -1);
    QVERIFY(mFace->curFileList().isEmpty());
    QCOMPARE(mFace->tableID(0), -1);
    QCOMPARE(mFace->curFileName(), QString());
    QCOMPARE(mFace->curCodeEditorID(), -1);

    // A generated file still finds a home.
    mFace->appendFileToList(existingFile(QStringLiteral("out.xlsx")), QStringLiteral("List"));
    QCOMPARE(mFace->tableCount(), 1);
    QCOMPARE(mFace->tableName(0), QStringLiteral("List1"));
    QCOMPARE(mFace->curFileCount(), 1);
}

void TestHostServices::generatedFilesJoinAListOfTheirName()
{
    // "List1" starts with "List": the current list takes the file.
    mFace->appendFileToList(existingFile(QStringLiteral("a.xlsx")), QStringLiteral("List"));
    QCOMPARE(mFace->tableCount(), 1);
    QCOMPARE(mFace->fileCount(0), 1);

    // A path the list holds already is not listed twice.
    mFace->appendFileToList(existingFile(QStringLiteral("a.xlsx")), QStringLiteral("List"));
    QCOMPARE(mFace->fileCount(0), 1);

    // The match is case-sensitive; a new current list gets the next number.
    mFace->appendFileToList(existingFile(QStringLiteral("b.xlsx")), QStringLiteral("list"));
    QCOMPARE(mFace->tableCount(), 2);
    QCOMPARE(mFace->tableName(1), QStringLiteral("list2"));
    QCOMPARE(mFace->curTableID(), mFace->tableID(1));
    QCOMPARE(mFace->fileCount(1), 1);
    QCOMPARE(mFace->fileCount(0), 1);

    mFace->appendFileToList(existingFile(QStringLiteral("c.xlsx")), QStringLiteral("生成"));
    QCOMPARE(mFace->tableName(2), QStringLiteral("生成3"));
    QCOMPARE(mFace->curFileList().first()->path,
             QDir::current().absoluteFilePath(QStringLiteral("c.xlsx")));
}

void TestHostServices::currentDocument()
{
    const QString path = existingFile(QStringLiteral("doc.txt"));
    mFace->appendFileToList(path, QStringLiteral("List"));
    const int id = mFace->curFileList().first()->id;
    mWindow->findChild<QAction *>(QStringLiteral("action_openAll"))->trigger();
    QCOMPARE(mFace->curFileName(), path);
    QCOMPARE(mFace->curCodeEditorID(), id);

    // An untitled document has no path, but it has an id.
    mWindow->findChild<QAction *>(QStringLiteral("action_new"))->trigger();
    QCOMPARE(mFace->curFileName(), QString());
    QVERIFY(mFace->curCodeEditorID() > id);
}

QTEST_MAIN(TestHostServices)
#include "tst_hostservices.moc"
