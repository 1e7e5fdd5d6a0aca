#include "xls/BiffRecords.h"

#include <QtEndian>
#include <cstring>

namespace Biff {

quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

double f64(const char *p)
{
    const quint64 bits = qFromLittleEndian<quint64>(p);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double rkValue(quint32 rk)
{
    double value;
    if (rk & 2) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100 : value;
}

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    case 0x2B:
        return QStringLiteral("#GETTING_DATA");
    }
    return QString();
}

quint8 errorCode(const QString &text)
{
    for (quint8 code : {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A, 0x2B}) {
        if (errorText(code) == text)
            return code;
    }
    return 0x2A;
}

void append16(QByteArray *out, quint16 value)
{
    char b[2];
    qToLittleEndian<quint16>(value, b);
    out->append(b, 2);
}

void append32(QByteArray *out, quint32 value)
{
    char b[4];
    qToLittleEndian<quint32>(value, b);
    out->append(b, 4);
}

void patch16(QByteArray *out, int at, quint16 value)
{
    char b[2];
    qToLittleEndian<quint16>(value, b);
    out->replace(at, 2, b, 2);
}

void patch32(QByteArray *out, int at, quint32 value)
{
    char b[4];
    qToLittleEndian<quint32>(value, b);
    out->replace(at, 4, b, 4);
}

QByteArray record(quint16 type, const QByteArray &data)
{
    QByteArray out;
    out.reserve(4 + data.size());
    append16(&out, type);
    append16(&out, quint16(data.size()));
    out.append(data);
    return out;
}

} // namespace Biff

BiffRecordReader::BiffRecordReader(const QByteArray &stream, quint32 from)
    : m_stream(stream), m_position(from)
{
}

bool BiffRecordReader::peek(BiffRecord *record) const
{
    const quint32 size = quint32(m_stream.size());
    if (m_position >= size || size - m_position < 4)
        return false;
    const char *p = m_stream.constData() + m_position;
    record->type = Biff::u16(p);
    record->length = Biff::u16(p + 2);
    record->offset = m_position;
    record->data = p + 4;
    return record->length <= Biff::MaxRecordData && size - m_position - 4 >= record->length;
}

bool BiffRecordReader::next(BiffRecord *record)
{
    const quint32 size = quint32(m_stream.size());
    if (m_position >= size)
        return false;
    if (!peek(record)) {
        m_damaged = true;
        return false;
    }
    m_position = record->end();
    return true;
}

BiffContinuedData BiffContinuedData::following(const BiffRecord &record, BiffRecordReader &reader)
{
    BiffContinuedData data;
    data.append(record.data, record.length);
    BiffRecord next;
    while (reader.peek(&next) && next.type == Biff::Continue) {
        reader.next(&next);
        data.append(next.data, next.length);
    }
    return data;
}

void BiffContinuedData::append(const char *data, int length)
{
    m_pieces.append({data, length});
}

bool BiffContinuedData::ensure()
{
    while (m_piece < m_pieces.size() && m_offset >= m_pieces.at(m_piece).length) {
        ++m_piece;
        m_offset = 0;
    }
    if (m_piece >= m_pieces.size())
        m_failed = true;
    return !m_failed;
}

bool BiffContinuedData::atEnd() const
{
    for (int p = m_piece; p < m_pieces.size(); ++p) {
        if ((p == m_piece ? m_offset : 0) < m_pieces.at(p).length)
            return false;
    }
    return true;
}

quint8 BiffContinuedData::byte()
{
    if (m_failed || !ensure())
        return 0;
    return quint8(m_pieces.at(m_piece).data[m_offset++]);
}

quint16 BiffContinuedData::u16()
{
    const quint16 low = byte();
    return quint16(low | (byte() << 8));
}

quint32 BiffContinuedData::u32()
{
    const quint32 low = u16();
    return low | (quint32(u16()) << 16);
}

QByteArray BiffContinuedData::bytes(int count)
{
    QByteArray out;
    while (count > 0 && !m_failed && ensure()) {
        const Piece &piece = m_pieces.at(m_piece);
        const int n = qMin(count, piece.length - m_offset);
        out.append(piece.data + m_offset, n);
        m_offset += n;
        count -= n;
    }
    return out;
}

void BiffContinuedData::skip(int count)
{
    while (count > 0 && !m_failed && ensure()) {
        const int n = qMin(count, m_pieces.at(m_piece).length - m_offset);
        m_offset += n;
        count -= n;
    }
}

