// Excel 97-2003 workbooks read into the cell model: sheets, the active sheet,
// every kind of cell record shown as the spreadsheet application shows it,
// strings spread over CONTINUE records, and what is refused.
#include "WorkbookFixtures.h"
#include "XlsMaker.h"
#include "model/WorkbookDocument.h"
#include "xls/BiffRecords.h"
#include "xls/XlsLayout.h"
#include "xls/XlsReader.h"

#include <QtTest>

using namespace WorkbookFixtures;

namespace {

struct Read
{
    WorkbookDocument document;
    XlsLayout layout;
    QString why;
    bool ok = false;
    explicit Read(const QByteArray &bytes)
    {
        ok = XlsReader::read(bytes, &document, &layout, &why);
    }
    QString text(int sheet, const QString &name)
    {
        CellBlock block;
        CellAddress::parseBlock(name, &block);
        const SheetModel *model = document.sheets.at(sheet);
        return document.displayText(*model, model->cells.find(block.top, block.left));
    }
};

// A workbook whose stream is large enough for its strings and sheets to be
// read side by side: sheets of text cells, each its own shared string,
// narrow and wide ones, many spread over two records.
constexpr int LargeSheets = 3, LargeRows = 4000, LargeColumns = 10;

QString largeText(int row, int column)
{
    return column % 2 ? QStringLiteral("r%1 c%2 café").arg(row).arg(column)
                      : QStringLiteral("r%1 c%2 字").arg(row).arg(column);
}

// The workbook with its stream changed by `damage`.
QByteArray withStream(const Read &good, const std::function<void(QByteArray &)> &damage)
{
    QByteArray stream = good.layout.stream;
    damage(stream);
    QByteArray file;
    QString why;
    good.layout.container.replaceStream(good.layout.workbookEntry, stream, &file, &why);
    return file;
}

// Where the first record of a type starts in a stream.
quint32 recordOf(const QByteArray &stream, quint16 type)
{
    BiffRecordReader reader(stream, 0);
    BiffRecord record;
    while (reader.next(&record) && record.type != type) {
    }
    return record.offset;
}

} // namespace

