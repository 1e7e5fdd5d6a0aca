#include "xls/CompoundFile.h"

#include <QBuffer>
#include <QHash>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <functional>

namespace {

constexpr quint32 DifatSector = 0xFFFFFFFCu;
constexpr quint32 FatSector = 0xFFFFFFFDu;
constexpr quint32 EndOfChain = 0xFFFFFFFEu;
constexpr quint32 FreeSector = 0xFFFFFFFFu;
constexpr quint32 NoStream = 0xFFFFFFFFu;
constexpr int HeaderDifatEntries = 109;
constexpr int EntrySize = 128;
constexpr int MiniSectorSize = 64;
const char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

void put32(char *p, quint32 value)
{
    qToLittleEndian<quint32>(value, p);
}

} // namespace

bool CompoundFile::looksLikeCompoundFile(const QByteArray &bytes)
{
    return bytes.size() >= 512 && std::memcmp(bytes.constData(), kSignature, 8) == 0;
}

bool CompoundFile::fail(QString *why, const QString &reason) const
{
    *why = QStringLiteral("compound file: ") + reason;
    return false;
}

quint32 CompoundFile::sectorCount() const
{
    if (!m_places.isEmpty())
        return quint32(m_places.size());
    const qint64 body = qint64(m_bytes.size()) - m_sectorSize;
    return body <= 0 ? 0 : quint32((body + m_sectorSize - 1) / m_sectorSize);
}

const char *CompoundFile::sector(quint32 index) const
{
    if (!m_places.isEmpty())
        return m_bytes.constData() + m_places.at(int(index));
    return m_bytes.constData() + (qint64(index) + 1) * m_sectorSize;
}

bool CompoundFile::load(const QByteArray &bytes, QString *why)
{
    *this = CompoundFile();
    if (!looksLikeCompoundFile(bytes))
        return fail(why, QStringLiteral("no signature"));
    m_bytes = bytes;
    return readHeader(why) && readFat(why) && readDirectory(why) && linkTree(why) &&
           checkOwners(why);
}

bool CompoundFile::readHeader(QString *why)
{
    const char *h = m_bytes.constData();
    const quint16 major = u16(h + 26);
    if (u16(h + 28) != 0xFFFE)
        return fail(why, QStringLiteral("bad byte order mark"));
    m_shift = u16(h + 30);
    if (!((major == 3 && m_shift == 9) || (major == 4 && m_shift == 12)))
        return fail(why, QStringLiteral("unknown version or sector size"));
    if (u16(h + 32) != 6 || u32(h + 56) != 4096)
        return fail(why, QStringLiteral("unknown mini sector size or cutoff"));
    m_sectorSize = 1u << m_shift;
    m_cutoff = u32(h + 56);
    // A last sector cut short reads as if padded with zeros.
    if (m_bytes.size() % m_sectorSize != 0)
        m_bytes.append(QByteArray(int(m_sectorSize - m_bytes.size() % m_sectorSize), '\0'));
    if (quint32(m_bytes.size()) < 2 * m_sectorSize)
        return fail(why, QStringLiteral("truncated"));
    const quint32 sectors = sectorCount();
    const quint32 fatCount = u32(h + 44);
    if (fatCount == 0 || fatCount > sectors)
        return fail(why, QStringLiteral("bad allocation table size"));
    const quint32 perSector = m_sectorSize / 4;
    for (int i = 0; i < HeaderDifatEntries && quint32(m_fatSectors.size()) < fatCount; ++i)
        m_fatSectors.append(u32(h + 76 + 4 * i));
    quint32 next = u32(h + 68);
    const quint32 difatCount = u32(h + 72);
    while (quint32(m_fatSectors.size()) < fatCount) {
        if (next >= sectors || quint32(m_difatSectors.size()) >= difatCount)
            return fail(why, QStringLiteral("allocation table index cut short"));
        m_difatSectors.append(next);
        const char *s = sector(next);
        for (quint32 i = 0; i + 1 < perSector && quint32(m_fatSectors.size()) < fatCount; ++i)
            m_fatSectors.append(u32(s + 4 * i));
        next = u32(s + m_sectorSize - 4);
    }
    for (quint32 s : qAsConst(m_fatSectors)) {
        if (s >= sectors)
            return fail(why, QStringLiteral("allocation table outside the file"));
    }
    return true;
}

