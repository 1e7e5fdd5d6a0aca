#include "SheetWriter.h"

#include "CellAddress.h"
#include "SheetModel.h"
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
    Writer(const SheetModel &sheet, const QByteArray &original,
           const SheetWriter::NewFormulas &formulas, QIODevice *device)
        : m_sheet(sheet), m_original(original), m_formulas(formulas), m_device(device)
    {
        m_out.reserve(FlushSize + 65536);
    }

    bool run();

private:
    static constexpr int FlushSize = 1 << 20;

    void copy(quint32 from, quint32 to)
    {
        if (to <= from)
            return;
        flush();
        if (to - from > quint32(FlushSize)) {
            // Large unchanged stretches go straight through.
            write(m_out.constData(), m_out.size());
            m_out.resize(0);
            write(m_original.constData() + from, qint64(to - from));
            return;
        }
        m_out.append(m_original.constData() + from, int(to - from));
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
        if (m_ok && size > 0 && m_device->write(data, size) != size)
            m_ok = false;
    }
    void writeRow(const Row &row);
    void writeCell(int row, const Cell &cell);

    const SheetModel &m_sheet;
    const QByteArray &m_original;
    const SheetWriter::NewFormulas &m_formulas;
    QIODevice *m_device;
    QByteArray m_out;
    bool m_ok = true;
};

bool Writer::run()
{
    quint32 cursor = 0;
    if (m_sheet.hasDimension) {
        copy(0, m_sheet.dimensionStart);
        const CellBlock used = m_sheet.cells.usedBlock();
        m_out.append("<dimension ref=\"");
        m_out.append(CellAddress::blockName(used).toLatin1());
        m_out.append("\"/>");
        cursor = m_sheet.dimensionEnd;
    }
    const bool anyRows = !m_sheet.cells.rows().empty();
    if (m_sheet.sheetDataSelfClosing) {
        copy(cursor, m_sheet.sheetDataStart);
        m_out.append(anyRows ? "<sheetData>" : "<sheetData/>");
        cursor = m_sheet.sheetDataEnd;
    } else {
        copy(cursor, m_sheet.sheetDataContent);
        cursor = m_sheet.sheetDataContent;
    }
    for (const auto &entry : m_sheet.cells.rows()) {
        const Row &row = entry.second;
        if (row.original) {
            copy(cursor, row.start);
            if (row.changed)
                writeRow(row);
            else
                copy(row.start, row.end);
            cursor = row.end;
        } else {
            writeRow(row);
        }
    }
    if (m_sheet.sheetDataSelfClosing && anyRows)
        m_out.append("</sheetData>");
    copy(cursor, quint32(m_original.size()));
    write(m_out.constData(), m_out.size());
    return m_ok;
}

void Writer::writeRow(const Row &row)
{
    quint32 cursor = 0;
    if (!row.original) {
        m_out.append("<row r=\"");
        m_out.append(QByteArray::number(row.row));
        m_out.append("\">");
    } else if (row.selfClosing) {
        // "<row .../>" opens instead: drop the slash before '>'.
        int slash = int(row.end) - 2;
        while (slash > int(row.start) && m_original.at(slash) != '/')
            --slash;
        copy(row.start, quint32(slash));
        m_out.append('>');
    } else {
        copy(row.start, row.startTagEnd);
        cursor = row.startTagEnd;
    }
    for (const Cell &cell : row.cells) {
        if (cell.original && !row.selfClosing) {
            copy(cursor, cell.start);
            cursor = cell.end;
        }
        if (cell.changed)
            writeCell(row.row, cell);
        else
            copy(cell.start, cell.end);
    }
    if (row.original && !row.selfClosing)
        copy(cursor, row.end);
    else
        m_out.append("</row>");
}

void Writer::writeCell(int row, const Cell &cell)
{
    const QByteArray formula = m_formulas.value(qMakePair(row, cell.column));
    if (cell.type == Cell::Blank && formula.isEmpty() && cell.style == 0)
        return; // an empty cell without a style of its own is no cell at all
    m_out.append("<c r=\"");
    m_out.append(CellAddress::cellName(row, cell.column).toLatin1());
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
        return;
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
            XmlText::appendEscaped(&m_out, XmlText::encodeEscapes(m_sheet.texts.view(cell.index)));
            m_out.append("</t></is>");
            break;
        }
        Q_FALLTHROUGH();
    case Cell::Error:
        m_out.append("<v>");
        XmlText::appendEscaped(&m_out, XmlText::encodeEscapes(m_sheet.texts.view(cell.index)));
        m_out.append("</v>");
        break;
    }
    m_out.append("</c>");
    flush();
}

} // namespace

bool SheetWriter::write(const SheetModel &sheet, const QByteArray &original,
                        const NewFormulas &formulas, QIODevice *out)
{
    Writer writer(sheet, original, formulas, out);
    return writer.run();
}