template<typename Take>
void BiffContinuedData::walkCharacters(int count, bool wide, Take take)
{
    while (count > 0 && !m_failed) {
        if (m_piece < m_pieces.size() && m_offset >= m_pieces.at(m_piece).length) {
            // The characters go on in the next record, after an option byte.
            if (!ensure())
                break;
            wide = (byte() & 1) != 0;
            continue;
        }
        if (m_piece >= m_pieces.size()) {
            m_failed = true;
            break;
        }
        const Piece &piece = m_pieces.at(m_piece);
        const int width = wide ? 2 : 1;
        const int n = qMin(count, (piece.length - m_offset) / width);
        if (n == 0) {
            m_failed = true; // half a character at the end of a record
            break;
        }
        take(piece.data + m_offset, n, wide);
        m_offset += n * width;
        count -= n;
    }
}

QString BiffContinuedData::characters(int count, bool wide, bool keep)
{
    QString out;
    if (keep)
        out.reserve(count);
    walkCharacters(count, wide, [&out, keep](const char *p, int n, bool wide) {
        if (keep && wide) {
            for (int i = 0; i < n; ++i)
                out.append(QChar(Biff::u16(p + 2 * i)));
        } else if (keep) {
            out.append(QString::fromLatin1(p, n));
        }
    });
    return out;
}

bool BiffContinuedData::richString(RichString *out, bool keep)
{
    const quint16 count = u16();
    out->flags = byte();
    const int runs = (out->flags & 0x08) ? u16() : 0;
    const quint32 phonetic = (out->flags & 0x04) ? u32() : 0;
    if (m_failed || phonetic > quint32(Biff::MaxRecordData) * 1024)
        return false;
    out->text = characters(count, out->flags & 0x01, keep);
    if (keep) {
        out->runs = bytes(runs * 4);
        out->phonetic = bytes(int(phonetic));
    } else {
        skip(runs * 4);
        skip(int(phonetic));
    }
    return !m_failed;
}

qint64 BiffContinuedData::remaining() const
{
    qint64 left = 0;
    for (int p = m_piece; p < m_pieces.size(); ++p)
        left += m_pieces.at(p).length - (p == m_piece ? m_offset : 0);
    return qMax<qint64>(0, left);
}

const char *BiffContinuedData::position() const
{
    for (int p = m_piece; p < m_pieces.size(); ++p) {
        const int offset = p == m_piece ? m_offset : 0;
        if (offset < m_pieces.at(p).length)
            return m_pieces.at(p).data + offset;
    }
    return nullptr;
}

bool BiffContinuedData::seek(const char *at)
{
    for (int p = 0; p < m_pieces.size(); ++p) {
        const Piece &piece = m_pieces.at(p);
        if (at >= piece.data && at < piece.data + piece.length) {
            m_piece = p;
            m_offset = int(at - piece.data);
            m_failed = false;
            return true;
        }
    }
    return false;
}

void BiffContinuedData::charactersUtf8(int count, bool wide, std::string *utf8)
{
    // As characters() reads them, each character encoded as it is read.
    walkCharacters(count, wide, [utf8](const char *bytes, int n, bool wide) {
        const auto *p = reinterpret_cast<const uchar *>(bytes);
        const size_t at = utf8->size();
        utf8->resize(at + size_t(3 * n));
        char *out = &(*utf8)[at];
        for (int i = 0; i < n; ++i) {
            const ushort u = wide ? ushort(p[2 * i] | (p[2 * i + 1] << 8)) : p[i];
            if (u < 0x80) {
                *out++ = char(u);
            } else if (u < 0x800) {
                *out++ = char(0xC0 | (u >> 6));
                *out++ = char(0x80 | (u & 0x3F));
            } else {
                *out++ = char(0xE0 | (u >> 12));
                *out++ = char(0x80 | ((u >> 6) & 0x3F));
                *out++ = char(0x80 | (u & 0x3F));
            }
        }
        utf8->resize(size_t(out - utf8->data()));
    });
}

bool BiffContinuedData::richStringUtf8(std::string *utf8)
{
    utf8->clear();
    quint16 count;
    quint8 flags;
    if (!m_failed && m_piece < m_pieces.size() && m_pieces.at(m_piece).length - m_offset >= 3) {
        // The usual case, the whole header in this piece: read at once.
        const char *p = m_pieces.at(m_piece).data + m_offset;
        count = Biff::u16(p);
        flags = quint8(p[2]);
        m_offset += 3;
    } else {
        count = u16();
        flags = byte();
    }
    const int runs = (flags & 0x08) ? u16() : 0;
    const quint32 phonetic = (flags & 0x04) ? u32() : 0;
    if (m_failed || phonetic > quint32(Biff::MaxRecordData) * 1024)
        return false;
    charactersUtf8(count, flags & 0x01, utf8);
    skip(runs * 4);
    skip(int(phonetic));
    return !m_failed;
}
