#include "model/TextPool.h"

#include "model/OwnThread.h"

#include <cstring>

namespace {

int encodedSize(QStringView text)
{
    int size = 0;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        size += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    }
    return size;
}

// Each UTF-16 code unit on its own: 1, 2 or 3 bytes. Answers the end.
char *encode(QStringView text, char *out)
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
    return out;
}

} // namespace

int TextPool::append(QStringView text)
{
    // Room for the longest encoding, so the text is encoded in one pass;
    // what it does not take stays free for the next text. A text longer
    // than a block is measured first.
    const int most = text.size() > BlockSize ? encodedSize(text) : int(text.size()) * 3;
    if (m_blocks.isEmpty() || m_blocks.last().size() + most > m_blocks.last().capacity()) {
        QByteArray block;
        block.reserve(qMax(BlockSize, most));
        m_blocks.append(block);
    }
    QByteArray &block = m_blocks.last();
    const int offset = block.size();
    // Within the reserved capacity: the block never moves.
    block.resize(offset + most);
    char *begin = block.data() + offset;
    const int length = int(encode(text, begin) - begin);
    block.resize(offset + length);
    m_entries.append({m_blocks.size() - 1, offset, length});
    return m_entries.size() - 1;
}

QByteArray TextPool::stored(QStringView text)
{
    QByteArray bytes(encodedSize(text), Qt::Uninitialized);
    encode(text, bytes.data());
    return bytes;
}

int TextPool::appendUtf8(const char *data, int length)
{
    if (m_blocks.isEmpty() || m_blocks.last().size() + length > m_blocks.last().capacity()) {
        QByteArray block;
        block.reserve(qMax(BlockSize, length));
        m_blocks.append(block);
    }
    QByteArray &block = m_blocks.last();
    const int offset = block.size();
    block.append(data, length); // within the reserved capacity
    m_entries.append({m_blocks.size() - 1, offset, length});
    return m_entries.size() - 1;
}

const char *TextPool::bytes(int index, int *length) const
{
    if (index < 0 || index >= m_entries.size()) {
        *length = 0;
        return "";
    }
    const Entry &e = m_entries.at(index);
    *length = e.length;
    return m_blocks.at(e.block).constData() + e.offset;
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
    if (index < 0 || index >= m_entries.size())
        return false;
    const Entry &e = m_entries.at(index);
    // Each code unit takes one to three bytes.
    if (e.length < text.size() || e.length > 3 * text.size())
        return false;
    const char *p = m_blocks.at(e.block).constData() + e.offset;
    const char *end = p + e.length;
    char unit[3];
    for (const QChar c : text) {
        const int n = int(encode(QStringView(&c, 1), unit) - unit);
        if (end - p < n || memcmp(p, unit, size_t(n)) != 0)
            return false;
        p += n;
    }
    return p == end;
}

int TextPool::take(TextPool &&other)
{
    const int base = m_entries.size();
    // The room left in the last block here would never be used again.
    if (!m_blocks.isEmpty() && !other.m_blocks.isEmpty())
        m_blocks.last().squeeze();
    const int blocks = m_blocks.size();
    m_blocks.append(other.m_blocks);
    m_entries.reserve(base + other.m_entries.size());
    for (Entry e : qAsConst(other.m_entries)) {
        e.block += blocks;
        m_entries.append(e);
    }
    other.clear();
    return base;
}

void TextPool::takeAll(std::vector<TextPool> &&parts)
{
    // Where each part's records and blocks go.
    std::vector<int> entryBase, blockBase;
    int entries = m_entries.size();
    for (TextPool &part : parts) {
        if (!m_blocks.isEmpty() && !part.m_blocks.isEmpty())
            m_blocks.last().squeeze();
        entryBase.push_back(entries);
        blockBase.push_back(m_blocks.size());
        entries += part.m_entries.size();
        m_blocks.append(part.m_blocks);
        part.m_blocks.clear();
    }
    m_entries.resize(entries);
    Entry *const to = m_entries.data();
    OwnThread::each(int(parts.size()), [&](int i) {
        const size_t k = size_t(i);
        Entry *out = to + entryBase[k];
        for (Entry e : qAsConst(parts[k].m_entries)) {
            e.block += blockBase[k];
            *out++ = e;
        }
        parts[k].clear();
        return 0;
    });
}

void TextPool::replace(const std::vector<int> &indexes, TextPool &&other)
{
    Q_ASSERT(int(indexes.size()) == other.m_entries.size());
    if (!m_blocks.isEmpty() && !other.m_blocks.isEmpty())
        m_blocks.last().squeeze();
    const int blocks = m_blocks.size();
    m_blocks.append(other.m_blocks);
    for (size_t i = 0; i < indexes.size(); ++i) {
        Entry e = other.m_entries.at(int(i));
        e.block += blocks;
        m_entries[indexes[i]] = e;
    }
    other.clear();
}

void TextPool::clear()
{
    m_blocks.clear();
    m_entries.clear();
}
