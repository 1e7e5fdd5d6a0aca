#include "AutomationClient.h"
#include "CellAddress.h"
#include "WorkbookFixtures.h"

#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace WorkbookFixtures;

Q_DECLARE_METATYPE(WorkbookFixtures::Dialect)

namespace {

const QString Main = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");

// A namespace-aware reading of saved parts, independent of the server:
// only elements of the main namespace count, wherever their prefixes are.
class PartReading
{
public:
    explicit PartReading(const QByteArray &xml) : m_reader(xml) {}

    // Every element in no namespace at all: what readers skip.
    QStringList stray()
    {
        QStringList names;
        while (next())
            if (m_reader.namespaceUri().isEmpty())
                names.append(m_reader.qualifiedName().toString());
        return names;
    }
    QStringList sharedStrings()
    {
        QStringList items;
        while (next())
            if (isMain("si"))
                items.append(itemText());
        return items;
    }
    // "A1=text" for every cell with a value or a formula ("=" and its text).
    QStringList cells(const QStringList &strings)
    {
        QStringList cells;
        int row = 0, column = 0;
        while (next()) {
            const QXmlStreamAttributes a = m_reader.attributes();
            if (isMain("row")) {
                row = a.hasAttribute(QLatin1String("r")) ? a.value(QLatin1String("r")).toInt()
                                                         : row + 1;
                column = 0;
            } else if (isMain("c")) {
                int r = row;
                if (!a.hasAttribute(QLatin1String("r")))
                    ++column;
                else if (!CellAddress::parseCell(a.value(QLatin1String("r")), &r, &column))
                    column = -1;
                const QString text = cellText(a.value(QLatin1String("t")).toString(), strings);
                if (!text.isEmpty())
                    cells.append(CellAddress::cellName(r, column) + QLatin1Char('=') + text);
            }
        }
        cells.sort();
        return cells;
    }
    // "sheet id!cell" for every entry of a calculation chain.
    QStringList chain()
    {
        QStringList entries;
        QString sheetId;
        while (next()) {
            const QXmlStreamAttributes a = m_reader.attributes();
            if (!isMain("c"))
                continue;
            if (a.hasAttribute(QLatin1String("i")))
                sheetId = a.value(QLatin1String("i")).toString();
            entries.append(sheetId + QLatin1Char('!') + a.value(QLatin1String("r")).toString());
        }
        return entries;
    }

private:
    bool next()
    {
        while (!m_reader.atEnd())
            if (m_reader.readNext() == QXmlStreamReader::StartElement)
                return true;
        return false;
    }
    bool isMain(const char *name) const
    {
        return m_reader.namespaceUri() == Main && m_reader.name() == QLatin1String(name);
    }
    // Of the element the reader stands on: its texts, phonetic runs left out.
    QString itemText()
    {
        QString text;
        int skip = 0;
        for (int depth = 1; depth > 0 && !m_reader.atEnd();) {
            const QXmlStreamReader::TokenType token = m_reader.readNext();
            if (token == QXmlStreamReader::StartElement && isMain("t") && skip == 0) {
                text += m_reader.readElementText();
            } else if (token == QXmlStreamReader::StartElement) {
                ++depth;
                if (isMain("rPh") && skip == 0)
                    skip = depth;
            } else if (token == QXmlStreamReader::EndElement) {
                if (depth-- == skip)
                    skip = 0;
            }
        }
        return text;
    }
    QString cellText(const QString &type, const QStringList &strings)
    {
        QString formula, value, inlineText;
        for (int depth = 1; depth > 0 && !m_reader.atEnd();) {
            const QXmlStreamReader::TokenType token = m_reader.readNext();
            if (token == QXmlStreamReader::EndElement) {
                --depth;
            } else if (token == QXmlStreamReader::StartElement) {
                if (isMain("f"))
                    formula = m_reader.readElementText();
                else if (isMain("v"))
                    value = m_reader.readElementText();
                else if (isMain("is"))
                    inlineText = itemText();
                else
                    ++depth;
            }
        }
        if (!formula.isEmpty())
            return QLatin1Char('=') + formula;
        if (type == QLatin1String("s"))
            return strings.value(value.toInt(), QStringLiteral("(no such string)"));
        return type == QLatin1String("inlineStr") ? inlineText : value;
    }

    QXmlStreamReader m_reader;
};

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

        const QByteArray sheet = entry(path, QStringLiteral("xl/worksheets/sheet1.xml"));
        QCOMPARE(PartReading(sheet).stray(), QStringList());
        const QStringList strings =
            PartReading(entry(path, QStringLiteral("xl/sharedStrings.xml"))).sharedStrings();
        QCOMPARE(PartReading(sheet).cells(strings), expected);
        const QByteArray chain = entry(path, QStringLiteral("xl/calcChain.xml"));
        if (!chain.isEmpty()) {
            QCOMPARE(PartReading(chain).stray(), QStringList());
            QCOMPARE(PartReading(chain).chain(), QStringList({"1!B3", "1!C3"}));
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
        QStringList read = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        read.sort();
        QCOMPARE(read, expected);
    }
};

QTEST_GUILESS_MAIN(TestDialects)
#include "tst_dialects.moc"
