#ifndef XMLTEXT_H
#define XMLTEXT_H

#include "model/CellTextLimit.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

class QXmlStreamReader;
class XmlPartReader;

// The text rules of workbook parts.
class XmlText
{
public:
    // The longest text a part may spell for one cell: a cell holds at most
    // MaxCellText units, and each may be spelt as an escape of seven
    // ("_x000D_"). Text beyond it is refused as it is read, before a hostile
    // part makes it a gigabyte.
    static constexpr int MaxRawText = 7 * MaxCellText;

    // "_x000D_" and its kin stand for characters XML cannot carry.
    static QString decodeEscapes(QStringView text);
    // The reverse, for text written into a cell: characters XML cannot carry
    // and text that looks like an escape are escaped.
    static QString encodeEscapes(QStringView text);
    // Appends text as XML character data (or an attribute value) in UTF-8.
    // With referWhitespace, tabs and line feeds go as references too: in an
    // attribute value a reader would turn them into spaces.
    static void appendEscaped(QByteArray *out, QStringView text, bool referWhitespace = false);
    // Appends text stored as TextPool stores it when it goes into a cell as
    // it is: no markup character, nothing encodeEscapes would change, no
    // surrogate. False, with nothing appended, otherwise.
    static bool appendPlain(QByteArray *out, const char *bytes, int length);

    // True for parts that declare an encoding other than UTF-8, which the
    // server does not take apart.
    static bool declaresOtherEncoding(const QByteArray &data);
    // The reader meets a document type declaration or an entity reference:
    // workbook parts never have one, and obeying them is how bad files
    // reach outside or blow up.
    static bool isForbidden(const QXmlStreamReader &reader);
    // The text of a string item (<si> or <is>) the reader stands on: plain
    // text and rich-text runs joined, phonetic runs left out, escapes
    // decoded. Leaves the reader on the item's end; false on bad XML and on
    // text longer than a cell holds.
    static bool readStringItem(XmlPartReader &part, QString *text);
};

// Turns the character offsets that the XML reader reports into byte offsets
// of the UTF-8 text it reads. Offsets must be asked in ascending order; the
// whole walk costs one pass over the bytes.
class Utf8Offsets
{
public:
    explicit Utf8Offsets(const QByteArray &data);
    // For a reader that met fromCharacter characters of its own before the
    // byte `from` of data (a stretch read as a document of its own).
    Utf8Offsets(const QByteArray &data, qint64 from, qint64 fromCharacter);
    qint64 byteAt(qint64 characterOffset);

private:
    const QByteArray &m_data;
    qint64 m_byte = 0;
    qint64 m_character = 0;
};

#endif // XMLTEXT_H
