#include "xlsx/SheetReader.h"

#include "model/CellAddress.h"
#include "model/CellTextLimit.h"
#include "model/OwnThread.h"
#include "model/SheetModel.h"
#include "model/Utf8.h"
#include "xlsx/XmlPartReader.h"
#include "xlsx/XmlPieces.h"
#include "xlsx/XmlText.h"

#include <QDateTime>
#include <QXmlStreamReader>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Byte position of the '<' that starts the tag ending just before `end`.
quint32 tagStart(const QByteArray &xml, qint64 end)
{
    qint64 i = end - 1;
    while (i > 0 && xml.at(int(i)) != '<')
        --i;
    return quint32(qMax<qint64>(0, i));
}

bool parseNumber(const QString &text, double *value)
{
    bool ok = false;
    *value = text.trimmed().toDouble(&ok);
    return ok;
}

// ISO 8601 date or date-time to a serial number of the 1900 system.
bool isoToSerial(const QString &text, double *value)
{
    QDateTime when = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
    if (!when.isValid()) {
        const QDate date = QDate::fromString(text.trimmed(), Qt::ISODate);
        if (!date.isValid())
            return false;
        when = QDateTime(date, QTime(0, 0), Qt::UTC);
    }
    const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), when.timeSpec());
    double serial = double(epoch.msecsTo(when)) / 86400000.0;
    if (serial < 61)
        serial -= 1; // the 1900 system's missing leap day
    *value = serial;
    return true;
}

// Reads a whole part, or (piece mode) a stretch of the cells table as a
// document of its own: rows then stand in a made-up table that must be the
// only element of its made-up root, and the first row must tell its number,
// as the row before it is not known here.
class Reader
{
public:
    Reader(const QByteArray &xml, SheetModel *sheet)
        : m_xml(xml), m_part(xml), m_reader(m_part.reader()), m_offsets(xml), m_sheet(sheet)
    {
    }
    Reader(const QByteArray &xml, const XmlPieces::Piece &piece, const QByteArray &opening,
           qint64 openingCharacters, const QByteArray &closing, SheetModel *sheet)
        : m_xml(xml)
        , m_part(xml, piece.from, piece.to, opening, closing)
        , m_reader(m_part.reader())
        , m_offsets(xml, piece.from, openingCharacters)
        , m_sheet(sheet)
        , m_piece(true)
    {
    }

    bool run(QString *why);

    // What a piece's rows need to agree with the pieces around them.
    int firstRow() const { return m_firstRow; }
    int lastRow() const { return m_lastRow; }
    // Whole parts: the XML version declared, and the namespaces declared on
    // the root and on the cells table, outermost first.
    const QString &version() const { return m_version; }
    const QVector<QXmlStreamNamespaceDeclarations> &scopes() const { return m_scopes; }

private:
    bool fail(const QString &reason)
    {
        m_why = reason;
        return false;
    }
    qint64 here() { return m_offsets.byteAt(m_reader.characterOffset()); }
    bool startRow();
    bool readCell();

    // What a cell's children held besides its value text (in m_value).
    struct CellContent
    {
        bool hasValue = false;
        bool hasInline = false;
        QString inlineText;
    };
    // How a cell of one type (t="...") keeps its value.
    using Store = bool (Reader::*)(Cell *cell, const CellContent &content);
    static Store storeFor(const QStringRef &type); // null for an unknown type
    bool readPlace(const QXmlStreamAttributes &attributes, Cell *cell);
    bool readContent(Cell *cell, CellContent *content);
    void readFormula(Cell *cell);
    bool storeNumber(Cell *cell, const CellContent &content);
    bool storeShared(Cell *cell, const CellContent &content);
    bool storeInline(Cell *cell, const CellContent &content);
    bool storeFormulaText(Cell *cell, const CellContent &content);
    bool storeBoolean(Cell *cell, const CellContent &content);
    bool storeError(Cell *cell, const CellContent &content);
    bool storeDate(Cell *cell, const CellContent &content);

