#include "xlsx/ZipPackage.h"

#include <QBuffer>
#include <QHash>

namespace {

qint64 inflateLimit(const QuaZipFileInfo64 &info)
{
    const qint64 byRatio =
        qMax(ZipPackage::RatioFloor,
             qint64(qMin<quint64>(info.compressedSize, quint64(1) << 40)) * ZipPackage::MaxRatio);
    return qMin(ZipPackage::MaxEntrySize, byRatio);
}

} // namespace

ZipPackage::ZipPackage() = default;
ZipPackage::~ZipPackage()
{
    if (m_zip)
        m_zip->close();
}

bool ZipPackage::looksLikeZip(const QByteArray &bytes)
{
    return bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06");
}

bool ZipPackage::load(const QByteArray &bytes, QString *why)
{
    m_bytes = bytes;
    m_buffer.reset(new QBuffer(&m_bytes));
    m_zip.reset(new QuaZip(m_buffer.get()));
    if (!m_zip->open(QuaZip::mdUnzip)) {
        *why = QStringLiteral("not a zip container");
        return false;
    }
    QHash<QString, int> seen;
    for (bool more = m_zip->goToFirstFile(); more; more = m_zip->goToNextFile()) {
        Entry entry;
        if (!m_zip->getCurrentFileInfo(&entry.info)) {
            *why = QStringLiteral("unreadable entry");
            return false;
        }
        entry.name = entry.info.name;
        unzGetFilePos64(m_zip->getUnzFile(), &entry.position);
        if (entry.info.flags & 1) {
            *why = QStringLiteral("encrypted entry ") + entry.name;
            return false;
        }
        if (entry.info.method != 0 && entry.info.method != Z_DEFLATED) {
            *why = QStringLiteral("unsupported compression in ") + entry.name;
            return false;
        }
        if (qint64(qMin<quint64>(entry.info.uncompressedSize, quint64(1) << 62)) >
            inflateLimit(entry.info)) {
            *why = QStringLiteral("entry too large: ") + entry.name;
            return false;
        }
        const QString key = entry.name.toLower();
        if (seen.contains(key)) {
            *why = QStringLiteral("duplicate entry ") + entry.name;
            return false;
        }
        seen.insert(key, m_entries.size());
        m_entries.append(entry);
        if (m_entries.size() > 100000) {
            *why = QStringLiteral("too many entries");
            return false;
        }
    }
    if (m_zip->getZipError() != UNZ_OK) {
        *why = QStringLiteral("damaged zip directory");
        return false;
    }
    return true;
}

bool ZipPackage::goTo(const Entry &entry) const
{
    // QuaZip keeps its notion of the current file; going there through the
    // handle directly costs nothing and leaves that notion unused.
    return unzGoToFilePos64(m_zip->getUnzFile(), &entry.position) == UNZ_OK;
}

int ZipPackage::indexOf(const QString &name) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).name == name)
            return i;
    }
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool ZipPackage::inflate(int index, QByteArray *data, QString *why) const
{
    const Entry &entry = m_entries.at(index);
    unzFile handle = m_zip->getUnzFile();
    if (!goTo(entry) || unzOpenCurrentFile(handle) != UNZ_OK) {
        *why = QStringLiteral("cannot open ") + entry.name;
        return false;
    }
    const qint64 limit =
        qMin<qint64>(inflateLimit(entry.info),
                     qint64(qMin<quint64>(entry.info.uncompressedSize, quint64(MaxEntrySize))));
    data->clear();
    data->reserve(int(limit));
    char chunk[65536];
    bool ok = true;
    for (;;) {
        const int n = unzReadCurrentFile(handle, chunk, sizeof chunk);
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        if (data->size() + n > limit) {
            // More than the entry declares: a lie, or a bomb.
            ok = false;
            break;
        }
        data->append(chunk, n);
    }
    // Closing checks the CRC once everything has been read.
    const int closed = unzCloseCurrentFile(handle);
    if (!ok || closed != UNZ_OK || quint64(data->size()) != entry.info.uncompressedSize) {
        *why = QStringLiteral("damaged entry ") + entry.name;
        data->clear();
        return false;
    }
    return true;
}

bool ZipPackage::raw(int index, QByteArray *data, int *method, int *level) const
{
    const Entry &entry = m_entries.at(index);
    unzFile handle = m_zip->getUnzFile();
    if (!goTo(entry) || unzOpenCurrentFile2(handle, method, level, 1) != UNZ_OK)
        return false;
    const quint64 size = entry.info.compressedSize;
    if (size > quint64(MaxEntrySize)) {
        unzCloseCurrentFile(handle);
        return false;
    }
    data->resize(int(size));
    qint64 got = 0;
    while (got < qint64(size)) {
        const int n = unzReadCurrentFile(handle, data->data() + got,
                                         unsigned(qMin<qint64>(qint64(size) - got, 1 << 20)));
        if (n <= 0)
            break;
        got += n;
    }
    unzCloseCurrentFile(handle);
    return got == qint64(size);
}

bool ZipPackage::openEntry(int index) const
{
    return goTo(m_entries.at(index)) && unzOpenCurrentFile(m_zip->getUnzFile()) == UNZ_OK;
}

int ZipPackage::readEntry(char *data, int size) const
{
    return unzReadCurrentFile(m_zip->getUnzFile(), data, unsigned(size));
}

bool ZipPackage::closeEntry() const
{
    return unzCloseCurrentFile(m_zip->getUnzFile()) == UNZ_OK;
}

QString ZipPackage::comment() const
{
    return m_zip ? m_zip->getComment() : QString();
}
