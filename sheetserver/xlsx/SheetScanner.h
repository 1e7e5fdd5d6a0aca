#ifndef SHEETSCANNER_H
#define SHEETSCANNER_H

#include <QByteArray>
#include <QVector>
#include <string>

class SheetModel;
struct Cell;
struct Row;

// Reads a stretch of the rows of a sheet part straight from its UTF-8
// bytes into a sheet, as the XML reader would fill it: the same cells,
// texts and byte places. It knows only the plain markup producers write
// (unprefixed names, attributes with quotes of either kind, the five
// predefined entities and numeric character references); on anything else
// (comments, CDATA, processing instructions, other references, prefixed
// element names, odd characters or whitespace, markup that is not
// well-formed, values it cannot turn exactly as the reader turns them) it
// gives up, and the caller reads the stretch with the XML reader instead.
// Whatever it gives up on may leave the sheet half filled.
class SheetScanner
{
public:
    // prefixes: the namespace prefixes declared around the cells table.
    SheetScanner(const QByteArray &xml, const QVector<QByteArray> &prefixes, SheetModel *sheet);

    // The bytes [from, to) of the cells table's content, cut before a row.
    // startsTable: they begin the table, so its first row may leave its
    // number out; otherwise it must tell it, as the row before is unknown.
    bool scan(qint64 from, qint64 to, bool startsTable);

    int firstRow() const { return m_firstRow; }
    int lastRow() const { return m_lastRow; }

    static constexpr int MaxAttributes = 16;
    static constexpr int MaxDepth = 32;

private:
    // Left uninitialised: a tag holds room for many attributes and uses
    // only the first few.
    struct Name
    {
        const char *data;
        int size;
        bool is(const char *name, int length) const;
    };
    struct Attribute
    {
        Name name;
        Name value;
    };
    struct Tag
    {
        const char *start = nullptr; // '<'
        const char *end = nullptr;   // after '>'
        Name name{nullptr, 0};
        bool empty = false;
        int count = 0;
        Attribute attributes[MaxAttributes];
        // The value, or null when the tag has no such attribute.
        const Name *value(const char *name, int length) const;
    };
    // How a cell of one type (t="...") keeps its value.
    enum Kind {
        KindNumber,
        KindShared,
        KindInline,
        KindFormulaText,
        KindBoolean,
        KindError,
        KindDate,
        KindUnknown
    };

    bool startTag(const char *at, Tag *tag);
    bool attributeName(const char **at, Name *name);
    // The end tag of `name` at `at`; *after moves past it.
    bool endTag(const char *at, const Name &name, const char **after);
    // Character data up to the next '<' (or the end), appended as the pool
    // stores text when out is given; *at moves to the '<'.
    bool text(const char **at, std::string *out);
    bool reference(const char **at, std::string *out);
    bool skipElement(const char **at, const Tag &tag);
    // Each child element of tag (whose start tag ends at *at) handed to
    // child(at, start tag), which moves *at past it; then tag's end tag.
    template<typename Child>
    bool children(const char **at, const Tag &tag, Child child);

    bool readRow(const char **at, const Tag &tag);
    bool readCell(const char **at, const Tag &tag);
    bool readContent(const char **at, const Tag &tag, Cell *cell, bool *hasValue, bool *hasInline);
    bool readFormula(const Tag &tag, Cell *cell);
    bool readInline(const char **at, const Tag &tag);
    bool store(Kind kind, bool hasInline, Cell *cell);

    quint32 offset(const char *at) const { return quint32(at - m_base); }

    const char *m_base;
    const char *m_end = nullptr;
    QVector<QByteArray> m_prefixes;
    SheetModel *m_sheet;
    Row *m_row = nullptr;
    std::string m_value;  // reused: the text of <v>
    std::string m_inline; // reused: the text of <is>
    int m_firstRow = 0;
    int m_lastRow = 0;
    int m_lastColumn = 0;
    int m_lastRowCells = 0;
    bool m_startsTable = false;
};

#endif // SHEETSCANNER_H