    const QByteArray &m_xml;
    XmlPartReader m_part;
    QXmlStreamReader &m_reader;
    Utf8Offsets m_offsets;
    SheetModel *m_sheet;
    QString m_why;
    QString m_value; // reused: one allocation for the whole sheet
    Row *m_row = nullptr;
    int m_firstRow = 0;
    int m_lastRow = 0;
    int m_lastColumn = 0;
    int m_lastRowCells = 0;
    bool m_piece = false;
    bool m_pieceTable = false; // piece mode: the made-up table was met
    QString m_version;
    QVector<QXmlStreamNamespaceDeclarations> m_scopes;
};

bool Reader::run(QString *why)
{
    int depth = 0;
    bool inSheetData = false;
    qint64 sheetDataTagEnd = -1;
    while (!m_reader.atEnd()) {
        const QXmlStreamReader::TokenType token = m_part.readNext();
        if (XmlText::isForbidden(m_reader))
            return *why = QStringLiteral("document type declaration"), false;
        if (token == QXmlStreamReader::StartDocument)
            m_version = m_reader.documentVersion().toString();
        if (token == QXmlStreamReader::StartElement && m_piece && depth < 2) {
            ++depth;
            if (depth == 2) {
                if (m_pieceTable)
                    return *why = QStringLiteral("piece out of place"), false;
                m_pieceTable = true;
                inSheetData = true;
            }
            continue;
        }
        if (token == QXmlStreamReader::EndElement && m_piece && depth <= 2) {
            inSheetData = false;
            --depth;
            continue;
        }
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QStringRef name = m_reader.name();
            if (depth == 1 && name != QLatin1String("worksheet"))
                return *why = QStringLiteral("not a worksheet"), false;
            if (depth == 1)
                m_scopes.append(m_reader.namespaceDeclarations());
            if (depth == 2 && name == QLatin1String("dimension") && !m_sheet->hasSheetData) {
                const qint64 end = here();
                m_sheet->hasDimension = true;
                m_sheet->dimensionStart = tagStart(m_xml, end);
            } else if (depth == 2 && name == QLatin1String("sheetData")) {
                if (m_sheet->hasSheetData)
                    return *why = QStringLiteral("two cell tables"), false;
                inSheetData = true;
                sheetDataTagEnd = here();
                m_scopes.append(m_reader.namespaceDeclarations());
                m_sheet->hasSheetData = true;
                m_sheet->sheetDataStart = tagStart(m_xml, sheetDataTagEnd);
                m_sheet->sheetDataContent = quint32(sheetDataTagEnd);
            } else if (depth == 3 && inSheetData && name == QLatin1String("row")) {
                if (!startRow())
                    return *why = m_why, false;
            } else if (depth == 4 && m_row && name == QLatin1String("c")) {
                if (!readCell())
                    return *why = m_why, false;
                --depth; // readCell consumed the whole element
            }
        } else if (token == QXmlStreamReader::EndElement) {
            const qint64 end = here();
            if (depth == 2 && m_reader.name() == QLatin1String("dimension") &&
                !m_sheet->hasSheetData) {
                m_sheet->dimensionEnd = quint32(end);
            } else if (depth == 2 && inSheetData) {
                inSheetData = false;
                m_sheet->sheetDataEnd = quint32(end);
                m_sheet->sheetDataSelfClosing = end == sheetDataTagEnd;
                m_sheet->sheetDataClose =
                    m_sheet->sheetDataSelfClosing ? m_sheet->sheetDataStart : tagStart(m_xml, end);
            } else if (depth == 3 && m_row) {
                m_lastRowCells = m_row->cells.size();
                m_row->end = quint32(end);
                m_row->selfClosing = end == m_row->startTagEnd;
                m_row = nullptr;
            }
            --depth;
        }
    }
    if (m_reader.hasError())
        return *why = QStringLiteral("malformed XML: ") + m_reader.errorString(), false;
    if (!m_sheet->hasSheetData && !m_piece)
        return *why = QStringLiteral("worksheet without cells table"), false;
    return true;
}

