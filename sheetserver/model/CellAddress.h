#ifndef CELLADDRESS_H
#define CELLADDRESS_H

#include <QString>
#include <QStringView>

// Cell references of the A1 style: columns A..XFD (1..16384), rows
// 1..1048576. A block is two corners, normalised so that the first is the
// top left.
struct CellBlock
{
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    bool isValid() const { return top >= 1 && left >= 1 && bottom >= top && right >= left; }
    qint64 rows() const { return bottom - top + 1; }
    qint64 columns() const { return right - left + 1; }
    qint64 cells() const { return rows() * columns(); }
    bool contains(int row, int column) const
    {
        return row >= top && row <= bottom && column >= left && column <= right;
    }
};

class CellAddress
{
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;

    // "B3", "b3" or "$B$3"; false for anything else or beyond the limits.
    static bool parseCell(QStringView text, int *row, int *column);
    // A cell, or two cells joined by ':'.
    static bool parseBlock(QStringView text, CellBlock *block);
    // Column letters alone ("AB"); 0 when not a column within the limits.
    static int parseColumn(QStringView letters);

    static QString columnLetters(int column);
    static QString cellName(int row, int column);
    // The same name as Latin-1 bytes, appended.
    static void appendCellName(QByteArray *out, int row, int column);
    static QString blockName(const CellBlock &block);
};

#endif // CELLADDRESS_H
