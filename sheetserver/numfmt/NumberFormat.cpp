#include "numfmt/NumberFormat.h"

#include "numfmt/DecimalDigits.h"

#include <QDate>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

const char *const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
const char *const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

// Splits a code at the semicolons that separate sections.
QStringList splitSections(const QString &code)
{
    QStringList sections;
    QString current;
    bool quoted = false;
    bool bracket = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"') && !bracket) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('[')) {
            bracket = true;
        } else if (!quoted && c == QLatin1Char(']')) {
            bracket = false;
        } else if (!quoted && !bracket && c == QLatin1Char('\\') && i + 1 < code.size()) {
            current += c;
            current += code.at(++i);
            continue;
        } else if (!quoted && !bracket && c == QLatin1Char(';')) {
            sections.append(current);
            current.clear();
            continue;
        }
        current += c;
    }
    sections.append(current);
    return sections;
}

int runLength(const QString &code, int at, QChar letter)
{
    int n = 0;
    while (at + n < code.size() && code.at(at + n).toLower() == letter)
        ++n;
    return n;
}

QString twoDigits(qint64 n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

// Days since the epoch of the workbook's date system to a calendar date.
// The 1900 system counts a 29 February 1900 that never was (serial 60), and
// serial 0 is shown as 0 January 1900.
void civilDate(qint64 days, bool date1904, int *year, int *month, int *day, int *weekday)
{
    if (date1904) {
        const QDate d = QDate(1904, 1, 1).addDays(days);
        *year = d.year();
        *month = d.month();
        *day = d.day();
        *weekday = int((days + 5) % 7);
        return;
    }
    *weekday = int(((days - 1) % 7 + 7) % 7);
    if (days == 0) {
        *year = 1900;
        *month = 1;
        *day = 0;
        return;
    }
    if (days == 60) {
        *year = 1900;
        *month = 2;
        *day = 29;
        return;
    }
    const QDate d = QDate(1899, 12, days < 60 ? 31 : 30).addDays(days);
    *year = d.year();
    *month = d.month();
    *day = d.day();
}

} // namespace

