#include "xlsx/WorkbookReader.h"

#include "model/OwnThread.h"
#include "model/ProcessMemory.h"
#include "model/Utf8.h"
#include "model/WorkbookDocument.h"
#include "xlsx/MarkupLimit.h"
#include "xlsx/PackageLayout.h"
#include "xlsx/PartEncoding.h"
#include "xlsx/SharedStringsReader.h"
#include "xlsx/SheetReader.h"
#include "xlsx/TextRunLimit.h"
#include "xlsx/XmlText.h"
#include "xlsx/ZipPackage.h"

#include <QHash>
#include <QXmlStreamReader>
#include <functional>
#include <future>

namespace {

const QLatin1String kRelationshipNamespaces[] = {
    QLatin1String("http://schemas.openxmlformats.org/officeDocument/2006/relationships"),
    QLatin1String("http://purl.oclc.org/ooxml/officeDocument/relationships")};

struct Relationship
{
    QString type; // last path segment of the type URI ("worksheet", ...)
    QString target;
};

// The content types of a workbook's main part that the server reads.
bool isWorkbookType(const QString &type)
{
    static const QStringList accepted{
        QStringLiteral(
            "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"),
        QStringLiteral("application/vnd.ms-excel.sheet.macroEnabled.main+xml"),
        QStringLiteral(
            "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml"),
        QStringLiteral("application/vnd.ms-excel.template.macroEnabled.main+xml")};
    return accepted.contains(type);
}

class PackageReader
{
public:
    PackageReader(WorkbookDocument *document, PackageLayout *layout, QString *why)
        : m_document(document), m_layout(layout), m_why(why)
    {
    }

    bool read(const QByteArray &bytes);

private:
    bool fail(const QString &reason)
    {
        *m_why = reason;
        return false;
    }
    bool part(const QString &name, QByteArray *data, bool required);
    // An entry inflated as UTF-8 text, whatever encoding it is stored in.
    bool text(int index, QByteArray *data);
    // Reads a part, handing every start and end element to `element`;
    // false (with the reason) for missing required parts and bad XML.
    bool walk(const QString &name, bool required,
              const std::function<void(QXmlStreamReader &)> &element);
    bool readRelationships(const QString &sourcePart, QHash<QString, Relationship> *out);
    bool readContentTypes(QString *mainType, const QString &mainPart);
    bool readWorkbook(QVector<QStringList> *sheetEntries);
    bool readStyles(const QString &name);