bool CompoundFile::readFat(QString *why)
{
    const quint32 perSector = m_sectorSize / 4;
    m_fat.resize(int(m_fatSectors.size() * perSector));
    quint32 *out = m_fat.data();
    for (quint32 s : qAsConst(m_fatSectors)) {
        const char *p = sector(s);
        for (quint32 i = 0; i < perSector; ++i)
            *out++ = u32(p + 4 * i);
    }
    const char *h = m_bytes.constData();
    const quint32 sectors = sectorCount();
    const quint32 miniFatCount = u32(h + 64);
    if (miniFatCount > 0) {
        if (!chain(m_fat, u32(h + 60), sectors, &m_miniFatSectors) ||
            quint32(m_miniFatSectors.size()) < miniFatCount)
            return fail(why, QStringLiteral("damaged mini allocation table"));
        m_miniFatSectors.resize(int(miniFatCount));
        for (quint32 s : qAsConst(m_miniFatSectors)) {
            const char *p = sector(s);
            for (quint32 i = 0; i < perSector; ++i)
                m_miniFat.append(u32(p + 4 * i));
        }
    }
    return true;
}

bool CompoundFile::chain(const QVector<quint32> &table, quint32 first, quint32 limit,
                         QVector<quint32> *sectors) const
{
    sectors->clear();
    quint32 current = first;
    while (current != EndOfChain) {
        if (current >= limit || current >= quint32(table.size()) ||
            quint32(sectors->size()) >= limit)
            return false;
        sectors->append(current);
        current = table.at(int(current));
    }
    return true;
}

bool CompoundFile::readDirectory(QString *why)
{
    const char *h = m_bytes.constData();
    if (!chain(m_fat, u32(h + 48), sectorCount(), &m_directorySectors) ||
        m_directorySectors.isEmpty())
        return fail(why, QStringLiteral("damaged directory"));
    const int perSector = int(m_sectorSize / EntrySize);
    for (quint32 s : qAsConst(m_directorySectors)) {
        const char *p = sector(s);
        for (int i = 0; i < perSector; ++i) {
            const char *e = p + i * EntrySize;
            Entry entry;
            const quint16 nameBytes = u16(e + 64);
            entry.type = Type(quint8(e[66]));
            if (entry.type != Storage && entry.type != Stream && entry.type != Root)
                entry.type = Empty;
            if (nameBytes > 64 || nameBytes % 2 != 0)
                entry.type = Empty;
            if (entry.type != Empty && nameBytes >= 2) {
                for (int c = 0; c < nameBytes / 2 - 1; ++c)
                    entry.name.append(QChar(u16(e + 2 * c)));
            }
            entry.start = u32(e + 116);
            entry.size = u32(e + 120);
            if (m_shift == 12)
                entry.size |= quint64(u32(e + 124)) << 32;
            m_entries.append(entry);
            m_left.append(qint32(u32(e + 68)));
            m_right.append(qint32(u32(e + 72)));
            m_child.append(qint32(u32(e + 76)));
        }
    }
    if (m_entries.first().type != Root)
        return fail(why, QStringLiteral("no root entry"));
    for (const Entry &entry : qAsConst(m_entries)) {
        if (entry.size > quint64(MaxStreamSize))
            return fail(why, QStringLiteral("stream too large"));
    }
    const Entry &root = m_entries.first();
    if (root.size > 0) {
        QVector<quint32> sectors;
        if (!chain(m_fat, root.start, sectorCount(), &sectors) ||
            quint64(sectors.size()) * m_sectorSize < root.size)
            return fail(why, QStringLiteral("damaged mini stream"));
        m_miniStreamSectors = sectors;
        // Some writers record where the last stream in it ends rather than
        // the end of its last mini sector: that sector is whole in the file.
        const int size = int((root.size + MiniSectorSize - 1) / MiniSectorSize * MiniSectorSize);
        m_miniStream.reserve(size);
        for (quint32 s : qAsConst(sectors))
            m_miniStream.append(sector(s), int(m_sectorSize));
        m_miniStream.truncate(size);
    }
    return true;
}

bool CompoundFile::linkTree(QString *why)
{
    // Each entry may be reached once: a second visit means the tree loops.
    QVector<bool> seen(m_entries.size(), false);
    seen[0] = true;
    QVector<QPair<qint32, int>> pending{{m_child.at(0), 0}};
    while (!pending.isEmpty()) {
        const auto [index, parent] = pending.takeLast();
        if (quint32(index) == NoStream)
            continue;
        if (index < 0 || index >= m_entries.size() || seen.at(index) ||
            m_entries.at(index).type == Empty || m_entries.at(index).type == Root)
            return fail(why, QStringLiteral("damaged directory tree"));
        seen[index] = true;
        m_entries[index].parent = parent;
        pending.append({m_left.at(index), parent});
        pending.append({m_right.at(index), parent});
        if (m_entries.at(index).type == Storage)
            pending.append({m_child.at(index), index});
    }
    return true;
}

