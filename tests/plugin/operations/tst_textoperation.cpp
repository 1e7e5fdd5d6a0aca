#include "RecordingServer.h"
#include "WalkOperation.h"
#include "WorkbookFixtures.h"
#include "WorkbookSnapshot.h"
#include "excel/ExcelRange.h"
#include "excel/ExcelWorksheet.h"
#include "operations/TextOperation.h"
#include "server/SpreadsheetServer.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

const QString kExcel = QStringLiteral("Excel.Application");

void upper(QString &text)
{
    text = text.toUpper();
}

} // namespace

class TestTextOperation : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { SpreadsheetServer::install(); }

    void sheetChoice_data()
    {
        QTest::addColumn<QString>("sheetIndex");
        QTest::addColumn<int>("sheetsCount");
        QTest::addColumn<QVector<int>>("chosen");
        const int active = TextOperation::ActiveSheet;
        QTest::newRow("active") << "默认页" << 3 << QVector<int>{active};
        QTest::newRow("first") << "首表" << 3 << QVector<int>{1};
        QTest::newRow("last") << "尾表" << 3 << QVector<int>{3};
        QTest::newRow("first of one") << "首表" << 1 << QVector<int>{1};
        QTest::newRow("last of one") << "尾表" << 1 << QVector<int>{1};
        QTest::newRow("all") << "所有表" << 3 << QVector<int>{1, 2, 3};
        QTest::newRow("list in its order") << "3,1" << 3 << QVector<int>{3, 1};
        QTest::newRow("twice") << "2,2" << 3 << QVector<int>{2, 2};
        QTest::newRow("empty part") << "1,,2" << 3 << QVector<int>{1, 2};
        QTest::newRow("zero") << "0" << 3 << QVector<int>();
        QTest::newRow("above the count") << "4,2" << 3 << QVector<int>{2};
        QTest::newRow("negative") << "-1" << 3 << QVector<int>();
        QTest::newRow("named") << "指定表" << 3 << QVector<int>();
        QTest::newRow("empty") << "" << 3 << QVector<int>();
        QTest::newRow("not a number") << "x,1" << 3 << QVector<int>{1};
        QTest::newRow("case matters") << "所有表 " << 3 << QVector<int>();
    }
    void sheetChoice()
    {
        QFETCH(QString, sheetIndex);
        QFETCH(int, sheetsCount);
        QTEST(TextOperation::chooseSheets(sheetIndex, sheetsCount), "chosen");
    }

    // The sheets reach the work in the chosen order; basic.xlsx holds Data,
    // Offset (its active sheet) and Empty.
    void sheetsReachTheWorkInOrder_data()
    {
        QTest::addColumn<QString>("sheetIndex");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("active") << "默认页" << QStringList{"Offset"};
        QTest::newRow("all") << "所有表" << QStringList{"Data", "Offset", "Empty"};
        QTest::newRow("list") << "3,1" << QStringList{"Empty", "Data"};
        QTest::newRow("twice") << "2,2" << QStringList{"Offset", "Offset"};
        QTest::newRow("named") << "指定表" << QStringList();
    }
    void sheetsReachTheWorkInOrder()
    {
        QFETCH(QString, sheetIndex);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        WalkOperation operation(path, sheetIndex, WalkOperation::PlainSheets, nullptr);
        operation.run();
        QTEST(operation.sheetNames, "names");
        QVERIFY(operation.finished);
    }

    // A chart sheet has no cells; the sheets after it are still handled.
    void chartSheetIsPassedOver()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("chartsheet.xlsx"), dir.path());
        WalkOperation operation(path, QStringLiteral("所有表"), WalkOperation::CountedSheets,
                                upper);
        operation.run();
        QCOMPARE(operation.sheetNames, QStringList({"Values", "After"}));
        QVERIFY(operation.finished);
        const QVariantMap after = WorkbookSnapshot::take(path);
        QCOMPARE(after.value("cells").toMap().value("After!A1").toString(),
                 QStringLiteral("AFTER APPLE"));
    }

    // The walk covers the used range itself: B2:D4, row by row.
    void walkCoversTheUsedRangeFromItsFirstCell()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QVariantMap before = WorkbookSnapshot::take(path);
        WalkOperation operation(path, QStringLiteral("2"), WalkOperation::CountedSheets, upper);
        operation.run();
        QCOMPARE(operation.firstCells, QStringList{"B2"});
        QStringList expected;
        for (int row = 2; row <= 4; ++row) {
            for (int column = 2; column <= 4; ++column)
                expected << QStringLiteral("r%1c%2 apple").arg(row).arg(column);
        }
        QCOMPARE(operation.seen, expected);
        QCOMPARE(operation.leftOver, 1);

        const QVariantMap after = WorkbookSnapshot::take(path);
        QStringList changed;
        for (int row = 2; row <= 4; ++row) {
            for (const char *column : {"B", "C", "D"})
                changed << QStringLiteral("Offset!%1%2").arg(QLatin1String(column)).arg(row);
        }
        changed.sort();
        QCOMPARE(WorkbookSnapshot::changedCells(before, after), changed);
        QCOMPARE(after.value("cells").toMap().value("Offset!D4").toString(),
                 QStringLiteral("R4C4 APPLE"));
        QVERIFY(!after.value("cells").toMap().contains("Offset!A1"));
    }

    // Only cells whose text the edit changed are written: formulas, numbers,
    // booleans and dates keep what they were, even where their displayed
    // text differs from their value.
    void untouchedCellsKeepTheirValues()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QVariantMap before = WorkbookSnapshot::take(path);
        WalkOperation operation(path, QStringLiteral("1"), WalkOperation::CountedSheets,
                                [](QString &text) { text.replace("apple", "pear"); });
        operation.run();
        const QVariantMap after = WorkbookSnapshot::take(path);
        QCOMPARE(WorkbookSnapshot::changedCells(before, after),
                 QStringList({"Data!A2", "Data!A7", "Data!B2"}));
        const QVariantMap cells = after.value("cells").toMap();
        QCOMPARE(cells.value("Data!E2").toString(), QStringLiteral("=C2*D2"));
        QCOMPARE(cells.value("Data!B2").toString(), QStringLiteral("red pear"));
        QCOMPARE(after.value("styles"), before.value("styles"));
        QCOMPARE(after.value("merged"), before.value("merged"));
    }

    // An edit that changes nothing leaves the file as it was, byte for byte.
    void unchangedWorkbookStaysByteForByte()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("numfmt.xlsx"), dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        WalkOperation operation(path, QStringLiteral("所有表"), WalkOperation::CountedSheets,
                                [](QString &) {});
        operation.run();
        QCOMPARE(operation.seen.size(), 42);
        QVERIFY(operation.seen.contains(QStringLiteral("2024-01-01")));
        QCOMPARE(WorkbookFixtures::readFile(path), before);
    }

    // Without a sheet object the operation stops: no used range is asked for.
    void missingSheetStopsTheOperation()
    {
        auto log = RecordingLog::create();
        log->answer("Count()", 3);
        log->answerNoObject("Item");
        RecordingServer::install(kExcel, log);
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        WalkOperation operation(path, QStringLiteral("所有表"), WalkOperation::PlainSheets,
                                nullptr);
        operation.run();
        QVERIFY(!operation.finished);
        QVERIFY(operation.sheetNames.isEmpty());
        const QStringList calls = log->calls();
        QCOMPARE(calls.filter("Item(").size(), 1);
        QVERIFY(calls.filter("UsedRange").isEmpty());
        QVERIFY(calls.last().endsWith("Quit()"));
    }
};

QTEST_GUILESS_MAIN(TestTextOperation)
#include "tst_textoperation.moc"
