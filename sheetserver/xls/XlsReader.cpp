#include "xls/XlsReader.h"

#include "model/WorkbookDocument.h"
#include "xls/BiffRecords.h"
#include "xls/XlsLayout.h"

#include <memory>

namespace {

constexpr quint16 GlobalsKind = 0x0005;
constexpr quint16 ChartKind = 0x0020;

struct BoundSheet
{
    quint32 position = 0;
    quint32 record = 0;
    quint8 kind = 0;
    QString name;
};

class BookReader
{
public:
    BookReader(WorkbookDocument *document, XlsLayout *layout, QString *why)
        : m_document(document), m_layout(layout), m_why(why)
    {
    }
    bool read(const QByteArray &file);

private:
    bool fail(const QString &reason)
    {
        *m_why = QStringLiteral("Excel 97-2003 workbook: ") + reason;
        return false;
    }
    bool openStream(const QByteArray &file);
    bool readBof(BiffRecordReader &reader, quint16 *kind);
    bool readGlobals();
    bool readGlobalRecord(const BiffRecord &record, BiffRecordReader &reader);
    bool readSharedStrings(const BiffRecord &record, BiffRecordReader &reader);
    bool readSheets();
    bool readCells(SheetModel *sheet, BiffRecordReader &reader, quint32 *end);
    bool readCell(SheetModel *sheet, const BiffRecord &record, BiffRecordReader &reader);
    bool readFormula(SheetModel *sheet, const BiffRecord &record, BiffRecordReader &reader);
    Cell *place(SheetModel *sheet, const BiffRecord &record, quint16 row, quint16 column,
                quint16 style);

