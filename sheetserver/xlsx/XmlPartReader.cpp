#include "xlsx/XmlPartReader.h"

XmlPartReader::XmlPartReader(const QByteArray &data) : XmlPartReader(data, 0, data.size(), {}, {})
{
}

XmlPartReader::XmlPartReader(const QByteArray &data, qint64 from, qint64 to,
                             const QByteArray &before, const QByteArray &after)
    : m_data(data), m_fed(from), m_to(to), m_after(after), m_afterFed(after.isEmpty())
{
    if (!before.isEmpty())
        m_reader.addData(before);
    feed();
}

void XmlPartReader::feed()
{
    if (m_fed < m_to) {
        const int piece = int(qMin<qint64>(PieceSize, m_to - m_fed));
        m_reader.addData(m_data.mid(int(m_fed), piece));
        m_fed += piece;
    } else if (!m_afterFed) {
        m_reader.addData(m_after);
        m_afterFed = true;
    }
}

QXmlStreamReader::TokenType XmlPartReader::readNext()
{
    for (;;) {
        const QXmlStreamReader::TokenType token = m_reader.readNext();
        if (m_reader.error() != QXmlStreamReader::PrematureEndOfDocumentError ||
            (m_fed >= m_to && m_afterFed))
            return token;
        feed();
    }
}
