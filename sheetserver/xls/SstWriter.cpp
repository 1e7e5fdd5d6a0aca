#include "xls/SstWriter.h"

#include <QtEndian>

namespace {

bool needsWide(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return true;
    }
    return false;
}

// Whether cutting text before `at` parts a surrogate pair.
bool splitsPair(const QString &text, int at)
{
    return at > 0 && at < text.size() && text.at(at - 1).isHighSurrogate() &&
           text.at(at).isLowSurrogate();
}

} // namespace

SstWriter::SstWriter(QByteArray *out, quint32 position, quint32 references, quint32 strings)
    : m_out(*out), m_base(out->size()), m_position(position)
{
    // Never more than 128 buckets, never fewer than 8 strings in one.
    m_perBucket = qMax<quint32>(8, (strings + 127) / 128);
    startRecord(Biff::Sst);
    Biff::append32(&m_out, references);
    Biff::append32(&m_out, strings);
}

void SstWriter::startRecord(quint16 type)
{
    if (m_out.size() > m_base)
        closeRecord();
    m_recordStart = m_out.size();
    Biff::append16(&m_out, type);
    Biff::append16(&m_out, 0); // length, set on closing
}

void SstWriter::closeRecord()
{
    Biff::patch16(&m_out, m_recordStart + 2, quint16(m_out.size() - m_recordStart - 4));
}

int SstWriter::room() const
{
    return Biff::MaxRecordData - (m_out.size() - m_recordStart - 4);
}

void SstWriter::write(const char *data, int length)
{
    // Bytes that may split anywhere (phonetic data).
    while (length > 0) {
        if (room() == 0)
            startRecord(Biff::Continue);
        const int n = qMin(length, room());
        m_out.append(data, n);
        data += n;
        length -= n;
    }
}

void SstWriter::writeCharacters(const QString &text, bool wide)
{
    const int width = wide ? 2 : 1;
    int done = 0;
    while (done < text.size()) {
        int n = qMin(text.size() - done, room() / width);
        // A surrogate pair stays in one record: readers that decode each
        // record's characters on their own cannot join its halves.
        if (n > 0 && splitsPair(text, done + n))
            --n;
        if (n == 0) {
            startRecord(Biff::Continue);
            m_out.append(char(wide ? 1 : 0));
            continue;
        }
        // Written in place rather than character by character: the table
        // may hold a million strings.
        const int at = m_out.size();
        m_out.resize(at + n * width);
        char *to = m_out.data() + at;
        const QChar *from = text.constData() + done;
        for (int i = 0; i < n; ++i) {
            const ushort c = from[i].unicode();
            if (wide)
                qToLittleEndian<quint16>(c, to + 2 * i);
            else
                to[i] = char(c);
        }
        done += n;
    }
}

void SstWriter::add(const BiffContinuedData::RichString &string)
{
    const bool wide = needsWide(string.text);
    const bool rich = !string.runs.isEmpty();
    const bool phonetic = (string.flags & 0x04) != 0;
    const int header = 3 + (rich ? 2 : 0) + (phonetic ? 4 : 0);
    // The header and at least one character (both halves of a pair) stay
    // in one record.
    const int first = string.text.isEmpty() ? 0 : splitsPair(string.text, 1) ? 4 : wide ? 2 : 1;
    if (room() < header + first)
        startRecord(Biff::Continue);
    startString();
    Biff::append16(&m_out, quint16(string.text.size()));
    m_out.append(char((wide ? 0x01 : 0) | (phonetic ? 0x04 : 0) | (rich ? 0x08 : 0)));
    if (rich)
        Biff::append16(&m_out, quint16(string.runs.size() / 4));
    if (phonetic)
        Biff::append32(&m_out, quint32(string.phonetic.size()));
    writeCharacters(string.text, wide);
    for (int r = 0; r + 4 <= string.runs.size(); r += 4) {
        if (room() < 4)
            startRecord(Biff::Continue);
        m_out.append(string.runs.constData() + r, 4);
    }
    write(string.phonetic.constData(), string.phonetic.size());
}

void SstWriter::startString()
{
    if (m_count % m_perBucket == 0) {
        const int inRecord = m_out.size() - m_recordStart;
        m_buckets.append({m_position + quint32(m_out.size() - m_base), quint16(inRecord)});
    }
    ++m_count;
}

void SstWriter::addAscii(const char *text, int length)
{
    // As add() writes it, without a QString on the way: the header and the
    // first character in one record, the characters continuing in the next
    // records after a fresh option byte.
    if (room() < 3 + (length > 0 ? 1 : 0))
        startRecord(Biff::Continue);
    startString();
    Biff::append16(&m_out, quint16(length));
    m_out.append(char(0));
    while (length > 0) {
        if (room() == 0) {
            startRecord(Biff::Continue);
            m_out.append(char(0));
            continue;
        }
        const int n = qMin(length, room());
        m_out.append(text, n);
        text += n;
        length -= n;
    }
}

void SstWriter::add(const QString &text)
{
    BiffContinuedData::RichString string;
    string.text = text;
    add(string);
}

void SstWriter::finish()
{
    closeRecord();
}

QByteArray SstWriter::extSst() const
{
    QByteArray out;
    Biff::append16(&out, Biff::ExtSst);
    Biff::append16(&out, quint16(2 + 8 * m_buckets.size()));
    Biff::append16(&out, quint16(m_perBucket));
    for (const Bucket &bucket : m_buckets) {
        Biff::append32(&out, bucket.position);
        Biff::append16(&out, bucket.inRecord);
        Biff::append16(&out, 0);
    }
    return out;
}
