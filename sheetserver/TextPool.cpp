#include "TextPool.h"

int TextPool::append(QStringView text)
{
    const int length = int(text.size());
    if (m_blocks.isEmpty() || m_blocks.last().size() + length > BlockSize) {
        QString block;
        block.reserve(qMax(BlockSize, length));
        m_blocks.append(block);
    }
    QString &block = m_blocks.last();
    const int offset = block.size();
    // Within the reserved capacity: the block never moves.
    block.append(text.data(), length);
    m_entries.append({m_blocks.size() - 1, offset, length});
    return m_entries.size() - 1;
}

QStringView TextPool::view(int index) const
{
    if (index < 0 || index >= m_entries.size())
        return QStringView();
    const Entry &e = m_entries.at(index);
    return QStringView(m_blocks.at(e.block)).mid(e.offset, e.length);
}

void TextPool::clear()
{
    m_blocks.clear();
    m_entries.clear();
}
