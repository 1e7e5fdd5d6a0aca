#ifndef TEXTRUNLIMIT_H
#define TEXTRUNLIMIT_H

#include <QtGlobal>

// Watches a part as it is inflated, piece by piece, for a stretch without
// markup longer than any text of a workbook part can be: a cell holds at
// most 32,767 units, which even written as character references come to
// far less. A part holding such a stretch is refused as soon as it is met,
// before the rest of it (up to a gigabyte of one text) is inflated.
class TextRunLimit
{
public:
    static constexpr qint64 MaxRun = qint64(4) << 20;

    // False once the bytes seen so far hold a run longer than MaxRun.
    bool operator()(const char *data, int size);

private:
    qint64 m_run = 0; // bytes since the last '<'
};

#endif // TEXTRUNLIMIT_H
