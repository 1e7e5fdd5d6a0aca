#include "xls/XlsReader.h"

#include "model/OwnThread.h"
#include "model/WorkbookDocument.h"
#include "xls/BiffRecords.h"
#include "xls/SstReader.h"
#include "xls/XlsLayout.h"
#include "xls/XlsSheetReader.h"

#include <atomic>
#include <future>
#include <memory>
#include <vector>

namespace {

constexpr quint16 GlobalsKind = 0x0005;
// A workbook stream this large has its shared strings and its sheets read
// side by side; below it, threads would cost more than they save.
constexpr int ParallelFrom = 1 << 20;

struct BoundSheet
{
    quint32 position = 0;
    quint32 record = 0;
    quint8 kind = 0;
    QString name;
};

// One sheet to read: what its BOUNDSHEET8 record says, and what reading
// it gave.
struct SheetJob
{
    const BoundSheet *bound = nullptr;
    std::unique_ptr<SheetModel> sheet;
    XlsLayout::Sheet layout;
    bool ok = false;
    QString why;
    qint64 largestShared = -1;
};

class BookReader
{
public:
    BookReader(WorkbookDocument *document, XlsLayout *layout, QString *why)
        : m_document(document), m_layout(layout), m_why(why)
    {
    }
    ~BookReader()
    {
        // Only when reading stopped early: the strings' thread may still
        // write to the document.
        if (m_strings.valid())
            m_strings.wait();
    }
    bool read(const QByteArray &file);

private:
    bool fail(const QString &reason)
    {
        *m_why = QStringLiteral("Excel 97-2003 workbook: ") + reason;
        return false;
    }
    bool openStream(const QByteArray &file);
    bool readGlobals();
    bool readGlobalRecord(const BiffRecord &record, BiffRecordReader &reader);
    bool readSharedStrings(const BiffRecord &record, BiffRecordReader &reader);
    // Waits for the shared strings being read; false when they are damaged.
    bool stringsRead();
    bool readSheets();
    void readSheet(SheetJob *job) const;