bool CompoundFile::checkOwners(QString *why) const
{
    // No sector may serve two purposes: a write into one would damage the
    // other.
    QVector<bool> used(int(sectorCount()), false);
    QVector<bool> usedMini(m_miniStream.size() / MiniSectorSize, false);
    auto claim = [](QVector<bool> &map, const QVector<quint32> &sectors) {
        for (quint32 s : sectors) {
            if (map.at(int(s)))
                return false;
            map[int(s)] = true;
        }
        return true;
    };
    bool ok = claim(used, m_fatSectors) && claim(used, m_difatSectors) &&
              claim(used, m_directorySectors) && claim(used, m_miniFatSectors) &&
              claim(used, m_miniStreamSectors);
    QVector<quint32> sectors;
    for (int i = 1; ok && i < m_entries.size(); ++i) {
        const Entry &e = m_entries.at(i);
        if (e.type != Stream || e.parent < 0 || e.size == 0)
            continue;
        const bool mini = e.size < m_cutoff;
        ok = chain(mini ? m_miniFat : m_fat, e.start, quint32(mini ? usedMini.size() : used.size()),
                   &sectors) &&
             quint64(sectors.size()) * (mini ? MiniSectorSize : m_sectorSize) >= e.size &&
             claim(mini ? usedMini : used, sectors);
    }
    return ok || fail(why, QStringLiteral("damaged or overlapping sector chains"));
}

