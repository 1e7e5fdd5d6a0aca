#include "xlsx/WorkbookWriter.h"

#include "model/CellAddress.h"
#include "model/WorkbookDocument.h"
#include "xlsx/FormulaShifter.h"
#include "xlsx/PackageLayout.h"
#include "xlsx/ParallelDeflater.h"
#include "xlsx/PartEditor.h"
#include "xlsx/PartEncoding.h"
#include "xlsx/SharedStringsWriter.h"
#include "xlsx/SheetSource.h"
#include "xlsx/SheetWriter.h"
#include "xlsx/WorkbookReader.h"
#include "xlsx/XmlText.h"
#include "xlsx/ZipPackage.h"

#include <QBuffer>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <algorithm>
#include <functional>
#include <memory>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace {

struct SharedFormula
{
    QString text;
    int row = 0;
    int column = 0;
};

// The formula text of a shared formula's first cell, from its original XML.
bool readSharedFormula(const QByteArray &cellXml, QString *text)
{
    QXmlStreamReader reader(cellXml);
    // The prefixes the cell uses are declared outside it.
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("f")) {
            *text = reader.readElementText();
            return !reader.hasError();
        }
    }
    return false;
}

// When the first cell of a shared formula loses its formula, the next cell
// of the group takes over the formula text, moved to its own place, and
// the group's block; otherwise the rest of the group would lose theirs.
// One walk over the cells finds the new first cell of every such group at
// once: a run that clears a whole sheet removes thousands of them.
void reanchorSharedFormulas(SheetModel *sheet, const QByteArray &original,
                            SheetWriter::NewFormulas *formulas)
{
    struct Group
    {
        const SheetModel::RemovedFormula *removed = nullptr;
        Cell *anchor = nullptr;
        int anchorRow = 0;
        CellBlock block;
    };
    QHash<int, Group> groups;
    QVector<int> order;
    for (const SheetModel::RemovedFormula &removed : qAsConst(sheet->removedFormulas)) {
        if (removed.kind != Cell::SharedMaster || removed.end <= removed.start ||
            groups.contains(removed.sharedIndex))
            continue;
        groups[removed.sharedIndex].removed = &removed;
        order.append(removed.sharedIndex);
    }
    if (groups.isEmpty())
        return;
    for (auto &entry : sheet->cells.rows()) {
        for (Cell &cell : entry.second.cells) {
            if (cell.formula != Cell::SharedChild)
                continue;
            auto it = groups.find(cell.sharedIndex);
            if (it == groups.end())
                continue;
            Group &group = it.value();
            if (!group.anchor) {
                group.anchor = &cell;
                group.anchorRow = entry.first;
                group.block = {entry.first, cell.column, entry.first, cell.column};
            }
            group.block.top = qMin(group.block.top, entry.first);
            group.block.bottom = qMax(group.block.bottom, entry.first);
            group.block.left = qMin(group.block.left, cell.column);
            group.block.right = qMax(group.block.right, cell.column);
        }
    }
    for (int sharedIndex : qAsConst(order)) {
        const Group &group = groups.value(sharedIndex);
        const SheetModel::RemovedFormula &removed = *group.removed;
        QString text;
        if (!group.anchor ||
            !readSharedFormula(original.mid(int(removed.start), int(removed.end - removed.start)),
                               &text))
            continue;
        const QString moved = FormulaShifter::shift(text, group.anchorRow - removed.row,
                                                    group.anchor->column - removed.column);
        SheetWriter::NewFormula formula;
        formula.attributes = " t=\"shared\" ref=\"" +
                             CellAddress::blockName(group.block).toLatin1() + "\" si=\"" +
                             QByteArray::number(removed.sharedIndex) + '"';
        XmlText::appendEscaped(&formula.text, moved);
        formulas->insert(qMakePair(group.anchorRow, group.anchor->column), formula);
        group.anchor->formula = Cell::SharedMaster;
        group.anchor->changed = true;
        sheet->cells.rows()[group.anchorRow].changed = true;
    }
}

bool storedAsUtf16(const ZipPackage &package, int index)
{
    char head[2] = {};
    const bool read = package.openEntry(index) && package.readEntry(head, 2) == 2;
    package.closeEntry();
    return read && PartEncoding::isUtf16(QByteArray(head, 2));
}

// Writes an entry anew, with what `produce` writes into it.
bool writeEntry(QuaZip *zip, const ZipPackage::Entry &entry,
                const std::function<bool(QIODevice *)> &produce)
{
    QuaZipNewInfo info(entry.info);
    QuaZipFile file(zip);
    if (!file.open(QIODevice::WriteOnly, info, nullptr, 0, Z_DEFLATED, Z_DEFAULT_COMPRESSION))
        return false;
    const bool written = produce(&file);
    file.close();
    return written && file.getZipError() == ZIP_OK;
}