bool Reader::startRow()
{
    const QStringRef number = m_reader.attributes().value(QLatin1String("r"));
    int row = m_lastRow + 1;
    if (m_piece && m_firstRow == 0 && number.isEmpty())
        return fail(QStringLiteral("first row of a piece without its number"));
    if (!number.isEmpty()) {
        bool ok = false;
        row = number.toInt(&ok);
        if (!ok)
            return fail(QStringLiteral("bad row number"));
    }
    if (row <= m_lastRow || row > CellAddress::MaxRows)
        return fail(QStringLiteral("row out of order or range: ") + QString::number(row));
    m_lastRow = row;
    if (m_firstRow == 0)
        m_firstRow = row;
    m_lastColumn = 0;
    const qint64 end = here();
    const int previousCells = m_row ? m_row->cells.size() : m_lastRowCells;
    m_row = &m_sheet->cells.appendRow(row);
    // Rows of a table tend to be alike: room for as many cells as the last.
    m_row->cells.reserve(qMin(previousCells, 1024));
    m_row->original = true;
    m_row->start = tagStart(m_xml, end);
    m_row->startTagEnd = quint32(end);
    return true;
}

bool Reader::readCell()
{
    const qint64 tagEnd = here();
    const QXmlStreamAttributes attributes = m_reader.attributes();
    Cell cell;
    cell.original = true;
    cell.start = tagStart(m_xml, tagEnd);
    if (!readPlace(attributes, &cell))
        return false;
    const QStringRef typeRef = attributes.value(QLatin1String("t"));
    const Store store = storeFor(typeRef);
    if (!store)
        return fail(QStringLiteral("unknown cell type ") + typeRef.toString());
    CellContent content;
    if (!readContent(&cell, &content))
        return false;
    cell.end = quint32(here());
    // An inline string is kept whatever <v> says; other types without a
    // value are blank.
    if (store != &Reader::storeInline && !content.hasValue)
        cell.type = Cell::Blank;
    else if (!(this->*store)(&cell, content))
        return false;
    m_row->cells.append(cell);
    m_sheet->cells.noteCellAdded();
    return true;
}

bool Reader::readPlace(const QXmlStreamAttributes &attributes, Cell *cell)
{
    const QStringRef reference = attributes.value(QLatin1String("r"));
    int column = m_lastColumn + 1;
    if (!reference.isEmpty()) {
        int row = 0;
        if (!CellAddress::parseCell(reference, &row, &column) || row != m_row->row)
            return fail(QStringLiteral("bad cell reference ") + reference.toString());
    }
    if (column <= m_lastColumn || column > CellAddress::MaxColumns)
        return fail(QStringLiteral("cell out of order or range"));
    m_lastColumn = column;
    cell->column = column;
    const QStringRef style = attributes.value(QLatin1String("s"));
    if (!style.isEmpty()) {
        bool ok = false;
        cell->style = style.toInt(&ok);
        if (!ok || cell->style < 0)
            return fail(QStringLiteral("bad style index"));
    }
    return true;
}

Reader::Store Reader::storeFor(const QStringRef &type)
{
    if (type.isEmpty())
        return &Reader::storeNumber;
    static const struct
    {
        QLatin1String name;
        Store store;
    } stores[] = {{QLatin1String("n"), &Reader::storeNumber},
                  {QLatin1String("s"), &Reader::storeShared},
                  {QLatin1String("inlineStr"), &Reader::storeInline},
                  {QLatin1String("str"), &Reader::storeFormulaText},
                  {QLatin1String("b"), &Reader::storeBoolean},
                  {QLatin1String("e"), &Reader::storeError},
                  {QLatin1String("d"), &Reader::storeDate}};
    for (const auto &entry : stores) {
        if (type == entry.name)
            return entry.store;
    }
    return nullptr;
}

