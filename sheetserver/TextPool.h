#ifndef TEXTPOOL_H
#define TEXTPOOL_H

#include <QString>
#include <QStringView>
#include <QVector>

// An append-only list of strings kept in large blocks. A workbook holds a
// string per cell, often a million of them: blocks plus a small record each
// cost a fraction of a QString per string, never move what is stored (no
// copying as the pool grows) and appending never looks at what is there.
class TextPool
{
public:
    int append(QStringView text);
    int size() const { return m_entries.size(); }
    QStringView view(int index) const;
    QString at(int index) const { return view(index).toString(); }
    void reserve(int strings) { m_entries.reserve(strings); }
    void clear();

private:
    struct Entry
    {
        int block;
        int offset;
        int length;
    };
    static constexpr int BlockSize = 1 << 20; // characters

    QVector<QString> m_blocks;
    QVector<Entry> m_entries;
};

#endif // TEXTPOOL_H
