#include "xls/XlsSheetReader.h"

#include "model/SheetModel.h"

bool XlsSheetReader::readBof(BiffRecordReader &reader, quint16 *kind, QString *why)
{
    BiffRecord bof;
    if (!reader.next(&bof) || bof.type != Biff::Bof || bof.length < 8) {
        *why = QStringLiteral("no BOF record where one belongs");
        return false;
    }
    if (Biff::u16(bof.data) != Biff::Biff8Version) {
        *why = QStringLiteral("not BIFF8 (an Excel 5/95 or older workbook)");
        return false;
    }
    *kind = Biff::u16(bof.data + 2);
    return true;
}

bool XlsSheetReader::read(quint32 position, quint8 boundKind, SheetModel *sheet)
{
    constexpr quint16 ChartKind = 0x0020;
    BiffRecordReader reader(m_stream, position);
    quint16 kind = 0;
    if (!readBof(reader, &kind, &m_why))
        return false;
    sheet->kind = boundKind == 2 || kind == ChartKind ? SheetModel::Chartsheet
                  : boundKind == 0                    ? SheetModel::Worksheet
                                                      : SheetModel::OtherSheet;
    m_sheet = sheet->kind == SheetModel::Worksheet ? sheet : nullptr;
    return readCells(reader);
}

// Cells only for a worksheet (a null sheet skips them).
bool XlsSheetReader::readCells(BiffRecordReader &reader)
{
    int depth = 0;
    BiffRecord record;
    while (reader.next(&record)) {
        if (record.type == Biff::Bof) {
            ++depth;
        } else if (record.type == Biff::Eof) {
            if (depth-- == 0) {
                m_end = record.end();
                return true;
            }
        } else if (depth == 0 && m_sheet && !readCell(record, reader)) {
            return false;
        }
    }
    return fail(QStringLiteral("damaged sheet records"));
}

Cell &XlsSheetReader::cellAt(int row, int column)
{
    SheetCells &cells = m_sheet->cells;
    if (!m_row || m_row->row != row) {
        if (row <= m_lastRow) {
            m_row = nullptr; // out of order: looked up
            return cells.ensure(row, column);
        }
        if (m_row)
            m_rowWidth = m_row->cells.size();
        m_row = &cells.appendRow(row);
        m_row->cells.reserve(m_rowWidth);
        m_lastRow = row;
    }
    QVector<Cell> &rowCells = m_row->cells;
    if (!rowCells.isEmpty() && rowCells.last().column >= column)
        return cells.ensure(row, column);
    Cell cell;
    cell.column = column;
    rowCells.append(cell);
    cells.noteCellAdded();
    return rowCells.last();
}

Cell *XlsSheetReader::place(const BiffRecord &record, quint16 row, quint16 column, quint16 style)
{
    if (column > 255)
        return nullptr;
    Cell &cell = cellAt(int(row) + 1, int(column) + 1);
    if (cell.original)
        m_superseded = true; // a later record for a cell is the one Excel shows
    cell.type = Cell::Blank;
    cell.formula = Cell::NoFormula;
    cell.number = 0;
    cell.style = style;
    cell.original = true;
    cell.start = record.offset;
    cell.end = record.end();
    return &cell;
}

