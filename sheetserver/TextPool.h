#ifndef TEXTPOOL_H
#define TEXTPOOL_H

#include <QString>
#include <QStringView>
#include <QVector>

// An append-only list of strings kept in one buffer. A workbook holds a
// string per cell, often a million of them; one buffer plus an offset each
// costs a fraction of a QString per string, and appending never looks at
// what is already there.
class TextPool
{
public:
    int append(QStringView text);
    int size() const { return m_offsets.size() - 1; }
    QStringView view(int index) const;
    QString at(int index) const { return view(index).toString(); }
    void reserve(int strings, int characters);
    void clear();

private:
    QString m_chars;
    QVector<qint64> m_offsets{0};
};

#endif // TEXTPOOL_H
