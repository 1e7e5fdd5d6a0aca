#include "xlsx/SharedStringsReader.h"

#include "model/CellTextLimit.h"
#include "model/OwnThread.h"
#include "model/TextPool.h"
#include "model/Utf8.h"
#include "xlsx/StringItemCut.h"
#include "xlsx/XmlPartReader.h"
#include "xlsx/XmlPieces.h"
#include "xlsx/XmlText.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Whether UTF-8 of characters below U+10000 holds no more units than a
// cell; each unit takes at least a byte.
bool fitsACell(const char *from, const char *to)
{
    if (to - from <= MaxCellText)
        return true;
    const qint64 units = std::count_if(
        from, to, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    return units <= MaxCellText;
}

// Items of the plainest form, <si><t>text</t></si> (the <t> perhaps with
// xml:space="preserve"), with nothing but spaces, tabs and line feeds
// between them, taken straight from their bytes into the pool. Text with
// anything an XML reader would change or refuse (references, carriage
// returns, "]]>", control characters, noncharacters), or that might hold
// an escape, or characters beyond U+FFFF (which the pool stores as a pair),
// is not plain, nor is text longer than a cell holds: then false, and the
// caller reads the piece with the XML reader (which refuses the latter). The whole data is valid
// UTF-8. Every CutSpacing bytes or so, the start of an item goes to *cuts
// (its offset from data, its index in strings), for a save to cut at.
bool readPlainItems(const char *data, const char *p, const char *end, TextPool *strings,
                    QVector<StringItemCut> *cuts)
{
    constexpr qint64 CutSpacing = 1 << 20;
    const char *lastCut = p; // the piece's start is a cut of its own
    static const QByteArray open = "<si><t>";
    static const QByteArray openPreserved = "<si><t xml:space=\"preserve\">";
    static const QByteArray close = "</t></si>";
    auto startsWith = [&](const char *at, const QByteArray &what) {
        return end - at >= what.size() && memcmp(at, what.constData(), size_t(what.size())) == 0;
    };
    while (p < end) {
        if (*p == ' ' || *p == '\t' || *p == '\n') {
            ++p;
            continue;
        }
        if (p - lastCut >= CutSpacing) {
            cuts->append({quint32(p - data), strings->size()});
            lastCut = p;
        }
        if (startsWith(p, open))
            p += open.size();
        else if (startsWith(p, openPreserved))
            p += openPreserved.size();
        else
            return false;
        const char *text = p;
        for (; p < end && *p != '<'; ++p) {
            const auto c = static_cast<unsigned char>(*p);
            if ((c < 0x20 && c != '\t' && c != '\n') || c == '&' || c == '_' || c >= 0xF0)
                return false;
            if (c == '>' && p - text >= 2 && p[-1] == ']' && p[-2] == ']')
                return false;
            if (c == 0xEF && end - p >= 3 && static_cast<unsigned char>(p[1]) == 0xBF &&
                static_cast<unsigned char>(p[2]) >= 0xBE)
                return false;
        }
        if (!startsWith(p, close) || !fitsACell(text, p))
            return false;
        strings->appendUtf8(text, int(p - text));
        p += close.size();
    }
    return true;
}

// Every string item the reader meets, at any depth, in order.
bool readItems(XmlPartReader &part, TextPool *strings, QString *why)
{
    QXmlStreamReader &reader = part.reader();
    while (!reader.atEnd()) {
        part.readNext();
        if (XmlText::isForbidden(reader)) {
            *why = QStringLiteral("document type declaration in the shared strings");
            return false;
        }
        if (reader.isStartElement() && reader.name() == QLatin1String("sst")) {
            const int unique = reader.attributes().value(QLatin1String("uniqueCount")).toInt();
            strings->reserve(qBound(0, unique, 1 << 22));
        }
        if (reader.isStartElement() && reader.name() == QLatin1String("si")) {
            QString text;
            if (!XmlText::readStringItem(part, &text)) {
                *why = QStringLiteral("malformed shared string");
                return false;
            }
            strings->append(text);
        }
    }
    if (reader.hasError()) {
        *why = QStringLiteral("malformed shared strings: ") + reader.errorString();
        return false;
    }
    return true;
}

// The table without its items must read as a root <sst> that is empty
// exactly where the pieces begin. Its namespaces go to *scope.
bool checkSkeleton(const XmlPieces &pieces, QXmlStreamNamespaceDeclarations *scope)
{
    const QByteArray skeleton = pieces.skeleton();
    XmlPartReader part(skeleton);
    QXmlStreamReader &reader = part.reader();
    Utf8Offsets offsets(skeleton);
    bool rootMet = false;
    bool rootEmptyThere = false;
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = part.readNext();
        if (XmlText::isForbidden(reader))
            return false;
        if (token == QXmlStreamReader::StartDocument) {
            const QStringRef version = reader.documentVersion();
            if (!version.isEmpty() && version != QLatin1String("1.0"))
                return false;
        } else if (token == QXmlStreamReader::StartElement) {
            if (++depth > 1 || reader.name() != QLatin1String("sst") ||
                offsets.byteAt(reader.characterOffset()) != pieces.contentFrom())
                return false;
            rootMet = true;
            *scope = reader.namespaceDeclarations();
            if (part.readNext() != QXmlStreamReader::EndElement)
                return false;
            --depth;
            rootEmptyThere = true;
        }
    }
    return !reader.hasError() && rootMet && rootEmptyThere;
}

