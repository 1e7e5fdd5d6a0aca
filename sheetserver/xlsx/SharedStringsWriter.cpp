#include "xlsx/SharedStringsWriter.h"

#include "model/WorkbookDocument.h"
#include "xlsx/XmlText.h"

#include <QIODevice>
#include <cstring>

namespace {

// Walks the markup of a well-formed part (the reader has taken it) from
// tag to tag, without reading it as XML: comments, CDATA sections,
// processing instructions and quoted attribute values are passed whole.
class TagWalker
{
public:
    explicit TagWalker(const QByteArray &data)
        : m_begin(data.constData()), m_p(m_begin), m_end(m_begin + data.size())
    {
    }

    enum Kind { Start, Empty, End, Other, Done };
    // The next tag: where it starts and ends, and the name of an element's.
    Kind next(const char **start, const char **end, QByteArray *name)
    {
        while (true) {
            m_p = static_cast<const char *>(std::memchr(m_p, '<', size_t(m_end - m_p)));
            if (!m_p) {
                m_p = m_end;
                return Done;
            }
            *start = m_p;
            if (skipOver("<!--", "-->") || skipOver("<![CDATA[", "]]>") || skipOver("<?", "?>")) {
                *end = m_p;
                return Other;
            }
            if (m_end - m_p >= 2 && m_p[1] == '!') { // a declaration: never in a part read
                m_p = m_end;
                return Done;
            }
            const bool closing = m_end - m_p >= 2 && m_p[1] == '/';
            const char *n = m_p + (closing ? 2 : 1);
            const char *q = n;
            while (q < m_end && !isSpace(*q) && *q != '>' && *q != '/')
                ++q;
            *name = QByteArray::fromRawData(n, int(q - n));
            char quote = 0;
            for (; q < m_end; ++q) {
                if (quote) {
                    quote = *q == quote ? 0 : quote;
                } else if (*q == '"' || *q == '\'') {
                    quote = *q;
                } else if (*q == '>') {
                    break;
                }
            }
            if (q == m_end) {
                m_p = m_end;
                return Done;
            }
            m_p = q + 1;
            *end = m_p;
            return closing ? End : q[-1] == '/' ? Empty : Start;
        }
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    bool skipOver(const char *open, const char *close)
    {
        const size_t openLength = std::strlen(open);
        if (size_t(m_end - m_p) < openLength || std::memcmp(m_p, open, openLength) != 0)
            return false;
        const QByteArray rest = QByteArray::fromRawData(m_p, int(m_end - m_p));
        const int at = rest.indexOf(close, int(openLength));
        m_p = at < 0 ? m_end : m_p + at + int(std::strlen(close));
        return true;
    }

    const char *m_begin;
    const char *m_p;
    const char *m_end;
};

bool isItem(const QByteArray &name)
{
    const int colon = name.indexOf(':');
    return (colon < 0 ? name : name.mid(colon + 1)) == "si";
}

void appendText(QByteArray *out, const TextPool &pool, int index)
{
    int length = 0;
    const char *bytes = pool.bytes(index, &length);
    if (!XmlText::appendPlain(out, bytes, length))
        XmlText::appendEscaped(out, XmlText::encodeEscapes(pool.at(index)));
}

} // namespace

bool SharedStringsWriter::write(const QByteArray &original, const WorkbookDocument &document,
                                QIODevice *out)
{
    // Written in pieces of about this size, so the part is never held
    // twice.
    constexpr int Piece = 1 << 20;
    QByteArray buffer;
    buffer.reserve(Piece + (Piece >> 2));
    const char *copied = original.constData();
    auto flush = [&](bool always) {
        if (!always && buffer.size() < Piece)
            return true;
        const bool ok = out->write(buffer) == buffer.size();
        buffer.resize(0);
        return ok;
    };
    bool written = true;
    auto copyTo = [&](const char *to) {
        if (buffer.size() + (to - copied) <= Piece) {
            buffer.append(copied, int(to - copied));
        } else {
            written = written && flush(true) && out->write(copied, to - copied) == to - copied;
        }
        copied = to;
    };

    TagWalker walker(original);
    const char *start = nullptr, *end = nullptr;
    QByteArray name;
    int item = 0;
    int depth = 0; // within the item being passed over
    const int strings = document.sharedStrings.size();
    for (TagWalker::Kind kind; (kind = walker.next(&start, &end, &name)) != TagWalker::Done;) {
        if (depth > 0) {
            depth += kind == TagWalker::Start ? 1 : kind == TagWalker::End ? -1 : 0;
            continue;
        }
        if ((kind != TagWalker::Start && kind != TagWalker::Empty) || !isItem(name))
            continue;
        const int index = item++;
        if (index >= strings)
            return false;
        if (!document.isRewritten(index)) {
            depth = kind == TagWalker::Start ? 1 : 0;
            continue;
        }
        // The item's own start tag, with whatever it declares, then the
        // text, then its end tag; the old content goes.
        const QByteArray itemName = name;
        const QByteArray prefix = itemName.left(itemName.indexOf(':') + 1);
        if (kind == TagWalker::Empty) {
            copyTo(end - 2);
            buffer.append('>');
        } else {
            copyTo(end);
            int nested = 1;
            while (nested > 0) {
                const TagWalker::Kind inner = walker.next(&start, &end, &name);
                if (inner == TagWalker::Done)
                    return false;
                nested += inner == TagWalker::Start ? 1 : inner == TagWalker::End ? -1 : 0;
            }
        }
        copied = end;
        buffer.append('<' + prefix + "t xml:space=\"preserve\">");
        appendText(&buffer, document.sharedStrings, index);
        buffer.append("</" + prefix + "t></" + itemName + '>');
        if (!written || !flush(false))
            return false;
    }
    if (item != strings)
        return false;
    copyTo(original.constData() + original.size());
    return written && flush(true);
}
