#include "ParAdd.h"
#include "ParChar.h"
#include "ParRetain.h"
#include "ParSpace.h"
#include "RunEvents.h"
#include "SpreadsheetServer.h"
#include "TextAdd.h"
#include "TextChar.h"
#include "TextRetain.h"
#include "TextSpace.h"
#include "WorkbookFixtures.h"
#include "WorkbookSnapshot.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// A sheet "Grid" of A1:C3, styled but for B3:
//   A1 apple      B1 Apple pie            C1 APPLE
//   A2 1234.5     B2 =A2*2 (2469, bold)   C2 x𠀾y
//      shown 1,234.50
//   A3 2024-01-01 B3 ab                   C3 (empty, styled)
bool writeGrid(const QString &path)
{
    using WM = WorkbookMaker;
    auto text = [](const char *cell, int style, const QString &value) {
        return "<c r=\"" + QByteArray(cell) + "\" s=\"" + QByteArray::number(style) +
               "\" t=\"inlineStr\"><is><t>" + value.toUtf8() + "</t></is></c>";
    };
    const QByteArray sheet =
        WM::declaration() + "<worksheet " + WM::namespaces() +
        "><dimension ref=\"A1:C3\"/><sheetData><row r=\"1\">" + text("A1", 1, "apple") +
        text("B1", 1, "Apple pie") + text("C1", 1, "APPLE") +
        "</row><row r=\"2\"><c r=\"A2\" s=\"2\"><v>1234.5</v></c>"
        "<c r=\"B2\" s=\"3\"><f>A2*2</f><v>2469</v></c>" +
        text("C2", 1, QStringLiteral("x\U0002003Ey")) +
        "</row><row r=\"3\"><c r=\"A3\" s=\"4\"><v>45292</v></c>" + text("B3", 0, "ab") +
        "<c r=\"C3\" s=\"1\"/></row></sheetData></worksheet>";
    const QByteArray styles =
        WM::declaration() + "<styleSheet " + WM::namespaces() +
        "><numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd\"/></numFmts>"
        "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
        "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
        "<fills count=\"3\"><fill><patternFill patternType=\"none\"/></fill>"
        "<fill><patternFill patternType=\"gray125\"/></fill><fill><patternFill "
        "patternType=\"solid\"><fgColor rgb=\"FFFFFF00\"/></patternFill></fill></fills>"
        "<borders count=\"1\"><border/></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
        "borderId=\"0\"/></cellStyleXfs><cellXfs count=\"5\">"
        "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
        "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"2\" borderId=\"0\" xfId=\"0\" applyFill=\"1\"/>"
        "<xf numFmtId=\"4\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
        "applyNumberFormat=\"1\"/>"
        "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"2\" borderId=\"0\" xfId=\"0\" applyFont=\"1\" "
        "applyFill=\"1\"/>"
        "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
        "applyNumberFormat=\"1\"/></cellXfs></styleSheet>";
    WM::Parts parts;
    parts.append({QStringLiteral("[Content_Types].xml"),
                  WM::contentTypes({{"/xl/workbook.xml", WM::spreadsheetType("sheet.main")},
                                    {"/xl/worksheets/sheet1.xml", WM::spreadsheetType("worksheet")},
                                    {"/xl/styles.xml", WM::spreadsheetType("styles")}})});
    parts.append({QStringLiteral("_rels/.rels"),
                  WM::relationships({{"officeDocument", "xl/workbook.xml"}})});
    parts.append(
        {QStringLiteral("xl/workbook.xml"),
         WM::declaration() + "<workbook " + WM::namespaces() +
             "><sheets><sheet name=\"Grid\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"});
    parts.append(
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         WM::relationships({{"worksheet", "worksheets/sheet1.xml"}, {"styles", "styles.xml"}})});
    parts.append({QStringLiteral("xl/worksheets/sheet1.xml"), sheet});
    parts.append({QStringLiteral("xl/styles.xml"), styles});
    return WM::writePackage(path, parts);
}

QVariantMap cellsOf(const QVariantMap &snapshot)
{
    return snapshot.value(QStringLiteral("cells")).toMap();
}

// The cells that hold a value or a formula, by name without the sheet.
QStringList filled(const QVariantMap &snapshot)
{
    QStringList names;
    const QVariantMap cells = cellsOf(snapshot);
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        if (!it.value().isNull())
            names << it.key().section(QLatin1Char('!'), 1);
    }
    names.sort();
    return names;
}

