#include "RecordingServer.h"
#include "ServerRegistry.h"
#include "excel/ExcelApplication.h"
#include "excel/ExcelRange.h"
#include "excel/ExcelSheets.h"
#include "excel/ExcelWorkbook.h"
#include "excel/ExcelWorkbooks.h"
#include "excel/ExcelWorksheet.h"
#include "server/SpreadsheetServer.h"

#include <QPointer>
#include <QtTest>

class TestExcelWrappers : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { SpreadsheetServer::install(); }

    // Deleting the application deletes every wrapper derived from it.
    void applicationOwnsEverythingDerived()
    {
        auto log = RecordingLog::create();
        RecordingServer::install(QStringLiteral("Excel.Application"), log);
        auto *app = new Excel::Application;
        QVERIFY(!app->isNull());
        Excel::Workbook *book = app->Workbooks()->Open(QStringLiteral("/a.xlsx"));
        auto *sheet = new Excel::Worksheet(book->Sheets()->Item(2));
        Excel::Range *used = sheet->UsedRange();
        Excel::Range *rows = used->Rows();
        QPointer<Excel::Workbook> watchBook(book);
        QPointer<Excel::Worksheet> watchSheet(sheet);
        QPointer<Excel::Range> watchRows(rows);
        delete app;
        QVERIFY(watchBook.isNull());
        QVERIFY(watchSheet.isNull());
        QVERIFY(watchRows.isNull());
    }

    // A wrapper deleted on its own releases its automation object too.
    void wrapperDeletedAloneReleasesItsClient()
    {
        auto log = RecordingLog::create();
        RecordingServer::install(QStringLiteral("Excel.Application"), log);
        Excel::Application app;
        auto *sheet = new Excel::Worksheet(
            app.Workbooks()->Open(QStringLiteral("/a.xlsx"))->Sheets()->Item(1));
        for (int i = 0; i < 100; ++i) {
            Excel::Range *cell = sheet->Range(QStringLiteral("A1"));
            QPointer<AutomationClient> client(cell->client());
            delete cell;
            QVERIFY(client.isNull());
        }
        // Only the sheet wrapper itself is left under its client.
        QCOMPARE(sheet->client()->children(), QObjectList({sheet}));
    }

    void membersPassTheirArguments()
    {
        auto log = RecordingLog::create();
        log->answer("Text()", QStringLiteral("shown"));
        log->answer("Replace", true);
        log->answer("Count()", 4);
        RecordingServer::install(QStringLiteral("Excel.Application"), log);
        Excel::Application app;
        auto *sheet =
            new Excel::Worksheet(app.Workbooks()->Open(QStringLiteral("/a.xlsx"))->ActiveSheet());
        Excel::Range *cell = sheet->Range(QStringLiteral("B3"));
        QCOMPARE(cell->Text().toString(), QStringLiteral("shown"));
        QCOMPARE(cell->Columns()->Count(), 4);
        QVERIFY(cell->Replace(QStringLiteral("a"), QStringLiteral("b"), 2, 1, false));
        cell->ClearContents();
        const QStringList calls = log->calls();
        const QString range = QStringLiteral("Excel.Application/Workbooks/Open/ActiveSheet/Range");
        QCOMPARE(calls.mid(calls.size() - 5),
                 QStringList({range + ": Text()", range + ": Columns", range + "/Columns: Count()",
                              range + ": Replace(const QVariant&, const QVariant&, const "
                                      "QVariant&, const QVariant&, const QVariant&) = a, b, 2, "
                                      "1, false",
                              range + ": ClearContents()"}));
    }

    void nullWrappersAnswerNothing()
    {
        ServerRegistry::unregisterServer(QStringLiteral("Excel.Application"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no server for"));
        Excel::Application app;
        QVERIFY(app.isNull());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("null object"));
        QVERIFY(app.Version().isEmpty());
        Excel::Worksheet orphan(nullptr);
        QVERIFY(orphan.isNull());
        Excel::Range *range = orphan.UsedRange();
        QVERIFY(range->isNull());
        QCOMPARE(range->Count(), 0);
        QVERIFY(!range->Replace(QStringLiteral("a"), QStringLiteral("b"), 1, 1, true));
        delete range;
    }
};

QTEST_GUILESS_MAIN(TestExcelWrappers)
#include "tst_excelwrappers.moc"
