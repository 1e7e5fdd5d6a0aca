#include "PartEditor.h"

#include "XmlText.h"

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

struct Span
{
    qint64 from;
    qint64 to;
};

// Byte spans of the root's child elements, with a decision for each.
bool childSpans(const QByteArray &xml,
                const std::function<bool(const QXmlStreamAttributes &)> &drop,
                QVector<Span> *dropped)
{
    if (XmlText::declaresOtherEncoding(xml) || !XmlText::isValidUtf8(xml))
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
                dropping = drop(reader.attributes());
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 2 && dropping)
                dropped->append({from, offsets.byteAt(reader.characterOffset())});
            --depth;
        }
    }
    return !reader.hasError();
}

QByteArray without(const QByteArray &xml, const QVector<Span> &spans)
{
    QByteArray out;
    out.reserve(xml.size());
    qint64 cursor = 0;
    for (const Span &span : spans) {
        out.append(xml.constData() + cursor, int(span.from - cursor));
        cursor = span.to;
    }
    out.append(xml.constData() + cursor, int(xml.size() - cursor));
    return out;
}

} // namespace

bool PartEditor::removeElements(const QByteArray &xml,
                                const std::function<bool(const QXmlStreamAttributes &)> &drop,
                                QByteArray *out)
{
    QVector<Span> spans;
    if (!childSpans(xml, drop, &spans))
        return false;
    *out = without(xml, spans);
    return true;
}

bool PartEditor::removeChainEntries(const QByteArray &chain, const QSet<QString> &cells,
                                    QByteArray *out, bool *empty)
{
    // The sheet id of an entry may be left out, meaning "as the entry
    // before"; a kept entry that relied on a dropped one gets it written.
    QVector<Span> spans;
    QVector<QPair<qint64, QString>> insertions; // sheet id to add after "<c"
    QString sheetId;
    bool previousDropped = false;
    int kept = 0;
    const bool ok = childSpans(
        chain,
        [&](const QXmlStreamAttributes &a) {
            const bool explicitId = a.hasAttribute(QLatin1String("i"));
            if (explicitId)
                sheetId = a.value(QLatin1String("i")).toString();
            const bool drop =
                cells.contains(sheetId + QLatin1Char('!') + a.value(QLatin1String("r")).toString());
            if (!drop) {
                ++kept;
                if (previousDropped && !explicitId)
                    insertions.append({-1, sheetId});
            }
            previousDropped = drop;
            return drop;
        },
        &spans);
    if (!ok)
        return false;
    *empty = kept == 0;
    if (insertions.isEmpty()) {
        *out = without(chain, spans);
        return true;
    }
    // Rare: write every kept entry's sheet id explicitly instead.
    QXmlStreamReader reader(chain);
    QByteArray result;
    Utf8Offsets offsets(chain);
    qint64 rootEnd = 0;
    QString current;
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1) {
                rootEnd = offsets.byteAt(reader.characterOffset());
                result = chain.left(int(rootEnd));
            } else if (depth == 2) {
                const QXmlStreamAttributes a = reader.attributes();
                if (a.hasAttribute(QLatin1String("i")))
                    current = a.value(QLatin1String("i")).toString();
                const QString reference = a.value(QLatin1String("r")).toString();
                if (cells.contains(current + QLatin1Char('!') + reference))
                    continue;
                result += "<c r=\"" + reference.toUtf8() + "\" i=\"" + current.toUtf8() + '"';
                for (const QXmlStreamAttribute &attribute : a) {
                    if (attribute.name() == QLatin1String("r") ||
                        attribute.name() == QLatin1String("i"))
                        continue;
                    result += ' ' + attribute.qualifiedName().toUtf8() + "=\"";
                    XmlText::appendEscaped(&result, attribute.value());
                    result += '"';
                }
                result += "/>";
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    result += "</calcChain>";
    *out = result;
    return !reader.hasError();
}