    WorkbookDocument *m_document;
    XlsLayout *m_layout;
    QString *m_why;
    QVector<BoundSheet> m_bound;
    QVector<int> m_styleFormats;
    int m_activeTab = 0;
    bool m_windowSeen = false;
    bool m_cellStyleSeen = false;
    bool m_superseded = false;
};

bool BookReader::read(const QByteArray &file)
{
    return openStream(file) && readGlobals() && readSheets();
}

bool BookReader::openStream(const QByteArray &file)
{
    QString why;
    if (!m_layout->container.load(file, &why))
        return fail(why);
    CompoundFile &container = m_layout->container;
    m_layout->workbookEntry = XlsReader::workbookStream(container);
    if (m_layout->workbookEntry < 0) {
        if (container.child(0, QStringLiteral("EncryptedPackage")) >= 0) {
            *m_why = QStringLiteral("an encrypted workbook package");
            return false;
        }
        return fail(QStringLiteral("no Workbook stream"));
    }
    if (!container.takeStream(m_layout->workbookEntry, &m_layout->stream, &why))
        return fail(why);
    return true;
}

bool BookReader::readBof(BiffRecordReader &reader, quint16 *kind)
{
    BiffRecord bof;
    if (!reader.next(&bof) || bof.type != Biff::Bof || bof.length < 8)
        return fail(QStringLiteral("no BOF record where one belongs"));
    if (Biff::u16(bof.data) != Biff::Biff8Version)
        return fail(QStringLiteral("not BIFF8 (an Excel 5/95 or older workbook)"));
    *kind = Biff::u16(bof.data + 2);
    return true;
}

bool BookReader::readGlobals()
{
    BiffRecordReader reader(m_layout->stream, 0);
    quint16 kind = 0;
    if (!readBof(reader, &kind))
        return false;
    if (kind != GlobalsKind)
        return fail(QStringLiteral("the stream does not start with the workbook globals"));
    BiffRecord record;
    while (reader.next(&record)) {
        if (record.type == Biff::Eof) {
            m_layout->globalsEnd = record.end();
            m_document->styles.setStyleFormats(m_styleFormats);
            return true;
        }
        if (!readGlobalRecord(record, reader))
            return false;
    }
    return fail(QStringLiteral("damaged workbook globals"));
}

bool BookReader::readGlobalRecord(const BiffRecord &record, BiffRecordReader &reader)
{
    const char *d = record.data;
    switch (record.type) {
    case Biff::FilePass:
        return fail(QStringLiteral("encrypted"));
    case Biff::DateMode:
        m_document->date1904 = record.length >= 2 && Biff::u16(d) == 1;
        return true;
    case Biff::Format: {
        BiffContinuedData data;
        data.append(d, record.length);
        const quint16 id = data.u16();
        const quint16 count = data.u16();
        const QString code = data.characters(count, data.byte() & 1);
        if (data.failed())
            return fail(QStringLiteral("damaged FORMAT record"));
        m_document->styles.setCustomFormat(id, code);
        return true;
    }
    case Biff::Xf:
        if (record.length < 6)
            return fail(QStringLiteral("damaged XF record"));
        if (!m_cellStyleSeen && !(Biff::u16(d + 4) & 0x0004)) {
            m_layout->defaultCellStyle = m_styleFormats.size();
            m_cellStyleSeen = true;
        }
        m_styleFormats.append(Biff::u16(d + 2));
        return true;
    case Biff::BoundSheet: {
        BiffContinuedData data;
        data.append(d, record.length);
        BoundSheet sheet;
        sheet.record = record.offset;
        sheet.position = data.u32();
        data.byte(); // visibility
        sheet.kind = data.byte();
        const quint8 count = data.byte();
        sheet.name = data.characters(count, data.byte() & 1);
        if (data.failed())
            return fail(QStringLiteral("damaged BOUNDSHEET record"));
        m_bound.append(sheet);
        return true;
    }
    case Biff::Window1:
        if (!m_windowSeen && record.length >= 12)
            m_activeTab = Biff::u16(d + 10);
        m_windowSeen = true;
        return true;
    case Biff::Sst:
        return readSharedStrings(record, reader);
    }
    return true;
}

bool BookReader::readSharedStrings(const BiffRecord &record, BiffRecordReader &reader)
{
    BiffContinuedData data = BiffContinuedData::following(record, reader);
    data.u32(); // references, counted again on save
    const quint32 unique = data.u32();
    TextPool &strings = m_document->sharedStrings;
    BiffContinuedData::RichString string;
    for (quint32 i = 0; i < unique && !data.failed(); ++i) {
        if (!data.richString(&string))
            break;
        strings.append(string.text);
    }
    if (data.failed())
        return fail(QStringLiteral("damaged shared-string table"));
    return true;
}

bool BookReader::readSheets()
{
    m_layout->boundSheets = m_bound.size();
    QVector<int> modelIndex(m_bound.size(), 0);
    for (int i = 0; i < m_bound.size(); ++i) {
        const BoundSheet &bound = m_bound.at(i);
        modelIndex[i] = m_document->sheets.size();
        if (bound.kind == 6)
            continue; // a Visual Basic module: no sheet of the workbook
        if (bound.position < m_layout->globalsEnd ||
            bound.position >= quint32(m_layout->stream.size()))
            return fail(QStringLiteral("a sheet outside the workbook stream"));
        BiffRecordReader reader(m_layout->stream, bound.position);
        quint16 kind = 0;
        if (!readBof(reader, &kind))
            return false;
        auto sheet = std::make_unique<SheetModel>();
        sheet->name = bound.name;
        sheet->kind = bound.kind == 2 || kind == ChartKind ? SheetModel::Chartsheet
                      : bound.kind == 0                    ? SheetModel::Worksheet
                                                           : SheetModel::OtherSheet;
        XlsLayout::Sheet layout;
        layout.boundSheet = bound.record;
        layout.start = bound.position;
        m_superseded = false;
        if (!readCells(sheet->kind == SheetModel::Worksheet ? sheet.get() : nullptr, reader,
                       &layout.end))
            return false;
        layout.superseded = m_superseded;
        m_layout->sheets.append(layout);
        m_document->sheets.append(sheet.release());
    }
    const int active = m_activeTab < modelIndex.size() ? modelIndex.at(m_activeTab) : 0;
    m_document->activeSheet = active < m_document->sheets.size() ? active : 0;
    return true;
}

// The records of one sheet up to its EOF; cells only for a worksheet (a
// null sheet skips them). Charts and other substreams inside the sheet,
// each from its BOF to its EOF, are passed over.
bool BookReader::readCells(SheetModel *sheet, BiffRecordReader &reader, quint32 *end)
{
    int depth = 0;
    BiffRecord record;
    while (reader.next(&record)) {
        if (record.type == Biff::Bof) {
            ++depth;
        } else if (record.type == Biff::Eof) {
            if (depth-- == 0) {
                *end = record.end();
                return true;
            }
        } else if (depth == 0 && sheet && !readCell(sheet, record, reader)) {
            return false;
        }
    }
    return fail(QStringLiteral("damaged sheet records"));
}

Cell *BookReader::place(SheetModel *sheet, const BiffRecord &record, quint16 row, quint16 column,
                        quint16 style)
{
    if (column > 255)
        return nullptr;
    Cell &cell = sheet->cells.ensure(int(row) + 1, int(column) + 1);
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

bool BookReader::readCell(SheetModel *sheet, const BiffRecord &record, BiffRecordReader &reader)
{
    const char *d = record.data;
    auto damaged = [this] { return fail(QStringLiteral("damaged cell record")); };
    auto header = [&](int minimum) -> Cell * {
        if (record.length < minimum)
            return nullptr;
        return place(sheet, record, Biff::u16(d), Biff::u16(d + 2), Biff::u16(d + 4));
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
            Cell *cell = place(sheet, record, row, quint16(first + i), Biff::u16(item));
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
            cell->index = sheet->texts.append(Biff::errorText(quint8(d[6])));
        }
        return true;
    }
    case Biff::LabelSst: {
        Cell *cell = header(10);
        if (!cell || Biff::u32(d + 6) >= quint32(m_document->sharedStrings.size()))
            return damaged();
        cell->type = Cell::SharedString;
        cell->index = int(Biff::u32(d + 6));
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
            cell->index = sheet->texts.append(QString());
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
        cell->index = sheet->texts.append(text);
        return true;
    }
    case Biff::Formula:
        return readFormula(sheet, record, reader);
    }
    return true;
}

