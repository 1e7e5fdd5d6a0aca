#include "WorkbookCost.h"

#include <QFile>
#include <QSet>
#include <QtEndian>

#include <limits>
#include <quazip/quazip.h>

namespace {

// Peak resident memory of one job per byte of what it reads, measured on a
// Replace over workbooks of a million cells (`run_bench --price`). A
// package's parts are held inflated and parsed into cells, more per byte
// for short cells such as numbers than for long texts; an .xls stream is
// parsed into cells; delimited text is held as text and as cells, its
// fields being far shorter than their cells.
constexpr double PackageCostPerByte = 3.5;
// What a package costs however small: the buffers of the threads that
// deflate its parts again.
constexpr double PackageBaseCost = 6 << 20;
constexpr double XlsCostPerByte = 4.5;
constexpr double TextCostPerByte = 11.5;

constexpr qint64 NoSize = -1;

qint64 saturatedAdd(qint64 a, qint64 b)
{
    return b > std::numeric_limits<qint64>::max() - a ? std::numeric_limits<qint64>::max() : a + b;
}

// The parts' sizes as the central directory states them.
qint64 packageSize(const QString &path)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return NoSize;
    qint64 total = 0;
    for (const QuaZipFileInfo64 &info : zip.getFileInfoList64())
        total = saturatedAdd(total, qint64(qMin<quint64>(info.uncompressedSize,
                                                         std::numeric_limits<qint64>::max())));
    return zip.getZipError() == UNZ_OK ? total : NoSize;
}

// Reads an OLE2 compound file's header and directory, as far as the
// Workbook stream at the top of its tree, a few sectors from disk. Every
// sector number is checked against the file and every chain against loops;
// a directory larger than any workbook's is refused.
class CompoundDirectory
{
public:
    explicit CompoundDirectory(QFile *file) : m_file(file) {}

    qint64 workbookSize()
    {
        if (!readHeader() || !readFatPlaces() || !readDirectory())
            return NoSize;
        const quint32 entries = quint32(m_directory.size() / EntrySize);
        // The root, entry 0, holds its children as a tree through their
        // left and right siblings.
        QVector<quint32> pending{field32(0, 76)};
        QSet<quint32> seen;
        while (!pending.isEmpty()) {
            const quint32 id = pending.takeLast();
            if (id >= entries || seen.contains(id))
                continue;
            seen.insert(id);
            if (entryAt(id)[66] == StreamEntry && nameOf(id) == Workbook) {
                // Files of 512-byte sectors keep only the low half of a size.
                const quint64 size = m_sectorSize == 512 ? field32(id, 120) : field64(id, 120);
                return qint64(qMin<quint64>(size, quint64(m_file->size())));
            }
            pending << field32(id, 68) << field32(id, 72);
        }
        return NoSize;
    }

private:
    static constexpr int EntrySize = 128;
    static constexpr quint32 HeaderDifatEntries = 109;
    static constexpr quint32 MaxDirectorySectors = 4096;
    static constexpr quint32 EndOfChain = 0xFFFFFFFEu;
    static constexpr char StreamEntry = 2;
    static inline const QString Workbook = QStringLiteral("WORKBOOK");

    static quint32 u32(const QByteArray &bytes, int offset)
    {
        return qFromLittleEndian<quint32>(bytes.constData() + offset);
    }

    bool readHeader()
    {
        m_header = m_file->read(512);
        if (m_header.size() < 512 ||
            qFromLittleEndian<quint16>(m_header.constData() + 28) != 0xFFFE)
            return false;
        const quint16 shift = qFromLittleEndian<quint16>(m_header.constData() + 30);
        if (shift != 9 && shift != 12)
            return false;
        m_sectorSize = 1u << shift;
        m_sectors = quint32(qMax<qint64>(0, m_file->size() - m_sectorSize) / m_sectorSize);
        return true;
    }

