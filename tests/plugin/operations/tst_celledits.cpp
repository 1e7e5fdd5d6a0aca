#include "ParAdd.h"
#include "ParChar.h"
#include "ParSpace.h"
#include "TextAdd.h"
#include "TextChar.h"
#include "TextCut.h"
#include "TextSpace.h"

#include <QtTest>

Q_DECLARE_METATYPE(TextChar::Index)
Q_DECLARE_METATYPE(TextChar::Implement)
Q_DECLARE_METATYPE(TextChar::LengthOption)
Q_DECLARE_METATYPE(TextSpace::Index)
Q_DECLARE_METATYPE(TextSpace::Implement)
Q_DECLARE_METATYPE(TextAdd::Index)
Q_DECLARE_METATYPE(TextAdd::LengthOption)

namespace {

// a, an emoji of two UTF-16 units at 1 and 2, b.
const QString kPair = QStringLiteral("a") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("b");
const QString kEmoji = QString::fromUcs4(U"\U0001F600");

} // namespace

// How the cell text operations change one cell's text, row by row of their
// tables.
class TestCellEdits : public QObject
{
    Q_OBJECT
private slots:
    void characters_data()
    {
        using I = TextChar::Index;
        using M = TextChar::Implement;
        const auto fix = TextChar::LengthOption::fixLength;
        const auto minus = TextChar::LengthOption::TotalLengthMinus;
        QTest::addColumn<TextChar::Index>("index");
        QTest::addColumn<TextChar::Implement>("implement");
        QTest::addColumn<TextChar::LengthOption>("lengthOption");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("parText");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("expected");
        const QString t = QStringLiteral("abcdef");
        QTest::newRow("left increase")
            << I::Left << M::Increase << fix << 0 << "XY" << t << "XYabcdef";
        QTest::newRow("left delete") << I::Left << M::Delete << fix << 0 << "2" << t << "cdef";
        QTest::newRow("left delete minus")
            << I::Left << M::Delete << minus << 0 << "2" << t << "ef";
        QTest::newRow("left retain") << I::Left << M::Retain << fix << 0 << "2" << t << "ab";
        QTest::newRow("right increase")
            << I::Right << M::Increase << fix << 0 << "XY" << t << "abcdefXY";
        QTest::newRow("right delete") << I::Right << M::Delete << fix << 0 << "2" << t << "abcd";
        QTest::newRow("right delete minus")
            << I::Right << M::Delete << minus << 0 << "2" << t << "ab";
        QTest::newRow("right retain") << I::Right << M::Retain << fix << 0 << "2" << t << "ef";
        QTest::newRow("pos increase")
            << I::Pos << M::Increase << fix << 2 << "XY" << t << "abXYcdef";
        QTest::newRow("pos delete") << I::Pos << M::Delete << fix << 1 << "3" << t << "aef";
        QTest::newRow("pos delete minus") << I::Pos << M::Delete << minus << 1 << "2" << t << "af";
        QTest::newRow("pos retain") << I::Pos << M::Retain << fix << 1 << "3" << t << "bcd";
        // The ends.
        QTest::newRow("minus beyond length") << I::Left << M::Delete << minus << 0 << "9" << t << t;
        QTest::newRow("right minus beyond") << I::Right << M::Delete << minus << 0 << "9" << t << t;
        QTest::newRow("pos minus beyond") << I::Pos << M::Delete << minus << 1 << "9" << t << t;
        QTest::newRow("delete all left") << I::Left << M::Delete << fix << 0 << "9" << t << "";
        QTest::newRow("delete all right") << I::Right << M::Delete << fix << 0 << "9" << t << "";
        QTest::newRow("delete to end") << I::Pos << M::Delete << fix << 2 << "9" << t << "ab";
        QTest::newRow("delete none") << I::Left << M::Delete << fix << 0 << "0" << t << t;
        QTest::newRow("count no number") << I::Right << M::Delete << fix << 0 << "x" << t << t;
        QTest::newRow("retain all left") << I::Left << M::Retain << fix << 0 << "6" << t << t;
        QTest::newRow("retain all right") << I::Right << M::Retain << fix << 0 << "9" << t << t;
        QTest::newRow("retain none left") << I::Left << M::Retain << fix << 0 << "0" << t << "";
        QTest::newRow("retain none right") << I::Right << M::Retain << fix << 0 << "0" << t << "";
        QTest::newRow("pos delete at end") << I::Pos << M::Delete << fix << 6 << "2" << t << t;
        QTest::newRow("pos retain at end") << I::Pos << M::Retain << fix << 6 << "2" << t << "";
        QTest::newRow("pos increase at end")
            << I::Pos << M::Increase << fix << 6 << "XY" << t << "abcdefXY";
        QTest::newRow("pad with blanks") << I::Pos << M::Increase << fix << 8 << "XY"
                                         << "abc"
                                         << "abc     XY";
        QTest::newRow("no pad past a cell")
            << I::Pos << M::Increase << fix << 40000 << "XY" << t << t;
        QTest::newRow("empty increase") << I::Left << M::Increase << fix << 0 << "XY"
                                        << ""
                                        << "XY";
        QTest::newRow("empty retain") << I::Left << M::Retain << fix << 0 << "2"
                                      << ""
                                      << "";
        QTest::newRow("empty delete") << I::Right << M::Delete << fix << 0 << "2"
                                      << ""
                                      << "";
        // A cut inside a pair of units moves to just after it.
        const QString p = kPair;
        const QString e = kEmoji;
        QTest::newRow("pair left delete") << I::Left << M::Delete << fix << 0 << "2" << p << "b";
        QTest::newRow("pair left retain")
            << I::Left << M::Retain << fix << 0 << "2" << p << "a" + e;
        QTest::newRow("pair right delete")
            << I::Right << M::Delete << fix << 0 << "2" << p << "a" + e;
        QTest::newRow("pair right retain") << I::Right << M::Retain << fix << 0 << "2" << p << "b";
        QTest::newRow("pair insert")
            << I::Pos << M::Increase << fix << 2 << "X" << p << "a" + e + "Xb";
        QTest::newRow("pair second half") << I::Pos << M::Retain << fix << 2 << "1" << p << "";
        QTest::newRow("pair first half") << I::Pos << M::Retain << fix << 1 << "1" << p << e;
        QTest::newRow("pair pos delete") << I::Pos << M::Delete << fix << 2 << "1" << p << p;
    }
    void characters()
    {
        ParChar par;
        QFETCH(TextChar::Index, index);
        QFETCH(TextChar::Implement, implement);
        QFETCH(TextChar::LengthOption, lengthOption);
        QFETCH(int, pos);
        QFETCH(QString, parText);
        QFETCH(QString, cell);
        par.index = index;
        par.implement = implement;
        par.lengthOption = lengthOption;
        par.pos = pos;
        par.text = parText;
        TextChar::change(par, cell);
        QTEST(cell, "expected");
    }

