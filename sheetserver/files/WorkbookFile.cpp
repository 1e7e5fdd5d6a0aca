#include "files/WorkbookFile.h"

#include "delimited/DelimitedText.h"
#include "files/WorkbookFormats.h"
#include "files/WorkbookHold.h"
#include "model/CellTextLimit.h"
#include "model/ProcessMemory.h"
#include "model/WorkbookDocument.h"

#include <QFileInfo>

#include <cerrno>
#include <unistd.h>
#include <utility>

WorkbookFile::WorkbookFile(std::unique_ptr<WorkbookFormat> format)
    : m_document(std::make_unique<WorkbookDocument>()), m_format(std::move(format))
{
}

WorkbookFile::~WorkbookFile() = default;

bool WorkbookFile::read(const QByteArray &bytes, QString *why)
{
    m_document->clear();
    return m_format->read(bytes, m_document.get(), why);
}

bool WorkbookFile::isDelimitedBeyondMemory(const WorkbookHold &hold)
{
    // Whether its round trip fits in memory, the size alone tells; whether
    // it is delimited text, that it has neither signature. Read through the
    // held descriptor: opening and closing another would drop the locks
    // this process holds on the file.
    if (hold.size() <= DelimitedText::largestFile(ProcessMemory::bytes()))
        return false;
    QByteArray start(WorkbookFormats::SignatureBytes, Qt::Uninitialized);
    ssize_t got;
    do
        got = ::pread(hold.descriptor(), start.data(), size_t(start.size()), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return false; // reading the whole file says why
    start.truncate(int(got));
    return !WorkbookFormats::knowsFromContent(start);
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
    std::unique_ptr<WorkbookFormat> format = WorkbookFormats::handlerFor(bytes, path);
    if (!format) {
        *why = QStringLiteral("not a workbook format this server reads");
        return nullptr;
    }
    std::unique_ptr<WorkbookFile> file(new WorkbookFile(std::move(format)));
    file->m_document->path = path;
    if (!file->read(bytes, why))
        return nullptr;
    return file;
}

void WorkbookFile::readSaved()
{
    if (m_savedBytes.isEmpty())
        return;
    const QByteArray bytes = std::exchange(m_savedBytes, QByteArray());
    QString why;
    if (!read(bytes, &why))
        qWarning("WorkbookFile: saved file reads back wrong: %s", qPrintable(why));
}

bool WorkbookFile::write(QByteArray *out, QString *why)
{
    readSaved(); // the next file is made from the last one saved
    return m_format->write(m_document.get(), out, why);
}

bool WorkbookFile::save(QString *why)
{
    readSaved(); // the next file is made from the last one saved
    const QString &path = m_document->path;
    if (!m_document->isChanged()) {
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
    return m_format->save(m_document.get(), m_hold.get(), &m_savedBytes, why);
}