// Writes an entry from bytes already compressed (or stored) as they are.
bool writeStored(QuaZip *zip, const QuaZipFileInfo64 &original, const QByteArray &stored,
                 quint32 crc, quint64 size, int method, int level)
{
    QuaZipNewInfo info(original);
    info.uncompressedSize = ulong(size);
    QuaZipFile file(zip);
    if (!file.open(QIODevice::WriteOnly, info, nullptr, crc, method, level, true))
        return false;
    const bool written = file.write(stored) == stored.size();
    file.close();
    return written && file.getZipError() == ZIP_OK;
}

// The original of a part a save rewrites, read as the writing goes: inflated
// from the package, or the UTF-8 text of a part stored as UTF-16, held.
class OriginalPart
{
public:
    OriginalPart(const ZipPackage &package, int index, const QByteArray *text)
    {
        if (text)
            m_held = std::make_unique<BytesSource>(*text);
        else
            m_streamed = std::make_unique<EntrySource>(package, index);
    }
    SheetSource *source()
    {
        return m_held ? static_cast<SheetSource *>(m_held.get()) : m_streamed.get();
    }
    // Reading the rest checks the original entry's checksum too.
    bool finish() { return !m_streamed || m_streamed->finish(); }

private:
    std::unique_ptr<EntrySource> m_streamed;
    std::unique_ptr<BytesSource> m_held;
};

bool writeSheet(QuaZip *zip, const ZipPackage &package, int index, SheetModel *sheet,
                SheetLayout *layout, QString *why)
{
    SheetWriter::NewFormulas formulas;
    const bool lostFirstCells = std::any_of(
        sheet->removedFormulas.cbegin(), sheet->removedFormulas.cend(),
        [](const SheetModel::RemovedFormula &f) { return f.kind == Cell::SharedMaster; });
    // Rare: the shared formulas' texts are read from the whole part, and a
    // part stored as UTF-16 is written from the UTF-8 text it was read as.
    const bool utf16 = storedAsUtf16(package, index);
    QByteArray original;
    if ((lostFirstCells || utf16) && !WorkbookReader::inflateText(package, index, &original, why))
        return false;
    if (lostFirstCells)
        reanchorSharedFormulas(sheet, original, &formulas);
    // A large sheet is the one slow part of a save: it is deflated on
    // several threads while it is written, then stored as it came out.
    OriginalPart part(package, index, utf16 ? &original : nullptr);
    ParallelDeflater deflated(Z_DEFAULT_COMPRESSION);
    const bool ok =
        SheetWriter::write(*sheet, part.source(), formulas, &deflated, layout) &&
        deflated.finish() &&
        writeStored(zip, package.entries().at(index).info, deflated.compressed(), deflated.crc(),
                    quint64(deflated.uncompressedSize()), Z_DEFLATED, Z_DEFAULT_COMPRESSION);
    if (!part.finish() || !ok) {
        *why = QStringLiteral("cannot write ") + sheet->partName;
        return false;
    }
    return true;
}

// The shared strings with the ones a Replace rewrote, read and deflated as
// a large sheet is.
bool writeSharedStrings(QuaZip *zip, const PackageLayout &layout, int index,
                        const WorkbookDocument &document, QVector<StringItemCut> *cuts,
                        QString *why)
{
    const ZipPackage &package = *layout.package;
    const bool utf16 = storedAsUtf16(package, index);
    QByteArray original;
    if (utf16 && !WorkbookReader::inflateText(package, index, &original, why))
        return false;
    OriginalPart part(package, index, utf16 ? &original : nullptr);
    ParallelDeflater deflated(Z_DEFAULT_COMPRESSION);
    const bool ok =
        SharedStringsWriter::write(part.source(), document,
                                   utf16 ? QVector<StringItemCut>() : layout.sharedStringsCuts,
                                   &deflated, cuts) &&
        deflated.finish() &&
        writeStored(zip, package.entries().at(index).info, deflated.compressed(), deflated.crc(),
                    quint64(deflated.uncompressedSize()), Z_DEFLATED, Z_DEFAULT_COMPRESSION);
    return part.finish() && ok;
}

bool copyEntry(QuaZip *zip, const ZipPackage &package, int index)
{
    const ZipPackage::Entry &entry = package.entries().at(index);
    QByteArray stored;
    int method = 0, level = 0;
    if (!package.raw(index, &stored, &method, &level))
        return false;
    return writeStored(zip, entry.info, stored, entry.info.crc, entry.info.uncompressedSize, method,
                       level);
}

} // namespace

