#include "RunEvents.h"
#include "WorkbookFixtures.h"
#include "WorkbookSnapshot.h"
#include "operations/TextTo.h"
#include "records/ParTo.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

using Case = TextTo::Case;
using Which = TextTo::CaseWhich;
const QString kNone = QStringLiteral("<none>");

// Runs par (its sheet "首表") on a one-sheet workbook whose column A holds
// texts; the column afterwards and the base-conversion tips sent.
QStringList runOnColumn(ParTo par, const QStringList &texts, int *baseTips)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("column.xlsx"));
    WorkbookFixtures::writePackage(
        path, WorkbookMaker::textWorkbook(QStringLiteral("S"), texts.size(), 1,
                                          [&texts](int row, int) { return texts.at(row - 1); }));
    par.sheetIndex = QStringLiteral("首表");
    *baseTips =
        runNoted<TextTo>(path, par).filter(tipEvent(Tip::BaseConversionFailed, path)).size();
    const QVariantMap cells = WorkbookSnapshot::take(path).value(QStringLiteral("cells")).toMap();
    QStringList column;
    for (int row = 1; row <= texts.size(); ++row)
        column << cells.value(QStringLiteral("S!A%1").arg(row)).toString();
    return column;
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
        QTest::newRow("words") << "an apple\tpie\nnext x-ray" << up << Which::WordFirst
                               << "An Apple\tPie\nNext X-ray";
        QTest::newRow("paragraph")
            << "  hello\n\"quoted" << up << Which::ParagraphFist << "  Hello\n\"quoted";
        QTest::newRow("lower paragraphs")
            << "HELLO\nWORLD" << Case::ToLowerCase << Which::ParagraphFist << "hELLO\nwORLD";
        QTest::newRow("first letter ASCII only") << "été" << up << Which::WordFirst << "été";
        QTest::newRow("all") << "été" << up << Which::All << "ÉTÉ";
        QTest::newRow("outside the enumeration") << "a" << Case(7) << Which::All << kNone;
    }
    void changeCase()
    {
        QFETCH(QString, text);
        QFETCH(Case, toCase);
        QFETCH(Which, which);
        QTEST(TextTo::changeCase(text, toCase, which).value_or(kNone), "expected");
    }

    void changeWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("toFull");
        QTest::addColumn<QString>("expected");
        QTest::newRow("to full") << "Ab1!~ `,:" << true << "Ａｂ１！～ ·,:";
        QTest::newRow("to half") << "Ａｂ１！～\u3000马克·吐温，：" << false
                                 << "Ab1!~\u3000马克`吐温，：";
        // The grave accent's full-width partner is the middle dot.
        QTest::newRow("full-width grave accent stays") << "\uFF40·" << false << "\uFF40`";
    }
    void changeWidth()
    {
        QFETCH(QString, text);
        QFETCH(bool, toFull);
        QTEST(TextTo::changeWidth(text, toFull), "expected");
    }

    void convertNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("expected");
        QTest::newRow("255") << "255" << 10 << 16 << "ff";
        QTest::newRow("minus one") << "-1" << 10 << 16 << "ffffffffffffffff";
        QTest::newRow("hex to binary") << "Ff" << 16 << 2 << "11111111";
        QTest::newRow("no number") << "12a" << 10 << 16 << kNone;
        QTest::newRow("too long") << "99999999999999999999" << 10 << 16 << kNone;
    }
    void convertNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, to);
        QTEST(TextTo::convertNumber(text, from, to).value_or(kNone), "expected");
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
        QTest::newRow("account number kept")
            << "id 123456789012345678901 255" << 10 << 16 << "id 123456789012345678901 ff" << true;
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

    // Each character once: a -> xb is not looked up again (nor grows without
    // end), the character after an emptied c is still converted, only
    // one-character entries count and the first of them wins.
    void replaceCharacters()
    {
        const QStringList before = {"a", "b", "c", "dd", "d", "d"};
        const QStringList after = {"xb", "y", "", "w", "z", "v"};
        QCOMPARE(TextTo::replaceCharacters("aabcbdd我", before, after),
                 QStringLiteral("xbxbyyzz我"));
    }

    void phrasesGoBeforeCharacters()
    {
        ParTo par;
        par.implement = TextTo::Implement::Tradition;
        par.twoStep = true;
        par.fromList = QStringList{"AB"};
        par.toList = QStringList{"X"};
        par.newOneList = QStringList{"A", "体"};
        par.oldOneList = QStringList{"Y", "體"};
        int tips = 0;
        QCOMPARE(runOnColumn(par, {"ABA", "简体"}, &tips), QStringList({"XY", "简體"}));
    }

    // Empty cells are passed over; the first cell that is no number ends the
    // sheet's conversion and is reported with the file, once. So is a digit
    // run too long for 64 bits, which stays, and a base outside 2 to 36.
    void baseFailuresAreReported_data()
    {
        QTest::addColumn<bool>("wholeCell");
        QTest::addColumn<int>("from");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("whole cell")
            << true << 10 << QStringList{"255", "", "x", "7"} << QStringList{"ff", "", "x", "7"};
        QTest::newRow("runs") << false << 10 << QStringList{"n 62220212345678901234", "8"}
                              << QStringList{"n 62220212345678901234", "8"};
        QTest::newRow("no base") << true << 0 << QStringList{"10"} << QStringList{"10"};
    }
    void baseFailuresAreReported()
    {
        QFETCH(bool, wholeCell);
        QFETCH(int, from);
        QFETCH(QStringList, texts);
        ParTo par;
        par.implement = TextTo::Implement::Base;
        par.format1 = wholeCell;
        par.baseBefore = from;
        int tips = 0;
        QTEST(runOnColumn(par, texts, &tips), "expected");
        QCOMPARE(tips, 1);
    }
};

QTEST_GUILESS_MAIN(TestTextTo)
#include "tst_textto.moc"
