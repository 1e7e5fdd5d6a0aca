#include "RecordingServer.h"
#include "RunHost.h"
#include "ThreadInit.h"
#include "WorkbookFixtures.h"
#include "WorkbookSnapshot.h"
#include "frame/PluginGlobals.h"
#include "frame/Wendral.h"
#include "records/ParChar.h"
#include "records/ParReplaced.h"
#include "server/SpreadsheetServer.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <new>
#include <stdexcept>

namespace {

const QString kExcel = QStringLiteral("Excel.Application");

// Empty files: enough for a recording server, which never reads them.
QStringList makeFiles(const QTemporaryDir &dir, const QString &prefix, int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1%2.xlsx").arg(prefix).arg(i));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        paths << path;
    }
    return paths;
}

std::shared_ptr<ParReplaced> replaceRecord(const QString &key, const QString &replacement)
{
    auto par = std::make_shared<ParReplaced>();
    par->sheetIndex = QStringLiteral("所有表");
    par->pairs = {{key, replacement}};
    return par;
}

std::shared_ptr<RecordingLog> installRecording()
{
    auto log = RecordingLog::create();
    log->answer("Count()", 1);
    log->answer("Save()", true);
    RecordingServer::install(kExcel, log);
    return log;
}

} // namespace

Q_DECLARE_METATYPE(std::function<void()>)

class TestRunDispatch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void noListsDoesNothing();
    void nothingToProcessEndsAtOnce_data();
    void nothingToProcessEndsAtOnce();
    void noOperationEndsOncePerList();
    void kindsWithoutOperationEndAtOnce_data();
    void kindsWithoutOperationEndAtOnce();
    void unknownRangeEndsAtOnce();
    void noOptionsPanelIsAParameterError();

    void twoListsCompleteOnceAfterTheLastFile();
    void failedFilesStillCountAsFinished();
    void countersStartAfreshForTheNextRun();
    void fileEndingDuringDispatchWaitsForTheRest();
    void nextStepStartsFromStepDone();
    void stepRecordServesEveryFileOfReplaceByTable();
    void stepWithoutItsRecordIsAParameterError();
    void cellOperationRunsAsAStep();
    void recordGoesWithTheLastHolder_data();
    void recordGoesWithTheLastHolder();
    void tightBudgetStillEndsEveryFile();
    void jobsRunInPoolThreadsAndReportAfterTheStart();
    void throwingJobEndsItsFileAndTheRunGoesOn_data();
    void throwingJobEndsItsFileAndTheRunGoesOn();

private:
    // A step of kind with record over range, as the step list keeps one.
    void addStep(Enum_TextIndex kind, const OperationRecord &record, Enum_Range range);
    void runStep(int index);
    int fileCount() const { return m_plugin->progress().fileCount(); }
    int fileComplete() const { return m_plugin->progress().fileComplete(); }

    std::unique_ptr<Wendral> m_plugin;
    std::unique_ptr<RunHost> m_host;
};

void TestRunDispatch::init()
{
    SpreadsheetServer::install();
    m_host = std::make_unique<RunHost>();
    m_plugin = std::make_unique<Wendral>();
    m_plugin->setHarlithFace(m_host.get());
    g_curTextIndex = Replaced;
    g_range = List;
}

void TestRunDispatch::cleanup()
{
    m_plugin.reset();
    m_host.reset();
    g_hostFace = nullptr;
    SpreadsheetServer::install();
}

void TestRunDispatch::addStep(Enum_TextIndex kind, const OperationRecord &record, Enum_Range range)
{
    StepType step;
    step.uniqueValue = m_plugin->steps().size() + 1;
    step.textIndex = kind;
    step.par = record;
    step.range = range;
    m_plugin->steps().append(step);
}

void TestRunDispatch::runStep(int index)
{
    m_plugin->progress().setStepMode(true);
    const StepType step = m_plugin->steps().at(index);
    m_plugin->runRange(step.range, step.textIndex, index);
}

void TestRunDispatch::noListsDoesNothing()
{
    for (Enum_Range range : {All, List, Current}) {
        g_range = range;
        m_host->currentDocument = QStringLiteral("/tmp/a.xlsx");
        m_plugin->startRun();
    }
    QVERIFY(m_host->calls.isEmpty());
}