int CompoundFile::child(int parent, const QString &name) const
{
    for (int i = 1; i < m_entries.size(); ++i) {
        if (m_entries.at(i).parent == parent &&
            m_entries.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString CompoundFile::path(int entry) const
{
    QString result = m_entries.at(entry).name;
    for (int p = m_entries.at(entry).parent; p > 0; p = m_entries.at(p).parent)
        result = m_entries.at(p).name + QLatin1Char('/') + result;
    return result;
}

bool CompoundFile::readStream(int entry, QByteArray *data, QString *why) const
{
    data->clear();
    if (entry <= 0 || entry >= m_entries.size() || m_entries.at(entry).type != Stream ||
        m_entries.at(entry).parent < 0 || entry == m_taken)
        return fail(why, QStringLiteral("no such stream"));
    const Entry &e = m_entries.at(entry);
    if (e.size == 0)
        return true;
    const bool mini = e.size < m_cutoff;
    const quint32 unit = mini ? MiniSectorSize : m_sectorSize;
    const quint32 limit = mini ? quint32(m_miniStream.size() / MiniSectorSize) : sectorCount();
    QVector<quint32> sectors;
    if (!chain(mini ? m_miniFat : m_fat, e.start, limit, &sectors) ||
        quint64(sectors.size()) * unit < e.size)
        return fail(why, QStringLiteral("damaged stream ") + e.name);
    data->reserve(int(e.size));
    for (quint32 s : qAsConst(sectors)) {
        const qint64 left = qint64(e.size) - data->size();
        if (left <= 0)
            break;
        const char *from = mini ? m_miniStream.constData() + qint64(s) * MiniSectorSize : sector(s);
        data->append(from, int(qMin<qint64>(left, unit)));
    }
    return true;
}

bool CompoundFile::takeStream(int entry, QByteArray *data, QString *why)
{
    if (m_taken >= 0)
        return fail(why, QStringLiteral("a stream was taken already"));
    if (!readStream(entry, data, why))
        return false;
    m_taken = entry;
    const Entry &e = m_entries.at(entry);
    QVector<quint32> taken;
    if (e.size < m_cutoff || !chain(m_fat, e.start, sectorCount(), &taken))
        return true; // in the mini stream: too small to matter
    QVector<bool> gone(int(sectorCount()), false);
    for (quint32 s : qAsConst(taken))
        gone[int(s)] = true;
    QVector<qint64> places(gone.size(), -1);
    QByteArray kept;
    kept.reserve(int((qint64(gone.size()) - taken.size() + 1) * m_sectorSize));
    kept.append(m_bytes.constData(), int(m_sectorSize)); // the header
    for (int s = 0; s < gone.size(); ++s) {
        if (gone.at(s))
            continue;
        places[s] = kept.size();
        kept.append(sector(quint32(s)), int(m_sectorSize));
    }
    m_bytes = kept;
    m_places = places;
    return true;
}

bool CompoundFile::replaceStream(int entry, const QByteArray &content, QByteArray *file,
                                 QString *why) const
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!replaceStream(entry, content, &buffer, why))
        return false;
    buffer.close();
    *file = out;
    return true;
}

bool CompoundFile::replaceStream(int entry, const QByteArray &content, QIODevice *device,
                                 QString *why) const
{
    return replaceStream(entry, Pieces{content}, device, why);
}

bool CompoundFile::replaceStream(int entry, const Pieces &pieces, QIODevice *device,
                                 QString *why) const
{
    // Where each piece starts in the stream, and the stream's size.
    QVector<qint64> starts;
    qint64 contentSize = 0;
    for (const QByteArray &piece : pieces) {
        starts.append(contentSize);
        contentSize += piece.size();
    }
    // Appends the stream's bytes [from, from + length) to `out`.
    const auto copyContent = [&](qint64 from, qint64 length, QByteArray *out) {
        int p = int(std::upper_bound(starts.cbegin(), starts.cend(), from) - starts.cbegin()) - 1;
        for (; length > 0 && p < pieces.size(); ++p) {
            const qint64 offset = from - starts.at(p);
            const qint64 n = qMin<qint64>(length, pieces.at(p).size() - offset);
            if (n <= 0)
                continue;
            out->append(pieces.at(p).constData() + offset, int(n));
            from += n;
            length -= n;
        }
    };
    if (entry <= 0 || entry >= m_entries.size() || m_entries.at(entry).type != Stream)
        return fail(why, QStringLiteral("no such stream"));
    if (m_taken >= 0 && entry != m_taken)
        return fail(why, QStringLiteral("another stream was taken"));
    if (contentSize < m_cutoff || contentSize > MaxStreamSize)
        return fail(why, QStringLiteral("stream size out of range"));
    const Entry &e = m_entries.at(entry);
    const quint32 oldCount = sectorCount();
    QVector<quint32> fat = m_fat;
    QVector<quint32> fatSectors = m_fatSectors;
    QVector<quint32> difatSectors = m_difatSectors;
    const quint32 perSector = m_sectorSize / 4;
    // The new file is written sector by sector, never whole in memory: the
    // few sectors whose bytes change apart from the stream's own are kept
    // here, the stream's come from `content`, and every other sector is
    // copied from the old file (or zeros past its end).
    QHash<quint32, QByteArray> patched;
    quint32 count = oldCount;
    auto patch = [&](quint32 s) -> char * {
        auto it = patched.find(s);
        if (it == patched.end())
            it = patched.insert(s, s < oldCount ? QByteArray(sector(s), int(m_sectorSize))
                                                : QByteArray(int(m_sectorSize), '\0'));
        return it->data();
    };
    auto ensureSize = [&](quint32 s) { count = qMax(count, s + 1); };

    QVector<quint32> old;
    if (e.size >= m_cutoff) {
        if (!chain(m_fat, e.start, oldCount, &old))
            return fail(why, QStringLiteral("damaged stream ") + e.name);
    } else if (e.size > 0) {
        // Out of the mini stream: its mini sectors are zeroed and freed.
        QVector<quint32> minis;
        if (!chain(m_miniFat, e.start, quint32(m_miniStream.size() / MiniSectorSize), &minis))
            return fail(why, QStringLiteral("damaged stream ") + e.name);
        QVector<quint32> miniFat = m_miniFat;
        for (quint32 m : qAsConst(minis)) {
            miniFat[int(m)] = FreeSector;
            const qint64 offset = qint64(m) * MiniSectorSize;
            std::memset(patch(m_miniStreamSectors.at(int(offset / m_sectorSize))) +
                            offset % m_sectorSize,
                        0, MiniSectorSize);
        }
        for (int k = 0; k < m_miniFatSectors.size(); ++k) {
            for (quint32 i = 0; i < perSector; ++i)
                put32(patch(m_miniFatSectors.at(k)) + 4 * i, miniFat.at(int(k * perSector + i)));
        }
    }

    const int needed = int((quint64(contentSize) + m_sectorSize - 1) / m_sectorSize);
    QVector<quint32> sectors = old.mid(0, needed);
    QVector<quint32> zeroed;
    for (int i = needed; i < old.size(); ++i) {
        fat[int(old.at(i))] = FreeSector;
        zeroed.append(old.at(i));
    }
    int cursor = 0;
    bool grown = false;
    std::function<quint32()> allocate = [&]() -> quint32 {
        while (cursor < fat.size() && fat.at(cursor) != FreeSector)
            ++cursor;
        if (cursor < fat.size())
            return quint32(cursor++);
        // No free sector left: the table takes a sector more, itself in the
        // first slot it adds, and its index a sector more when full.
        grown = true;
        const quint32 added = quint32(fat.size());
        fat.resize(fat.size() + int(perSector));
        std::fill(fat.begin() + int(added), fat.end(), FreeSector);
        fat[int(added)] = FatSector;
        fatSectors.append(added);
        ensureSize(added);
        if (quint32(fatSectors.size()) >
            HeaderDifatEntries + quint32(difatSectors.size()) * (perSector - 1)) {
            const quint32 d = allocate();
            fat[int(d)] = DifatSector;
            difatSectors.append(d);
            ensureSize(d);
        }
        return allocate();
    };
    while (sectors.size() < needed) {
        const quint32 s = allocate();
        fat[int(s)] = EndOfChain; // taken, linked below
        sectors.append(s);
    }
    for (int i = 0; i < sectors.size(); ++i) {
        fat[int(sectors.at(i))] = i + 1 < sectors.size() ? sectors.at(i + 1) : EndOfChain;
        ensureSize(sectors.at(i));
    }
    for (int k = 0; k < fatSectors.size(); ++k) {
        for (quint32 i = 0; i < perSector; ++i)
            put32(patch(fatSectors.at(k)) + 4 * i, fat.at(int(k * perSector + i)));
    }
    QByteArray header = m_bytes.left(int(m_sectorSize));
    if (grown) {
        char h[512];
        std::memcpy(h, m_bytes.constData(), sizeof h);
        put32(h + 44, quint32(fatSectors.size()));
        for (int i = 0; i < HeaderDifatEntries; ++i)
            put32(h + 76 + 4 * i, i < fatSectors.size() ? fatSectors.at(i) : FreeSector);
        put32(h + 68, difatSectors.isEmpty() ? EndOfChain : difatSectors.first());
        put32(h + 72, quint32(difatSectors.size()));
        header.replace(0, int(sizeof h), h, int(sizeof h));
        for (int d = 0; d < difatSectors.size(); ++d) {
            char *p = patch(difatSectors.at(d));
            for (quint32 i = 0; i + 1 < perSector; ++i) {
                const int k = HeaderDifatEntries + d * int(perSector - 1) + int(i);
                put32(p + 4 * i, k < fatSectors.size() ? fatSectors.at(k) : FreeSector);
            }
            put32(p + m_sectorSize - 4,
                  d + 1 < difatSectors.size() ? difatSectors.at(d + 1) : EndOfChain);
        }
    }
    const qint64 entryOffset = qint64(entry) * EntrySize;
    const quint32 directorySector = m_directorySectors.at(int(entryOffset / m_sectorSize));
    char dirEntry[EntrySize];
    std::memcpy(dirEntry, patch(directorySector) + entryOffset % m_sectorSize, EntrySize);
    put32(dirEntry + 116, sectors.first());
    put32(dirEntry + 120, quint32(contentSize));
    put32(dirEntry + 124, 0);
    std::memcpy(patch(directorySector) + entryOffset % m_sectorSize, dirEntry, EntrySize);

    // Where each sector's bytes come from: -1 the old file, -2 zeros, else
    // the index of the stream's sector.
    QVector<qint32> source(int(count), -1);
    for (quint32 s : qAsConst(zeroed))
        source[int(s)] = -2;
    for (int i = 0; i < sectors.size(); ++i)
        source[int(sectors.at(i))] = i;
    const QByteArray zeros(int(m_sectorSize), '\0');
    QByteArray chunk;
    const int chunkSize = 1 << 20;
    chunk.reserve(chunkSize + int(m_sectorSize));
    auto flush = [&]() {
        const bool ok = device->write(chunk) == chunk.size();
        chunk.resize(0);
        return ok;
    };
    chunk.append(header);
    for (quint32 s = 0; s < count; ++s) {
        const auto it = patched.constFind(s);
        if (it != patched.constEnd()) {
            chunk.append(*it);
        } else if (source.at(int(s)) >= 0) {
            const qint64 from = qint64(source.at(int(s))) * m_sectorSize;
            const int length = int(qMin<qint64>(m_sectorSize, contentSize - from));
            copyContent(from, length, &chunk);
            chunk.append(zeros.constData(), int(m_sectorSize) - length);
        } else if (source.at(int(s)) == -1 && s < oldCount) {
            chunk.append(sector(s), int(m_sectorSize));
        } else {
            chunk.append(zeros);
        }
        if (chunk.size() >= chunkSize && !flush())
            return fail(why, device->errorString());
    }
    if (!flush())
        return fail(why, device->errorString());
    return true;
}
