#include "xlsx/ReadAhead.h"

#include "xlsx/ZipPackage.h"

#include <system_error>

namespace {

// One piece of the entry: what was read, empty at its end; false on failure.
bool readPiece(const ZipPackage &package, QByteArray *piece)
{
    piece->resize(ReadAhead::PieceSize);
    const int n = package.readEntry(piece->data(), ReadAhead::PieceSize);
    piece->resize(qMax(0, n));
    return n >= 0;
}

} // namespace

ReadAhead::ReadAhead(const ZipPackage &package) : m_package(package)
{
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error &) {
        // Read as the pieces are taken.
    }
}

ReadAhead::~ReadAhead()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void ReadAhead::run()
{
    for (;;) {
        QByteArray piece;
        const bool read = readPiece(m_package, &piece);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_failed = !read;
        m_ended = !read || piece.isEmpty();
        if (read)
            m_pieces.push_back(piece);
        m_changed.notify_all();
        if (m_ended)
            return;
        m_changed.wait(lock, [this] { return m_stopping || int(m_pieces.size()) < MaxPieces; });
        if (m_stopping)
            return;
    }
}

bool ReadAhead::next(QByteArray *piece)
{
    if (!m_thread.joinable())
        return readPiece(m_package, piece);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_pieces.empty() || m_ended; });
    if (m_pieces.empty()) {
        // Ended: failed, or every piece, the empty last one too, taken.
        piece->clear();
        return !m_failed;
    }
    *piece = m_pieces.front();
    m_pieces.pop_front();
    m_changed.notify_all();
    return true;
}
