#include "WorkbookMaker.h"

#include "model/CellAddress.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <zlib.h>

namespace {

// Raw deflate of data, ending on a byte boundary: with `last` the final
// block, otherwise a full flush, after which another such stream may follow
// (nothing refers back across it).
QByteArray deflateRaw(const QByteArray &data, bool last)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, last ? Z_FINISH : Z_FULL_FLUSH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

quint32 crcOf(const QByteArray &data)
{
    return quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
}

void put16(QByteArray *out, quint16 v)
{
    out->append(char(v & 0xFF)).append(char(v >> 8));
}

void put32(QByteArray *out, quint32 v)
{
    put16(out, quint16(v & 0xFFFF));
    put16(out, quint16(v >> 16));
}

} // namespace

QByteArray WorkbookMaker::declaration()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
}

QByteArray WorkbookMaker::namespaces()
{
    return "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
}

QByteArray WorkbookMaker::spreadsheetType(const QByteArray &kind)
{
    return "application/vnd.openxmlformats-officedocument.spreadsheetml." + kind + "+xml";
}

QByteArray WorkbookMaker::contentTypes(const Pairs &overrides, const Pairs &defaults)
{
    QByteArray xml =
        declaration() +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
    for (const auto &d : defaults)
        xml += "<Default Extension=\"" + d.first + "\" ContentType=\"" + d.second + "\"/>";
    for (const auto &o : overrides)
        xml += "<Override PartName=\"" + o.first + "\" ContentType=\"" + o.second + "\"/>";
    return xml + "</Types>";
}

QByteArray WorkbookMaker::relationships(const Pairs &typesAndTargets)
{
    QByteArray xml = declaration() + "<Relationships "
                                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                     "relationships\">";
    int id = 0;
    for (const auto &r : typesAndTargets) {
        const QByteArray type =
            r.first.contains("://")
                ? r.first
                : "http://schemas.openxmlformats.org/officeDocument/2006/relationships/" + r.first;
        xml += "<Relationship Id=\"rId" + QByteArray::number(++id) + "\" Type=\"" + type +
               "\" Target=\"" + r.second + "\"/>";
    }
    return xml + "</Relationships>";
}

WorkbookMaker::Parts WorkbookMaker::textWorkbook(const QString &sheetName, int rows, int columns,
                                                 const TextOf &text)
{
    QByteArray sheet = declaration() + "<worksheet " + namespaces() +
                       "><dimension ref=\"A1:" + CellAddress::cellName(rows, columns).toLatin1() +
                       "\"/><sheetData>";
    QByteArray strings;
    int index = 0;
    for (int row = 1; row <= rows; ++row) {
        const QByteArray number = QByteArray::number(row);
        sheet += "<row r=\"" + number + "\">";
        for (int column = 1; column <= columns; ++column) {
            strings += "<si><t>" + text(row, column).toHtmlEscaped().toUtf8() + "</t></si>";
            sheet += "<c r=\"" + CellAddress::columnLetters(column).toLatin1() + number +
                     "\" t=\"s\"><v>" + QByteArray::number(index++) + "</v></c>";
        }
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    const QByteArray count = QByteArray::number(index);
    Parts parts;
    parts.append({QStringLiteral("[Content_Types].xml"),
                  contentTypes({{"/xl/workbook.xml", spreadsheetType("sheet.main")},
                                {"/xl/worksheets/sheet1.xml", spreadsheetType("worksheet")},
                                {"/xl/sharedStrings.xml", spreadsheetType("sharedStrings")}})});
    parts.append(
        {QStringLiteral("_rels/.rels"), relationships({{"officeDocument", "xl/workbook.xml"}})});
    parts.append({QStringLiteral("xl/workbook.xml"),
                  declaration() + "<workbook " + namespaces() + "><sheets><sheet name=\"" +
                      sheetName.toHtmlEscaped().toUtf8() +
                      "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"});
    parts.append({QStringLiteral("xl/_rels/workbook.xml.rels"),
                  relationships({{"worksheet", "worksheets/sheet1.xml"},
                                 {"sharedStrings", "sharedStrings.xml"}})});
    parts.append({QStringLiteral("xl/worksheets/sheet1.xml"), sheet});
    parts.append({QStringLiteral("xl/sharedStrings.xml"),
                  declaration() + "<sst " + namespaces() + " count=\"" + count +
                      "\" uniqueCount=\"" + count + "\">" + strings + "</sst>"});
    return parts;
}

bool WorkbookMaker::writePackage(const QString &path, const Parts &parts)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    bool ok = true;
    for (const auto &part : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(part.first))) {
            ok = false;
            break;
        }
        ok = file.write(part.second) == part.second.size();
        file.close();
        if (!ok || file.getZipError() != 0) {
            ok = false;
            break;
        }
    }
    zip.close();
    return ok && zip.getZipError() == 0;
}

