#include "RecordingServer.h"
#include "RunEvents.h"
#include "WorkbookFixtures.h"
#include "WorkbookSnapshot.h"
#include "operations/TextReplaced.h"
#include "records/ParReplaced.h"
#include "server/SpreadsheetServer.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kExcel = QStringLiteral("Excel.Application");
const QString kSheets = QStringLiteral("Excel.Application/Workbooks/Open/Sheets");
const QString kReplace = QStringLiteral(
    "Excel.Application/Workbooks/Open/Sheets/Item/UsedRange: Replace(const QVariant&, const "
    "QVariant&, const QVariant&, const QVariant&, const QVariant&) = ");

ParReplaced record(const QString &sheetIndex, QVector<QPair<QString, QString>> pairs,
                   bool byKey = true)
{
    ParReplaced par;
    par.sheetIndex = sheetIndex;
    par.pairs = std::move(pairs);
    par.byKey = byKey;
    return par;
}

QStringList runOn(const QString &path, const ParReplaced &par)
{
    return runNoted<TextReplaced>(path, par);
}

// The sheet picks and replaces a recording server saw, in order.
QStringList sheetAndReplaceCalls(const RecordingLog &log)
{
    QStringList kept;
    const QStringList calls = log.calls();
    for (const QString &call : calls) {
        if (call.startsWith(kSheets + QStringLiteral(": Item")) || call.startsWith(kReplace))
            kept << call;
    }
    return kept;
}

QVariantMap cellsOf(const QString &path)
{
    return WorkbookSnapshot::take(path).value(QStringLiteral("cells")).toMap();
}

} // namespace

