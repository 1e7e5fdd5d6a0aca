#include "xlsx/SheetSource.h"

#include "xlsx/ReadAhead.h"
#include "xlsx/ZipPackage.h"

SheetSource::~SheetSource() = default;

const char *BytesSource::data(quint32 from, quint32 to)
{
    return from <= to && to <= quint32(m_bytes.size()) ? m_bytes.constData() + from : nullptr;
}

EntrySource::EntrySource(const ZipPackage &package, int index) : m_package(package)
{
    const quint64 declared = package.entries().at(index).info.uncompressedSize;
    m_open = declared < quint64(0xFFFFFFF0u) && package.openEntry(index);
    m_failed = !m_open;
    m_size = quint32(declared);
    if (m_open)
        m_ahead = std::make_unique<ReadAhead>(package);
}

EntrySource::~EntrySource()
{
    m_ahead.reset();
    if (m_open)
        m_package.closeEntry();
}

const char *EntrySource::data(quint32 from, quint32 to)
{
    if (m_failed || from < m_base || to < from || to > m_size)
        return nullptr;
    // Forget what lies before the range, a good piece at a time.
    const quint32 behind = from - m_base;
    if (behind > (1u << 20) && behind > quint32(m_window.size() / 2)) {
        // Only what was read can go; bytes skipped beyond it are still to
        // be read (and dropped next time).
        const quint32 drop = qMin<quint32>(behind, quint32(m_window.size()));
        m_window.remove(0, int(drop));
        m_base += drop;
    }
    while (m_base + quint32(m_window.size()) < to) {
        QByteArray piece;
        if (!m_ahead->next(&piece) || piece.isEmpty() ||
            m_base + quint64(m_window.size()) + quint64(piece.size()) > m_size) {
            m_failed = true;
            return nullptr;
        }
        m_window.append(piece);
    }
    return m_window.constData() + (from - m_base);
}

bool EntrySource::finish()
{
    if (m_failed || !m_open)
        return false;
    quint64 total = m_base + quint64(m_window.size());
    QByteArray piece;
    bool read = true;
    while ((read = m_ahead->next(&piece)) && !piece.isEmpty())
        total += quint64(piece.size());
    m_ahead.reset();
    m_open = false;
    return m_package.closeEntry() && read && total == m_size;
}