void TestRunDispatch::nothingToProcessEndsAtOnce_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<QList<int>>("listSizes");
    QTest::newRow("current list empty") << int(List) << QList<int>{0, 2};
    QTest::newRow("no document") << int(Current) << QList<int>{2};
    QTest::newRow("every list empty") << int(All) << QList<int>{0, 0};
}
void TestRunDispatch::nothingToProcessEndsAtOnce()
{
    QFETCH(int, range);
    QFETCH(QList<int>, listSizes);
    for (int size : listSizes) {
        QStringList paths;
        for (int i = 0; i < size; ++i)
            paths << QStringLiteral("/tmp/x%1.xlsx").arg(i);
        m_host->addList(paths);
    }
    g_range = Enum_Range(range);
    m_plugin->startRun();
    QCOMPARE(m_host->calls,
             QStringList({"enabled:0", "enabled:1", RunHost::tipCall(Tip::NoFilesToProcess)}));
    QCOMPARE(fileCount(), 0);
    QCOMPARE(fileComplete(), 0);
}

// Kind 0 reports once for every list that holds files, and leaves nothing
// waiting.
void TestRunDispatch::noOperationEndsOncePerList()
{
    m_host->addList({QStringLiteral("/tmp/a.xlsx")});
    m_host->addList({});
    m_host->addList({QStringLiteral("/tmp/b.xlsx"), QStringLiteral("/tmp/c.xlsx")});
    g_range = All;
    g_curTextIndex = Explain;
    m_plugin->startRun();
    QCOMPARE(m_host->tips(), QStringList({RunHost::tipCall(Tip::NoOptionChosen),
                                          RunHost::tipCall(Tip::NoOptionChosen)}));
    QVERIFY(m_host->enabled);
    QCOMPARE(fileCount(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 0);
}

void TestRunDispatch::kindsWithoutOperationEndAtOnce_data()
{
    QTest::addColumn<int>("kind");
    for (int kind : {10, 11, 15})
        QTest::newRow(qPrintable(QString::number(kind))) << kind;
}
void TestRunDispatch::kindsWithoutOperationEndAtOnce()
{
    QFETCH(int, kind);
    QTemporaryDir dir;
    m_host->addList(makeFiles(dir, QStringLiteral("f"), 2));
    g_curTextIndex = Enum_TextIndex(kind);
    m_plugin->startRun();
    QCOMPARE(m_host->calls,
             QStringList({"enabled:0", "enabled:1", RunHost::tipCall(Tip::NoOptionChosen)}));
    QCOMPARE(fileCount(), 0);
}

void TestRunDispatch::unknownRangeEndsAtOnce()
{
    m_host->addList({QStringLiteral("/tmp/a.xlsx")});
    m_plugin->runRange(Enum_Range(0), Replaced, -1);
    QCOMPARE(m_host->calls,
             QStringList({"enabled:0", "enabled:1", RunHost::tipCall(Tip::NoFilesToProcess)}));
}

// Outside a step the record comes from the options panel; without one there
// is no record.
void TestRunDispatch::noOptionsPanelIsAParameterError()
{
    QTemporaryDir dir;
    m_host->addList(makeFiles(dir, QStringLiteral("f"), 2));
    m_plugin->startRun();
    QCOMPARE(m_host->calls,
             QStringList({"enabled:0", "enabled:1", RunHost::tipCall(Tip::ParametersInvalid)}));
    QCOMPARE(fileCount(), 0);
}

// Lists of 3 and 2 files: the first list's jobs have all ended before the
// second list starts, and the run completes once, after the fifth file.
void TestRunDispatch::twoListsCompleteOnceAfterTheLastFile()
{
    auto log = installRecording();
    QTemporaryDir dir;
    const QStringList first = makeFiles(dir, QStringLiteral("a"), 3);
    const QStringList second = makeFiles(dir, QStringLiteral("b"), 2);
    m_host->addList(first);
    m_host->addList(second);
    addStep(Replaced, replaceRecord(QStringLiteral("k"), QStringLiteral("v")), All);
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 1);

    const QStringList tips = m_host->tips();
    QCOMPARE(tips.filter(RunHost::tipCall(Tip::FileDone)).size(), 5);
    QCOMPARE(tips.last(), RunHost::tipCall(Tip::ThreadStepDone));
    QCOMPARE(tips.count(RunHost::tipCall(Tip::ThreadStepDone)), 1);
    QCOMPARE(m_host->calls.last(), QStringLiteral("stepDone"));
    QCOMPARE(fileCount(), 0);
    QCOMPARE(fileComplete(), 0);
    // The step window, not the plug-in, enables the host after a step.
    QCOMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 0);

    const QStringList calls = log->calls();
    int firstOfSecond = -1;
    for (int i = 0; i < calls.size() && firstOfSecond < 0; ++i) {
        if (calls.at(i).contains(QStringLiteral("Open(const QString&) = ") + dir.path() + "/b"))
            firstOfSecond = i;
    }
    QVERIFY(firstOfSecond > 0);
    QCOMPARE(calls.mid(0, firstOfSecond).filter(QRegularExpression(": Quit\\(\\)$")).size(), 3);
}

