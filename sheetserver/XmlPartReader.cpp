#include "XmlPartReader.h"

XmlPartReader::XmlPartReader(const QByteArray &data) : m_data(data)
{
    const int piece = qMin(PieceSize, data.size());
    m_reader.addData(data.left(piece));
    m_fed = piece;
}

QXmlStreamReader::TokenType XmlPartReader::readNext()
{
    for (;;) {
        const QXmlStreamReader::TokenType token = m_reader.readNext();
        if (m_reader.error() != QXmlStreamReader::PrematureEndOfDocumentError ||
            m_fed >= m_data.size())
            return token;
        const int piece = qMin(PieceSize, m_data.size() - m_fed);
        m_reader.addData(m_data.mid(m_fed, piece));
        m_fed += piece;
    }
}
