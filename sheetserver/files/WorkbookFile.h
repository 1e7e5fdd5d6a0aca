#ifndef WORKBOOKFILE_H
#define WORKBOOKFILE_H

#include "delimited/DelimitedLayout.h"
#include "xlsx/WorkbookWriter.h"

#include <QByteArray>
#include <QString>
#include <memory>

class WorkbookDocument;
struct PackageLayout;
struct XlsLayout;
class WorkbookHold;

// A workbook file as the server opens and saves it: the document read from
// it, the format it was recognised as, and what that format needs to write
// the file back as it was apart from the changes. Opening reads the whole
// file into memory; from then until this goes the workbook is held (see
// WorkbookHold), and the file is written only by save().
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

    // The workbook, read again from the saved bytes the first time it is
    // asked for after a save (the next save needs the new file's layout).
    WorkbookDocument &document()
    {
        if (!m_savedBytes.isEmpty())
            readSaved();
        return *m_document;
    }

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
    enum class Format { Package, Delimited, Xls };

    WorkbookFile();
    Q_DISABLE_COPY(WorkbookFile)
    bool read(const QByteArray &bytes, QString *why);
    bool readDelimited(const QByteArray &bytes, QString *why);
    // Whether the held file is delimited text (neither a package nor a
    // compound file, as its first SignatureBytes tell) larger than
    // DelimitedText::largestFile of the memory this process may take.
    static constexpr int SignatureBytes = 512; // a compound file's header
    static bool isDelimitedBeyondMemory(const WorkbookHold &hold);
    void readSaved();
    bool write(QByteArray *out, WorkbookWriter::Written *written, QString *why);
    bool saveXls(QString *why);
    void noteSaved();

    std::unique_ptr<WorkbookDocument> m_document;
    Format m_format = Format::Package;
    std::unique_ptr<PackageLayout> m_package;
    DelimitedLayout m_delimited;
    std::unique_ptr<XlsLayout> m_xls;
    std::unique_ptr<WorkbookHold> m_hold; // none when made from bytes alone
    qint64 m_fileSize = -1;
    QByteArray m_savedBytes; // the file as last saved, until read again
};

#endif // WORKBOOKFILE_H