// A missing file and a damaged one end as finished too: the run completes
// and the good file is processed.
void TestRunDispatch::failedFilesStillCountAsFinished()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("gone.xlsx"));
    const QString corrupt = WorkbookFixtures::copy(QStringLiteral("truncated.xlsx"), dir.path());
    const QString good = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
    m_host->addList({missing, corrupt, good});
    addStep(Replaced, replaceRecord(QStringLiteral("apple"), QStringLiteral("pear")), List);
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 1);
    const QStringList tips = m_host->tips();
    QVERIFY(tips.contains(RunHost::tipCall(Tip::FileNotFound, missing)));
    QVERIFY(tips.contains(RunHost::tipCall(Tip::FileUnreadable, corrupt)));
    QVERIFY(tips.contains(RunHost::tipCall(Tip::FileDone, good)));
    QCOMPARE(tips.count(RunHost::tipCall(Tip::ThreadStepDone)), 1);
    QCOMPARE(WorkbookSnapshot::take(good).value("cells").toMap().value("Offset!B2").toString(),
             QStringLiteral("r2c2 pear"));
}

// A step keeps its record and hands it to the operation of its kind.
void TestRunDispatch::cellOperationRunsAsAStep()
{
    QTemporaryDir dir;
    const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
    m_host->addList({path});
    auto par = std::make_shared<ParChar>();
    par->sheetIndex = QStringLiteral("首表");
    par->text = QStringLiteral("X");
    addStep(Char, par, List);
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 1);
    QCOMPARE(WorkbookSnapshot::take(path).value("cells").toMap().value("Data!A2").toString(),
             QStringLiteral("Xapple"));
}

void TestRunDispatch::countersStartAfreshForTheNextRun()
{
    installRecording();
    QTemporaryDir dir;
    m_host->addList(makeFiles(dir, QStringLiteral("a"), 2));
    m_host->addList(makeFiles(dir, QStringLiteral("b"), 1));
    addStep(Delete, replaceRecord(QStringLiteral("k"), QString()), All);
    addStep(Delete, replaceRecord(QStringLiteral("k"), QString()), List);
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 1);
    runStep(1);
    QTRY_COMPARE(m_host->count("stepDone"), 2);
    QCOMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileDone)).size(), 5);
    QCOMPARE(fileCount(), 0);
}

// A host that lets queued calls through while it answers (between two lists)
// delivers the first list's files before the second list is handed out; the
// run still completes only once, after all of them.
void TestRunDispatch::fileEndingDuringDispatchWaitsForTheRest()
{
    installRecording();
    QTemporaryDir dir;
    m_host->addList(makeFiles(dir, QStringLiteral("a"), 1));
    m_host->addList(makeFiles(dir, QStringLiteral("b"), 1));
    m_host->onFileCount = [] { QCoreApplication::processEvents(); };
    addStep(Replaced, replaceRecord(QStringLiteral("k"), QStringLiteral("v")), All);
    runStep(0);
    QCoreApplication::processEvents();
    QTRY_COMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileDone)).size(), 2);
    QCOMPARE(m_host->count("stepDone"), 1);
    QCOMPARE(m_host->tips().count(RunHost::tipCall(Tip::ThreadStepDone)), 1);
    QCOMPARE(fileCount(), 0);
}

