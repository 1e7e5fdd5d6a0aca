#include "WorkbookDocument.h"

#include "AtomicSave.h"
#include "DecimalDigits.h"
#include "DelimitedText.h"
#include "SpreadsheetServer.h"
#include "WorkbookReader.h"
#include "WorkbookWriter.h"
#include "XlsLayout.h"
#include "XlsReader.h"
#include "XlsWriter.h"
#include "ZipPackage.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool tooLongForACell(const TextPool &pool, int index)
{
    int bytes = 0;
    pool.bytes(index, &bytes);
    // A unit takes at least a byte, so only a long entry is made into text
    // to be counted.
    return bytes > SpreadsheetServer::MaxCellText &&
           pool.at(index).size() > SpreadsheetServer::MaxCellText;
}

} // namespace

WorkbookDocument::WorkbookDocument() = default;

WorkbookDocument::~WorkbookDocument()
{
    clear();
}

void WorkbookDocument::clear()
{
    qDeleteAll(sheets);
    sheets.clear();
    activeSheet = 0;
    date1904 = false;
    sharedStrings.clear();
    styles = CellStyles();
    package.reset();
    workbookPart.clear();
    workbookRelsPart.clear();
    calcChainPart.clear();
    contentTypesPart.clear();
    delimited = DelimitedLayout();
    xls.reset();
}

bool WorkbookDocument::readInto(WorkbookDocument *document, const QByteArray &bytes, QString *why)
{
    if (ZipPackage::looksLikeZip(bytes)) {
        document->format = Format::Package;
        return WorkbookReader::read(bytes, document, why);
    }
    if (CompoundFile::looksLikeCompoundFile(bytes)) {
        document->format = Format::Xls;
        document->xls = std::make_unique<XlsLayout>();
        return XlsReader::read(bytes, document, document->xls.get(), why);
    }
    const QFileInfo info(document->path);
    const QString suffix = info.suffix().toLower();
    QChar delimiter;
    if (suffix == QLatin1String("csv"))
        delimiter = QLatin1Char(',');
    else if (suffix == QLatin1String("txt") || suffix == QLatin1String("tsv"))
        delimiter = QLatin1Char('\t');
    else {
        *why = QStringLiteral("not a workbook format this server reads");
        return false;
    }
    document->format = Format::Delimited;
    auto sheet = std::make_unique<SheetModel>();
    sheet->name = info.completeBaseName();
    if (!DelimitedText::read(bytes, delimiter, sheet.get(), &document->delimited, why))
        return false;
    document->sheets.append(sheet.release());
    return true;
}

std::unique_ptr<WorkbookDocument> WorkbookDocument::open(const QString &path, QString *why)
{
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile()) {
        *why = QStringLiteral("no such file");
        return nullptr;
    }
    if (info.size() > ZipPackage::MaxEntrySize) {
        *why = QStringLiteral("file too large");
        return nullptr;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    file.close(); // nothing of the file stays open while the workbook is
    auto document = fromBytes(bytes, info.absoluteFilePath(), why);
    if (document)
        document->fileModified = info.lastModified();
    return document;
}

std::unique_ptr<WorkbookDocument> WorkbookDocument::fromBytes(const QByteArray &bytes,
                                                              const QString &path, QString *why)
{
    auto document = std::make_unique<WorkbookDocument>();
    document->path = path;
    document->fileSize = bytes.size();
    if (!readInto(document.get(), bytes, why))
        return nullptr;
    return document;
}

void WorkbookDocument::ensureCurrent()
{
    if (m_savedBytes.isEmpty())
        return;
    const QByteArray bytes = m_savedBytes;
    m_savedBytes.clear();
    clear();
    QString why;
    if (!readInto(this, bytes, &why))
        qWarning("WorkbookDocument: saved file reads back wrong: %s", qPrintable(why));
}

int WorkbookDocument::sheetCount()
{
    ensureCurrent();
    return sheets.size();
}

SheetModel *WorkbookDocument::sheet(int index)
{
    ensureCurrent();
    return index >= 0 && index < sheets.size() ? sheets.at(index) : nullptr;
}

QString WorkbookDocument::displayText(const SheetModel &sheet, const Cell *cell) const
{
    if (!cell)
        return QString();
    const NumberFormat &format = styles.formatOf(cell->style);
    switch (cell->type) {
    case Cell::Blank:
        return QString();
    case Cell::Number:
        return format.format(cell->number, date1904);
    case Cell::SharedString:
        return format.formatText(sharedStrings.at(cell->index));
    case Cell::Text:
        return format.formatText(sheet.texts.at(cell->index));
    case Cell::Boolean:
        return cell->number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Cell::Error:
        return sheet.texts.at(cell->index);
    }
    return QString();
}

