#include "files/XlsFormat.h"

#include "files/AtomicSave.h"
#include "files/WorkbookHold.h"
#include "xls/XlsLayout.h"
#include "xls/XlsReader.h"
#include "xls/XlsWriter.h"

XlsFormat::XlsFormat() = default;

XlsFormat::~XlsFormat() = default;

bool XlsFormat::read(const QByteArray &bytes, WorkbookDocument *document, QString *why)
{
    m_layout.reset(); // never the old file and the new one at once
    m_layout = std::make_unique<XlsLayout>();
    return XlsReader::read(bytes, document, m_layout.get(), why);
}

bool XlsFormat::write(WorkbookDocument *document, QByteArray *out, QString *why)
{
    return XlsWriter::write(*document, *m_layout, out, why);
}

bool XlsFormat::save(WorkbookDocument *document, WorkbookHold *hold, QByteArray *readAgain,
                     QString *why)
{
    CompoundFile::Pieces stream;
    if (!XlsWriter::writeStream(*document, *m_layout, &stream, why))
        return false;
    // The new file goes to disk as it is made: the old file and its stream
    // are still held, and the new file whole as well would double them.
    const auto writeFile = [&](QIODevice *out, QString *error) {
        return m_layout->container.replaceStream(m_layout->workbookEntry, stream, out, error);
    };
    AtomicSave atomic(hold);
    const bool saved = atomic.write(writeFile, why);
    if (!atomic.replaced())
        return false;
    stream.clear();
    // Should reading the file just written fail, the same bytes are made
    // again.
    QString ignored;
    if (!hold->read(readAgain, &ignored) || readAgain->size() != hold->size())
        XlsWriter::write(*document, *m_layout, readAgain, &ignored);
    return saved;
}
