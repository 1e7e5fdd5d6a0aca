// Large parts are read in pieces on several threads. Whatever the cuts, the
// result must be exactly that of one pass: the same cells, texts and byte
// places, or the same refusal. Rows taken straight from their bytes must
// come out as the XML reader reads them.
#include "WorkbookFixtures.h"
#include "model/OwnThread.h"
#include "model/SheetModel.h"
#include "model/TextPool.h"
#include "model/Utf8.h"
#include "xlsx/SharedStringsReader.h"
#include "xlsx/SheetReader.h"
#include "xlsx/SheetScanner.h"
#include "xlsx/XmlPieces.h"

#include <QSemaphore>
#include <QThreadPool>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const QByteArray kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// Everything a read leaves in a sheet, one line per row and cell.
QStringList dump(const SheetModel &sheet)
{
    QStringList lines;
    lines << QStringLiteral("layout %1 %2-%3 %4 %5 %6 %7 %8 %9")
                 .arg(sheet.hasDimension)
                 .arg(sheet.dimensionStart)
                 .arg(sheet.dimensionEnd)
                 .arg(sheet.sheetDataSelfClosing)
                 .arg(sheet.sheetDataStart)
                 .arg(sheet.sheetDataContent)
                 .arg(sheet.sheetDataClose)
                 .arg(sheet.sheetDataEnd)
                 .arg(sheet.maxSharedIndex);
    lines
        << QStringLiteral("cells %1 texts %2").arg(sheet.cells.cellCount()).arg(sheet.texts.size());
    for (const auto &entry : sheet.cells.rows()) {
        const Row &row = entry.second;
        lines << QStringLiteral("row %1 %2 %3 %4 %5 %6")
                     .arg(entry.first)
                     .arg(row.start)
                     .arg(row.startTagEnd)
                     .arg(row.end)
                     .arg(row.selfClosing)
                     .arg(row.original);
        for (const Cell &cell : row.cells) {
            QString value;
            if (cell.type == Cell::Text || cell.type == Cell::Error)
                value = sheet.texts.at(cell.index);
            else if (cell.type == Cell::SharedString)
                value = QString::number(cell.index);
            else
                value = QString::number(cell.number, 'g', 17);
            lines << QStringLiteral("  c%1 t%2 f%3/%4 s%5 [%6] %7-%8")
                         .arg(cell.column)
                         .arg(cell.type)
                         .arg(cell.formula)
                         .arg(cell.sharedIndex)
                         .arg(cell.style)
                         .arg(value)
                         .arg(cell.start)
                         .arg(cell.end);
        }
    }
    return lines;
}

QStringList dump(const TextPool &strings)
{
    QStringList all;
    for (int i = 0; i < strings.size(); ++i)
        all << strings.at(i);
    return all;
}

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

QByteArray worksheet(const QByteArray &rows, const QByteArray &before = "<dimension ref=\"A1\"/>",
                     const QByteArray &after = "<mergeCells count=\"1\"><mergeCell "
                                               "ref=\"A1:B1\"/></mergeCells>",
                     const QByteArray &declaration = kDeclaration)
{
    return declaration + "<worksheet xmlns=\"" + kMain + "\">" + before + "<sheetData>" + rows +
           "</sheetData>" + after + "</worksheet>";
}

// Rows of every kind of cell, so that any cut falls among them.
QByteArray mixedRows(int count, int first = 1)
{
    QByteArray rows;
    for (int r = first; r < first + count; ++r) {
        const QByteArray n = QByteArray::number(r);
        rows += "<row r=\"" + n + "\" spans=\"1:6\">";
        rows += "<c r=\"A" + n + "\" t=\"s\"><v>" + QByteArray::number(r % 7) + "</v></c>";
        rows += "<c r=\"B" + n + "\" t=\"inlineStr\"><is><t>行 " + n + " 😀</t></is></c>";
        rows += "<c r=\"C" + n + "\" s=\"2\"><v>" + n + ".5</v></c>";
        rows += "<c r=\"D" + n + "\" t=\"e\"><v>#N/A</v></c>";
        rows += "<c r=\"E" + n + "\" t=\"str\"><f>\"a\"&amp;\"b\"</f><v>ab_x000D_" + n + "</v></c>";
        if (r % 3 == 0)
            rows +=
                "<c r=\"F" + n + "\"><f t=\"shared\" ref=\"F3:F9\" si=\"0\">C3*2</f><v>7</v></c>";
        rows += "</row>";
    }
    return rows;
}

