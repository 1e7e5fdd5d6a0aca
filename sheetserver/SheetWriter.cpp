#include "SheetWriter.h"

#include "CellAddress.h"
#include "SheetLayout.h"
#include "SheetModel.h"
#include "SheetSource.h"
#include "XmlText.h"

#include <QIODevice>
#include <QLocale>

namespace {

QByteArray numberText(double value)
{
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

class Writer
{
public:
    Writer(const SheetModel &sheet, SheetSource *original, const SheetWriter::NewFormulas &formulas,
           QIODevice *device, SheetLayout *layout)
        : m_sheet(sheet)
        , m_original(original)
        , m_formulas(formulas)
        , m_device(device)
        , m_layout(layout)
    {
        m_out.reserve(FlushSize + 65536);
    }

    bool run();

private:
    static constexpr int FlushSize = 1 << 20;

    // Where the next byte goes in the part being written.
    quint32 position() const { return quint32(m_flushed + m_out.size()); }

    void copy(quint32 from, quint32 to)
    {
        if (to <= from)
            return;
        if (to - from > quint32(FlushSize)) {
            // Large unchanged stretches go straight through, a piece at a time.
            write(m_out.constData(), m_out.size());
            m_out.resize(0);
            for (quint32 at = from; at < to; at += quint32(FlushSize)) {
                const quint32 end = qMin(to, at + quint32(FlushSize));
                write(source(at, end), qint64(end - at));
            }
            return;
        }
        const char *bytes = source(from, to);
        if (bytes)
            m_out.append(bytes, int(to - from));
        flush();
    }
    const char *source(quint32 from, quint32 to)
    {
        const char *bytes = m_original->data(from, to);
        if (!bytes)
            m_ok = false;
        return bytes;
    }
    void flush()
    {
        if (m_out.size() < FlushSize)
            return;
        write(m_out.constData(), m_out.size());
        m_out.resize(0);
    }
    void write(const char *data, qint64 size)
    {
        if (size <= 0)
            return;
        if (m_ok && (!data || m_device->write(data, size) != size))
            m_ok = false;
        m_flushed += size;
    }
    void writeRow(const Row &row);
    bool writeCell(int row, const Cell &cell);
    void appendText(int index);
    void keepRow(const Row &row);

    const SheetModel &m_sheet;
    SheetSource *m_original;
    const SheetWriter::NewFormulas &m_formulas;
    QIODevice *m_device;
    SheetLayout *m_layout;
    QByteArray m_out;
    qint64 m_flushed = 0;
    bool m_ok = true;
};

bool Writer::run()
{
    SheetLayout &layout = *m_layout;
    layout.rows.reserve(int(m_sheet.cells.rows().size()));
    layout.cells.reserve(int(m_sheet.cells.cellCount()));
    quint32 cursor = 0;
    layout.hasDimension = m_sheet.hasDimension;
    if (m_sheet.hasDimension) {
        copy(0, m_sheet.dimensionStart);
        layout.dimensionStart = position();
        m_out.append("<dimension ref=\"");
        m_out.append(CellAddress::blockName(m_sheet.cells.usedBlock()).toLatin1());
        m_out.append("\"/>");
        layout.dimensionEnd = position();
        cursor = m_sheet.dimensionEnd;
    }
    const bool anyRows = !m_sheet.cells.rows().empty();
    if (m_sheet.sheetDataSelfClosing) {
        copy(cursor, m_sheet.sheetDataStart);
        layout.sheetDataStart = position();
        m_out.append(anyRows ? "<sheetData>" : "<sheetData/>");
        layout.sheetDataContent = position();
        layout.sheetDataSelfClosing = !anyRows;
        cursor = m_sheet.sheetDataEnd;
    } else {
        const quint32 at = position();
        copy(cursor, m_sheet.sheetDataContent);
        layout.sheetDataStart = at + (m_sheet.sheetDataStart - cursor);
        layout.sheetDataContent = position();
        cursor = m_sheet.sheetDataContent;
    }
    for (const auto &entry : m_sheet.cells.rows()) {
        const Row &row = entry.second;
        if (row.original) {
            copy(cursor, row.start);
            if (row.changed)
                writeRow(row);
            else
                keepRow(row);
            cursor = row.end;
        } else {
            writeRow(row);
        }
    }
    if (m_sheet.sheetDataSelfClosing) {
        if (anyRows) {
            layout.sheetDataClose = position();
            m_out.append("</sheetData>");
            layout.sheetDataEnd = position();
        } else {
            layout.sheetDataClose = layout.sheetDataStart;
            layout.sheetDataEnd = layout.sheetDataContent;
        }
        copy(cursor, m_original->size());
    } else {
        const quint32 at = position();
        copy(cursor, m_original->size());
        layout.sheetDataClose = at + (m_sheet.sheetDataClose - cursor);
        layout.sheetDataEnd = at + (m_sheet.sheetDataEnd - cursor);
    }
    write(m_out.constData(), m_out.size());
    m_out.resize(0);
    return m_ok && m_flushed < qint64(0xFFFFFFF0u);
}

void Writer::keepRow(const Row &row)
{
    const quint32 start = position();
    copy(row.start, row.end);
    const quint32 shift = start - row.start; // wraps, as unsigned arithmetic may
    m_layout->rows.append({start, row.end + shift, row.startTagEnd + shift, row.selfClosing});
    for (const Cell &cell : row.cells)
        m_layout->cells.append({cell.start + shift, cell.end + shift, 0, false, false});
}

void Writer::writeRow(const Row &row)
{
    SheetLayout::Place place;
    place.start = position();
    quint32 cursor = 0;
    if (!row.original) {
        m_out.append("<row r=\"");
        m_out.append(QByteArray::number(row.row));
        m_out.append("\">");
    } else if (row.selfClosing) {
        // "<row .../>" opens instead: drop the slash before '>'.
        const char *tag = source(row.start, row.end);
        int slash = int(row.end - row.start) - 2;
        while (tag && slash > 0 && tag[slash] != '/')
            --slash;
        copy(row.start, row.start + quint32(qMax(0, slash)));
        m_out.append('>');
    } else {
        copy(row.start, row.startTagEnd);
        cursor = row.startTagEnd;
    }
    place.startTagEnd = position();
    for (const Cell &cell : row.cells) {
        if (cell.original && !row.selfClosing) {
            copy(cursor, cell.start);
            cursor = cell.end;
        }
        SheetLayout::Place at;
        at.start = position();
        if (cell.changed)
            at.dropped = !writeCell(row.row, cell);
        else
            copy(cell.start, cell.end);
        at.end = position();
        m_layout->cells.append(at);
    }
    if (row.original && !row.selfClosing)
        copy(cursor, row.end);
    else
        m_out.append("</row>");
    place.end = position();
    m_layout->rows.append(place);
}

void Writer::appendText(int index)
{
    int length = 0;
    const char *bytes = m_sheet.texts.bytes(index, &length);
    if (!XmlText::appendPlain(&m_out, bytes, length))
        XmlText::appendEscaped(&m_out, XmlText::encodeEscapes(m_sheet.texts.at(index)));
}

bool Writer::writeCell(int row, const Cell &cell)
{
    const QByteArray formula =
        m_formulas.isEmpty() ? QByteArray() : m_formulas.value(qMakePair(row, cell.column));
    if (cell.type == Cell::Blank && formula.isEmpty() && cell.style == 0)
        return false; // an empty cell without a style of its own is no cell at all
    m_out.append("<c r=\"");
    CellAddress::appendCellName(&m_out, row, cell.column);
    m_out.append('"');
    if (cell.style != 0) {
        m_out.append(" s=\"");
        m_out.append(QByteArray::number(cell.style));
        m_out.append('"');
    }
    const char *type = nullptr;
    switch (cell.type) {
    case Cell::SharedString:
        type = "s";
        break;
    case Cell::Text:
        type = formula.isEmpty() ? "inlineStr" : "str";
        break;
    case Cell::Boolean:
        type = "b";
        break;
    case Cell::Error:
        type = "e";
        break;
    default:
        break;
    }
    if (type) {
        m_out.append(" t=\"");
        m_out.append(type);
        m_out.append('"');
    }
    if (cell.type == Cell::Blank && formula.isEmpty()) {
        m_out.append("/>");
        flush();
        return true;
    }
    m_out.append('>');
    m_out.append(formula);
    switch (cell.type) {
    case Cell::Blank:
        break;
    case Cell::Number:
    case Cell::Boolean:
        m_out.append("<v>");
        m_out.append(numberText(cell.number));
        m_out.append("</v>");
        break;
    case Cell::SharedString:
        m_out.append("<v>");
        m_out.append(QByteArray::number(cell.index));
        m_out.append("</v>");
        break;
    case Cell::Text:
        if (formula.isEmpty()) {
            m_out.append("<is><t xml:space=\"preserve\">");
            appendText(cell.index);
            m_out.append("</t></is>");
            break;
        }
        Q_FALLTHROUGH();
    case Cell::Error:
        m_out.append("<v>");
        appendText(cell.index);
        m_out.append("</v>");
        break;
    }
    m_out.append("</c>");
    flush();
    return true;
}

} // namespace

bool SheetWriter::write(const SheetModel &sheet, SheetSource *original, const NewFormulas &formulas,
                        QIODevice *out, SheetLayout *layout)
{
    Writer writer(sheet, original, formulas, out, layout);
    return writer.run();
}
