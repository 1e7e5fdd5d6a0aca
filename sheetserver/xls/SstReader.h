#ifndef SSTREADER_H
#define SSTREADER_H

#include "xls/BiffRecords.h"

class TextPool;

// Reads the shared-string table of an Excel 97-2003 workbook (an SST record
// and its CONTINUE records) into a pool, each string decoded straight into
// UTF-8.
//
// A large table is read in parts side by side, each starting at a string
// its EXTSST record says starts there. That record is only a hint: the
// parts are kept only if each ends exactly where the next one started
// (the first starts where the table does, so every start is then proven);
// otherwise the table is read again from its start, string after string.
class SstReader
{
public:
    // `table` lies in `stream`; `extSst` is the EXTSST record after it, if
    // any (type 0: none). False when the table is damaged.
    static bool read(const BiffContinuedData &table, const QByteArray &stream,
                     const BiffRecord &extSst, TextPool *strings);

private:
    static bool readInOrder(BiffContinuedData data, quint32 unique, TextPool *strings);
};

#endif // SSTREADER_H
