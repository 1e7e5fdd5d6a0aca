#include "AutomationClient.h"
#include "WorkbookFixtures.h"
#include "delimited/DelimitedText.h"
#include "files/WorkbookFile.h"
#include "model/CellEditor.h"
#include "model/ProcessMemory.h"
#include "model/WorkbookDocument.h"
#include "server/SpreadsheetServer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <time.h>

using namespace WorkbookFixtures;

namespace {

// Opens a workbook through the automation client, as the plug-in does.

TextEncoding::Kind chooseGb18030()
{
    return TextEncoding::Gb18030;
}

TextEncoding::Kind chooseUtf8()
{
    return TextEncoding::Utf8;
}

// What the plug-in does with the host's text-encoding option.
void choose(const QByteArray &codec)
{
    SpreadsheetServer::setNewTextEncoding(codec == "GB18030" ? &chooseGb18030 : &chooseUtf8);
}

QString cellName(int row, int column)
{
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar('A' + (c - 1) % 26));
    return letters + QString::number(row);
}

// Quotes enough for a quadratic pass to show in an optimised build; a tenth
// where unoptimised code would take seconds over them.
#ifdef QT_NO_DEBUG
constexpr int QuotesInAField = 1000000;
#else
constexpr int QuotesInAField = 100000;
#endif

// The processor time this thread has taken, in nanoseconds.
qint64 threadTime()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

class TestSheetFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    }
    void cleanup() { SpreadsheetServer::setNewTextEncoding(nullptr); }

    // Every cell of every fixture shows what an independent spreadsheet
    // application shows.
    void displayedTextMatchesExpected_data()
    {
        QTest::addColumn<QString>("file");
        const QVariantMap all = expected();
        for (auto it = all.begin(); it != all.end(); ++it)
            QTest::newRow(qPrintable(it.key())) << it.key();
    }
    void displayedTextMatchesExpected()
    {
        QFETCH(QString, file);
        const QVariantMap want = expected().value(file).toMap();
        QTemporaryDir dir; // opening holds the file: a copy of its own
        ServerSession session(copy(file, dir.path()));
        QVERIFY(!session.book->isNull());
        AutomationClient *sheets = session.book->querySubObject("Sheets");
        const QStringList names = want.value(QStringLiteral("sheets")).toStringList();
        QCOMPARE(sheets->dynamicCall("Count()").toInt(), names.size());
        AutomationClient *active = session.book->querySubObject("ActiveSheet");
        QCOMPARE(active->dynamicCall("Name").toString(),
                 want.value(QStringLiteral("active")).toString());
        const QVariantMap shown = want.value(QStringLiteral("shown")).toMap();
        for (int s = 0; s < names.size(); ++s) {
            AutomationClient *sheet = session.sheet(s + 1);
            QCOMPARE(sheet->dynamicCall("Name").toString(), names.at(s));
            const QVariant rows = shown.value(names.at(s));
            if (rows.isNull()) { // a chart sheet has no cells
                QVERIFY(sheet->querySubObject("UsedRange")->isNull());
                QVERIFY(sheet->querySubObject("Range(const QVariant&)", "A1")->isNull());
                continue;
            }
            const QVariantList list = rows.toList();
            for (int r = 0; r < list.size(); ++r) {
                const QStringList cells = list.at(r).toStringList();
                for (int c = 0; c < cells.size(); ++c)
                    QCOMPARE(session.text(s + 1, cellName(r + 1, c + 1)) + " @" + names.at(s) +
                                 "!" + cellName(r + 1, c + 1),
                             cells.at(c) + " @" + names.at(s) + "!" + cellName(r + 1, c + 1));
            }
        }
    }

    void usedRangesFollowTheCells()
    {
        QTemporaryDir dir;
        ServerSession session(copy(QStringLiteral("basic.xlsx"), dir.path()));
        auto address = [&](int sheet) {
            return session.sheet(sheet)
                ->querySubObject("UsedRange")
                ->dynamicCall("Address")
                .toString();
        };
        QCOMPARE(address(1), QStringLiteral("A1:E8")); // A8 has a style of its own
        QCOMPARE(address(2), QStringLiteral("B2:D4"));
        QCOMPARE(address(3), QStringLiteral("A1"));
        AutomationClient *used = session.sheet(2)->querySubObject("UsedRange");
        QCOMPARE(used->querySubObject("Rows")->dynamicCall("Count()").toInt(), 3);
        QCOMPARE(used->querySubObject("Columns")->dynamicCall("Count()").toInt(), 3);
        QCOMPARE(used->dynamicCall("Count()").toInt(), 9);
        QCOMPARE(used->dynamicCall("Text()").toString(), QStringLiteral("r2c2 apple"));
    }

    void chartSheetsCountAsSheets()
    {
        QTemporaryDir dir;
        ServerSession session(copy(QStringLiteral("chartsheet.xlsx"), dir.path()));
        QCOMPARE(session.book->querySubObject("Sheets")->dynamicCall("Count()").toInt(), 3);
        QVERIFY(!session.sheet(2)->isNull());
        QVERIFY(session.sheet(2)->querySubObject("UsedRange")->isNull());
        QCOMPARE(session.text(3, QStringLiteral("A1")), QStringLiteral("after apple"));
        QVERIFY(session.sheet(0)->isNull());
        QVERIFY(session.sheet(4)->isNull());
        QCOMPARE(session.book->querySubObject("Sheets")
                     ->querySubObject("Item(const QVariant&)", "After")
                     ->dynamicCall("Name")
                     .toString(),
                 QStringLiteral("After"));
    }

    // Bad input is refused: no workbook, the file untouched.
    void badFilesAreRefusedUntouched_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *name : {"not-a-zip.xlsx", "truncated.xlsx", "no-workbook.xlsx",
                                 "bad-xml.xlsx", "not-text.csv", "encrypted.xls", "biff5.xls",
                                 "biff5-in-workbook.xls", "encrypted-package.xlsx"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void badFilesAreRefusedUntouched()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        const QByteArray before = readFile(path);
        ServerSession session(path);
        QVERIFY(session.book->isNull());
        QCOMPARE(readFile(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList(file));
    }

    void hostilePackagesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("sheet");
        const QByteArray head =
            "<worksheet "
            "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
        const QByteArray tail = "</sheetData></worksheet>";
        QTest::newRow("entity")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"aaaa\">]>") + head +
                   "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&a;</t></is></c></row>" + tail;
        QTest::newRow("beyond last column")
            << head + "<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>" + tail;
        QTest::newRow("beyond last row")
            << head + "<row r=\"1048577\"><c r=\"A1048577\"><v>1</v></c></row>" + tail;
        QTest::newRow("rows backwards") << head + "<row r=\"2\"/><row r=\"1\"/>" + tail;
        QTest::newRow("cell in wrong row")
            << head + "<row r=\"2\"><c r=\"A3\"><v>1</v></c></row>" + tail;
        QTest::newRow("bad number")
            << head + "<row r=\"1\"><c r=\"A1\"><v>12abc</v></c></row>" + tail;
        QTest::newRow("string index")
            << head + "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>99</v></c></row>" + tail;
        QTest::newRow("latin-1") << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>") +
                                        head + tail;
        // Deflate packs runs of one byte about 1030 to 1: past the limit.
        QTest::newRow("inflates a thousandfold") << head + QByteArray(20 << 20, ' ') + tail;
        QTest::newRow("bad utf-8")
            << head +
                   "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>\xC3\x28</t></is></c></row>" +
                   tail;
    }
    void hostilePackagesAreRefused()
    {
        QFETCH(QByteArray, sheet);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("hostile.xlsx"));
        Parts parts = richWorkbook();
        for (auto &part : parts) {
            if (part.first == QLatin1String("xl/worksheets/sheet2.xml"))
                part.second = sheet;
        }
        QVERIFY(writePackage(path, parts));
        const QByteArray before = readFile(path);
        ServerSession session(path);
        QVERIFY(session.book->isNull());
        QCOMPARE(readFile(path), before);
    }

    void legacyAndOtherFormatsAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("damaged xls")
            << "old.xls" << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 legacy", 16);
        QTest::newRow("xml 2003")
            << "sheet.xml"
            << QByteArray("<?xml version=\"1.0\"?><Workbook "
                          "xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"/>");
        QTest::newRow("web page") << "page.html"
                                  << QByteArray("<html><table><tr><td>1</td></tr></table></html>");
        QTest::newRow("binary csv") << "nul.csv" << QByteArray("a,b\0c", 5);
        QTest::newRow("utf-16 cut short") << "odd.txt"
                                          << QByteArray("\xFF\xFE"
                                                        "a\0\t",
                                                        5);
        QTest::newRow("half a surrogate pair") << "half.txt"
                                               << QByteArray("\xFF\xFE\x00\xD8"
                                                             "a\0",
                                                             6);
        QTest::newRow("UTF-8 mark over GB18030")
            << "gb.csv" << QByteArray("\xEF\xBB\xBF\xC6\xBB\xB9\xFB");
        // Nothing here writes UTF-32 back, and its little-endian mark begins
        // with UTF-16's.
        QTest::newRow("UTF-32 LE") << "wide.txt" << QByteArray("\xFF\xFE\0\0a\0\0\0", 8);
        QTest::newRow("UTF-32 BE") << "wide.txt" << QByteArray("\0\0\xFE\xFF\0\0\0a", 8);
    }
    void legacyAndOtherFormatsAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(writeFile(path, bytes));
        ServerSession session(path);
        QVERIFY(session.book->isNull());
        QCOMPARE(readFile(path), bytes);
    }

    // While a workbook is open only its lock is held on the file: others
    // may read it, and Close lets go of it and of the lock file.
    void othersMayReadWhileOpen_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xlsx") << "basic.xlsx";
        QTest::newRow("xls") << "basic.xls";
    }
    void othersMayReadWhileOpen()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        auto heldBy = [&path]() {
            int count = 0;
            const QFileInfoList fds =
                QDir(QStringLiteral("/proc/self/fd"))
                    .entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
            for (const QFileInfo &fd : fds)
                count += fd.symLinkTarget() == path ? 1 : 0;
            return count;
        };
        ServerSession session(path);
        QVERIFY(!session.book->isNull());
        QCOMPARE(heldBy(), 1);
        QCOMPARE(readFile(path), fixtureBytes(file));
        session.book->dynamicCall("Close()");
        QCOMPARE(heldBy(), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList(file));
    }

    // Delimited text comes back byte for byte, with only the changed field new.
    void delimitedRoundTrips_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("csv with mark and CRLF")
            << "sample.csv" << readFile(dataPath(QStringLiteral("sample.csv"))) << "B2"
            << "green, apple"
            << QByteArray("\xEF\xBB\xBFname,note\r\napple,\"green, apple\"\r\n\"x,y\",\"quote "
                          "\"\"q\"\"\"\r\n");
        QTest::newRow("tab text")
            << "sample.txt" << readFile(dataPath(QStringLiteral("sample.txt"))) << "A2"
            << "pear" << QByteArray("name\tnote\r\npear\t\xE9\x9D\x92\xE8\x8B\xB9\xE6\x9E\x9C\r\n");
        QTest::newRow("LF, no final newline") << "plain.csv" << QByteArray("a,b\nc,d") << "B2"
                                              << "e\"f" << QByteArray("a,b\nc,\"e\"\"f\"");
        QTest::newRow("quote all") << "q.csv" << QByteArray("\"a\",\"b\"\r\n") << "A1"
                                   << "z" << QByteArray("\"z\",\"b\"\r\n");
        QTest::newRow("new row") << "grow.csv" << QByteArray("a,b\r\n") << "A3"
                                 << "new" << QByteArray("a,b\r\n\r\nnew\r\n");
        QTest::newRow("emptied") << "empty.csv" << QByteArray("a,b,c\n") << "B1"
                                 << "" << QByteArray("a,,c\n");
        QTest::newRow("leading zeros stay") << "zeros.csv" << QByteArray("007,1\n") << "B1"
                                            << "2" << QByteArray("007,2\n");
        QTest::newRow("quotes only, empty quoted")
            << "quotes.csv" << QByteArray("\"\"\"\"\"\",\"\",\"a\"\"\"\n") << "B1"
            << "\"" << QByteArray("\"\"\"\"\"\",\"\"\"\",\"a\"\"\"\n");
    }
    void delimitedRoundTrips()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, before);
        QFETCH(QString, cell);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(writeFile(path, before));
        {
            ServerSession session(path);
            QVERIFY(!session.book->isNull());
            QCOMPARE(session.sheet(1)->dynamicCall("Name").toString(),
                     QFileInfo(name).completeBaseName());
            QVERIFY(session.book->dynamicCall("Save()").toBool());
            QCOMPARE(readFile(path), before);
            session.sheet(1)
                ->querySubObject("Range(const QVariant&)", cell)
                ->setProperty("Value", value);
            QVERIFY(session.book->dynamicCall("Save()").toBool());
        }
        QTEST(readFile(path), "after");
    }

    // Delimited text as Excel writes it on Chinese desktops: every field
    // shows what the file's writer put there; a Replace writes the new text
    // in the file's own encoding and keeps every other byte, and writes
    // nothing when nothing matched.
    void delimitedEncodingsRoundTrip_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("with");
        QTest::newRow("GB18030 in quotes") << "gb18030.csv"
                                           << "好吃"
                                           << "难吃\U00020001";
        QTest::newRow("GB18030 over a line break") << "gb18030.csv"
                                                   << "行\n第二"
                                                   << "行\n第三";
        QTest::newRow("GB18030 no match") << "gb18030.csv"
                                          << "葡萄"
                                          << "x";
        QTest::newRow("UTF-16 LE") << "utf16le.txt"
                                   << "紫"
                                   << "蓝";
        QTest::newRow("UTF-16 LE no match") << "utf16le.txt"
                                            << "橙"
                                            << "x";
        QTest::newRow("UTF-16 BE") << "utf16be.txt"
                                   << "橙色"
                                   << "金色";
    }
    void delimitedEncodingsRoundTrip()
    {
        QFETCH(QString, file);
        QFETCH(QString, what);
        QFETCH(QString, with);
        const QVariantMap fixture = encodings().value(file).toMap();
        const QString codec = fixture.value(QStringLiteral("codec")).toString();
        const QVariantList rows = fixture.value(QStringLiteral("rows")).toList();
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        QByteArray after = readFile(path);
        QVERIFY(after.count(encoded(codec, what)) <= 1);
        after.replace(encoded(codec, what), encoded(codec, with));
        auto compareShown = [&](ServerSession &session, const QString &from, const QString &to) {
            for (int r = 0; r < rows.size(); ++r) {
                const QStringList fields = rows.at(r).toStringList();
                for (int c = 0; c < fields.size(); ++c)
                    QCOMPARE(session.text(1, cellName(r + 1, c + 1)),
                             QString(fields.at(c)).replace(from, to));
            }
        };
        {
            ServerSession session(path);
            QVERIFY(!session.book->isNull());
            compareShown(session, what, what);
            QVERIFY(session.replace(1, what, with));
            QVERIFY(session.save());
        }
        QCOMPARE(readFile(path), after);
        ServerSession again(path);
        compareShown(again, what, with);
    }

    // Plain ASCII without a mark tells no encoding: non-ASCII text coming
    // into it is written in the encoding the server's user chooses, and text
    // that stays ASCII stays as it was. Bytes that tell their encoding keep
    // it whatever is chosen.
    void delimitedTextWithoutAnEncodingTakesTheChosenOne_data()
    {
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const QByteArray gb("GB18030");
        const QByteArray utf8("UTF-8");
        const QString apple = QStringLiteral("苹果");
        QTest::newRow("ASCII, ANSI chosen")
            << gb << QByteArray("a,b\r\n") << "B1" << apple << "a," + encoded(gb, apple) + "\r\n";
        QTest::newRow("ASCII, UTF-8 chosen")
            << utf8 << QByteArray("a,b\r\n") << "B1" << apple << "a," + apple.toUtf8() + "\r\n";
        QTest::newRow("ASCII stays ASCII") << gb << QByteArray("a,b\n") << "B1"
                                           << QStringLiteral("pear") << QByteArray("a,pear\n");
        QTest::newRow("empty file, ANSI chosen")
            << gb << QByteArray() << "A1" << apple << encoded(gb, apple) + "\r\n";
        const QByteArray mark("\xEF\xBB\xBF");
        QTest::newRow("UTF-8 mark over ASCII")
            << gb << mark + "a,b\r\n"
            << "B1" << apple << mark + "a," + apple.toUtf8() + "\r\n";
        QTest::newRow("UTF-8 text, ANSI chosen")
            << gb << QStringLiteral("梨,b\r\n").toUtf8() << "B1" << apple
            << QStringLiteral("梨,苹果\r\n").toUtf8();
        QTest::newRow("GB18030 text, UTF-8 chosen")
            << utf8 << encoded(gb, QStringLiteral("梨,b\r\n")) << "B1" << apple
            << encoded(gb, QStringLiteral("梨,苹果\r\n"));
    }
    void delimitedTextWithoutAnEncodingTakesTheChosenOne()
    {
        QFETCH(QByteArray, chosen);
        QFETCH(QByteArray, before);
        QFETCH(QString, cell);
        QFETCH(QString, value);
        choose(chosen);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("plain.csv"));
        QVERIFY(writeFile(path, before));
        {
            ServerSession session(path);
            QVERIFY(!session.book->isNull());
            session.set(1, cell, value);
            QVERIFY(session.save());
        }
        QTEST(readFile(path), "after");
        ServerSession again(path);
        QCOMPARE(again.text(1, cell), value);
    }

    // What no encoding can carry (half a surrogate pair) fails the save
    // rather than going out as a question mark.
    void delimitedTextRefusesWhatItCannotWrite_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *name : {"sample.csv", "gb18030.csv", "utf16be.txt"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void delimitedTextRefusesWhatItCannotWrite()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        const QByteArray before = readFile(path);
        ServerSession session(path);
        QVERIFY(!session.book->isNull());
        session.set(1, QStringLiteral("B2"), QStringLiteral("a") + QChar(0xD800));
        QVERIFY(!session.save());
        QCOMPARE(readFile(path), before);
    }

    // A file whose changed cell would hold more than 32,767 UTF-16 units is
    // not written at all, whatever its format.
    void cellsPastAWorkbookCellAreNotSaved_data()
    {
        const QString pair = QString::fromUcs4(U"\U0001F600");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("texts"); // set one after the other
        QTest::addColumn<bool>("saved");
        QTest::newRow("full cell") << "basic.xlsx" << QStringList{QString(32767, 'a')} << true;
        QTest::newRow("one past") << "basic.xlsx" << QStringList{QString(32768, 'a')} << false;
        QTest::newRow("pairs past") << "basic.xlsx" << QStringList{pair.repeated(16384)} << false;
        QTest::newRow("past, then short")
            << "basic.xlsx" << QStringList{QString(40000, 'a'), "a"} << true;
        QTest::newRow("full cell, .xls")
            << "basic.xls" << QStringList{QString(32767, u'汉')} << true;
        QTest::newRow("one past, .xls")
            << "basic.xls" << QStringList{QString(32768, u'汉')} << false;
        QTest::newRow("full cell, .csv")
            << "sample.csv" << QStringList{QString(32767, u'"')} << true;
        QTest::newRow("far past, .csv")
            << "sample.csv" << QStringList{QString(40000, 'a')} << false;
        QTest::newRow("pairs past, UTF-16 .txt")
            << "utf16be.txt" << QStringList{pair.repeated(16384)} << false;
    }
    void cellsPastAWorkbookCellAreNotSaved()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, texts);
        QFETCH(bool, saved);
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        const QByteArray before = readFile(path);
        {
            ServerSession session(path);
            for (const QString &text : qAsConst(texts))
                session.set(1, QStringLiteral("B2"), text);
            QCOMPARE(session.save(), saved);
        }
        if (!saved) {
            QCOMPARE(readFile(path), before);
            return;
        }
        QCOMPARE(ServerSession(path).text(1, QStringLiteral("B2")), texts.last());
    }

    // In every format, once the saved file is read again the workbook holds
    // no unsaved change: a save with nothing new leaves the file as it is,
    // and the next change is saved on top of the last. Saved text is read
    // again as the text it is, even when it starts as a container does.
    void savedFilesAreReadAgainOnRequest_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("first"); // for A1, then "second" for A2
        for (const char *file : {"basic.xlsx", "basic.xls", "sample.csv", "sample.txt"})
            QTest::newRow(file) << file << "first";
        QTest::newRow("text starting as a zip") << "sample.txt"
                                                << QStringLiteral("PK\x03\x04"
                                                                  "first");
    }
    void savedFilesAreReadAgainOnRequest()
    {
        QFETCH(QString, file);
        QFETCH(QString, first);
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        QString why;
        std::unique_ptr<WorkbookFile> opened = WorkbookFile::open(path, &why);
        QVERIFY2(opened, qPrintable(why));
        for (int row : {1, 2}) {
            WorkbookDocument &document = opened->document();
            QVERIFY(document.sheet(0));
            CellEditor(&document, document.sheet(0))
                .setText({row, 1, row, 1}, row == 1 ? first : QStringLiteral("second"));
            QVERIFY2(opened->save(&why), qPrintable(why));
            opened->readSaved();
            QVERIFY(!opened->document().isChanged());
        }
        const QByteArray saved = readFile(path);
        QVERIFY2(opened->save(&why), qPrintable(why));
        QCOMPARE(readFile(path), saved);
        const WorkbookDocument &document = opened->document();
        const SheetModel &sheet = *document.sheets.at(0);
        QCOMPARE(document.displayText(sheet, sheet.cells.find(1, 1)), first);
        QCOMPARE(document.displayText(sheet, sheet.cells.find(2, 1)), QStringLiteral("second"));
    }

    // Delimited text larger than its round trip can hold in the memory the
    // process may take is refused from its size alone: at once, without
    // reading it, the file untouched. The files are sparse, so they cost
    // neither disk nor time to make.
    void delimitedTextTooLargeIsRefusedUnread_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("nothing but zeros") << "zeros.csv" << QByteArray();
        QTest::newRow("a row, then zeros") << "rows.txt" << QByteArray("a\t\"b\"\r\n");
    }
    void delimitedTextTooLargeIsRefusedUnread()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile file(path);
        const qint64 size = DelimitedText::largestFile(ProcessMemory::bytes()) + 1;
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(start) == start.size() &&
                file.resize(size));
        file.close();
        const QDateTime modified = QFileInfo(path).lastModified();
        const qint64 peakBefore = residentPeak();
        QElapsedTimer timer;
        timer.start();
        {
            ServerSession session(path);
            QVERIFY(session.book->isNull());
        }
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(residentPeak() - peakBefore < (32 << 20));
        QCOMPARE(QFileInfo(path).size(), size);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList(name));
    }

    // Reading a field back undoubles its quotes, and the check that it
    // writes back exactly doubles them again; both take time in proportion
    // to the field: ten times the quotes cost nowhere near a hundred times
    // the time. The time is the thread's own, which other programs running
    // meanwhile hardly change.
    void delimitedQuotingStaysLinear()
    {
        const auto bestReadOf = [](int quotes) {
            const QByteArray bytes = '"' + QByteArray("\"\"").repeated(quotes) + '"';
            qint64 best = std::numeric_limits<qint64>::max();
            for (int attempt = 0; attempt < 3; ++attempt) {
                const qint64 start = threadTime();
                QString why;
                if (!WorkbookFile::fromBytes(bytes, QStringLiteral("q.csv"), &why))
                    return qint64(-1);
                best = qMin(best, threadTime() - start);
            }
            return best;
        };
        const qint64 small = bestReadOf(QuotesInAField);
        const qint64 large = bestReadOf(10 * QuotesInAField);
        QVERIFY(small >= 0 && large >= 0);
        QVERIFY2(large < 50 * small,
                 qPrintable(QStringLiteral("%1 ns, %2 ns").arg(small).arg(large)));
    }

    void delimitedTextThatCannotComeBackIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("odd.csv"));
        QVERIFY(writeFile(path, "\"ab\"c,d\n")); // text after a closing quote
        ServerSession session(path);
        QVERIFY(session.book->isNull());
    }
};

QTEST_GUILESS_MAIN(TestSheetFiles)
#include "tst_sheetfiles.moc"
