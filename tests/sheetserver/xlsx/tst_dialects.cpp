#include "AutomationClient.h"
#include "WorkbookFixtures.h"
#include "model/CellAddress.h"

#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace WorkbookFixtures;

Q_DECLARE_METATYPE(WorkbookFixtures::Dialect)

namespace {

const QString Main = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");

// A part as a namespace-aware reader independent of the server sees it:
// only elements of the main namespace count, whatever their prefixes.
struct Reading
{
    QStringList stray;   // elements in no namespace at all: what readers skip
    QStringList strings; // the items of a shared-string table
    QStringList cells;   // "A1=text" for each cell with a value; a formula as "=..."
    QStringList chain;   // "sheet id!cell" for each entry of a calculation chain
};

Reading read(const QByteArray &xml, const QStringList &strings = {})
{
    Reading reading;
    QXmlStreamReader reader(xml);
    int row = 0, column = 0, phonetic = 0;
    QString sheetId, reference, type, formula, value, text;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (reader.namespaceUri().isEmpty() && token == QXmlStreamReader::StartElement)
            reading.stray.append(reader.qualifiedName().toString());
        if (reader.namespaceUri() != Main)
            continue;
        const QStringRef name = reader.name();
        const QXmlStreamAttributes a = reader.attributes();
        if (token == QXmlStreamReader::EndElement) {
            if (name == QLatin1String("rPh"))
                --phonetic;
            if (name == QLatin1String("si"))
                reading.strings.append(text);
            if (name == QLatin1String("c")) {
                const QString shown = !formula.isEmpty() ? QLatin1Char('=') + formula
                                      : type == QLatin1String("s")
                                          ? strings.value(value.toInt(), QStringLiteral("?"))
                                      : type == QLatin1String("inlineStr") ? text
                                                                           : value;
                if (!shown.isEmpty())
                    reading.cells.append(reference + QLatin1Char('=') + shown);
            }
        } else if (token != QXmlStreamReader::StartElement) {
            continue;
        } else if (name == QLatin1String("row")) {
            row =
                a.hasAttribute(QLatin1String("r")) ? a.value(QLatin1String("r")).toInt() : row + 1;
            column = 0;
        } else if (name == QLatin1String("c")) {
            int r = row;
            if (!a.hasAttribute(QLatin1String("r")) ||
                !CellAddress::parseCell(a.value(QLatin1String("r")), &r, &column))
                ++column;
            reference = CellAddress::cellName(r, column);
            if (a.hasAttribute(QLatin1String("i")))
                sheetId = a.value(QLatin1String("i")).toString();
            reading.chain.append(sheetId + QLatin1Char('!') + a.value(QLatin1String("r")));
            type = a.value(QLatin1String("t")).toString();
            formula.clear();
            value.clear();
            text.clear();
        } else if (name == QLatin1String("si")) {
            text.clear();
        } else if (name == QLatin1String("rPh")) {
            ++phonetic;
        } else if (name == QLatin1String("f")) {
            formula = reader.readElementText();
        } else if (name == QLatin1String("v")) {
            value = reader.readElementText();
        } else if (name == QLatin1String("t") && phonetic == 0) {
            text += reader.readElementText();
        }
    }
    reading.cells.sort();
    return reading;
}

} // namespace

// Workbooks as other programs write them: whatever the server writes into
// them speaks their dialect, so every reader finds every cell in its place.
class TestDialects : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    }

    void editedCellsStayReadable_data()
    {
        QTest::addColumn<QString>("producer"); // a file of tests/data, or made here
        QTest::addColumn<Dialect>("dialect");
        QTest::newRow("default namespace") << QString() << Dialect{"", "", true};
        QTest::newRow("prefix everywhere") << QString() << Dialect{"x:", "x:", true};
        QTest::newRow("prefix on the root, default below") << QString() << Dialect{"x:", "", true};
        QTest::newRow("prefix, no references") << QString() << Dialect{"x:", "x:", false};
        QTest::newRow("openpyxl") << QStringLiteral("openpyxl.xlsx") << Dialect();
        QTest::newRow("xlsxwriter") << QStringLiteral("xlsxwriter.xlsx") << Dialect();
    }
    void editedCellsStayReadable()
    {
        QFETCH(QString, producer);
        QFETCH(Dialect, dialect);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("book.xlsx"));
        if (producer.isEmpty())
            QVERIFY(writePackage(path, dialectWorkbook(dialect)));
        else
            path = copy(producer, dir.path());
        {
            ServerSession session(path);
            QVERIFY(!session.book->isNull());
            session.cell(1, QStringLiteral("C1"))->dynamicCall("ClearContents()");
            session.set(1, QStringLiteral("E1"), QStringLiteral("new cell"));
            session.set(1, QStringLiteral("B2"), QStringLiteral("typed"));
            session.set(1, QStringLiteral("B4"), QStringLiteral("new in styled row"));
            session.set(1, QStringLiteral("B6"), QStringLiteral("new row"));
            session.sheet(1)
                ->querySubObject("UsedRange")
                ->dynamicCall(
                    "Replace(const QVariant&, const QVariant&, const QVariant&, const QVariant&, "
                    "const QVariant&)",
                    {QStringLiteral("apple"), QStringLiteral("pear"), 2, 1, true});
            QVERIFY(session.save());
        }
        const QStringList expected = {"A1=pear pie",          "A2=7",       "A3=8",
                                      "B1=green pear",        "B2=typed",   "B3==A3*2",
                                      "B4=new in styled row", "B6=new row", "C2=crab pear",
                                      "C3==SUM(A2:A3)",       "D1=keep",    "E1=new cell"};

        const Reading sheet =
            read(entry(path, QStringLiteral("xl/worksheets/sheet1.xml")),
                 read(entry(path, QStringLiteral("xl/sharedStrings.xml"))).strings);
        QCOMPARE(sheet.stray, QStringList());
        QCOMPARE(sheet.cells, expected);
        const QByteArray chainPart = entry(path, QStringLiteral("xl/calcChain.xml"));
        if (!chainPart.isEmpty()) {
            const Reading chain = read(chainPart);
            QCOMPARE(chain.stray, QStringList());
            QCOMPARE(chain.chain, QStringList({"1!B3", "1!C3"}));
        }

        QString output;
        QVERIFY(runPython(QStringLiteral("import openpyxl\n"
                                         "sheet = openpyxl.load_workbook(%1).worksheets[0]\n"
                                         "for row in sheet.iter_rows():\n"
                                         "    for c in row:\n"
                                         "        if c.value is not None:\n"
                                         "            print(f'{c.coordinate}={c.value}')\n")
                              .arg(QLatin1Char('\'') + path + QLatin1Char('\'')),
                          &output));
        QStringList openpyxlCells = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        openpyxlCells.sort();
        QCOMPARE(openpyxlCells, expected);
    }
};

QTEST_GUILESS_MAIN(TestDialects)
#include "tst_dialects.moc"