QString WorkbookDocument::valueText(const SheetModel &sheet, const Cell &cell) const
{
    switch (cell.type) {
    case Cell::Number:
        return (cell.number < 0 ? QStringLiteral("-") : QString()) +
               DecimalDigits(cell.number).plain();
    case Cell::SharedString:
        return sharedStrings.at(cell.index);
    case Cell::Text:
    case Cell::Error:
        return sheet.texts.at(cell.index);
    case Cell::Boolean:
        return cell.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Cell::Blank:
        break;
    }
    return QString();
}

bool WorkbookDocument::isChanged()
{
    ensureCurrent();
    for (const SheetModel *sheet : qAsConst(sheets)) {
        if (sheet->changed)
            return true;
    }
    return false;
}

bool WorkbookDocument::save(QString *why)
{
    if (!isChanged()) {
        // Nothing to write: the file stays byte for byte as it is.
        if (!QFileInfo::exists(path)) {
            *why = QStringLiteral("file gone");
            return false;
        }
        return true;
    }
    const QFileInfo info(path);
    if (!info.exists() || info.size() != fileSize || info.lastModified() != fileModified) {
        *why = QStringLiteral("the file was changed or removed since it was opened");
        return false;
    }
    if (format != Format::Delimited && changesOverlongCell()) {
        *why = QStringLiteral("a cell holds more text than a workbook cell can");
        return false;
    }
    if (format == Format::Xls)
        return saveXls(why);
    QByteArray bytes;
    WorkbookWriter::Written written;
    if (format == Format::Package) {
        if (!WorkbookWriter::write(this, &bytes, &written, why))
            return false;
    } else if (!DelimitedText::write(*sheets.at(0), delimited, &bytes, why)) {
        return false;
    }
    if (!AtomicSave::write(path, bytes, why))
        return false;
    noteSaved();
    if (format != Format::Package) {
        // Read again when next needed: the new file's records and positions
        // are where the next save starts from.
        m_savedBytes = bytes;
        return true;
    }
    // The sheets take their places in the new file; nothing is read again.
    for (auto it = written.layouts.cbegin(); it != written.layouts.cend(); ++it)
        it.value().apply(it.key());
    if (written.chainRemoved)
        calcChainPart.clear();
    auto reopened = std::make_unique<ZipPackage>();
    QString ignored;
    if (!reopened->load(bytes, &ignored)) {
        m_savedBytes = bytes;
        return true;
    }
    package = std::move(reopened);
    return true;
}

bool WorkbookDocument::changesOverlongCell() const
{
    // Only the cells this save writes: a cell kept as the file had it is the
    // file's own, copied byte for byte.
    for (const SheetModel *sheet : sheets) {
        if (!sheet->changed)
            continue;
        for (const auto &row : sheet->cells.rows()) {
            if (!row.second.changed)
                continue;
            for (const Cell &cell : row.second.cells) {
                if (!cell.changed)
                    continue;
                if ((cell.type == Cell::Text && tooLongForACell(sheet->texts, cell.index)) ||
                    (cell.type == Cell::SharedString && tooLongForACell(sharedStrings, cell.index)))
                    return true;
            }
        }
    }
    return false;
}

bool WorkbookDocument::saveXls(QString *why)
{
    QByteArray stream;
    if (!XlsWriter::writeStream(*this, *xls, &stream, why))
        return false;
    // The new file goes to disk as it is made: the old file and its stream
    // are still held, and the new file whole as well would double them.
    const auto writeFile = [&](QIODevice *out, QString *error) {
        return xls->container.replaceStream(xls->workbookEntry, stream, out, error);
    };
    if (!AtomicSave::write(path, writeFile, why))
        return false;
    noteSaved();
    stream = QByteArray();
    // Read again when next needed: the new file's records and positions are
    // where the next save starts from. Should reading the file just written
    // fail, the same bytes are made again.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        m_savedBytes = file.readAll();
    file.close();
    if (m_savedBytes.size() != fileSize) {
        QString ignored;
        XlsWriter::write(*this, *xls, &m_savedBytes, &ignored);
    }
    return true;
}

void WorkbookDocument::noteSaved()
{
    const QFileInfo saved(path);
    fileSize = saved.size();
    fileModified = saved.lastModified();
}