NumberFormat::NumberFormat(const QString &code)
{
    const QString trimmed = code.trimmed();
    if (trimmed.isEmpty() || trimmed.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return;
    const QStringList parts = splitSections(code);
    for (const QString &part : parts)
        m_sections.append(parseSection(part));
}

QString NumberFormat::builtInCode(int id)
{
    static const QHash<int, QString> codes{
        {1, QStringLiteral("0")},
        {2, QStringLiteral("0.00")},
        {3, QStringLiteral("#,##0")},
        {4, QStringLiteral("#,##0.00")},
        {5, QStringLiteral("\"$\"#,##0_);\\(\"$\"#,##0\\)")},
        {6, QStringLiteral("\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)")},
        {7, QStringLiteral("\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)")},
        {8, QStringLiteral("\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)")},
        {9, QStringLiteral("0%")},
        {10, QStringLiteral("0.00%")},
        {11, QStringLiteral("0.00E+00")},
        {12, QStringLiteral("# ?/?")},
        {13, QStringLiteral("# ?\?/?\?")},
        {14, QStringLiteral("m/d/yyyy")},
        {15, QStringLiteral("d-mmm-yy")},
        {16, QStringLiteral("d-mmm")},
        {17, QStringLiteral("mmm-yy")},
        {18, QStringLiteral("h:mm AM/PM")},
        {19, QStringLiteral("h:mm:ss AM/PM")},
        {20, QStringLiteral("h:mm")},
        {21, QStringLiteral("h:mm:ss")},
        {22, QStringLiteral("m/d/yyyy h:mm")},
        {37, QStringLiteral("#,##0 ;(#,##0)")},
        {38, QStringLiteral("#,##0 ;[Red](#,##0)")},
        {39, QStringLiteral("#,##0.00;(#,##0.00)")},
        {40, QStringLiteral("#,##0.00;[Red](#,##0.00)")},
        {41, QStringLiteral("_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)")},
        {42, QStringLiteral("_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)")},
        {43, QStringLiteral("_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"?\?_);_(@_)")},
        {44,
         QStringLiteral("_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"?\?_);_(@_)")},
        {45, QStringLiteral("mm:ss")},
        {46, QStringLiteral("[h]:mm:ss")},
        {47, QStringLiteral("mm:ss.0")},
        {48, QStringLiteral("##0.0E+0")},
        {49, QStringLiteral("@")},
    };
    return codes.value(id);
}

// Reads the code of one section into tokens. Each handler looks at the code
// where reading stands and either takes a piece of it, moving on, or leaves
// it to the next; a character no handler takes is literal text.
class NumberFormat::SectionParser
{
public:
    explicit SectionParser(const QString &code) : m_code(code), m_size(code.size()) {}
    Section parse();

private:
    using Handler = bool (SectionParser::*)();

    bool quotedText();
    bool escapedCharacter();
    bool blank();
    bool fill();
    bool bracket();
    bool digitPlaceholder();
    bool separator();
    bool exponent();
    bool generalWord();
    bool textValue();
    bool amPm();
    bool datePart();

    bool elapsedTime(const QString &low);
    bool currency(const QString &inside);
    void condition(const QString &inside);

    QChar here() const { return m_code.at(m_at); }
    bool startsWith(QLatin1String word) const
    {
        return m_code.midRef(m_at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
    }
    void append(Token::Kind kind, const QString &text = QString(), int count = 0)
    {
        m_section.tokens.append({kind, text, count});
    }
    void literal(const QString &text);

    const QString &m_code;
    const int m_size;
    int m_at = 0;
    Section m_section;
};

NumberFormat::Section NumberFormat::SectionParser::parse()
{
    // In this order: "e+" is an exponent before "e" is a year, and "am/pm"
    // is read whole before "a/p".
    static const Handler handlers[] = {
        &SectionParser::quotedText,  &SectionParser::escapedCharacter,
        &SectionParser::blank,       &SectionParser::fill,
        &SectionParser::bracket,     &SectionParser::digitPlaceholder,
        &SectionParser::separator,   &SectionParser::exponent,
        &SectionParser::generalWord, &SectionParser::textValue,
        &SectionParser::amPm,        &SectionParser::datePart};
    while (m_at < m_size) {
        const auto taken = [this](Handler handler) { return (this->*handler)(); };
        if (std::none_of(std::begin(handlers), std::end(handlers), taken)) {
            literal(QString(here()));
            ++m_at;
        }
    }
    m_section.empty = m_section.tokens.isEmpty();
    if (m_section.isDate)
        resolveDateTokens(&m_section);
    return m_section;
}

void NumberFormat::SectionParser::literal(const QString &text)
{
    QVector<Token> &tokens = m_section.tokens;
    if (!tokens.isEmpty() && tokens.last().kind == Token::Literal)
        tokens.last().text += text;
    else
        tokens.append({Token::Literal, text, 0});
}

bool NumberFormat::SectionParser::quotedText()
{
    if (here() != QLatin1Char('"'))
        return false;
    const int close = m_code.indexOf(QLatin1Char('"'), m_at + 1);
    const int stop = close < 0 ? m_size : close;
    literal(m_code.mid(m_at + 1, stop - m_at - 1));
    m_at = stop + 1;
    return true;
}

bool NumberFormat::SectionParser::escapedCharacter()
{
    if (here() != QLatin1Char('\\'))
        return false;
    if (m_at + 1 < m_size)
        literal(m_code.mid(m_at + 1, 1));
    m_at += 2;
    return true;
}

// "_x" leaves the room of x blank.
bool NumberFormat::SectionParser::blank()
{
    if (here() != QLatin1Char('_'))
        return false;
    literal(QStringLiteral(" "));
    m_at += 2;
    return true;
}

// "*x" repeats x to fill the column; a column wide enough needs none.
bool NumberFormat::SectionParser::fill()
{
    if (here() != QLatin1Char('*'))
        return false;
    m_at += 2;
    return true;
}

bool NumberFormat::SectionParser::bracket()
{
    if (here() != QLatin1Char('['))
        return false;
    const int close = m_code.indexOf(QLatin1Char(']'), m_at + 1);
    const int stop = close < 0 ? m_size : close;
    const QString inside = m_code.mid(m_at + 1, stop - m_at - 1);
    m_at = stop + 1;
    if (!elapsedTime(inside.toLower()) && !currency(inside))
        condition(inside);
    // Colours, locales and the like do not change the text.
    return true;
}

bool NumberFormat::SectionParser::elapsedTime(const QString &low)
{
    if (low.isEmpty() || low.count(low.at(0)) != low.size())
        return false;
    const QChar unit = low.at(0);
    if (unit != QLatin1Char('h') && unit != QLatin1Char('m') && unit != QLatin1Char('s'))
        return false;
    const Token::Kind kind = unit == QLatin1Char('h')   ? Token::ElapsedHours
                             : unit == QLatin1Char('m') ? Token::ElapsedMinutes
                                                        : Token::ElapsedSeconds;
    append(kind, QString(), int(low.size()));
    m_section.isDate = true;
    return true;
}

bool NumberFormat::SectionParser::currency(const QString &inside)
{
    if (!inside.startsWith(QLatin1Char('$')))
        return false;
    const int dash = inside.indexOf(QLatin1Char('-'));
    literal(inside.mid(1, dash < 0 ? -1 : dash - 1));
    return true;
}

void NumberFormat::SectionParser::condition(const QString &inside)
{
    if (inside.isEmpty() || !QStringLiteral("<>=").contains(inside.at(0)))
        return;
    int n = 1;
    while (n < inside.size() && QStringLiteral("<>=").contains(inside.at(n)))
        ++n;
    bool ok = false;
    const double value = inside.mid(n).trimmed().toDouble(&ok);
    if (ok) {
        m_section.hasCondition = true;
        m_section.conditionOperator = inside.left(n);
        m_section.conditionValue = value;
    }
}

bool NumberFormat::SectionParser::digitPlaceholder()
{
    const QChar c = here();
    if (c != QLatin1Char('0') && c != QLatin1Char('#') && c != QLatin1Char('?'))
        return false;
    append(Token::Digit, QString(c));
    m_section.hasNumber = true;
    ++m_at;
    return true;
}

// The decimal point, a thousands separator or scaling comma, and percent.
bool NumberFormat::SectionParser::separator()
{
    const QChar c = here();
    if (c == QLatin1Char('.'))
        append(Token::Point);
    else if (c == QLatin1Char(','))
        append(Token::Comma);
    else if (c == QLatin1Char('%'))
        append(Token::Percent);
    else
        return false;
    ++m_at;
    return true;
}

bool NumberFormat::SectionParser::exponent()
{
    if (here().toLower() != QLatin1Char('e') || m_at + 1 >= m_size ||
        (m_code.at(m_at + 1) != QLatin1Char('+') && m_code.at(m_at + 1) != QLatin1Char('-')))
        return false;
    append(Token::Exponent, m_code.mid(m_at + 1, 1));
    m_at += 2;
    return true;
}

bool NumberFormat::SectionParser::generalWord()
{
    if (!startsWith(QLatin1String("general")))
        return false;
    append(Token::General);
    m_section.hasNumber = true;
    m_at += 7;
    return true;
}

bool NumberFormat::SectionParser::textValue()
{
    if (here() != QLatin1Char('@'))
        return false;
    append(Token::TextValue);
    m_section.isText = true;
    ++m_at;
    return true;
}

bool NumberFormat::SectionParser::amPm()
{
    for (const QLatin1String form : {QLatin1String("am/pm"), QLatin1String("a/p")}) {
        if (!startsWith(form))
            continue;
        append(Token::AmPm, m_code.mid(m_at, form.size()));
        m_section.twelveHour = true;
        m_section.isDate = true;
        m_at += form.size();
        return true;
    }
    return false;
}

bool NumberFormat::SectionParser::datePart()
{
    const QChar lower = here().toLower();
    if (lower != QLatin1Char('y') && lower != QLatin1Char('e') && lower != QLatin1Char('m') &&
        lower != QLatin1Char('d') && lower != QLatin1Char('h') && lower != QLatin1Char('s'))
        return false;
    const int n = runLength(m_code, m_at, lower);
    const Token::Kind kind = lower == QLatin1Char('y') || lower == QLatin1Char('e') ? Token::Year
                             : lower == QLatin1Char('m')                            ? Token::Month
                             : lower == QLatin1Char('d')                            ? Token::Day
                             : lower == QLatin1Char('h')                            ? Token::Hour
                                                                                    : Token::Second;
    append(kind, QString(), lower == QLatin1Char('e') ? 4 : n);
    m_section.isDate = true;
    m_at += n;
    return true;
}

NumberFormat::Section NumberFormat::parseSection(const QString &code)
{
    return SectionParser(code).parse();
}

void NumberFormat::resolveDateTokens(Section *section)
{
    QVector<Token> &tokens = section->tokens;
    auto isClock = [](Token::Kind kind) {
        return kind == Token::Hour || kind == Token::ElapsedHours;
    };
    auto isSecond = [](Token::Kind kind) {
        return kind == Token::Second || kind == Token::ElapsedSeconds;
    };
    for (int i = 0; i < tokens.size(); ++i) {
        Token &token = tokens[i];
        if (token.kind == Token::Month && token.count <= 2) {
            bool minute = false;
            for (int j = i - 1; j >= 0; --j) {
                if (tokens.at(j).kind == Token::Literal)
                    continue;
                minute = isClock(tokens.at(j).kind);
                break;
            }
            for (int j = i + 1; j < tokens.size() && !minute; ++j) {
                if (tokens.at(j).kind == Token::Literal)
                    continue;
                minute = isSecond(tokens.at(j).kind);
                break;
            }
            if (minute)
                token.kind = Token::Minute;
        }
        // Seconds followed by ".0", ".00", ".000": fractional seconds.
        if (isSecond(token.kind) && i + 1 < tokens.size() &&
            tokens.at(i + 1).kind == Token::Point) {
            int n = 0;
            while (i + 2 + n < tokens.size() && tokens.at(i + 2 + n).kind == Token::Digit &&
                   tokens.at(i + 2 + n).text == QLatin1String("0") && n < 3)
                ++n;
            if (n > 0) {
                tokens.remove(i + 1, n + 1);
                tokens.insert(i + 1, {Token::SubSecond, QString(), n});
            }
        }
    }
}

bool NumberFormat::conditionHolds(const Section &section, double value)
{
    const QString &op = section.conditionOperator;
    const double v = section.conditionValue;
    if (op == QLatin1String("<"))
        return value < v;
    if (op == QLatin1String("<="))
        return value <= v;
    if (op == QLatin1String(">"))
        return value > v;
    if (op == QLatin1String(">="))
        return value >= v;
    if (op == QLatin1String("<>"))
        return value != v;
    return value == v;
}

const NumberFormat::Section *NumberFormat::sectionFor(double value, bool *showMinus) const
{
    QVector<const Section *> numeric;
    for (const Section &section : m_sections) {
        if (!section.isText || section.hasNumber || section.isDate)
            numeric.append(&section);
    }
    *showMinus = value < 0;
    if (numeric.isEmpty())
        return nullptr;
    bool conditional = false;
    for (const Section *section : qAsConst(numeric))
        conditional = conditional || section->hasCondition;
    if (conditional) {
        for (const Section *section : qAsConst(numeric)) {
            if (!section->hasCondition || conditionHolds(*section, value)) {
                // A section chosen by its own condition shows the value's
                // sign only when it is the first one.
                *showMinus = value < 0 && section == numeric.first();
                return section;
            }
        }
        return nullptr;
    }
    if (numeric.size() == 1 || value > 0 || (value == 0 && numeric.size() == 2))
        return numeric.at(0);
    if (value < 0) {
        *showMinus = false;
        return numeric.at(1);
    }
    return numeric.at(2);
}

QString NumberFormat::format(double value, bool date1904) const
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (m_sections.isEmpty())
        return general(value);
    bool showMinus = false;
    const Section *section = sectionFor(value, &showMinus);
    if (!section)
        return general(value);
    if (section->empty)
        return QString();
    if (section->isDate) {
        if (value < 0)
            return general(value);
        return formatDate(*section, value, date1904);
    }
    QString text = formatNumber(*section, std::fabs(value));
    if (showMinus && section->hasNumber)
        text.prepend(QLatin1Char('-'));
    return text;
}

QString NumberFormat::formatText(const QString &text) const
{
    const Section *textSection = nullptr;
    if (m_sections.size() >= 4)
        textSection = &m_sections.at(3);
    for (const Section &section : m_sections) {
        if (!textSection && section.isText)
            textSection = &section;
    }
    if (!textSection)
        return text;
    QString shown;
    for (const Token &token : textSection->tokens) {
        if (token.kind == Token::Literal)
            shown += token.text;
        else if (token.kind == Token::TextValue)
            shown += text;
    }
    return shown;
}

QString NumberFormat::general(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    const DecimalDigits digits(value);
    if (digits.isZero())
        return QStringLiteral("0");
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    const int width = 11 - sign.size();
    const int e = digits.exponent();

    auto scientific = [&]() {
        // "d.ddddE+XX": the mantissa takes what the exponent leaves.
        for (int significant = width - 4; significant >= 1; --significant) {
            QString mantissa;
            int exponent = 0;
            digits.scientific(significant, &mantissa, &exponent);
            while (mantissa.size() > 1 && mantissa.endsWith(QLatin1Char('0')))
                mantissa.chop(1);
            QString text = mantissa.left(1);
            if (mantissa.size() > 1)
                text += QLatin1Char('.') + mantissa.mid(1);
            text += (exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) +
                    twoDigits(qAbs(exponent));
            if (text.size() <= width || significant == 1)
                return sign + text;
        }
        return sign;
    };

    if (e >= 11)
        return scientific();
    // Fixed notation with as many decimals as the width allows.
    const int integerDigits = qMax(1, e + 1);
    int decimals = width - integerDigits - 1;
    if (decimals < 0)
        decimals = 0;
    QString integer, fraction;
    digits.fixed(decimals, &integer, &fraction);
    if (integer.size() > integerDigits) { // rounding carried into a new digit
        decimals = qMax(0, decimals - 1);
        digits.fixed(decimals, &integer, &fraction);
    }
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (e < 0) {
        // Below one: the scientific form wins when it keeps more digits.
        const int fixedSignificant = fraction.size() - (-e - 1);
        QString mantissa;
        int exponent = 0;
        digits.scientific(width - 5, &mantissa, &exponent);
        while (mantissa.size() > 1 && mantissa.endsWith(QLatin1Char('0')))
            mantissa.chop(1);
        if (fixedSignificant <= 0 || fixedSignificant < mantissa.size())
            return scientific();
    }
    if (integer.size() > width)
        return scientific();
    return sign + integer + (fraction.isEmpty() ? QString() : QLatin1Char('.') + fraction);
}

// Writes a number through a section's digit placeholders: where the
// integer, fraction and exponent places lie among the tokens, the digits
// rounded to those places, then the tokens in order with the digits in
// their places.
class NumberFormat::NumberWriter
{
public:
    explicit NumberWriter(const QVector<Token> &tokens);
    QString write(double value);

private:
    void findPlaces();
    void findCommas();
    void splitScientific(double value);
    QVector<QString> integerDigits() const;
    QString groupedInteger() const;
    QStringList fractionDigits() const;
    QString assemble(double value, const QVector<QString> &integerOut,
                     const QStringList &fractionOut) const;

    const QVector<Token> &m_tokens;
    int m_pointAt = -1, m_exponentAt = -1;
    int m_mantissaEnd = 0, m_integerEnd = 0;
    QString m_integerPlaces, m_fractionPlaces, m_exponentPlaces;
    bool m_grouping = false;
    int m_scaling = 0;
    int m_percent = 0;
    QString m_integer, m_fraction, m_exponentDigits, m_exponentSign;
};

NumberFormat::NumberWriter::NumberWriter(const QVector<Token> &tokens) : m_tokens(tokens)
{
    findPlaces();
    findCommas();
}

// Where the number's parts lie among the tokens.
void NumberFormat::NumberWriter::findPlaces()
{
    for (int i = 0; i < m_tokens.size(); ++i) {
        const Token::Kind kind = m_tokens.at(i).kind;
        if (kind == Token::Point && m_pointAt < 0 && m_exponentAt < 0)
            m_pointAt = i;
        else if (kind == Token::Exponent && m_exponentAt < 0)
            m_exponentAt = i;
    }
    m_mantissaEnd = m_exponentAt >= 0 ? m_exponentAt : m_tokens.size();
    m_integerEnd = m_pointAt >= 0 ? m_pointAt : m_mantissaEnd;
    for (int i = 0; i < m_tokens.size(); ++i) {
        const Token &token = m_tokens.at(i);
        if (token.kind == Token::Percent)
            ++m_percent;
        if (token.kind == Token::Digit) {
            if (i < m_integerEnd) {
                m_integerPlaces += token.text;
            } else if (i < m_mantissaEnd) {
                m_fractionPlaces += token.text;
            } else {
                m_exponentPlaces += token.text;
            }
        }
    }
}

// A comma between digits groups thousands; after the last digit, each one
// divides by a thousand.
void NumberFormat::NumberWriter::findCommas()
{
    for (int i = 0; i < m_mantissaEnd; ++i) {
        if (m_tokens.at(i).kind != Token::Comma)
            continue;
        bool digitBefore = false, digitAfter = false;
        for (int j = i - 1; j >= 0 && m_tokens.at(j).kind != Token::Literal; --j)
            digitBefore = digitBefore || m_tokens.at(j).kind == Token::Digit;
        int j = i + 1;
        while (j < m_tokens.size() && m_tokens.at(j).kind == Token::Comma)
            ++j;
        digitAfter = j < m_integerEnd && m_tokens.at(j).kind == Token::Digit;
        if (digitBefore && digitAfter && i < m_integerEnd)
            m_grouping = true;
        else if (digitBefore && !digitAfter)
            ++m_scaling;
    }
}

QString NumberFormat::NumberWriter::write(double value)
{
    for (int i = 0; i < m_percent; ++i)
        value *= 100;
    for (int i = 0; i < m_scaling; ++i)
        value /= 1000;
    if (m_exponentAt >= 0)
        splitScientific(value);
    else
        DecimalDigits(value).fixed(m_fractionPlaces.size(), &m_integer, &m_fraction);
    if (m_integer == QLatin1String("0"))
        m_integer.clear();
    return assemble(value, integerDigits(), fractionDigits());
}

void NumberFormat::NumberWriter::splitScientific(double value)
{
    const int integerCount = qMax(1, int(m_integerPlaces.size()));
    const DecimalDigits digits(value);
    int exponent = 0;
    if (!digits.isZero()) {
        exponent = digits.exponent();
        if (integerCount > 1 && m_integerPlaces.startsWith(QLatin1Char('#')))
            exponent = int(std::floor(double(exponent) / integerCount)) * integerCount;
        else
            exponent -= integerCount - 1;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DecimalDigits mantissa(value / std::pow(10.0, exponent));
        mantissa.fixed(m_fractionPlaces.size(), &m_integer, &m_fraction);
        if (m_integer.size() <= integerCount || digits.isZero())
            break;
        exponent +=
            m_integerPlaces.startsWith(QLatin1Char('#')) && integerCount > 1 ? integerCount : 1;
    }
    m_exponentDigits =
        QString::number(qAbs(exponent))
            .rightJustified(m_exponentPlaces.count(QLatin1Char('0')), QLatin1Char('0'));
    if (exponent < 0)
        m_exponentSign = QStringLiteral("-");
    else if (m_tokens.at(m_exponentAt).text == QLatin1String("+"))
        m_exponentSign = QStringLiteral("+");
}

// Integer digits fill the placeholders from the right; the leftmost one
// takes whatever is left over.
QVector<QString> NumberFormat::NumberWriter::integerDigits() const
{
    QVector<QString> integerOut(m_integerPlaces.size());
    if (m_grouping) {
        if (!integerOut.isEmpty())
            integerOut[0] = groupedInteger();
        return integerOut;
    }
    QString rest = m_integer;
    for (int k = m_integerPlaces.size() - 1; k >= 0; --k) {
        if (k == 0 && !rest.isEmpty()) {
            integerOut[k] = rest;
            rest.clear();
        } else if (!rest.isEmpty()) {
            integerOut[k] = rest.right(1);
            rest.chop(1);
        } else {
            const QChar place = m_integerPlaces.at(k);
            integerOut[k] = place == QLatin1Char('0')   ? QStringLiteral("0")
                            : place == QLatin1Char('?') ? QStringLiteral(" ")
                                                        : QString();
        }
    }
    return integerOut;
}

QString NumberFormat::NumberWriter::groupedInteger() const
{
    QString integer = m_integer;
    const int zeros = m_integerPlaces.size() - m_integerPlaces.indexOf(QLatin1Char('0'));
    if (m_integerPlaces.contains(QLatin1Char('0')) && integer.size() < zeros)
        integer = integer.rightJustified(zeros, QLatin1Char('0'));
    for (int at = integer.size() - 3; at > 0; at -= 3)
        integer.insert(at, QLatin1Char(','));
    return integer;
}

// Fraction digits: trailing zeros vanish under # and turn blank under ?.
QStringList NumberFormat::NumberWriter::fractionDigits() const
{
    QStringList fractionOut;
    int lastSignificant = m_fraction.size() - 1;
    while (lastSignificant >= 0 && m_fraction.at(lastSignificant) == QLatin1Char('0') &&
           m_fractionPlaces.at(lastSignificant) != QLatin1Char('0'))
        --lastSignificant;
    for (int k = 0; k < m_fractionPlaces.size(); ++k) {
        if (k <= lastSignificant)
            fractionOut.append(m_fraction.mid(k, 1));
        else
            fractionOut.append(m_fractionPlaces.at(k) == QLatin1Char('?') ? QStringLiteral(" ")
                                                                          : QString());
    }
    return fractionOut;
}

QString NumberFormat::NumberWriter::assemble(double value, const QVector<QString> &integerOut,
                                             const QStringList &fractionOut) const
{
    QString out;
    int integerIndex = 0, fractionIndex = 0;
    bool exponentWritten = false;
    for (int i = 0; i < m_tokens.size(); ++i) {
        const Token &token = m_tokens.at(i);
        switch (token.kind) {
        case Token::Literal:
            out += token.text;
            break;
        case Token::Digit:
            if (i < m_integerEnd)
                out += integerOut.value(integerIndex++);
            else if (i < m_mantissaEnd)
                out += fractionOut.value(fractionIndex++);
            else if (!exponentWritten) {
                out += m_exponentDigits;
                exponentWritten = true;
            }
            break;
        case Token::Point:
            out += QLatin1Char('.');
            break;
        case Token::Percent:
            out += QLatin1Char('%');
            break;
        case Token::Exponent:
            out += QLatin1Char('E') + m_exponentSign;
            break;
        case Token::General:
            out += general(value);
            break;
        default:
            break; // commas, stray date or text parts
        }
    }
    return out;
}

QString NumberFormat::formatNumber(const Section &section, double value)
{
    return NumberWriter(section.tokens).write(value);
}

QString NumberFormat::formatDate(const Section &section, double value, bool date1904)
{
    int subDigits = 0;
    for (const Token &token : section.tokens) {
        if (token.kind == Token::SubSecond)
            subDigits = qMax(subDigits, token.count);
    }
    const qint64 unitsPerSecond = qint64(std::pow(10.0, subDigits));
    const qint64 unitsPerDay = 86400 * unitsPerSecond;
    const qint64 total = qint64(std::llround(value * double(unitsPerDay)));
    const qint64 days = total / unitsPerDay;
    const qint64 inDay = total % unitsPerDay;
    const qint64 secondsOfDay = inDay / unitsPerSecond;
    const qint64 sub = inDay % unitsPerSecond;
    const qint64 hour = secondsOfDay / 3600;
    const qint64 minute = secondsOfDay / 60 % 60;
    const qint64 second = secondsOfDay % 60;
    int year = 0, month = 0, day = 0, weekday = 0;
    civilDate(days, date1904, &year, &month, &day, &weekday);

    QString out;
    for (const Token &token : section.tokens) {
        switch (token.kind) {
        case Token::Literal:
            out += token.text;
            break;
        case Token::Year:
            out += token.count <= 2 ? twoDigits(year % 100) : QString::number(year);
            break;
        case Token::Month: {
            const QString name = QLatin1String(kMonthNames[qBound(1, month, 12) - 1]);
            if (token.count == 1)
                out += QString::number(month);
            else if (token.count == 2)
                out += twoDigits(month);
            else if (token.count == 3)
                out += name.left(3);
            else if (token.count == 4)
                out += name;
            else
                out += name.left(1);
            break;
        }
        case Token::Day: {
            const QString name = QLatin1String(kDayNames[weekday]);
            if (token.count == 1)
                out += QString::number(day);
            else if (token.count == 2)
                out += twoDigits(day);
            else if (token.count == 3)
                out += name.left(3);
            else
                out += name;
            break;
        }
        case Token::Hour: {
            qint64 h = hour;
            if (section.twelveHour) {
                h = hour % 12;
                if (h == 0)
                    h = 12;
            }
            out += token.count >= 2 ? twoDigits(h) : QString::number(h);
            break;
        }
        case Token::Minute:
            out += token.count >= 2 ? twoDigits(minute) : QString::number(minute);
            break;
        case Token::Second:
            out += token.count >= 2 ? twoDigits(second) : QString::number(second);
            break;
        case Token::SubSecond:
            out +=
                QLatin1Char('.') +
                QString::number(sub).rightJustified(subDigits, QLatin1Char('0')).left(token.count);
            break;
        case Token::AmPm: {
            const bool pm = hour >= 12;
            if (token.text.size() == 3) { // A/P
                const QChar letter = token.text.at(pm ? 2 : 0);
                out += letter;
            } else {
                const bool lowerCase = token.text.at(0).isLower();
                const QString text = pm ? QStringLiteral("PM") : QStringLiteral("AM");
                out += lowerCase ? text.toLower() : text;
            }
            break;
        }
        case Token::ElapsedHours:
            out += QString::number(total / unitsPerSecond / 3600)
                       .rightJustified(token.count, QLatin1Char('0'));
            break;
        case Token::ElapsedMinutes:
            out += QString::number(total / unitsPerSecond / 60)
                       .rightJustified(token.count, QLatin1Char('0'));
            break;
        case Token::ElapsedSeconds:
            out += QString::number(total / unitsPerSecond)
                       .rightJustified(token.count, QLatin1Char('0'));
            break;
        case Token::Point:
            out += QLatin1Char('.');
            break;
        case Token::Digit:
            out += token.text == QLatin1String("0") ? QStringLiteral("0") : QString();
            break;
        case Token::Percent:
            out += QLatin1Char('%');
            break;
        default:
            break;
        }
    }
    return out;
}
