#include "delimited/DelimitedText.h"

#include "model/SheetModel.h"

#include <QLocale>

namespace {

bool needsQuotes(const QString &field, QChar delimiter)
{
    for (const QChar c : field) {
        if (c == delimiter || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    }
    return false;
}

} // namespace

bool DelimitedText::read(const QByteArray &bytes, QChar delimiter, SheetModel *sheet,
                         DelimitedLayout *layout, QString *why)
{
    QString text;
    if (!TextEncoding::decode(bytes, &layout->encoding, &text)) {
        *why = QStringLiteral("text in an unknown encoding");
        return false;
    }
    if (text.contains(QChar(0))) {
        *why = QStringLiteral("binary content");
        return false;
    }
    layout->delimiter = delimiter;

    bool everyQuoted = true;
    bool anyField = false;
    int row = 0;
    const int size = text.size();
    int i = 0;
    while (i < size) {
        ++row;
        int column = 0;
        QVector<bool> quotedRow;
        for (;;) {
            ++column;
            QString field;
            bool quoted = false;
            if (i < size && text.at(i) == QLatin1Char('"')) {
                quoted = true;
                ++i;
                for (;;) {
                    if (i >= size)
                        break;
                    if (text.at(i) == QLatin1Char('"')) {
                        if (i + 1 < size && text.at(i + 1) == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field += text.at(i++);
                }
            }
            // Unquoted text, or whatever follows a closing quote (which the
            // exact round trip below then refuses).
            while (i < size && text.at(i) != delimiter && text.at(i) != QLatin1Char('\r') &&
                   text.at(i) != QLatin1Char('\n'))
                field += text.at(i++);
            quotedRow.append(quoted);
            everyQuoted = everyQuoted && quoted;
            anyField = true;
            if (!field.isEmpty()) {
                Cell &cell = sheet->cells.ensure(row, column);
                cell.type = Cell::Text;
                cell.original = true;
                cell.index = sheet->texts.append(field);
            }
            if (i < size && text.at(i) == delimiter) {
                ++i;
                continue;
            }
            break;
        }
        QByteArray lineEnd;
        if (i < size && text.at(i) == QLatin1Char('\r')) {
            lineEnd = (i + 1 < size && text.at(i + 1) == QLatin1Char('\n')) ? "\r\n" : "\r";
        } else if (i < size && text.at(i) == QLatin1Char('\n')) {
            lineEnd = "\n";
        }
        i += lineEnd.size();
        layout->lineEnds.append(lineEnd);
        layout->fieldCounts.append(column);
        layout->quoted.append(quotedRow);
        if (!lineEnd.isEmpty())
            layout->newLineEnd = lineEnd;
    }
    layout->quoteAll = anyField && everyQuoted;

    QByteArray again;
    if (!write(*sheet, *layout, &again, why) || again != bytes) {
        *why = QStringLiteral("delimited text that cannot be written back exactly");
        return false;
    }
    return true;
}

bool DelimitedText::write(const SheetModel &sheet, const DelimitedLayout &layout, QByteArray *out,
                          QString *why)
{
    int rows = layout.fieldCounts.size();
    if (!sheet.cells.rows().empty())
        rows = qMax(rows, sheet.cells.rows().rbegin()->first);
    QString text;
    for (int r = 1; r <= rows; ++r) {
        int fields = r <= layout.fieldCounts.size() ? layout.fieldCounts.at(r - 1) : 0;
        auto found = sheet.cells.rows().find(r);
        const QVector<Cell> *cells =
            found != sheet.cells.rows().end() ? &found->second.cells : nullptr;
        if (cells && !cells->isEmpty())
            fields = qMax(fields, cells->last().column);
        const QVector<bool> quotedRow = layout.quoted.value(r - 1);
        int next = 0;
        for (int c = 1; c <= fields; ++c) {
            if (c > 1)
                text += layout.delimiter;
            QString field;
            bool changed = true;
            while (cells && next < cells->size() && cells->at(next).column < c)
                ++next;
            if (cells && next < cells->size() && cells->at(next).column == c) {
                const Cell &cell = cells->at(next);
                changed = cell.changed;
                if (cell.type == Cell::Text || cell.type == Cell::Error)
                    field = sheet.texts.at(cell.index);
                else if (cell.type == Cell::Number)
                    field = QString::number(cell.number, 'g', QLocale::FloatingPointShortest);
            }
            const bool wasQuoted = quotedRow.value(c - 1, false);
            const bool quote =
                changed && c > quotedRow.size()
                    ? (layout.quoteAll || needsQuotes(field, layout.delimiter))
                : changed ? (wasQuoted || layout.quoteAll || needsQuotes(field, layout.delimiter))
                          : wasQuoted;
            if (quote) {
                text += QLatin1Char('"');
                text += QString(field).replace(QLatin1String("\""), QLatin1String("\"\""));
                text += QLatin1Char('"');
            } else {
                text += field;
            }
        }
        QByteArray lineEnd =
            r <= layout.lineEnds.size() ? layout.lineEnds.at(r - 1) : layout.newLineEnd;
        if (lineEnd.isEmpty() && r < rows)
            lineEnd = layout.newLineEnd;
        text += QString::fromLatin1(lineEnd);
    }
    if (!layout.encoding.encode(text, out)) {
        *why = QStringLiteral("text the file's encoding cannot hold");
        return false;
    }
    return true;
}
