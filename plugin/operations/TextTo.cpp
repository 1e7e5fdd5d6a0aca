#include "operations/TextTo.h"

#include "Tip.h"
#include "records/ParTo.h"

#include <QRegularExpression>

namespace {

// The 94 printable ASCII characters and their full-width partners, U+FF01 to
// U+FF5E, but for three that files made with this tool rely on: the grave
// accent pairs with the middle dot, "," and ":" with themselves.
QChar fullWidthOf(QChar half)
{
    if (half == QLatin1Char('`'))
        return QChar(0x00B7);
    if (half == QLatin1Char(',') || half == QLatin1Char(':'))
        return half;
    return QChar(half.unicode() + 0xFEE0);
}

QChar halfWidthOf(QChar full)
{
    if (full == QChar(0x00B7))
        return QLatin1Char('`');
    const ushort code = full.unicode();
    if (code >= 0xFF01 && code <= 0xFF5E) {
        const QChar half(code - 0xFEE0);
        // The full-width comma, colon and grave accent have no partner (the
        // grave accent's is the middle dot): they stay.
        if (half != QLatin1Char(',') && half != QLatin1Char(':') && half != QLatin1Char('`'))
            return half;
    }
    return full;
}

// One replacement per letter that the expression's match ends with.
QString replaceMatchedLetters(const QString &text, const QRegularExpression &expression,
                              bool toUpper)
{
    QString result = text;
    QRegularExpressionMatchIterator matches = expression.globalMatch(text);
    while (matches.hasNext()) {
        const int letter = matches.next().capturedEnd() - 1;
        result[letter] = toUpper ? text.at(letter).toUpper() : text.at(letter).toLower();
    }
    return result;
}

// The digits of a base, upper and lower case for the letters.
QString digitPattern(int base)
{
    if (base <= 10)
        return QStringLiteral("[0-%1]+").arg(base - 1);
    const QChar last(QLatin1Char('a').unicode() + base - 11);
    return QStringLiteral("[0-9a-%1A-%2]+").arg(last).arg(last.toUpper());
}

} // namespace

const QString TextTo::paragraphPrefix = QStringLiteral("(\n|^)\\s*");
const QString TextTo::wordPrefix = QStringLiteral("((\n|^)\\s*|\\s)");

TextTo::TextTo(const QString &fileName, const ParTo *par, QObject *parent)
    : TextOperation(fileName, parent), par(par)
{
}

QString TextTo::process()
{
    forEachSheet(par->sheetIndex, TracedSheets, [this](const SheetScope &scope) {
        switch (par->implement) {
        case Implement::Case:
            convertCase(scope);
            break;
        case Implement::Half:
            convertWidth(scope, !par->toHalf);
            break;
        case Implement::Base:
            convertBase(scope);
            break;
        case Implement::Tradition:
            convertTradition(scope);
            break;
        case Implement::Custom:
            convertCustom(scope);
            break;
        }
        return true;
    });
    return QString();
}

void TextTo::convertCase(const SheetScope &scope)
{
    // Options outside the enumerations leave the sheet unread.
    if (!changeCase(QString(), par->toCase, par->caseWhich))
        return;
    walkCells(scope, [this](QString &text) {
        text = changeCase(text, par->toCase, par->caseWhich).value_or(text);
    });
}

void TextTo::convertWidth(const SheetScope &scope, bool toFull)
{
    walkCells(scope, [toFull](QString &text) { text = changeWidth(text, toFull); });
}

void TextTo::convertBase(const SheetScope &scope)
{
    const int from = par->baseBefore;
    const int to = par->baseAfter;
    if (!isBase(from) || !isBase(to)) {
        reportBaseFailure();
        return;
    }
    if (!par->format1) {
        bool runKept = false;
        walkCells(scope, [&runKept, from, to](QString &text) {
            text = convertRuns(text, from, to, &runKept);
        });
        if (runKept)
            reportBaseFailure();
        return;
    }
    // The first cell that is no number ends the sheet's conversion: the
    // cells after it keep their text.
    bool stopped = false;
    walkCells(scope, [this, &stopped, from, to](QString &text) {
        if (stopped || text.isEmpty())
            return;
        const std::optional<QString> number = convertNumber(text, from, to);
        if (!number) {
            stopped = true;
            reportBaseFailure();
            return;
        }
        text = *number;
    });
}

