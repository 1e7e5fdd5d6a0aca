#ifndef XLSFORMAT_H
#define XLSFORMAT_H

#include "files/WorkbookFormat.h"

#include <memory>

struct XlsLayout;

// An Excel 97-2003 workbook. A save writes the new file to disk as it is
// made; the new file's records and positions are where the next save
// starts from, so it is read again afterwards.
class XlsFormat : public WorkbookFormat
{
public:
    XlsFormat();
    ~XlsFormat() override;

    bool read(const QByteArray &bytes, WorkbookDocument *document, QString *why) override;
    bool write(WorkbookDocument *document, QByteArray *out, QString *why) override;
    bool save(WorkbookDocument *document, WorkbookHold *hold, QByteArray *readAgain,
              QString *why) override;

private:
    std::unique_ptr<XlsLayout> m_layout;
};

#endif // XLSFORMAT_H
