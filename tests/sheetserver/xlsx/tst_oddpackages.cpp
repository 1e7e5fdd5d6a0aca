#include "AutomationClient.h"
#include "WorkbookFixtures.h"
#include "files/WorkbookFile.h"
#include "model/OwnThread.h"
#include "model/ProcessMemory.h"
#include "model/Utf8.h"
#include "xlsx/PrefaultAhead.h"
#include "xlsx/ZipPackage.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <numeric>
#include <zlib.h>

using namespace WorkbookFixtures;
using RawEntry = WorkbookMaker::RawEntry;

Q_DECLARE_METATYPE(QList<RawEntry>)

namespace {

const QByteArray Main = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";

// A small workbook of text, entry by entry, with a part no reader takes
// apart (the application's properties) at the end.
QList<RawEntry> smallBook(const QByteArray &sheet = QByteArray(),
                          const QByteArray &strings = QByteArray())
{
    Parts parts = WorkbookMaker::textWorkbook(QStringLiteral("Data"), 2, 2, [](int r, int c) {
        return QStringLiteral("apple %1-%2").arg(r).arg(c);
    });
    for (auto &part : parts) {
        if (!sheet.isEmpty() && part.first.endsWith(QLatin1String("sheet1.xml")))
            part.second = sheet;
        if (!strings.isEmpty() && part.first.endsWith(QLatin1String("sharedStrings.xml")))
            part.second = strings;
    }
    parts.append({QStringLiteral("docProps/app.xml"),
                  WorkbookMaker::declaration() + "<Properties><Application>x</Application>" +
                      QByteArray(4000, ' ') + "</Properties>"});
    return WorkbookMaker::deflated(parts);
}

// A megabyte that deflates about 500 to 1, within the ratio allowed.
QByteArray bombBlock()
{
    QByteArray block(1 << 20, 'a');
    quint32 seed = 1;
    for (int i = 0; i < 2048; ++i) {
        seed = seed * 1103515245u + 12345u;
        block[i * 512] = char('a' + (seed >> 16) % 26);
    }
    return block;
}

// About a megabyte of `unit` repeated, every 257th unit `odd` with its '~'
// a random digit: enough disorder to deflate within the ratio allowed.
QByteArray bombOf(const QByteArray &unit, const QByteArray &odd)
{
    QByteArray block;
    quint32 seed = 1;
    while (block.size() < 1 << 20) {
        block += unit.repeated(256);
        seed = seed * 1103515245u + 12345u;
        block += QByteArray(odd).replace('~', QByteArray(1, char('0' + (seed >> 16) % 10)));
    }
    return block;
}

QByteArray sheetWith(const QByteArray &cells)
{
    return "<worksheet " + Main + "><sheetData><row r=\"1\">" + cells +
           "</row></sheetData></worksheet>";
}

// What "at once" allows: a second, three where the sanitizers slow every
// byte a bomb's watch scans and the suite's programs share the cores.
#ifdef __SANITIZE_ADDRESS__
constexpr qint64 AtOnce = 3000;
#else
constexpr qint64 AtOnce = 1000;
#endif

QByteArray stringsWith(const QByteArray &items)
{
    return "<sst " + Main + ">" + items + "</sst>";
}

} // namespace