void TextTo::convertTradition(const SheetScope &scope)
{
    walkCells(scope, [this](QString &text) {
        // A phrase goes whole before its characters go one by one.
        if (par->twoStep)
            text = applyLists(text, par->fromList, par->toList);
        text = applyLists(text, par->newOneList, par->oldOneList);
    });
}

void TextTo::convertCustom(const SheetScope &scope)
{
    walkCells(scope, [this](QString &text) {
        text = par->result1 ? applyLists(text, par->customBefore, par->customAfter)
                            : replaceCharacters(text, par->customBefore, par->customAfter);
    });
}

void TextTo::reportBaseFailure()
{
    if (m_baseFailureReported)
        return;
    m_baseFailureReported = true;
    emitTip(this, Tip::BaseConversionFailed, m_fileName);
}

QString TextTo::capitaliseAfter(const QString &text, const QString &prefix)
{
    return replaceMatchedLetters(text, QRegularExpression(prefix + QStringLiteral("[a-z]")), true);
}

QString TextTo::lowerAfter(const QString &text, const QString &prefix)
{
    return replaceMatchedLetters(text, QRegularExpression(prefix + QStringLiteral("[A-Z]")), false);
}

std::optional<QString> TextTo::changeCase(const QString &text, Case toCase, CaseWhich which)
{
    const bool toUpper = toCase == Case::ToCapital;
    if (!toUpper && toCase != Case::ToLowerCase)
        return std::nullopt;
    switch (which) {
    case CaseWhich::All:
        return toUpper ? text.toUpper() : text.toLower();
    case CaseWhich::ParagraphFist:
        return toUpper ? capitaliseAfter(text, paragraphPrefix) : lowerAfter(text, paragraphPrefix);
    case CaseWhich::WordFirst:
        return toUpper ? capitaliseAfter(text, wordPrefix) : lowerAfter(text, wordPrefix);
    }
    return std::nullopt;
}

QString TextTo::changeWidth(const QString &text, bool toFull)
{
    QString result = text;
    for (QChar &c : result) {
        if (!toFull)
            c = halfWidthOf(c);
        else if (c.unicode() >= 0x21 && c.unicode() <= 0x7E)
            c = fullWidthOf(c);
    }
    return result;
}

bool TextTo::isBase(int base)
{
    return base >= 2 && base <= 36;
}

std::optional<QString> TextTo::convertNumber(const QString &text, int from, int to)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, from);
    if (!ok)
        return std::nullopt;
    return QString::number(value, to);
}

QString TextTo::convertRuns(const QString &text, int from, int to, bool *runKept)
{
    const QRegularExpression digits(digitPattern(from));
    QString result;
    int copied = 0;
    QRegularExpressionMatchIterator runs = digits.globalMatch(text);
    while (runs.hasNext()) {
        const QRegularExpressionMatch run = runs.next();
        result += text.midRef(copied, run.capturedStart() - copied);
        bool ok = false;
        const qlonglong value = run.capturedRef().toLongLong(&ok, from);
        if (ok) {
            result += QString::number(value, to);
        } else {
            // A long account or ID number is worth more than a wrong value.
            result += run.capturedRef();
            *runKept = true;
        }
        copied = run.capturedEnd();
    }
    result += text.midRef(copied);
    return result;
}

QString TextTo::applyLists(const QString &text, const QStringList &fromList,
                           const QStringList &toList)
{
    QString result = text;
    const int count = qMin(fromList.size(), toList.size());
    for (int i = 0; i < count; ++i)
        result.replace(fromList.at(i), toList.at(i));
    return result;
}

QString TextTo::replaceCharacters(const QString &text, const QStringList &before,
                                  const QStringList &after)
{
    // Each character of the cell is looked up once: a replacement is not
    // looked up again, so "a" to "aa" cannot grow without end and the
    // character after an emptied one is still converted.
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        int entry = -1;
        for (int k = 0; k < before.size() && k < after.size(); ++k) {
            if (before.at(k).size() == 1 && before.at(k).at(0) == c) {
                entry = k;
                break;
            }
        }
        if (entry < 0)
            result += c;
        else
            result += after.at(entry);
    }
    return result;
}
