#ifndef NUMBERFORMAT_H
#define NUMBERFORMAT_H

#include <QString>
#include <QVector>

// A cell number format, parsed once and applied to many values: what the
// spreadsheet application displays for a number or a text in a column wide
// enough for it.
//
// Handled: General; up to four sections (positive; negative; zero; text) or
// sections with conditions in brackets; literals in quotes or after a
// backslash; _x (a blank) and *x (dropped); digit placeholders 0 # ?, the
// decimal point, thousands separators and scaling commas, %, E+ E-; date and
// time parts y m d h s (m is minutes next to h or s), AM/PM, A/P, elapsed
// [h] [m] [s], fractional seconds; currency texts [$...]; @ for the text.
// Colours and other bracketed codes are skipped. Fractions are shown as
// decimals.
class NumberFormat
{
public:
    NumberFormat() = default; // General
    explicit NumberFormat(const QString &code);

    // The code of a built-in format id; empty (General) for ids without one.
    static QString builtInCode(int id);
    // General: integers of up to 11 digits as they are, other numbers in at
    // most 11 characters, scientific when nothing else fits.
    static QString general(double value);

    QString format(double value, bool date1904) const;
    QString formatText(const QString &text) const;
    bool isGeneral() const { return m_sections.isEmpty(); }

private:
    struct Token
    {
        enum Kind {
            Literal,
            Digit, // text holds '0', '#' or '?'
            Point,
            Comma,
            Percent,
            Exponent, // text holds "+" or "-"
            General,
            TextValue, // @
            Year,      // count = letters
            Month,     // m run; may turn out to be minutes
            Minute,
            Day,
            Hour,
            Second,
            AmPm, // text holds the form ("AM/PM", "am/pm", "A/P", "a/p")
            ElapsedHours,
            ElapsedMinutes,
            ElapsedSeconds,
            SubSecond // count = decimals of the seconds
        };
        Kind kind = Literal;
        QString text;
        int count = 0;
    };

    struct Section
    {
        QVector<Token> tokens;
        bool hasCondition = false;
        QString conditionOperator;
        double conditionValue = 0;
        bool isDate = false;
        bool isText = false;
        bool hasNumber = false; // digit placeholders or General
        bool twelveHour = false;
        bool empty = true;
    };

    class SectionParser; // a section's code into tokens
    class NumberWriter;  // a number through a section's placeholders

    static Section parseSection(const QString &code);
    static void resolveDateTokens(Section *section);
    static bool conditionHolds(const Section &section, double value);

    const Section *sectionFor(double value, bool *showMinus) const;
    static QString formatNumber(const Section &section, double value);
    static QString formatDate(const Section &section, double value, bool date1904);

    QVector<Section> m_sections;
};

#endif // NUMBERFORMAT_H
