#ifndef MARKUPLIMIT_H
#define MARKUPLIMIT_H

#include <QtGlobal>

// Watches a part as it is inflated, piece by piece, for markup that costs
// far more to read than to inflate and that no workbook needs: so many
// cells that the model of the whole part (judged from the cells met so far,
// scaled to the part's declared size) would not fit the memory the process
// may take; or one shared or inline string item spanning more bytes than any
// item can. Either is refused as soon as it is met, before the rest of the
// part (up to a gigabyte) is inflated.
class MarkupLimit
{
public:
    // What a cell costs in the model, as sheetserver_bench measures an open
    // of its 1,000,000- and 4,000,000-cell workbooks (180-190 bytes).
    static constexpr qint64 CellBytes = 185;
    // An item holds at most 32,767 characters in at most 32,767 runs; a run
    // with every property written out at length (font, size, colour, family,
    // charset, scheme, underline, the flags) and its phonetic text comes to
    // well under 1 KiB.
    static constexpr qint64 MaxItem = qint64(32) << 20;
    // Cells met in less than this are too few to judge a part by.
    static constexpr qint64 Sample = qint64(4) << 20;

    MarkupLimit(qint64 declaredSize, qint64 memory);

    // False once the bytes seen so far hold too many cells or too long an
    // item.
    bool operator()(const char *data, int size);

private:
    enum class Tag { Unknown, Other, Cell, ItemStart, ItemEnd, Cdata, Comment };
    static Tag kind(const char *tag, const char *end);
    // Starts or ends an item, counts a cell, or starts a section to skip;
    // false for an item that ends too far from its start.
    bool take(Tag tag, qint64 at);
    // Keeps the start of a tag cut by the piece's end for the next piece.
    void carry(const char *tag, const char *end);
    // Past the end of a skipped section, from `from`; `end` when in it still.
    const char *skipped(const char *from, const char *end);

    static constexpr int CarryMax = 64;
    qint64 m_declared;
    qint64 m_maxCells;
    qint64 m_seen = 0; // bytes before the current piece
    qint64 m_cells = 0;
    qint64 m_itemStart = -1; // -1 outside an item
    char m_close = 0;        // ']' or '-' inside a CDATA section or a comment
    int m_closeRun = 0;      // of that character, just before
    char m_carry[CarryMax * 2];
    int m_carried = 0; // bytes of a tag's start cut by the piece's end
};

#endif // MARKUPLIMIT_H