bool readSheet(const QByteArray &xml, int pieces, SheetModel *sheet, QString *why, bool *inPieces)
{
    return SheetReader::read(xml, sheet, why, pieces, inPieces);
}

// The part read with the scanner and with the XML reader alone, in one
// piece and in several: the same sheet or the same refusal.
void compareWithXmlReader(const QByteArray &xml, const QString &name)
{
    for (int pieces = 1; pieces <= 4; ++pieces) {
        SheetModel scanned, read;
        QString scanWhy, readWhy;
        const bool scanOk = SheetReader::read(xml, &scanned, &scanWhy, pieces, nullptr, true);
        const bool readOk = SheetReader::read(xml, &read, &readWhy, pieces, nullptr, false);
        QVERIFY2(
            scanOk == readOk && scanWhy == readWhy,
            qPrintable(name + QStringLiteral(": ") + scanWhy + QStringLiteral(" / ") + readWhy));
        QCOMPARE(dump(scanned), dump(read));
    }
}

// Whether the scanner takes the whole cells table on its own; the
// prefixes are those the part declares anywhere.
bool scansWhole(const QByteArray &xml)
{
    const XmlPieces whole(xml, "sheetData", "row", 1);
    if (!whole.isValid())
        return false;
    QVector<QByteArray> prefixes;
    const QRegularExpression declaration(QStringLiteral("xmlns:([A-Za-z0-9_.-]+)="));
    for (auto it = declaration.globalMatch(QString::fromUtf8(xml)); it.hasNext();)
        prefixes.append(it.next().captured(1).toUtf8());
    SheetModel sheet;
    return SheetScanner(xml, prefixes, &sheet).scan(whole.contentFrom(), whole.contentTo(), true);
}

} // namespace

class TestPieceReading : public QObject
{
    Q_OBJECT
private slots:
    // Cuts fall before the child's tags, with the element's prefix, and the
    // pieces cover the content exactly.
    void cutsFallBeforeChildren()
    {
        const QByteArray xml = "<x:worksheet xmlns:x=\"" + kMain + "\"><x:sheetData>" +
                               QByteArray("<x:row r=\"1\"/><x:rowx/>").repeated(50) +
                               "</x:sheetData></x:worksheet>";
        const XmlPieces pieces(xml, "sheetData", "row", 4);
        QVERIFY(pieces.isValid());
        QCOMPARE(pieces.pieces().size(), 4);
        QCOMPARE(pieces.pieces().first().from, pieces.contentFrom());
        QCOMPARE(pieces.pieces().last().to, pieces.contentTo());
        QVERIFY(xml.mid(int(pieces.contentTo())).startsWith("</x:sheetData>"));
        for (int i = 1; i < pieces.pieces().size(); ++i) {
            QCOMPARE(pieces.pieces().at(i).from, pieces.pieces().at(i - 1).to);
            QVERIFY(xml.mid(int(pieces.pieces().at(i).from)).startsWith("<x:row "));
        }
        const QByteArray skeleton = pieces.skeleton();
        QCOMPARE(skeleton, "<x:worksheet xmlns:x=\"" + kMain +
                               "\"><x:sheetData></x:sheetData></x:worksheet>");
        QCOMPARE(pieces.partOffset(pieces.contentFrom()), pieces.contentTo());
        QCOMPARE(pieces.partOffset(3), qint64(3));
    }

