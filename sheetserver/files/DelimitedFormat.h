#ifndef DELIMITEDFORMAT_H
#define DELIMITEDFORMAT_H

#include "delimited/DelimitedLayout.h"
#include "files/WorkbookFormat.h"

#include <QChar>

// A .csv, .txt or .tsv file: one sheet named after the file, its fields
// split at `delimiter`. The new file's line ends and quoting are where the
// next save starts from, so it is read again after a save.
class DelimitedFormat : public WorkbookFormat
{
public:
    explicit DelimitedFormat(QChar delimiter) : m_delimiter(delimiter) {}

    bool read(const QByteArray &bytes, WorkbookDocument *document, QString *why) override;
    bool write(WorkbookDocument *document, QByteArray *out, QString *why) override;
    bool save(WorkbookDocument *document, WorkbookHold *hold, QByteArray *readAgain,
              QString *why) override;

private:
    QChar m_delimiter;
    DelimitedLayout m_layout;
};

#endif // DELIMITEDFORMAT_H
