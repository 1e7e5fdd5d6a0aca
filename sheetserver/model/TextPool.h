#ifndef TEXTPOOL_H
#define TEXTPOOL_H

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVector>
#include <vector>

// An append-only list of strings kept in large blocks. A workbook holds a
// string per cell, often a million of them: blocks plus a small record each
// cost a fraction of a QString per string, never move what is stored and
// appending never looks at what is there.
//
// Text is stored a byte per character for ASCII (two or three above), code
// unit by code unit, so every QString comes back exactly, unpaired
// surrogates included.
class TextPool
{
public:
    int append(QStringView text);
    // The bytes append stores for a text.
    static QByteArray stored(QStringView text);
    // UTF-8 of characters below U+10000 only, as append stores their text.
    int appendUtf8(const char *data, int length);
    int size() const { return m_entries.size(); }
    QString at(int index) const;
    // The stored bytes of a string: UTF-8 wherever the text has no unpaired
    // surrogate. Valid until the pool changes.
    const char *bytes(int index, int *length) const;
    bool equals(int index, QStringView text) const;
    void reserve(int strings) { m_entries.reserve(strings); }
    // Moves every string of other to the end of this pool; the index the
    // first of them has here. Nothing is copied but the small records.
    int take(TextPool &&other);
    // As take() of each part in turn: their records are sized here once
    // and copied on several threads.
    void takeAll(std::vector<TextPool> &&parts);
    // Moves the strings of other in as the new text of the strings at
    // `indexes` (the first of other for the first index, and so on); the
    // text they had stays behind unused. Nothing is copied but the records.
    void replace(const std::vector<int> &indexes, TextPool &&other);
    void clear();

private:
    struct Entry
    {
        int block;
        int offset;
        int length; // bytes
    };
    static constexpr int BlockSize = 1 << 20; // bytes

    QVector<QByteArray> m_blocks;
    QVector<Entry> m_entries;
};

#endif // TEXTPOOL_H
