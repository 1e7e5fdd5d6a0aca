#include "xls/XlsSheetWriter.h"

#include "model/SheetModel.h"
#include "xls/XlsStringTable.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

constexpr quint16 DefColWidth = 0x0055;
constexpr int RowsPerBlock = 32;

bool isTableRecord(quint16 type)
{
    switch (type) {
    case Biff::Row:
    case Biff::DbCell:
    case Biff::Number:
    case Biff::Rk:
    case Biff::MulRk:
    case Biff::MulBlank:
    case Biff::Blank:
    case Biff::BoolErr:
    case Biff::LabelSst:
    case Biff::Label:
    case Biff::RString:
    case Biff::Formula:
        return true;
    }
    return false;
}

bool isFormulaFollower(quint16 type)
{
    return type == Biff::SharedFormula || type == Biff::Array || type == Biff::Table ||
           type == Biff::String || type == Biff::Continue;
}

qint64 key(int row, int column)
{
    return (qint64(row) << 16) | column;
}

} // namespace

XlsSheetWriter::XlsSheetWriter(const QByteArray &stream, quint32 start, quint32 end,
                               const SheetModel &sheet, int defaultStyle, XlsStringTable *strings,
                               bool superseded)
    : m_stream(stream)
    , m_start(start)
    , m_end(end)
    , m_sheet(sheet)
    , m_strings(strings)
    , m_defaultStyle(defaultStyle)
    , m_superseded(superseded)
{
}

QByteArray XlsSheetWriter::record(quint32 offset) const
{
    return m_stream.mid(int(offset), 4 + Biff::u16(m_stream.constData() + offset + 2));
}

QByteArray XlsSheetWriter::group(quint32 offset) const
{
    const quint32 end =
        m_groupEnd.value(offset, offset + 4 + Biff::u16(m_stream.constData() + offset + 2));
    return m_stream.mid(int(offset), int(end - offset));
}

quint16 XlsSheetWriter::definitionAt(quint32 offset) const
{
    if (offset + 4 > quint32(m_stream.size()))
        return 0;
    const quint16 type = Biff::u16(m_stream.constData() + offset);
    if (type == Biff::Array || type == Biff::Table)
        return type;
    const bool shared = type == Biff::SharedFormula && offset + 12 <= quint32(m_stream.size()) &&
                        Biff::u16(m_stream.constData() + offset + 2) >= 8;
    return shared ? type : 0;
}

qint64 XlsSheetWriter::pointsAt(quint32 offset) const
{
    const char *d = m_stream.constData() + offset + 4;
    const quint16 length = Biff::u16(m_stream.constData() + offset + 2);
    if (length < 27 || Biff::u16(d + 20) < 5 || (d[22] != 0x01 && d[22] != 0x02))
        return -1;
    return key(Biff::u16(d + 23), Biff::u16(d + 25));
}

bool XlsSheetWriter::scan(QString *why)
{
    BiffRecordReader reader(m_stream, m_start);
    BiffRecord record;
    int depth = 0;
    bool inTable = false;
    while (reader.position() < m_end && reader.next(&record)) {
        QVector<BiffRecord> &list = inTable ? m_after : m_before;
        if (depth > 0 || record.type == Biff::Bof) {
            if (record.type == Biff::Bof && record.offset != m_start)
                ++depth;
            else if (record.type == Biff::Eof)
                --depth;
            list.append(record);
            continue;
        }
        if (record.type == Biff::Eof) {
            m_after.append(record);
            break;
        }
        if (!isTableRecord(record.type)) {
            m_hasIndex = m_hasIndex || record.type == Biff::Index;
            list.append(record);
            continue;
        }
        inTable = true;
        if (record.type == Biff::Row && record.length >= 16) {
            m_rowRecords.insert(Biff::u16(record.data), this->record(record.offset));
            m_hasRows = true;
        } else if (record.type == Biff::DbCell) {
            m_hasDbCell = true;
        } else if (record.type == Biff::Formula) {
            BiffRecord next;
            while (reader.peek(&next) && isFormulaFollower(next.type))
                reader.next(&next);
            m_groupEnd.insert(record.offset, reader.position());
        }
    }
    if (m_after.isEmpty() || m_after.last().type != Biff::Eof) {
        *why = QStringLiteral("damaged sheet records");
        return false;
    }
    if (!inTable) {
        // No cells yet: the table goes after DIMENSIONS.
        auto dimensions = std::find_if(m_before.begin(), m_before.end(), [](const BiffRecord &r) {
            return r.type == Biff::Dimensions;
        });
        if (dimensions != m_before.end()) {
            const int at = int(dimensions - m_before.begin()) + 1;
            m_after = m_before.mid(at) + m_after;
            m_before.resize(at);
        }
    }
    return true;
}

