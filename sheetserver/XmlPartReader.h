#ifndef XMLPARTREADER_H
#define XMLPARTREADER_H

#include <QByteArray>
#include <QXmlStreamReader>

// Qt's XML stream reader over a part held in memory, fed a piece at a time.
// Handed a whole part at once, the reader decodes all of it into one
// buffer; fed in pieces it keeps only about a piece decoded, which for a
// large sheet is the difference of hundreds of megabytes.
class XmlPartReader
{
public:
    explicit XmlPartReader(const QByteArray &data);

    // The next token, feeding the reader as it runs dry.
    QXmlStreamReader::TokenType readNext();
    QXmlStreamReader &reader() { return m_reader; }
    bool atEnd() const { return m_reader.atEnd(); }

private:
    static constexpr int PieceSize = 1 << 20;

    const QByteArray &m_data;
    QXmlStreamReader m_reader;
    int m_fed = 0;
};

#endif // XMLPARTREADER_H
