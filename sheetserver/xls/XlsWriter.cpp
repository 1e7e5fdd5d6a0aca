#include "xls/XlsWriter.h"

#include "model/WorkbookDocument.h"
#include "xls/SstWriter.h"
#include "xls/XlsLayout.h"
#include "xls/XlsSheetWriter.h"
#include "xls/XlsStringTable.h"

#include <QBuffer>
#include <QHash>
#include <QtEndian>
#include <algorithm>
#include <memory>
#include <numeric>

namespace {

// Where a piece of the old stream lies in the new one.
struct Segment
{
    quint32 oldStart, oldEnd, newStart;
};

quint32 sharedStringCells(const SheetModel &sheet)
{
    quint32 count = 0;
    for (const auto &row : sheet.cells.rows()) {
        for (const Cell &cell : row.second.cells)
            count += cell.type == Cell::SharedString ? 1 : 0;
    }
    return count;
}

// Sets the string of every LABELSST record of a sheet copied as it was to
// the string's new place in the table.
void renumber(const SheetModel &sheet, quint32 start, const XlsStringTable &strings,
              QByteArray *body)
{
    char *data = body->data();
    for (const auto &row : sheet.cells.rows()) {
        for (const Cell &cell : row.second.cells) {
            if (cell.type == Cell::SharedString && cell.original)
                qToLittleEndian<quint32>(strings.keptIndex(cell.index),
                                         data + cell.start - start + 10);
        }
    }
}

class BookWriter
{
public:
    BookWriter(const WorkbookDocument &document, const XlsLayout &layout, QString *why)
        : m_document(document), m_layout(layout), m_why(why), m_strings(document, layout)
    {
    }
    bool write(CompoundFile::Pieces *stream);

private:
    bool fail(const QString &reason)
    {
        *m_why = reason;
        return false;
    }
    bool writeSheets();
    bool writeGlobals(QByteArray *out);
    bool writeSharedStrings(const BiffRecord &record, BiffRecordReader &reader, QByteArray *out);
    void addText(const TextPool &pool, int index);
    bool addTexts();
    bool placeSheets(QByteArray *globals, CompoundFile::Pieces *out);

