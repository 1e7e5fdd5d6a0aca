#include "xlsx/SheetWriter.h"

#include "model/CellAddress.h"
#include "model/SheetModel.h"
#include "xlsx/SheetLayout.h"
#include "xlsx/SheetSource.h"
#include "xlsx/XmlStartTag.h"
#include "xlsx/XmlText.h"

#include <QIODevice>
#include <QLocale>

namespace {

QByteArray numberText(double value)
{
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

// The tags of cells written into a row, named with the row's prefix.
struct CellTags
{
    explicit CellTags(const QByteArray &prefix = QByteArray())
        : prefix(prefix)
        , cell('<' + prefix + "c r=\"")
        , cellEnd("</" + prefix + "c>")
        , value('<' + prefix + "v>")
        , valueEnd("</" + prefix + "v>")
        , inlineText('<' + prefix + "is><" + prefix + "t xml:space=\"preserve\">")
        , inlineTextEnd("</" + prefix + "t></" + prefix + "is>")
        , formula('<' + prefix + 'f')
        , formulaEnd("</" + prefix + "f>")
    {
    }
    QByteArray prefix, cell, cellEnd, value, valueEnd, inlineText, inlineTextEnd, formula,
        formulaEnd;
};

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
    // The start tag of the original at [from, to).
    XmlStartTag tagAt(quint32 from, quint32 to);
    void openInstead(quint32 start, const XmlStartTag &tag);
    void appendEndTag(const QByteArray &name);
    void writeDimension();
    void writeRow(const Row &row);
    bool writeCell(int row, const Cell &cell);
    void keepCell(int row, const Cell &cell);
    void appendText(int index);
    void keepRow(const Row &row);

    const SheetModel &m_sheet;
    SheetSource *m_original;
    const SheetWriter::NewFormulas &m_formulas;
    QIODevice *m_device;
    SheetLayout *m_layout;
    QByteArray m_out;
    QByteArray m_tablePrefix; // of the cells table: for new rows
    CellTags m_tags;          // of the row being written
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
        writeDimension();
        layout.dimensionEnd = position();
        cursor = m_sheet.dimensionEnd;
    }
    const bool anyRows = !m_sheet.cells.rows().empty();
    copy(cursor, m_sheet.sheetDataStart);
    layout.sheetDataStart = position();
    const XmlStartTag table = tagAt(m_sheet.sheetDataStart, m_sheet.sheetDataContent);
    const QByteArray tableName = table.name();
    m_tablePrefix = table.prefix();
    if (m_sheet.sheetDataSelfClosing && anyRows)
        openInstead(m_sheet.sheetDataStart, table);
    else
        copy(m_sheet.sheetDataStart, m_sheet.sheetDataContent);
    layout.sheetDataContent = position();
    layout.sheetDataSelfClosing = m_sheet.sheetDataSelfClosing && !anyRows;
    cursor = m_sheet.sheetDataContent;
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
    if (layout.sheetDataSelfClosing) {
        layout.sheetDataClose = layout.sheetDataStart;
        layout.sheetDataEnd = layout.sheetDataContent;
    } else if (m_sheet.sheetDataSelfClosing) {
        layout.sheetDataClose = position();
        appendEndTag(tableName);
        layout.sheetDataEnd = position();
    } else {
        copy(cursor, m_sheet.sheetDataClose);
        layout.sheetDataClose = position();
        copy(m_sheet.sheetDataClose, m_sheet.sheetDataEnd);
        layout.sheetDataEnd = position();
    }
    copy(m_sheet.sheetDataEnd, m_original->size());
    write(m_out.constData(), m_out.size());
    m_out.resize(0);
    return m_ok && m_flushed < qint64(0xFFFFFFF0u);
}

XmlStartTag Writer::tagAt(quint32 from, quint32 to)
{
    const char *bytes = source(from, to);
    return bytes ? XmlStartTag(bytes, int(to - from)) : XmlStartTag("<>", 2);
}

void Writer::openInstead(quint32 start, const XmlStartTag &tag)
{
    // "<name .../>" opens instead: the slash before '>' goes.
    copy(start, start + quint32(tag.tagEnd()));
    m_out.append('>');
}

void Writer::appendEndTag(const QByteArray &name)
{
    m_out.append("</");
    m_out.append(name);
    m_out.append('>');
}