// Packages that some producers write and others never do, and packages
// made to hurt: the first are read and rewritten exactly, the others
// refused at once, before anything is worked on, the file untouched.
class TestOddPackages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    }

    void excelVariantsAreReadAndRewritten_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sheets");
        QTest::addColumn<QStringList>("shown"); // "sheet!cell=text" before the Replace
        QTest::addColumn<QStringList>("after"); // every cell openpyxl reads afterwards
        QTest::addColumn<QStringList>("rewritten");
        QTest::addColumn<QByteArray>("kept"); // in a rewritten part, as it was
        QTest::newRow("sheets without a part")
            << "placeholder-sheet.xlsx" << 4
            << QStringList{"1!A1=apple pie", "1!B1=3", "4!A1=apple total"}
            << QStringList{"Data!A1=pear pie", "Data!B1=3", "Summary!A1=pear total"}
            << QStringList{"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml"}
            << QByteArray("<c r=\"B1\"><v>3</v></c>");
        QTest::newRow("UTF-16 parts")
            << "utf16-parts.xlsx" << 2
            << QStringList{"1!A1=apple pie", QStringLiteral("1!B1=青苹果 \U0001F34F apple"),
                           "1!C1=42",        "1!A2=crab apple",
                           "2!A1=apple",     "2!B2=14"}
            << QStringList{"Data!A1=pear pie", QStringLiteral("Data!B1=青苹果 \U0001F34F pear"),
                           "Data!C1=42",       "Data!A2=crab pear",
                           "Rest!A1=pear",     "Rest!A2=7",
                           "Rest!B2==A2*2"}
            << QStringList{"xl/sharedStrings.xml", "xl/worksheets/sheet1.xml",
                           "xl/worksheets/sheet2.xml"}
            << QByteArray("<c r=\"B2\"><f>A2*2</f><v>14</v></c>");
        QTest::newRow("shared-string cells without a value")
            << "empty-string-index.xlsx" << 1
            << QStringList{"1!A1=apple pie", "1!B1=", "1!C1=", "1!A2=crab apple"}
            << QStringList{"Data!A1=pear pie", "Data!A2=crab pear"}
            << QStringList{"xl/sharedStrings.xml"}
            << QByteArray("<c r=\"B1\" s=\"1\" t=\"s\"><v/></c><c r=\"C1\" t=\"s\"><v></v></c>");
    }
    void excelVariantsAreReadAndRewritten()
    {
        QFETCH(QString, file);
        QFETCH(int, sheets);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, after);
        QFETCH(QStringList, rewritten);
        QFETCH(QByteArray, kept);
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        const Parts before = readPackage(path);
        const auto rawBefore = rawEntries(path);
        {
            ServerSession session(path);
            QVERIFY(!session.book->isNull());
            QCOMPARE(session.book->querySubObject("Sheets")->dynamicCall("Count()").toInt(),
                     sheets);
            for (const QString &cell : shown) {
                const int bang = cell.indexOf(QLatin1Char('!')), equals = cell.indexOf('=');
                QCOMPARE(cell.left(bang + 1) + session.text(cell.left(bang).toInt(),
                                                            cell.mid(bang + 1, equals - bang - 1)),
                         cell.left(bang + 1) + cell.mid(equals + 1));
            }
            for (int n = 1; n <= sheets; ++n) {
                AutomationClient *used = session.sheet(n)->querySubObject("UsedRange");
                if (!used->isNull())
                    used->dynamicCall(
                        "Replace(const QVariant&, const QVariant&, const QVariant&, "
                        "const QVariant&, const QVariant&)",
                        {QStringLiteral("apple"), QStringLiteral("pear"), 2, 1, true});
            }
            QVERIFY(session.save());
        }
        // Every other entry keeps its stored bytes; a rewritten part is
        // UTF-8 and says so.
        const auto rawAfter = rawEntries(path);
        const Parts partsAfter = readPackage(path);
        QCOMPARE(rawAfter.size(), rawBefore.size());
        // What a sheet kept is in the part as it was or as it was rewritten.
        QByteArray keptIn;
        for (int i = 0; i < rawBefore.size(); ++i) {
            QCOMPARE(rawAfter.at(i).first, rawBefore.at(i).first);
            if (!rewritten.contains(rawBefore.at(i).first)) {
                QCOMPARE(rawAfter.at(i).second, rawBefore.at(i).second);
                keptIn += before.at(i).second;
                continue;
            }
            QVERIFY2(rawAfter.at(i).second != rawBefore.at(i).second,
                     qPrintable(rawBefore.at(i).first));
            const QByteArray xml = partsAfter.at(i).second;
            keptIn += xml;
            QVERIFY(Utf8::isValid(xml));
            const QByteArray root =
                rawBefore.at(i).first.contains("sharedStrings") ? "<sst" : "<worksheet";
            if (before.at(i).second.startsWith("\xFF\xFE") ||
                before.at(i).second.startsWith("\xFE\xFF"))
                QVERIFY(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" "
                                       "standalone=\"yes\"?>\r\n" +
                                       root));
        }
        QVERIFY(keptIn.contains(kept));
        QStringList cells;
        QVERIFY(openpyxlCells(path, false, &cells));
        QCOMPARE(cells, after);
    }

    void hostileOrDamagedPackagesAreRefusedAtOnce_data()
    {
        QTest::addColumn<QList<RawEntry>>("entries");
        QTest::addColumn<QString>("reason"); // empty: the package opens
        const QByteArray longest(32767, 'a');
        QList<RawEntry> entries = smallBook();
        for (int n : {0, 2, 3, 4, 5, 6, 7, 8, 9}) {
            RawEntry again = entries.at(4); // the sheet
            again.name.replace("sheet1", "sheet" + QByteArray::number(n));
            again.bodyOf = 4;
            entries.append(again);
        }
        QTest::newRow("one body named ten times") << entries << "share stored bytes";

        entries = smallBook();
        // Each within its own limits, together beyond what can be held.
        for (qint64 total = 0; total <= ZipPackage::maxTotalSize(); total += 1 << 30)
            entries.append({"xl/media/image" + QByteArray::number(entries.size()) + ".bin",
                            QByteArray((1 << 20) + 32768, '\x7f'), 8, 0, 1u << 30});
        QTest::newRow("parts beyond what can be held") << entries << "beyond what can be held";

        const QByteArray block = bombBlock();
        entries = smallBook();
        entries[5] =
            WorkbookMaker::repeated(QStringLiteral("xl/sharedStrings.xml"),
                                    "<sst " + Main + "><si><t>", block, 700, "</t></si></sst>");
        QTest::newRow("one shared string of 700 MB") << entries << "refused content";
        entries = smallBook();
        entries[4] = WorkbookMaker::repeated(
            QStringLiteral("xl/worksheets/sheet1.xml"),
            "<worksheet " + Main + "><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>",
            block, 700, "</t></is></c></row></sheetData></worksheet>");
        QTest::newRow("one inline string of 700 MB") << entries << "refused content";

        // Tens of millions of tiny cells, or one item of short runs.
        const struct
        {
            const char *row, *part, *head, *unit, *odd, *tail;
        } floods[] = {
            {"a gigabyte of tiny cells", "xl/worksheets/sheet1.xml",
             "<worksheet %1><sheetData><row>", "<c/>", "<c><v>~</v></c></row><row>",
             "</row></sheetData></worksheet>"},
            {"a gigabyte of tiny prefixed cells", "xl/worksheets/sheet1.xml",
             "<x:worksheet %x><x:sheetData><x:row>", "<x:c/>",
             "<x:c><x:v>~</x:v></x:c></x:row><x:row>", "</x:row></x:sheetData></x:worksheet>"},
            {"one shared string of 700 MB in short runs", "xl/sharedStrings.xml", "<sst %1><si>",
             "<r><t>ab</t></r>", "<r><t>~</t></r>", "</si></sst>"},
            {"one inline string of 700 MB in short runs", "xl/worksheets/sheet1.xml",
             "<worksheet %1><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is>",
             "<r><t>ab</t></r>", "<r><t>~</t></r>", "</is></c></row></sheetData></worksheet>"},
            {"one prefixed shared string of 700 MB, its end tags in CDATA", "xl/sharedStrings.xml",
             "<x:sst %x><x:si>", "<x:r><x:t><![CDATA[</x:si><x:si>]]></x:t></x:r>",
             "<x:r><x:t>~</x:t></x:r>", "</x:si></x:sst>"},
        };
        for (const auto &flood : floods) {
            entries = smallBook();
            const QString part = QString::fromLatin1(flood.part);
            const int index = part.startsWith(QLatin1String("xl/shared")) ? 5 : 4;
            QCOMPARE(QString::fromUtf8(entries.at(index).name), part);
            entries[index] = WorkbookMaker::repeated(
                part,
                QByteArray(flood.head)
                    .replace("%1", Main)
                    .replace("%x", QByteArray(Main).replace("xmlns=", "xmlns:x=")),
                bombOf(flood.unit, flood.odd), index == 4 ? 1000 : 700, flood.tail);
            QTest::newRow(flood.row) << entries << "refused content";
        }

        QTest::newRow("longest shared string")
            << smallBook({}, stringsWith("<si><t>" + longest + "</t></si>" +
                                         QByteArray("<si><t>b</t></si>").repeated(3)))
            << QString();
        QTest::newRow("shared string of the most runs, each with its properties")
            << smallBook({}, stringsWith("<si>" +
                                         QByteArray("<r><rPr><b/><i/><strike/><u val=\"double\"/>"
                                                    "<sz val=\"11\"/><color rgb=\"FF1F497D\"/>"
                                                    "<rFont val=\"Calibri\"/><family val=\"2\"/>"
                                                    "<charset val=\"1\"/><scheme val=\"minor\"/>"
                                                    "</rPr><t xml:space=\"preserve\">a</t></r>")
                                             .repeated(32767) +
                                         "</si>" + QByteArray("<si><t>b</t></si>").repeated(3)))
            << QString();
        QTest::newRow("shared string longer than a cell holds")
            << smallBook({}, stringsWith("<si><r><t>" + longest + "</t></r><r><t>b</t></r></si>" +
                                         QByteArray("<si><t>b</t></si>").repeated(3)))
            << "malformed shared string";
        QTest::newRow("longest inline string")
            << smallBook(
                   sheetWith("<c r=\"A1\" t=\"inlineStr\"><is><t>" + longest + "</t></is></c>"))
            << QString();
        QTest::newRow("inline string longer than a cell holds")
            << smallBook(sheetWith("<c r=\"A1\" t=\"inlineStr\"><is><t>" + longest +
                                   "_x0041_</t></is></c>"))
            << "malformed inline string";
        QTest::newRow("formula text longer than a cell holds")
            << smallBook(sheetWith("<c r=\"A1\" t=\"str\"><f>A2</f><v>" + longest + "b</v></c>"))
            << "longer than a cell holds";

        const QString sheet = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") +
                              QString::fromUtf8(sheetWith({}));
        const QByteArray utf16 =
            QByteArray("\xFF\xFE", 2) +
            QByteArray(reinterpret_cast<const char *>(sheet.utf16()), sheet.size() * 2);
        QTest::newRow("UTF-16 without a byte-order mark") << smallBook(utf16.mid(2)) << "not UTF-8";
        QTest::newRow("UTF-16 of an odd length") << smallBook(utf16 + 'x') << "bad UTF-16";
        QTest::newRow("UTF-16 with half a surrogate pair")
            << smallBook(utf16 + QByteArray("\x00\xD8", 2)) << "bad UTF-16";

        entries = smallBook();
        entries.last().crc ^= 1;
        QTest::newRow("bad checksum in a part nobody reads") << entries << "damaged entry";
        entries = smallBook();
        entries.last().localSize = entries.last().stored.size() + 1;
        QTest::newRow("local header lying about a part nobody reads")
            << entries << "damaged local header";
    }
    void hostileOrDamagedPackagesAreRefusedAtOnce()
    {
        QFETCH(QList<RawEntry>, entries);
        QFETCH(QString, reason);
        // A gigabyte of the smallest cells is more than a machine of up to
        // about 30 GiB can hold; a larger one rightly reads it, for minutes.
        if (QByteArray(QTest::currentDataTag()).contains("tiny") &&
            ProcessMemory::bytes() > (qint64(30) << 30))
            QSKIP("this machine has the memory for a gigabyte of tiny cells");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.xlsx"));
        const QByteArray bytes = WorkbookMaker::zip(entries);
        QVERIFY(writeFile(path, bytes));
        const qint64 peak = residentPeak();
        QElapsedTimer timer;
        timer.start();
        QString why;
        const bool opened = WorkbookFile::open(path, &why) != nullptr;
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(opened == reason.isEmpty(), qPrintable(why));
        QVERIFY2(why.contains(reason), qPrintable(why));
        QVERIFY2(elapsed < AtOnce, qPrintable(QString::number(elapsed)));
        QVERIFY(residentPeak() - peak < (qint64(128) << 20));
        QCOMPARE(readFile(path), bytes);
    }

    void pagesAreTakenAheadOfTheFillingOnly()
    {
        // A part's pages are faulted in ahead of its inflation, what is
        // already in them untouched, and no further once it stops: a bomb
        // refused early leaves little behind.
        constexpr int Filled = 2 << 20;
        QByteArray buffer;
        buffer.reserve(256 << 20);
        const qint64 before = residentNow();
        {
            PrefaultAhead ahead(buffer.data(), buffer.capacity());
            buffer.resize(Filled);
            for (int i = 0; i < Filled; ++i)
                buffer[i] = char(i * 7);
            ahead.reached(Filled);
            QTRY_VERIFY(residentNow() - before >= Filled + PrefaultAhead::Lead - (1 << 20));
            QTest::qWait(100);
            QVERIFY(residentNow() - before <= Filled + PrefaultAhead::Lead + (4 << 20));
        }
        for (int i = 0; i < Filled; ++i) {
            if (buffer.at(i) != char(i * 7))
                QFAIL(qPrintable(QStringLiteral("byte %1 changed").arg(i)));
        }
    }

    void entriesInflateOnSeveralThreadsAtOnce()
    {
        // The shared strings inflate beside the sheets: each entry comes
        // out whole, or refused as damaged, whatever inflates meanwhile.
        const QByteArray plain = bombOf("<c/>", "<v>~</v>");
        const QByteArray kept(300000, 'k');
        QList<RawEntry> entries = WorkbookMaker::deflated(
            {{QStringLiteral("a.xml"), plain}, {QStringLiteral("b.xml"), plain.toUpper()}});
        entries.append({"kept.bin", kept, 0,
                        quint32(crc32(0, reinterpret_cast<const Bytef *>(kept.constData()),
                                      uInt(kept.size()))),
                        quint32(kept.size())});
        entries.append(entries.first());
        entries.last().name = "damaged.xml";
        entries.last().crc ^= 1;
        ZipPackage zip;
        QString why;
        QVERIFY2(zip.load(WorkbookMaker::zip(entries), &why), qPrintable(why));
        const QByteArrayList expected{plain, plain.toUpper(), kept, QByteArray()};
        const std::vector<int> wrong = OwnThread::each(8, [&](int thread) {
            int failures = 0;
            for (int round = 0; round < 12; ++round) {
                const int index = (thread + round) % expected.size();
                QByteArray data;
                QString reason;
                const bool whole = zip.inflate(index, &data, &reason);
                failures += whole == expected.at(index).isEmpty() || data != expected.at(index);
            }
            return failures;
        });
        QCOMPARE(std::accumulate(wrong.cbegin(), wrong.cend(), 0), 0);
    }
};

QTEST_GUILESS_MAIN(TestOddPackages)
#include "tst_oddpackages.moc"
