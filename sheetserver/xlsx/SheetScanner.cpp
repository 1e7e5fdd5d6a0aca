#include "xlsx/SheetScanner.h"

#include "model/CellAddress.h"
#include "model/CellTextLimit.h"
#include "model/SheetModel.h"
#include "xlsx/XmlText.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// Bytes that plain character data may not simply be copied over: markup,
// references, "]]>", characters XML refuses or the reader turns (carriage
// returns), controls the reader may treat otherwise (DEL, C1 after C2),
// noncharacters (after EF) and characters beyond U+FFFF, which the pool
// keeps as a surrogate pair.
struct ByteClasses
{
    bool special[256] = {};
    constexpr ByteClasses()
    {
        for (int b = 0; b < 256; ++b)
            special[b] = (b < 0x20 && b != '\t' && b != '\n') || b == '&' || b == '<' || b == ']' ||
                         b == 0x7F || b == 0xC2 || b == 0xEF || b >= 0xF0;
    }
};
constexpr ByteClasses kBytes;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isNameByte(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Each UTF-16 code unit on its own, as the pool stores it.
void appendUnit(std::string *out, unsigned u)
{
    if (u < 0x80) {
        out->push_back(char(u));
    } else if (u < 0x800) {
        out->push_back(char(0xC0 | (u >> 6)));
        out->push_back(char(0x80 | (u & 0x3F)));
    } else {
        out->push_back(char(0xE0 | (u >> 12)));
        out->push_back(char(0x80 | ((u >> 6) & 0x3F)));
        out->push_back(char(0x80 | (u & 0x3F)));
    }
}

void appendCharacter(std::string *out, unsigned c)
{
    if (c < 0x10000) {
        appendUnit(out, c);
        return;
    }
    c -= 0x10000;
    appendUnit(out, 0xD800 | (c >> 10));
    appendUnit(out, 0xDC00 | (c & 0x3FF));
}

// What XML lets a reference stand for, less the controls the reader may
// treat otherwise.
bool isCharacter(unsigned c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c < 0x7F) ||
           (c >= 0xA0 && c < 0xD800) || (c >= 0xE000 && c < 0xFFFE) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

qint64 units(const std::string &text)
{
    qint64 count = 0;
    for (const char c : text)
        count += (uchar(c) & 0xC0) != 0x80;
    return count;
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "_xHHHH_" escapes decoded where they stand; the pattern is ASCII, so
// bytes of longer characters never take part in it.
void decodeEscapes(std::string *text)
{
    if (text->find('_') == std::string::npos)
        return;
    std::string &s = *text;
    const size_t n = s.size();
    size_t w = 0;
    std::string unit;
    for (size_t r = 0; r < n;) {
        if (s[r] == '_' && r + 7 <= n && (s[r + 1] == 'x' || s[r + 1] == 'X') && s[r + 6] == '_') {
            unsigned value = 0;
            bool ok = true;
            for (size_t k = r + 2; k < r + 6 && ok; ++k) {
                const int h = hexValue(s[k]);
                ok = h >= 0;
                value = value * 16 + unsigned(h);
            }
            if (ok) {
                unit.clear();
                appendUnit(&unit, value);
                for (const char c : unit)
                    s[w++] = c; // three bytes at most for the seven read
                r += 7;
                continue;
            }
        }
        s[w++] = s[r++];
    }
    s.resize(w);
}

void trim(const char **from, const char **to)
{
    // Only ASCII is trimmed here; callers refuse anything else first.
    while (*from < *to && (isSpace(**from) || **from == '\r'))
        ++*from;
    while (*to > *from && (isSpace((*to)[-1]) || (*to)[-1] == '\r'))
        --*to;
}

bool isAscii(const std::string &text)
{
    for (const char c : text) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

// Plain decimal digits, at most `most` of them.
bool parseDigits(const char *from, const char *to, int most, int *value)
{
    if (to == from || to - from > most)
        return false;
    int v = 0;
    for (const char *p = from; p < to; ++p) {
        if (!isDigit(*p))
            return false;
        v = v * 10 + (*p - '0');
    }
    *value = v;
    return true;
}

// Numbers of the plain form -?(0|[1-9]d*)(.d+)?([eE][+-]?d+)? that come
// out as normal doubles (or an unsigned zero): those every correctly
// rounding reader turns alike.
bool parseNumber(const char *from, const char *to, double *value)
{
    const char *p = from;
    if (p < to && *p == '-')
        ++p;
    const char *digits = p;
    bool nonZero = false;
    for (; p < to && isDigit(*p); ++p)
        nonZero = nonZero || *p != '0';
    if (p == digits || (*digits == '0' && p - digits > 1))
        return false;
    if (p < to && *p == '.') {
        const char *fraction = ++p;
        for (; p < to && isDigit(*p); ++p)
            nonZero = nonZero || *p != '0';
        if (p == fraction)
            return false;
    }
    if (p < to && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < to && (*p == '+' || *p == '-'))
            ++p;
        const char *exponent = p;
        while (p < to && isDigit(*p))
            ++p;
        if (p == exponent || p - exponent > 4)
            return false;
    }
    if (p != to)
        return false;
    const std::from_chars_result result = std::from_chars(from, to, *value);
    if (result.ec != std::errc() || result.ptr != to || !std::isfinite(*value))
        return false;
    if (*from == '-' && *value == 0)
        return false;
    return !nonZero || std::fabs(*value) >= DBL_MIN;
}

// "B3" in capitals, without '$'.
bool parseReference(const char *from, const char *to, int *row, int *column)
{
    const char *p = from;
    int c = 0;
    while (p < to && *p >= 'A' && *p <= 'Z' && p - from < 3)
        c = c * 26 + (*p++ - 'A' + 1);
    if (p == from || c > CellAddress::MaxColumns)
        return false;
    int r = 0;
    if (!parseDigits(p, to, 7, &r) || r < 1 || r > CellAddress::MaxRows)
        return false;
    *row = r;
    *column = c;
    return true;
}

} // namespace

bool SheetScanner::Name::is(const char *name, int length) const
{
    return size == length && memcmp(data, name, size_t(length)) == 0;
}

const SheetScanner::Name *SheetScanner::Tag::value(const char *name, int length) const
{
    for (int i = 0; i < count; ++i) {
        if (attributes[i].name.is(name, length))
            return &attributes[i].value;
    }
    return nullptr;
}

SheetScanner::SheetScanner(const QByteArray &xml, const QVector<QByteArray> &prefixes,
                           SheetModel *sheet)
    : m_base(xml.constData()), m_prefixes(prefixes), m_sheet(sheet)
{
}

bool SheetScanner::scan(qint64 from, qint64 to, bool startsTable)
{
    const char *p = m_base + from;
    m_end = m_base + to;
    m_startsTable = startsTable;
    for (;;) {
        if (!text(&p, nullptr))
            return false;
        if (p >= m_end)
            return true;
        // An end tag here would close the table.
        if (p + 1 >= m_end || p[1] == '/')
            return false;
        Tag tag;
        if (!startTag(p, &tag))
            return false;
        if (tag.name.is("row", 3) ? !readRow(&p, tag) : !skipElement(&p, tag))
            return false;
    }
}

bool SheetScanner::startTag(const char *at, Tag *tag)
{
    const char *p = at + 1;
    if (p >= m_end || !isNameStart(*p))
        return false; // comments, CDATA, instructions
    tag->start = at;
    tag->name.data = p;
    while (p < m_end && isNameByte(*p))
        ++p;
    tag->name.size = int(p - tag->name.data);
    for (;;) {
        const char *space = p;
        while (p < m_end && isSpace(*p))
            ++p;
        if (p >= m_end)
            return false;
        if (*p == '>') {
            tag->end = p + 1;
            return true;
        }
        if (*p == '/') {
            if (p + 1 >= m_end || p[1] != '>')
                return false;
            tag->empty = true;
            tag->end = p + 2;
            return true;
        }
        if (p == space || tag->count == MaxAttributes)
            return false;
        Attribute &attribute = tag->attributes[tag->count];
        if (!attributeName(&p, &attribute.name) || p + 1 >= m_end || *p != '=')
            return false;
        const char quote = *++p;
        if (quote != '"' && quote != '\'')
            return false;
        const char *value = ++p;
        for (; p < m_end && *p != quote; ++p) {
            const auto b = uchar(*p);
            if (b == '<' || b == '&' || (b < 0x20 && b != '\t' && b != '\n') || b == 0x7F)
                return false;
            if (b == 0xC2 && p + 1 < m_end && uchar(p[1]) < 0xA0)
                return false;
            if (b == 0xEF && p + 2 < m_end && uchar(p[1]) == 0xBF && uchar(p[2]) >= 0xBE)
                return false;
        }
        if (p >= m_end)
            return false;
        attribute.value = {value, int(p - value)};
        ++p;
        // The same local name twice is refused, or may be, by the reader.
        const char *colon = static_cast<const char *>(
            memchr(attribute.name.data, ':', size_t(attribute.name.size)));
        const Name local =
            colon ? Name{colon + 1, int(attribute.name.data + attribute.name.size - colon - 1)}
                  : attribute.name;
        for (int i = 0; i < tag->count; ++i) {
            const Name &other = tag->attributes[i].name;
            const char *otherColon =
                static_cast<const char *>(memchr(other.data, ':', size_t(other.size)));
            const Name otherLocal =
                otherColon ? Name{otherColon + 1, int(other.data + other.size - otherColon - 1)}
                           : other;
            if (otherLocal.is(local.data, local.size))
                return false;
        }
        ++tag->count;
    }
}

bool SheetScanner::attributeName(const char **at, Name *name)
{
    const char *p = *at;
    name->data = p;
    if (p >= m_end || !isNameStart(*p))
        return false;
    while (p < m_end && isNameByte(*p))
        ++p;
    const Name prefix{name->data, int(p - name->data)};
    if (p < m_end && *p == ':') {
        ++p;
        if (p >= m_end || !isNameStart(*p))
            return false;
        while (p < m_end && isNameByte(*p))
            ++p;
        // Declarations change what names mean; undeclared prefixes are
        // refused by the reader.
        if (prefix.is("xmlns", 5))
            return false;
        bool declared = prefix.is("xml", 3);
        for (const QByteArray &known : m_prefixes)
            declared = declared || prefix.is(known.constData(), known.size());
        if (!declared)
            return false;
    } else if (prefix.is("xmlns", 5)) {
        return false;
    }
    name->size = int(p - name->data);
    *at = p;
    return true;
}

bool SheetScanner::endTag(const char *at, const Name &name, const char **after)
{
    const char *p = at + 2;
    if (m_end - p < name.size || memcmp(p, name.data, size_t(name.size)) != 0)
        return false;
    p += name.size;
    while (p < m_end && isSpace(*p))
        ++p;
    if (p >= m_end || *p != '>')
        return false;
    *after = p + 1;
    return true;
}

bool SheetScanner::text(const char **at, std::string *out)
{
    const auto *p = reinterpret_cast<const uchar *>(*at);
    const auto *end = reinterpret_cast<const uchar *>(m_end);
    while (p < end) {
        const uchar *run = p;
        while (p < end && !kBytes.special[*p])
            ++p;
        if (out)
            out->append(reinterpret_cast<const char *>(run), size_t(p - run));
        if (p >= end || *p == '<')
            break;
        int length = 1;
        switch (*p) {
        case '&': {
            const char *q = reinterpret_cast<const char *>(p);
            if (!reference(&q, out))
                return false;
            p = reinterpret_cast<const uchar *>(q);
            continue;
        }
        case ']':
            if (end - p >= 3 && p[1] == ']' && p[2] == '>')
                return false;
            break;
        case 0xC2:
            if (end - p < 2 || p[1] < 0xA0)
                return false;
            length = 2;
            break;
        case 0xEF:
            if (end - p < 3 || (p[1] == 0xBF && p[2] >= 0xBE))
                return false;
            length = 3;
            break;
        default:
            if (*p < 0xF0 || *p > 0xF4 || end - p < 4)
                return false;
            if (out)
                appendCharacter(out, unsigned((p[0] & 0x07) << 18) | unsigned((p[1] & 0x3F) << 12) |
                                         unsigned((p[2] & 0x3F) << 6) | unsigned(p[3] & 0x3F));
            p += 4;
            continue;
        }
        if (out)
            out->append(reinterpret_cast<const char *>(p), size_t(length));
        p += length;
    }
    *at = reinterpret_cast<const char *>(p);
    return true;
}

bool SheetScanner::reference(const char **at, std::string *out)
{
    const char *p = *at + 1;
    static const struct
    {
        const char *name;
        int length;
        char c;
    } predefined[] = {
        {"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''}};
    for (const auto &entity : predefined) {
        if (m_end - p >= entity.length && memcmp(p, entity.name, size_t(entity.length)) == 0) {
            if (out)
                out->push_back(entity.c);
            *at = p + entity.length;
            return true;
        }
    }
    if (p >= m_end || *p != '#')
        return false;
    ++p;
    const bool hex = p < m_end && *p == 'x';
    if (hex)
        ++p;
    const char *digits = p;
    unsigned value = 0;
    for (; p < m_end && *p != ';'; ++p) {
        const int d = hex ? hexValue(*p) : (isDigit(*p) ? *p - '0' : -1);
        if (d < 0 || p - digits >= 7)
            return false;
        value = value * (hex ? 16 : 10) + unsigned(d);
    }
    if (p >= m_end || p == digits || !isCharacter(value))
        return false;
    if (out)
        appendCharacter(out, value);
    *at = p + 1;
    return true;
}

bool SheetScanner::skipElement(const char **at, const Tag &tag)
{
    if (tag.empty) {
        *at = tag.end;
        return true;
    }
    Name open[MaxDepth];
    int depth = 0;
    open[depth++] = tag.name;
    const char *p = tag.end;
    while (depth > 0) {
        if (!text(&p, nullptr) || p + 1 >= m_end)
            return false;
        if (p[1] == '/') {
            if (!endTag(p, open[depth - 1], &p))
                return false;
            --depth;
            continue;
        }
        Tag child;
        if (!startTag(p, &child))
            return false;
        p = child.end;
        if (!child.empty) {
            if (depth == MaxDepth)
                return false;
            open[depth++] = child.name;
        }
    }
    *at = p;
    return true;
}

template<typename Child>
bool SheetScanner::children(const char **at, const Tag &tag, Child child)
{
    const char *p = *at;
    for (;;) {
        if (!text(&p, nullptr) || p + 1 >= m_end)
            return false;
        if (p[1] == '/')
            break;
        Tag next;
        if (!startTag(p, &next) || !child(&p, next))
            return false;
    }
    if (!endTag(p, tag.name, &p))
        return false;
    *at = p;
    return true;
}

bool SheetScanner::readRow(const char **at, const Tag &tag)
{
    const Name *number = tag.value("r", 1);
    int row = m_lastRow + 1;
    const bool told = number && number->size > 0;
    if (!told && m_firstRow == 0 && !m_startsTable)
        return false;
    if (told && !parseDigits(number->data, number->data + number->size, 7, &row))
        return false;
    if (row <= m_lastRow || row > CellAddress::MaxRows)
        return false;
    m_lastRow = row;
    if (m_firstRow == 0)
        m_firstRow = row;
    m_lastColumn = 0;
    Row &entry = m_sheet->cells.appendRow(row);
    // Rows of a table tend to be alike: room for as many cells as the last.
    entry.cells.reserve(qMin(m_lastRowCells, 1024));
    entry.original = true;
    entry.start = offset(tag.start);
    entry.startTagEnd = offset(tag.end);
    entry.selfClosing = tag.empty;
    m_row = &entry;
    const char *p = tag.end;
    if (!tag.empty && !children(&p, tag, [this](const char **at, const Tag &child) {
            return child.name.is("c", 1) ? readCell(at, child) : skipElement(at, child);
        }))
        return false;
    entry.end = offset(p);
    m_lastRowCells = entry.cells.size();
    m_row = nullptr;
    *at = p;
    return true;
}

bool SheetScanner::readCell(const char **at, const Tag &tag)
{
    Cell cell;
    cell.original = true;
    cell.start = offset(tag.start);
    int column = m_lastColumn + 1;
    const Name *reference = tag.value("r", 1);
    if (reference && reference->size > 0) {
        int row = 0;
        if (!parseReference(reference->data, reference->data + reference->size, &row, &column) ||
            row != m_row->row)
            return false;
    }
    if (column <= m_lastColumn || column > CellAddress::MaxColumns)
        return false;
    m_lastColumn = column;
    cell.column = column;
    const Name *style = tag.value("s", 1);
    if (style && style->size > 0 &&
        !parseDigits(style->data, style->data + style->size, 9, &cell.style))
        return false;
    const Name *typeName = tag.value("t", 1);
    Kind kind = KindNumber;
    if (typeName && typeName->size > 0) {
        static const struct
        {
            const char *name;
            int length;
            Kind kind;
        } kinds[] = {
            {"n", 1, KindNumber},        {"s", 1, KindShared},  {"inlineStr", 9, KindInline},
            {"str", 3, KindFormulaText}, {"b", 1, KindBoolean}, {"e", 1, KindError},
            {"d", 1, KindDate}};
        kind = KindUnknown;
        for (const auto &entry : kinds) {
            if (typeName->is(entry.name, entry.length))
                kind = entry.kind;
        }
        if (kind == KindUnknown)
            return false;
    }
    m_value.clear();
    m_inline.clear();
    bool hasValue = false;
    bool hasInline = false;
    const char *p = tag.end;
    if (!tag.empty && !readContent(&p, tag, &cell, &hasValue, &hasInline))
        return false;
    cell.end = offset(p);
    // An inline string is kept whatever <v> says; other types without a
    // value are blank.
    if ((kind == KindInline || hasValue) && !store(kind, hasInline, &cell))
        return false;
    m_row->cells.append(cell);
    m_sheet->cells.noteCellAdded();
    *at = p;
    return true;
}

bool SheetScanner::readContent(const char **at, const Tag &tag, Cell *cell, bool *hasValue,
                               bool *hasInline)
{
    return children(at, tag, [&](const char **p, const Tag &child) {
        if (child.name.is("v", 1)) {
            *hasValue = true;
            *p = child.end;
            if (child.empty)
                return true;
            // Values run on across several <v>, as the reader joins them;
            // markup inside one is left to the reader.
            if (!text(p, &m_value) || *p + 1 >= m_end || (*p)[1] != '/' ||
                !endTag(*p, child.name, p))
                return false;
            return qint64(m_value.size()) <= XmlText::MaxRawText ||
                   units(m_value) <= XmlText::MaxRawText;
        }
        if (child.name.is("f", 1))
            return readFormula(child, cell) && skipElement(p, child);
        if (child.name.is("is", 2)) {
            *p = child.end;
            if (!readInline(p, child))
                return false;
            *hasInline = true;
            return true;
        }
        return skipElement(p, child);
    });
}

bool SheetScanner::readFormula(const Tag &tag, Cell *cell)
{
    const Name *kind = tag.value("t", 1);
    if (kind && kind->is("shared", 6)) {
        cell->formula = tag.value("ref", 3) ? Cell::SharedMaster : Cell::SharedChild;
        const Name *index = tag.value("si", 2);
        cell->sharedIndex = 0;
        return !index || index->size == 0 ||
               parseDigits(index->data, index->data + index->size, 9, &cell->sharedIndex);
    }
    cell->formula = kind && kind->is("array", 5) ? Cell::ArrayFormula : Cell::PlainFormula;
    return true;
}

// The text of <t> elements not inside a phonetic run, at any depth, as the
// string item reader takes it.
bool SheetScanner::readInline(const char **at, const Tag &tag)
{
    m_inline.clear();
    if (!tag.empty) {
        Name open[MaxDepth];
        open[0] = tag.name;
        int depth = 1;
        int textDepth = 0;
        int skipDepth = 0;
        const char *p = *at;
        while (depth > 0) {
            const bool keep = textDepth > 0 && skipDepth == 0;
            if (!text(&p, keep ? &m_inline : nullptr) || p + 1 >= m_end)
                return false;
            if (qint64(m_inline.size()) > XmlText::MaxRawText &&
                units(m_inline) > XmlText::MaxRawText)
                return false;
            bool closes = p[1] == '/';
            if (closes) {
                if (!endTag(p, open[depth - 1], &p))
                    return false;
            } else {
                Tag child;
                if (!startTag(p, &child) || depth == MaxDepth)
                    return false;
                p = child.end;
                open[depth++] = child.name;
                if (skipDepth == 0 && child.name.is("rPh", 3))
                    skipDepth = depth;
                else if (skipDepth == 0 && textDepth == 0 && child.name.is("t", 1))
                    textDepth = depth;
                closes = child.empty;
            }
            if (closes) {
                if (depth == skipDepth)
                    skipDepth = 0;
                if (depth == textDepth)
                    textDepth = 0;
                --depth;
            }
        }
        *at = p;
    }
    decodeEscapes(&m_inline);
    return qint64(m_inline.size()) <= MaxCellText || units(m_inline) <= MaxCellText;
}

bool SheetScanner::store(Kind kind, bool hasInline, Cell *cell)
{
    const char *from = m_value.data();
    const char *to = from + m_value.size();
    switch (kind) {
    case KindNumber:
    case KindShared: {
        if (!isAscii(m_value))
            return false;
        trim(&from, &to);
        if (from == to)
            return true; // blank, as Excel shows it
        if (kind == KindNumber) {
            cell->type = Cell::Number;
            return parseNumber(from, to, &cell->number);
        }
        int index = 0;
        if (to - from != qint64(m_value.size()) || !parseDigits(from, to, 9, &index))
            return false;
        m_sheet->maxSharedIndex = qMax(m_sheet->maxSharedIndex, index);
        cell->type = Cell::SharedString;
        cell->index = index;
        return true;
    }
    case KindInline:
        if (hasInline) {
            cell->type = Cell::Text;
            cell->index = m_sheet->texts.appendUtf8(m_inline.data(), int(m_inline.size()));
        }
        return true;
    case KindFormulaText:
        decodeEscapes(&m_value);
        if (qint64(m_value.size()) > MaxCellText && units(m_value) > MaxCellText)
            return false;
        cell->type = Cell::Text;
        cell->index = m_sheet->texts.appendUtf8(m_value.data(), int(m_value.size()));
        return true;
    case KindBoolean:
        if (!isAscii(m_value))
            return false;
        trim(&from, &to);
        cell->type = Cell::Boolean;
        cell->number =
            (to - from == 1 && *from == '1') || (to - from == 4 && memcmp(from, "true", 4) == 0);
        return true;
    case KindError:
        cell->type = Cell::Error;
        cell->index = m_sheet->texts.appendUtf8(m_value.data(), int(m_value.size()));
        return true;
    default:
        return false; // dates are left to the reader
    }
}
