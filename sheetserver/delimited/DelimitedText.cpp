#include "delimited/DelimitedText.h"

#include "model/SheetModel.h"

#include <QLocale>

#include <algorithm>

namespace {

const QChar Quote = QLatin1Char('"');

bool needsQuotes(const QString &field, QChar delimiter)
{
    for (const QChar c : field) {
        if (c == delimiter || c == Quote || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return true;
    }
    return false;
}

bool endsField(QChar c, QChar delimiter)
{
    return c == delimiter || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Appends field, in quotes with each of its quotes doubled when asked, in
// one pass into room made once, so that the work stays linear however many
// quotes there are. False, with nothing appended, when text would grow past
// what a file may hold.
bool appendField(QString *text, const QString &field, bool quote)
{
    const QChar *at = field.constData();
    const QChar *const end = at + field.size();
    const qint64 quotes = quote ? std::count(at, end, Quote) + 2 : 0;
    const qint64 from = text->size();
    if (from + field.size() + quotes > DelimitedText::MaxTextUnits)
        return false;
    if (!quote) {
        text->append(field);
        return true;
    }
    text->resize(int(from + field.size() + quotes));
    QChar *out = text->data() + from;
    *out++ = Quote;
    for (; at < end; ++at) {
        *out++ = *at;
        if (*at == Quote)
            *out++ = Quote;
    }
    *out = Quote;
    return true;
}

// The text of a quoted field, from just after its opening quote to its
// closing quote, each doubled quote made single.
QString undoubled(const QChar *from, const QChar *closing)
{
    QString field(int(closing - from), Qt::Uninitialized);
    QChar *out = field.data();
    for (const QChar *at = from; at < closing; ++at) {
        *out++ = *at;
        if (*at == Quote)
            ++at;
    }
    field.truncate(int(out - field.constData()));
    return field;
}

} // namespace

qint64 DelimitedText::largestFile(qint64 memory)
{
    return qMin(qint64(qMax<qint64>(0, memory) / MemoryPerByte), qint64(MaxTextUnits));
}

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
    const QChar *at = text.constData();
    const QChar *const end = at + text.size();
    while (at < end) {
        ++row;
        int column = 0;
        QVector<bool> quotedRow;
        for (;;) {
            ++column;
            // A field is a view of the text, unless doubled quotes in it
            // must be made single.
            QStringView field;
            QString unquoted;
            const bool quoted = at < end && *at == Quote;
            if (quoted) {
                const QChar *from = ++at;
                bool doubled = false;
                for (;;) {
                    at = std::find(at, end, Quote);
                    if (at + 1 < end && at[1] == Quote) {
                        doubled = true;
                        at += 2;
                        continue;
                    }
                    break;
                }
                const QChar *closing = at;
                if (at < end)
                    ++at;
                if (doubled) {
                    unquoted = undoubled(from, closing);
                    field = unquoted;
                } else {
                    field = QStringView(from, closing);
                }
            }
            // Unquoted text, or whatever follows a closing quote (which the
            // exact round trip below then refuses).
            const QChar *rest = at;
            while (at < end && !endsField(*at, delimiter))
                ++at;
            if (!quoted) {
                field = QStringView(rest, at);
            } else if (at != rest) {
                unquoted = field.toString();
                unquoted.append(rest, int(at - rest));
                field = unquoted;
            }
            quotedRow.append(quoted);
            everyQuoted = everyQuoted && quoted;
            anyField = true;
            if (!field.isEmpty()) {
                Cell &cell = sheet->cells.ensure(row, column);
                cell.type = Cell::Text;
                cell.original = true;
                cell.index = sheet->texts.append(field);
            }
            if (at < end && *at == delimiter) {
                ++at;
                continue;
            }
            break;
        }
        QByteArray lineEnd;
        if (at < end && *at == QLatin1Char('\r')) {
            lineEnd = (at + 1 < end && at[1] == QLatin1Char('\n')) ? "\r\n" : "\r";
        } else if (at < end && *at == QLatin1Char('\n')) {
            lineEnd = "\n";
        }
        at += lineEnd.size();
        layout->lineEnds.append(lineEnd);
        layout->fieldCounts.append(column);
        layout->quoted.append(quotedRow);
        if (!lineEnd.isEmpty())
            layout->newLineEnd = lineEnd;
    }
    layout->quoteAll = anyField && everyQuoted;
    text = QString(); // every field is a cell now: the check below need not hold it too

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
            if (!appendField(&text, field, quote)) {
                *why = QStringLiteral("more text than one file is written with");
                return false;
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
