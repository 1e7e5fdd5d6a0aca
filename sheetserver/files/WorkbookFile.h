#ifndef WORKBOOKFILE_H
#define WORKBOOKFILE_H

#include <QByteArray>
#include <QString>
#include <memory>

class WorkbookDocument;
class WorkbookFormat;
class WorkbookHold;

// A workbook file as the server opens and saves it: the document read from
// it and the handler of the format it was recognised as (WorkbookFormats),
// which keeps what is needed to write the file back as it was apart from
// the changes. Opening reads the whole file into memory; from then until
// this goes the workbook is held (see WorkbookHold), and the file is written
// only by save().
class WorkbookFile
{
public:
    // The largest file that is read into memory to be opened, in bytes,
    // whatever its format; larger files are refused from their size.
    static constexpr qint64 MaxFileSize = qint64(1) << 30;

    ~WorkbookFile();

    // Opens a workbook of the Office Open XML family or an Excel 97-2003
    // workbook (both recognised by their content) or a .csv/.txt/.tsv file;
    // null, with the reason, for anything else and for any file that is
    // damaged or hostile. Delimited text larger than
    // DelimitedText::largestFile of the memory this process may take
    // (ProcessMemory) is refused from its size, unread.
    static std::unique_ptr<WorkbookFile> open(const QString &path, QString *why);
    // The same from bytes already read; the name's suffix tells delimited
    // text apart (the fuzz target reads through here).
    static std::unique_ptr<WorkbookFile> fromBytes(const QByteArray &bytes, const QString &path,
                                                   QString *why);

    // After a save, the document may still describe the file the save
    // replaced; readSaved() must come before it is shown or changed again.
    WorkbookDocument &document() { return *m_document; }
    // Reads the file the last save wrote, when the document still describes
    // the one it replaced (its format cannot follow the new file otherwise);
    // nothing otherwise. Left until needed, so that a workbook saved and
    // closed is never read again; save() and write() call it first.
    void readSaved();

    // Writes the changes in place, atomically; true and nothing written when
    // there is no change. On failure the file is as it was. A workbook of
    // any format, delimited text included, in which a changed cell holds
    // more than MaxCellText units is not written at all: a spreadsheet
    // application would cut such a cell, or refuse the file.
    bool save(QString *why);
    // The file's bytes with the changes, as a save would make them; the file
    // is not touched.
    bool write(QByteArray *out, QString *why);

private:
    explicit WorkbookFile(std::unique_ptr<WorkbookFormat> format);
    Q_DISABLE_COPY(WorkbookFile)
    bool read(const QByteArray &bytes, QString *why);
    // Whether the held file is delimited text (no detector knows it from its
    // first bytes) larger than DelimitedText::largestFile of the memory this
    // process may take.
    static bool isDelimitedBeyondMemory(const WorkbookHold &hold);

    std::unique_ptr<WorkbookDocument> m_document;
    std::unique_ptr<WorkbookFormat> m_format;
    std::unique_ptr<WorkbookHold> m_hold; // none when made from bytes alone
    QByteArray m_savedBytes;              // the file as last saved, until read again
};

#endif // WORKBOOKFILE_H
