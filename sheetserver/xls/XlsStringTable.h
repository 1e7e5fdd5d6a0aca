#ifndef XLSSTRINGTABLE_H
#define XLSSTRINGTABLE_H

#include <QVector>

class TextPool;
class WorkbookDocument;
struct XlsLayout;

// How a save changes the shared-string table of an Excel 97-2003 workbook:
// the strings no cell uses any more leave it (when every sheet that might
// use one was read), the others keep their order, and each text the save
// writes is added once, after them.
class XlsStringTable
{
public:
    XlsStringTable(const WorkbookDocument &document, const XlsLayout &layout);

    bool keeps(int original) const { return m_kept.at(original) != Dropped; }
    // The new index of a string the table had (it must be kept).
    quint32 keptIndex(int original) const { return m_kept.at(original); }
    bool renumbers() const { return m_renumbers; }
    quint32 keptCount() const { return m_keptCount; }
    // The index of a text written into a cell (text `index` of `pool`).
    quint32 addedIndex(const TextPool &pool, int index);
    // Asks for the slot addedIndex will look at first for this text: on a
    // table larger than the caches, a block of cells asked for together
    // waits for memory once rather than once per cell.
    void prefetch(const TextPool &pool, int index) const;

    struct Added
    {
        const TextPool *pool;
        int index;
        uint hash;
    };
    const QVector<Added> &added() const { return m_added; }

private:
    static constexpr quint32 Dropped = 0xFFFFFFFFu;
    QVector<quint32> m_kept;
    quint32 m_keptCount = 0;
    bool m_renumbers = false;
    void grow();
    // An open-addressed set of the added texts, by the hash of their stored
    // bytes: a million texts cost a few bytes each, not a hash node and a
    // string apiece.
    QVector<quint32> m_slots; // 0: free, else 1 + the text's place in m_added
    QVector<Added> m_added;
};

#endif // XLSSTRINGTABLE_H