bool WorkbookWriter::write(WorkbookDocument *document, const PackageLayout &layout, QByteArray *out,
                           Written *written, QString *why)
{
    const ZipPackage &package = *layout.package;
    QHash<QString, QByteArray> replaced;
    QHash<QString, SheetModel *> changedSheets;
    QSet<QString> dropped;
    QSet<QString> chainCells;

    for (SheetModel *sheet : qAsConst(document->sheets)) {
        if (!sheet->changed || sheet->kind != SheetModel::Worksheet)
            continue;
        if (package.indexOf(sheet->partName) < 0) {
            *why = QStringLiteral("sheet part gone: ") + sheet->partName;
            return false;
        }
        changedSheets.insert(sheet->partName, sheet);
        for (const SheetModel::RemovedFormula &removed : qAsConst(sheet->removedFormulas))
            chainCells.insert(QString::number(sheet->sheetId) + QLatin1Char('!') +
                              CellAddress::cellName(removed.row, removed.column));
    }

    if (document->hasRewrittenStrings() && package.indexOf(layout.sharedStringsPart) < 0) {
        *why = QStringLiteral("shared strings part gone");
        return false;
    }

    if (!chainCells.isEmpty() && !layout.calcChainPart.isEmpty()) {
        const int index = package.indexOf(layout.calcChainPart);
        QByteArray chain, edited;
        bool empty = false;
        if (index < 0 || !WorkbookReader::inflateText(package, index, &chain, why) ||
            !PartEditor::removeChainEntries(chain, chainCells, &edited, &empty)) {
            *why = QStringLiteral("cannot edit the calculation chain");
            return false;
        }
        if (!empty) {
            replaced.insert(layout.calcChainPart, edited);
        } else {
            // A chain without entries is not allowed: the part goes, and so
            // do the relationship and the content type that name it.
            dropped.insert(layout.calcChainPart);
            written->chainRemoved = true;
            const QString partName = QLatin1Char('/') + layout.calcChainPart;
            QByteArray rels, types;
            const int relsIndex = package.indexOf(layout.workbookRelsPart);
            const int typesIndex = package.indexOf(layout.contentTypesPart);
            if (relsIndex < 0 || typesIndex < 0 ||
                !WorkbookReader::inflateText(package, relsIndex, &rels, why) ||
                !WorkbookReader::inflateText(package, typesIndex, &types, why))
                return false;
            QByteArray newRels, newTypes;
            const bool ok =
                PartEditor::removeElements(
                    rels,
                    [](const QXmlStreamAttributes &a) {
                        return a.value(QLatin1String("Type")).endsWith(QLatin1String("/calcChain"));
                    },
                    &newRels) &&
                PartEditor::removeElements(
                    types,
                    [&partName](const QXmlStreamAttributes &a) {
                        return a.value(QLatin1String("PartName"))
                                   .compare(partName, Qt::CaseInsensitive) == 0;
                    },
                    &newTypes);
            if (!ok) {
                *why = QStringLiteral("cannot remove the calculation chain");
                return false;
            }
            replaced.insert(package.entries().at(relsIndex).name, newRels);
            replaced.insert(package.entries().at(typesIndex).name, newTypes);
        }
    }

    out->clear();
    QBuffer buffer(out);
    QuaZip zip(&buffer);
    zip.setDataDescriptorWritingEnabled(false);
    if (!zip.open(QuaZip::mdCreate)) {
        *why = QStringLiteral("cannot start the package");
        return false;
    }
    zip.setComment(package.comment());
    const QVector<ZipPackage::Entry> &entries = package.entries();
    for (int i = 0; i < entries.size(); ++i) {
        const ZipPackage::Entry &entry = entries.at(i);
        if (dropped.contains(entry.name))
            continue;
        auto it = replaced.constFind(entry.name);
        bool ok = false;
        if (document->hasRewrittenStrings() && entry.name == layout.sharedStringsPart) {
            written->stringsWritten = true;
            ok = writeSharedStrings(&zip, layout, i, *document, &written->stringsCuts, why);
        } else if (changedSheets.contains(entry.name))
            ok = writeSheet(&zip, package, i, changedSheets.value(entry.name),
                            &written->layouts[changedSheets.value(entry.name)], why);
        else if (it != replaced.constEnd())
            ok = writeEntry(&zip, entry, [&it](QIODevice *out) {
                return out->write(it.value()) == it.value().size();
            });
        else
            ok = copyEntry(&zip, package, i);
        if (!ok) {
            *why = QStringLiteral("cannot write ") + entry.name;
            zip.close();
            return false;
        }
    }
    zip.close();
    if (zip.getZipError() != ZIP_OK) {
        *why = QStringLiteral("cannot finish the package");
        return false;
    }
    return true;
}