    WorkbookDocument *m_document;
    PackageLayout *m_layout;
    QString *m_why;
    ZipPackage *m_zip = nullptr;
};

bool PackageReader::part(const QString &name, QByteArray *data, bool required)
{
    const int index = m_zip->indexOf(name);
    if (index < 0) {
        if (required)
            *m_why = QStringLiteral("missing part ") + name;
        return false;
    }
    return text(index, data);
}

bool PackageReader::text(int index, QByteArray *data)
{
    return WorkbookReader::inflateText(*m_zip, index, data, m_why);
}

bool PackageReader::walk(const QString &name, bool required,
                         const std::function<void(QXmlStreamReader &)> &element)
{
    QByteArray data;
    if (!part(name, &data, required))
        return !required && m_why->isEmpty();
    if (XmlText::declaresOtherEncoding(data) || !Utf8::isValid(data))
        return fail(QStringLiteral("part is not UTF-8: ") + name);
    QXmlStreamReader reader(data);
    while (!reader.atEnd()) {
        reader.readNext();
        if (XmlText::isForbidden(reader))
            return fail(QStringLiteral("document type declaration in ") + name);
        if (reader.isStartElement() || reader.isEndElement())
            element(reader);
    }
    if (reader.hasError())
        return fail(QStringLiteral("malformed XML in ") + name + QStringLiteral(": ") +
                    reader.errorString());
    return true;
}

bool PackageReader::readRelationships(const QString &sourcePart, QHash<QString, Relationship> *out)
{
    return walk(WorkbookReader::relationshipsPart(sourcePart), false,
                [&](QXmlStreamReader &reader) {
                    if (!reader.isStartElement() || reader.name() != QLatin1String("Relationship"))
                        return;
                    const QXmlStreamAttributes a = reader.attributes();
                    if (a.value(QLatin1String("TargetMode")) == QLatin1String("External"))
                        return;
                    const QString type = a.value(QLatin1String("Type")).toString();
                    out->insert(a.value(QLatin1String("Id")).toString(),
                                {type.mid(type.lastIndexOf(QLatin1Char('/')) + 1),
                                 WorkbookReader::resolveTarget(
                                     sourcePart, a.value(QLatin1String("Target")).toString())});
                });
}

bool PackageReader::readContentTypes(QString *mainType, const QString &mainPart)
{
    const QString name = QStringLiteral("[Content_Types].xml");
    if (m_zip->indexOf(name) >= 0)
        m_layout->contentTypesPart = m_zip->entries().at(m_zip->indexOf(name)).name;
    QString byExtension;
    const QString extension = mainPart.mid(mainPart.lastIndexOf(QLatin1Char('.')) + 1);
    const bool ok = walk(name, true, [&](QXmlStreamReader &reader) {
        if (!reader.isStartElement())
            return;
        const QXmlStreamAttributes a = reader.attributes();
        if (reader.name() == QLatin1String("Override") &&
            a.value(QLatin1String("PartName"))
                    .compare(QLatin1Char('/') + mainPart, Qt::CaseInsensitive) == 0)
            *mainType = a.value(QLatin1String("ContentType")).toString();
        else if (reader.name() == QLatin1String("Default") &&
                 a.value(QLatin1String("Extension")).compare(extension, Qt::CaseInsensitive) == 0)
            byExtension = a.value(QLatin1String("ContentType")).toString();
    });
    if (mainType->isEmpty())
        *mainType = byExtension;
    return ok;
}

bool PackageReader::readWorkbook(QVector<QStringList> *sheetEntries)
{
    bool firstView = true;
    return walk(m_layout->workbookPart, true, [&](QXmlStreamReader &reader) {
        if (!reader.isStartElement())
            return;
        const QXmlStreamAttributes a = reader.attributes();
        const QStringRef element = reader.name();
        if (element == QLatin1String("workbookPr")) {
            const QStringRef flag = a.value(QLatin1String("date1904"));
            m_document->date1904 = flag == QLatin1String("1") || flag == QLatin1String("true");
        } else if (element == QLatin1String("workbookView") && firstView) {
            firstView = false;
            m_document->activeSheet = a.value(QLatin1String("activeTab")).toInt();
        } else if (element == QLatin1String("sheet")) {
            QString id;
            for (const QXmlStreamAttribute &attribute : a) {
                for (const QLatin1String &ns : kRelationshipNamespaces) {
                    if (attribute.name() == QLatin1String("id") && attribute.namespaceUri() == ns)
                        id = attribute.value().toString();
                }
            }
            sheetEntries->append({a.value(QLatin1String("name")).toString(), id,
                                  a.value(QLatin1String("sheetId")).toString()});
        }
    });
}

bool PackageReader::readStyles(const QString &name)
{
    QVector<int> formats;
    bool inCellXfs = false;
    const bool ok = walk(name, true, [&](QXmlStreamReader &reader) {
        if (reader.name() == QLatin1String("cellXfs"))
            inCellXfs = reader.isStartElement();
        if (!reader.isStartElement())
            return;
        const QXmlStreamAttributes a = reader.attributes();
        if (reader.name() == QLatin1String("numFmt"))
            m_document->styles.setCustomFormat(a.value(QLatin1String("numFmtId")).toInt(),
                                               a.value(QLatin1String("formatCode")).toString());
        else if (inCellXfs && reader.name() == QLatin1String("xf"))
            formats.append(a.value(QLatin1String("numFmtId")).toInt());
    });
    m_document->styles.setStyleFormats(formats);
    return ok;
}

bool PackageReader::read(const QByteArray &bytes)
{
    m_layout->package.reset(new ZipPackage);
    m_zip = m_layout->package.get();
    if (!m_zip->load(bytes, m_why))
        return false;

    QHash<QString, Relationship> root;
    if (!readRelationships(QString(), &root))
        return false;
    for (const Relationship &r : qAsConst(root)) {
        if (r.type == QLatin1String("officeDocument"))
            m_layout->workbookPart = r.target;
    }
    if (m_layout->workbookPart.isEmpty())
        return fail(QStringLiteral("no workbook part"));
    const int workbookIndex = m_zip->indexOf(m_layout->workbookPart);
    if (workbookIndex < 0)
        return fail(QStringLiteral("missing part ") + m_layout->workbookPart);
    m_layout->workbookPart = m_zip->entries().at(workbookIndex).name;

    QString mainType;
    if (!readContentTypes(&mainType, m_layout->workbookPart))
        return false;
    if (!isWorkbookType(mainType))
        return fail(QStringLiteral("not a workbook this server reads: ") + mainType);

    QHash<QString, Relationship> relationships;
    if (!readRelationships(m_layout->workbookPart, &relationships))
        return false;
    m_layout->workbookRelsPart = WorkbookReader::relationshipsPart(m_layout->workbookPart);
    QString stylesPart, stringsPart;
    for (const Relationship &r : qAsConst(relationships)) {
        if (r.type == QLatin1String("styles"))
            stylesPart = r.target;
        else if (r.type == QLatin1String("sharedStrings"))
            stringsPart = r.target;
        else if (r.type == QLatin1String("calcChain") && m_zip->indexOf(r.target) >= 0)
            m_layout->calcChainPart = m_zip->entries().at(m_zip->indexOf(r.target)).name;
    }
    if (!stylesPart.isEmpty() && m_zip->indexOf(stylesPart) >= 0 && !readStyles(stylesPart))
        return false;
    // The shared strings are inflated and read in a thread of their own
    // while the sheets are read here; they meet only in the index check at
    // the end. Their text goes as soon as it is read, before the sheets'
    // cells are all in.
    int stringsIndex = -1;
    if (!stringsPart.isEmpty()) {
        stringsIndex = m_zip->indexOf(stringsPart);
        if (stringsIndex >= 0)
            m_layout->sharedStringsPart = m_zip->entries().at(stringsIndex).name;
    }
    QString stringsWhy;
    TextPool *strings = &m_document->sharedStrings;
    QVector<StringItemCut> *cuts = &m_layout->sharedStringsCuts;
    const ZipPackage *zip = m_zip;
    std::future<bool> stringsRead =
        OwnThread::start([zip, stringsIndex, strings, &stringsWhy, cuts] {
            if (stringsIndex < 0)
                return true;
            QByteArray xml;
            return WorkbookReader::inflateText(*zip, stringsIndex, &xml, &stringsWhy) &&
                   (xml.isEmpty() || SharedStringsReader::read(std::move(xml), strings, &stringsWhy,
                                                               0, nullptr, cuts));
        });

    QVector<QStringList> sheetEntries;
    if (!readWorkbook(&sheetEntries))
        return false;
    if (sheetEntries.isEmpty())
        return fail(QStringLiteral("workbook without sheets"));
    for (const QStringList &entry : qAsConst(sheetEntries)) {
        auto sheet = std::make_unique<SheetModel>();
        sheet->name = entry.at(0);
        sheet->sheetId = entry.at(2).toInt();
        if (entry.at(1).isEmpty()) {
            // What is left of an Excel 5 macro module or dialog sheet: an
            // entry without a part, kept as it is and counted as a sheet, as
            // the spreadsheet application counts it.
            sheet->kind = SheetModel::OtherSheet;
            m_document->sheets.append(sheet.release());
            continue;
        }
        const Relationship r = relationships.value(entry.at(1));
        const int index = r.target.isEmpty() ? -1 : m_zip->indexOf(r.target);
        if (index < 0)
            return fail(QStringLiteral("missing sheet part for ") + sheet->name);
        sheet->partName = m_zip->entries().at(index).name;
        if (r.type == QLatin1String("worksheet")) {
            sheet->kind = SheetModel::Worksheet;
            QByteArray xml;
            if (!text(index, &xml))
                return false;
            QString why;
            if (!SheetReader::read(xml, sheet.get(), &why))
                return fail(sheet->partName + QStringLiteral(": ") + why);
        } else if (r.type == QLatin1String("chartsheet")) {
            sheet->kind = SheetModel::Chartsheet;
        } else {
            sheet->kind = SheetModel::OtherSheet;
        }
        m_document->sheets.append(sheet.release());
    }
    if (!stringsRead.get())
        return fail(stringsWhy);
    // Everything else a save would copy is checked now, not when it is saved.
    if (!m_zip->checkUninflated(m_why))
        return false;
    for (const SheetModel *sheet : qAsConst(m_document->sheets)) {
        if (sheet->maxSharedIndex >= m_document->sharedStrings.size())
            return fail(sheet->partName + QStringLiteral(": shared string out of range"));
    }
    if (m_document->activeSheet < 0 || m_document->activeSheet >= m_document->sheets.size())
        m_document->activeSheet = 0;
    return true;
}

} // namespace

