#ifndef SHAREDSTRINGUSES_H
#define SHAREDSTRINGUSES_H

#include <QVector>

class WorkbookDocument;

// How many cells of a workbook refer to each of its shared strings: what
// tells whether a string may change for all its cells at once. Counted once,
// the first time it is needed; from then on every edit that takes a cell
// off its string tells it (SheetModel), and nothing else puts a cell on one.
class SharedStringUses
{
public:
    // Counts the cells of every sheet; false, and nothing counted, when a
    // sheet was not read (its cells may use any string).
    bool count(const WorkbookDocument &document);
    bool isCounted() const { return m_counted; }
    // The count of every string, to be read and, while a Replace works the
    // strings out, borrowed.
    int *counts() { return m_counts.data(); }
    void release(int index)
    {
        if (index >= 0 && index < m_counts.size())
            --m_counts[index];
    }
    void clear();

    // Changes a count that threads working on other rows may change at
    // once (concurrent), or that this thread alone changes.
    static void add(int &count, int delta, bool concurrent)
    {
        if (concurrent)
            __atomic_fetch_add(&count, delta, __ATOMIC_RELAXED);
        else
            count += delta;
    }

private:
    QVector<int> m_counts;
    bool m_counted = false;
};

#endif // SHAREDSTRINGUSES_H
