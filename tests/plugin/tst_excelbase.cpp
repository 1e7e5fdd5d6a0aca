#include "RecordingServer.h"
#include "RunEvents.h"
#include "ServerRegistry.h"
#include "ThreadInit.h"
#include "WorkbookFixtures.h"
#include "excel/ExcelBase.h"
#include "excel/ExcelRange.h"
#include "excel/ExcelSheets.h"
#include "excel/ExcelWorksheet.h"
#include "server/SpreadsheetServer.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtTest>

#include <functional>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

const QString kExcel = QStringLiteral("Excel.Application");

// An operation that writes one cell, and remembers a wrapper it made; then
// runs into fault, if it has one.
class WriteA1 : public ExcelBase
{
    Q_OBJECT
public:
    using ExcelBase::ExcelBase;
    QString process() override
    {
        auto *sheet = new Excel::Worksheet(pSheets->Item(1));
        sheet->Range(QStringLiteral("A1"))->SetValue(QStringLiteral("written"));
        made = sheet;
        if (fault)
            fault();
        return QString();
    }
    QPointer<Excel::Worksheet> made;
    std::function<void()> fault;
};

// What a run sent, in order, and how the thread was left.
struct RunRecord
{
    QStringList events;
    ThreadInit::Counts counts;
    bool wrapperReleased = false;
};

RunRecord runInPool(const QString &path, const std::function<void()> &fault = {})
{
    return QtConcurrent::run([path, fault] {
               RunRecord record;
               ThreadInit::resetCounts();
               {
                   WriteA1 operation(path, nullptr);
                   operation.fault = fault;
                   noteRunEvents(&operation, &record.events);
                   operation.run();
                   record.wrapperReleased = operation.made.isNull();
               }
               record.counts = ThreadInit::counts();
               return record;
           })
        .result();
}

} // namespace

Q_DECLARE_METATYPE(std::function<void()>)