    void nothingToCut_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::newRow("no table") << QByteArray("<worksheet><cols/></worksheet>");
        QTest::newRow("self-closing table") << QByteArray("<worksheet><sheetData/></worksheet>");
        QTest::newRow("table never ends") << QByteArray("<worksheet><sheetData><row r=\"1\"/>");
        QTest::newRow("name that only begins alike")
            << QByteArray("<worksheet><sheetDatas><row/></sheetDatas></worksheet>");
    }
    void nothingToCut()
    {
        QFETCH(QByteArray, xml);
        QVERIFY(!XmlPieces(xml, "sheetData", "row", 4).isValid());
    }

    // The made-up elements declare the namespaces exactly, tabs and line
    // breaks in their names included.
    void openingDeclaresTheScopes()
    {
        QXmlStreamNamespaceDeclarations outer{
            QXmlStreamNamespaceDeclaration(QString(), QString::fromLatin1(kMain)),
            QXmlStreamNamespaceDeclaration(QStringLiteral("a"), QStringLiteral("urn:a\t&\"<\n"))};
        QXmlStreamNamespaceDeclarations inner{
            QXmlStreamNamespaceDeclaration(QStringLiteral("a"), QStringLiteral("urn:inner"))};
        const QByteArray opening = XmlPieces::opening({outer, inner});
        QXmlStreamReader reader(opening + "<a:x/>" + XmlPieces::closing(2));
        QVector<QXmlStreamNamespaceDeclarations> seen;
        QString innermost;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement() && reader.name() == QLatin1String("x"))
                innermost = reader.namespaceUri().toString();
            else if (reader.isStartElement())
                seen.append(reader.namespaceDeclarations());
        }
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        QCOMPARE(seen, (QVector<QXmlStreamNamespaceDeclarations>{outer, inner}));
        QCOMPARE(innermost, QStringLiteral("urn:inner"));
        QCOMPARE(XmlPieces::characters("<é>"), qint64(3));
    }

    void piecesGiveTheCellsOfOnePass_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("takesPieces");
        QTest::newRow("every kind of cell") << worksheet(mixedRows(40)) << true;
        QTest::newRow("comments, instructions and CDATA among rows")
            << worksheet("<!-- <row r=\"999\"> --><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>"
                         "<![CDATA[<row r=\"2\"> & ]]></t></is></c></row>\n  <?keep <row ?>" +
                         mixedRows(30, 2)
                             .replace("</row><row", "</row><?pi <row?>\n<row")
                             .replace("<row r=\"12\"", "<!-- <row r=\"1\"> --><row r=\"12\""))
            << true;
        QTest::newRow("self-closing rows, cells without names, empty cells")
            << worksheet("<row r=\"1\"/><row r=\"2\"><c><v>1</v></c><c/><c s=\"3\"/><c><v>4</v>"
                         "</c></row><row r=\"3\"></row>" +
                         mixedRows(30, 4))
            << true;
        QByteArray prefixed = mixedRows(30);
        prefixed.replace("<row", "<s:row").replace("</row>", "</s:row>");
        prefixed.replace("<c ", "<s:c ").replace("</c>", "</s:c>");
        prefixed.replace("<v>", "<s:v>").replace("</v>", "</s:v>");
        prefixed.replace("<f", "<s:f").replace("</f>", "</s:f>");
        prefixed.replace("<is>", "<s:is>").replace("</is>", "</s:is>");
        prefixed.replace("<t>", "<s:t>").replace("</t>", "</s:t>");
        QTest::newRow("prefixed names")
            << QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\"?><s:worksheet xmlns:s=\"" + kMain +
                          "\"><s:dimension ref=\"A1:F30\"/><s:sheetData>" + prefixed +
                          "</s:sheetData></s:worksheet>")
            << true;
        QTest::newRow("namespaces declared on the table")
            << QByteArray("<worksheet xmlns=\"" + kMain +
                          "\"><sheetData xmlns:q=\"urn:q\" xmlns:x14ac=\"urn:x14ac\">" +
                          mixedRows(30).replace("spans=", "q:note=\"1\" x14ac:dyDescent=\"0.25\" "
                                                          "spans=") +
                          "</sheetData></worksheet>")
            << true;
        QTest::newRow("a later end of table inside a comment")
            << worksheet(mixedRows(30), QByteArray(),
                         "<!-- </sheetData> --><mergeCells count=\"0\"/>")
            << false;
        QTest::newRow("rows that do not tell their number")
            << worksheet(
                   QByteArray("<row><c t=\"inlineStr\"><is><t>x</t></is></c></row>").repeated(60))
            << false;
        QTest::newRow("nothing in the table but space") << worksheet(QByteArray(200, ' ')) << false;
    }
    void piecesGiveTheCellsOfOnePass()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, takesPieces);
        SheetModel once;
        QString why;
        bool inPieces = true;
        QVERIFY2(readSheet(xml, 1, &once, &why, &inPieces), qPrintable(why));
        QVERIFY(!inPieces);
        const QStringList expected = dump(once);
        bool anyInPieces = false;
        for (int pieces = 2; pieces <= 9; ++pieces) {
            SheetModel cut;
            QVERIFY2(readSheet(xml, pieces, &cut, &why, &inPieces), qPrintable(why));
            QCOMPARE(dump(cut), expected);
            anyInPieces = anyInPieces || inPieces;
        }
        QCOMPARE(anyInPieces, takesPieces);
    }

    // A piece that is off in any way sends the part to one pass, which
    // refuses it for the reason one pass finds.
    void badPartsAreRefusedAsOnePassRefusesThem_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QByteArray rows = mixedRows(30);
        QTest::newRow("rows out of order across pieces")
            << worksheet(rows + rows.mid(rows.indexOf("<row r=\"3\"")));
        QTest::newRow("unclosed element in the middle") << worksheet(QByteArray(rows).replace(
            "<c r=\"C15\" s=\"2\"><v>15.5</v></c>", "<c r=\"C15\" s=\"2\"><v>15.5</v>"));
        QTest::newRow("a second table inside the first") << worksheet(
            QByteArray(rows).replace("<row r=\"16\"", "</sheetData><sheetData><row r=\"16\""));
        QTest::newRow("content closing the made-up elements") << worksheet(QByteArray(rows).replace(
            "<row r=\"16\"", "</quorvane-piece-1><quorvane-piece-1><row r=\"16\""));
        QTest::newRow("prefix declared nowhere")
            << worksheet(QByteArray(rows).replace("<row r=\"20\"", "<row z:odd=\"1\" r=\"20\""));
        QTest::newRow("entity never declared")
            << worksheet(QByteArray(rows).replace("行 22", "&ghost;"));
        QTest::newRow("document type declaration")
            << worksheet(rows, QByteArray(), QByteArray(),
                         kDeclaration + "<!DOCTYPE worksheet [<!ENTITY e \"x\">]>");
        QTest::newRow("root that is no worksheet")
            << QByteArray(worksheet(rows)).replace("worksheet", "workbook");
        QTest::newRow("cell of another row")
            << worksheet(QByteArray(rows).replace("\"A25\"", "\"A24\""));
    }
    void badPartsAreRefusedAsOnePassRefusesThem()
    {
        QFETCH(QByteArray, xml);
        SheetModel once;
        QString expectedWhy;
        QVERIFY(!readSheet(xml, 1, &once, &expectedWhy, nullptr));
        QVERIFY(!expectedWhy.isEmpty());
        for (int pieces = 2; pieces <= 7; ++pieces) {
            SheetModel cut;
            QString why;
            bool inPieces = true;
            QVERIFY(!readSheet(xml, pieces, &cut, &why, &inPieces));
            QVERIFY(!inPieces);
            QCOMPARE(why, expectedWhy);
        }
    }

    void stringsInPiecesAreTheStringsOfOnePass_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("takesPieces");
        QByteArray items;
        for (int i = 0; i < 60; ++i) {
            const QByteArray n = QByteArray::number(i);
            items += "<si><t>plain " + n + "</t></si>";
            items += "<si><r><rPr><b/></rPr><t xml:space=\"preserve\">rich </t></r><r><t>" + n +
                     "</t></r><rPh sb=\"0\" eb=\"1\"><t>フリ</t></rPh></si>";
            items += "<!-- <si><t>not a string</t></si> --><si><t>line_x000D_break 文字 😀" + n +
                     "</t></si>\n";
        }
        const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst xmlns=\"" +
                                kMain + "\" count=\"180\" uniqueCount=\"180\">";
        QTest::newRow("plain, rich, phonetic, escaped") << head + items + "</sst>" << true;
        QTest::newRow("prefixed") << QByteArray("<x:sst xmlns:x=\"" + kMain + "\">" +
                                                QByteArray(items)
                                                    .replace("<si>", "<x:si>")
                                                    .replace("</si>", "</x:si>")
                                                    .replace("<t>", "<x:t>")
                                                    .replace("<t ", "<x:t ")
                                                    .replace("</t>", "</x:t>")
                                                    .replace("<r>", "<x:r>")
                                                    .replace("</r>", "</x:r>")
                                                    .replace("<rPr>", "<x:rPr>")
                                                    .replace("</rPr>", "</x:rPr>")
                                                    .replace("<b/>", "<x:b/>")
                                                    .replace("<rPh ", "<x:rPh ")
                                                    .replace("</rPh>", "</x:rPh>") +
                                                "</x:sst>")
                                  << true;
        QTest::newRow("root of another name")
            << QByteArray("<strings>" + items + "</strings>") << false;
        // Items plain enough to be taken from their bytes, alone and among
        // items that need the XML reader's work.
        QByteArray plain, mixed;
        for (int i = 0; i < 60; ++i) {
            const QByteArray n = QByteArray::number(i);
            plain += "<si><t>plain " + n + " 文字\tand</t></si>\n<si><t xml:space=\"preserve\"> " +
                     n + " </t></si><si><t></t></si>";
            mixed += "<si><t>plain " + n + "</t></si><si><t>a &amp; b &#x41;" + n +
                     "</t></si><si><t>cr\r\nlf</t></si><si><t>x_x0041_" + n +
                     "</t></si><si><t/></si><si><t>]] &gt; é</t></si>";
        }
        QTest::newRow("plain items") << head + plain + "</sst>" << true;
        QTest::newRow("plain items among others") << head + mixed + "</sst>" << true;
    }
    void stringsInPiecesAreTheStringsOfOnePass()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, takesPieces);
        TextPool once;
        QString why;
        bool inPieces = true;
        QVERIFY2(SharedStringsReader::read(xml, &once, &why, 1, &inPieces), qPrintable(why));
        QVERIFY(!inPieces);
        QVERIFY(once.size() >= 180);
        bool anyInPieces = false;
        for (int pieces = 2; pieces <= 9; ++pieces) {
            TextPool cut;
            QVERIFY2(SharedStringsReader::read(xml, &cut, &why, pieces, &inPieces),
                     qPrintable(why));
            QCOMPARE(dump(cut), dump(once));
            anyInPieces = anyInPieces || inPieces;
        }
        QCOMPARE(anyInPieces, takesPieces);
    }

    void badStringsAreRefusedAsOnePassRefusesThem_data()
    {
        QTest::addColumn<QByteArray>("xml");
        const QByteArray items = QByteArray("<si><t>item</t></si>").repeated(80);
        const QByteArray head = "<sst xmlns=\"" + kMain + "\">";
        QTest::newRow("unclosed item") << head + items + "<si><t>open</si>" + items + "</sst>";
        QTest::newRow("a second root made of the made-up names")
            << head + items + "</quorvane-piece-0><quorvane-piece-0>" + items + "</sst>";
        QTest::newRow("entity never declared") << head + items + "<si><t>&ghost;</t></si></sst>";
        QTest::newRow("document type declaration")
            << "<!DOCTYPE sst [<!ENTITY e \"x\">]>" + head + items + "</sst>";
        QTest::newRow("]]> in text") << head + items + "<si><t>a]]>b</t></si>" + items + "</sst>";
        QTest::newRow("noncharacter")
            << head + items + "<si><t>a\xEF\xBF\xBF</t></si>" + items + "</sst>";
        QTest::newRow("text longer than a cell holds")
            << head + items + "<si><t>" + QByteArray(32768, 'a') + "</t></si>" + items + "</sst>";
        QTest::newRow("control character")
            << head + items + "<si><t>a\x01</t></si>" + items + "</sst>";
    }
    void badStringsAreRefusedAsOnePassRefusesThem()
    {
        QFETCH(QByteArray, xml);
        TextPool once;
        QString expectedWhy;
        QVERIFY(!SharedStringsReader::read(xml, &once, &expectedWhy, 1));
        for (int pieces = 2; pieces <= 7; ++pieces) {
            TextPool cut;
            QString why;
            bool inPieces = true;
            QVERIFY(!SharedStringsReader::read(xml, &cut, &why, pieces, &inPieces));
            QVERIFY(!inPieces);
            QCOMPARE(why, expectedWhy);
        }
    }

    // Every sheet part of the workbooks the tests keep and of the dialects
    // they make, read both ways.
    void scannerReadsWorkbooksAsTheXmlReader()
    {
        using namespace WorkbookFixtures;
        QVector<QPair<QString, QByteArray>> parts;
        const auto addSheets = [&parts](const QString &from, const Parts &package) {
            for (const auto &entry : package) {
                if (entry.first.contains(QLatin1String("worksheets/")) &&
                    entry.first.endsWith(QLatin1String(".xml")))
                    parts.append({from + QLatin1Char(':') + entry.first, entry.second});
            }
        };
        for (const QString &folder : {QStringLiteral("."), QStringLiteral("../fuzz-seeds")}) {
            const QDir dir(dataPath(folder));
            for (const QString &file :
                 dir.entryList({QStringLiteral("*.xlsx"), QStringLiteral("*.xlsm")}, QDir::Files))
                addSheets(file, readPackage(dir.filePath(file)));
        }
        parts.append({QStringLiteral("sheet-part.xml"),
                      readFile(dataPath(QStringLiteral("../fuzz-seeds/sheet-part.xml")))});
        for (const Dialect &dialect : {Dialect{"", "", true}, Dialect{"x:", "x:", true},
                                       Dialect{"x:", "", true}, Dialect{"", "", false}})
            addSheets(QStringLiteral("dialect ") + dialect.prefix, dialectWorkbook(dialect));
        addSheets(QStringLiteral("rich"), richWorkbook());
        int scanned = 0;
        for (const auto &part : parts) {
            compareWithXmlReader(part.second, part.first);
            scanned += scansWhole(part.second);
        }
        QVERIFY(parts.size() >= 20);
        QVERIFY2(scanned * 2 >= parts.size(), qPrintable(QString::number(scanned)));
    }

    // Rows of small parts with what the scanner takes and what it leaves
    // to the XML reader (scanned false), in whole and in pieces.
    void scannerReadsAsTheXmlReader_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<bool>("scanned");
        const auto row = [](const QByteArray &cells) { return "<row r=\"1\">" + cells + "</row>"; };
        const auto inlineText = [&row](const QByteArray &text) {
            return row("<c r=\"A1\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>");
        };
        QTest::newRow("every kind of cell") << mixedRows(12) << true;
        QTest::newRow("predefined entities and numeric references")
            << inlineText("a&amp;b&lt;&gt;&quot;&apos; &#65;&#x42;&#x1F600;&#13;") +
                   "<row r=\"2\"><c r=\"A2\" t=\"str\"><v>x&#10;y&#9;</v></c></row>"
            << true;
        QTest::newRow("whitespace and &#13; around values")
            << row("<c r=\"A1\"><v> 12.5&#13;\n</v></c><c r=\"B1\" t=\"s\"><v>3</v></c>"
                   "<c r=\"C1\" t=\"b\"><v> true </v></c><c r=\"D1\"><v>  </v></c>"
                   "<c r=\"E1\" t=\"s\"><v>\t</v></c><c r=\"F1\"><v>-1.5E+300</v></c>")
            << true;
        QTest::newRow("spellings of numbers, indexes and booleans taken")
            << QByteArray("<row r=\"01\"><c r=\"A1\"><v>123456789012345678901234567890</v></c>"
                          "<c r=\"B1\"><v>2.2250738585072014e-308</v></c><c r=\"C1\"><v>"
                          "1.7976931348623157E+308</v></c><c r=\"D1\"><v>0.30000000000000004</v>"
                          "</c><c r=\"E1\"><v>-12.5e-3</v></c><c r=\"F1\" t=\"s\"><v>007</v>"
                          "</c><c r=\"G1\" t=\"b\"><v>TRUE</v></c><c r=\"H1\"><v>0.0</v></c>"
                          "<c r=\"I1\" s=\"0012\"><v>1E0300</v></c></row>")
            << true;
        QTest::newRow("empty values, self-closing cells and rows")
            << QByteArray("<row r=\"1\"/><row r=\"2\"><c r=\"A2\"/><c r=\"B2\" s=\"4\"><v/></c>"
                          "<c r=\"C2\" t=\"s\"><v></v></c><c r=\"D2\" t=\"inlineStr\"/>"
                          "<c r=\"E2\" t=\"inlineStr\"><is/></c><c r=\"F2\" t=\"b\"><v/></c>"
                          "<c r=\"G2\" t=\"inlineStr\"><v>9</v></c></row><row r=\"3\"></row>")
            << true;
        QTest::newRow("attributes in any order and quoting")
            << QByteArray(
                   "<row spans='1:2' r='1' x14ac:dyDescent=\"0.25\" ><c t='s' s=\"2\" "
                   "r='A1' ><v>0</v></c ><c s=\"1\"\n r=\"B1\" t=\"n\" a=\"x>y\"><v>1e-05</v>"
                   "</c></row >")
            << true;
        QTest::newRow("rows and cells without references")
            << QByteArray("<row><c><v>1</v></c><c t=\"inlineStr\"><is><t>x</t></is></c></row>"
                          "<row><c/><c><v>2</v><v>3</v></c></row>")
            << true;
        QTest::newRow("xml:space and rich text with phonetic runs")
            << row("<c r=\"A1\" t=\"inlineStr\"><is><r><rPr><b/><sz val=\"11\"/></rPr><t "
                   "xml:space=\"preserve\"> rich </t></r><r><t>run<u/>s</t></r><rPh sb=\"0\" "
                   "eb=\"1\"><t>ふり</t></rPh><phoneticPr fontId=\"1\"/></is></c>")
            << true;
        QTest::newRow("formula kinds")
            << row("<c r=\"A1\"><f>1+1</f><v>2</v></c><c r=\"B1\"><f t=\"shared\" ref=\"B1:B3\" "
                   "si=\"0\">A1</f><v>2</v></c><c r=\"C1\"><f t=\"shared\" si=\"12\"/></c><c "
                   "r=\"D1\"><f t=\"array\" ref=\"D1\">{1}</f><v>1</v></c><c r=\"E1\" t=\"str\">"
                   "<f>\"a\"</f><v>a_x0041__x000d__xD83D_</v></c><c r=\"F1\"><f t=\"dataTable\" "
                   "ref=\"F1\"/><v>3</v></c>")
            << true;
        QTest::newRow("errors and booleans")
            << row("<c r=\"A1\" t=\"e\"><v>#DIV/0!</v></c><c r=\"B1\" t=\"b\"><v>0</v></c>"
                   "<c r=\"C1\" t=\"b\"><v>yes</v></c><c r=\"D1\" t=\"b\"><v>1</v></c>")
            << true;
        QTest::newRow("other elements in the table, rows and cells")
            << QByteArray("<row r=\"1\"><c r=\"A1\"><v>1</v><extLst><ext uri=\"x\"><y a=\"1\">t"
                          "</y></ext></extLst></c><extLst/></row><foo r=\"2\"><c r=\"A2\"><v>9</v>"
                          "</c></foo> text ")
            << true;
        const QByteArray emoji = "\xF0\x9F\x98\x80";
        QTest::newRow("text at the cell limit, a surrogate pair last")
            << inlineText(QByteArray(32765, 'a') + emoji) << true;
        QTest::newRow("text beyond the cell limit")
            << inlineText(QByteArray(32766, 'a') + emoji) << false;
        QTest::newRow("escapes spelling a full cell")
            << inlineText(QByteArray("_x0041_").repeated(32767)) << true;
        QTest::newRow("dates") << row("<c r=\"A1\" t=\"d\"><v>2024-01-02T03:04:05</v></c>")
                               << false;
        QTest::newRow("comment") << row("<!-- x --><c r=\"A1\"><v>1</v></c>") << false;
        QTest::newRow("CDATA") << row("<c r=\"A1\" t=\"str\"><v><![CDATA[x]]></v></c>") << false;
        QTest::newRow("processing instruction") << row("<?pi x?>") << false;
        QTest::newRow("entity of no definition") << inlineText("&nbsp;") << false;
        QTest::newRow("prefixed element") << row("<x14ac:c r=\"A1\"/>") << false;
        QTest::newRow("undeclared attribute prefix") << row("<c r=\"A1\" z:odd=\"1\"/>") << false;
        QTest::newRow("namespace declared on a row")
            << QByteArray("<row r=\"1\" xmlns:q=\"urn:q\" q:a=\"1\"/>") << false;
        QTest::newRow("attribute twice") << row("<c r=\"A1\" r=\"A1\"/>") << false;
        QTest::newRow("carriage return") << row("<c r=\"A1\" t=\"str\"><v>a\r\nb</v></c>") << false;
        QTest::newRow("space around =") << row("<c r = \"A1\"/>") << false;
        QTest::newRow("non-ASCII name") << row("<c r=\"A1\"><vé>1</vé></c>") << false;
        QTest::newRow("markup in a value") << row("<c r=\"A1\"><v>1<x/>2</v></c>") << false;
        QTest::newRow("absolute reference") << row("<c r=\"$A$1\"/>") << false;
        QTest::newRow("lower-case reference") << row("<c r=\"a1\"/>") << false;
        for (const char *number : {"+1", ".5", "-0", "1e-400", "1e400", "1,5", "00"})
            QTest::newRow(number) << row(QByteArray("<c r=\"A1\"><v>") + number + "</v></c>")
                                  << false;
        QTest::newRow("shared index in spaces")
            << row("<c r=\"A1\" t=\"s\"><v> 3 </v></c>") << false;
        QTest::newRow("reference in an attribute") << row("<c r=\"A1\" s=\"&#49;\"/>") << false;
        QTest::newRow("tab in a type") << row("<c r=\"A1\" t=\"s\t\"/>") << false;
        QTest::newRow("control character") << inlineText("&#1;") << false;
        QTest::newRow("C1 control") << inlineText("a\xC2\x85") << false;
        QTest::newRow("unclosed cell") << row("<c r=\"A1\"><v>1</v>") << false;
        QTest::newRow("end tag of another name") << row("<c r=\"A1\"><v>1</v></x>") << false;
        QTest::newRow("end of the table among the rows")
            << mixedRows(3) + "</sheetData><sheetData>" + mixedRows(3, 4) << false;
        QTest::newRow("cut inside a comment that hides a row")
            << mixedRows(12) + "<!-- <row r=\"99\"><c/></row> -->" + mixedRows(12, 13) << false;
    }
    void scannerReadsAsTheXmlReader()
    {
        QFETCH(QByteArray, rows);
        QFETCH(bool, scanned);
        const QByteArray xml = worksheet(rows).replace(
            "<worksheet xmlns=", "<worksheet xmlns:x14ac=\"urn:x14ac\" xmlns=");
        QCOMPARE(scansWhole(xml), scanned);
        compareWithXmlReader(xml, QString::fromLatin1(QTest::currentDataTag()));
    }

    // Whole words of ASCII are passed over at once: a fault is found at
    // whatever place it falls.
    void utf8FaultsAreFoundAnywhere()
    {
        const struct
        {
            QByteArray bytes;
            bool valid;
        } cases[] = {{"\xC3\xA9", true},  {"\xE6\x96\x87", true},  {"\xF0\x9F\x98\x80", true},
                     {"\x80", false},     {"\xC3", false},         {"\xE6\x96", false},
                     {"\xC0\xAF", false}, {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false},
                     {"\xFF", false}};
        for (const auto &c : cases) {
            for (int at = 0; at <= 17; ++at) {
                QByteArray data(at, 'a');
                data += c.bytes;
                QCOMPARE(Utf8::isValid(data), c.valid);
                data += QByteArray(17 - at, 'b');
                QCOMPARE(Utf8::isValid(data), c.valid);
            }
        }
        // A large part is checked in pieces side by side: characters and
        // faults across the places where it is cut.
        const qint64 size = qint64(4) << 20;
        QVERIFY(Utf8::isValid(QByteArray("\xE4\xB8\xAD").repeated(int(size / 3) + 1)));
        const int threads = OwnThread::share();
        for (const auto &c : cases) {
            for (int k = 1; k < threads; ++k) {
                for (int shift = -4; shift <= 4; ++shift) {
                    QByteArray data(int(size), 'a');
                    data.replace(int(size * k / threads) + shift, c.bytes.size(), c.bytes);
                    QCOMPARE(Utf8::isValid(data), c.valid);
                }
            }
        }
    }

    // Large parts are cut without being asked, into as many pieces as the
    // cores left by the jobs of a run allow: none when every core is taken.
    void largePartsAreCutAsTheCoresAllow()
    {
        QByteArray rows;
        QByteArray items;
        for (int r = 1; items.size() < 3 * XmlPieces::MinPieceSize; ++r) {
            const QByteArray n = QByteArray::number(r);
            rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"inlineStr\"><is><t>text " + n +
                    "</t></is></c><c r=\"B" + n + "\"><v>" + n + "</v></c></row>";
            items += "<si><t>string number " + n + "</t></si>";
        }
        const QByteArray sheetXml = worksheet(rows);
        const QByteArray stringsXml = "<sst>" + items + "</sst>";
        const bool coresToSpare = QThread::idealThreadCount() > 1;
        QCOMPARE(OwnThread::share(), QThread::idealThreadCount());

        SheetModel sheet;
        QString why;
        bool inPieces = false;
        QVERIFY2(SheetReader::read(sheetXml, &sheet, &why, 0, &inPieces), qPrintable(why));
        QCOMPARE(inPieces, coresToSpare);
        const int last = int(sheet.cells.rows().rbegin()->first);
        QCOMPARE(sheet.texts.at(sheet.cells.find(last, 1)->index),
                 QStringLiteral("text %1").arg(last));
        QCOMPARE(sheet.cells.cellCount(), qint64(2 * last));
        TextPool strings;
        QVERIFY(SharedStringsReader::read(stringsXml, &strings, &why, 0, &inPieces));
        QCOMPARE(inPieces, coresToSpare);
        QCOMPARE(strings.size(), last);
        QCOMPARE(strings.at(last - 1), QStringLiteral("string number %1").arg(last));

        QThreadPool *pool = QThreadPool::globalInstance();
        const int jobs = pool->maxThreadCount();
        QSemaphore finish;
        for (int i = 0; i < jobs; ++i)
            pool->start([&finish] { finish.acquire(); });
        QTRY_COMPARE(pool->activeThreadCount(), jobs);
        QCOMPARE(OwnThread::share(), qMax(1, QThread::idealThreadCount() / jobs));
        SheetModel busy;
        QVERIFY(SheetReader::read(sheetXml, &busy, &why, 0, &inPieces));
        QCOMPARE(inPieces, OwnThread::share() > 1);
        QCOMPARE(dump(busy), dump(sheet));
        TextPool busyStrings;
        QVERIFY(SharedStringsReader::read(stringsXml, &busyStrings, &why, 0, &inPieces));
        QCOMPARE(dump(busyStrings), dump(strings));
        finish.release(jobs);
        pool->waitForDone();
    }
};

QTEST_GUILESS_MAIN(TestPieceReading)
#include "tst_piecereading.moc"