bool WorkbookReader::read(const QByteArray &bytes, WorkbookDocument *document,
                          PackageLayout *layout, QString *why)
{
    PackageReader reader(document, layout, why);
    return reader.read(bytes);
}

bool WorkbookReader::inflateText(const ZipPackage &zip, int index, QByteArray *data, QString *why)
{
    TextRunLimit runs;
    MarkupLimit markup(qint64(zip.entries().at(index).info.uncompressedSize),
                       ProcessMemory::bytes());
    const auto accept = [&](const char *piece, int size) {
        return runs(piece, size) && markup(piece, size);
    };
    if (!zip.inflate(index, data, why, accept))
        return false;
    if (!PartEncoding::toUtf8(data)) {
        *why = QStringLiteral("bad UTF-16 in ") + zip.entries().at(index).name;
        return false;
    }
    return true;
}

QString WorkbookReader::relationshipsPart(const QString &part)
{
    const int slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

QString WorkbookReader::resolveTarget(const QString &sourcePart, const QString &target)
{
    QString path = target;
    if (path.startsWith(QLatin1Char('/'))) {
        path = path.mid(1);
    } else {
        const int slash = sourcePart.lastIndexOf(QLatin1Char('/'));
        path = sourcePart.left(slash + 1) + path;
    }
    QStringList parts;
    for (const QString &segment : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String(".."))
            parts.isEmpty() ? void() : parts.removeLast();
        else if (segment != QLatin1String("."))
            parts.append(segment);
    }
    return parts.join(QLatin1Char('/'));
}
