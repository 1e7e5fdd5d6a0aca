#include "files/PackageFormat.h"

#include "files/AtomicSave.h"
#include "model/WorkbookDocument.h"
#include "xlsx/PackageLayout.h"
#include "xlsx/WorkbookReader.h"
#include "xlsx/WorkbookWriter.h"
#include "xlsx/ZipPackage.h"

PackageFormat::PackageFormat() = default;

PackageFormat::~PackageFormat() = default;

bool PackageFormat::read(const QByteArray &bytes, WorkbookDocument *document, QString *why)
{
    m_layout.reset(); // never the old package and the new one at once
    m_layout = std::make_unique<PackageLayout>();
    return WorkbookReader::read(bytes, document, m_layout.get(), why);
}

bool PackageFormat::write(WorkbookDocument *document, QByteArray *out, QString *why)
{
    WorkbookWriter::Written written;
    return WorkbookWriter::write(document, *m_layout, out, &written, why);
}

bool PackageFormat::save(WorkbookDocument *document, WorkbookHold *hold, QByteArray *readAgain,
                         QString *why)
{
    QByteArray bytes;
    WorkbookWriter::Written written;
    if (!WorkbookWriter::write(document, *m_layout, &bytes, &written, why))
        return false;
    AtomicSave atomic(hold);
    const bool saved = atomic.write(bytes, why);
    if (!atomic.replaced())
        return false;
    // The sheets take their places in the new file; nothing is read again.
    for (auto it = written.layouts.cbegin(); it != written.layouts.cend(); ++it)
        it.value().apply(it.key());
    document->noteStringsSaved();
    if (written.chainRemoved)
        m_layout->calcChainPart.clear();
    auto reopened = std::make_unique<ZipPackage>();
    QString ignored;
    if (!reopened->load(bytes, &ignored)) {
        *readAgain = bytes;
        return saved;
    }
    m_layout->package = std::move(reopened);
    if (written.stringsWritten)
        m_layout->sharedStringsCuts = written.stringsCuts;
    return saved;
}
