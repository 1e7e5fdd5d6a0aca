#include "TextPool.h"

int TextPool::append(QStringView text)
{
    m_chars.append(text.data(), int(text.size()));
    m_offsets.append(m_chars.size());
    return m_offsets.size() - 2;
}

QStringView TextPool::view(int index) const
{
    if (index < 0 || index >= size())
        return QStringView();
    const qint64 from = m_offsets.at(index);
    return QStringView(m_chars).mid(from, m_offsets.at(index + 1) - from);
}

void TextPool::reserve(int strings, int characters)
{
    m_offsets.reserve(strings + 1);
    m_chars.reserve(characters);
}

void TextPool::clear()
{
    m_chars.clear();
    m_offsets = QVector<qint64>{0};
}
