#include "files/WorkbookFile.h"

#include "delimited/DelimitedText.h"
#include "files/AtomicSave.h"
#include "files/WorkbookHold.h"
#include "model/CellTextLimit.h"
#include "model/ProcessMemory.h"
#include "model/WorkbookDocument.h"
#include "xls/XlsLayout.h"
#include "xls/XlsReader.h"
#include "xls/XlsWriter.h"
#include "xlsx/PackageLayout.h"
#include "xlsx/WorkbookReader.h"
#include "xlsx/ZipPackage.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

WorkbookFile::WorkbookFile() : m_document(std::make_unique<WorkbookDocument>()) {}

WorkbookFile::~WorkbookFile() = default;

bool WorkbookFile::read(const QByteArray &bytes, QString *why)
{
    m_document->clear();
    m_package.reset();
    m_delimited = DelimitedLayout();
    m_xls.reset();
    if (ZipPackage::looksLikeZip(bytes)) {
        m_format = Format::Package;
        m_package = std::make_unique<PackageLayout>();
        return WorkbookReader::read(bytes, m_document.get(), m_package.get(), why);
    }
    if (CompoundFile::looksLikeCompoundFile(bytes)) {
        m_format = Format::Xls;
        m_xls = std::make_unique<XlsLayout>();
        return XlsReader::read(bytes, m_document.get(), m_xls.get(), why);
    }
    return readDelimited(bytes, why);
}

bool WorkbookFile::isDelimitedBeyondMemory(const WorkbookHold &hold)
{
    // Whether its round trip fits in memory, the size alone tells; whether
    // it is delimited text, that it has neither signature. Read through the
    // held descriptor: opening and closing another would drop the locks
    // this process holds on the file.
    if (hold.size() <= DelimitedText::largestFile(ProcessMemory::bytes()))
        return false;
    QByteArray start(SignatureBytes, Qt::Uninitialized);
    ssize_t got;
    do
        got = ::pread(hold.descriptor(), start.data(), size_t(start.size()), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return false; // reading the whole file says why
    start.truncate(int(got));
    return !ZipPackage::looksLikeZip(start) && !CompoundFile::looksLikeCompoundFile(start);
}

bool WorkbookFile::readDelimited(const QByteArray &bytes, QString *why)
{
    const QFileInfo info(m_document->path);
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
    m_format = Format::Delimited;
    auto sheet = std::make_unique<SheetModel>();
    sheet->name = info.completeBaseName();
    if (!DelimitedText::read(bytes, delimiter, sheet.get(), &m_delimited, why))
        return false;
    m_document->sheets.append(sheet.release());
    return true;
}

std::unique_ptr<WorkbookFile> WorkbookFile::open(const QString &path, QString *why)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        *why = QStringLiteral("no such file");
        return nullptr;
    }
    if (info.size() > MaxFileSize) {
        *why = QStringLiteral("file too large");
        return nullptr;
    }
    auto hold = std::make_unique<WorkbookHold>();
    QByteArray bytes;
    if (!hold->take(path, why))
        return nullptr;
    if (isDelimitedBeyondMemory(*hold)) {
        *why = QStringLiteral("delimited text too large for the memory this process may take");
        return nullptr;
    }
    if (!hold->read(&bytes, why))
        return nullptr;
    auto opened = fromBytes(bytes, info.absoluteFilePath(), why);
    if (opened)
        opened->m_hold = std::move(hold);
    return opened;
}

std::unique_ptr<WorkbookFile> WorkbookFile::fromBytes(const QByteArray &bytes, const QString &path,
                                                      QString *why)
{
    std::unique_ptr<WorkbookFile> file(new WorkbookFile);
    file->m_document->path = path;
    file->m_fileSize = bytes.size();
    if (!file->read(bytes, why))
        return nullptr;
    return file;
}

void WorkbookFile::readSaved()
{
    const QByteArray bytes = m_savedBytes;
    m_savedBytes.clear();
    QString why;
    if (!read(bytes, &why))
        qWarning("WorkbookFile: saved file reads back wrong: %s", qPrintable(why));
}

bool WorkbookFile::write(QByteArray *out, QString *why)
{
    WorkbookWriter::Written written;
    return write(out, &written, why);
}

bool WorkbookFile::write(QByteArray *out, WorkbookWriter::Written *written, QString *why)
{
    WorkbookDocument &workbook = document();
    switch (m_format) {
    case Format::Package:
        return WorkbookWriter::write(&workbook, *m_package, out, written, why);
    case Format::Xls:
        return XlsWriter::write(workbook, *m_xls, out, why);
    case Format::Delimited:
        break;
    }
    if (workbook.sheets.isEmpty()) {
        *why = QStringLiteral("no sheet to write");
        return false;
    }
    return DelimitedText::write(*workbook.sheets.at(0), m_delimited, out, why);
}

bool WorkbookFile::save(QString *why)
{
    const QString &path = m_document->path;
    if (!document().isChanged()) {
        // Nothing to write: the file stays byte for byte as it is.
        if (!QFileInfo::exists(path)) {
            *why = QStringLiteral("file gone");
            return false;
        }
        return true;
    }
    // Not a moment spent on writing a file that cannot replace this one.
    if (!m_hold) {
        *why = QStringLiteral("not opened from a file");
        return false;
    }
    if (!m_hold->isUndisturbed(why))
        return false;
    if (m_document->changesTextLongerThan(MaxCellText)) {
        *why = QStringLiteral("a cell holds more text than a workbook cell can");
        return false;
    }
    if (m_format == Format::Xls)
        return saveXls(why);
    QByteArray bytes;
    WorkbookWriter::Written written;
    if (!write(&bytes, &written, why))
        return false;
    AtomicSave atomic(m_hold.get());
    const bool saved = atomic.write(bytes, why);
    if (!atomic.replaced())
        return false;
    noteSaved();
    if (m_format != Format::Package) {
        // Read again when next needed: the new file's records and positions
        // are where the next save starts from.
        m_savedBytes = bytes;
        return saved;
    }
    // The sheets take their places in the new file; nothing is read again.
    for (auto it = written.layouts.cbegin(); it != written.layouts.cend(); ++it)
        it.value().apply(it.key());
    if (written.chainRemoved)
        m_package->calcChainPart.clear();
    auto reopened = std::make_unique<ZipPackage>();
    QString ignored;
    if (!reopened->load(bytes, &ignored)) {
        m_savedBytes = bytes;
        return saved;
    }
    m_package->package = std::move(reopened);
    return saved;
}

bool WorkbookFile::saveXls(QString *why)
{
    CompoundFile::Pieces stream;
    if (!XlsWriter::writeStream(*m_document, *m_xls, &stream, why))
        return false;
    // The new file goes to disk as it is made: the old file and its stream
    // are still held, and the new file whole as well would double them.
    const auto writeFile = [&](QIODevice *out, QString *error) {
        return m_xls->container.replaceStream(m_xls->workbookEntry, stream, out, error);
    };
    AtomicSave atomic(m_hold.get());
    const bool saved = atomic.write(writeFile, why);
    if (!atomic.replaced())
        return false;
    noteSaved();
    stream.clear();
    // Read again when next needed: the new file's records and positions are
    // where the next save starts from. Should reading the file just written
    // fail, the same bytes are made again.
    QString ignored;
    if (!m_hold->read(&m_savedBytes, &ignored) || m_savedBytes.size() != m_fileSize)
        XlsWriter::write(*m_document, *m_xls, &m_savedBytes, &ignored);
    return saved;
}

void WorkbookFile::noteSaved()
{
    m_fileSize = m_hold->size();
}
