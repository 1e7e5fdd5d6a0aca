#include "files/DelimitedFormat.h"

#include "delimited/DelimitedText.h"
#include "files/AtomicSave.h"
#include "model/WorkbookDocument.h"

#include <QFileInfo>

#include <memory>

bool DelimitedFormat::read(const QByteArray &bytes, WorkbookDocument *document, QString *why)
{
    m_layout = DelimitedLayout();
    auto sheet = std::make_unique<SheetModel>();
    sheet->name = QFileInfo(document->path).completeBaseName();
    if (!DelimitedText::read(bytes, m_delimiter, sheet.get(), &m_layout, why))
        return false;
    document->sheets.append(sheet.release());
    return true;
}

bool DelimitedFormat::write(WorkbookDocument *document, QByteArray *out, QString *why)
{
    if (document->sheets.isEmpty()) {
        *why = QStringLiteral("no sheet to write");
        return false;
    }
    return DelimitedText::write(*document->sheets.at(0), m_layout, out, why);
}

bool DelimitedFormat::save(WorkbookDocument *document, WorkbookHold *hold, QByteArray *readAgain,
                           QString *why)
{
    QByteArray bytes;
    if (!write(document, &bytes, why))
        return false;
    AtomicSave atomic(hold);
    const bool saved = atomic.write(bytes, why);
    if (!atomic.replaced())
        return false;
    *readAgain = bytes;
    return saved;
}
