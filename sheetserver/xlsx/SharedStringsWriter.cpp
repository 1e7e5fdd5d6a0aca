#include "xlsx/SharedStringsWriter.h"

#include "model/WorkbookDocument.h"
#include "xlsx/SheetSource.h"
#include "xlsx/XmlText.h"

#include <QIODevice>
#include <cstring>
#include <utility>

namespace {

// Walks the markup of a well-formed part (the reader has taken it) from
// tag to tag, without reading it as XML: comments, CDATA sections,
// processing instructions and quoted attribute values are passed whole.
// Nothing is allocated on the way, as a table holds a million items, and
// the part is asked for in windows: each starts where the tag before ended,
// so the bytes from there to the end of the tag given are at hand.
class TagWalker
{
public:
    enum Kind { Start, Empty, End, Other, Done };
    struct Tag
    {
        Kind kind = Done;
        quint32 start = 0;          // '<'
        quint32 end = 0;            // after '>'
        const char *name = nullptr; // the element's qualified name, in the window
        int nameLength = 0;
    };

    explicit TagWalker(SheetSource *source) : m_source(source), m_size(source->size()) {}

    bool failed() const { return m_failed; }
    // Bytes from the end of the tag before the last one given on, up to
    // where the window ends.
    const char *at(quint32 position) const { return m_data + (position - m_from); }

    Tag next()
    {
        for (;;) {
            if (m_position >= m_to && !widen())
                return Tag();
            const char *from = at(m_position);
            const char *found =
                static_cast<const char *>(std::memchr(from, '<', size_t(m_to - m_position)));
            if (!found) {
                if (!widen())
                    return Tag();
                continue;
            }
            Tag tag;
            if (read(quint32(found - m_data) + m_from, &tag)) {
                m_position = tag.end;
                return tag;
            }
            if (!widen())
                return Tag();
        }
    }

    // Where an item of the plainest form, <si><t>text</t></si> (the <t>
    // perhaps keeping white space), ends, when tag opens one and it lies in
    // the window; 0 otherwise. Most tables hold nothing else, and such an
    // item is passed in one step (passOver).
    quint32 plainItemEnd(const Tag &tag) const
    {
        static const QByteArray open = "<si><t>", openPreserving = "<si><t xml:space=\"preserve\">",
                                close = "</t></si>";
        const char *p = at(tag.start);
        const char *end = at(m_to);
        const auto startsWith = [&end](const char *at, const QByteArray &what) {
            return end - at >= what.size() &&
                   std::memcmp(at, what.constData(), size_t(what.size())) == 0;
        };
        if (tag.kind != Start || tag.end - tag.start != 4)
            return 0;
        if (startsWith(p, open))
            p += open.size();
        else if (startsWith(p, openPreserving))
            p += openPreserving.size();
        else
            return 0;
        p = static_cast<const char *>(std::memchr(p, '<', size_t(end - p)));
        return p && startsWith(p, close) ? quint32(p + close.size() - at(m_from)) + m_from : 0;
    }
    void passOver(quint32 end) { m_position = end; }

private:
    static constexpr quint32 Window = 1 << 20;

    // A window from the current position reaching further than the one
    // before; false at the end of the part or when it cannot be read.
    bool widen()
    {
        if (m_to >= m_size)
            return false;
        const quint32 reach = qMax(Window, 2 * (m_to - qMin(m_to, m_position)));
        m_from = m_position;
        m_to = quint32(qMin<quint64>(m_size, quint64(m_position) + reach));
        m_data = m_source->data(m_from, m_to);
        m_failed = !m_data;
        return m_data;
    }

    // The tag at start, when it ends within the window.
    bool read(quint32 start, Tag *tag) const
    {
        const char *p = at(start);
        const char *end = at(m_to);
        tag->start = start;
        tag->kind = Other;
        const auto passOver = [&](const char *open, const char *close) {
            const size_t openLength = std::strlen(open), closeLength = std::strlen(close);
            if (size_t(end - p) < openLength || std::memcmp(p, open, openLength) != 0)
                return 0;
            for (const char *q = p + openLength; q + closeLength <= end; ++q) {
                if (std::memcmp(q, close, closeLength) == 0) {
                    tag->end = start + quint32(q + closeLength - p);
                    return 1;
                }
            }
            return -1; // beyond the window
        };
        if (end - p < 2)
            return false;
        // Only markup that starts "<!" or "<?" is passed whole; elements,
        // nearly every tag, need not be tried against it.
        if (p[1] == '!' || p[1] == '?') {
            for (const auto &marks :
                 {std::make_pair("<!--", "-->"), std::make_pair("<![CDATA[", "]]>"),
                  std::make_pair("<?", "?>")}) {
                const int passed = passOver(marks.first, marks.second);
                if (passed != 0)
                    return passed > 0;
            }
        }
        if (p[1] == '!') // a declaration: never in a part that was read
            return false;
        const bool closing = p[1] == '/';
        const char *q = p + (closing ? 2 : 1);
        tag->name = q;
        while (q < end && *q != ' ' && *q != '\t' && *q != '\n' && *q != '\r' && *q != '>' &&
               *q != '/')
            ++q;
        tag->nameLength = int(q - tag->name);
        for (char quote = 0; q < end; ++q) {
            if (quote)
                quote = *q == quote ? 0 : quote;
            else if (*q == '"' || *q == '\'')
                quote = *q;
            else if (*q == '>')
                break;
        }
        if (q == end)
            return false;
        tag->end = start + quint32(q + 1 - p);
        tag->kind = closing ? End : q[-1] == '/' ? Empty : Start;
        return true;
    }

