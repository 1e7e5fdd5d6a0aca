#include "xlsx/ZipPackage.h"

#include "model/OwnThread.h"
#include "model/ProcessMemory.h"
#include "xlsx/PrefaultAhead.h"

#include <QBuffer>
#include <QHash>
#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace {

qint64 inflateLimit(const QuaZipFileInfo64 &info)
{
    const qint64 byRatio =
        qMax(ZipPackage::RatioFloor,
             qint64(qMin<quint64>(info.compressedSize, quint64(1) << 40)) * ZipPackage::MaxRatio);
    return qMin(ZipPackage::MaxEntrySize, byRatio);
}

// Inflates an entry's stored bytes in pieces handed to `take`, which may
// stop it (false). The declared size ends the entry, and nothing after it
// is looked at; whole when the pieces make that size with the declared
// checksum. Works from the bytes alone, so several entries may inflate at
// once on different threads.
enum class Inflated { Whole, Damaged, Refused };

template<typename Take>
Inflated inflateStored(const char *data, qint64 size, const QuaZipFileInfo64 &info, Take &take)
{
    constexpr uInt Piece = 65536;
    const quint64 declared = info.uncompressedSize;
    uLong crc = crc32(0, nullptr, 0);
    quint64 total = 0;
    if (info.method == 0) {
        if (quint64(size) != declared)
            return Inflated::Damaged;
        while (total < declared) {
            const uInt n = uInt(qMin<quint64>(Piece, declared - total));
            Bytef *piece = take.room(n);
            memcpy(piece, data + total, n);
            if (!take(piece, n))
                return Inflated::Refused;
            crc = crc32(crc, piece, n);
            total += n;
        }
        return crc == info.crc ? Inflated::Whole : Inflated::Damaged;
    }
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return Inflated::Damaged;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    stream.avail_in = uInt(qMin<qint64>(size, 0xFFFFFFFF));
    Inflated result = Inflated::Damaged;
    while (total < declared) {
        const uInt room = uInt(qMin<quint64>(Piece, declared - total));
        Bytef *piece = take.room(room);
        stream.next_out = piece;
        stream.avail_out = room;
        const int status = inflate(&stream, Z_NO_FLUSH);
        const uInt made = uInt(stream.next_out - piece);
        if (made > 0 && !take(piece, made)) {
            result = Inflated::Refused;
            break;
        }
        total += made;
        crc = crc32(crc, piece, made);
        if ((status != Z_OK && status != Z_STREAM_END) || made == 0 || status == Z_STREAM_END)
            break;
    }
    inflateEnd(&stream);
    if (result == Inflated::Refused)
        return result;
    return total == declared && crc == info.crc ? Inflated::Whole : Inflated::Damaged;
}

// Inflated pieces checked and dropped: room is one buffer, reused.
struct Discard
{
    Bytef buffer[65536];
    Bytef *room(uInt) { return buffer; }
    bool operator()(const Bytef *, uInt) { return true; }
};

} // namespace

qint64 ZipPackage::maxTotalSize()
{
    return qMax<qint64>(0, ProcessMemory::bytes() - (qint64(6) << 20)) * 2 / 7;
}

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
    qint64 total = 0;
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
        total += qint64(entry.info.uncompressedSize);
        if (total > maxTotalSize()) {
            *why = QStringLiteral("parts inflate beyond what can be held");
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
    m_inflated.assign(size_t(m_entries.size()), char(0));
    return checkPlacement(why);
}

