#include "xlsx/FormulaShifter.h"

#include "model/CellAddress.h"

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') ||
           c == QLatin1Char('\\');
}

bool isLetter(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// A reference "$A$1" (or a part of it) starting at i: its end, or -1.
int matchReference(const QString &f, int i, bool *absColumn, int *column, bool *absRow, int *row)
{
    int j = i;
    *absColumn = j < f.size() && f.at(j) == QLatin1Char('$');
    if (*absColumn)
        ++j;
    const int lettersFrom = j;
    while (j < f.size() && isLetter(f.at(j)) && j - lettersFrom < 3)
        ++j;
    if (j == lettersFrom)
        return -1;
    *column = CellAddress::parseColumn(f.midRef(lettersFrom, j - lettersFrom));
    *absRow = j < f.size() && f.at(j) == QLatin1Char('$');
    if (*absRow)
        ++j;
    const int digitsFrom = j;
    while (j < f.size() && isDigit(f.at(j)) && j - digitsFrom < 8)
        ++j;
    if (j == digitsFrom || *column == 0)
        return -1;
    *row = f.midRef(digitsFrom, j - digitsFrom).toInt();
    if (j < f.size() && (isNameChar(f.at(j)) || f.at(j) == QLatin1Char('(')))
        return -1;
    return j;
}

} // namespace

QString FormulaShifter::shift(const QString &formula, int rows, int columns)
{
    QString out;
    const QString &f = formula;
    for (int i = 0; i < f.size();) {
        const QChar c = f.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('[')) {
            // Strings, quoted sheet names and table references stay as they are.
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            int j = i + 1;
            while (j < f.size()) {
                if (f.at(j) == close) {
                    if (close != QLatin1Char(']') && j + 1 < f.size() && f.at(j + 1) == close) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += f.midRef(i, j + 1 - i);
            i = j + 1;
            continue;
        }
        const bool startsToken = i == 0 || !isNameChar(f.at(i - 1));
        bool absColumn = false, absRow = false;
        int column = 0, row = 0;
        const int end = startsToken && (isLetter(c) || c == QLatin1Char('$'))
                            ? matchReference(f, i, &absColumn, &column, &absRow, &row)
                            : -1;
        if (end < 0) {
            // A whole name or number goes through at once.
            int j = i + 1;
            if (isNameChar(c))
                while (j < f.size() && isNameChar(f.at(j)))
                    ++j;
            out += f.midRef(i, j - i);
            i = j;
            continue;
        }
        const int newColumn = absColumn ? column : column + columns;
        const int newRow = absRow ? row : row + rows;
        if (newColumn < 1 || newColumn > CellAddress::MaxColumns || newRow < 1 ||
            newRow > CellAddress::MaxRows) {
            out += QStringLiteral("#REF!");
        } else {
            out += (absColumn ? QStringLiteral("$") : QString()) +
                   CellAddress::columnLetters(newColumn) +
                   (absRow ? QStringLiteral("$") : QString()) + QString::number(newRow);
        }
        i = end;
    }
    return out;
}