    WorkbookDocument *m_document;
    XlsLayout *m_layout;
    QString *m_why;
    QVector<BoundSheet> m_bound;
    QVector<int> m_styleFormats;
    int m_activeTab = 0;
    bool m_windowSeen = false;
    bool m_cellStyleSeen = false;
    std::future<bool> m_strings; // the shared strings, read on their own thread
};

bool BookReader::read(const QByteArray &file)
{
    const bool read = openStream(file) && readGlobals() && readSheets();
    // A damaged string table is what a reader going record by record would
    // have met first.
    if (!stringsRead())
        return fail(QStringLiteral("damaged shared-string table"));
    return read;
}

bool BookReader::openStream(const QByteArray &file)
{
    QString why;
    if (!m_layout->container.load(file, &why))
        return fail(why);
    CompoundFile &container = m_layout->container;
    m_layout->workbookEntry = XlsReader::workbookStream(container);
    if (m_layout->workbookEntry < 0) {
        if (container.child(0, QStringLiteral("EncryptedPackage")) >= 0) {
            *m_why = QStringLiteral("an encrypted workbook package");
            return false;
        }
        return fail(QStringLiteral("no Workbook stream"));
    }
    if (!container.takeStream(m_layout->workbookEntry, &m_layout->stream, &why))
        return fail(why);
    return true;
}

bool BookReader::readGlobals()
{
    BiffRecordReader reader(m_layout->stream, 0);
    quint16 kind = 0;
    QString why;
    if (!XlsSheetReader::readBof(reader, &kind, &why))
        return fail(why);
    if (kind != GlobalsKind)
        return fail(QStringLiteral("the stream does not start with the workbook globals"));
    BiffRecord record;
    while (reader.next(&record)) {
        if (record.type == Biff::Eof) {
            m_layout->globalsEnd = record.end();
            m_document->styles.setStyleFormats(m_styleFormats);
            return true;
        }
        if (!readGlobalRecord(record, reader))
            return false;
    }
    return fail(QStringLiteral("damaged workbook globals"));
}

bool BookReader::readGlobalRecord(const BiffRecord &record, BiffRecordReader &reader)
{
    const char *d = record.data;
    switch (record.type) {
    case Biff::FilePass:
        return fail(QStringLiteral("encrypted"));
    case Biff::DateMode:
        m_document->date1904 = record.length >= 2 && Biff::u16(d) == 1;
        return true;
    case Biff::Format: {
        BiffContinuedData data;
        data.append(d, record.length);
        const quint16 id = data.u16();
        const quint16 count = data.u16();
        const QString code = data.characters(count, data.byte() & 1);
        if (data.failed())
            return fail(QStringLiteral("damaged FORMAT record"));
        m_document->styles.setCustomFormat(id, code);
        return true;
    }
    case Biff::Xf:
        if (record.length < 6)
            return fail(QStringLiteral("damaged XF record"));
        if (!m_cellStyleSeen && !(Biff::u16(d + 4) & 0x0004)) {
            m_layout->defaultCellStyle = m_styleFormats.size();
            m_cellStyleSeen = true;
        }
        m_styleFormats.append(Biff::u16(d + 2));
        return true;
    case Biff::BoundSheet: {
        BiffContinuedData data;
        data.append(d, record.length);
        BoundSheet sheet;
        sheet.record = record.offset;
        sheet.position = data.u32();
        data.byte(); // visibility
        sheet.kind = data.byte();
        const quint8 count = data.byte();
        sheet.name = data.characters(count, data.byte() & 1);
        if (data.failed())
            return fail(QStringLiteral("damaged BOUNDSHEET record"));
        m_bound.append(sheet);
        return true;
    }
    case Biff::Window1:
        if (!m_windowSeen && record.length >= 12)
            m_activeTab = Biff::u16(d + 10);
        m_windowSeen = true;
        return true;
    case Biff::Sst:
        return readSharedStrings(record, reader);
    }
    return true;
}

bool BookReader::readSharedStrings(const BiffRecord &record, BiffRecordReader &reader)
{
    // A second table adds to the first, so the first is read through.
    if (!stringsRead())
        return fail(QStringLiteral("damaged shared-string table"));
    BiffContinuedData data = BiffContinuedData::following(record, reader);
    BiffRecord extSst; // where strings start, if it comes next
    if (!reader.peek(&extSst) || extSst.type != Biff::ExtSst)
        extSst = BiffRecord();
    TextPool *strings = &m_document->sharedStrings;
    const QByteArray &stream = m_layout->stream;
    if (stream.size() < ParallelFrom)
        return SstReader::read(data, stream, extSst, strings) ||
               fail(QStringLiteral("damaged shared-string table"));
    // Only this thread's reading of the sheets goes on meanwhile, and it
    // never looks at the strings.
    m_strings = OwnThread::start([data, &stream, extSst, strings] {
        return SstReader::read(data, stream, extSst, strings);
    });
    return true;
}

bool BookReader::stringsRead()
{
    if (!m_strings.valid())
        return true;
    return m_strings.get();
}

void BookReader::readSheet(SheetJob *job) const
{
    const BoundSheet &bound = *job->bound;
    if (bound.position < m_layout->globalsEnd ||
        bound.position >= quint32(m_layout->stream.size())) {
        job->why = QStringLiteral("a sheet outside the workbook stream");
        return;
    }
    job->sheet = std::make_unique<SheetModel>();
    job->sheet->name = bound.name;
    XlsSheetReader reader(m_layout->stream);
    job->ok = reader.read(bound.position, bound.kind, job->sheet.get());
    job->why = reader.why();
    job->largestShared = reader.largestSharedIndex();
    job->layout.boundSheet = bound.record;
    job->layout.start = bound.position;
    job->layout.end = reader.end();
    job->layout.superseded = reader.superseded();
}

bool BookReader::readSheets()
{
    m_layout->boundSheets = m_bound.size();
    QVector<int> modelIndex(m_bound.size(), 0);
    std::vector<SheetJob> jobs;
    for (int i = 0; i < m_bound.size(); ++i) {
        modelIndex[i] = int(jobs.size());
        if (m_bound.at(i).kind == 6)
            continue; // a Visual Basic module: no sheet of the workbook
        jobs.emplace_back();
        jobs.back().bound = &m_bound.at(i);
    }
    // Each sheet's records are its own: a few threads take the sheets one
    // after the other.
    const int threads = m_layout->stream.size() < ParallelFrom
                            ? 1
                            : qBound(1, OwnThread::share(), int(jobs.size()));
    std::atomic<size_t> next{0};
    OwnThread::each(threads, [&](int) {
        for (size_t j = next++; j < jobs.size(); j = next++)
            readSheet(&jobs[j]);
        return true;
    });
    // What a reader going sheet by sheet would have met first: the first
    // damaged sheet, and in it a string that is not in the table before
    // anything after it.
    if (!stringsRead())
        return fail(QStringLiteral("damaged shared-string table"));
    const qint64 strings = m_document->sharedStrings.size();
    for (SheetJob &job : jobs) {
        if (job.largestShared >= strings)
            return fail(QStringLiteral("damaged cell record"));
        if (!job.ok)
            return fail(job.why);
        m_layout->sheets.append(job.layout);
        m_document->sheets.append(job.sheet.release());
    }
    const int active = m_activeTab < modelIndex.size() ? modelIndex.at(m_activeTab) : 0;
    m_document->activeSheet = active < m_document->sheets.size() ? active : 0;
    return true;
}

} // namespace

int XlsReader::workbookStream(const CompoundFile &container)
{
    const int workbook = container.child(0, QStringLiteral("Workbook"));
    return workbook >= 0 ? workbook : container.child(0, QStringLiteral("Book"));
}

bool XlsReader::read(const QByteArray &file, WorkbookDocument *document, XlsLayout *layout,
                     QString *why)
{
    return BookReader(document, layout, why).read(file);
}