    // The sector's bytes from offset on, or nothing when it is not in the
    // file.
    QByteArray sector(quint32 index, int offset = 0, int length = -1)
    {
        const int size = length < 0 ? int(m_sectorSize) - offset : length;
        if (index >= m_sectors || !m_file->seek((qint64(index) + 1) * m_sectorSize + offset))
            return {};
        const QByteArray bytes = m_file->read(size);
        return bytes.size() == size ? bytes : QByteArray();
    }

    // Where the allocation table's sectors lie: the header's list, then the
    // chain of list sectors it points to.
    bool readFatPlaces()
    {
        const quint32 count = qMin(u32(m_header, 44), m_sectors);
        for (quint32 n = 0; n < qMin(count, HeaderDifatEntries); ++n)
            m_fatPlaces << u32(m_header, 76 + int(4 * n));
        QSet<quint32> seen;
        quint32 list = u32(m_header, 68);
        while (quint32(m_fatPlaces.size()) < count) {
            const QByteArray places = sector(list);
            if (places.isEmpty() || seen.contains(list))
                return false;
            seen.insert(list);
            const int last = places.size() - 4; // where the next list sector is named
            for (int at = 0; at < last && quint32(m_fatPlaces.size()) < count; at += 4)
                m_fatPlaces << u32(places, at);
            list = u32(places, last);
        }
        return true;
    }

    quint32 next(quint32 index)
    {
        const quint32 perSector = m_sectorSize / 4;
        if (index / perSector >= quint32(m_fatPlaces.size()))
            return EndOfChain;
        const QByteArray at =
            sector(m_fatPlaces.at(int(index / perSector)), int(index % perSector * 4), 4);
        return at.isEmpty() ? EndOfChain : u32(at, 0);
    }

    bool readDirectory()
    {
        QSet<quint32> seen;
        for (quint32 index = u32(m_header, 48); index != EndOfChain; index = next(index)) {
            if (seen.contains(index) || quint32(seen.size()) == MaxDirectorySectors)
                return false;
            seen.insert(index);
            const QByteArray bytes = sector(index);
            if (bytes.isEmpty())
                return false;
            m_directory += bytes;
        }
        return !m_directory.isEmpty();
    }

    const char *entryAt(quint32 id) const { return m_directory.constData() + id * EntrySize; }

    quint32 field32(quint32 id, int offset) const
    {
        return qFromLittleEndian<quint32>(entryAt(id) + offset);
    }

    quint64 field64(quint32 id, int offset) const
    {
        return qFromLittleEndian<quint64>(entryAt(id) + offset);
    }

    // Upper case, as the format compares names.
    QString nameOf(quint32 id) const
    {
        const int units = qMin<int>(qFromLittleEndian<quint16>(entryAt(id) + 64), 64) / 2;
        QString name;
        for (int i = 0; i + 1 < units; ++i)
            name += QChar(qFromLittleEndian<quint16>(entryAt(id) + 2 * i));
        return name.toUpper();
    }

    QFile *m_file;
    QByteArray m_header;
    QByteArray m_directory;
    QVector<quint32> m_fatPlaces;
    quint32 m_sectorSize = 512;
    quint32 m_sectors = 0;
};

} // namespace

WorkbookCost::Content WorkbookCost::contentOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray start = file.peek(8);
    Content content{Kind::Text, file.size()};
    if (start.startsWith("PK\x03\x04") || start.startsWith("PK\x05\x06")) {
        const qint64 size = packageSize(path);
        if (size != NoSize)
            content = {Kind::Package, size};
    } else if (start == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        const qint64 size = CompoundDirectory(&file).workbookSize();
        if (size != NoSize)
            content = {Kind::Xls, size};
    }
    return content;
}

qint64 WorkbookCost::of(const QString &path)
{
    const Content content = contentOf(path);
    const double factor = content.kind == Kind::Package ? PackageCostPerByte
                          : content.kind == Kind::Xls   ? XlsCostPerByte
                                                        : TextCostPerByte;
    const double cost =
        content.bytes * factor + (content.kind == Kind::Package ? PackageBaseCost : 0);
    return cost >= double(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max()
                                                              : qint64(cost);
}