bool BookReader::readFormula(SheetModel *sheet, const BiffRecord &record, BiffRecordReader &reader)
{
    const char *d = record.data;
    if (record.length < 22)
        return fail(QStringLiteral("damaged FORMULA record"));
    const quint16 row = Biff::u16(d);
    const quint16 column = Biff::u16(d + 2);
    Cell *cell = place(sheet, record, row, column, Biff::u16(d + 4));
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
        cell = sheet->cells.find(int(row) + 1, int(column) + 1);
        cell->type = Cell::Text;
        cell->index = sheet->texts.append(text);
        return true;
    }
    case 1:
        cell->type = Cell::Boolean;
        cell->number = d[8] != 0 ? 1 : 0;
        return true;
    case 2:
        cell->type = Cell::Error;
        cell->index = sheet->texts.append(Biff::errorText(quint8(d[8])));
        return true;
    case 3:
        cell->type = Cell::Text;
        cell->index = sheet->texts.append(QString());
        return true;
    }
    return true;
}

} // namespace

int XlsReader::workbookStream(const CompoundFile &container)
{
    const int workbook = container.child(0, QStringLiteral("Workbook"));
    return workbook >= 0 ? workbook : container.child(0, QStringLiteral("Book"));
}

bool XlsReader::read(const QByteArray &file, WorkbookDocument *document, XlsLayout *layout,
                     QString *why)
{
    return BookReader(document, layout, why).read(file);
}
