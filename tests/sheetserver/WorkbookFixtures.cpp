#include "WorkbookFixtures.h"

#include "server/SpreadsheetServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTextCodec>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <sys/resource.h>
#include <unistd.h>

namespace WorkbookFixtures {

QString dataPath(const QString &name)
{
    return QStringLiteral(QUORVANE_TEST_DATA "/workbooks/") + name;
}

QString copy(const QString &name, const QString &dir)
{
    const QString target = QDir(dir).filePath(name);
    QFile::remove(target);
    QFile::copy(dataPath(name), target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    return target;
}

QByteArray fixtureBytes(const QString &name)
{
    return readFile(dataPath(name));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

static QVariantMap jsonFixture(const QString &name)
{
    return QJsonDocument::fromJson(readFile(dataPath(name))).toVariant().toMap();
}

QVariantMap expected()
{
    return jsonFixture(QStringLiteral("expected.json"));
}

QVariantMap encodings()
{
    return jsonFixture(QStringLiteral("encodings.json"));
}

QByteArray encoded(const QString &codec, const QString &text)
{
    QTextCodec::ConverterState noMark(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForName(codec.toLatin1())
        ->fromUnicode(text.constData(), text.size(), &noMark);
}

bool writePackage(const QString &path, const Parts &parts)
{
    return WorkbookMaker::writePackage(path, parts);
}

Parts readPackage(const QString &path)
{
    Parts parts;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return parts;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile file(&zip);
        file.open(QIODevice::ReadOnly);
        parts.append({zip.getCurrentFileName(), file.readAll()});
        file.close();
    }
    return parts;
}

QByteArray entry(const QString &path, const QString &name)
{
    for (const auto &part : readPackage(path)) {
        if (part.first == name)
            return part.second;
    }
    return QByteArray();
}

QList<QPair<QString, QByteArray>> rawEntries(const QString &path)
{
    QList<QPair<QString, QByteArray>> entries;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return entries;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile file(&zip);
        int method = 0, level = 0;
        file.open(QIODevice::ReadOnly, &method, &level, true);
        entries.append({zip.getCurrentFileName(), file.readAll()});
        file.close();
    }
    return entries;
}

Parts richWorkbook()
{
    const QByteArray ns = WorkbookMaker::namespaces();
    const QByteArray decl = WorkbookMaker::declaration();
    Parts parts;
    parts.append({"[Content_Types].xml",
                  WorkbookMaker::contentTypes(
                      {{"/xl/workbook.xml", "application/vnd.ms-excel.sheet.macroEnabled.main+xml"},
                       {"/xl/worksheets/sheet1.xml", WorkbookMaker::spreadsheetType("worksheet")},
                       {"/xl/worksheets/sheet2.xml", WorkbookMaker::spreadsheetType("worksheet")},
                       {"/xl/styles.xml", WorkbookMaker::spreadsheetType("styles")},
                       {"/xl/sharedStrings.xml", WorkbookMaker::spreadsheetType("sharedStrings")},
                       {"/xl/calcChain.xml", WorkbookMaker::spreadsheetType("calcChain")}},
                      {{"bin", "application/vnd.ms-office.vbaProject"}})});
    parts.append(
        {"_rels/.rels", WorkbookMaker::relationships({{"officeDocument", "xl/workbook.xml"}})});
    parts.append({"xl/workbook.xml",
                  decl + "<workbook " + ns +
                      "><workbookPr/><bookViews><workbookView activeTab=\"1\"/></bookViews><sheets>"
                      "<sheet name=\"Main\" sheetId=\"3\" r:id=\"rId1\"/>"
                      "<sheet name=\"Other\" sheetId=\"7\" r:id=\"rId2\"/></sheets>"
                      "<calcPr calcId=\"191029\"/></workbook>"});
    parts.append({"xl/_rels/workbook.xml.rels",
                  WorkbookMaker::relationships(
                      {{"worksheet", "worksheets/sheet1.xml"},
                       {"worksheet", "worksheets/sheet2.xml"},
                       {"styles", "styles.xml"},
                       {"sharedStrings", "sharedStrings.xml"},
                       {"calcChain", "calcChain.xml"},
                       {"http://schemas.microsoft.com/office/2006/relationships/vbaProject",
                        "vbaProject.bin"}})});
    parts.append(
        {"xl/worksheets/sheet1.xml",
         decl + "<worksheet " + ns +
             "><sheetPr codeName=\"Sheet1\"/><dimension ref=\"A1:E5\"/>"
             "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" "
             "activePane=\"bottomLeft\" state=\"frozen\"/></sheetView></sheetViews>"
             "<sheetFormatPr defaultRowHeight=\"15\"/>"
             "<cols><col min=\"1\" max=\"2\" width=\"20.5\" customWidth=\"1\"/></cols>"
             "<sheetData>"
             "<row r=\"1\" spans=\"1:5\" ht=\"30\" customHeight=\"1\">"
             "<c r=\"A1\" s=\"1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
             "<c r=\"C1\" s=\"2\"><v>0.5</v></c></row>\n"
             "<row r=\"2\"><c r=\"A2\"><v>1</v></c><c r=\"B2\"><v>10</v></c>"
             "<c r=\"E2\"><f t=\"shared\" ref=\"E2:E4\" "
             "si=\"0\">A2+B2*$A$1</f><v>11</v></c></row>\n"
             "<row r=\"3\"><c r=\"A3\"><v>2</v></c><c r=\"B3\"><v>20</v></c>"
             "<c r=\"E3\"><f t=\"shared\" si=\"0\"/><v>22</v></c></row>\n"
             "<row r=\"4\"><c r=\"A4\"><v>3</v></c><c r=\"B4\"><v>30</v></c>"
             "<c r=\"E4\"><f t=\"shared\" si=\"0\"/><v>33</v></c></row>\n"
             "<row r=\"5\"><c r=\"A5\" t=\"s\"><v>2</v></c>"
             "<c r=\"D5\"><f>SUM(B2:B4)</f><v>60</v></c></row>\n"
             "<row r=\"9\" ht=\"5\" customHeight=\"1\"/>"
             "</sheetData>"
             "<mergeCells count=\"1\"><mergeCell ref=\"A5:C5\"/></mergeCells>"
             "<conditionalFormatting sqref=\"B2:B4\"><cfRule type=\"cellIs\" dxfId=\"0\" "
             "priority=\"1\" operator=\"greaterThan\"><formula>15</formula></cfRule>"
             "</conditionalFormatting>"
             "<dataValidations count=\"1\"><dataValidation type=\"whole\" sqref=\"A2:A4\">"
             "<formula1>0</formula1><formula2>9</formula2></dataValidation></dataValidations>"
             "<hyperlinks><hyperlink ref=\"B1\" location=\"Other!A1\" display=\"go\"/>"
             "</hyperlinks>"
             "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
             "header=\"0.3\" footer=\"0.3\"/>"
             "<pageSetup orientation=\"landscape\"/>"
             "<extLst><ext uri=\"{78C0D931-6437-407d-A8EE-F0AAD7539E65}\" "
             "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\">"
             "<x14:keep/></ext></extLst>"
             "</worksheet>"});
    parts.append({"xl/worksheets/sheet2.xml",
                  decl + "<worksheet " + ns +
                      "><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/>"
                      "</sheetViews><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c>"
                      "<c r=\"B1\"><f>Main!E2*2</f><v>22</v></c></row></sheetData>"
                      "</worksheet>"});
    parts.append(
        {"xl/styles.xml",
         decl + "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"0.0%\"/></numFmts>"
                "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
                "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
                "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
                "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
                "<borders count=\"1\"><border/></borders>"
                "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
                "borderId=\"0\"/></cellStyleXfs>"
                "<cellXfs count=\"3\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
                "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" applyFont=\"1\"/>"
                "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
                "applyNumberFormat=\"1\"/></cellXfs>"
                "<dxfs count=\"1\"><dxf><font><b/></font></dxf></dxfs>"
                "</styleSheet>"});
    parts.append({"xl/sharedStrings.xml",
                  decl + "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                         "count=\"4\" uniqueCount=\"4\"><si><t>Title apple</t></si>"
                         "<si><t>link</t></si><si><t>merged</t></si><si><t>other apple</t></si>"
                         "</sst>"});
    parts.append({"xl/calcChain.xml",
                  decl + "<calcChain xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/"
                         "main\"><c r=\"E2\" i=\"3\"/><c r=\"E3\"/><c r=\"E4\"/><c r=\"D5\"/>"
                         "<c r=\"B1\" i=\"7\"/></calcChain>"});
    parts.append({"xl/vbaProject.bin", QByteArray("\xD0\xCF\x11\xE0macro bytes\x00\x01\x02", 18)});
    parts.append({"customXml/item1.xml", decl + "<root><keep>me</keep></root>"});
    parts.append({"xl/printerSettings/printerSettings1.bin", QByteArray(300, '\x07')});
    return parts;
}

namespace {

// The part with its elements named as the dialect names them. The part is
// written with a default namespace on its root and no '>' in any value.
QByteArray spoken(const QByteArray &xml, const Dialect &dialect)
{
    static const QRegularExpression tag(QStringLiteral("<(/?)([A-Za-z][\\w.-]*)([^>]*)>"));
    static const QRegularExpression defaultNamespace(QStringLiteral(" xmlns=\"([^\"]*)\""));
    const QString text = QString::fromUtf8(xml);
    QString out;
    QString uri;
    int depth = 0;
    int cursor = 0;
    for (auto it = tag.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.midRef(cursor, m.capturedStart() - cursor);
        cursor = m.capturedEnd();
        const bool end = !m.captured(1).isEmpty();
        QString attributes = m.captured(3);
        const int level = end ? depth : ++depth;
        if (end || attributes.endsWith(QLatin1Char('/')))
            --depth;
        const QByteArray &prefix = level == 1 ? dialect.rootPrefix : dialect.prefix;
        const QString declared = QStringLiteral(" xmlns%1=\"%2\"");
        if (level == 1 && !end) {
            uri = defaultNamespace.match(attributes).captured(1);
            if (!prefix.isEmpty())
                attributes.replace(defaultNamespace,
                                   declared.arg(QLatin1Char(':') + prefix.chopped(1), uri));
        } else if (level == 2 && !end && prefix != dialect.rootPrefix) {
            attributes.prepend(declared.arg(
                prefix.isEmpty() ? QString() : QLatin1Char(':') + prefix.chopped(1), uri));
        }
        out += QLatin1Char('<') + m.captured(1) + QString::fromUtf8(prefix) + m.captured(2) +
               attributes + QLatin1Char('>');
    }
    out += text.midRef(cursor);
    return out.toUtf8();
}

} // namespace

Parts dialectWorkbook(const Dialect &dialect)
{
    const QByteArray decl = WorkbookMaker::declaration();
    const QByteArray main = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    QByteArray sheet =
        decl + "<worksheet " + WorkbookMaker::namespaces() +
        "><dimension ref=\"A1:D4\"/><sheetData>"
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"inlineStr\"><is><r><rPr><b/>"
        "</rPr><t xml:space=\"preserve\">green </t></r><r><t>apple</t></r></is></c>"
        "<c r=\"C1\"><v>42</v></c><c r=\"D1\" t=\"s\"><v>1</v></c></row>"
        "<row r=\"2\"><c r=\"A2\"><v>7</v></c><c r=\"B2\"><f t=\"shared\" ref=\"B2:B3\" "
        "si=\"0\">A2*2</f><v>14</v></c><c r=\"C2\" t=\"s\"><v>2</v></c></row>"
        "<row r=\"3\"><c r=\"A3\"><v>8</v></c><c r=\"B3\"><f t=\"shared\" si=\"0\"/><v>16</v></c>"
        "<c r=\"C3\"><f>SUM(A2:A3)</f><v>15</v></c></row>"
        "<row r=\"4\" ht=\"20\" customHeight=\"1\"/></sheetData></worksheet>";
    if (!dialect.references)
        sheet = QString::fromUtf8(sheet)
                    .remove(QRegularExpression(QStringLiteral(" r=\"[A-Z]*[0-9]+\"")))
                    .toUtf8();
    Parts parts;
    parts.append({"[Content_Types].xml",
                  WorkbookMaker::contentTypes(
                      {{"/xl/workbook.xml", WorkbookMaker::spreadsheetType("sheet.main")},
                       {"/xl/worksheets/sheet1.xml", WorkbookMaker::spreadsheetType("worksheet")},
                       {"/xl/sharedStrings.xml", WorkbookMaker::spreadsheetType("sharedStrings")},
                       {"/xl/calcChain.xml", WorkbookMaker::spreadsheetType("calcChain")}})});
    parts.append(
        {"_rels/.rels", WorkbookMaker::relationships({{"officeDocument", "xl/workbook.xml"}})});
    parts.append({"xl/workbook.xml", decl + "<workbook " + WorkbookMaker::namespaces() +
                                         "><sheets><sheet name=\"Data\" sheetId=\"1\" "
                                         "r:id=\"rId1\"/></sheets></workbook>"});
    parts.append({"xl/_rels/workbook.xml.rels",
                  WorkbookMaker::relationships({{"worksheet", "worksheets/sheet1.xml"},
                                                {"sharedStrings", "sharedStrings.xml"},
                                                {"calcChain", "calcChain.xml"}})});
    parts.append({"xl/worksheets/sheet1.xml", sheet});
    parts.append({"xl/sharedStrings.xml",
                  decl + "<sst " + main +
                      " count=\"3\" uniqueCount=\"3\"><si><t>apple pie</t></si><si><t>keep</t>"
                      "</si><si><t>crab apple</t></si></sst>"});
    parts.append({"xl/calcChain.xml", decl + "<calcChain " + main +
                                          "><c r=\"B2\" i=\"1\"/><c r=\"B3\"/><c r=\"C3\"/>"
                                          "</calcChain>"});
    for (auto &part : parts)
        part.second = spoken(part.second, dialect);
    return parts;
}

bool runPython(const QString &script, QString *output)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script});
    if (!python.waitForFinished(60000))
        return false;
    *output = QString::fromUtf8(python.readAllStandardOutput());
    if (python.exitCode() != 0)
        qWarning().noquote() << python.readAllStandardError();
    return python.exitStatus() == QProcess::NormalExit && python.exitCode() == 0;
}

