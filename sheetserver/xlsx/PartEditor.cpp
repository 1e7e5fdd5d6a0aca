#include "xlsx/PartEditor.h"

#include "model/Utf8.h"
#include "xlsx/XmlStartTag.h"
#include "xlsx/XmlText.h"

#include <QVector>
#include <QXmlStreamReader>

namespace {

qint64 tagStart(const QByteArray &xml, qint64 end)
{
    qint64 i = end - 1;
    while (i > 0 && xml.at(int(i)) != '<')
        --i;
    return qMax<qint64>(0, i);
}

// The bytes [from, to) of a part become `text`.
struct Edit
{
    qint64 from;
    qint64 to;
    QByteArray text;
};

// Visits the root's child elements in order, each with its attributes and
// where its start tag begins; the element goes when `visit` says so.
bool childEdits(const QByteArray &xml,
                const std::function<bool(const QXmlStreamAttributes &, qint64)> &visit,
                QVector<Edit> *edits)
{
    if (XmlText::declaresOtherEncoding(xml) || !Utf8::isValid(xml))
        return false;
    QXmlStreamReader reader(xml);
    Utf8Offsets offsets(xml);
    int depth = 0;
    qint64 from = -1;
    bool dropping = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (XmlText::isForbidden(reader))
            return false;
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 2) {
                from = tagStart(xml, offsets.byteAt(reader.characterOffset()));
                dropping = visit(reader.attributes(), from);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 2 && dropping)
                edits->append({from, offsets.byteAt(reader.characterOffset()), QByteArray()});
            --depth;
        }
    }
    return !reader.hasError();
}

// The edits lie in order and do not overlap.
QByteArray edited(const QByteArray &xml, const QVector<Edit> &edits)
{
    QByteArray out;
    out.reserve(xml.size());
    qint64 cursor = 0;
    for (const Edit &edit : edits) {
        out.append(xml.constData() + cursor, int(edit.from - cursor));
        out.append(edit.text);
        cursor = edit.to;
    }
    out.append(xml.constData() + cursor, int(xml.size() - cursor));
    return out;
}

} // namespace

bool PartEditor::removeElements(const QByteArray &xml,
                                const std::function<bool(const QXmlStreamAttributes &)> &drop,
                                QByteArray *out)
{
    QVector<Edit> edits;
    if (!childEdits(
            xml, [&drop](const QXmlStreamAttributes &a, qint64) { return drop(a); }, &edits))
        return false;
    *out = edited(xml, edits);
    return true;
}

bool PartEditor::removeChainEntries(const QByteArray &chain, const QSet<QString> &cells,
                                    QByteArray *out, bool *empty)
{
    // The sheet id of an entry may be left out, meaning "as the entry
    // before"; a kept entry that relied on a dropped one gets it written,
    // into its own tag as it stands, so the part keeps its dialect.
    QVector<Edit> edits;
    QString sheetId;
    bool previousDropped = false;
    int kept = 0;
    const bool ok = childEdits(
        chain,
        [&](const QXmlStreamAttributes &a, qint64 from) {
            const bool explicitId = a.hasAttribute(QLatin1String("i"));
            if (explicitId)
                sheetId = a.value(QLatin1String("i")).toString();
            const bool drop =
                cells.contains(sheetId + QLatin1Char('!') + a.value(QLatin1String("r")).toString());
            if (!drop) {
                ++kept;
                if (previousDropped && !explicitId) {
                    const qint64 at =
                        from +
                        XmlStartTag(chain.constData() + from, int(chain.size() - from)).tagEnd();
                    Edit edit{at, at, " i=\""};
                    XmlText::appendEscaped(&edit.text, sheetId, true);
                    edit.text += '"';
                    edits.append(edit);
                }
            }
            previousDropped = drop;
            return drop;
        },
        &edits);
    if (!ok)
        return false;
    *empty = kept == 0;
    *out = edited(chain, edits);
    return true;
}
