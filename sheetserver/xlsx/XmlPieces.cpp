#include "xlsx/XmlPieces.h"

#include "model/OwnThread.h"
#include "xlsx/XmlText.h"

#include <QString>

namespace {

bool isNameByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || (uchar(c) & 0x80);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool endsName(const QByteArray &data, qint64 at)
{
    if (at >= data.size())
        return false;
    const char c = data.at(int(at));
    return isSpace(c) || c == '>' || c == '/';
}

// The first start tag of `name` with any prefix: where its '<' is, with the
// prefix (and its colon) in *prefix; -1 when there is none.
qint64 findStartTag(const QByteArray &data, const QByteArray &name, QByteArray *prefix)
{
    for (qint64 at = data.indexOf(name); at >= 0; at = data.indexOf(name, int(at + 1))) {
        if (at == 0 || !endsName(data, at + name.size()))
            continue;
        if (data.at(int(at - 1)) == '<') {
            prefix->clear();
            return at - 1;
        }
        if (data.at(int(at - 1)) != ':')
            continue;
        qint64 open = at - 2;
        while (open >= 0 && isNameByte(data.at(int(open))))
            --open;
        if (open >= 0 && open < at - 2 && data.at(int(open)) == '<') {
            *prefix = data.mid(int(open + 1), int(at - open - 1));
            return open;
        }
    }
    return -1;
}

QByteArray madeUpName(int level)
{
    return "quorvane-piece-" + QByteArray::number(level);
}

} // namespace

XmlPieces::XmlPieces(const QByteArray &data, const QByteArray &element, const QByteArray &child,
                     int count)
    : m_data(data)
{
    QByteArray prefix;
    const qint64 start = findStartTag(data, element, &prefix);
    if (start < 0)
        return;
    const qint64 close = data.indexOf('>', int(start));
    if (close < 0 || data.at(int(close - 1)) == '/')
        return; // unfinished, or empty
    const QByteArray endTag = "</" + prefix + element;
    qint64 end = data.lastIndexOf(endTag);
    while (end >= 0) {
        qint64 after = end + endTag.size();
        while (after < data.size() && isSpace(data.at(int(after))))
            ++after;
        if (after < data.size() && data.at(int(after)) == '>')
            break;
        end = end > 0 ? data.lastIndexOf(endTag, int(end - 1)) : -1;
    }
    if (end <= close)
        return;
    m_contentFrom = close + 1;
    m_contentTo = end;

    const QByteArray childTag = '<' + prefix + child;
    const qint64 size = m_contentTo - m_contentFrom;
    qint64 from = m_contentFrom;
    for (int k = 1; k < count; ++k) {
        qint64 cut = qMax(from + 1, m_contentFrom + size * k / count);
        for (cut = data.indexOf(childTag, int(cut)); cut >= 0 && cut < m_contentTo;
             cut = data.indexOf(childTag, int(cut + 1))) {
            if (endsName(data, cut + childTag.size()))
                break;
        }
        if (cut < 0 || cut >= m_contentTo)
            break;
        m_pieces.append({from, cut});
        from = cut;
    }
    m_pieces.append({from, m_contentTo});
}

QByteArray XmlPieces::skeleton() const
{
    return m_data.left(int(m_contentFrom)) + m_data.mid(int(m_contentTo));
}

qint64 XmlPieces::partOffset(qint64 skeletonOffset) const
{
    return skeletonOffset < m_contentFrom ? skeletonOffset
                                          : skeletonOffset + (m_contentTo - m_contentFrom);
}

QByteArray XmlPieces::opening(const QVector<QXmlStreamNamespaceDeclarations> &scopes)
{
    QByteArray out;
    for (int level = 0; level < scopes.size(); ++level) {
        out += '<' + madeUpName(level);
        for (const QXmlStreamNamespaceDeclaration &d : scopes.at(level)) {
            out += d.prefix().isEmpty() ? QByteArray(" xmlns") : " xmlns:" + d.prefix().toUtf8();
            out += "=\"";
            XmlText::appendEscaped(&out, d.namespaceUri(), true);
            out += '"';
        }
        out += '>';
    }
    return out;
}

QByteArray XmlPieces::closing(int depth)
{
    QByteArray out;
    for (int level = depth - 1; level >= 0; --level)
        out += "</" + madeUpName(level) + '>';
    return out;
}

int XmlPieces::countFor(qint64 size)
{
    return qBound(1, int(size / MinPieceSize), OwnThread::share());
}

qint64 XmlPieces::characters(const QByteArray &opening)
{
    return QString::fromUtf8(opening).size();
}