    void spaces_data()
    {
        using I = TextSpace::Index;
        using M = TextSpace::Implement;
        QTest::addColumn<TextSpace::Index>("index");
        QTest::addColumn<TextSpace::Implement>("implement");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("expected");
        QTest::newRow("left increase") << I::Left << M::Increase << 2 << "x"
                                       << "  x";
        QTest::newRow("left retain four") << I::Left << M::Retain << 2 << "    x"
                                          << "  x";
        QTest::newRow("left retain one") << I::Left << M::Retain << 2 << " x"
                                         << " x";
        QTest::newRow("left retain two") << I::Left << M::Retain << 2 << "  x"
                                         << "  x";
        QTest::newRow("left fix none") << I::Left << M::Fixde << 2 << "x"
                                       << "  x";
        QTest::newRow("left fix one") << I::Left << M::Fixde << 2 << " x"
                                      << "  x";
        QTest::newRow("left fix five") << I::Left << M::Fixde << 2 << "     x"
                                       << "  x";
        QTest::newRow("left delete three") << I::Left << M::Delete << 2 << "   x"
                                           << " x";
        QTest::newRow("left delete one") << I::Left << M::Delete << 2 << " x"
                                         << " x";
        QTest::newRow("right increase") << I::Right << M::Increase << 2 << "x"
                                        << "x  ";
        QTest::newRow("right retain four") << I::Right << M::Retain << 2 << "x    "
                                           << "x  ";
        QTest::newRow("right retain one") << I::Right << M::Retain << 2 << "x "
                                          << "x ";
        QTest::newRow("right retain two") << I::Right << M::Retain << 2 << "x  "
                                          << "x  ";
        QTest::newRow("right fix none") << I::Right << M::Fixde << 2 << "x"
                                        << "x  ";
        QTest::newRow("right fix one") << I::Right << M::Fixde << 2 << "x "
                                       << "x  ";
        QTest::newRow("right fix five") << I::Right << M::Fixde << 2 << "x     "
                                        << "x  ";
        QTest::newRow("right delete three") << I::Right << M::Delete << 2 << "x   "
                                            << "x ";
        QTest::newRow("right delete one") << I::Right << M::Delete << 2 << "x "
                                          << "x ";
        QTest::newRow("zero retain") << I::Left << M::Retain << 0 << "  x"
                                     << "x";
        QTest::newRow("zero fix") << I::Left << M::Fixde << 0 << "  x"
                                  << "x";
        QTest::newRow("zero delete") << I::Left << M::Delete << 0 << "  x"
                                     << "  x";
        QTest::newRow("zero increase") << I::Left << M::Increase << 0 << "  x"
                                       << "  x";
        QTest::newRow("zero right fix") << I::Right << M::Fixde << 0 << "x  "
                                        << "x";
        // White space next to the blanks goes with them; a tab first is no
        // blank run at all.
        QTest::newRow("tab first") << I::Left << M::Fixde << 2 << "\t  x"
                                   << "  \t  x";
        QTest::newRow("blank tab blank") << I::Left << M::Fixde << 2 << " \t x"
                                         << "  x";
        QTest::newRow("end tab blank") << I::Right << M::Fixde << 2 << "x \t "
                                       << "x  ";
        QTest::newRow("end tab only") << I::Right << M::Fixde << 2 << "x\t"
                                      << "x\t  ";
        QTest::newRow("more than a cell") << I::Left << M::Fixde << 40000 << "  x"
                                          << "  x";
        QTest::newRow("all") << I::All << M::Increase << 2 << "a b  c"
                             << "abc";
        QTest::newRow("all, any number") << I::All << M::Fixde << 40000 << " x "
                                         << "x";
        QTest::newRow("all keeps others") << I::All << M::Increase << 2 << "a\u3000b\tc d"
                                          << "a\u3000b\tcd";
    }
    void spaces()
    {
        ParSpace par;
        QFETCH(TextSpace::Index, index);
        QFETCH(TextSpace::Implement, implement);
        QFETCH(int, number);
        QFETCH(QString, cell);
        par.index = index;
        par.implement = implement;
        par.number = number;
        TextSpace::change(par, QString(qMin(number, 32767), QLatin1Char(' ')), cell);
        QTEST(cell, "expected");
    }

