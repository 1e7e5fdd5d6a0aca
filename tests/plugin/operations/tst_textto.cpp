#include "ParTo.h"
#include "RunEvents.h"
#include "TextTo.h"
#include "WorkbookFixtures.h"
#include "WorkbookSnapshot.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

using Case = TextTo::Case;
using Which = TextTo::CaseWhich;

// A one-sheet workbook "S" whose column A holds these texts from A1 down.
QString columnWorkbook(const QTemporaryDir &dir, const QStringList &texts)
{
    const QString path = dir.filePath(QStringLiteral("column.xlsx"));
    WorkbookFixtures::writePackage(
        path, WorkbookMaker::textWorkbook(QStringLiteral("S"), texts.size(), 1,
                                          [&texts](int row, int) { return texts.at(row - 1); }));
    return path;
}

QStringList columnOf(const QString &path, int rows)
{
    const QVariantMap cells = WorkbookSnapshot::take(path).value(QStringLiteral("cells")).toMap();
    QStringList texts;
    for (int row = 1; row <= rows; ++row)
        texts << cells.value(QStringLiteral("S!A%1").arg(row)).toString();
    return texts;
}

QStringList runOn(const QString &path, const ParTo &par)
{
    QStringList events;
    TextTo operation(path, &par, nullptr);
    noteRunEvents(&operation, &events);
    operation.run();
    return events;
}

} // namespace

