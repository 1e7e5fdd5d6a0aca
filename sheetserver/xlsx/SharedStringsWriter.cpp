#include "xlsx/SharedStringsWriter.h"

#include "model/OwnThread.h"
#include "model/WorkbookDocument.h"
#include "xlsx/SheetSource.h"
#include "xlsx/WorkerThreads.h"
#include "xlsx/XmlText.h"

#include <QIODevice>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
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

// Rewrites the items of original, the first of them item firstItem of the
// table, up to original's end; *items: how many there were. Written to out
// a good piece at a time, or, without out, all into *buffer. False when
// the part cannot be read, an item does not end, or out refuses a write.
bool rewrite(SheetSource *original, const WorkbookDocument &document, int firstItem, int *items,
             QIODevice *out, QByteArray *buffer)
{
    constexpr int Piece = 1 << 20; // written a piece at a time
    buffer->reserve(out ? Piece + (Piece >> 2) : int(original->size() + (original->size() >> 3)));
    TagWalker walker(original);
    quint32 copied = 0;
    const auto copyTo = [&](quint32 to) {
        buffer->append(walker.at(copied), int(to - copied));
        copied = to;
    };

    const TextPool &strings = document.sharedStrings;
    ItemTags tags;
    int item = firstItem;
    int depth = 0; // within an item kept as it is
    for (TagWalker::Tag tag = walker.next(); tag.kind != TagWalker::Done; tag = walker.next()) {
        const bool opensItem = depth == 0 &&
                               (tag.kind == TagWalker::Start || tag.kind == TagWalker::Empty) &&
                               isItem(tag);
        const bool rewritten = opensItem && document.isRewritten(item);
        const quint32 plainEnd = opensItem ? walker.plainItemEnd(tag) : 0;
        if (plainEnd > 0 && !rewritten) {
            ++item;
            copyTo(plainEnd);
            walker.passOver(plainEnd);
        } else if (!rewritten) {
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
                buffer->append('>');
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
            buffer->append(needsPreserving(bytes, length) ? tags.openPreserving : tags.open);
            if (!XmlText::appendPlain(buffer, bytes, length))
                XmlText::appendEscaped(buffer, XmlText::encodeEscapes(strings.at(index)));
            buffer->append(tags.close);
        }
        if (out && buffer->size() >= Piece) {
            if (out->write(*buffer) != buffer->size())
                return false;
            buffer->resize(0);
        }
    }
    if (walker.failed())
        return false;
    copyTo(original->size());
    *items = item - firstItem;
    return !out || out->write(*buffer) == buffer->size();
}

// Whether cuts can be the places a part of this size with this many items
// was cut at.
bool usable(const QVector<StringItemCut> &cuts, quint32 size, int items)
{
    if (cuts.size() < 2 || cuts.first().offset != 0 || cuts.first().firstItem != 0)
        return false;
    for (int i = 1; i < cuts.size(); ++i) {
        if (cuts.at(i).offset <= cuts.at(i - 1).offset ||
            cuts.at(i).firstItem < cuts.at(i - 1).firstItem)
            return false;
    }
    return cuts.last().offset < size && cuts.last().firstItem <= items;
}

// The bytes [from, to) of a part read in order, a window at a time, so the
// source never holds more than a window of them.
bool take(SheetSource *source, quint32 from, quint32 to, QByteArray *bytes)
{
    constexpr quint32 Window = 1 << 20;
    bytes->reserve(int(to - from));
    for (quint32 at = from; at < to;) {
        const quint32 end = qMin(to, at + Window);
        const char *data = source->data(at, end);
        if (!data)
            return false;
        bytes->append(data, int(end - at));
        at = end;
    }
    return true;
}

struct RewrittenPiece
{
    bool ok = false;
    QByteArray bytes;
};

// The pieces being rewritten, oldest first, handed from the thread that
// reads them to the one that joins them; at most a few at a time.
class PieceQueue
{
public:
    explicit PieceQueue(int capacity) : m_capacity(size_t(capacity)) {}

    // False once the joining stopped.
    bool waitForRoom()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || m_pieces.size() < m_capacity; });
        return !m_stopped;
    }
    void push(std::future<RewrittenPiece> piece)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_pieces.push_back(std::move(piece));
        m_changed.notify_all();
    }
    // No more pieces will come.
    void end()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
        m_changed.notify_all();
    }
    // The oldest piece; false when none is left and none will come.
    bool pop(std::future<RewrittenPiece> *piece)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_ended || !m_pieces.empty(); });
        if (m_pieces.empty())
            return false;
        *piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        m_changed.notify_all();
        return true;
    }
    // No more pieces will be taken.
    void stop()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }

private:
    const size_t m_capacity;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::future<RewrittenPiece>> m_pieces;
    bool m_ended = false;
    bool m_stopped = false;
};

} // namespace

bool SharedStringsWriter::write(SheetSource *original, const WorkbookDocument &document,
                                QIODevice *out)
{
    QByteArray buffer;
    int items = 0;
    return rewrite(original, document, 0, &items, out, &buffer) &&
           items == document.sharedStrings.size();
}

bool SharedStringsWriter::write(SheetSource *original, const WorkbookDocument &document,
                                const QVector<StringItemCut> &cuts, QIODevice *out,
                                QVector<StringItemCut> *written)
{
    written->clear();
    const int count = document.sharedStrings.size();
    if (!usable(cuts, original->size(), count))
        return write(original, document, out);

    // The pieces are read in order on a thread of their own and each is
    // rewritten on one of a few workers, while this thread joins them in
    // order into out: the read never waits on out, nor out on the read,
    // and only a few pieces are in flight.
    const int threads = OwnThread::share();
    WorkerThreads workers(threads);
    PieceQueue queue(qMin(threads + 1, 4));
    std::future<bool> reading = OwnThread::start([&] {
        for (int i = 0; i < cuts.size(); ++i) {
            const quint32 to = i + 1 < cuts.size() ? cuts.at(i + 1).offset : original->size();
            const int firstItem = cuts.at(i).firstItem;
            const int items = (i + 1 < cuts.size() ? cuts.at(i + 1).firstItem : count) - firstItem;
            auto bytes = std::make_shared<QByteArray>();
            if (!queue.waitForRoom() || !take(original, cuts.at(i).offset, to, bytes.get())) {
                queue.end();
                return false;
            }
            queue.push(workers.run([bytes, &document, firstItem, items] {
                RewrittenPiece piece;
                BytesSource source(*bytes);
                int found = 0;
                piece.ok = rewrite(&source, document, firstItem, &found, nullptr, &piece.bytes) &&
                           found == items;
                *bytes = QByteArray();
                return piece;
            }));
        }
        queue.end();
        return true;
    });
    // Without a thread for the reading, nothing would come: one pass then,
    // and the reading, never started, never runs.
    if (reading.wait_for(std::chrono::seconds(0)) == std::future_status::deferred)
        return write(original, document, out);

    bool ok = true;
    quint32 writtenSize = 0;
    std::future<RewrittenPiece> next;
    while (ok && queue.pop(&next)) {
        const RewrittenPiece piece = next.get();
        written->append({writtenSize, cuts.at(written->size()).firstItem});
        writtenSize += quint32(piece.bytes.size());
        ok = piece.ok && out->write(piece.bytes) == piece.bytes.size();
    }
    queue.stop();
    ok = reading.get() && ok && written->size() == cuts.size();
    if (!ok)
        written->clear();
    return ok;
}
