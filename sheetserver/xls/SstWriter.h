#ifndef SSTWRITER_H
#define SSTWRITER_H

#include "xls/BiffRecords.h"

#include <QByteArray>
#include <QVector>

// Writes a shared-string table as an SST record and the CONTINUE records it
// needs, string after string, and the EXTSST record that indexes it.
//
// A string's header never splits; its characters continue in the next
// record after a fresh option byte (one byte per character when every
// character fits in one, two otherwise); formatting runs split only
// between runs, phonetic data anywhere.
class SstWriter
{
public:
    // The records go at the end of `out`, which lies at `position` in the
    // workbook stream (where the SST record will start); written straight
    // there, as the table may be a large part of the stream.
    SstWriter(QByteArray *out, quint32 position, quint32 references, quint32 strings);

    // A string with its formatting runs and phonetic block as they were.
    void add(const BiffContinuedData::RichString &string);
    void add(const QString &text);
    // Plain text of ASCII characters only, one byte each as it is stored.
    void addAscii(const char *text, int length);
    // Ends the SST record or its last CONTINUE record.
    void finish();
    // The EXTSST record for them, whose buckets point at every dsst-th
    // string.
    QByteArray extSst() const;

private:
    void startRecord(quint16 type);
    void closeRecord();
    int room() const;
    void write(const char *data, int length);
    void writeCharacters(const QString &text, bool wide);
    void startString();

    QByteArray &m_out;
    int m_base; // where the records start in m_out
    quint32 m_position;
    int m_recordStart = 0; // of the open record's header in m_out
    quint32 m_count = 0;
    quint32 m_perBucket = 8;
    struct Bucket
    {
        quint32 position;
        quint16 inRecord;
    };
    QVector<Bucket> m_buckets;
};

#endif // SSTWRITER_H