void XlsSheetWriter::findRemovedAnchors()
{
    for (const auto &entry : m_sheet.cells.rows()) {
        for (const Cell &cell : entry.second.cells) {
            if (!cell.original || !cell.changed)
                continue;
            const quint16 type = Biff::u16(m_stream.constData() + cell.start);
            if (type == Biff::MulRk || type == Biff::MulBlank)
                m_split.insert(cell.start);
            const quint16 kind = type == Biff::Formula ? definitionAt(cell.end) : 0;
            if (kind != 0)
                addAnchor(key(entry.first - 1, cell.column - 1), kind, cell.end);
        }
    }
    if (m_anchors.isEmpty())
        return;
    for (const auto &entry : m_sheet.cells.rows()) {
        for (const Cell &cell : entry.second.cells) {
            if (!cell.original || cell.changed || cell.formula == Cell::NoFormula)
                continue;
            auto anchor = m_anchors.find(pointsAt(cell.start));
            if (anchor == m_anchors.end())
                continue;
            const quint16 row = quint16(entry.first - 1), column = quint16(cell.column - 1);
            if (anchor->users++ == 0) {
                anchor->row = row;
                anchor->column = column;
            }
            anchor->top = qMin(anchor->top, row);
            anchor->bottom = qMax(anchor->bottom, row);
            anchor->left = qMin(anchor->left, column);
            anchor->right = qMax(anchor->right, column);
        }
    }
}

void XlsSheetWriter::findSupersededRecords()
{
    // A later record for a cell takes it over (Excel shows the later one):
    // a MULRK or MULBLANK that lost a cell so holds fewer cells in the model
    // than it names, and is written cell by cell.
    for (const auto &entry : m_sheet.cells.rows()) {
        const QVector<Cell> &cells = entry.second.cells;
        for (int i = 0; i < cells.size();) {
            const Cell &first = cells.at(i);
            const char *header = m_stream.constData() + first.start;
            const quint16 type = first.original ? Biff::u16(header) : 0;
            if (type != Biff::MulRk && type != Biff::MulBlank) {
                ++i;
                continue;
            }
            int run = 0;
            for (; i < cells.size() && cells.at(i).original && cells.at(i).start == first.start;
                 ++i)
                ++run;
            if (run != (Biff::u16(header + 2) - 6) / (type == Biff::MulRk ? 6 : 2))
                m_split.insert(first.start);
        }
    }
    // A FORMULA that a later record took over may still hold the shared
    // formula (or array, or table) of other cells: it goes on as when the
    // anchor is overwritten, unless the later record anchors a group itself.
    for (auto it = m_groupEnd.cbegin(); it != m_groupEnd.cend(); ++it) {
        const char *d = m_stream.constData() + it.key() + 4;
        const quint32 end = it.key() + 4 + Biff::u16(d - 2);
        const quint16 kind = definitionAt(end);
        const Cell *cell = m_sheet.cells.find(Biff::u16(d) + 1, Biff::u16(d + 2) + 1);
        if (kind == 0 || !cell || !cell->original || cell->start == it.key())
            continue;
        if (Biff::u16(m_stream.constData() + cell->start) == Biff::Formula &&
            definitionAt(cell->end) != 0)
            continue;
        addAnchor(key(Biff::u16(d), Biff::u16(d + 2)), kind, end);
    }
}

void XlsSheetWriter::addAnchor(qint64 cell, quint16 kind, quint32 definition)
{
    Anchor anchor;
    anchor.kind = kind;
    anchor.definition = record(definition);
    m_anchors.insert(cell, anchor);
}

