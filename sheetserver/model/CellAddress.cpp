#include "model/CellAddress.h"

#include <charconv>

namespace {

bool isAsciiLetter(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

} // namespace

int CellAddress::parseColumn(QStringView letters)
{
    if (letters.isEmpty() || letters.size() > 3)
        return 0;
    int column = 0;
    for (QChar c : letters) {
        if (!isAsciiLetter(c))
            return 0;
        column = column * 26 + (c.toUpper().unicode() - 'A' + 1);
    }
    return column <= MaxColumns ? column : 0;
}

bool CellAddress::parseCell(QStringView text, int *row, int *column)
{
    int i = 0;
    const int size = int(text.size());
    if (i < size && text.at(i) == QLatin1Char('$'))
        ++i;
    const int lettersFrom = i;
    while (i < size && isAsciiLetter(text.at(i)))
        ++i;
    const int c = parseColumn(text.mid(lettersFrom, i - lettersFrom));
    if (i < size && text.at(i) == QLatin1Char('$'))
        ++i;
    if (c == 0 || i >= size)
        return false;
    qint64 r = 0;
    const int digitsFrom = i;
    for (; i < size; ++i) {
        const ushort u = text.at(i).unicode();
        if (u < '0' || u > '9' || i - digitsFrom >= 7)
            return false;
        r = r * 10 + (u - '0');
    }
    if (r < 1 || r > MaxRows)
        return false;
    *row = int(r);
    *column = c;
    return true;
}

bool CellAddress::parseBlock(QStringView text, CellBlock *block)
{
    const int colon = int(text.indexOf(QLatin1Char(':')));
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (colon < 0) {
        if (!parseCell(text, &r1, &c1))
            return false;
        *block = {r1, c1, r1, c1};
        return true;
    }
    if (!parseCell(text.left(colon), &r1, &c1) || !parseCell(text.mid(colon + 1), &r2, &c2))
        return false;
    *block = {qMin(r1, r2), qMin(c1, c2), qMax(r1, r2), qMax(c1, c2)};
    return true;
}

QString CellAddress::columnLetters(int column)
{
    QString letters;
    while (column > 0) {
        const int n = column - 1;
        letters.prepend(QChar('A' + n % 26));
        column = n / 26;
    }
    return letters;
}

QString CellAddress::cellName(int row, int column)
{
    return columnLetters(column) + QString::number(row);
}

void CellAddress::appendCellName(QByteArray *out, int row, int column)
{
    char name[32];
    char letters[8];
    int n = 0;
    while (column > 0 && n < 8) {
        const int rest = column - 1;
        letters[n++] = char('A' + rest % 26);
        column = rest / 26;
    }
    char *end = name;
    while (n > 0)
        *end++ = letters[--n];
    end = std::to_chars(end, name + sizeof name, row).ptr;
    out->append(name, int(end - name));
}

QString CellAddress::blockName(const CellBlock &block)
{
    if (block.top == block.bottom && block.left == block.right)
        return cellName(block.top, block.left);
    return cellName(block.top, block.left) + QLatin1Char(':') + cellName(block.bottom, block.right);
}
