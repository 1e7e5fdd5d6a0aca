#include "xlsx/MarkupLimit.h"

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

bool endsName(char c)
{
    return c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\n' || c == '\r';
}

// The next place where a tag that matters here may start: '<' before c, s,
// i or '!', "</" before s or i, or a prefix's ':' before c, s or i. The
// rest is passed over sixteen bytes at a time: most tags of a part are
// none of these, and a check of every '<' would cost an open several
// percent. Within the last bytes every '<' and ':' is a place.
const char *nextPlace(const char *p, const char *end)
{
#ifdef __SSE2__
    const __m128i lt = _mm_set1_epi8('<'), colon = _mm_set1_epi8(':'), slash = _mm_set1_epi8('/'),
                  bang = _mm_set1_epi8('!'), c = _mm_set1_epi8('c'), s = _mm_set1_epi8('s'),
                  i = _mm_set1_epi8('i');
    for (; end - p >= 18; p += 16) {
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1));
        const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 2));
        const __m128i item1 = _mm_or_si128(_mm_cmpeq_epi8(b1, s), _mm_cmpeq_epi8(b1, i));
        const __m128i name1 = _mm_or_si128(item1, _mm_cmpeq_epi8(b1, c));
        const __m128i item2 = _mm_or_si128(_mm_cmpeq_epi8(b2, s), _mm_cmpeq_epi8(b2, i));
        const __m128i after = _mm_or_si128(_mm_or_si128(name1, _mm_cmpeq_epi8(b1, bang)),
                                           _mm_and_si128(_mm_cmpeq_epi8(b1, slash), item2));
        const __m128i places = _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(b0, lt), after),
                                            _mm_and_si128(_mm_cmpeq_epi8(b0, colon), name1));
        const int mask = _mm_movemask_epi8(places);
        if (mask != 0)
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    for (; p < end; ++p) {
        if (*p == '<' || *p == ':')
            return p;
    }
    return end;
}

// The '<' of the tag whose prefix ends at `colon`; null when the colon is
// not in a tag's name, or the tag starts before `begin`.
const char *prefixedTag(const char *colon, const char *begin, int reach)
{
    const char *const stop = colon - qMin<ptrdiff_t>(colon - begin, reach);
    for (const char *q = colon; q > stop;) {
        --q;
        if (*q == '<')
            return q;
        if (*q == '/')
            return q > begin && q[-1] == '<' ? q - 1 : nullptr;
        if (endsName(*q) || *q == ':')
            return nullptr;
    }
    return nullptr;
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

void MarkupLimit::carry(const char *tag, const char *end)
{
    m_carried = int(end - tag);
    std::memcpy(m_carry, tag, size_t(m_carried));
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
        if (tag == Tag::Unknown && more == size && m_carried + more < CarryMax) {
            // Still cut: a piece shorter than the tag.
            m_carried += more;
            m_seen += size;
            return true;
        }
        const qint64 at = m_seen - m_carried;
        m_carried = 0;
        if (!take(tag, at))
            return false;
    }
    const char *taken = nullptr; // the last tag taken
    for (;;) {
        if (m_close && (p = skipped(p, end)) == end)
            break;
        if ((p = nextPlace(p, end)) == end)
            break;
        // The tags of nearly every cell and item, told at a glance.
        if (end - p >= 5 && *p == '<') {
            if (p[1] == 'c' && endsName(p[2])) {
                ++m_cells;
                ++p;
                continue;
            }
            if (p[1] == 's' && p[2] == 'i' && p[3] == '>') {
                m_itemStart = m_seen + (p - data);
                ++p;
                continue;
            }
            if (p[1] == '/' && p[2] == 's' && p[3] == 'i' && p[4] == '>') {
                if (!take(Tag::ItemEnd, m_seen + (p - data)))
                    return false;
                ++p;
                continue;
            }
        }
        const char *tag = *p == '<' ? p : prefixedTag(p, data, CarryMax);
        if (tag && tag != taken) {
            const Tag found = kind(tag, end);
            if (found == Tag::Unknown) {
                carry(tag, end);
                break;
            }
            if (!take(found, m_seen + (tag - data)))
                return false;
            taken = tag;
        }
        ++p;
    }
    if (m_carried == 0 && !m_close) {
        // A tag cut by the end of the piece that no place showed yet
        // ("<x" of "<x:c").
        const char *from = end - qMin(size, CarryMax - 1);
        const void *last = memrchr(from, '<', size_t(end - from));
        if (last && kind(static_cast<const char *>(last), end) == Tag::Unknown)
            carry(static_cast<const char *>(last), end);
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
