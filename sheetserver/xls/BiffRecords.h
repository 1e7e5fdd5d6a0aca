#ifndef BIFFRECORDS_H
#define BIFFRECORDS_H

#include <QByteArray>
#include <QString>
#include <QVector>
#include <string>

// The record types of the Excel 97-2003 workbook stream that the server
// reads or rewrites.
namespace Biff {
enum RecordType : quint16 {
    Formula = 0x0006,
    Eof = 0x000A,
    FilePass = 0x002F,
    DateMode = 0x0022,
    Continue = 0x003C,
    Window1 = 0x003D,
    BoundSheet = 0x0085,
    MulRk = 0x00BD,
    MulBlank = 0x00BE,
    RString = 0x00D6,
    DbCell = 0x00D7,
    Xf = 0x00E0,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    ExtSst = 0x00FF,
    Dimensions = 0x0200,
    Blank = 0x0201,
    Number = 0x0203,
    Label = 0x0204,
    BoolErr = 0x0205,
    String = 0x0207,
    Row = 0x0208,
    Index = 0x020B,
    Array = 0x0221,
    Table = 0x0236,
    Rk = 0x027E,
    Format = 0x041E,
    SharedFormula = 0x04BC,
    Bof = 0x0809
};
constexpr quint16 Biff8Version = 0x0600;
constexpr int MaxRecordData = 8224;

quint16 u16(const char *p);
quint32 u32(const char *p);
double f64(const char *p);
// The number an RK value stands for.
double rkValue(quint32 rk);
// The text Excel shows for an error code ("#N/A", ...); empty for none.
QString errorText(quint8 code);
// The code of such a text (#N/A for any other).
quint8 errorCode(const QString &text);

void append16(QByteArray *out, quint16 value);
void append32(QByteArray *out, quint32 value);
void patch16(QByteArray *out, int at, quint16 value);
void patch32(QByteArray *out, int at, quint32 value);
// A whole record: header and data.
QByteArray record(quint16 type, const QByteArray &data);
} // namespace Biff

// One record of a workbook stream: where it starts (its header) and its
// data, which lies in the stream the reader was given.
struct BiffRecord
{
    quint16 type = 0;
    quint16 length = 0;
    quint32 offset = 0; // of the four-byte header
    const char *data = nullptr;
    quint32 end() const { return offset + 4 + length; }
};

// Walks the records of a workbook stream from a position; a record whose
// data would run past the stream, or longer than a record may be, stops the
// walk as damaged.
class BiffRecordReader
{
public:
    BiffRecordReader(const QByteArray &stream, quint32 from);
    // False at the end of the stream or at a damaged record (see damaged()).
    bool next(BiffRecord *record);
    // The record next() would give, without moving on.
    bool peek(BiffRecord *record) const;
    bool damaged() const { return m_damaged; }
    quint32 position() const { return m_position; }

private:
    const QByteArray &m_stream;
    quint32 m_position;
    bool m_damaged = false;
};

// Reads the data of a record and the CONTINUE records after it as one run,
// the way strings are spread over them: the characters of a string that
// continue in the next record start again with an option byte telling
// whether they are one or two bytes wide; everything else just goes on.
class BiffContinuedData
{
public:
    // The data of a record and of the CONTINUE records after it, which the
    // reader moves past.
    static BiffContinuedData following(const BiffRecord &record, BiffRecordReader &reader);
    void append(const char *data, int length);
    bool atEnd() const;
    bool failed() const { return m_failed; }
    // Where reading is: the piece and the offset in it.
    int piece() const { return m_piece; }
    int offsetInPiece() const { return m_offset; }
    int pieceSize(int piece) const { return m_pieces.at(piece).length; }

    quint8 byte();
    quint16 u16();
    quint32 u32();
    // The raw bytes (across pieces, no option bytes).
    QByteArray bytes(int count);
    void skip(int count);
    // count characters, the first piece of them as wide as `wide` says;
    // only moved past (an empty result) unless `keep`.
    QString characters(int count, bool wide, bool keep = true);

    // An XLUnicodeRichExtendedString (shared strings, cached formula text).
    struct RichString
    {
        QString text;
        quint8 flags = 0;    // as read
        QByteArray runs;     // formatting runs, four bytes each
        QByteArray phonetic; // the extended (phonetic) block
    };
    // Unless `keep`, only moved past: nothing of the string is made.
    bool richString(RichString *out, bool keep = true);
    // The same string's text alone, in `utf8` as a TextPool stores text
    // (each UTF-16 code unit on its own), without a QString on the way:
    // a table may hold millions. Formatting runs and phonetic data are
    // moved past.
    bool richStringUtf8(std::string *utf8);
    // The bytes left to read, in this piece and the ones after it.
    qint64 remaining() const;
    // Where the next byte lies in the stream; null at the end.
    const char *position() const;
    // Reading goes on from `at`, which must lie in one of the pieces.
    bool seek(const char *at);

private:
    // Walks count characters across the records, handing each stretch that
    // lies in one record to take(bytes, characters, wide).
    template<typename Take>
    void walkCharacters(int count, bool wide, Take take);
    void charactersUtf8(int count, bool wide, std::string *utf8);
    struct Piece
    {
        const char *data;
        int length;
    };
    bool ensure();
    QVector<Piece> m_pieces;
    int m_piece = 0;
    int m_offset = 0;
    bool m_failed = false;
};

#endif // BIFFRECORDS_H
