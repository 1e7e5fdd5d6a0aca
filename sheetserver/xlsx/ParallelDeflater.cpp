#include "xlsx/ParallelDeflater.h"

#include "model/OwnThread.h"
#include "xlsx/WorkerThreads.h"

#include <zlib.h>

namespace {

constexpr int WindowSize = 32768;

// One block as a piece of a raw deflate stream: primed with the end of the
// block before, ended on a byte boundary unless it is the last. Empty on
// failure (a piece is never empty: even an empty last block takes bytes).
QByteArray deflateBlock(const QByteArray &input, const QByteArray &dictionary, int level, bool last)
{
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    if (!dictionary.isEmpty() &&
        deflateSetDictionary(&stream, reinterpret_cast<const Bytef *>(dictionary.constData()),
                             uInt(dictionary.size())) != Z_OK) {
        deflateEnd(&stream);
        return QByteArray();
    }
    QByteArray output;
    // Room for the worst case and the flush marker; more is added if needed.
    output.resize(int(deflateBound(&stream, uLong(input.size()))) + 64);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
    stream.avail_in = uInt(input.size());
    const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
    bool ok = true;
    for (;;) {
        stream.next_out = reinterpret_cast<Bytef *>(output.data()) + stream.total_out;
        stream.avail_out = uInt(output.size() - int(stream.total_out));
        const int result = deflate(&stream, flush);
        if (result == Z_STREAM_END || (!last && result == Z_OK && stream.avail_out > 0))
            break;
        if (result != Z_OK && result != Z_BUF_ERROR) {
            ok = false;
            break;
        }
        output.resize(output.size() * 2);
    }
    output.resize(ok ? int(stream.total_out) : 0);
    deflateEnd(&stream);
    return output;
}

} // namespace

ParallelDeflater::ParallelDeflater(int level, int threads, int blockSize, QObject *parent)
    : QIODevice(parent)
    , m_level(level)
    , m_threads(threads > 0 ? threads : OwnThread::share())
    , m_blockSize(qMax(WindowSize, blockSize))
{
    m_block.reserve(m_blockSize);
    m_crc = quint32(crc32(0, nullptr, 0));
    if (m_threads > 1)
        m_workers = std::make_unique<WorkerThreads>(m_threads);
    open(QIODevice::WriteOnly);
}

ParallelDeflater::~ParallelDeflater() = default;

qint64 ParallelDeflater::readData(char *, qint64)
{
    return -1;
}

qint64 ParallelDeflater::writeData(const char *data, qint64 size)
{
    if (m_finished)
        return -1;
    qint64 done = 0;
    while (done < size) {
        const int room = m_blockSize - m_block.size();
        const int take = int(qMin<qint64>(room, size - done));
        m_block.append(data + done, take);
        done += take;
        if (m_block.size() >= m_blockSize)
            submit(false);
    }
    return size;
}

void ParallelDeflater::submit(bool last)
{
    const QByteArray block = m_block;
    m_size += block.size();
    const QByteArray dictionary = m_dictionary;
    m_dictionary = block.right(WindowSize);
    m_block = QByteArray();
    m_block.reserve(m_blockSize);

    const int level = m_level;
    auto work = [block, dictionary, level, last] {
        Piece piece;
        piece.size = block.size();
        piece.crc = quint32(
            crc32(0, reinterpret_cast<const Bytef *>(block.constData()), uInt(block.size())));
        piece.compressed = deflateBlock(block, dictionary, level, last);
        return piece;
    };
    m_pending.push_back(m_workers ? m_workers->run(work) : std::async(std::launch::deferred, work));
    while (int(m_pending.size()) >= m_threads)
        collectOldest();
}

void ParallelDeflater::collectOldest()
{
    const Piece piece = m_pending.front().get();
    m_pending.pop_front();
    if (piece.compressed.isEmpty())
        m_failed = true;
    m_compressed.append(piece.compressed);
    m_crc = quint32(crc32_combine(m_crc, piece.crc, piece.size));
}

bool ParallelDeflater::finish()
{
    if (!m_finished) {
        submit(true);
        while (!m_pending.empty())
            collectOldest();
        m_finished = true;
        m_block = QByteArray();
        m_dictionary = QByteArray();
    }
    return !m_failed;
}
