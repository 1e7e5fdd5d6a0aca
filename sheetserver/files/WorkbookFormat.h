#ifndef WORKBOOKFORMAT_H
#define WORKBOOKFORMAT_H

#include <QByteArray>
#include <QString>

class WorkbookDocument;
class WorkbookHold;

// What the file layer asks of one format: read a file into a workbook,
// keeping what writing it back as it was needs (the handler's own layout);
// write the file with the workbook's changes; save them over the held file.
// Which handler a file gets, WorkbookFormats tells.
class WorkbookFormat
{
public:
    virtual ~WorkbookFormat() = default;

    // Reads `bytes` into `document` (empty, its path set), forgetting what
    // an earlier read kept; false with the reason for a file that is
    // damaged or hostile.
    virtual bool read(const QByteArray &bytes, WorkbookDocument *document, QString *why) = 0;
    // The file's bytes with the document's changes; no file is touched.
    virtual bool write(WorkbookDocument *document, QByteArray *out, QString *why) = 0;
    // Writes the changes over the held file all at once (AtomicSave): false
    // with the file as it was unless the new file has replaced it. Once it
    // has, `*readAgain` receives the new file if the document still
    // describes the old one: it must be read before the document changes
    // again.
    virtual bool save(WorkbookDocument *document, WorkbookHold *hold, QByteArray *readAgain,
                      QString *why) = 0;
};

#endif // WORKBOOKFORMAT_H