bool ZipPackage::checkPlacement(QString *why)
{
    unzFile handle = m_zip->getUnzFile();
    QVector<int> order(m_entries.size());
    for (int i = 0; i < m_entries.size(); ++i) {
        Entry &entry = m_entries[i];
        int method = 0, level = 0;
        // Opening compares the local header with the directory.
        if (!goTo(entry) || unzOpenCurrentFile2(handle, &method, &level, 1) != UNZ_OK) {
            *why = QStringLiteral("damaged local header of ") + entry.name;
            return false;
        }
        entry.dataStart = qint64(unzGetCurrentFileZStreamPos64(handle));
        unzCloseCurrentFile(handle);
        if (entry.dataStart > m_bytes.size() ||
            entry.info.compressedSize > quint64(m_bytes.size() - entry.dataStart)) {
            *why = QStringLiteral("entry beyond the end of the file: ") + entry.name;
            return false;
        }
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        return m_entries.at(a).dataStart < m_entries.at(b).dataStart;
    });
    qint64 end = 0;
    for (const int i : qAsConst(order)) {
        const Entry &entry = m_entries.at(i);
        if (entry.info.compressedSize == 0)
            continue;
        if (entry.dataStart < end) {
            *why = QStringLiteral("entries share stored bytes: ") + entry.name;
            return false;
        }
        end = entry.dataStart + qint64(entry.info.compressedSize);
    }
    return true;
}

bool ZipPackage::checkUninflated(QString *why) const
{
    // Largest first, dealt in turn to the threads, so they finish together;
    // a few small parts are not worth a thread.
    QVector<int> left;
    qint64 stored = 0;
    for (int i = 0; i < m_entries.size(); ++i) {
        if (!m_inflated.at(i)) {
            left.append(i);
            stored += qint64(m_entries.at(i).info.compressedSize);
        }
    }
    std::sort(left.begin(), left.end(), [this](int a, int b) {
        return m_entries.at(a).info.compressedSize > m_entries.at(b).info.compressedSize;
    });
    const int threads = stored < (qint64(1) << 20) ? 1 : qBound(1, OwnThread::share(), left.size());
    const auto failed = OwnThread::each(threads, [&](int thread) {
        for (int k = thread; k < left.size(); k += threads) {
            const Entry &entry = m_entries.at(left.at(k));
            auto discard = std::make_unique<Discard>();
            if (inflateStored(m_bytes.constData() + entry.dataStart,
                              qint64(entry.info.compressedSize), entry.info,
                              *discard) != Inflated::Whole)
                return left.at(k);
        }
        return -1;
    });
    for (const int index : failed) {
        if (index >= 0) {
            *why = QStringLiteral("damaged entry ") + m_entries.at(index).name;
            return false;
        }
    }
    std::fill(m_inflated.begin(), m_inflated.end(), char(1));
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

bool ZipPackage::inflate(int index, QByteArray *data, QString *why, const PieceCheck &accept) const
{
    const Entry &entry = m_entries.at(index);
    data->clear();
    // Room for what the entry declares, up to a point: a bomb declares a
    // gigabyte and is stopped after a few megabytes; beyond that point the
    // array grows in place (large blocks are remapped, not copied).
    data->reserve(int(qMin<quint64>(entry.info.uncompressedSize, quint64(64) << 20)));
    // Each piece is inflated straight into the array's end. Where all of
    // the entry fits the room reserved, the array never moves and its pages
    // are faulted in ahead of the inflation.
    const qint64 declared = qint64(entry.info.uncompressedSize);
    PrefaultAhead ahead(data->data(), declared <= data->capacity() ? declared : 0);
    struct Append
    {
        QByteArray *data;
        const PieceCheck &accept;
        PrefaultAhead &ahead;
        int used = 0;
        Bytef *room(uInt size)
        {
            data->resize(used + int(size));
            return reinterpret_cast<Bytef *>(data->data() + used);
        }
        bool operator()(const Bytef *piece, uInt size)
        {
            if (accept && !accept(reinterpret_cast<const char *>(piece), int(size)))
                return false;
            used += int(size);
            ahead.reached(used);
            return true;
        }
    } append{data, accept, ahead};
    // Sizes past the limits were refused when the package was loaded.
    const Inflated result = inflateStored(m_bytes.constData() + entry.dataStart,
                                          qint64(entry.info.compressedSize), entry.info, append);
    data->resize(append.used);
    if (result != Inflated::Whole) {
        *why = (result == Inflated::Refused ? QStringLiteral("refused content in ")
                                            : QStringLiteral("damaged entry ")) +
               entry.name;
        data->clear();
        return false;
    }
    m_inflated[size_t(index)] = 1;
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
