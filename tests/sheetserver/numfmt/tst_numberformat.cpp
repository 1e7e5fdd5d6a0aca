#include "numfmt/NumberFormat.h"

#include <QtTest>

class TestNumberFormat : public QObject
{
    Q_OBJECT
private slots:
    void general_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("integer") << 42.0 << "42";
        QTest::newRow("negative") << -7.0 << "-7";
        QTest::newRow("eleven digits") << 12345678901.0 << "12345678901";
        QTest::newRow("twelve digits") << 123456789012.0 << "1.23457E+11";
        QTest::newRow("binary noise") << 99.98999999999999 << "99.99";
        QTest::newRow("sum noise") << 0.1 + 0.2 << "0.3";
        QTest::newRow("fits eleven") << 123456.789012 << "123456.789";
        QTest::newRow("negative fits ten") << -123456.789012 << "-123456.789";
        QTest::newRow("third") << 1.0 / 3 << "0.333333333";
        QTest::newRow("small") << 0.0001 << "0.0001";
        QTest::newRow("smaller loses digits") << 0.0000123456789 << "1.23457E-05";
        QTest::newRow("tiny") << 1e-20 << "1E-20";
        QTest::newRow("huge") << 1e100 << "1E+100";
        QTest::newRow("rounds up to new digit") << 99999999999.9 << "1E+11";
    }
    void general()
    {
        QFETCH(double, value);
        QTEST(NumberFormat::general(value), "shown");
    }

    void codes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("half up") << "0.00" << 2.675 << "2.68";
        QTest::newRow("no integer digit") << "#.##" << 0.5 << ".5";
        QTest::newRow("point stays") << "#.##" << 3.0 << "3.";
        QTest::newRow("question pads") << "0.0??" << 1.5 << "1.5  ";
        QTest::newRow("thousands") << "#,##0" << 1234567.0 << "1,234,567";
        QTest::newRow("thousands small") << "#,##0" << 12.0 << "12";
        QTest::newRow("scaling") << "0.0," << 1234567.0 << "1234.6";
        QTest::newRow("scaling twice") << "#,##0,," << 1234567890.0 << "1,235";
        QTest::newRow("percent") << "0.0%" << 0.1234 << "12.3%";
        QTest::newRow("scientific") << "0.00E+00" << 0.000123 << "1.23E-04";
        QTest::newRow("engineering") << "##0.0E+0" << 12345.0 << "12.3E+3";
        QTest::newRow("exponent minus only") << "0.0E-0" << 1500.0 << "1.5E3";
        QTest::newRow("phone layout") << "000-0000" << 5551234.0 << "555-1234";
        QTest::newRow("literal text") << "\"Total: \"0" << 5.0 << "Total: 5";
        QTest::newRow("backslash") << "0\\k" << 5.0 << "5k";
        QTest::newRow("underscore and star") << "_(0_)*x" << 5.0 << " 5 ";
        QTest::newRow("currency bracket") << "[$€-407]#,##0.00" << 1234.5 << "€1,234.50";
        QTest::newRow("colour skipped") << "[Blue]0" << 3.0 << "3";
        QTest::newRow("negative section") << "0;(0)" << -3.0 << "(3)";
        QTest::newRow("single section minus") << "0.0" << -3.25 << "-3.3";
        QTest::newRow("zero section") << "0;-0;\"zero\"" << 0.0 << "zero";
        QTest::newRow("empty zero section") << "0;-0;" << 0.0 << "";
        QTest::newRow("condition") << "[>=100]\"big\";[<0]\"neg\";0" << 150.0 << "big";
        QTest::newRow("condition else") << "[>=100]\"big\";[<0]\"neg\";0" << 5.0 << "5";
        QTest::newRow("general in section") << "General\" u\"" << 2.5 << "2.5 u";
        QTest::newRow("text only format") << "@" << 12.0 << "12";
        QTest::newRow("date") << "yyyy-mm-dd" << 45292.0 << "2024-01-01";
        QTest::newRow("short year") << "d/m/yy" << 45292.0 << "1/1/24";
        QTest::newRow("month names") << "mmm mmmm mmmmm" << 45292.0 << "Jan January J";
        QTest::newRow("day names") << "ddd dddd" << 45292.0 << "Mon Monday";
        QTest::newRow("minutes beside hours") << "h:mm" << 0.75 + 5.0 / 1440 << "18:05";
        QTest::newRow("minutes before seconds") << "mm:ss" << 65.0 / 86400 << "01:05";
        QTest::newRow("twelve hour") << "h:mm AM/PM" << 0.75 << "6:00 PM";
        QTest::newRow("midnight twelve hour") << "h AM/PM" << 0.0 << "12 AM";
        QTest::newRow("a/p") << "h a/p" << 0.25 << "6 a";
        QTest::newRow("elapsed hours") << "[h]:mm:ss" << 1.5 << "36:00:00";
        QTest::newRow("elapsed minutes") << "[mm]:ss" << 1.0 / 24 << "60:00";
        QTest::newRow("fraction of seconds") << "ss.00" << 1.25 / 86400 << "01.25";
        QTest::newRow("seconds round up") << "h:mm:ss" << 0.99999999 << "0:00:00";
        QTest::newRow("leap day of 1900") << "yyyy-mm-dd" << 60.0 << "1900-02-29";
        QTest::newRow("day zero") << "yyyy-mm-dd" << 0.0 << "1900-01-00";
        QTest::newRow("before leap day") << "yyyy-mm-dd" << 59.0 << "1900-02-28";
        QTest::newRow("after leap day") << "yyyy-mm-dd" << 61.0 << "1900-03-01";
        QTest::newRow("chinese literals")
            << "yyyy\"年\"m\"月\"d\"日\"" << 45292.0 << "2024年1月1日";
    }
    void codes()
    {
        QFETCH(QString, code);
        QFETCH(double, value);
        QTEST(NumberFormat(code).format(value, false), "shown");
    }

    void dateSystem1904()
    {
        QCOMPARE(NumberFormat(QStringLiteral("yyyy-mm-dd")).format(0, true),
                 QStringLiteral("1904-01-01"));
        QCOMPARE(NumberFormat(QStringLiteral("yyyy-mm-dd ddd")).format(43830, true),
                 QStringLiteral("2024-01-01 Mon"));
    }

    void textThroughFormats()
    {
        QCOMPARE(NumberFormat(QStringLiteral("@")).formatText(QStringLiteral("007")),
                 QStringLiteral("007"));
        QCOMPARE(NumberFormat(QStringLiteral("0;-0;0;\"<\"@\">\"")).formatText(QStringLiteral("x")),
                 QStringLiteral("<x>"));
        QCOMPARE(NumberFormat(QStringLiteral("0.00")).formatText(QStringLiteral("x")),
                 QStringLiteral("x"));
    }

    void builtInFormats()
    {
        QCOMPARE(NumberFormat(NumberFormat::builtInCode(14)).format(45292, false),
                 QStringLiteral("1/1/2024"));
        QCOMPARE(NumberFormat(NumberFormat::builtInCode(4)).format(-1234.5, false),
                 QStringLiteral("-1,234.50"));
        QCOMPARE(NumberFormat(NumberFormat::builtInCode(10)).format(0.5, false),
                 QStringLiteral("50.00%"));
        QCOMPARE(NumberFormat(NumberFormat::builtInCode(49)).format(3, false), QStringLiteral("3"));
        QVERIFY(NumberFormat(NumberFormat::builtInCode(999)).isGeneral());
    }

    void oddInputDoesNotBreak()
    {
        for (const char *code :
             {"\"unclosed", "[unclosed", "\\", "_", "*", "E+", "0E+", ";;;;;", "[>]0", ".,%"}) {
            const NumberFormat format{QString::fromLatin1(code)};
            format.format(-12.5, false);
            format.format(1e300, false);
            format.formatText(QStringLiteral("t"));
        }
        QCOMPARE(NumberFormat(QStringLiteral("0"))
                     .format(std::numeric_limits<double>::infinity(), false),
                 QStringLiteral("#NUM!"));
        QVERIFY(NumberFormat(QStringLiteral("yyyy")).format(1e12, false).size() < 40);
    }
};

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