void Writer::writeDimension()
{
    const quint32 start = m_sheet.dimensionStart;
    const XmlStartTag tag = tagAt(start, m_sheet.dimensionEnd);
    int from = tag.nameEnd(), to = tag.nameEnd();
    const bool hasRef = tag.findAttribute("ref", &from, &to);
    copy(start, start + quint32(from));
    if (!hasRef)
        m_out.append(" ref=\"");
    m_out.append(CellAddress::blockName(m_sheet.cells.usedBlock()).toLatin1());
    if (!hasRef)
        m_out.append('"');
    copy(start + quint32(to), m_sheet.dimensionEnd);
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
    QByteArray name;
    if (!row.original) {
        name = m_tablePrefix + "row";
        m_out.append('<');
        m_out.append(name);
        m_out.append(" r=\"");
        m_out.append(QByteArray::number(row.row));
        m_out.append("\">");
    } else {
        const XmlStartTag tag = tagAt(row.start, row.startTagEnd);
        name = tag.name();
        if (row.selfClosing) {
            openInstead(row.start, tag);
        } else {
            copy(row.start, row.startTagEnd);
            cursor = row.startTagEnd;
        }
    }
    const QByteArray prefix = name.left(name.indexOf(':') + 1);
    if (prefix != m_tags.prefix)
        m_tags = CellTags(prefix);
    place.startTagEnd = position();
    int lastColumn = 0; // of the cells written so far
    for (const Cell &cell : row.cells) {
        if (cell.original && !row.selfClosing) {
            copy(cursor, cell.start);
            cursor = cell.end;
        }
        SheetLayout::Place at;
        at.start = position();
        if (cell.changed)
            at.dropped = !writeCell(row.row, cell);
        else if (cell.column != lastColumn + 1)
            keepCell(row.row, cell);
        else
            copy(cell.start, cell.end);
        at.end = position();
        if (!at.dropped)
            lastColumn = cell.column;
        m_layout->cells.append(at);
    }
    if (row.original && !row.selfClosing)
        copy(cursor, row.end);
    else
        appendEndTag(name);
    place.end = position();
    m_layout->rows.append(place);
}

void Writer::keepCell(int row, const Cell &cell)
{
    const XmlStartTag tag = tagAt(cell.start, cell.end);
    if (tag.findAttribute("r")) {
        copy(cell.start, cell.end);
        return;
    }
    // Without its reference a cell takes the column after the cell before
    // it, and that one is gone.
    const quint32 nameEnd = cell.start + quint32(tag.nameEnd());
    copy(cell.start, nameEnd);
    m_out.append(" r=\"");
    CellAddress::appendCellName(&m_out, row, cell.column);
    m_out.append('"');
    copy(nameEnd, cell.end);
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
    const SheetWriter::NewFormula *formula = nullptr;
    if (!m_formulas.isEmpty()) {
        const auto it = m_formulas.constFind(qMakePair(row, cell.column));
        formula = it == m_formulas.constEnd() ? nullptr : &it.value();
    }
    if (cell.type == Cell::Blank && !formula && cell.style == 0)
        return false; // an empty cell without a style of its own is no cell at all
    m_out.append(m_tags.cell);
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
        type = formula ? "str" : "inlineStr";
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
    if (cell.type == Cell::Blank && !formula) {
        m_out.append("/>");
        flush();
        return true;
    }
    m_out.append('>');
    if (formula) {
        m_out.append(m_tags.formula);
        m_out.append(formula->attributes);
        m_out.append('>');
        m_out.append(formula->text);
        m_out.append(m_tags.formulaEnd);
    }
    switch (cell.type) {
    case Cell::Blank:
        break;
    case Cell::Number:
    case Cell::Boolean:
        m_out.append(m_tags.value);
        m_out.append(numberText(cell.number));
        m_out.append(m_tags.valueEnd);
        break;
    case Cell::SharedString:
        m_out.append(m_tags.value);
        m_out.append(QByteArray::number(cell.index));
        m_out.append(m_tags.valueEnd);
        break;
    case Cell::Text:
        if (!formula) {
            m_out.append(m_tags.inlineText);
            appendText(cell.index);
            m_out.append(m_tags.inlineTextEnd);
            break;
        }
        Q_FALLTHROUGH();
    case Cell::Error:
        m_out.append(m_tags.value);
        appendText(cell.index);
        m_out.append(m_tags.valueEnd);
        break;
    }
    m_out.append(m_tags.cellEnd);
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