void XlsSheetWriter::writeRecord(QByteArray *out, quint16 type, int row, int column, int style,
                                 const char *extra, int length)
{
    char head[10];
    qToLittleEndian<quint16>(type, head);
    qToLittleEndian<quint16>(quint16(6 + length), head + 2);
    qToLittleEndian<quint16>(quint16(row), head + 4);
    qToLittleEndian<quint16>(quint16(column), head + 6);
    qToLittleEndian<quint16>(quint16(style), head + 8);
    out->append(head, sizeof head);
    out->append(extra, length);
}

void XlsSheetWriter::writeValue(QByteArray *out, int row, const Cell &cell)
{
    // A cell new to the file takes the workbook's plain cell style.
    const int style = cell.original || cell.style != 0 ? cell.style : m_defaultStyle;
    char value[8] = {};
    switch (cell.type) {
    case Cell::Number:
        qToLittleEndian<double>(cell.number, value);
        writeRecord(out, Biff::Number, row - 1, cell.column - 1, style, value, 8);
        return;
    case Cell::Text:
    case Cell::SharedString:
        qToLittleEndian<quint32>(cell.type == Cell::Text
                                     ? m_strings->addedIndex(m_sheet.texts, cell.index)
                                     : m_strings->keptIndex(cell.index),
                                 value);
        writeRecord(out, Biff::LabelSst, row - 1, cell.column - 1, style, value, 4);
        ++m_labelSst;
        return;
    case Cell::Boolean:
    case Cell::Error:
        value[0] = char(cell.type == Cell::Boolean ? (cell.number != 0 ? 1 : 0)
                                                   : Biff::errorCode(m_sheet.texts.at(cell.index)));
        value[1] = char(cell.type == Cell::Error ? 1 : 0);
        writeRecord(out, Biff::BoolErr, row - 1, cell.column - 1, style, value, 2);
        return;
    case Cell::Blank:
        writeRecord(out, Biff::Blank, row - 1, cell.column - 1, style, value, 0);
        return;
    }
}

void XlsSheetWriter::writeFormula(QByteArray *out, int row, const Cell &cell)
{
    auto anchor = m_anchors.find(pointsAt(cell.start));
    if (anchor == m_anchors.end()) {
        out->append(group(cell.start));
        return;
    }
    if (anchor->kind != Biff::SharedFormula) {
        // The rest of an array or data table keeps its last values.
        writeValue(out, row, cell);
        return;
    }
    QByteArray formula = record(cell.start);
    Biff::patch16(&formula, 4 + 23, anchor->row);
    Biff::patch16(&formula, 4 + 25, anchor->column);
    out->append(formula);
    if (!anchor->placed && anchor->row == row - 1 && anchor->column == cell.column - 1) {
        QByteArray definition = anchor->definition;
        Biff::patch16(&definition, 4, anchor->top);
        Biff::patch16(&definition, 6, anchor->bottom);
        definition[8] = char(anchor->left);
        definition[9] = char(anchor->right);
        definition[11] = char(qMin(anchor->users, 255));
        out->append(definition);
        anchor->placed = true;
    }
    const QByteArray rest = group(cell.start).mid(formula.size());
    out->append(rest);
}

void XlsSheetWriter::writeCell(QByteArray *out, int row, const Cell &cell)
{
    if (cell.changed || !cell.original) {
        writeValue(out, row, cell);
        return;
    }
    const char *header = m_stream.constData() + cell.start;
    const quint16 type = Biff::u16(header);
    if (type == Biff::MulRk || type == Biff::MulBlank) {
        if (!m_split.contains(cell.start)) {
            if (m_lastMul != cell.start)
                out->append(record(cell.start));
            m_lastMul = cell.start;
            return;
        }
        const int item = cell.column - 1 - Biff::u16(header + 6);
        if (type == Biff::MulRk)
            writeRecord(out, Biff::Rk, row - 1, cell.column - 1, Biff::u16(header + 8 + 6 * item),
                        header + 10 + 6 * item, 4);
        else
            writeRecord(out, Biff::Blank, row - 1, cell.column - 1,
                        Biff::u16(header + 8 + 2 * item), nullptr, 0);
        return;
    }
    if (type == Biff::Formula) {
        writeFormula(out, row, cell);
        return;
    }
    if (type == Biff::LabelSst) {
        // Copied but for the string's place in the table, which may move.
        ++m_labelSst;
        const int at = out->size();
        out->append(m_stream.constData() + cell.start, int(cell.end - cell.start));
        Biff::patch32(out, at + 10, m_strings->keptIndex(cell.index));
        return;
    }
    out->append(m_stream.constData() + cell.start, int(cell.end - cell.start));
}

