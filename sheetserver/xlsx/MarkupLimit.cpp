#include "xlsx/MarkupLimit.h"

#include <cstring>

namespace {

bool endsName(char c)
{
    return c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

MarkupLimit::MarkupLimit(qint64 declaredSize, qint64 memory)
    : m_declared(declaredSize), m_maxCells(memory / CellBytes)
{
}

MarkupLimit::Tag MarkupLimit::kind(const char *tag, const char *end)
{
    if (end - tag < 3)
        return Tag::Unknown;
    if (tag[1] == '!') {
        if (end - tag < 9)
            return Tag::Unknown;
        if (std::memcmp(tag, "<!--", 4) == 0)
            return Tag::Comment;
        return std::memcmp(tag, "<![CDATA[", 9) == 0 ? Tag::Cdata : Tag::Other;
    }
    const bool closing = tag[1] == '/';
    const char *name = tag + 1 + closing;
    const char *local = name;
    const char *p = name;
    while (p < end && !endsName(*p)) {
        if (*p == ':')
            local = p + 1;
        ++p;
    }
    if (p == end)
        return end - tag < CarryMax ? Tag::Unknown : Tag::Other;
    const ptrdiff_t length = p - local;
    if (length == 1 && *local == 'c')
        return closing ? Tag::Other : Tag::Cell;
    if (length != 2 ||
        !((local[0] == 's' && local[1] == 'i') || (local[0] == 'i' && local[1] == 's')))
        return Tag::Other;
    if (closing)
        return Tag::ItemEnd;
    // An empty item (<si/>) neither starts nor ends one.
    const void *close = std::memchr(p, '>', size_t(end - p));
    if (!close)
        return end - tag < CarryMax ? Tag::Unknown : Tag::Other;
    return static_cast<const char *>(close)[-1] == '/' ? Tag::Other : Tag::ItemStart;
}

bool MarkupLimit::take(Tag tag, qint64 at)
{
    switch (tag) {
    case Tag::Cell:
        ++m_cells;
        break;
    case Tag::ItemStart:
        m_itemStart = at;
        break;
    case Tag::ItemEnd:
        if (m_itemStart >= 0 && at - m_itemStart > MaxItem)
            return false;
        m_itemStart = -1;
        break;
    case Tag::Cdata:
        m_close = ']';
        m_closeRun = 0;
        break;
    case Tag::Comment:
        m_close = '-';
        m_closeRun = 0;
        break;
    default:
        break;
    }
    return true;
}

const char *MarkupLimit::skipped(const char *from, const char *end)
{
    // The section ends at "]]>" or "-->", which may be cut by a piece's end:
    // m_closeRun counts the closing characters just before `from`.
    const auto runBefore = [this](const char *start, const char *at) {
        int run = 0;
        while (run < 2 && at - run > start && at[-run - 1] == m_close)
            ++run;
        return run < 2 && at - run == start ? qMin(2, run + m_closeRun) : run;
    };
    for (const char *p = from; p < end;) {
        const char *gt = static_cast<const char *>(std::memchr(p, '>', size_t(end - p)));
        if (!gt) {
            m_closeRun = runBefore(p, end);
            return end;
        }
        if (runBefore(p, gt) == 2) {
            m_close = 0;
            m_closeRun = 0;
            return gt + 1;
        }
        m_closeRun = 0;
        p = gt + 1;
    }
    return end;
}

bool MarkupLimit::operator()(const char *data, int size)
{
    const char *p = data;
    const char *const end = data + size;
    if (m_carried > 0) {
        // A tag's start cut by the previous piece's end, completed here.
        const int more = qMin(size, CarryMax);
        std::memcpy(m_carry + m_carried, data, size_t(more));
        const Tag tag = kind(m_carry, m_carry + m_carried + more);
        const qint64 at = m_seen - m_carried;
        m_carried = 0;
        if (!take(tag, at))
            return false;
    }
    for (;;) {
        if (m_close && (p = skipped(p, end)) == end)
            break;
        p = static_cast<const char *>(std::memchr(p, '<', size_t(end - p)));
        if (!p)
            break;
        const Tag tag = kind(p, end);
        if (tag == Tag::Unknown) {
            m_carried = int(end - p);
            std::memcpy(m_carry, p, size_t(m_carried));
            break;
        }
        if (!take(tag, m_seen + (p - data)))
            return false;
        ++p;
    }
    m_seen += size;
    if (m_itemStart >= 0 && m_seen - m_itemStart > MaxItem)
        return false;
    // The cells met so far, as a share of the part's bytes, foretell those
    // of the whole part once enough of it is seen.
    if (m_cells > m_maxCells)
        return false;
    return m_seen < Sample || m_cells * qMax(m_declared, m_seen) <= m_maxCells * m_seen;
}
