#include "TextPool.h"

namespace {

// Each UTF-16 code unit on its own: 1, 2 or 3 bytes.
int encodedSize(QStringView text)
{
    int size = 0;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        size += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    }
    return size;
}

void encode(QStringView text, char *out)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x80) {
            *out++ = char(u);
        } else if (u < 0x800) {
            *out++ = char(0xC0 | (u >> 6));
            *out++ = char(0x80 | (u & 0x3F));
        } else {
            *out++ = char(0xE0 | (u >> 12));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        }
    }
}

} // namespace

int TextPool::append(QStringView text)
{
    const int length = encodedSize(text);
    if (m_blocks.isEmpty() || m_blocks.last().size() + length > BlockSize) {
        QByteArray block;
        block.reserve(qMax(BlockSize, length));
        m_blocks.append(block);
    }
    QByteArray &block = m_blocks.last();
    const int offset = block.size();
    // Within the reserved capacity: the block never moves.
    block.resize(offset + length);
    encode(text, block.data() + offset);
    m_entries.append({m_blocks.size() - 1, offset, length});
    return m_entries.size() - 1;
}

QString TextPool::at(int index) const
{
    if (index < 0 || index >= m_entries.size())
        return QString();
    const Entry &e = m_entries.at(index);
    const auto *p = reinterpret_cast<const uchar *>(m_blocks.at(e.block).constData() + e.offset);
    const uchar *end = p + e.length;
    QString text(e.length, Qt::Uninitialized);
    QChar *out = text.data();
    while (p < end) {
        const uchar b = *p;
        if (b < 0x80) {
            *out++ = QChar(b);
            p += 1;
        } else if (b < 0xE0) {
            *out++ = QChar(ushort(((b & 0x1F) << 6) | (p[1] & 0x3F)));
            p += 2;
        } else {
            *out++ = QChar(ushort(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F)));
            p += 3;
        }
    }
    text.resize(int(out - text.constData()));
    return text;
}

bool TextPool::equals(int index, QStringView text) const
{
    return index >= 0 && index < m_entries.size() &&
           m_entries.at(index).length == encodedSize(text) && at(index) == text;
}

void TextPool::clear()
{
    m_blocks.clear();
    m_entries.clear();
}