bool openpyxlCells(const QString &path, bool repr, QStringList *cells)
{
    QString output;
    const bool ran =
        runPython(QStringLiteral("import openpyxl\n"
                                 "for sheet in openpyxl.load_workbook(%1).worksheets:\n"
                                 "    for row in sheet.iter_rows():\n"
                                 "        for c in row:\n"
                                 "            if c.value is not None:\n"
                                 "                print(f'{sheet.title}!{c.coordinate}="
                                 "{c.value%2}')\n")
                      .arg(QLatin1Char('\'') + path + QLatin1Char('\''),
                           repr ? QStringLiteral("!r") : QString()),
                  &output);
    *cells = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ran;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

ServerSession::ServerSession(const QString &path) : app(SpreadsheetServer::create(), nullptr)
{
    book = app.querySubObject("Workbooks")->querySubObject("Open(const QString&)", path);
}

AutomationClient *ServerSession::sheet(int n)
{
    return book->querySubObject("Sheets")->querySubObject("Item(const QVariant&)", n);
}

AutomationClient *ServerSession::cell(int n, const QString &name)
{
    return sheet(n)->querySubObject("Range(const QVariant&)", name);
}

QString ServerSession::text(int n, const QString &name)
{
    return cell(n, name)->dynamicCall("Text()").toString();
}

void ServerSession::set(int n, const QString &name, const QString &value)
{
    cell(n, name)->setProperty("Value", value);
}

bool ServerSession::replace(int n, const QString &what, const QString &with)
{
    return sheet(n)
        ->querySubObject("UsedRange")
        ->dynamicCall("Replace(const QVariant&, const QVariant&, const QVariant&, const "
                      "QVariant&, const QVariant&)",
                      what, with, 2, 1, true)
        .toBool();
}

bool ServerSession::save()
{
    return book->dynamicCall("Save()").toBool();
}

qint64 residentPeak()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

qint64 residentNow()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

} // namespace WorkbookFixtures