class TestTextTo : public QObject
{
    Q_OBJECT
private slots:
    void changeCase_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Case>("toCase");
        QTest::addColumn<Which>("which");
        QTest::addColumn<QString>("expected");
        const Case up = Case::ToCapital;
        const Case down = Case::ToLowerCase;
        QTest::newRow("word starts")
            << "an apple\tpie\nnext" << up << Which::WordFirst << "An Apple\tPie\nNext";
        QTest::newRow("hyphen starts no word") << "x-ray" << up << Which::WordFirst << "X-ray";
        QTest::newRow("paragraph after blanks")
            << "  hello there" << up << Which::ParagraphFist << "  Hello there";
        QTest::newRow("quote before paragraph")
            << "\"hello" << up << Which::ParagraphFist << "\"hello";
        QTest::newRow("lower paragraphs")
            << "HELLO\nWORLD" << down << Which::ParagraphFist << "hELLO\nwORLD";
        QTest::newRow("lower words") << "ONE TWO" << down << Which::WordFirst << "oNE tWO";
        QTest::newRow("non-ASCII first letter stays")
            << "école été" << up << Which::WordFirst << "école été";
        QTest::newRow("all reaches non-ASCII") << "école" << up << Which::All << "ÉCOLE";
        QTest::newRow("all lower") << "ÉCOLE Ab" << down << Which::All << "école ab";
    }
    void changeCase()
    {
        QFETCH(QString, text);
        QFETCH(Case, toCase);
        QFETCH(Which, which);
        QTEST(TextTo::changeCase(text, toCase, which).value_or(QStringLiteral("<none>")),
              "expected");
    }

    void caseOutsideTheEnumerationsChangesNothing()
    {
        QVERIFY(!TextTo::changeCase("a", Case(7), Which::All));
        QVERIFY(!TextTo::changeCase("a", Case::ToCapital, Which(-1)));
    }

    void changeWidth_data()
    {
        QTest::addColumn<QString>("half");
        QTest::addColumn<QString>("full");
        QTest::addColumn<bool>("toFull");
        QTest::newRow("letters and signs to full") << "Ab1!~"
                                                   << "Ａｂ１！～" << true;
        QTest::newRow("and back") << "Ab1!~"
                                  << "Ａｂ１！～" << false;
        QTest::newRow("grave and middle dot") << "a`b"
                                              << "ａ·ｂ" << true;
        QTest::newRow("middle dot in a name") << "马克`吐温"
                                              << "马克·吐温" << false;
        QTest::newRow("comma and colon stay") << "a,b:c"
                                              << "ａ,ｂ:ｃ" << true;
        QTest::newRow("full comma and colon stay") << "，：a"
                                                   << "，：ａ" << false;
        QTest::newRow("spaces stay") << " \u3000"
                                     << " \u3000" << true;
        QTest::newRow("spaces stay back") << " \u3000"
                                          << " \u3000" << false;
    }
    void changeWidth()
    {
        QFETCH(QString, half);
        QFETCH(QString, full);
        QFETCH(bool, toFull);
        if (toFull)
            QCOMPARE(TextTo::changeWidth(half, true), full);
        else
            QCOMPARE(TextTo::changeWidth(full, false), half);
    }

    void convertNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("expected");
        QTest::newRow("255 to 16") << "255" << 10 << 16 << "ff";
        QTest::newRow("minus one to 16") << "-1" << 10 << 16 << "ffffffffffffffff";
        QTest::newRow("minus one stays in 10") << "-1" << 2 << 10 << "-1";
        QTest::newRow("hex to binary") << "Ff" << 16 << 2 << "11111111";
        QTest::newRow("base 36") << "z" << 36 << 10 << "35";
        QTest::newRow("no number") << "12a" << 10 << 16 << "<none>";
        QTest::newRow("empty") << "" << 10 << 16 << "<none>";
        QTest::newRow("too long") << "99999999999999999999" << 10 << 16 << "<none>";
    }
    void convertNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QTEST(TextTo::convertNumber(text, from, to).value_or(QStringLiteral("<none>")), "expected");
    }

    void convertRuns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("runKept");
        QTest::newRow("words of a to f") << "add 10" << 16 << 10 << "2781 16" << false;
        QTest::newRow("to binary") << "7 and 8" << 10 << 2 << "111 and 1000" << false;
        QTest::newRow("octal digits only") << "78" << 8 << 10 << "78" << false;
        QTest::newRow("binary inside words") << "x101y2" << 2 << 10 << "x5y2" << false;
        QTest::newRow("no digits") << "none here" << 10 << 16 << "none here" << false;
        QTest::newRow("account number kept") << "id 123456789012345678901 and 255" << 10 << 16
                                             << "id 123456789012345678901 and ff" << true;
    }
    void convertRuns()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, to);
        bool runKept = false;
        QTEST(TextTo::convertRuns(text, from, to, &runKept), "expected");
        QTEST(runKept, "runKept");
    }

    void applyLists_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("from");
        QTest::addColumn<QStringList>("to");
        QTest::addColumn<QString>("expected");
        QTest::newRow("later pairs see earlier results")
            << "abc" << QStringList{"a", "b"} << QStringList{"b", "x"} << "xxc";
        QTest::newRow("empty pair changes nothing")
            << "abc" << QStringList{""} << QStringList{""} << "abc";
        QTest::newRow("case-sensitive") << "Aa" << QStringList{"a"} << QStringList{"b"} << "Ab";
    }
    void applyLists()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, from);
        QFETCH(QStringList, to);
        QTEST(TextTo::applyLists(text, from, to), "expected");
    }

    void replaceCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // a -> xb, b -> y, c -> "", dd never matches, d -> z (first one-character entry)
        QTest::newRow("two characters not looked up again") << "ab"
                                                            << "xby";
        QTest::newRow("after an emptied one") << "cb"
                                              << "y";
        QTest::newRow("only one-character entries") << "dd"
                                                    << "zz";
        QTest::newRow("growing replacement ends") << "aaa"
                                                  << "xbxbxb";
        QTest::newRow("others stay") << "我q"
                                     << "我q";
    }
    void replaceCharacters()
    {
        QFETCH(QString, text);
        const QStringList before = {"a", "b", "c", "dd", "d", "d"};
        const QStringList after = {"xb", "y", "", "w", "z", "v"};
        QTEST(TextTo::replaceCharacters(text, before, after), "expected");
    }

    // Through the real server: the phrase step goes first, then the
    // characters.
    void scriptPhrasesBeforeCharacters()
    {
        QTemporaryDir dir;
        const QString path = columnWorkbook(dir, {"ABA", "简体"});
        ParTo par;
        par.sheetIndex = QStringLiteral("首表");
        par.implement = TextTo::Implement::Tradition;
        par.twoStep = true;
        par.fromList = QStringList{"AB", "简体"};
        par.toList = QStringList{"X", "簡體"};
        par.newOneList = QStringList{"A", "体"};
        par.oldOneList = QStringList{"Y", "體"};
        runOn(path, par);
        QCOMPARE(columnOf(path, 2), QStringList({"XY", "簡體"}));
    }

    // An empty cell is passed over; the first cell that is no number ends the
    // sheet's conversion and is reported with the file, once.
    void wholeCellStopsAtTheFirstNonNumber()
    {
        QTemporaryDir dir;
        const QString path = columnWorkbook(dir, {"255", "", "-1", "12 apples", "7"});
        ParTo par;
        par.sheetIndex = QStringLiteral("所有表");
        par.implement = TextTo::Implement::Base;
        par.format1 = true;
        const QStringList events = runOn(path, par);
        QCOMPARE(events.filter(QStringLiteral("tip -2 0 ")),
                 QStringList{QStringLiteral("tip -2 0 ") + path});
        QCOMPARE(events.first(), QStringLiteral("tip -2 0 ") + path);
        QCOMPARE(columnOf(path, 5), QStringList({"ff", "", "ffffffffffffffff", "12 apples", "7"}));
    }

    void overlongRunIsKeptAndReportedOnce()
    {
        QTemporaryDir dir;
        const QString path =
            columnWorkbook(dir, {"acct 62220212345678901234", "8", "62220212345678901234"});
        ParTo par;
        par.sheetIndex = QStringLiteral("首表");
        par.implement = TextTo::Implement::Base;
        par.baseAfter = 2;
        const QStringList events = runOn(path, par);
        QCOMPARE(events.filter(QStringLiteral("tip -2 0 ")).size(), 1);
        QCOMPARE(columnOf(path, 3),
                 QStringList({"acct 62220212345678901234", "1000", "62220212345678901234"}));
    }

    void baseOutsideTwoTo36ConvertsNothing()
    {
        QTemporaryDir dir;
        const QString path = columnWorkbook(dir, {"10"});
        const QByteArray before = WorkbookFixtures::readFile(path);
        ParTo par;
        par.sheetIndex = QStringLiteral("首表");
        par.implement = TextTo::Implement::Base;
        par.baseBefore = 0;
        QCOMPARE(runOn(path, par).filter(QStringLiteral("tip -2 0 ")).size(), 1);
        QCOMPARE(WorkbookFixtures::readFile(path), before);
    }
};

QTEST_GUILESS_MAIN(TestTextTo)
#include "tst_textto.moc"