class TestExcelBase : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { SpreadsheetServer::install(); }

    void columnNames_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("name");
        QTest::newRow("zero") << 0 << QString();
        QTest::newRow("negative") << -5 << QString();
        QTest::newRow("A") << 1 << "A";
        QTest::newRow("Z") << 26 << "Z";
        QTest::newRow("AA") << 27 << "AA";
        QTest::newRow("AZ") << 52 << "AZ";
        QTest::newRow("AAA") << 703 << "AAA";
        QTest::newRow("XFD") << 16384 << "XFD";
    }
    void columnNames()
    {
        QFETCH(int, column);
        WriteA1 base(QString(), nullptr);
        QTEST(base.columnName(column), "name");
    }

    void cellNames()
    {
        WriteA1 base(QString(), nullptr);
        QCOMPARE(base.cellName(1, 1), QStringLiteral("A1"));
        QCOMPARE(base.cellName(10, 28), QStringLiteral("AB10"));
        QCOMPARE(base.cellName(0, 2), QStringLiteral("B0"));
    }

    void parsedCellNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("empty") << QString() << 0 << 0;
        QTest::newRow("mixed case") << "aB3" << 3 << 28;
        QTest::newRow("letters only") << "A" << 0 << 1;
        QTest::newRow("stops at second letter") << "A1B2" << 1 << 1;
        QTest::newRow("lower") << "b12" << 12 << 2;
        QTest::newRow("digits only") << "12" << 12 << 0;
        QTest::newRow("trailing junk") << "AA10x" << 10 << 27;
        QTest::newRow("long digits clamp") << "A99999999999999999999" << INT_MAX << 1;
        QTest::newRow("long letters clamp") << "ZZZZZZZZZZZZZZZZ1" << 1 << INT_MAX;
        QTest::newRow("fullwidth digits")
            << QString::fromUtf8("A\xef\xbc\x91\xef\xbc\x92") << 12 << 1;
    }
    void parsedCellNames()
    {
        QFETCH(QString, name);
        WriteA1 base(QString(), nullptr);
        int row = -1, column = -1;
        base.parseCellName(name, row, column);
        QTEST(row, "row");
        QTEST(column, "column");
    }

    void writeTextFileWritesAndReports()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(ExcelBase::writeTextFile(path, QStringLiteral("one\ntwo")));
        QCOMPARE(WorkbookFixtures::readFile(path), QByteArray("one\ntwo"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("无法打开文件"));
        QVERIFY(!ExcelBase::writeTextFile(dir.filePath(QStringLiteral("no/such/out.txt")),
                                          QStringLiteral("x")));
    }

    // Against the real server: saved, then the file's tip, then done.
    void successSendsSavedThenFinishedThenDone()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const RunRecord record = runInPool(path);
        QCOMPARE(record.events,
                 QStringList({tipEvent(Tip::FileSaved), tipEvent(Tip::FileDone, path),
                              QStringLiteral("done ") + path}));
        QCOMPARE(record.counts.depth(), 0);
        QCOMPARE(record.counts.initialised, 1);
        QVERIFY(record.wrapperReleased);
        QVERIFY(WorkbookFixtures::entry(path, QStringLiteral("xl/worksheets/sheet1.xml"))
                    .contains("<c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t "
                              "xml:space=\"preserve\">written</t></is></c>"));
    }

    void missingFileSendsNotFoundThenDone()
    {
        const QString path = QStringLiteral("/nonexistent/dir/book.xlsx");
        const RunRecord record = runInPool(path);
        QCOMPARE(record.events,
                 QStringList({tipEvent(Tip::FileNotFound, path), QStringLiteral("done ") + path}));
        QCOMPARE(record.counts.depth(), 0);
    }

    void noServerSendsNotInstalledThenDone()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        ServerRegistry::unregisterServer(kExcel);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no server for"));
        const RunRecord record = runInPool(path);
        QCOMPARE(record.events,
                 QStringList({tipEvent(Tip::OfficeMissing), QStringLiteral("done ") + path}));
        QCOMPARE(record.counts.depth(), 0);
    }

    void unreadableFilesSendNotReadableThenDone_data()
    {
        QTest::addColumn<QString>("fixture");
        for (const char *name :
             {"not-a-zip.xlsx", "truncated.xlsx", "no-workbook.xlsx", "bad-xml.xlsx"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void unreadableFilesSendNotReadableThenDone()
    {
        QFETCH(QString, fixture);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(fixture, dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        const RunRecord record = runInPool(path);
        QCOMPARE(record.events, QStringList({tipEvent(Tip::FileUnreadable, path),
                                             QStringLiteral("done ") + path}));
        QCOMPARE(record.counts.depth(), 0);
        QCOMPARE(WorkbookFixtures::readFile(path), before);
    }

    void failedSaveSendsSaveFailedAndKeepsTheFile()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const RunRecord record = runInPool(path);
        QCOMPARE(record.events,
                 QStringList({tipEvent(Tip::FileSaveFailed, path), tipEvent(Tip::FileDone, path),
                              QStringLiteral("done ") + path}));
        QCOMPARE(WorkbookFixtures::readFile(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }

    void throwingOperationKeepsTheFileAndEndsIt_data()
    {
        QTest::addColumn<std::function<void()>>("fault");
        QTest::newRow("out of memory") << std::function<void()>([] { throw std::bad_alloc(); });
        QTest::newRow("allocation refused") << std::function<void()>([] {
            QString text;
            text.resize(std::numeric_limits<int>::max());
        });
        QTest::newRow("not a std exception") << std::function<void()>([] { throw 42; });
    }
    void throwingOperationKeepsTheFileAndEndsIt()
    {
        QFETCH(std::function<void()>, fault);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        const RunRecord record = runInPool(path, fault);
        QCOMPARE(record.events,
                 QStringList({tipEvent(Tip::FileSaveFailed, path), tipEvent(Tip::FileDone, path),
                              QStringLiteral("done ") + path}));
        QCOMPARE(record.counts.depth(), 0);
        QCOMPARE(record.counts.unmatched, 0);
        QVERIFY(record.wrapperReleased);
        QCOMPARE(WorkbookFixtures::readFile(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }

    // Against a recording fake: the exact calls of a run, in order.
    void callsReachTheServerInOrder()
    {
        auto log = RecordingLog::create();
        log->answer("Count()", 2);
        log->answer("Save()", true);
        log->answer("Version()", QStringLiteral("fake 1"));
        RecordingServer::install(kExcel, log);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const RunRecord record = runInPool(path);
        const QString book = QStringLiteral("Excel.Application/Workbooks/Open");
        QCOMPARE(log->calls(), QStringList({
                                   "Excel.Application: Version()",
                                   "Excel.Application: set DisplayAlerts = false",
                                   "Excel.Application: set Visible = false",
                                   "Excel.Application: Workbooks",
                                   "Excel.Application/Workbooks: Open(const QString&) = " + path,
                                   book + ": Path()",
                                   book + ": Sheets",
                                   book + "/Sheets: Count()",
                                   book + "/Sheets: Item(const QVariant&) = 1",
                                   book + "/Sheets/Item: Range(const QVariant&) = A1",
                                   book + "/Sheets/Item/Range: set Value = written",
                                   book + ": Save()",
                                   book + ": Close()",
                                   "Excel.Application: Quit()",
                               }));
        QCOMPARE(record.events,
                 QStringList({tipEvent(Tip::FileSaved), tipEvent(Tip::FileDone, path),
                              QStringLiteral("done ") + path}));
        QCOMPARE(log->instances(), 1);
    }

    void fakeFailuresEndWithDone_data()
    {
        QTest::addColumn<QByteArray>("member");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("lastCall");
        QTest::newRow("no workbooks")
            << QByteArray("Workbooks") << "no object" << tipEvent(Tip::FileUnreadable)
            << "Excel.Application: Quit()";
        QTest::newRow("open refused")
            << QByteArray("Open") << "no object" << tipEvent(Tip::FileUnreadable)
            << "Excel.Application: Quit()";
        QTest::newRow("no sheets") << QByteArray("Sheets") << "no object"
                                   << tipEvent(Tip::FileUnreadable) << "Excel.Application: Quit()";
        QTest::newRow("zero sheets")
            << QByteArray("Count()") << "value" << tipEvent(Tip::FileUnreadable)
            << "Excel.Application: Quit()";
        QTest::newRow("save refused")
            << QByteArray("Save()") << "value" << tipEvent(Tip::FileSaveFailed)
            << "Excel.Application: Quit()";
        QTest::newRow("open out of memory")
            << QByteArray("Open") << "throw" << tipEvent(Tip::FileUnreadable)
            << "Excel.Application: Quit()";
        QTest::newRow("save out of memory")
            << QByteArray("Save()") << "throw" << tipEvent(Tip::FileSaveFailed)
            << "Excel.Application: Quit()";
    }
    void fakeFailuresEndWithDone()
    {
        QFETCH(QByteArray, member);
        QFETCH(QString, answer);
        QFETCH(QString, tip);
        auto log = RecordingLog::create();
        log->answer("Count()", 1);
        log->answer("Save()", true);
        if (answer == QLatin1String("no object"))
            log->answerNoObject(member);
        else if (answer == QLatin1String("value"))
            log->answer(member, member == "Count()" ? QVariant(0) : QVariant(false));
        else
            log->throwOn(member, [] { throw std::bad_alloc(); });
        RecordingServer::install(kExcel, log);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const RunRecord record = runInPool(path);
        QCOMPARE(record.events.first(), tip + path);
        QCOMPARE(record.events.last(), QStringLiteral("done ") + path);
        QCOMPARE(record.events.count(QStringLiteral("done ") + path), 1);
        QTEST(log->calls().last(), "lastCall");
        QCOMPARE(record.counts.depth(), 0);
    }
};

QTEST_GUILESS_MAIN(TestExcelBase)
#include "tst_excelbase.moc"
