// Feeds arbitrary bytes to the workbook reader as a package and as
// delimited text, then walks, edits and writes whatever it accepts. Any
// crash, hang, leak or undefined behaviour is a bug: bad input must only
// ever be refused.
#include "CellEditor.h"
#include "DelimitedText.h"
#include "WorkbookDocument.h"
#include "WorkbookWriter.h"

#include <cstddef>
#include <cstdint>

namespace {

void exercise(WorkbookDocument &document)
{
    for (int s = 0; s < document.sheetCount(); ++s) {
        SheetModel *sheet = document.sheet(s);
        const CellBlock used = sheet->cells.usedBlock();
        for (const auto &row : sheet->cells.rows()) {
            for (const Cell &cell : row.second.cells) {
                document.displayText(*sheet, &cell);
                document.valueText(*sheet, cell);
            }
        }
        CellEditor editor(&document, sheet);
        editor.replace(used, QStringLiteral("a*"), QStringLiteral("b"), 2, 1, false);
        editor.setText({1, 1, 2, 2}, QStringLiteral("fuzz"));
        editor.clearContents({3, 1, 3, 3});
    }
    QByteArray out;
    QString why;
    WorkbookWriter::Written written;
    if (document.format == WorkbookDocument::Format::Package)
        WorkbookWriter::write(&document, &out, &written, &why);
    else if (document.sheetCount() > 0)
        DelimitedText::write(*document.sheet(0), document.delimited, &out, &why);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    for (const char *name : {"fuzz.xlsx", "fuzz.csv"}) {
        QString why;
        std::unique_ptr<WorkbookDocument> document = WorkbookDocument::fromBytes(
            QByteArray(bytes.constData(), bytes.size()), QString::fromLatin1(name), &why);
        if (document)
            exercise(*document);
    }
    return 0;
}