class TestXlsReader : public QObject
{
    Q_OBJECT
    QByteArray m_large;

private slots:
    void initTestCase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.xls"));
        QVERIFY(XlsMaker::writeTextWorkbook(path, {"One", "Two", "Three"}, LargeRows, LargeColumns,
                                            largeText));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        m_large = file.readAll();
        QVERIFY(m_large.size() > 2 * 1048576);
    }

    void showsEveryCellRecord_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("shown");
        const QList<std::tuple<const char *, int, const char *, QString>> rows{
            {"basic.xls", 0, "A1", QStringLiteral("apple pie")},
            {"basic.xls", 0, "A2", QStringLiteral("apple pie")},
            {"basic.xls", 0, "A3", QStringLiteral("中文字符")},
            {"basic.xls", 0, "B1", QStringLiteral("TRUE")},
            {"basic.xls", 0, "B2", QStringLiteral("FALSE")},
            {"basic.xls", 0, "C1", QString()},
            {"basic.xls", 0, "B4", QStringLiteral("shared")},
            {"basic.xls", 0, "A5", QStringLiteral("rich text")},
            {"basic.xls", 0, "D9", QString()},
            {"basic.xls", 1, "A1", QStringLiteral("1,234.50")},
            {"basic.xls", 1, "A2", QStringLiteral("25%")},
            {"basic.xls", 1, "A3", QStringLiteral("2023-03-15")},
            {"basic.xls", 1, "A4", QStringLiteral("3")},
            {"basic.xls", 1, "A5", QStringLiteral("-1.5")},
            {"basic.xls", 1, "A6", QStringLiteral("1.23457E+11")},
            {"basic.xls", 1, "A7", QStringLiteral("0.3")},
            {"basic.xls", 1, "A8", QStringLiteral("6:00 PM")},
            {"basic.xls", 1, "A9", QStringLiteral("7.00")},
            {"basic.xls", 1, "D1", QStringLiteral("14")},
            {"dates1904.xls", 0, "A1", QStringLiteral("1904-01-01")},
            {"dates1904.xls", 0, "A2", QStringLiteral("2021-09-23 12:00")},
            {"records.xls", 0, "A2", QStringLiteral("10")},
            {"records.xls", 0, "B2", QStringLiteral("123.45")},
            {"records.xls", 0, "A3", QStringLiteral("label text")},
            {"records.xls", 0, "B3", QStringLiteral("标签")},
            {"records.xls", 0, "A4", QStringLiteral("rich label")},
            {"records.xls", 0, "A5", QStringLiteral("TRUE")},
            {"records.xls", 0, "B5", QStringLiteral("#DIV/0!")},
            {"records.xls", 0, "A6", QStringLiteral("cached text")},
            {"records.xls", 0, "B6", QStringLiteral("TRUE")},
            {"records.xls", 0, "C6", QStringLiteral("#N/A")},
            {"records.xls", 0, "D6", QStringLiteral("2.5")},
            {"records.xls", 0, "A7", QStringLiteral("漢字")},
            {"records.xls", 2, "A1", QStringLiteral("other")},
            {"strings.xls", 0, "A1", QString(10000, QLatin1Char('x'))},
            {"strings.xls", 0, "A2", QString(5000, QChar(0x957F))},
            {"strings.xls", 0, "A3",
             QStringLiteral("ab") + QString(4100, QChar(0x957F)) + QStringLiteral("cd")},
            {"strings.xls", 0, "A3003", QStringLiteral("string number 2999")},
            {"strings.xls", 0, "B3003", QStringLiteral("wide 字 2999")},
            {"libreoffice.xls", 0, "B1", QStringLiteral("名称")},
            {"libreoffice.xls", 0, "C2", QStringLiteral("1,234.50")},
            {"libreoffice.xls", 0, "D3", QStringLiteral("2024-02-29")},
            {"libreoffice.xls", 0, "D4", QStringLiteral("2021-09-23 18:30")},
            {"libreoffice.xls", 0, "E5", QStringLiteral("12.5%")},
            {"libreoffice.xls", 0, "C6", QStringLiteral("1,000,001,228.75")},
            {"libreoffice.xls", 0, "A8", QStringLiteral("merged heading apple")},
            {"libreoffice.xls", 1, "A2", QStringLiteral("长文本").repeated(3000)},
            {"libreoffice.xls", 1, "F1", QStringLiteral("TRUE")},
            {"libreoffice.xls", 1, "F2", QStringLiteral("mixed 中文 and Latin apple x")},
            {"libreoffice.xls", 1, "D204", QStringLiteral("条目 199")},
            {"libreoffice.xls", 2, "G39", QStringLiteral("273")},
            {"libreoffice.xls", 2, "H1", QStringLiteral("3.142")},
            // The later of two records for a cell is the one shown.
            {"superseded.xls", 0, "B2", QStringLiteral("2023-03-15")},
            {"superseded.xls", 0, "C2", QStringLiteral("a text cell")},
            {"superseded.xls", 0, "B3", QStringLiteral("late text")},
            {"superseded.xls", 0, "C3", QStringLiteral("3")},
            {"superseded.xls", 0, "C4", QStringLiteral("2023-01-01")},
            {"superseded.xls", 0, "B5", QStringLiteral("5")},
            {"superseded.xls", 0, "A9", QStringLiteral("8.5")},
            {"empty-label.xls", 0, "C1", QStringLiteral("after the empty one")},
            {"empty-string.xls", 0, "C1", QStringLiteral("after the empty one")},
            {"empty-string.xls", 0, "D3", QStringLiteral("below")},
            {"superseded-anchor.xls", 0, "A1", QStringLiteral("42")},
            {"superseded-anchor.xls", 0, "B1", QStringLiteral("late text")},
            {"mini-stream-size.xls", 0, "A1", QStringLiteral("small apple")},
            {"mini-stream-size.xls", 0, "A2", QStringLiteral("2.5")},
            {"book-stream.xls", 0, "A1", QStringLiteral("book apple")},
            {"book-stream.xls", 0, "B1", QStringLiteral("3")},
        };
        for (const auto &[file, sheet, cell, shown] : rows)
            QTest::newRow(qPrintable(QStringLiteral("%1 %2 %3").arg(file).arg(sheet).arg(cell)))
                << QString::fromLatin1(file) << sheet << QString::fromLatin1(cell) << shown;
    }
    void showsEveryCellRecord()
    {
        QFETCH(QString, file);
        QFETCH(int, sheet);
        QFETCH(QString, cell);
        QFETCH(QString, shown);
        Read read(fixtureBytes(file));
        QVERIFY2(read.ok, qPrintable(read.why));
        QCOMPARE(read.text(sheet, cell), shown);
    }

    void readsEveryStringOfALargeTable()
    {
        Read read(fixtureBytes(QStringLiteral("strings.xls")));
        QVERIFY(read.ok);
        const SheetModel &sheet = *read.document.sheets.at(0);
        for (int i = 0; i < 3000; ++i) {
            QCOMPARE(read.text(0, QStringLiteral("A%1").arg(i + 4)),
                     QStringLiteral("string number %1").arg(i));
            QCOMPARE(read.text(0, QStringLiteral("B%1").arg(i + 4)),
                     QStringLiteral("wide 字 %1").arg(i));
        }
        QCOMPARE(sheet.cells.cellCount(), qint64(6003));
    }

    void readsEveryCellOfALargeWorkbook()
    {
        Read read(m_large);
        QVERIFY2(read.ok, qPrintable(read.why));
        QCOMPARE(read.document.sheets.size(), LargeSheets);
        QCOMPARE(read.document.sharedStrings.size(), LargeSheets * LargeRows * LargeColumns);
        for (int s = 0; s < LargeSheets; ++s) {
            const SheetModel &sheet = *read.document.sheets.at(s);
            QCOMPARE(sheet.cells.cellCount(), qint64(LargeRows) * LargeColumns);
            for (const auto &row : sheet.cells.rows()) {
                for (const Cell &cell : row.second.cells) {
                    QCOMPARE(read.document.displayText(sheet, &cell),
                             largeText(s * LargeRows + row.first, cell.column));
                }
            }
        }
    }

    // EXTSST only hints where strings start: wrong, the table reads the same.
    void readsTheStringsWhateverTheirIndexSays_data()
    {
        QTest::addColumn<int>("field"); // of each bucket: 0 the offset
        QTest::addColumn<int>("change");
        QTest::newRow("offsets a byte on") << 0 << 1;
        QTest::newRow("offsets those of the next bucket") << 0 << -1;
        QTest::newRow("offsets past the stream") << 0 << 0x7FFFFFF0;
        QTest::newRow("strings per bucket one more") << -1 << 1;
    }

    void readsTheStringsWhateverTheirIndexSays()
    {
        QFETCH(int, field);
        QFETCH(int, change);
        Read good(m_large);
        QVERIFY(good.ok);
        Read read(withStream(good, [&](QByteArray &stream) {
            const int data = int(recordOf(stream, Biff::ExtSst)) + 4;
            const int buckets = (Biff::u16(stream.constData() + data - 2) - 2) / 8;
            if (field < 0)
                Biff::patch16(&stream, data,
                              quint16(Biff::u16(stream.constData() + data) + change));
            for (int b = 0; field == 0 && b < buckets; ++b) {
                const int at = data + 2 + 8 * b;
                const quint32 next = b + 1 < buckets ? Biff::u32(stream.constData() + at + 8) : 0;
                Biff::patch32(&stream, at,
                              change < 0 ? next : Biff::u32(stream.constData() + at) + change);
            }
        }));
        QVERIFY2(read.ok, qPrintable(read.why));
        QCOMPARE(read.document.sharedStrings.size(), good.document.sharedStrings.size());
        for (int i = 0; i < good.document.sharedStrings.size(); ++i)
            QCOMPARE(read.document.sharedStrings.at(i), good.document.sharedStrings.at(i));
    }

    // Damage in several places of a workbook read side by side is reported
    // as a reader going record by record meets it first.
    void reportsTheFirstDamageOfALargeWorkbook_data()
    {
        QTest::addColumn<QStringList>("damages");
        QTest::addColumn<QString>("reason");
        const QString cell = QStringLiteral("damaged cell record");
        QTest::newRow("string index, then a later sheet's BOF")
            << QStringList{"index 1", "bof 2"} << cell;
        QTest::newRow("BOF, then a later sheet's string index")
            << QStringList{"bof 0", "index 2"} << QStringLiteral("no BOF record where one belongs");
        QTest::newRow("string index, then the same sheet's end")
            << QStringList{"index 0", "eof 0"} << cell;
        QTest::newRow("sheet end, then a later sheet's string index")
            << QStringList{"eof 1", "index 2"} << QStringLiteral("damaged sheet records");
        QTest::newRow("string table, then the first sheet")
            << QStringList{"strings", "bof 0"} << QStringLiteral("damaged shared-string table");
    }

    void reportsTheFirstDamageOfALargeWorkbook()
    {
        QFETCH(QStringList, damages);
        QFETCH(QString, reason);
        Read good(m_large);
        QVERIFY(good.ok);
        const QByteArray file = withStream(good, [&](QByteArray &stream) {
            for (const QString &damage : damages) {
                const int s = damage.section(QLatin1Char(' '), 1).toInt();
                const XlsLayout::Sheet &place = good.layout.sheets.value(s);
                if (damage.startsWith(QLatin1String("index")))
                    Biff::patch32(&stream,
                                  int(good.document.sheets.at(s)->cells.find(1, 1)->start) + 10,
                                  0xFFFFFF00u);
                else if (damage.startsWith(QLatin1String("bof")))
                    stream[int(place.start)] = 0;
                else if (damage.startsWith(QLatin1String("eof")))
                    Biff::patch16(&stream, int(place.end) - 2, 0x7FF0);
                else
                    Biff::patch32(&stream, int(recordOf(stream, Biff::Sst)) + 8, 0x7FFFFFFF);
            }
        });
        Read read(file);
        QVERIFY(!read.ok);
        QCOMPARE(read.why, QStringLiteral("Excel 97-2003 workbook: ") + reason);
    }

    // Records out of row order (B1 after A2) land where they belong.
    void readsCellRecordsInAnyOrder()
    {
        Read good(m_large);
        QVERIFY(good.ok);
        const SheetCells &cells = good.document.sheets.at(0)->cells;
        const int b1 = int(cells.find(1, 2)->start), a2 = int(cells.find(2, 1)->start);
        Read read(withStream(good, [&](QByteArray &stream) {
            const QByteArray first = stream.mid(b1, 14);
            stream.replace(b1, 14, stream.mid(a2, 14));
            stream.replace(a2, 14, first);
        }));
        QVERIFY2(read.ok, qPrintable(read.why));
        for (int row = 1; row <= 3; ++row) {
            for (int column = 1; column <= LargeColumns; ++column)
                QCOMPARE(read.text(0, CellAddress::cellName(row, column)), largeText(row, column));
        }
        QCOMPARE(read.document.sheets.at(0)->cells.cellCount(), qint64(LargeRows) * LargeColumns);
    }

    void sheetsInTabOrderWithTheActiveOne()
    {
        Read read(fixtureBytes(QStringLiteral("records.xls")));
        QVERIFY2(read.ok, qPrintable(read.why));
        QCOMPARE(read.document.sheets.size(), 3);
        QCOMPARE(read.document.sheets.at(0)->name, QStringLiteral("Cells"));
        QCOMPARE(read.document.sheets.at(1)->name, QStringLiteral("Chart1"));
        QCOMPARE(read.document.sheets.at(1)->kind, SheetModel::Chartsheet);
        QCOMPARE(read.document.sheets.at(2)->kind, SheetModel::Worksheet);
        QCOMPARE(read.document.activeSheet, 1);
        QCOMPARE(read.layout.sheets.size(), 3);
        // The stream ends in padding after the last sheet's EOF.
        const quint32 end = read.layout.sheets.last().end;
        QCOMPARE(read.layout.stream.mid(int(end)),
                 QByteArray(read.layout.stream.size() - int(end), '\0'));

        // An empty LABEL without its option byte is an empty text.
        Read labels(fixtureBytes(QStringLiteral("empty-label.xls")));
        QVERIFY2(labels.ok, qPrintable(labels.why));
        for (const auto &[row, column] : {std::pair{1, 2}, std::pair{3, 1}}) {
            const Cell *empty = labels.document.sheets.at(0)->cells.find(row, column);
            QVERIFY(empty && empty->type == Cell::Text);
            QCOMPARE(labels.document.sheets.at(0)->texts.at(empty->index), QString());
        }

        Read basic(fixtureBytes(QStringLiteral("basic.xls")));
        QCOMPARE(basic.document.activeSheet, 0);
        QVERIFY(!basic.document.date1904);
        const CellBlock used = basic.document.sheets.at(0)->cells.usedBlock();
        QCOMPARE(CellAddress::blockName(used), QStringLiteral("A1:C5"));
        const Cell *formula = basic.document.sheets.at(0)->cells.find(1, 3);
        QCOMPARE(formula->formula, Cell::PlainFormula);
    }

    void refusesWhatIsNotABiff8Workbook_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray basic = fixtureBytes(QStringLiteral("basic.xls"));
        QTest::newRow("encrypted")
            << fixtureBytes(QStringLiteral("encrypted.xls")) << QStringLiteral("encrypted");
        QTest::newRow("encrypted package") << fixtureBytes(QStringLiteral("encrypted-package.xlsx"))
                                           << QStringLiteral("encrypted");
        QTest::newRow("Excel 5/95 Book stream")
            << fixtureBytes(QStringLiteral("biff5.xls")) << QStringLiteral("Excel 5/95");
        QTest::newRow("BIFF5 records in a Workbook stream")
            << fixtureBytes(QStringLiteral("biff5-in-workbook.xls")) << QStringLiteral("not BIFF8");
        QTest::newRow("damaged container")
            << basic.left(basic.size() / 3) << QStringLiteral("compound file");
        QTest::newRow("zip") << readFile(dataPath(QStringLiteral("basic.xlsx")))
                             << QStringLiteral("compound file");
    }
    void refusesWhatIsNotABiff8Workbook()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        Read read(bytes);
        QVERIFY(!read.ok);
        QVERIFY2(read.why.contains(reason), qPrintable(read.why));
    }

    // Damaged record streams are refused, never followed: every record's
    // length field in turn made to run past the stream.
    void refusesDamagedRecords()
    {
        Read good(fixtureBytes(QStringLiteral("records.xls")));
        QVERIFY(good.ok);
        const QByteArray stream = good.layout.stream;
        int refused = 0;
        for (int at = 0; at + 4 <= stream.size();) {
            const int length = Biff::u16(stream.constData() + at + 2);
            QByteArray damaged = stream;
            damaged[at + 2] = char(0xF0);
            damaged[at + 3] = char(0x7F);
            QByteArray file;
            QString why;
            QVERIFY(good.layout.container.replaceStream(good.layout.workbookEntry, damaged, &file,
                                                        &why));
            Read read(file);
            refused += read.ok ? 0 : 1;
            at += 4 + length;
        }
        QVERIFY(refused > 40);
    }
};

QTEST_GUILESS_MAIN(TestXlsReader)
#include "tst_xlsreader.moc"