bool readInPieces(QByteArray &data, TextPool *strings, int count, QVector<StringItemCut> *cuts)
{
    if (count < 2)
        return false;
    const XmlPieces pieces(data, "sst", "si", count);
    if (!pieces.isValid() || pieces.pieces().size() < 2)
        return false;
    QXmlStreamNamespaceDeclarations scope;
    if (!checkSkeleton(pieces, &scope))
        return false;
    const QByteArray opening = XmlPieces::opening({scope});
    const QByteArray closing = XmlPieces::closing(1);
    std::vector<TextPool> parts(size_t(pieces.pieces().size()));
    std::vector<QVector<StringItemCut>> partCuts(parts.size());
    const std::vector<char> read = OwnThread::each(int(parts.size()), [&](int i) {
        const XmlPieces::Piece &piece = pieces.pieces().at(i);
        TextPool &strings = parts[size_t(i)];
        if (readPlainItems(data.constData(), data.constData() + piece.from,
                           data.constData() + piece.to, &strings, &partCuts[size_t(i)]))
            return char(true);
        strings.clear();
        partCuts[size_t(i)].clear();
        XmlPartReader reader(data, piece.from, piece.to, opening, closing);
        QString why;
        return char(readItems(reader, &strings, &why));
    });
    if (std::find(read.cbegin(), read.cend(), char(false)) != read.cend())
        return false;
    // Everything needed is in the parts now.
    data = QByteArray();
    if (cuts) {
        int firstItem = strings->size();
        for (size_t i = 0; i < parts.size(); ++i) {
            const quint32 offset = i == 0 ? 0 : quint32(pieces.pieces().at(int(i)).from);
            cuts->append({offset, firstItem});
            for (const StringItemCut &cut : partCuts[i])
                cuts->append({cut.offset, firstItem + cut.firstItem});
            firstItem += parts[i].size();
        }
    }
    strings->takeAll(std::move(parts));
    return true;
}

} // namespace

bool SharedStringsReader::read(QByteArray data, TextPool *strings, QString *why, int pieces,
                               bool *readInPieces, QVector<StringItemCut> *cuts)
{
    if (readInPieces)
        *readInPieces = false;
    if (cuts)
        cuts->clear();
    if (XmlText::declaresOtherEncoding(data) || !Utf8::isValid(data)) {
        *why = QStringLiteral("shared strings are not UTF-8");
        return false;
    }
    if (::readInPieces(data, strings, pieces > 0 ? pieces : XmlPieces::countFor(data.size()),
                       cuts)) {
        if (readInPieces)
            *readInPieces = true;
        return true;
    }
    XmlPartReader part(data);
    return readItems(part, strings, why);
}
