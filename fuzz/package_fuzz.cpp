// Feeds arbitrary bytes to the workbook reader as a package and as
// delimited text, then walks, edits and writes whatever it accepts. Any
// crash, hang, leak or undefined behaviour is a bug: bad input must only
// ever be refused. Bytes that are no zip are also read as a sheet part and
// as a shared-string table, in pieces and in one pass, which must agree;
// the sheet part also with its rows scanned and with the XML reader alone.
// Compound files go through the Excel 97-2003 reader and writer: the
// container, then the records of their workbook stream.
#include "files/WorkbookFile.h"
#include "model/CellEditor.h"
#include "model/WorkbookDocument.h"
#include "xlsx/SharedStringsReader.h"
#include "xlsx/SheetReader.h"
#include "xlsx/ZipPackage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void exercise(WorkbookFile &file)
{
    WorkbookDocument &document = file.document();
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
    file.write(&out, &why);
}

// What a read left in a sheet, folded into one number.
quint64 fingerprint(const SheetModel &sheet)
{
    quint64 h = 1469598103934665603ull;
    auto mix = [&h](quint64 v) { h = (h ^ v) * 1099511628211ull; };
    for (quint64 v : {quint64(sheet.hasDimension), quint64(sheet.dimensionStart),
                      quint64(sheet.dimensionEnd), quint64(sheet.sheetDataSelfClosing),
                      quint64(sheet.sheetDataStart), quint64(sheet.sheetDataContent),
                      quint64(sheet.sheetDataClose), quint64(sheet.sheetDataEnd),
                      quint64(sheet.maxSharedIndex), quint64(sheet.cells.cellCount())})
        mix(v);
    for (const auto &entry : sheet.cells.rows()) {
        const Row &row = entry.second;
        for (quint64 v : {quint64(entry.first), quint64(row.start), quint64(row.startTagEnd),
                          quint64(row.end), quint64(row.selfClosing)})
            mix(v);
        for (const Cell &cell : row.cells) {
            for (quint64 v : {quint64(cell.column), quint64(cell.type), quint64(cell.formula),
                              quint64(cell.sharedIndex), quint64(cell.style), quint64(cell.start),
                              quint64(cell.end)})
                mix(v);
            if (cell.type == Cell::Text || cell.type == Cell::Error)
                mix(qHash(sheet.texts.at(cell.index)));
            else if (cell.type != Cell::Blank)
                mix(qHash(cell.number));
        }
    }
    return h;
}

// The same bytes read as one part in pieces and in one pass, and with
// and without the scanner: all must agree on everything, refusals included.
void comparePieces(const QByteArray &bytes)
{
    QString why, onceWhy, plainWhy;
    SheetModel once, cut, plain;
    const bool sheetOnce = SheetReader::read(bytes, &once, &onceWhy, 1);
    const bool sheetCut = SheetReader::read(bytes, &cut, &why, 3);
    if (sheetOnce != sheetCut || (sheetOnce && fingerprint(once) != fingerprint(cut)))
        abort();
    const bool sheetPlain = SheetReader::read(bytes, &plain, &plainWhy, 1, nullptr, false);
    if (sheetPlain != sheetOnce || (!sheetPlain && plainWhy != onceWhy) ||
        (sheetPlain && fingerprint(plain) != fingerprint(once)))
        abort();
    TextPool stringsOnce, stringsCut;
    const bool poolOnce = SharedStringsReader::read(bytes, &stringsOnce, &why, 1);
    const bool poolCut = SharedStringsReader::read(bytes, &stringsCut, &why, 3);
    if (poolOnce != poolCut || (poolOnce && stringsOnce.size() != stringsCut.size()))
        abort();
    for (int i = 0; poolOnce && i < stringsOnce.size(); ++i) {
        if (stringsOnce.at(i) != stringsCut.at(i))
            abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    if (!ZipPackage::looksLikeZip(bytes))
        comparePieces(QByteArray(bytes.constData(), bytes.size()));
    for (const char *name : {"fuzz.xlsx", "fuzz.csv"}) {
        QString why;
        std::unique_ptr<WorkbookFile> file = WorkbookFile::fromBytes(
            QByteArray(bytes.constData(), bytes.size()), QString::fromLatin1(name), &why);
        if (file)
            exercise(*file);
    }
    return 0;
}
