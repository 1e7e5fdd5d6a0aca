#include "xlsx/PartEncoding.h"

#include <QString>

namespace {

// The encoding named in the declaration now that the text is UTF-8; the
// rest of the declaration (version, standalone, quotes) stays as written.
void declareUtf8(QByteArray *xml)
{
    if (!xml->startsWith("<?xml"))
        return;
    const int close = xml->indexOf("?>");
    if (close < 0)
        return;
    const QByteArray declaration = xml->left(close).toLower();
    const int at = declaration.indexOf("encoding");
    if (at < 0)
        return;
    int open = at + 8;
    while (open < close && xml->at(open) != '"' && xml->at(open) != '\'')
        ++open;
    const int end = open < close ? xml->indexOf(xml->at(open), open + 1) : -1;
    if (end < 0 || end > close)
        return;
    xml->replace(open + 1, end - open - 1, "UTF-8");
}

} // namespace

bool PartEncoding::isUtf16(const QByteArray &part)
{
    return part.startsWith("\xFF\xFE") || part.startsWith("\xFE\xFF");
}

bool PartEncoding::toUtf8(QByteArray *part)
{
    if (!isUtf16(*part))
        return true;
    if (part->size() % 2 != 0)
        return false;
    const bool little = part->startsWith("\xFF\xFE");
    const auto *bytes = reinterpret_cast<const uchar *>(part->constData());
    const int units = part->size() / 2 - 1;
    QString text(units, Qt::Uninitialized);
    QChar *out = text.data();
    for (int i = 0; i < units; ++i) {
        const uchar a = bytes[2 + 2 * i], b = bytes[3 + 2 * i];
        out[i] = QChar(little ? ushort(a | b << 8) : ushort(a << 8 | b));
    }
    for (int i = 0; i < units; ++i) {
        if (out[i].isHighSurrogate() && i + 1 < units && out[i + 1].isLowSurrogate())
            ++i;
        else if (out[i].isSurrogate())
            return false;
    }
    *part = text.toUtf8();
    declareUtf8(part);
    return true;
}