    const WorkbookDocument &m_document;
    const XlsLayout &m_layout;
    QString *m_why;
    XlsStringTable m_strings;
    quint32 m_references = 0;
    QVector<QByteArray> m_bodies;
    QVector<bool> m_rewritten;
    QVector<bool> m_asItWas; // left in the old stream: no body made
    std::unique_ptr<SstWriter> m_sst;
    QVector<QPair<int, quint32>> m_sheetPositions; // BOUNDSHEET8 field, old value
};

bool BookWriter::write(CompoundFile::Pieces *stream)
{
    stream->clear();
    QByteArray globals;
    globals.reserve(int(m_layout.globalsEnd + m_layout.globalsEnd / 8));
    if (!writeSheets() || !writeGlobals(&globals) || !placeSheets(&globals, stream))
        return false;
    qint64 size = 0;
    for (const QByteArray &piece : qAsConst(*stream))
        size += piece.size();
    if (size < 4096)
        stream->append(QByteArray(int(4096 - size), '\0'));
    return true;
}

bool BookWriter::writeSheets()
{
    const QByteArray &stream = m_layout.stream;
    for (int i = 0; i < m_layout.sheets.size(); ++i) {
        const SheetModel &sheet = *m_document.sheets.at(i);
        const XlsLayout::Sheet &place = m_layout.sheets.at(i);
        QByteArray body;
        // A sheet with superseded records is written anew, each cell once,
        // when the strings move: the records copied would keep old places.
        const bool rewrite = sheet.kind == SheetModel::Worksheet &&
                             (sheet.changed || (place.superseded && m_strings.renumbers()));
        if (rewrite) {
            XlsSheetWriter writer(stream, place.start, place.end, sheet, m_layout.defaultCellStyle,
                                  &m_strings, place.superseded);
            if (!writer.write(&body, m_why))
                return false;
            m_references += writer.sharedStringCells();
        } else {
            m_references += sharedStringCells(sheet);
            if (m_strings.renumbers()) {
                body = stream.mid(int(place.start), int(place.end - place.start));
                renumber(sheet, place.start, m_strings, &body);
            }
        }
        m_bodies.append(body);
        m_rewritten.append(rewrite);
        m_asItWas.append(!rewrite && !m_strings.renumbers());
    }
    return true;
}

bool BookWriter::writeGlobals(QByteArray *out)
{
    const QByteArray &stream = m_layout.stream;
    BiffRecordReader reader(stream, 0);
    BiffRecord record;
    while (reader.position() < m_layout.globalsEnd && reader.next(&record)) {
        switch (record.type) {
        case Biff::Sst:
            if (!writeSharedStrings(record, reader, out))
                return false;
            continue;
        case Biff::ExtSst:
            if (m_sst) {
                out->append(m_sst->extSst());
                continue;
            }
            break;
        case Biff::Eof:
            if (!m_sst && !m_strings.added().isEmpty()) {
                // The first texts of a workbook that had none.
                m_sst = std::make_unique<SstWriter>(out, quint32(out->size()), m_references,
                                                    quint32(m_strings.added().size()));
                if (!addTexts())
                    return false;
                out->append(m_sst->extSst());
            }
            break;
        case Biff::BoundSheet:
            if (record.length >= 4)
                m_sheetPositions.append({out->size() + 4, Biff::u32(record.data)});
            break;
        }
        out->append(stream.constData() + record.offset, 4 + record.length);
    }
    return true;
}

bool BookWriter::writeSharedStrings(const BiffRecord &record, BiffRecordReader &reader,
                                    QByteArray *out)
{
    BiffContinuedData data = BiffContinuedData::following(record, reader);
    data.u32();
    const quint32 unique = data.u32();
    m_sst = std::make_unique<SstWriter>(out, quint32(out->size()), m_references,
                                        m_strings.keptCount() + quint32(m_strings.added().size()));
    BiffContinuedData::RichString string;
    for (quint32 i = 0; i < unique && int(i) < m_document.sharedStrings.size(); ++i) {
        // A string no cell uses any more is only moved past, and so is the
        // old text of one a Replace rewrote.
        const bool keep = m_strings.keeps(int(i));
        const bool rewritten = keep && m_document.isRewritten(int(i));
        if (!data.richString(&string, keep && !rewritten))
            return fail(QStringLiteral("damaged shared-string table"));
        if (rewritten)
            addText(m_document.sharedStrings, int(i));
        else if (keep)
            m_sst->add(string);
    }
    return addTexts();
}

void BookWriter::addText(const TextPool &pool, int index)
{
    int length = 0;
    const char *bytes = pool.bytes(index, &length);
    if (std::all_of(bytes, bytes + length, [](char c) { return uchar(c) < 0x80; }))
        m_sst->addAscii(bytes, length);
    else
        m_sst->add(pool.at(index));
}

bool BookWriter::addTexts()
{
    for (const XlsStringTable::Added &added : m_strings.added())
        addText(*added.pool, added.index);
    m_sst->finish();
    return true;
}

bool BookWriter::placeSheets(QByteArray *globals, CompoundFile::Pieces *out)
{
    const QByteArray &stream = m_layout.stream;
    QVector<int> order(m_layout.sheets.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        return m_layout.sheets.at(a).start < m_layout.sheets.at(b).start;
    });
    out->append(QByteArray()); // the globals, once their positions are set
    quint32 size = quint32(globals->size());
    // What stays as it was is written from the old stream.
    auto asItWas = [&](quint32 from, quint32 to) {
        if (to > from) {
            out->append(QByteArray::fromRawData(stream.constData() + from, int(to - from)));
            size += to - from;
        }
    };
    QVector<Segment> segments;
    quint32 cursor = m_layout.globalsEnd;
    auto copyUpTo = [&](quint32 end) {
        if (end > cursor)
            segments.append({cursor, end, size});
        asItWas(cursor, end);
    };
    for (int i : qAsConst(order)) {
        const XlsLayout::Sheet &place = m_layout.sheets.at(i);
        if (place.start < cursor)
            return fail(QStringLiteral("sheets overlap in the workbook stream"));
        copyUpTo(place.start);
        const quint32 start = size;
        segments.append({place.start, place.end, start});
        QByteArray &body = m_bodies[i];
        if (m_asItWas.at(i)) {
            // Only the positions in INDEX move with the sheet.
            const quint32 cut = XlsSheetWriter::indexEnd(stream, place.start);
            QByteArray head = stream.mid(int(place.start), int(cut - place.start));
            XlsSheetWriter::moveIndex(&head, qint64(start) - place.start);
            out->append(head);
            size += quint32(head.size());
            asItWas(cut, place.end);
        } else {
            XlsSheetWriter::moveIndex(&body, m_rewritten.at(i) ? qint64(start)
                                                               : qint64(start) - place.start);
            size += quint32(body.size());
            out->append(body);
            body = QByteArray(); // the pieces hold it now
        }
        cursor = place.end;
    }
    copyUpTo(quint32(stream.size()));
    for (const auto &[field, old] : qAsConst(m_sheetPositions)) {
        for (const Segment &segment : qAsConst(segments)) {
            if (old >= segment.oldStart && old < segment.oldEnd) {
                Biff::patch32(globals, field, segment.newStart + (old - segment.oldStart));
                break;
            }
        }
    }
    out->first() = *globals;
    *globals = QByteArray();
    return true;
}

} // namespace

bool XlsWriter::writeStream(const WorkbookDocument &document, const XlsLayout &layout,
                            CompoundFile::Pieces *stream, QString *why)
{
    return BookWriter(document, layout, why).write(stream);
}

bool XlsWriter::write(const WorkbookDocument &document, const XlsLayout &layout, QByteArray *file,
                      QString *why)
{
    CompoundFile::Pieces stream;
    if (!writeStream(document, layout, &stream, why))
        return false;
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!layout.container.replaceStream(layout.workbookEntry, stream, &buffer, why))
        return false;
    buffer.close();
    *file = out;
    return true;
}