void XlsSheetWriter::writeBlock(QByteArray *out, const QVector<int> &rows,
                                QVector<quint32> *dbCells)
{
    const int firstRow = out->size();
    int firstRowEnd = -1;
    for (int row : rows) {
        const Row *cells = const_cast<SheetCells &>(m_sheet.cells).findRow(row + 1);
        QByteArray rowRecord = m_rowRecords.value(row);
        if (rowRecord.isEmpty()) {
            if (!m_hasRows)
                continue;
            QByteArray data;
            for (quint32 v : {quint32(row) | (0u << 16), 0x00FF0000u, 0u, 0x000F0100u})
                Biff::append32(&data, v);
            rowRecord = Biff::record(Biff::Row, data);
        }
        if (cells && !cells->cells.isEmpty()) {
            // The row's extent grows with cells written beyond it.
            const quint16 first = Biff::u16(rowRecord.constData() + 6);
            const quint16 last = Biff::u16(rowRecord.constData() + 8);
            const int left = cells->cells.first().column - 1;
            const int right = cells->cells.last().column;
            if (left < first || right > last || first >= last) {
                Biff::patch16(&rowRecord, 6,
                              quint16(first >= last ? left : qMin<int>(left, first)));
                Biff::patch16(&rowRecord, 8,
                              quint16(first >= last ? right : qMax<int>(right, last)));
            }
        }
        if (firstRowEnd < 0)
            firstRowEnd = out->size() + rowRecord.size();
        out->append(rowRecord);
    }
    for (int row : rows) {
        const Row *cells = const_cast<SheetCells &>(m_sheet.cells).findRow(row + 1);
        for (int i = 0; cells && i < cells->cells.size(); ++i) {
            const Cell &cell = cells->cells.at(i);
            if (cell.type == Cell::Text && (cell.changed || !cell.original))
                m_strings->prefetch(m_sheet.texts, cell.index);
        }
    }
    QVector<int> cellStarts;
    for (int row : rows) {
        cellStarts.append(out->size());
        const Row *cells = const_cast<SheetCells &>(m_sheet.cells).findRow(row + 1);
        if (!cells)
            continue;
        for (const Cell &cell : cells->cells)
            writeCell(out, row + 1, cell);
    }
    if (!m_hasDbCell || firstRowEnd < 0)
        return;
    QByteArray data;
    const int position = out->size();
    Biff::append32(&data, quint32(position - firstRow));
    for (int i = 0; i < cellStarts.size(); ++i) {
        const int from = i == 0 ? firstRowEnd : cellStarts.at(i - 1);
        Biff::append16(&data, quint16(qBound(0, cellStarts.at(i) - from, 0xFFFF)));
    }
    dbCells->append(quint32(position));
    out->append(Biff::record(Biff::DbCell, data));
}