class TestTextReplaced : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { SpreadsheetServer::install(); }

    // Every sheet takes the whole list of pairs, in record order.
    void byKeyCallsInOrder()
    {
        auto log = RecordingLog::create();
        log->answer("Count()", 2);
        log->answer("Save()", true);
        RecordingServer::install(kExcel, log);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const ParReplaced par = record(QStringLiteral("所有表"), {{"a", "b"}, {"b", "c"}});
        runOn(path, par);
        const QString item = kSheets + QStringLiteral(": Item(const QVariant&) = ");
        QCOMPARE(sheetAndReplaceCalls(*log),
                 QStringList({item + "1", kReplace + "a, b, 2, 1, false",
                              kReplace + "b, c, 2, 1, false", item + "2",
                              kReplace + "a, b, 2, 1, false", kReplace + "b, c, 2, 1, false"}));
        // The row and column counts are no business of replace.
        QVERIFY(log->calls().filter("Rows").isEmpty());
    }

    void searchOptionsReachTheServerUnchanged_data()
    {
        QTest::addColumn<int>("lookAt");
        QTest::addColumn<int>("searchOrder");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QString>("arguments");
        QTest::newRow("whole, rows, case") << 1 << 1 << true << "k, v, 1, 1, true";
        QTest::newRow("part, columns, no case") << 2 << 2 << false << "k, v, 2, 2, false";
        QTest::newRow("whole, columns") << 1 << 2 << false << "k, v, 1, 2, false";
    }
    void searchOptionsReachTheServerUnchanged()
    {
        QFETCH(int, lookAt);
        QFETCH(int, searchOrder);
        QFETCH(bool, matchCase);
        auto log = RecordingLog::create();
        log->answer("Count()", 1);
        RecordingServer::install(kExcel, log);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        ParReplaced par = record(QStringLiteral("首表"), {{"k", "v"}});
        par.lookAt = lookAt;
        par.searchOrder = searchOrder;
        par.matchCase = matchCase;
        runOn(path, par);
        QCOMPARE(log->calls().filter(kReplace).size(), 1);
        QTEST(log->calls().filter(kReplace).first().mid(kReplace.size()), "arguments");
    }

    // Through the real server: the matching cells of every chosen sheet
    // change, and nothing else in the file does.
    void replaceRewritesOnlyMatchingCells()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QVariantMap before = WorkbookSnapshot::take(path);
        const ParReplaced par = record(QStringLiteral("所有表"), {{"apple", "pear"}});
        QCOMPARE(runOn(path, par),
                 QStringList({tipEvent(Tip::FileSaved), tipEvent(Tip::FileDone, path),
                              QStringLiteral("done ") + path}));
        const QVariantMap after = WorkbookSnapshot::take(path);
        QStringList expected = {"Data!A2", "Data!A7", "Data!B2"};
        for (int row = 2; row <= 4; ++row) {
            for (const char *column : {"B", "C", "D"})
                expected << QStringLiteral("Offset!%1%2").arg(QLatin1String(column)).arg(row);
        }
        expected.sort();
        QCOMPARE(WorkbookSnapshot::changedCells(before, after), expected);
        const QVariantMap cells = after.value("cells").toMap();
        QCOMPARE(cells.value("Data!A7").toString(), QStringLiteral("merged pear"));
        QCOMPARE(cells.value("Offset!C3").toString(), QStringLiteral("r3c3 pear"));
        QCOMPARE(after.value("styles"), before.value("styles"));
        QCOMPARE(after.value("merged"), before.value("merged"));
    }

    // Later pairs see what earlier ones wrote.
    void pairsApplyOneAfterAnother()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const ParReplaced par =
            record(QStringLiteral("默认页"), {{"apple", "pear"}, {"pear", "plum"}});
        runOn(path, par);
        QCOMPARE(cellsOf(path).value("Offset!B2").toString(), QStringLiteral("r2c2 plum"));
        // The active sheet only.
        QCOMPARE(cellsOf(path).value("Data!A2").toString(), QStringLiteral("apple"));
    }

    // Delete is replace with empty replacements.
    void emptyReplacementDeletes()
    {
        auto log = RecordingLog::create();
        log->answer("Count()", 1);
        RecordingServer::install(kExcel, log);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const ParReplaced par = record(QStringLiteral("首表"), {{"apple", ""}, {" pie", ""}});
        runOn(path, par);
        QCOMPARE(log->calls().filter(kReplace), QStringList({kReplace + "apple, , 2, 1, false",
                                                             kReplace + " pie, , 2, 1, false"}));

        SpreadsheetServer::install();
        runOn(path, par);
        const QVariantMap cells = cellsOf(path);
        QCOMPARE(cells.value("Data!B2").toString(), QStringLiteral("red "));
        QCOMPARE(cells.value("Data!A5").toString(), QStringLiteral("cherry"));
        // A cell that held only the key is empty now.
        QVERIFY(cells.value("Data!A2").isNull());
    }

    // By position the key is a cell: it takes the replacement, whatever it held.
    void byPositionWritesTheNamedCell()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QVariantMap before = WorkbookSnapshot::take(path);
        const ParReplaced par =
            record(QStringLiteral("1,2"), {{"B3", "x"}, {"e2", "total"}}, false);
        runOn(path, par);
        const QVariantMap after = WorkbookSnapshot::take(path);
        QCOMPARE(WorkbookSnapshot::changedCells(before, after),
                 QStringList({"Data!B3", "Data!E2", "Offset!B3", "Offset!E2"}));
        const QVariantMap cells = after.value("cells").toMap();
        QCOMPARE(cells.value("Data!B3").toString(), QStringLiteral("x"));
        QCOMPARE(cells.value("Data!E2").toString(), QStringLiteral("total"));
        QCOMPARE(cells.value("Offset!B3").toString(), QStringLiteral("x"));
    }

    void byPositionSearchesNothing()
    {
        auto log = RecordingLog::create();
        log->answer("Count()", 1);
        RecordingServer::install(kExcel, log);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        runOn(path, record(QStringLiteral("首表"), {{"B3", "apple"}}, false));
        QVERIFY(log->calls().filter("Replace").isEmpty());
        QCOMPARE(log->calls().filter("Item/Range"),
                 QStringList({"Excel.Application/Workbooks/Open/Sheets/Item/Range: set Value = "
                              "apple"}));
        QCOMPARE(log->calls().filter("Range(const QVariant&)").size(), 1);
    }

    // A key that names no cell ends the file there; it is still saved and
    // reported as done.
    void positionThatIsNoCellStops()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        const ParReplaced par =
            record(QStringLiteral("所有表"), {{"not a cell", "x"}, {"B3", "y"}}, false);
        QCOMPARE(runOn(path, par).last(), QStringLiteral("done ") + path);
        QCOMPARE(WorkbookFixtures::readFile(path), before);
    }

    // No pairs (a keyword table with only its empty row): nothing changes,
    // the file is still reported.
    void recordWithoutPairsChangesNothing()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("inline.xlsx"), dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        QCOMPARE(runOn(path, record(QStringLiteral("所有表"), {})),
                 QStringList({tipEvent(Tip::FileSaved), tipEvent(Tip::FileDone, path),
                              QStringLiteral("done ") + path}));
        QCOMPARE(WorkbookFixtures::readFile(path), before);
    }

    // A key that occurs nowhere leaves the file byte for byte.
    void keyFoundNowhereKeepsTheFile()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        runOn(path, record(QStringLiteral("所有表"), {{"no such text", "x"}}));
        QCOMPARE(WorkbookFixtures::readFile(path), before);
    }

    // The chart sheet in the middle is passed over, the sheet after it is not.
    void chartSheetDoesNotStopTheSheetsAfterIt()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("chartsheet.xlsx"), dir.path());
        runOn(path, record(QStringLiteral("所有表"), {{"apple", "pear"}}));
        const QVariantMap cells = cellsOf(path);
        QCOMPARE(cells.value("Values!B1").toString(), QStringLiteral("pear"));
        QCOMPARE(cells.value("After!A1").toString(), QStringLiteral("after pear"));
    }
};

QTEST_GUILESS_MAIN(TestTextReplaced)
#include "tst_textreplaced.moc"