// The host's step window starts the next step from within stepDone.
void TestRunDispatch::nextStepStartsFromStepDone()
{
    installRecording();
    QTemporaryDir dir;
    m_host->addList(makeFiles(dir, QStringLiteral("a"), 2));
    addStep(Replaced, replaceRecord(QStringLiteral("a"), QStringLiteral("b")), List);
    addStep(Replaced, replaceRecord(QStringLiteral("b"), QStringLiteral("c")), List);
    int next = 1;
    m_host->onStepDone = [&] {
        if (next < 2)
            runStep(next++);
    };
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 2);
    QCOMPARE(m_host->tips().count(RunHost::tipCall(Tip::ThreadStepDone)), 2);
    QCOMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileDone)).size(), 4);
    QCOMPARE(fileCount(), 0);
    QCOMPARE(fileComplete(), 0);
}

// In a step, replace by table applies the step's one record to every file.
void TestRunDispatch::stepRecordServesEveryFileOfReplaceByTable()
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("x"));
    const QString one = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
    const QString two = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.filePath("x"));
    m_host->addList({one, two});
    addStep(Replaced2, replaceRecord(QStringLiteral("apple"), QStringLiteral("pear")), List);
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 1);
    for (const QString &path : {one, two}) {
        QCOMPARE(WorkbookSnapshot::take(path).value("cells").toMap().value("Data!A2").toString(),
                 QStringLiteral("pear"));
    }
}

void TestRunDispatch::stepWithoutItsRecordIsAParameterError()
{
    QTemporaryDir dir;
    m_host->addList(makeFiles(dir, QStringLiteral("a"), 1));
    addStep(Replaced, replaceRecord(QStringLiteral("a"), QStringLiteral("b")), List);
    m_plugin->progress().setStepMode(true);
    m_plugin->runRange(List, Replaced, 5);
    m_plugin->runRange(List, Delete, 0);
    QCOMPARE(m_host->tips(), QStringList({RunHost::tipCall(Tip::ParametersInvalid),
                                          RunHost::tipCall(Tip::ParametersInvalid)}));
    QVERIFY(m_host->enabled);
    QCOMPARE(fileCount(), 0);
}

void TestRunDispatch::recordGoesWithTheLastHolder_data()
{
    QTest::addColumn<QString>("release");
    for (const char *release : {"remove", "clear", "plug-in gone"})
        QTest::newRow(release) << release;
}
// A step keeps its record for its later runs; the jobs do not keep it. It
// goes with its step, however the step goes.
void TestRunDispatch::recordGoesWithTheLastHolder()
{
    QFETCH(QString, release);
    installRecording();
    QTemporaryDir dir;
    m_host->addList(makeFiles(dir, QStringLiteral("a"), 3));
    std::weak_ptr<ParReplaced> watch;
    {
        auto record = replaceRecord(QStringLiteral("a"), QStringLiteral("b"));
        watch = record;
        addStep(Replaced, record, List);
    }
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 1);
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 2);
    QVERIFY(!watch.expired());
    if (release == QLatin1String("remove"))
        m_plugin->removeStep(1);
    else if (release == QLatin1String("clear"))
        m_plugin->clearStep();
    else
        m_plugin.reset();
    // The pool may still be letting go of the last job.
    QTRY_VERIFY(watch.expired());
}