    SheetSource *m_source;
    quint32 m_size;
    quint32 m_position = 0;
    quint32 m_from = 0;
    quint32 m_to = 0;
    const char *m_data = nullptr;
    bool m_failed = false;
};

bool isItem(const TagWalker::Tag &tag)
{
    const char *colon =
        static_cast<const char *>(std::memchr(tag.name, ':', size_t(tag.nameLength)));
    const char *local = colon ? colon + 1 : tag.name;
    return tag.name + tag.nameLength - local == 2 && local[0] == 's' && local[1] == 'i';
}

// Whether a reader could lose some of the text's white space unless told
// to keep it.
bool needsPreserving(const char *bytes, int length)
{
    if (length == 0)
        return false;
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    if (space(bytes[0]) || space(bytes[length - 1]))
        return true;
    for (int i = 0; i + 1 < length; ++i) {
        if (space(bytes[i]) && (bytes[i] != ' ' || bytes[i + 1] == ' '))
            return true;
    }
    return false;
}

// The tags of a rewritten item: its own name, and its text element's in its
// prefix; made again only when the name changes.
struct ItemTags
{
    QByteArray name{"\x01"}; // none yet
    QByteArray open, openPreserving, close;

    void follow(const char *itemName, int length)
    {
        if (name.size() == length && std::memcmp(name.constData(), itemName, size_t(length)) == 0)
            return;
        name = QByteArray(itemName, length);
        const QByteArray prefix = name.left(name.indexOf(':') + 1);
        open = '<' + prefix + "t>";
        openPreserving = '<' + prefix + "t xml:space=\"preserve\">";
        close = "</" + prefix + "t></" + name + '>';
    }
};

} // namespace

bool SharedStringsWriter::write(SheetSource *original, const WorkbookDocument &document,
                                QIODevice *out)
{
    constexpr int Piece = 1 << 20; // written a piece at a time
    QByteArray buffer;
    buffer.reserve(Piece + (Piece >> 2));
    TagWalker walker(original);
    quint32 copied = 0;
    const auto copyTo = [&](quint32 to) {
        buffer.append(walker.at(copied), int(to - copied));
        copied = to;
    };

    const TextPool &strings = document.sharedStrings;
    ItemTags tags;
    int item = 0;
    int depth = 0; // within an item kept as it is
    for (TagWalker::Tag tag = walker.next(); tag.kind != TagWalker::Done; tag = walker.next()) {
        const bool opensItem = depth == 0 &&
                               (tag.kind == TagWalker::Start || tag.kind == TagWalker::Empty) &&
                               isItem(tag);
        const quint32 plainEnd = opensItem ? walker.plainItemEnd(tag) : 0;
        if (plainEnd > 0 && !document.isRewritten(item)) {
            ++item;
            copyTo(plainEnd);
            walker.passOver(plainEnd);
        } else if (!opensItem || !document.isRewritten(item)) {
            if (depth > 0)
                depth += tag.kind == TagWalker::Start ? 1 : tag.kind == TagWalker::End ? -1 : 0;
            else if (opensItem)
                depth = tag.kind == TagWalker::Start ? 1 : 0;
            item += opensItem ? 1 : 0;
            copyTo(tag.end);
        } else {
            // The item's own start tag, with whatever it declares, then the
            // new text, then its end tag; the old content goes.
            const int index = item++;
            tags.follow(tag.name, tag.nameLength);
            if (tag.kind == TagWalker::Empty) {
                copyTo(tag.end - 2);
                buffer.append('>');
            } else if (plainEnd > 0) {
                copyTo(tag.end);
                walker.passOver(plainEnd);
                tag.end = plainEnd;
            } else {
                copyTo(tag.end);
                for (int nested = 1; nested > 0;) {
                    tag = walker.next();
                    if (tag.kind == TagWalker::Done)
                        return false;
                    nested += tag.kind == TagWalker::Start ? 1
                              : tag.kind == TagWalker::End ? -1
                                                           : 0;
                }
            }
            copied = tag.end;
            int length = 0;
            const char *bytes = strings.bytes(index, &length);
            buffer.append(needsPreserving(bytes, length) ? tags.openPreserving : tags.open);
            if (!XmlText::appendPlain(&buffer, bytes, length))
                XmlText::appendEscaped(&buffer, XmlText::encodeEscapes(strings.at(index)));
            buffer.append(tags.close);
        }
        if (buffer.size() >= Piece) {
            if (out->write(buffer) != buffer.size())
                return false;
            buffer.resize(0);
        }
    }
    if (walker.failed() || item != strings.size())
        return false;
    copyTo(original->size());
    return out->write(buffer) == buffer.size();
}
