#include "AutomationClient.h"
#include "MemberSignature.h"
#include "RecordingServer.h"
#include "ServerRegistry.h"
#include "ThreadInit.h"

#include <QPointer>
#include <QtConcurrent>
#include <QtTest>

namespace {

const QString kFake = QStringLiteral("Test.Recorder");

// A server object that tells when it is destroyed.
class Tracked : public ServerObject
{
public:
    explicit Tracked(int *alive) : m_alive(alive) { ++*m_alive; }
    ~Tracked() override { --*m_alive; }
    QVariant invoke(const MemberSignature &member, const QVariantList &, bool *known) override
    {
        if (member.name() == "Child")
            return ServerObject::objectValue(std::make_shared<Tracked>(m_alive));
        if (member.name() == "Nothing")
            return ServerObject::objectValue(ServerObjectPtr());
        if (member.name() == "Plain")
            return 7;
        *known = false;
        return QVariant();
    }
    bool put(const QByteArray &, const QVariant &) override { return false; }

private:
    int *m_alive;
};

} // namespace

class TestAutomation : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { ServerRegistry::unregisterServer(kFake); }

    // The init shim keeps its counts per thread.
    void shimBalancesPerThread()
    {
        ThreadInit::resetCounts();
        QCOMPARE(ThreadInit::initialize(), ThreadInit::Ok);
        QCOMPARE(ThreadInit::initialize(), ThreadInit::AlreadyInitialised);
        QCOMPARE(ThreadInit::counts().depth(), 2);
        // Another thread starts from nothing and ends balanced on its own.
        const ThreadInit::Counts other = QtConcurrent::run([] {
                                             ThreadInit::resetCounts();
                                             ThreadInit::initialize();
                                             ThreadInit::release();
                                             return ThreadInit::counts();
                                         }).result();
        QCOMPARE(other.initialised, 1);
        QCOMPARE(other.released, 1);
        QCOMPARE(ThreadInit::counts().depth(), 2);
        ThreadInit::release();
        ThreadInit::release();
        QCOMPARE(ThreadInit::counts().depth(), 0);
        QTest::ignoreMessage(QtWarningMsg, "ThreadInit: release without a matching initialisation");
        ThreadInit::release();
        QCOMPARE(ThreadInit::counts().unmatched, 1);
        QCOMPARE(ThreadInit::counts().released, 2);
    }

    void shimRefusesAModelChange()
    {
        ThreadInit::resetCounts();
        ThreadInit::initialize(ThreadInit::ApartmentThreaded);
        QCOMPARE(ThreadInit::initialize(ThreadInit::Multithreaded), ThreadInit::ChangedMode);
        QCOMPARE(ThreadInit::counts().depth(), 1);
        ThreadInit::release();
    }

    void signaturesParse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("method");
        QTest::addColumn<int>("parameters");
        QTest::addColumn<bool>("valid");
        QTest::newRow("property") << QByteArray("Workbooks") << QByteArray("Workbooks") << false
                                  << 0 << true;
        QTest::newRow("no parameters")
            << QByteArray("Quit()") << QByteArray("Quit") << true << 0 << true;
        QTest::newRow("one") << QByteArray("Open(const QString&)") << QByteArray("Open") << true
                             << 1 << true;
        QTest::newRow("five") << QByteArray("Replace(const QVariant&, const QVariant&, const "
                                            "QVariant&, const QVariant&, const QVariant&)")
                              << QByteArray("Replace") << true << 5 << true;
        QTest::newRow("blanks") << QByteArray("  Count ( ) ") << QByteArray("Count") << true << 0
                                << true;
        QTest::newRow("unclosed") << QByteArray("Open(int") << QByteArray("Open") << true << 0
                                  << false;
        QTest::newRow("empty") << QByteArray("") << QByteArray("") << false << 0 << false;
        QTest::newRow("junk") << QByteArray("a-b") << QByteArray("a-b") << false << 0 << false;
    }
    void signaturesParse()
    {
        QFETCH(QByteArray, text);
        const MemberSignature member(text);
        QTEST(member.name(), "name");
        QTEST(member.isMethod(), "method");
        QTEST(member.parameterCount(), "parameters");
        QTEST(member.isValid(), "valid");
    }

    void registryCreatesReplacesAndForgets()
    {
        QVERIFY(!ServerRegistry::isRegistered(kFake));
        QVERIFY(!ServerRegistry::create(kFake));
        int alive = 0;
        ServerRegistry::registerServer(kFake,
                                       [&alive] { return std::make_shared<Tracked>(&alive); });
        QVERIFY(ServerRegistry::isRegistered(kFake));
        ServerObjectPtr first = ServerRegistry::create(kFake);
        ServerObjectPtr second = ServerRegistry::create(kFake);
        QVERIFY(first && second && first != second);
        QCOMPARE(alive, 2);
        auto log = RecordingLog::create();
        RecordingServer::install(kFake, log);
        QVERIFY(dynamic_cast<RecordingServer *>(ServerRegistry::create(kFake).get()));
        ServerRegistry::unregisterServer(kFake);
        QVERIFY(!ServerRegistry::create(kFake));
    }

    void nullClientAnswersNothing()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no server for"));
        AutomationClient client(kFake);
        QVERIFY(client.isNull());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("on a null object"));
        QVERIFY(!client.dynamicCall("Count()").isValid());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("on a null object"));
        AutomationClient *sub = client.querySubObject("Workbooks");
        QVERIFY(sub && sub->isNull() && sub->parent() == &client);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("set on a null object"));
        QVERIFY(!client.setProperty("Visible", false));
    }

    void unknownMembersWarnAndAnswerInvalid()
    {
        int alive = 0;
        AutomationClient client(std::make_shared<Tracked>(&alive), nullptr);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("unknown member \"Missing\\(\\)\""));
        QVERIFY(!client.dynamicCall("Missing()").isValid());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("unknown member"));
        QVERIFY(client.querySubObject("Missing")->isNull());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("malformed member"));
        QVERIFY(!client.dynamicCall("Bad(").isValid());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("refused"));
        QVERIFY(!client.setProperty("Anything", 1));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("answered no object"));
        QVERIFY(client.querySubObject("Plain")->isNull());
        QCOMPARE(client.dynamicCall("Plain").toInt(), 7);
        QVERIFY(client.querySubObject("Nothing")->isNull());
    }

    // Sub-objects are children of what they came from: deleting the root
    // releases every server object derived from it.
    void deletingTheRootReleasesEverything()
    {
        int alive = 0;
        auto *root = new AutomationClient(std::make_shared<Tracked>(&alive), nullptr);
        AutomationClient *child = root->querySubObject("Child");
        AutomationClient *grandchild = child->querySubObject("Child");
        QPointer<AutomationClient> watch(grandchild);
        QCOMPARE(alive, 3);
        QCOMPARE(grandchild->parent(), child);
        delete child; // early release of a branch
        QCOMPARE(alive, 1);
        QVERIFY(watch.isNull());
        root->querySubObject("Child");
        root->querySubObject("Child");
        QCOMPARE(alive, 3);
        delete root;
        QCOMPARE(alive, 0);
    }

    // The recording fake records each call with its arguments, in order.
    void recordingFakeRecordsCallsInOrder()
    {
        auto log = RecordingLog::create();
        log->answer("Count()", 3);
        log->answerNoObject("ActiveSheet");
        RecordingServer::install(kFake, log);
        AutomationClient app(kFake);
        app.setProperty("Visible", false);
        AutomationClient *books = app.querySubObject("Workbooks");
        AutomationClient *book =
            books->querySubObject("Open(const QString&)", QStringLiteral("/x.xlsx"));
        QCOMPARE(book->querySubObject("Sheets")->dynamicCall("Count()").toInt(), 3);
        QVERIFY(book->querySubObject("ActiveSheet")->isNull());
        // Trailing invalid arguments are not given.
        book->dynamicCall("Replace(const QVariant&, const QVariant&, const QVariant&, const "
                          "QVariant&, const QVariant&)",
                          QStringLiteral("a"), QStringLiteral("b"), 2, 1, true);
        book->dynamicCall("Save()", QVariant(), QVariant());
        QCOMPARE(log->calls(),
                 QStringList({
                     "Test.Recorder: set Visible = false",
                     "Test.Recorder: Workbooks",
                     "Test.Recorder/Workbooks: Open(const QString&) = /x.xlsx",
                     "Test.Recorder/Workbooks/Open: Sheets",
                     "Test.Recorder/Workbooks/Open/Sheets: Count()",
                     "Test.Recorder/Workbooks/Open: ActiveSheet",
                     "Test.Recorder/Workbooks/Open: Replace(const QVariant&, const QVariant&, "
                     "const QVariant&, const QVariant&, const QVariant&) = a, b, 2, 1, true",
                     "Test.Recorder/Workbooks/Open: Save()",
                 }));
        QCOMPARE(log->instances(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAutomation)
#include "tst_automation.moc"