bool XlsSheetReader::readCell(const BiffRecord &record, BiffRecordReader &reader)
{
    const char *d = record.data;
    auto damaged = [this] { return fail(QStringLiteral("damaged cell record")); };
    auto header = [&](int minimum) -> Cell * {
        if (record.length < minimum)
            return nullptr;
        return place(record, Biff::u16(d), Biff::u16(d + 2), Biff::u16(d + 4));
    };
    switch (record.type) {
    case Biff::Number:
    case Biff::Rk: {
        Cell *cell = header(record.type == Biff::Number ? 14 : 10);
        if (!cell)
            return damaged();
        cell->type = Cell::Number;
        cell->number =
            record.type == Biff::Number ? Biff::f64(d + 6) : Biff::rkValue(Biff::u32(d + 6));
        return true;
    }
    case Biff::MulRk:
    case Biff::MulBlank: {
        const int width = record.type == Biff::MulRk ? 6 : 2;
        if (record.length < 6 || (record.length - 6) % width != 0)
            return damaged();
        const quint16 row = Biff::u16(d);
        const quint16 first = Biff::u16(d + 2);
        for (int i = 0; i < (record.length - 6) / width; ++i) {
            const char *item = d + 4 + i * width;
            Cell *cell = place(record, row, quint16(first + i), Biff::u16(item));
            if (!cell)
                return damaged();
            if (width == 6) {
                cell->type = Cell::Number;
                cell->number = Biff::rkValue(Biff::u32(item + 2));
            }
        }
        return true;
    }
    case Biff::Blank:
        return header(6) ? true : damaged();
    case Biff::BoolErr: {
        Cell *cell = header(8);
        if (!cell)
            return damaged();
        if (d[7] == 0) {
            cell->type = Cell::Boolean;
            cell->number = d[6] != 0 ? 1 : 0;
        } else {
            cell->type = Cell::Error;
            cell->index = m_sheet->texts.append(Biff::errorText(quint8(d[6])));
        }
        return true;
    }
    case Biff::LabelSst: {
        Cell *cell = header(10);
        if (!cell)
            return damaged();
        const quint32 index = Biff::u32(d + 6);
        m_largestShared = qMax<qint64>(m_largestShared, index);
        cell->type = Cell::SharedString;
        cell->index = int(index);
        return true;
    }
    case Biff::Label:
    case Biff::RString: {
        if (record.type == Biff::Label && record.length == 8 && Biff::u16(d + 6) == 0) {
            // Some writers leave out the option byte of an empty text.
            Cell *cell = header(8);
            if (!cell)
                return damaged();
            cell->type = Cell::Text;
            cell->index = m_sheet->texts.append(QString());
            return true;
        }
        Cell *cell = header(9);
        if (!cell)
            return damaged();
        BiffContinuedData data;
        data.append(d + 6, record.length - 6);
        const quint16 count = data.u16();
        const QString text = data.characters(count, data.byte() & 1);
        if (data.failed())
            return damaged();
        cell->type = Cell::Text;
        cell->index = m_sheet->texts.append(text);
        return true;
    }
    case Biff::Formula:
        return readFormula(record, reader);
    }
    return true;
}

bool XlsSheetReader::readFormula(const BiffRecord &record, BiffRecordReader &reader)
{
    const char *d = record.data;
    if (record.length < 22)
        return fail(QStringLiteral("damaged FORMULA record"));
    const quint16 row = Biff::u16(d);
    const quint16 column = Biff::u16(d + 2);
    Cell *cell = place(record, row, column, Biff::u16(d + 4));
    if (!cell)
        return fail(QStringLiteral("damaged FORMULA record"));
    cell->formula = Cell::PlainFormula;
    const quint16 length = Biff::u16(d + 20);
    const char *tokens = d + 22;
    BiffRecord next;
    const bool hasNext = reader.peek(&next);
    if (length >= 5 && record.length >= 27 && tokens[0] == 0x01) {
        // Part of a shared or array formula: the anchor has its definition
        // right after it, the other cells point at the anchor.
        const bool anchor = Biff::u16(tokens + 1) == row && Biff::u16(tokens + 3) == column;
        if (anchor && hasNext && next.type == Biff::Array)
            cell->formula = Cell::ArrayFormula;
        else if (anchor && hasNext && next.type == Biff::SharedFormula)
            cell->formula = Cell::SharedMaster;
        else if (!anchor)
            cell->formula = Cell::SharedChild;
    }
    if (quint8(d[12]) != 0xFF || quint8(d[13]) != 0xFF) {
        cell->type = Cell::Number;
        cell->number = Biff::f64(d + 6);
        return true;
    }
    switch (quint8(d[6])) {
    case 0: { // a string, in the STRING record after the definitions
        while (reader.peek(&next) && (next.type == Biff::SharedFormula ||
                                      next.type == Biff::Array || next.type == Biff::Table))
            reader.next(&next);
        QString text; // some producers leave out the STRING of an empty text
        if (reader.peek(&next) && next.type == Biff::String) {
            reader.next(&next);
            BiffContinuedData data = BiffContinuedData::following(next, reader);
            const quint16 count = data.u16();
            // Some writers leave out the option byte of an empty text.
            if (count > 0 || !data.atEnd())
                text = data.characters(count, data.byte() & 1);
            if (data.failed())
                return fail(QStringLiteral("damaged STRING record"));
        }
        cell = m_sheet->cells.find(int(row) + 1, int(column) + 1);
        cell->type = Cell::Text;
        cell->index = m_sheet->texts.append(text);
        return true;
    }
    case 1:
        cell->type = Cell::Boolean;
        cell->number = d[8] != 0 ? 1 : 0;
        return true;
    case 2:
        cell->type = Cell::Error;
        cell->index = m_sheet->texts.append(Biff::errorText(quint8(d[8])));
        return true;
    case 3:
        cell->type = Cell::Text;
        cell->index = m_sheet->texts.append(QString());
        return true;
    }
    return true;
}
