#include "xlsx/SharedStringsReader.h"

#include "model/OwnThread.h"
#include "model/TextPool.h"
#include "model/Utf8.h"
#include "xlsx/XmlPartReader.h"
#include "xlsx/XmlPieces.h"
#include "xlsx/XmlText.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <vector>

namespace {

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

bool readInPieces(const QByteArray &data, TextPool *strings, int count)
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
    const std::vector<char> read = OwnThread::each(int(parts.size()), [&](int i) {
        const XmlPieces::Piece &piece = pieces.pieces().at(i);
        XmlPartReader reader(data, piece.from, piece.to, opening, closing);
        QString why;
        return char(readItems(reader, &parts[size_t(i)], &why));
    });
    if (std::find(read.cbegin(), read.cend(), char(false)) != read.cend())
        return false;
    for (TextPool &part : parts)
        strings->take(std::move(part));
    return true;
}

} // namespace

bool SharedStringsReader::read(const QByteArray &data, TextPool *strings, QString *why, int pieces,
                               bool *readInPieces)
{
    if (readInPieces)
        *readInPieces = false;
    if (XmlText::declaresOtherEncoding(data) || !Utf8::isValid(data)) {
        *why = QStringLiteral("shared strings are not UTF-8");
        return false;
    }
    if (::readInPieces(data, strings, pieces > 0 ? pieces : XmlPieces::countFor(data.size()))) {
        if (readInPieces)
            *readInPieces = true;
        return true;
    }
    XmlPartReader part(data);
    return readItems(part, strings, why);
}