bool XlsSheetWriter::write(QByteArray *out, QString *why)
{
    out->clear();
    if (!scan(why))
        return false;
    if (m_superseded)
        findSupersededRecords();
    findRemovedAnchors();

    QVector<int> rows; // 0-based, ascending
    int firstCellRow = -1, lastCellRow = -1, leftColumn = 256, rightColumn = 0;
    for (const auto &entry : m_sheet.cells.rows()) {
        if (entry.second.cells.isEmpty())
            continue;
        rows.append(entry.first - 1);
        if (firstCellRow < 0)
            firstCellRow = entry.first - 1;
        lastCellRow = entry.first - 1;
        leftColumn = qMin(leftColumn, entry.second.cells.first().column - 1);
        rightColumn = qMax(rightColumn, entry.second.cells.last().column);
    }
    if (lastCellRow > 0xFFFF || rightColumn > 256) {
        *why = QStringLiteral("a cell beyond IV65536, the last an Excel 97-2003 sheet holds");
        return false;
    }
    for (auto it = m_rowRecords.cbegin(); it != m_rowRecords.cend(); ++it)
        rows.append(it.key());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const int blocks = (rows.size() + RowsPerBlock - 1) / RowsPerBlock;

    int indexAt = -1, defColWidthAt = 0;
    for (const BiffRecord &record : qAsConst(m_before)) {
        QByteArray bytes = this->record(record.offset);
        if (record.type == Biff::Index && indexAt < 0) {
            indexAt = out->size();
            bytes = Biff::record(Biff::Index, QByteArray(16 + 4 * blocks, '\0'));
        } else if (record.type == DefColWidth) {
            defColWidthAt = out->size();
        } else if (record.type == Biff::Dimensions && record.length >= 12 && firstCellRow >= 0) {
            const char *d = record.data;
            Biff::patch32(&bytes, 4, qMin<quint32>(Biff::u32(d), quint32(firstCellRow)));
            Biff::patch32(&bytes, 8, qMax<quint32>(Biff::u32(d + 4), quint32(lastCellRow + 1)));
            Biff::patch16(&bytes, 12, qMin<quint16>(Biff::u16(d + 8), quint16(leftColumn)));
            Biff::patch16(&bytes, 14, qMax<quint16>(Biff::u16(d + 10), quint16(rightColumn)));
        }
        out->append(bytes);
    }
    QVector<quint32> dbCells;
    for (int b = 0; b < blocks; ++b)
        writeBlock(out, rows.mid(b * RowsPerBlock, RowsPerBlock), &dbCells);
    for (const BiffRecord &record : qAsConst(m_after))
        out->append(this->record(record.offset));

    if (indexAt >= 0) {
        const int d = indexAt + 4;
        Biff::patch32(out, d + 4, firstCellRow < 0 ? 0 : quint32(firstCellRow));
        Biff::patch32(out, d + 8, firstCellRow < 0 ? 0 : quint32(lastCellRow + 1));
        Biff::patch32(out, d + 12, quint32(defColWidthAt));
        for (int i = 0; i < dbCells.size() && i < blocks; ++i)
            Biff::patch32(out, d + 16 + 4 * i, dbCells.at(i));
        if (dbCells.size() < blocks) {
            // Blocks without rows of their own have no DBCELL to point at.
            out->remove(d + 16 + 4 * dbCells.size(), 4 * (blocks - dbCells.size()));
            Biff::patch16(out, indexAt + 2, quint16(16 + 4 * dbCells.size()));
            const int removed = 4 * (blocks - dbCells.size());
            for (int i = 0; i < dbCells.size(); ++i)
                Biff::patch32(out, d + 16 + 4 * i, dbCells.at(i) - quint32(removed));
            if (defColWidthAt > indexAt)
                Biff::patch32(out, d + 12, quint32(defColWidthAt - removed));
        }
    }
    return true;
}

void XlsSheetWriter::moveIndex(QByteArray *sheet, qint64 delta)
{
    if (delta == 0)
        return;
    BiffRecordReader reader(*sheet, 0);
    BiffRecord record;
    while (reader.next(&record)) {
        if (isTableRecord(record.type) || record.type == Biff::Eof)
            return;
        if (record.type != Biff::Index || record.length < 16)
            continue;
        const int d = int(record.offset) + 4;
        const quint32 defColWidth = Biff::u32(record.data + 12);
        if (defColWidth != 0)
            Biff::patch32(sheet, d + 12, quint32(defColWidth + delta));
        for (int at = 16; at + 4 <= record.length; at += 4)
            Biff::patch32(sheet, d + at, quint32(Biff::u32(sheet->constData() + d + at) + delta));
        return;
    }
}

quint32 XlsSheetWriter::indexEnd(const QByteArray &stream, quint32 start)
{
    BiffRecordReader reader(stream, start);
    BiffRecord record;
    while (reader.next(&record)) {
        if (isTableRecord(record.type) || record.type == Biff::Eof)
            break;
        if (record.type == Biff::Index && record.length >= 16)
            return record.end();
    }
    return start;
}