// The styles of the grid's cells. B3 has none: once emptied, openpyxl no
// longer lists it.
QVariantMap gridStyles(const QVariantMap &snapshot)
{
    QVariantMap styles = snapshot.value(QStringLiteral("styles")).toMap();
    styles.remove(QStringLiteral("Grid!B3"));
    return styles;
}

} // namespace

// The cell operations over real workbooks, read back by openpyxl.
class TestCellOps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(writeGrid(m_grid.filePath(QStringLiteral("grid.xlsx"))));
        m_gridBefore = WorkbookSnapshot::take(m_grid.filePath(QStringLiteral("grid.xlsx")));
        QCOMPARE(filled(m_gridBefore).size(), 8);
    }
    void cleanup() { SpreadsheetServer::install(); }

    void retainKeepsWhatAKeySelects_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("lookAt");
        QTest::addColumn<QStringList>("kept");
        const QStringList none;
        QTest::newRow("one cell") << false << QStringList{"B2"} << false << false
                                  << QStringList{"B2"};
        QTest::newRow("letters any case")
            << false << QStringList{"b2"} << false << false << QStringList{"B2"};
        QTest::newRow("block") << false << QStringList{"A1:B2"} << false << false
                               << QStringList{"A1", "A2", "B1", "B2"};
        QTest::newRow("block reversed") << false << QStringList{"B2:A1"} << false << false << none;
        QTest::newRow("three parts") << false << QStringList{"A1:B2:C3"} << false << false << none;
        QTest::newRow("no cell names")
            << false << QStringList{"$B$2", "B", "2", "A1:"} << false << false << none;
        QTest::newRow("keys in turn") << false << QStringList{"A3", "C1:C2"} << false << false
                                      << QStringList{"A3", "C1", "C2"};
        QTest::newRow("contains") << true << QStringList{"apple"} << false << false
                                  << QStringList{"A1", "B1", "C1"};
        QTest::newRow("contains, case")
            << true << QStringList{"apple"} << true << false << QStringList{"A1"};
        QTest::newRow("whole cell")
            << true << QStringList{"apple"} << false << true << QStringList{"A1", "C1"};
        QTest::newRow("whole cell, case")
            << true << QStringList{"APPLE"} << true << true << QStringList{"C1"};
        QTest::newRow("shown number")
            << true << QStringList{"1,234.5"} << false << false << QStringList{"A2"};
        QTest::newRow("shown formula")
            << true << QStringList{"2469"} << false << true << QStringList{"B2"};
        QTest::newRow("shown date")
            << true << QStringList{"2024-01"} << false << false << QStringList{"A3"};
        QTest::newRow("keys are no patterns")
            << true << QStringList{"a*"} << false << false << none;
    }
    // Cells no key selects lose value and formula but keep their style;
    // selected cells keep everything.
    void retainKeepsWhatAKeySelects()
    {
        QFETCH(bool, byKey);
        QFETCH(QStringList, keys);
        QFETCH(bool, matchCase);
        QFETCH(bool, lookAt);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        const QString path = copyGrid(dir.path());
        const QVariantMap &before = m_gridBefore;
        ParRetain par;
        par.sheetIndex = QStringLiteral("首表");
        par.keys = keys.toVector();
        par.byKey = byKey;
        par.matchCase = matchCase;
        par.lookAt = lookAt;
        // Retain sends no tip of its own.
        QCOMPARE(runNoted<TextRetain>(path, par).size(), 3);
        const QVariantMap after = WorkbookSnapshot::take(path);
        QCOMPARE(filled(after), kept);
        for (const QString &name : kept) {
            const QString key = QStringLiteral("Grid!") + name;
            QCOMPARE(cellsOf(after).value(key), cellsOf(before).value(key));
        }
        QCOMPARE(gridStyles(after), gridStyles(before));
    }

    // Keys that select every cell holding something leave the file as it
    // was: cells that hold nothing are not cleared.
    void retainOfEverythingKeepsTheFile_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("positions") << false << QStringList{"A1:C2", "A3:B3"};
        QTest::newRow("contents") << true << QStringList{"a", "1", "2", "x"};
    }
    void retainOfEverythingKeepsTheFile()
    {
        QFETCH(bool, byKey);
        QFETCH(QStringList, keys);
        QTemporaryDir dir;
        const QString path = copyGrid(dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        ParRetain par;
        par.sheetIndex = QStringLiteral("所有表");
        par.keys = keys.toVector();
        par.byKey = byKey;
        runNoted<TextRetain>(path, par);
        QCOMPARE(WorkbookFixtures::readFile(path), before);
    }

    // The used range of the second sheet is B2:D4: positions are the cells'
    // own, D4 is reached, and nothing outside the chosen sheet changes.
    void retainWalksAUsedRangeAwayFromA1()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QVariantMap before = WorkbookSnapshot::take(path);
        ParRetain par;
        par.sheetIndex = QStringLiteral("2");
        par.keys = {QStringLiteral("D4"), QStringLiteral("B2:C2")};
        par.byKey = false;
        runNoted<TextRetain>(path, par);
        const QVariantMap after = WorkbookSnapshot::take(path);
        QCOMPARE(WorkbookSnapshot::changedCells(before, after),
                 QStringList({"Offset!B3", "Offset!B4", "Offset!C3", "Offset!C4", "Offset!D2",
                              "Offset!D3"}));
        QCOMPARE(cellsOf(after).value("Offset!D4").toString(), QStringLiteral("r4c4 apple"));
    }

    // A character of two UTF-16 units stays whole in the saved file.
    void charactersKeepPairsWhole_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("implement");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("c2");
        QTest::addColumn<QString>("a1");
        QTest::newRow("insert") << int(TextChar::Index::Pos) << int(TextChar::Implement::Increase)
                                << 2 << "-" << QStringLiteral("x\U0002003E-y") << "ap-ple";
        QTest::newRow("delete") << int(TextChar::Index::Left) << int(TextChar::Implement::Delete)
                                << 0 << "2"
                                << "y"
                                << "ple";
        QTest::newRow("retain") << int(TextChar::Index::Right) << int(TextChar::Implement::Retain)
                                << 0 << "2"
                                << "y"
                                << "le";
    }
    void charactersKeepPairsWhole()
    {
        QFETCH(int, index);
        QFETCH(int, implement);
        QFETCH(int, pos);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QString path = copyGrid(dir.path());
        const QVariantMap &before = m_gridBefore;
        ParChar par;
        par.sheetIndex = QStringLiteral("默认页");
        par.index = TextChar::Index(index);
        par.implement = TextChar::Implement(implement);
        par.pos = pos;
        par.text = text;
        runNoted<TextChar>(path, par);
        const QVariantMap after = WorkbookSnapshot::take(path);
        QTEST(cellsOf(after).value("Grid!C2").toString(), "c2");
        QTEST(cellsOf(after).value("Grid!A1").toString(), "a1");
        QCOMPARE(gridStyles(after), gridStyles(before));
    }

    // Numbers, dates, booleans and formulas whose text the operation leaves
    // alone stay what they were.
    void spacesLeaveUnchangedCellsAlone()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        const QVariantMap before = WorkbookSnapshot::take(path);
        ParSpace par;
        par.sheetIndex = QStringLiteral("首表");
        par.index = TextSpace::Index::All;
        runNoted<TextSpace>(path, par);
        const QVariantMap after = WorkbookSnapshot::take(path);
        QCOMPARE(WorkbookSnapshot::changedCells(before, after),
                 QStringList({"Data!A5", "Data!A7", "Data!B2", "Data!B4", "Data!B5", "Data!B6"}));
        QCOMPARE(cellsOf(after).value("Data!B4").toString(), QStringLiteral("中文文本"));
        QCOMPARE(cellsOf(after).value("Data!E2").toString(), QStringLiteral("=C2*D2"));
        QCOMPARE(after.value("styles"), before.value("styles"));
    }

    // A piece that starts beyond every text adds nothing: formatted numbers
    // and dates are not written back as text, the file stays as it was.
    void appendThatAddsNothingKeepsTheFile()
    {
        QTemporaryDir dir;
        const QString path = WorkbookFixtures::copy(QStringLiteral("numfmt.xlsx"), dir.path());
        const QByteArray before = WorkbookFixtures::readFile(path);
        ParAdd par;
        par.sheetIndex = QStringLiteral("所有表");
        par.pos = 100;
        par.length = 2;
        runNoted<TextAdd>(path, par);
        QCOMPARE(WorkbookFixtures::readFile(path), before);

        par.pos = 0;
        par.index = TextAdd::Index::Right;
        runNoted<TextAdd>(path, par);
        QCOMPARE(cellsOf(WorkbookSnapshot::take(path)).value("Formats!A8").toString(),
                 QStringLiteral("1,2351,"));
    }

private:
    QString copyGrid(const QString &dir) const
    {
        const QString path = QDir(dir).filePath(QStringLiteral("grid.xlsx"));
        QFile::copy(m_grid.filePath(QStringLiteral("grid.xlsx")), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

    QTemporaryDir m_grid;
    QVariantMap m_gridBefore;
};

QTEST_GUILESS_MAIN(TestCellOps)
#include "tst_cellops.moc"