QList<WorkbookMaker::RawEntry> WorkbookMaker::deflated(const Parts &parts)
{
    QList<RawEntry> entries;
    for (const auto &part : parts)
        entries.append({part.first.toUtf8(), deflateRaw(part.second, true), 8, crcOf(part.second),
                        quint32(part.second.size())});
    return entries;
}

WorkbookMaker::RawEntry WorkbookMaker::repeated(const QString &name, const QByteArray &head,
                                                const QByteArray &block, int count,
                                                const QByteArray &tail)
{
    const QByteArray packedBlock = deflateRaw(block, false);
    RawEntry entry{name.toUtf8(), deflateRaw(head, false), 8, crcOf(head), quint32(head.size())};
    entry.stored.reserve(entry.stored.size() + packedBlock.size() * count + 1024);
    const quint32 blockCrc = crcOf(block);
    for (int i = 0; i < count; ++i) {
        entry.stored += packedBlock;
        entry.crc = quint32(crc32_combine(entry.crc, blockCrc, block.size()));
    }
    entry.stored += deflateRaw(tail, true);
    entry.crc = quint32(crc32_combine(entry.crc, crcOf(tail), tail.size()));
    entry.size = quint32(head.size() + qint64(block.size()) * count + tail.size());
    return entry;
}

QByteArray WorkbookMaker::zip(const QList<RawEntry> &entries)
{
    QByteArray out, directory;
    QVector<quint32> offsets;
    for (const RawEntry &entry : entries) {
        const quint32 compressed = quint32(entry.stored.size());
        if (entry.bodyOf >= 0) {
            offsets.append(offsets.at(entry.bodyOf));
        } else {
            offsets.append(quint32(out.size()));
            put32(&out, 0x04034b50);
            put16(&out, 20);
            put16(&out, 0);
            put16(&out, entry.method);
            put32(&out, 0);
            put32(&out, entry.crc);
            put32(&out, entry.localSize >= 0 ? quint32(entry.localSize) : compressed);
            put32(&out, entry.size);
            put16(&out, quint16(entry.name.size()));
            put16(&out, 0);
            out += entry.name;
            out += entry.stored;
        }
        put32(&directory, 0x02014b50);
        put16(&directory, 20);
        put16(&directory, 20);
        put16(&directory, 0);
        put16(&directory, entry.method);
        put32(&directory, 0);
        put32(&directory, entry.crc);
        put32(&directory,
              entry.bodyOf >= 0 ? quint32(entries.at(entry.bodyOf).stored.size()) : compressed);
        put32(&directory, entry.size);
        put16(&directory, quint16(entry.name.size()));
        for (int i = 0; i < 4; ++i)
            put16(&directory, 0); // extra, comment, disk, internal attributes
        put32(&directory, 0);     // external attributes
        put32(&directory, offsets.last());
        directory += entry.name;
    }
    const quint32 directoryAt = quint32(out.size());
    out += directory;
    put32(&out, 0x06054b50);
    put16(&out, 0);
    put16(&out, 0);
    put16(&out, quint16(entries.size()));
    put16(&out, quint16(entries.size()));
    put32(&out, quint32(directory.size()));
    put32(&out, directoryAt);
    put16(&out, 0);
    return out;
}
