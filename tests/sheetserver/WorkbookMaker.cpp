#include "WorkbookMaker.h"

#include "model/CellAddress.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

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