bool Reader::readContent(Cell *cell, CellContent *content)
{
    QString &value = m_value;
    value.resize(0);
    int depth = 1;
    bool inValue = false;
    while (depth > 0 && !m_reader.atEnd()) {
        const QXmlStreamReader::TokenType token = m_part.readNext();
        if (token == QXmlStreamReader::Characters) {
            if (inValue)
                value += m_reader.text();
            if (value.size() > XmlText::MaxRawText)
                return fail(QStringLiteral("cell value longer than a cell holds"));
            continue;
        }
        if (XmlText::isForbidden(m_reader))
            return fail(QStringLiteral("document type declaration"));
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QStringRef name = m_reader.name();
            if (depth == 2 && name == QLatin1String("v")) {
                inValue = true;
                content->hasValue = true;
            } else if (depth == 2 && name == QLatin1String("f")) {
                readFormula(cell);
            } else if (depth == 2 && name == QLatin1String("is")) {
                if (!XmlText::readStringItem(m_part, &content->inlineText))
                    return fail(QStringLiteral("malformed inline string"));
                content->hasInline = true;
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            inValue = false;
            --depth;
        }
    }
    if (m_reader.hasError())
        return fail(QStringLiteral("malformed XML: ") + m_reader.errorString());
    return true;
}

void Reader::readFormula(Cell *cell)
{
    const QXmlStreamAttributes f = m_reader.attributes();
    const QStringRef kind = f.value(QLatin1String("t"));
    if (kind == QLatin1String("shared")) {
        cell->formula =
            f.hasAttribute(QLatin1String("ref")) ? Cell::SharedMaster : Cell::SharedChild;
        cell->sharedIndex = f.value(QLatin1String("si")).toInt();
    } else if (kind == QLatin1String("array")) {
        cell->formula = Cell::ArrayFormula;
    } else {
        cell->formula = Cell::PlainFormula;
    }
}

bool Reader::storeNumber(Cell *cell, const CellContent &)
{
    if (m_value.trimmed().isEmpty())
        return true;
    double number = 0;
    if (!parseNumber(m_value, &number))
        return fail(QStringLiteral("bad number ") + m_value);
    cell->type = Cell::Number;
    cell->number = number;
    return true;
}

bool Reader::storeShared(Cell *cell, const CellContent &)
{
    // Excel shows a string cell without an index as empty.
    if (m_value.trimmed().isEmpty())
        return true;
    bool ok = false;
    const int index = m_value.toInt(&ok);
    if (!ok || index < 0)
        return fail(QStringLiteral("bad shared string index"));
    m_sheet->maxSharedIndex = qMax(m_sheet->maxSharedIndex, index);
    cell->type = Cell::SharedString;
    cell->index = index;
    return true;
}

bool Reader::storeInline(Cell *cell, const CellContent &content)
{
    if (content.hasInline) {
        cell->type = Cell::Text;
        cell->index = m_sheet->texts.append(content.inlineText);
    }
    return true;
}

bool Reader::storeFormulaText(Cell *cell, const CellContent &)
{
    const QString text = XmlText::decodeEscapes(m_value);
    if (text.size() > MaxCellText)
        return fail(QStringLiteral("cell text longer than a cell holds"));
    cell->type = Cell::Text;
    cell->index = m_sheet->texts.append(text);
    return true;
}

bool Reader::storeBoolean(Cell *cell, const CellContent &)
{
    cell->type = Cell::Boolean;
    const QString v = m_value.trimmed();
    cell->number = (v == QLatin1String("1") || v == QLatin1String("true")) ? 1 : 0;
    return true;
}

bool Reader::storeError(Cell *cell, const CellContent &)
{
    cell->type = Cell::Error;
    cell->index = m_sheet->texts.append(m_value);
    return true;
}

// An ISO 8601 date becomes its serial number; anything else stays text.
bool Reader::storeDate(Cell *cell, const CellContent &)
{
    double serial = 0;
    if (isoToSerial(m_value, &serial)) {
        cell->type = Cell::Number;
        cell->number = serial;
    } else {
        cell->type = Cell::Text;
        cell->index = m_sheet->texts.append(m_value);
    }
    return true;
}

