#ifndef XMLPARTREADER_H
#define XMLPARTREADER_H

#include <QByteArray>
#include <QXmlStreamReader>

// Qt's XML stream reader over a part held in memory, fed a piece at a time.
// Handed a whole part at once, the reader decodes all of it into one
// buffer; fed in pieces it keeps only about a piece decoded, which for a
// large sheet is the difference of hundreds of megabytes. Pieces are small
// because several readers may run at once, and small pieces stay in cache.
//
// It can also read a stretch of a part as a document of its own: the bytes
// [from, to) between a made-up start and end (see XmlPieces), without
// copying the stretch.
class XmlPartReader
{
public:
    explicit XmlPartReader(const QByteArray &data);
    XmlPartReader(const QByteArray &data, qint64 from, qint64 to, const QByteArray &before,
                  const QByteArray &after);

    // The next token, feeding the reader as it runs dry.
    QXmlStreamReader::TokenType readNext();
    QXmlStreamReader &reader() { return m_reader; }
    bool atEnd() const { return m_reader.atEnd(); }

private:
    static constexpr int PieceSize = 1 << 17;

    void feed();

    const QByteArray &m_data;
    QXmlStreamReader m_reader;
    qint64 m_fed;
    qint64 m_to;
    QByteArray m_after;
    bool m_afterFed = false;
};

#endif // XMLPARTREADER_H
