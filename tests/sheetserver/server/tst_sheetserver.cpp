#include "AutomationClient.h"
#include "ServerRegistry.h"
#include "WorkbookFixtures.h"
#include "server/SpreadsheetServer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtTest>

using namespace WorkbookFixtures;

namespace {

const char *const kReplace = "Replace(const QVariant&, const QVariant&, const QVariant&, const "
                             "QVariant&, const QVariant&)";

// A one-sheet workbook with these cells (A1 upwards, one per row) as
// inline strings, or numbers when written as plain numbers.
QString bookOf(const QString &dir, const QStringList &cells, const QByteArray &extra = QByteArray())
{
    QByteArray rows;
    for (int i = 0; i < cells.size(); ++i) {
        const QByteArray r = QByteArray::number(i + 1);
        bool number = false;
        cells.at(i).toDouble(&number);
        rows += "<row r=\"" + r + "\"><c r=\"A" + r + "\"" +
                (number ? "><v>" + cells.at(i).toUtf8() + "</v>"
                        : " t=\"inlineStr\"><is><t>" + cells.at(i).toUtf8() + "</t></is>") +
                "</c></row>";
    }
    Parts parts = richWorkbook();
    for (auto &part : parts) {
        if (part.first == QLatin1String("xl/worksheets/sheet2.xml"))
            part.second =
                "<worksheet "
                "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
                rows + extra + "</sheetData></worksheet>";
    }
    const QString path = QDir(dir).filePath(QStringLiteral("replace.xlsx"));
    writePackage(path, parts);
    return path;
}

// Two sheets of shared strings: "apple pie" in A1 and B1, "apple" in A2 and
// D2, "crab apple" in A3 and Other!A1, a rich text with a phonetic run in
// A4, "Apple cart" in A5, the number 12 in C1.
QString sharedStringBook(const QString &dir)
{
    using M = WorkbookMaker;
    const auto sheet = [](const QByteArray &rows) {
        return M::declaration() + "<worksheet " + M::namespaces() + "><sheetData>" + rows +
               "</sheetData></worksheet>";
    };
    const auto text = [](const QByteArray &cell, int index) {
        return "<c r=\"" + cell + "\" t=\"s\"><v>" + QByteArray::number(index) + "</v></c>";
    };
    const Parts parts{
        {QStringLiteral("[Content_Types].xml"),
         M::contentTypes({{"/xl/workbook.xml", M::spreadsheetType("sheet.main")},
                          {"/xl/worksheets/sheet1.xml", M::spreadsheetType("worksheet")},
                          {"/xl/worksheets/sheet2.xml", M::spreadsheetType("worksheet")},
                          {"/xl/sharedStrings.xml", M::spreadsheetType("sharedStrings")}})},
        {QStringLiteral("_rels/.rels"), M::relationships({{"officeDocument", "xl/workbook.xml"}})},
        {QStringLiteral("xl/workbook.xml"),
         M::declaration() + "<workbook " + M::namespaces() +
             "><sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"Other\" "
             "sheetId=\"2\" r:id=\"rId2\"/></sheets></workbook>"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         M::relationships({{"worksheet", "worksheets/sheet1.xml"},
                           {"worksheet", "worksheets/sheet2.xml"},
                           {"sharedStrings", "sharedStrings.xml"}})},
        {QStringLiteral("xl/worksheets/sheet1.xml"),
         sheet("<row r=\"1\">" + text("A1", 0) + text("B1", 0) +
               "<c r=\"C1\"><v>12</v></c></row><row r=\"2\">" + text("A2", 1) + text("D2", 1) +
               "</row><row r=\"3\">" + text("A3", 2) + "</row><row r=\"4\">" + text("A4", 3) +
               "</row><row r=\"5\">" + text("A5", 4) + "</row>")},
        {QStringLiteral("xl/worksheets/sheet2.xml"),
         sheet("<row r=\"1\">" + text("A1", 2) + "</row>")},
        {QStringLiteral("xl/sharedStrings.xml"),
         M::declaration() + "<sst " + M::namespaces() +
             " count=\"8\" uniqueCount=\"5\"><si><t>apple pie</t></si><si><t>apple</t></si>"
             "<si><t>crab apple</t></si><si><r><t xml:space=\"preserve\">red </t></r><r><rPr><b/>"
             "</rPr><t>apple</t></r><rPh sb=\"0\" eb=\"3\"><t>\xE3\x83\xAC\xE3\x83\x83\xE3\x83"
             "\x89</t></rPh><phoneticPr fontId=\"0\"/></si><si><t>Apple cart</t></si></sst>"}};
    const QString path = QDir(dir).filePath(QStringLiteral("shared.xlsx"));
    writePackage(path, parts);
    return path;
}

} // namespace

class TestSheetServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
        SpreadsheetServer::install();
    }

    void applicationMembers()
    {
        AutomationClient app(QStringLiteral("Excel.Application"));
        QVERIFY(!app.isNull());
        QVERIFY(app.dynamicCall("Version()").toString().contains(QStringLiteral("Quorvane")));
        QVERIFY(app.setProperty("DisplayAlerts", false));
        QVERIFY(app.setProperty("Visible", false));
        QCOMPARE(app.dynamicCall("DisplayAlerts").toBool(), false);
        QVERIFY(!app.setProperty("NoSuchThing", 1));
        AutomationClient *books = app.querySubObject("Workbooks");
        QVERIFY(!books->isNull());
        QTemporaryDir dir; // opening holds the file: a copy of its own
        AutomationClient *book = books->querySubObject(
            "Open(const QString&)", copy(QStringLiteral("basic.xlsx"), dir.path()));
        QVERIFY(!book->isNull());
        QCOMPARE(books->dynamicCall("Count()").toInt(), 1);
        // Quit closes every workbook without saving; later calls reach nothing.
        app.dynamicCall("Quit()");
        QVERIFY(!book->dynamicCall("Path()").isValid());
        QVERIFY(app.querySubObject("Workbooks")->isNull());
        QVERIFY(!app.dynamicCall("Version()").isValid());
    }

    void instancesShareNothing()
    {
        AutomationClient first(QStringLiteral("Excel.Application"));
        AutomationClient second(QStringLiteral("Excel.Application"));
        AutomationClient *a = first.querySubObject("Workbooks");
        QTemporaryDir dir;
        a->querySubObject("Open(const QString&)", copy(QStringLiteral("basic.xlsx"), dir.path()));
        QCOMPARE(a->dynamicCall("Count()").toInt(), 1);
        QCOMPARE(second.querySubObject("Workbooks")->dynamicCall("Count()").toInt(), 0);
    }

    void workbookMembers()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        ServerSession session(path);
        QCOMPARE(session.book->dynamicCall("Path()").toString(),
                 QDir::toNativeSeparators(dir.path()));
        QCOMPARE(session.book->querySubObject("Sheets")->dynamicCall("Count()").toInt(), 3);
        QCOMPARE(session.book->querySubObject("ActiveSheet")->dynamicCall("Name").toString(),
                 QStringLiteral("Offset"));
        QVERIFY(session.book->dynamicCall("Save()").toBool());
        session.cell(1, QStringLiteral("A1"))->setProperty("Value", "dropped");
        session.book->dynamicCall("Close()");
        QVERIFY(!session.book->dynamicCall("Save()").toBool());
        QVERIFY(session.book->querySubObject("Sheets")->isNull());
        QCOMPARE(readFile(path), readFile(dataPath(QStringLiteral("basic.xlsx"))));
    }

    void missingFilesOpenNothing()
    {
        ServerSession session(QStringLiteral("/no/such/book.xlsx"));
        QVERIFY(session.book->isNull());
    }

    void rangeAddressing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("count");
        QTest::newRow("cell") << "B3" << true << 1;
        QTest::newRow("lower case") << "b3" << true << 1;
        QTest::newRow("absolute") << "$B$3" << true << 1;
        QTest::newRow("block") << "A1:C3" << true << 9;
        QTest::newRow("reversed block") << "C3:A1" << true << 9;
        QTest::newRow("last cell") << "XFD1048576" << true << 1;
        QTest::newRow("column too far") << "XFE1" << false << 0;
        QTest::newRow("row too far") << "A1048577" << false << 0;
        QTest::newRow("row zero") << "A0" << false << 0;
        QTest::newRow("no row") << "A" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("junk") << "hello world" << false << 0;
        QTest::newRow("whole column") << "A:A" << false << 0;
    }
    void rangeAddressing()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QTemporaryDir dir;
        ServerSession session(copy(QStringLiteral("basic.xlsx"), dir.path()));
        AutomationClient *range = session.cell(1, name);
        QCOMPARE(!range->isNull(), valid);
        if (valid)
            QTEST(range->dynamicCall("Count()").toInt(), "count");
    }

    void valueWritesTextKeepsStyleAndDropsFormula()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("numfmt.xlsx"), dir.path());
        ServerSession session(path);
        AutomationClient *cell = session.cell(1, QStringLiteral("A13")); // a date
        cell->setProperty("Value", QStringLiteral("2024-01-01"));
        QCOMPARE(cell->dynamicCall("Text()").toString(), QStringLiteral("2024-01-01"));
        session.cell(1, QStringLiteral("A2"))->setProperty("Value", QStringLiteral("42"));
        QCOMPARE(session.text(1, QStringLiteral("A2")), QStringLiteral("42"));
        // The empty text empties the cell; ClearContents keeps the style.
        session.cell(1, QStringLiteral("A7"))->setProperty("Value", QString());
        session.cell(1, QStringLiteral("A8"))->dynamicCall("ClearContents()");
        QCOMPARE(session.text(1, QStringLiteral("A7")), QString());
        QVERIFY(session.book->dynamicCall("Save()").toBool());
        const QByteArray sheet = entry(path, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.contains("<c r=\"A13\" s=\"7\" t=\"inlineStr\"><is><t "
                               "xml:space=\"preserve\">2024-01-01</t></is></c>"));
        QVERIFY(sheet.contains(
            "<c r=\"A2\" t=\"inlineStr\"><is><t xml:space=\"preserve\">42</t></is></c>"));
        QVERIFY(sheet.contains("<c r=\"A7\" s=\"1\"/>"));
        QVERIFY(sheet.contains("<c r=\"A8\" s=\"2\"/>"));
        // A formula cell written becomes text.
        const QString basic = copy(QStringLiteral("basic.xlsx"), dir.path());
        ServerSession other(basic);
        other.cell(1, QStringLiteral("E2"))->setProperty("Value", QStringLiteral("4.5"));
        QVERIFY(other.book->dynamicCall("Save()").toBool());
        QVERIFY(
            entry(basic, QStringLiteral("xl/worksheets/sheet1.xml"))
                .contains(
                    "<c r=\"E2\" t=\"inlineStr\"><is><t xml:space=\"preserve\">4.5</t></is></c>"));
    }

    void controlCharactersAndEscapesRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        const QString tricky = QStringLiteral("tab\there\nline\rcr\x01 _x0041_ ") + QChar(0xD800) +
                               QStringLiteral("end");
        {
            ServerSession session(path);
            session.cell(1, QStringLiteral("A1"))->setProperty("Value", tricky);
            QVERIFY(session.book->dynamicCall("Save()").toBool());
        }
        ServerSession again(path);
        QCOMPARE(again.text(1, QStringLiteral("A1")), tricky);
    }

    // Replace: wildcards, ~ escapes, look-at, case, numbers staying numbers.
    void replaceFollowsTheRules_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("with");
        QTest::addColumn<int>("lookAt");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QString>("after");
        QTest::newRow("part") << "red apple apple"
                              << "apple"
                              << "pear" << 2 << true << "red pear pear";
        QTest::newRow("part ignores case") << "Apple APPLE"
                                           << "apple"
                                           << "pear" << 2 << false << "pear pear";
        QTest::newRow("part keeps case") << "Apple apple"
                                         << "apple"
                                         << "pear" << 2 << true << "Apple pear";
        QTest::newRow("whole must match") << "red apple"
                                          << "apple"
                                          << "pear" << 1 << false << "red apple";
        QTest::newRow("whole matches") << "APPLE"
                                       << "apple"
                                       << "pear" << 1 << false << "pear";
        QTest::newRow("star longest") << "a-b-c"
                                      << "a*b"
                                      << "X" << 2 << true << "X-c";
        QTest::newRow("star alone") << "anything"
                                    << "*"
                                    << "all" << 2 << true << "all";
        QTest::newRow("question mark") << "cat cut cot"
                                       << "c?t"
                                       << "dog" << 2 << true << "dog dog dog";
        QTest::newRow("escaped star") << "2*3 and 23"
                                      << "2~*3"
                                      << "six" << 2 << true << "six and 23";
        QTest::newRow("escaped question") << "why? whyx"
                                          << "why~?"
                                          << "because" << 2 << true << "because whyx";
        QTest::newRow("escaped tilde") << "a~b"
                                       << "~~"
                                       << "-" << 2 << true << "a-b";
        QTest::newRow("regex characters literal") << "a.b(c)"
                                                  << ".b("
                                                  << "!" << 2 << true << "a!c)";
        QTest::newRow("empty what") << "apple"
                                    << ""
                                    << "x" << 2 << true << "apple";
        QTest::newRow("to empty") << "apple"
                                  << "apple"
                                  << "" << 1 << true << "";
        QTest::newRow("number stays number") << "1234.5"
                                             << "4"
                                             << "9" << 2 << true << "1239.5";
        QTest::newRow("number becomes text") << "1234.5"
                                             << "1"
                                             << "x" << 2 << true << "x234.5";
        QTest::newRow("part, left to right, no overlap") << "aaaaa"
                                                         << "aa"
                                                         << "b" << 2 << true << "bba";
        QTest::newRow("whole matches with case") << "apple"
                                                 << "apple"
                                                 << "pear" << 1 << true << "pear";
        QTest::newRow("whole misses on case") << "Apple"
                                              << "apple"
                                              << "pear" << 1 << true << "Apple";
        QTest::newRow("beyond the BMP") << "😀a😀😀"
                                        << "😀"
                                        << "é" << 2 << true << "éaéé";
        QTest::newRow("beyond the BMP, any case") << "x😀A"
                                                  << "😀a"
                                                  << "b" << 2 << false << "xb";
        QTest::newRow("first letter again before the match") << "aaab"
                                                             << "aab"
                                                             << "X" << 2 << true << "aX";
        QTest::newRow("longer than the cell") << "app"
                                              << "apple"
                                              << "X" << 2 << true << "app";
        QTest::newRow("long search text") << "one long search text here, long search text here"
                                          << "long search text here"
                                          << "X" << 2 << true << "one X, X";
        QTest::newRow("chinese") << "红苹果"
                                 << "苹果"
                                 << "梨" << 2 << true << "红梨";
    }
    void replaceFollowsTheRules()
    {
        QFETCH(QString, before);
        QFETCH(QString, what);
        QFETCH(QString, with);
        QFETCH(int, lookAt);
        QFETCH(bool, matchCase);
        QTemporaryDir dir;
        const QString path = bookOf(dir.path(), {before});
        {
            ServerSession session(path);
            AutomationClient *used = session.sheet(2)->querySubObject("UsedRange");
            QVERIFY(used->dynamicCall(kReplace, what, with, lookAt, 1, matchCase).toBool());
            QTEST(session.text(2, QStringLiteral("A1")), "after");
            QVERIFY(session.book->dynamicCall("Save()").toBool());
        }
        const QByteArray sheet = entry(path, QStringLiteral("xl/worksheets/sheet2.xml"));
        if (QTest::currentDataTag() == QLatin1String("number stays number"))
            QVERIFY(sheet.contains("<c r=\"A1\"><v>1239.5</v></c>"));
        if (QTest::currentDataTag() == QLatin1String("number becomes text"))
            QVERIFY(sheet.contains("t=\"inlineStr\""));
    }

    void replaceLeavesFormulasAndOutsideCellsAlone()
    {
        QTemporaryDir dir;
        const QString path =
            bookOf(dir.path(), {QStringLiteral("apple"), QStringLiteral("apple")},
                   "<row r=\"3\"><c r=\"A3\" t=\"str\"><f>\"apple\"</f><v>apple</v></c></row>");
        ServerSession session(path);
        AutomationClient *first = session.cell(2, QStringLiteral("A1:A1"));
        first->dynamicCall(kReplace, QStringLiteral("apple"), QStringLiteral("pear"), 2, 2, false);
        QCOMPARE(session.text(2, QStringLiteral("A1")), QStringLiteral("pear"));
        QCOMPARE(session.text(2, QStringLiteral("A2")), QStringLiteral("apple"));
        session.sheet(2)
            ->querySubObject("UsedRange")
            ->dynamicCall(kReplace, QStringLiteral("apple"), QStringLiteral("pear"), 2, 1, false);
        QCOMPARE(session.text(2, QStringLiteral("A2")), QStringLiteral("pear"));
        QCOMPARE(session.text(2, QStringLiteral("A3")), QStringLiteral("apple"));
    }

    void replaceCoversSharedStringsAndBooleans()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        ServerSession session(path);
        AutomationClient *used = session.sheet(1)->querySubObject("UsedRange");
        used->dynamicCall(kReplace, QStringLiteral("apple"), QStringLiteral("pear"), 2, 1, false);
        used->dynamicCall(kReplace, QStringLiteral("TRUE"), QStringLiteral("yes"), 1, 1, false);
        QCOMPARE(session.text(1, QStringLiteral("B2")), QStringLiteral("red pear"));
        QCOMPARE(session.text(1, QStringLiteral("A7")), QStringLiteral("merged pear"));
        QCOMPARE(session.text(1, QStringLiteral("A6")), QStringLiteral("yes"));
        QCOMPARE(session.text(1, QStringLiteral("E2")), QStringLiteral("4.5")); // a formula
        QCOMPARE(session.text(2, QStringLiteral("B2")),
                 QStringLiteral("r2c2 apple")); // other sheet
    }

    // A large block is worked out in pieces at once; every cell still ends
    // as a Replace of its own text makes it, by rows and by columns.
    void replaceOverManyCellsGivesEachItsOwn()
    {
        QStringList cells;
        for (int i = 0; i < 70000; ++i) {
            const QString n = QString::number(i);
            const QString kinds[] = {QStringLiteral("apple ") + n, QStringLiteral("apple"),
                                     n + QStringLiteral("4"), QStringLiteral("plum ") + n};
            cells << kinds[i % 4];
        }
        QTemporaryDir dir;
        const QString path = bookOf(dir.path(), cells);
        {
            ServerSession session(path);
            AutomationClient *used = session.sheet(2)->querySubObject("UsedRange");
            QVERIFY(used->dynamicCall(kReplace, QStringLiteral("apple"), QString(), 2, 1, true)
                        .toBool());
            QVERIFY(
                used->dynamicCall(kReplace, QStringLiteral("4"), QStringLiteral("9"), 2, 2, true)
                    .toBool());
            QVERIFY(session.save());
        }
        ServerSession again(path);
        for (int i = 0; i < cells.size(); ++i) {
            const QString expected =
                QString(cells.at(i)).replace(QStringLiteral("apple"), QString()).replace('4', '9');
            const QString name = QStringLiteral("A%1").arg(i + 1);
            if (again.text(2, name) != expected)
                QFAIL(qPrintable(name + QStringLiteral(": ") + again.text(2, name)));
        }
        const QByteArray sheet = entry(path, QStringLiteral("xl/worksheets/sheet2.xml"));
        QVERIFY(sheet.contains("<c r=\"A3\"><v>29</v></c>"));
        QVERIFY(!sheet.contains("r=\"A2\""));
    }

    // A string whose every cell lies in the block changes once in the table
    // and the sheet part stays as it was stored; a string with cells outside
    // gives the cells inside texts of their own. D2 and Other!A1 lie outside
    // block Data!A1:C6. Each Replace is saved; the next one starts from the
    // file the one before saved.
    void aStringChangesOnceForAllItsCells_data()
    {
        QTest::addColumn<QStringList>("replaces");  // block, what, with, lookAt, matchCase...
        QTest::addColumn<QStringList>("changed");   // as openpyxl reads them; no '=': gone
        QTest::addColumn<QStringList>("rewritten"); // every other entry keeps its bytes
        const QString sheet1 = QStringLiteral("xl/worksheets/sheet1.xml");
        const QString strings = QStringLiteral("xl/sharedStrings.xml");
        QTest::newRow("part, any case")
            << QStringList{"A1:C6", "apple", "pear", "2", "0"}
            << QStringList{"Data!A1='pear pie'",  "Data!B1='pear pie'", "Data!A2='pear'",
                           "Data!A3='crab pear'", "Data!A4='red pear'", "Data!A5='pear cart'"}
            << QStringList{sheet1, strings};
        QTest::newRow("whole cell, its string used outside")
            << QStringList{"A1:C6", "apple", "pear", "1", "1"} << QStringList{"Data!A2='pear'"}
            << QStringList{sheet1};
        QTest::newRow("strings used only inside")
            << QStringList{"A1:C6", "pie", "tart", "2", "1"}
            << QStringList{"Data!A1='apple tart'", "Data!B1='apple tart'"} << QStringList{strings};
        QTest::newRow("string also used on the other sheet")
            << QStringList{"A1:C6", "crab", "king", "2", "1"} << QStringList{"Data!A3='king apple'"}
            << QStringList{sheet1};
        QTest::newRow("rich text") << QStringList{"A1:C6", "red", "blue", "2", "1"}
                                   << QStringList{"Data!A4='blue apple'"} << QStringList{strings};
        QTest::newRow("case matched") << QStringList{"A1:C6", "Apple", "Pear", "2", "1"}
                                      << QStringList{"Data!A5='Pear cart'"} << QStringList{strings};
        QTest::newRow("emptied cells") << QStringList{"A1:C6", "apple pie", "", "1", "1"}
                                       << QStringList{"Data!A1", "Data!B1"} << QStringList{sheet1};
        QTest::newRow("again after a save")
            << QStringList{"A1:C6", "pie", "tart", "2", "1", "A1:C6", "tart", "cake", "2", "1"}
            << QStringList{"Data!A1='apple cake'", "Data!B1='apple cake'"} << QStringList{strings};
        // A2 takes a text of its own; "apple" is then D2's alone.
        QTest::newRow("counts follow the edits")
            << QStringList{"A1:C6", "apple", "pear", "1", "1", "D2", "apple", "plum", "1", "1"}
            << QStringList{"Data!A2='pear'", "Data!D2='plum'"} << QStringList{sheet1, strings};
        QTest::newRow("nothing matches")
            << QStringList{"A1:C6", "plum", "x", "2", "1"} << QStringList{} << QStringList{};
    }
    void aStringChangesOnceForAllItsCells()
    {
        QFETCH(QStringList, replaces);
        QFETCH(QStringList, changed);
        QFETCH(QStringList, rewritten);
        QTemporaryDir dir;
        const QString path = sharedStringBook(dir.path());
        const auto rawBefore = rawEntries(path);
        {
            ServerSession session(path);
            for (int i = 0; i + 4 < replaces.size(); i += 5) {
                QVERIFY(session.cell(1, replaces.at(i))
                            ->dynamicCall(kReplace, replaces.at(i + 1), replaces.at(i + 2),
                                          replaces.at(i + 3).toInt(), 1,
                                          replaces.at(i + 4) == QLatin1String("1"))
                            .toBool());
                QVERIFY(session.save());
            }
        }
        const auto rawAfter = rawEntries(path);
        QCOMPARE(rawAfter.size(), rawBefore.size());
        for (int i = 0; i < rawBefore.size(); ++i) {
            QCOMPARE(rawAfter.at(i).first, rawBefore.at(i).first);
            QVERIFY2((rawAfter.at(i).second != rawBefore.at(i).second) ==
                         rewritten.contains(rawBefore.at(i).first),
                     qPrintable(rawBefore.at(i).first));
        }
        QStringList expected{
            "Data!A1='apple pie'", "Data!B1='apple pie'",  "Data!C1=12",
            "Data!A2='apple'",     "Data!D2='apple'",      "Data!A3='crab apple'",
            "Data!A4='red apple'", "Data!A5='Apple cart'", "Other!A1='crab apple'"};
        for (const QString &change : changed) {
            const QString cell = change.section(QLatin1Char('='), 0, 0);
            const int at = expected.indexOf(QRegularExpression(
                QStringLiteral("^") + QRegularExpression::escape(cell) + QStringLiteral("=.*")));
            QVERIFY(at >= 0);
            if (change.contains(QLatin1Char('=')))
                expected[at] = change;
            else
                expected.removeAt(at);
        }
        QStringList cells;
        QVERIFY(openpyxlCells(path, true, &cells));
        QCOMPARE(cells, expected);
        // And the server reads the file back as openpyxl does.
        ServerSession again(path);
        const QString a4 = expected.filter(QStringLiteral("Data!A4=")).value(0);
        QCOMPARE(again.text(1, QStringLiteral("A4")), a4.section(QLatin1Char('\''), 1, 1));
    }

    // A table large enough to be read and written in pieces: a save
    // rewrites it where the reading cut it, the next where that save did.
    // Each string is in column A and, far away, in column B, so that rows
    // counted on different threads share it.
    void aLargeTableIsRewrittenAgainAfterASave()
    {
        using M = WorkbookMaker;
        constexpr int Items = 80000;
        QByteArray rows, items;
        for (int i = 1; i <= Items; ++i) {
            const QByteArray n = QByteArray::number(i);
            rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"s\"><v>" +
                    QByteArray::number(i - 1) + "</v></c><c r=\"B" + n + "\" t=\"s\"><v>" +
                    QByteArray::number(Items - i) + "</v></c></row>";
            items += "<si><t>item " + n + " apple</t></si>";
        }
        const Parts parts{
            {QStringLiteral("[Content_Types].xml"),
             M::contentTypes({{"/xl/workbook.xml", M::spreadsheetType("sheet.main")},
                              {"/xl/worksheets/sheet1.xml", M::spreadsheetType("worksheet")},
                              {"/xl/sharedStrings.xml", M::spreadsheetType("sharedStrings")}})},
            {QStringLiteral("_rels/.rels"),
             M::relationships({{"officeDocument", "xl/workbook.xml"}})},
            {QStringLiteral("xl/workbook.xml"),
             M::declaration() + "<workbook " + M::namespaces() +
                 "><sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
            {QStringLiteral("xl/_rels/workbook.xml.rels"),
             M::relationships(
                 {{"worksheet", "worksheets/sheet1.xml"}, {"sharedStrings", "sharedStrings.xml"}})},
            {QStringLiteral("xl/worksheets/sheet1.xml"), M::declaration() + "<worksheet " +
                                                             M::namespaces() + "><sheetData>" +
                                                             rows + "</sheetData></worksheet>"},
            {QStringLiteral("xl/sharedStrings.xml"),
             M::declaration() + "<sst " + M::namespaces() + ">" + items + "</sst>"}};
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("large.xlsx"));
        writePackage(path, parts);
        {
            ServerSession session(path);
            QVERIFY(session.cell(1, QStringLiteral("A1:B80000"))
                        ->dynamicCall(kReplace, QStringLiteral("apple"), QStringLiteral("pear"), 2,
                                      1, true)
                        .toBool());
            QVERIFY(session.save());
            QVERIFY(session.cell(1, QStringLiteral("A40000:A80000"))
                        ->dynamicCall(kReplace, QStringLiteral("pear"), QStringLiteral("plum"), 2,
                                      1, true)
                        .toBool());
            QVERIFY(session.save());
        }
        QString output;
        QVERIFY(
            runPython(QStringLiteral("import openpyxl\n"
                                     "sheet = openpyxl.load_workbook(%1, read_only=True)['Data']\n"
                                     "r = list(sheet.iter_rows(values_only=True))\n"
                                     "v = [c[0] for c in r]\n"
                                     "print(len(v), sum('pear' in t for t in v), "
                                     "sum('plum' in t for t in v), "
                                     "sum('pear' in c[1] for c in r))\n"
                                     "print(v[0], v[39998], v[39999], v[-1], r[0][1], sep='|')\n")
                          .arg(QLatin1Char('\'') + path + QLatin1Char('\'')),
                      &output));
        QCOMPARE(output.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({"80000 39999 40001 80000",
                              "item 1 pear|item 39999 pear|item 40000 plum|item 80000 plum|"
                              "item 80000 pear"}));
    }

    // A shared string a Replace makes longer than a cell holds keeps the
    // file from being saved, as a cell given such a text does.
    void aStringPastACellIsNotSaved()
    {
        QTemporaryDir dir;
        const QString path = sharedStringBook(dir.path());
        const QByteArray before = readFile(path);
        ServerSession session(path);
        QVERIFY(session.cell(1, QStringLiteral("A1:C6"))
                    ->dynamicCall(kReplace, QStringLiteral("pie"), QString(32767, 'x'), 2, 1, true)
                    .toBool());
        QVERIFY(!session.save());
        QCOMPARE(readFile(path), before);
    }

    // Several instances in parallel threads, one file each.
    void parallelInstancesDoNotMeet()
    {
        QTemporaryDir dir;
        QStringList paths;
        for (int i = 0; i < 8; ++i) {
            const QString path = dir.filePath(QStringLiteral("grid%1.xlsx").arg(i));
            QFile::copy(dataPath(QStringLiteral("grid-2000x10.xlsx")), path);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
            paths.append(path);
        }
        auto job = [](const QString &path) {
            ServerSession session(path);
            AutomationClient *sheet = session.sheet(1);
            const QString mark = QFileInfo(path).baseName();
            for (int r = 1; r <= 200; ++r) {
                AutomationClient *cell =
                    sheet->querySubObject("Range(const QVariant&)", QStringLiteral("C%1").arg(r));
                cell->setProperty("Value", mark + cell->dynamicCall("Text()").toString());
                delete cell;
            }
            return session.book->dynamicCall("Save()").toBool();
        };
        QThreadPool::globalInstance()->setMaxThreadCount(8);
        QList<QFuture<bool>> futures;
        for (const QString &path : qAsConst(paths))
            futures.append(QtConcurrent::run(job, path));
        for (QFuture<bool> &future : futures)
            QVERIFY(future.result());
        for (const QString &path : qAsConst(paths)) {
            ServerSession session(path);
            const QString mark = QFileInfo(path).baseName();
            QVERIFY(session.text(1, QStringLiteral("C1")).startsWith(mark));
            QVERIFY(session.text(1, QStringLiteral("C200")).startsWith(mark));
            QVERIFY(!session.text(1, QStringLiteral("C201")).startsWith(mark));
        }
    }
};

QTEST_GUILESS_MAIN(TestSheetServer)
#include "tst_sheetserver.moc"