// The cells table read in pieces on threads of their own; false, with the
// sheet untouched, whenever anything is not exactly as one pass would have
// read it.
bool readInPieces(const QByteArray &xml, SheetModel *sheet, int count)
{
    if (count < 2)
        return false;
    const XmlPieces pieces(xml, "sheetData", "row", count);
    if (!pieces.isValid() || pieces.pieces().size() < 2)
        return false;
    // Everything but the rows, read as one pass reads it: the cells table
    // must come out empty, at the very place where the pieces begin.
    const QByteArray skeleton = pieces.skeleton();
    SheetModel frame;
    Reader head(skeleton, &frame);
    QString ignored;
    const qint64 from = pieces.contentFrom();
    if (!head.run(&ignored) || !frame.cells.rows().empty() || frame.sheetDataSelfClosing ||
        frame.sheetDataContent != from || frame.sheetDataClose != from ||
        head.scopes().size() != 2 ||
        !(head.version().isEmpty() || head.version() == QLatin1String("1.0")))
        return false;

    const QByteArray opening = XmlPieces::opening(head.scopes());
    const qint64 openingCharacters = XmlPieces::characters(opening);
    const QByteArray closing = XmlPieces::closing(2);
    std::vector<std::unique_ptr<SheetModel>> parts;
    for (int i = 0; i < pieces.pieces().size(); ++i)
        parts.push_back(std::make_unique<SheetModel>());
    // Each piece's first and last row; -1 when it failed.
    const auto rows = OwnThread::each(int(parts.size()), [&](int i) -> std::pair<int, int> {
        Reader reader(xml, pieces.pieces().at(i), opening, openingCharacters, closing,
                      parts[size_t(i)].get());
        QString why;
        if (!reader.run(&why))
            return {-1, -1};
        return {reader.firstRow(), reader.lastRow()};
    });
    int lastRow = 0;
    for (const std::pair<int, int> &piece : rows) {
        if (piece.first < 0 || (piece.first > 0 && piece.first <= lastRow))
            return false;
        lastRow = qMax(lastRow, piece.second);
    }

    sheet->hasDimension = frame.hasDimension;
    sheet->dimensionStart = frame.dimensionStart;
    sheet->dimensionEnd = frame.dimensionEnd;
    sheet->hasSheetData = true;
    sheet->sheetDataSelfClosing = false;
    sheet->sheetDataStart = frame.sheetDataStart;
    sheet->sheetDataContent = frame.sheetDataContent;
    sheet->sheetDataClose = quint32(pieces.partOffset(frame.sheetDataClose));
    sheet->sheetDataEnd = quint32(pieces.partOffset(frame.sheetDataEnd));
    for (const std::unique_ptr<SheetModel> &part : parts) {
        sheet->maxSharedIndex = qMax(sheet->maxSharedIndex, part->maxSharedIndex);
        if (part->texts.size() > 0) {
            // The piece's own texts follow those of the pieces before.
            const int base = sheet->texts.take(std::move(part->texts));
            for (auto &entry : part->cells.rows()) {
                for (Cell &cell : entry.second.cells) {
                    if (cell.type == Cell::Text || cell.type == Cell::Error)
                        cell.index += base;
                }
            }
        }
        sheet->cells.appendRows(std::move(part->cells));
    }
    return true;
}

} // namespace

bool SheetReader::read(const QByteArray &xml, SheetModel *sheet, QString *why, int pieces,
                       bool *readInPieces)
{
    if (readInPieces)
        *readInPieces = false;
    if (XmlText::declaresOtherEncoding(xml) || !Utf8::isValid(xml)) {
        *why = QStringLiteral("sheet is not UTF-8");
        return false;
    }
    if (quint64(xml.size()) >= quint64(0xFFFFFFF0u)) {
        *why = QStringLiteral("sheet too large");
        return false;
    }
    if (::readInPieces(xml, sheet, pieces > 0 ? pieces : XmlPieces::countFor(xml.size()))) {
        if (readInPieces)
            *readInPieces = true;
        return true;
    }
    Reader reader(xml, sheet);
    return reader.run(why);
}
