#include "operations/TextAdd.h"
#include "operations/TextChar.h"
#include "operations/TextSpace.h"
#include "records/ParAdd.h"
#include "records/ParChar.h"
#include "records/ParSpace.h"
#include "text/TextCut.h"

#include <QtTest>

namespace {

using CI = TextChar::Index;
using CM = TextChar::Implement;
using SI = TextSpace::Index;
using SM = TextSpace::Implement;
using AI = TextAdd::Index;
constexpr auto fix = TextChar::LengthOption::fixLength;
constexpr auto minus = TextChar::LengthOption::TotalLengthMinus;
constexpr auto addFix = TextAdd::LengthOption::fixLength;
constexpr auto addMinus = TextAdd::LengthOption::TotalLengthMinus;

// An emoji of two UTF-16 units, and a text with it at 1 and 2.
const QString e = QString::fromUcs4(U"\U0001F600");
const QString p = "a" + e + "b";
// The blanks an operation builds at most from a count, and a cell's text
// after that many blanks.
const QString most(TextOperation::MaxBuiltText, QLatin1Char(' '));
QString blanksThen(int number, const QString &text)
{
    return QString(number, QLatin1Char(' ')) + text;
}

// An edit of one cell's text by a record of each operation.
using Edit = std::function<void(QString &)>;
Edit chars(CI index, CM implement, TextChar::LengthOption option, int pos, const char *text)
{
    return [=](QString &cell) {
        ParChar par;
        par.index = index;
        par.implement = implement;
        par.lengthOption = option;
        par.pos = pos;
        par.text = QString::fromUtf8(text);
        TextChar::change(par, cell);
    };
}
Edit spaces(SI index, SM implement, int number)
{
    return [=](QString &cell) {
        ParSpace par;
        par.index = index;
        par.implement = implement;
        par.number = number;
        TextSpace::change(par, TextSpace::blanks(number), cell);
    };
}
Edit append(AI index, int pos, TextAdd::LengthOption option, int length)
{
    return [=](QString &cell) {
        ParAdd par;
        par.index = index;
        par.pos = pos;
        par.lengthOption = option;
        par.length = length;
        TextAdd::change(par, cell);
    };
}

struct Case
{
    const char *name;
    Edit edit;
    QString cell;
    QString expected;
};
const Case kCases[] = {
    {"left increase", chars(CI::Left, CM::Increase, fix, 0, "XY"), "abcdef", "XYabcdef"},
    {"left delete", chars(CI::Left, CM::Delete, fix, 0, "2"), "abcdef", "cdef"},
    {"left delete minus", chars(CI::Left, CM::Delete, minus, 0, "2"), "abcdef", "ef"},
    {"left retain", chars(CI::Left, CM::Retain, fix, 0, "2"), "abcdef", "ab"},
    {"right increase", chars(CI::Right, CM::Increase, fix, 0, "XY"), "abcdef", "abcdefXY"},
    {"right delete", chars(CI::Right, CM::Delete, fix, 0, "2"), "abcdef", "abcd"},
    {"right delete minus", chars(CI::Right, CM::Delete, minus, 0, "2"), "abcdef", "ab"},
    {"right retain", chars(CI::Right, CM::Retain, fix, 0, "2"), "abcdef", "ef"},
    {"pos increase", chars(CI::Pos, CM::Increase, fix, 2, "XY"), "abcdef", "abXYcdef"},
    {"pos delete", chars(CI::Pos, CM::Delete, fix, 1, "3"), "abcdef", "aef"},
    {"pos delete minus", chars(CI::Pos, CM::Delete, minus, 1, "2"), "abcdef", "af"},
    {"pos retain", chars(CI::Pos, CM::Retain, fix, 1, "3"), "abcdef", "bcd"},
    {"minus beyond length", chars(CI::Left, CM::Delete, minus, 0, "9"), "abcdef", "abcdef"},
    {"pos minus beyond", chars(CI::Pos, CM::Delete, minus, 1, "9"), "abcdef", "abcdef"},
    {"delete all left", chars(CI::Left, CM::Delete, fix, 0, "9"), "abcdef", ""},
    {"delete to end", chars(CI::Pos, CM::Delete, fix, 2, "9"), "abcdef", "ab"},
    {"count no number", chars(CI::Right, CM::Delete, fix, 0, "x"), "abcdef", "abcdef"},
    {"retain all right", chars(CI::Right, CM::Retain, fix, 0, "9"), "abcdef", "abcdef"},
    {"retain none", chars(CI::Right, CM::Retain, fix, 0, "0"), "abcdef", ""},
    {"pos delete at end", chars(CI::Pos, CM::Delete, fix, 6, "2"), "abcdef", "abcdef"},
    {"pos retain at end", chars(CI::Pos, CM::Retain, fix, 6, "2"), "abcdef", ""},
    {"pad with blanks", chars(CI::Pos, CM::Increase, fix, 8, "XY"), "abc", "abc     XY"},
    {"pad past a cell", chars(CI::Pos, CM::Increase, fix, 32770, "XY"), "abc",
     "abc" + blanksThen(32767, "XY")},
    {"pad far beyond", chars(CI::Pos, CM::Increase, fix, 999999999, "XY"), "abc",
     "abc" + most + "XY"},
    {"pad a long text", chars(CI::Pos, CM::Increase, fix, 50000, "XY"), QString(40000, 'a'),
     QString(40000, 'a') + blanksThen(10000, "XY")},
    {"empty increase", chars(CI::Left, CM::Increase, fix, 0, "XY"), "", "XY"},
    {"pair left delete", chars(CI::Left, CM::Delete, fix, 0, "2"), p, "b"},
    {"pair left retain", chars(CI::Left, CM::Retain, fix, 0, "2"), p, "a" + e},
    {"pair right delete", chars(CI::Right, CM::Delete, fix, 0, "2"), p, "a" + e},
    {"pair right retain", chars(CI::Right, CM::Retain, fix, 0, "2"), p, "b"},
    {"pair insert", chars(CI::Pos, CM::Increase, fix, 2, "X"), p, "a" + e + "Xb"},
    {"pair second half", chars(CI::Pos, CM::Retain, fix, 2, "1"), p, ""},
    {"pair first half", chars(CI::Pos, CM::Retain, fix, 1, "1"), p, e},
    {"pair pos delete", chars(CI::Pos, CM::Delete, fix, 2, "1"), p, p},
    {"left increase", spaces(SI::Left, SM::Increase, 2), "x", "  x"},
    {"left retain four", spaces(SI::Left, SM::Retain, 2), "    x", "  x"},
    {"left retain one", spaces(SI::Left, SM::Retain, 2), " x", " x"},
    {"left retain two", spaces(SI::Left, SM::Retain, 2), "  x", "  x"},
    {"left fix none", spaces(SI::Left, SM::Fixde, 2), "x", "  x"},
    {"left fix one", spaces(SI::Left, SM::Fixde, 2), " x", "  x"},
    {"left fix five", spaces(SI::Left, SM::Fixde, 2), "     x", "  x"},
    {"left delete three", spaces(SI::Left, SM::Delete, 2), "   x", " x"},
    {"left delete one", spaces(SI::Left, SM::Delete, 2), " x", " x"},
    {"right increase", spaces(SI::Right, SM::Increase, 2), "x", "x  "},
    {"right retain four", spaces(SI::Right, SM::Retain, 2), "x    ", "x  "},
    {"right retain two", spaces(SI::Right, SM::Retain, 2), "x  ", "x  "},
    {"right fix five", spaces(SI::Right, SM::Fixde, 2), "x     ", "x  "},
    {"right delete three", spaces(SI::Right, SM::Delete, 2), "x   ", "x "},
    {"zero retain", spaces(SI::Left, SM::Retain, 0), "  x", "x"},
    {"zero fix", spaces(SI::Left, SM::Fixde, 0), "  x", "x"},
    {"zero delete", spaces(SI::Left, SM::Delete, 0), "  x", "  x"},
    {"tab first", spaces(SI::Left, SM::Fixde, 2), "\t  x", "  \t  x"},
    {"blank tab blank", spaces(SI::Left, SM::Fixde, 2), " \t x", "  x"},
    {"end tab blank", spaces(SI::Right, SM::Fixde, 2), "x \t ", "x  "},
    {"fix far beyond", spaces(SI::Left, SM::Fixde, 999999999), "  x", most + "x"},
    {"increase far beyond", spaces(SI::Right, SM::Increase, 999999999), "x", "x" + most},
    {"increase past a cell", spaces(SI::Left, SM::Increase, 32768), "x", blanksThen(32768, "x")},
    {"retain far beyond", spaces(SI::Left, SM::Retain, 999999999), "  x", "  x"},
    {"retain beyond the built", spaces(SI::Left, SM::Retain, 40000), blanksThen(40000, "x"),
     blanksThen(40000, "x")},
    {"delete beyond the built", spaces(SI::Right, SM::Delete, 40000), "x" + blanksThen(40001, ""),
     "x "},
    {"delete far beyond", spaces(SI::Right, SM::Delete, 999999999), "x  ", "x  "},
    {"all", spaces(SI::All, SM::Increase, 2), "a b  c", "abc"},
    {"all, any number", spaces(SI::All, SM::Fixde, 40000), " x ", "x"},
    {"all keeps others", spaces(SI::All, SM::Increase, 2), "a\u3000b\tc d", "a\u3000b\tcd"},
    {"left", append(AI::Left, 0, addFix, 2), "abcdef", "ababcdef"},
    {"right", append(AI::Right, 0, addFix, 2), "abcdef", "abcdefab"},
    {"minus", append(AI::Right, 1, addMinus, 2), "abcdef", "abcdefbcde"},
    {"minus beyond", append(AI::Right, 1, addMinus, 5), "abc", "abcbc"},
    {"count zero", append(AI::Left, 1, addFix, 0), "abcdef", "abcdef"},
    {"start at end", append(AI::Left, 6, addFix, 2), "abcdef", "abcdef"},
    {"empty", append(AI::Left, 0, addFix, 2), "", ""},
    {"pair whole", append(AI::Left, 0, addFix, 2), p, "a" + e + p},
    {"pair second half", append(AI::Right, 2, addFix, 1), p, p},
};

} // namespace

// How the cell text operations change one cell's text, row by row of their
// tables.
class TestCellEdits : public QObject
{
    Q_OBJECT
private slots:
    void edits_data()
    {
        QTest::addColumn<int>("row");
        for (size_t i = 0; i < std::size(kCases); ++i)
            QTest::newRow(kCases[i].name) << int(i);
    }
    void edits()
    {
        QFETCH(int, row);
        QString text = kCases[row].cell;
        kCases[row].edit(text);
        QCOMPARE(text, kCases[row].expected);
    }

    // Away from pairs of units a cut is QString's own, at every end.
    void cutsAreQStringsOwnOnPlainText()
    {
        const QString text = QStringLiteral("abcde");
        for (int position = -3; position <= 7; ++position) {
            for (int n = -2; n <= 7; ++n)
                QCOMPARE(TextCut::mid(text, position, n), text.mid(position, n));
        }
    }
};

QTEST_APPLESS_MAIN(TestCellEdits)
#include "tst_celledits.moc"
