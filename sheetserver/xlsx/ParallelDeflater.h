#ifndef PARALLELDEFLATER_H
#define PARALLELDEFLATER_H

#include <QByteArray>
#include <QIODevice>
#include <deque>
#include <future>
#include <memory>

class WorkerThreads;

// A write-only device that deflates what is written to it into one raw
// deflate stream, as a zip entry stores it, on several threads at once.
//
// The input is cut into blocks; each block is deflated, and its checksum
// taken, on one of a few threads of the deflater's own, with the end of the
// block before it as its dictionary, and ends on a byte boundary (a sync
// flush), so the pieces joined in order are one valid stream that
// compresses nearly as well as a single pass. Only a few blocks are in
// flight at a time: memory stays bounded whatever the size.
class ParallelDeflater : public QIODevice
{
    Q_OBJECT
public:
    static constexpr int DefaultBlockSize = 1 << 20;

    // level as zlib takes it; threads 0: as many as this job's share of the
    // cores (OwnThread::share).
    explicit ParallelDeflater(int level, int threads = 0, int blockSize = DefaultBlockSize,
                              QObject *parent = nullptr);
    ~ParallelDeflater() override;

    // Deflates what is still held and waits for every block; false when
    // zlib refused something. Nothing may be written afterwards.
    bool finish();

    const QByteArray &compressed() const { return m_compressed; }
    quint32 crc() const { return m_crc; }
    qint64 uncompressedSize() const { return m_size; }
    int level() const { return m_level; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    struct Piece
    {
        QByteArray compressed; // empty when zlib refused the block
        quint32 crc = 0;
        int size = 0;
    };

    void submit(bool last);
    void collectOldest();

    int m_level;
    int m_threads;
    int m_blockSize;
    QByteArray m_block;
    QByteArray m_dictionary;
    std::deque<std::future<Piece>> m_pending;
    QByteArray m_compressed;
    quint32 m_crc = 0;
    qint64 m_size = 0;
    bool m_failed = false;
    bool m_finished = false;
    // Last, so that its threads are done before anything else goes.
    std::unique_ptr<WorkerThreads> m_workers;
};

#endif // PARALLELDEFLATER_H