// Two workbooks at most at once, and a file whose cost is over the budget
// alone; missing files give their share back too, and the run ends.
void TestRunDispatch::tightBudgetStillEndsEveryFile()
{
    auto log = installRecording();
    m_plugin = std::make_unique<Wendral>(std::make_unique<WorkbookBudget>(1000, 2));
    m_plugin->setHarlithFace(m_host.get());
    QTemporaryDir dir;
    QStringList paths = makeFiles(dir, QStringLiteral("a"), 6);
    QStringList large;
    for (int i = 0; i < paths.size(); i += 3) {
        QFile file(paths.at(i));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1000, 'x'));
        large << paths.at(i);
    }
    paths.insert(1, dir.filePath(QStringLiteral("gone1.xlsx")));
    paths.insert(4, dir.filePath(QStringLiteral("gone2.xlsx")));
    m_host->addList(paths);
    addStep(Replaced, replaceRecord(QStringLiteral("k"), QStringLiteral("v")), List);
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 1);
    QCOMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileDone)).size(), 6);
    QCOMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileNotFound)).size(), 2);

    int open = 0;
    for (const QString &call : log->calls()) {
        const int opening = call.indexOf(QStringLiteral("Open(const QString&) = "));
        if (opening >= 0) {
            ++open;
            QVERIFY2(open <= 2, qPrintable(call));
            if (large.contains(call.mid(opening + 23)))
                QVERIFY2(open == 1, qPrintable(call));
        } else if (call.endsWith(QStringLiteral(": Quit()"))) {
            --open;
        }
    }
}

// The GUI thread only waits: no job runs there, so nothing a job reports
// reaches the host before the run has been handed out and its start call has
// returned.
void TestRunDispatch::jobsRunInPoolThreadsAndReportAfterTheStart()
{
    installRecording();
    QTemporaryDir dir;
    m_host->addList(makeFiles(dir, QStringLiteral("a"), 4));
    addStep(Replaced, replaceRecord(QStringLiteral("k"), QStringLiteral("v")), List);
    ThreadInit::resetCounts();
    for (int run = 1; run <= 100; ++run) {
        m_host->calls.clear();
        runStep(0);
        QCOMPARE(m_host->calls, QStringList{"enabled:0"});
        QTRY_COMPARE(m_host->count("stepDone"), 1);
        QCOMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileDone)).size(), 4);
    }
    QCOMPARE(ThreadInit::counts().initialised, 0);
}

void TestRunDispatch::throwingJobEndsItsFileAndTheRunGoesOn_data()
{
    QTest::addColumn<QByteArray>("member");
    QTest::addColumn<bool>("secondFileOnly");
    QTest::addColumn<std::function<void()>>("raise");
    QTest::addColumn<QString>("failure");
    QTest::newRow("open out of memory")
        << QByteArray("Open") << true << std::function<void()>([] { throw std::bad_alloc(); })
        << RunHost::tipCall(Tip::FileUnreadable);
    QTest::newRow("save runs into an error")
        << QByteArray("Save()") << false
        << std::function<void()>([] { throw std::runtime_error("disk"); })
        << RunHost::tipCall(Tip::FileSaveFailed);
    QTest::newRow("replace throws a value")
        << QByteArray("Replace") << false << std::function<void()>([] { throw 42; })
        << RunHost::tipCall(Tip::FileSaveFailed);
}
// The file is reported, counts as done, and the other files go on; the run
// ends and the thread init of every job is released.
void TestRunDispatch::throwingJobEndsItsFileAndTheRunGoesOn()
{
    QFETCH(QByteArray, member);
    QFETCH(bool, secondFileOnly);
    QFETCH(std::function<void()>, raise);
    QFETCH(QString, failure);
    auto log = installRecording();
    QTemporaryDir dir;
    const QStringList paths = makeFiles(dir, QStringLiteral("a"), 3);
    log->throwOn(member, raise, secondFileOnly ? QVariant(paths.at(1)) : QVariant());
    m_host->addList(paths);
    addStep(Replaced, replaceRecord(QStringLiteral("k"), QStringLiteral("v")), List);
    const qint64 held = ThreadInit::totalInitialised() - ThreadInit::totalReleased();
    runStep(0);
    QTRY_COMPARE(m_host->count("stepDone"), 1);
    const QStringList tips = m_host->tips();
    QCOMPARE(tips.count(RunHost::tipCall(Tip::ThreadStepDone)), 1);
    for (int i = 0; i < paths.size(); ++i)
        QCOMPARE(tips.contains(failure + paths.at(i)), !secondFileOnly || i == 1);
    QCOMPARE(ThreadInit::totalInitialised() - ThreadInit::totalReleased(), held);
    QCOMPARE(fileCount(), 0);
}

QTEST_GUILESS_MAIN(TestRunDispatch)
#include "tst_rundispatch.moc"