    void append_data()
    {
        using I = TextAdd::Index;
        const auto fix = TextAdd::LengthOption::fixLength;
        const auto minus = TextAdd::LengthOption::TotalLengthMinus;
        QTest::addColumn<TextAdd::Index>("index");
        QTest::addColumn<int>("pos");
        QTest::addColumn<TextAdd::LengthOption>("lengthOption");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("expected");
        const QString t = QStringLiteral("abcdef");
        QTest::newRow("left") << I::Left << 0 << fix << 2 << t << "ababcdef";
        QTest::newRow("right") << I::Right << 0 << fix << 2 << t << "abcdefab";
        QTest::newRow("minus") << I::Right << 1 << minus << 2 << t << "abcdefbcde";
        QTest::newRow("minus beyond") << I::Right << 1 << minus << 5 << "abc"
                                      << "abcbc";
        QTest::newRow("count zero") << I::Left << 1 << fix << 0 << t << t;
        QTest::newRow("start at end") << I::Left << 6 << fix << 2 << t << t;
        QTest::newRow("start beyond") << I::Right << 9 << fix << 2 << t << t;
        QTest::newRow("empty") << I::Left << 0 << fix << 2 << ""
                               << "";
        QTest::newRow("pair whole") << I::Left << 0 << fix << 2 << kPair << "a" + kEmoji + kPair;
        QTest::newRow("pair second half") << I::Right << 2 << fix << 1 << kPair << kPair;
        QTest::newRow("pair first half") << I::Right << 1 << fix << 1 << kPair << kPair + kEmoji;
    }
    void append()
    {
        ParAdd par;
        QFETCH(TextAdd::Index, index);
        QFETCH(int, pos);
        QFETCH(TextAdd::LengthOption, lengthOption);
        QFETCH(int, length);
        QFETCH(QString, cell);
        par.index = index;
        par.pos = pos;
        par.lengthOption = lengthOption;
        par.length = length;
        TextAdd::change(par, cell);
        QTEST(cell, "expected");
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
