#include "AutomationClient.h"
#include "WorkbookFixtures.h"
#include "server/SpreadsheetServer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace WorkbookFixtures;

namespace {

QByteArray find(const Parts &parts, const QString &name)
{
    for (const auto &part : parts) {
        if (part.first == name)
            return part.second;
    }
    return QByteArray();
}

QStringList names(const Parts &parts)
{
    QStringList list;
    for (const auto &part : parts)
        list.append(part.first);
    return list;
}

QByteArray inlineCell(const QByteArray &ref, const QByteArray &text,
                      const QByteArray &style = QByteArray())
{
    return "<c r=\"" + ref + "\"" + (style.isEmpty() ? QByteArray() : " s=\"" + style + "\"") +
           " t=\"inlineStr\"><is><t xml:space=\"preserve\">" + text + "</t></is></c>";
}

} // namespace

class TestPackageWrite : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    }

    // Promise 1: open then save with no change writes nothing.
    void noOpSaveLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *name : {"basic.xlsx",           "numfmt.xlsx",
                                 "inline.xlsx",          "chartsheet.xlsx",
                                 "grid-2000x10.xlsx",    "openpyxl.xlsx",
                                 "xlsxwriter.xlsx",      "placeholder-sheet.xlsx",
                                 "utf16-parts.xlsx",     "empty-string-index.xlsx",
                                 "sample.csv",           "sample.txt",
                                 "gb18030.csv",          "utf16le.txt",
                                 "utf16be.txt",          "basic.xls",
                                 "records.xls",          "formulas.xls",
                                 "libreoffice.xls",      "superseded.xls",
                                 "empty-label.xls",      "mini-stream-size.xls",
                                 "book-stream.xls",      "empty-string.xls",
                                 "superseded-anchor.xls"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void noOpSaveLeavesTheFileAsItWas()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        const QByteArray before = readFile(path);
        const QDateTime stamp = QFileInfo(path).lastModified();
        ServerSession session(path);
        QVERIFY(!session.book->isNull());
        // Writing the text a cell already holds is no change either.
        const QString shown =
            session.cell(1, QStringLiteral("A1"))->dynamicCall("Text()").toString();
        if (file != QLatin1String("numfmt.xlsx") && file != QLatin1String("chartsheet.xlsx") &&
            file != QLatin1String("formulas.xls") && file != QLatin1String("superseded-anchor.xls"))
            session.set(1, QStringLiteral("A1"), shown);
        // Nor is a Replace that finds nothing, or puts back what it found.
        const int sheets = session.book->querySubObject("Sheets")->dynamicCall("Count()").toInt();
        for (int n = 1; n <= sheets; ++n) {
            if (session.sheet(n)->querySubObject("UsedRange")->isNull())
                continue; // a chart sheet
            session.replace(n, QStringLiteral("\u2603 nowhere"), QStringLiteral("x"));
            session.replace(n, QStringLiteral("a"), QStringLiteral("a"));
        }
        QVERIFY(session.save());
        QCOMPARE(readFile(path), before);
        QCOMPARE(QFileInfo(path).lastModified(), stamp);
    }

    // Promise 2: a changed cell is the only change, every other entry copied.
    void changedCellIsTheOnlyChange()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        const Parts before = readPackage(path);
        const auto rawBefore = rawEntries(path);
        {
            ServerSession session(path);
            session.set(1, QStringLiteral("B2"), QStringLiteral("green & <apple>"));
            QVERIFY(session.save());
            QCOMPARE(session.cell(1, QStringLiteral("B2"))->dynamicCall("Text()").toString(),
                     QStringLiteral("green & <apple>"));
        }
        const Parts after = readPackage(path);
        const auto rawAfter = rawEntries(path);
        QCOMPARE(names(after), names(before));
        for (int i = 0; i < before.size(); ++i) {
            if (before.at(i).first == QLatin1String("xl/worksheets/sheet1.xml"))
                continue;
            QCOMPARE(after.at(i).second, before.at(i).second);
            QCOMPARE(rawAfter.at(i).second, rawBefore.at(i).second); // stored bytes copied
        }
        QByteArray expectedSheet = find(before, QStringLiteral("xl/worksheets/sheet1.xml"));
        expectedSheet.replace("<c r=\"B2\" t=\"s\"><v>6</v></c>",
                              inlineCell("B2", "green &amp; &lt;apple&gt;"));
        QCOMPARE(find(after, QStringLiteral("xl/worksheets/sheet1.xml")), expectedSheet);
    }

    // New cells and rows go in order; the dimension follows.
    void newCellsAndRowsTakeTheirPlace()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        const QByteArray before = entry(path, QStringLiteral("xl/worksheets/sheet2.xml"));
        {
            ServerSession session(path);
            session.set(2, QStringLiteral("A3"), QStringLiteral("left"));
            session.set(2, QStringLiteral("F1"), QStringLiteral("top"));
            session.set(2, QStringLiteral("C10"), QStringLiteral("bottom"));
            QVERIFY(session.save());
        }
        QByteArray expectedSheet = before;
        expectedSheet.replace("<dimension ref=\"B2:D4\"/>", "<dimension ref=\"A1:F10\"/>");
        expectedSheet.replace("<row r=\"2\" ",
                              "<row r=\"1\">" + inlineCell("F1", "top") + "</row><row r=\"2\" ");
        expectedSheet.replace("<row r=\"3\" spans=\"2:4\">",
                              "<row r=\"3\" spans=\"2:4\">" + inlineCell("A3", "left"));
        expectedSheet.replace("</sheetData>", "<row r=\"10\">" + inlineCell("C10", "bottom") +
                                                  "</row></sheetData>");
        QCOMPARE(entry(path, QStringLiteral("xl/worksheets/sheet2.xml")), expectedSheet);
        // An empty sheet whose table is "<sheetData/>" gets one.
        {
            ServerSession session(path);
            session.set(3, QStringLiteral("B2"), QStringLiteral("first"));
            QVERIFY(session.save());
        }
        QVERIFY(entry(path, QStringLiteral("xl/worksheets/sheet3.xml"))
                    .contains("<dimension ref=\"B2\"/><sheetViews><sheetView "
                              "workbookViewId=\"0\"/></sheetViews>"
                              "<sheetFormatPr defaultRowHeight=\"15\"/><sheetData><row r=\"2\">" +
                              inlineCell("B2", "first") + "</row></sheetData>"));
    }

    // Inside a rewritten sheet everything but the changed cells stays.
    void rewrittenSheetKeepsEverythingElse()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rich.xlsm"));
        QVERIFY(writePackage(path, richWorkbook()));
        const Parts before = readPackage(path);
        {
            ServerSession session(path);
            QVERIFY(!session.book->isNull());
            QCOMPARE(session.cell(1, QStringLiteral("C1"))->dynamicCall("Text()").toString(),
                     QStringLiteral("50.0%"));
            session.set(1, QStringLiteral("A1"), QStringLiteral("Title pear"));
            session.set(1, QStringLiteral("B3"), QStringLiteral("twenty"));
            session.set(1, QStringLiteral("D5"), QStringLiteral("no formula"));
            QVERIFY(session.save());
        }
        const Parts after = readPackage(path);
        QCOMPARE(names(after), names(before));
        QByteArray sheet = find(before, QStringLiteral("xl/worksheets/sheet1.xml"));
        sheet.replace("<c r=\"A1\" s=\"1\" t=\"s\"><v>0</v></c>",
                      inlineCell("A1", "Title pear", "1"));
        sheet.replace("<c r=\"B3\"><v>20</v></c>", inlineCell("B3", "twenty"));
        sheet.replace("<c r=\"D5\"><f>SUM(B2:B4)</f><v>60</v></c>", inlineCell("D5", "no formula"));
        QCOMPARE(find(after, QStringLiteral("xl/worksheets/sheet1.xml")), sheet);
        // The removed formula leaves the calculation chain, the rest stays.
        QCOMPARE(find(after, QStringLiteral("xl/calcChain.xml")),
                 find(before, QStringLiteral("xl/calcChain.xml")).replace("<c r=\"D5\"/>", ""));
        for (const QString &name :
             {QStringLiteral("xl/styles.xml"), QStringLiteral("xl/sharedStrings.xml"),
              QStringLiteral("xl/vbaProject.bin"), QStringLiteral("customXml/item1.xml"),
              QStringLiteral("xl/printerSettings/printerSettings1.bin"),
              QStringLiteral("xl/worksheets/sheet2.xml"), QStringLiteral("[Content_Types].xml")})
            QCOMPARE(find(after, name), find(before, name));
    }

    // The first cell of a shared formula gives its formula to the next one.
    void sharedFormulaSurvivesItsFirstCell()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rich.xlsm"));
        QVERIFY(writePackage(path, richWorkbook()));
        {
            ServerSession session(path);
            session.set(1, QStringLiteral("E2"), QStringLiteral("typed over"));
            QVERIFY(session.save());
        }
        const QByteArray sheet = entry(path, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.contains(inlineCell("E2", "typed over")));
        QVERIFY2(
            sheet.contains(
                "<c r=\"E3\"><f t=\"shared\" ref=\"E3:E4\" si=\"0\">A3+B3*$A$1</f><v>22</v></c>"),
            sheet.constData());
        QVERIFY(sheet.contains("<c r=\"E4\"><f t=\"shared\" si=\"0\"/><v>33</v></c>"));
        // E2 left the chain; the entry after it now names its sheet itself.
        QCOMPARE(
            entry(path, QStringLiteral("xl/calcChain.xml")),
            QByteArray(
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                "<calcChain xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                "<c r=\"E3\" i=\"3\"/><c r=\"E4\"/><c r=\"D5\"/><c r=\"B1\" "
                "i=\"7\"/></calcChain>"));
    }

    // Groups that lose their first cells in one save each give their formula
    // to their own next cell, however they interleave; a group left with no
    // cell gives it to none.
    void sharedFormulasSurviveTogether()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("groups.xlsx"));
        Parts parts = WorkbookMaker::textWorkbook(QStringLiteral("Data"), 1, 1,
                                                  [](int, int) { return QStringLiteral("x"); });
        auto shared = [](const QByteArray &ref, int si, const QByteArray &block,
                         const QByteArray &text) {
            return "<c r=\"" + ref + "\"><f t=\"shared\" si=\"" + QByteArray::number(si) + '"' +
                   (block.isEmpty() ? QByteArray("/>")
                                    : " ref=\"" + block + "\">" + text + "</f>") +
                   "<v>1</v></c>";
        };
        const QByteArray sheet =
            WorkbookMaker::declaration() + "<worksheet " + WorkbookMaker::namespaces() +
            "><sheetData><row r=\"1\">" + shared("C1", 0, "C1:C3", "A1*2") +
            shared("D1", 1, "D1:D3", "A1+1") + shared("E1", 3, "E1", "A1") + "</row><row r=\"2\">" +
            shared("C2", 0, "", "") + shared("D2", 1, "", "") + "</row><row r=\"3\">" +
            shared("C3", 0, "", "") + shared("D3", 1, "", "") + "</row><row r=\"4\">" +
            shared("C4", 2, "C4:D4", "A4*3") + shared("D4", 2, "", "") +
            "</row></sheetData></worksheet>";
        for (auto &part : parts) {
            if (part.first == QLatin1String("xl/worksheets/sheet1.xml"))
                part.second = sheet;
        }
        QVERIFY(writePackage(path, parts));
        {
            ServerSession session(path);
            for (const char *cell : {"C1", "D1", "C4", "E1"})
                session.cell(1, QString::fromLatin1(cell))->dynamicCall("ClearContents()");
            QVERIFY(session.save());
        }
        const QByteArray written = entry(path, QStringLiteral("xl/worksheets/sheet1.xml"));
        for (const QByteArray &kept :
             {QByteArray("<c r=\"C2\"><f t=\"shared\" ref=\"C2:C3\" si=\"0\">A2*2</f><v>1</v></c>"),
              QByteArray("<c r=\"D2\"><f t=\"shared\" ref=\"D2:D3\" si=\"1\">A2+1</f><v>1</v></c>"),
              QByteArray("<c r=\"D4\"><f t=\"shared\" ref=\"D4\" si=\"2\">B4*3</f><v>1</v></c>"),
              shared("C3", 0, "", ""), shared("D3", 1, "", "")})
            QVERIFY2(written.contains(kept), written.constData());
        QCOMPARE(written.count("ref="), 3);
        QVERIFY(!written.contains("r=\"E1\"") && !written.contains("r=\"C1\""));
    }

    // A chain left without entries goes, with its relationship and type.
    void emptiedChainIsRemoved()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rich.xlsm"));
        QVERIFY(writePackage(path, richWorkbook()));
        {
            ServerSession session(path);
            AutomationClient *main =
                session.book->querySubObject("Sheets")->querySubObject("Item(const QVariant&)", 1);
            main->querySubObject("Range(const QVariant&)", "D5:E5")->dynamicCall("ClearContents()");
            main->querySubObject("Range(const QVariant&)", "E2:E4")->setProperty("Value", "x");
            session.cell(2, QStringLiteral("B1"))->dynamicCall("ClearContents()");
            QVERIFY(session.save());
        }
        const Parts after = readPackage(path);
        QVERIFY(!names(after).contains(QStringLiteral("xl/calcChain.xml")));
        QVERIFY(!find(after, QStringLiteral("xl/_rels/workbook.xml.rels")).contains("calcChain"));
        QVERIFY(!find(after, QStringLiteral("[Content_Types].xml")).contains("calcChain"));
        QVERIFY(find(after, QStringLiteral("[Content_Types].xml")).contains("vbaProject"));
        QVERIFY(find(after, QStringLiteral("xl/worksheets/sheet2.xml")).contains("<c r=\"B1\"/>") ||
                !find(after, QStringLiteral("xl/worksheets/sheet2.xml")).contains("r=\"B1\""));
        ServerSession again(path);
        QVERIFY(!again.book->isNull());
    }

    // Promise 3: a failed save leaves the original and no temporary file.
    void failedSaveKeepsTheOriginal_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("how");
        for (const char *file : {"basic.xlsx", "basic.xls"}) {
            const QString name = QString::fromLatin1(file);
            QTest::addRow("%s read-only file", file) << name << "file";
            QTest::addRow("%s read-only folder", file) << name << "folder";
            QTest::addRow("%s file gone", file) << name << "gone";
            QTest::addRow("%s changed by another program", file) << name << "changed";
        }
    }
    void failedSaveKeepsTheOriginal()
    {
        QFETCH(QString, file);
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        QByteArray before = readFile(path);
        ServerSession session(path);
        session.set(1, QStringLiteral("A1"), QStringLiteral("changed"));
        if (how == QLatin1String("file"))
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
        if (how == QLatin1String("folder"))
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        if (how == QLatin1String("gone"))
            QFile::remove(path);
        if (how == QLatin1String("changed")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            file.write("x");
            before += "x";
        }
        QVERIFY(!session.save());
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (how == QLatin1String("gone")) {
            QVERIFY(!QFile::exists(path));
            QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
            return;
        }
        QCOMPARE(readFile(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList(file));
    }

    void saveKeepsPermissionsAndSavesAgain()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        const QFile::Permissions permissions =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
        QFile::setPermissions(path, permissions);
        ServerSession session(path);
        session.set(1, QStringLiteral("A1"), QStringLiteral("one"));
        QVERIFY(session.save());
        QCOMPARE(QFileInfo(path).permissions() & 0x7077,
                 permissions & 0x7077); // owner, group, other
        session.set(1, QStringLiteral("A2"), QStringLiteral("two"));
        QVERIFY(session.save());
        QCOMPARE(session.cell(1, QStringLiteral("A1"))->dynamicCall("Text()").toString(),
                 QStringLiteral("one"));
        const QByteArray sheet = entry(path, QStringLiteral("xl/worksheets/sheet1.xml"));
        QVERIFY(sheet.contains(inlineCell("A1", "one", "1")));
        QVERIFY(sheet.contains(inlineCell("A2", "two")));
    }

    // After a save the next save works against the new file: each round of
    // changes gives the same bytes as the same changes made after opening
    // the saved file afresh.
    void repeatedSavesMatchFreshOpens()
    {
        QTemporaryDir dir;
        const QString kept = dir.filePath(QStringLiteral("kept.xlsm"));
        QVERIFY(writePackage(kept, richWorkbook()));
        const QList<QList<QPair<QString, QString>>> rounds = {
            {{"A1", "first"}, {"C9", "new in a styled empty row"}, {"E2", "formula gone"}},
            {{"A1", ""}, {"C9", "again"}, {"B12", "row after"}, {"A3", "x"}},
            {{"B12", ""}, {"E3", "second formula gone"}, {"D1", "top"}, {"A1", "back"}},
        };
        ServerSession session(kept);
        for (const auto &round : rounds) {
            const QString fresh = dir.filePath(QStringLiteral("fresh.xlsm"));
            QFile::remove(fresh);
            QVERIFY(QFile::copy(kept, fresh));
            {
                ServerSession other(fresh);
                for (const auto &change : round)
                    other.set(1, change.first, change.second);
                QVERIFY(other.save());
            }
            for (const auto &change : round)
                session.set(1, change.first, change.second);
            QVERIFY(session.save());
            QCOMPARE(readPackage(kept), readPackage(fresh));
        }
        QCOMPARE(session.cell(1, QStringLiteral("C9"))->dynamicCall("Text()").toString(),
                 QStringLiteral("again"));
    }

    // A sheet far larger than what a save holds at once: the original is
    // read forward piece by piece while changes are spread all through it.
    void largeSheetStreamsThroughASave()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.xlsx"));
        QByteArray rows;
        for (int r = 1; r <= 150000; ++r) {
            const QByteArray n = QByteArray::number(r);
            rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c><c r=\"B" + n +
                    "\" t=\"inlineStr\"><is><t>text of row " + n + "</t></is></c></row>";
        }
        Parts parts = richWorkbook();
        for (auto &part : parts) {
            if (part.first == QLatin1String("xl/worksheets/sheet2.xml"))
                part.second = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                              "2006/main\"><sheetData>" +
                              rows + "</sheetData></worksheet>";
        }
        QVERIFY(writePackage(path, parts));
        QVERIFY(rows.size() > 12 << 20);
        QByteArray expected = entry(path, QStringLiteral("xl/worksheets/sheet2.xml"));
        {
            ServerSession session(path);
            for (int r = 7; r <= 150000; r += 4999) {
                const QByteArray n = QByteArray::number(r);
                session.set(2, QStringLiteral("B%1").arg(r), QStringLiteral("changed %1").arg(r));
                expected.replace("<c r=\"B" + n + "\" t=\"inlineStr\"><is><t>text of row " + n +
                                     "</t></is></c>",
                                 inlineCell("B" + n, "changed " + n));
            }
            QVERIFY(session.save());
        }
        QCOMPARE(entry(path, QStringLiteral("xl/worksheets/sheet2.xml")), expected);
        // The sheet was compressed in pieces on several threads: another
        // inflater checks the stream and its checksum.
        QString output;
        QVERIFY(runPython(QStringLiteral("import zipfile\nz = zipfile.ZipFile('%1')\n"
                                         "print(z.testzip(), len(z.read('xl/worksheets/"
                                         "sheet2.xml')))\n")
                              .arg(path),
                          &output));
        QCOMPARE(output.trimmed(), QStringLiteral("None %1").arg(expected.size()));
        ServerSession again(path);
        QCOMPARE(again.text(2, QStringLiteral("B144978")), QStringLiteral("changed 144978"));
        QCOMPARE(again.text(2, QStringLiteral("B150000")), QStringLiteral("text of row 150000"));
    }

    // Promise 6: Debian's openpyxl reads what we wrote and what we kept.
    void openpyxlReadsTheResult()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        {
            ServerSession session(path);
            session.set(1, QStringLiteral("B3"), QStringLiteral("written 文本"));
            session.set(1, QStringLiteral("G9"), QStringLiteral("far away"));
            session.set(1, QStringLiteral("E2"), QStringLiteral("was a formula"));
            QVERIFY(session.save());
        }
        const QString script =
            QStringLiteral("import openpyxl,sys\n"
                           "wb=openpyxl.load_workbook(sys.argv[0] if False else %1)\n"
                           "ws=wb['Data']\n"
                           "print(ws['B3'].value, ws['G9'].value, ws['E2'].value, ws['A2'].value, "
                           "ws['E3'].value,"
                           " ws['A6'].value, ws['A1'].font.b, ws.merged_cells.ranges[0].coord, "
                           "wb.active.title, sep='|')\n")
                .arg(QStringLiteral("'") + path + QStringLiteral("'"));
        QString output;
        QVERIFY(runPython(script, &output));
        QCOMPARE(output.trimmed(),
                 QStringLiteral(
                     "written 文本|far away|was a formula|apple|=C3*D3|True|True|A7:C7|Offset"));
    }
};

QTEST_GUILESS_MAIN(TestPackageWrite)
#include "tst_packagewrite.moc"
