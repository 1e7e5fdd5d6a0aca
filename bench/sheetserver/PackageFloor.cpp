#include "PackageFloor.h"

#include "xlsx/ParallelDeflater.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <atomic>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr int WindowSize = 32768;

struct Block
{
    QByteArray compressed;
    quint32 crc = 0;
    bool ok = false;
};

Block deflateBlock(const char *data, int size, const char *dictionary, int dictionarySize,
                   bool last)
{
    Block block;
    block.crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(data), uInt(size)));
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return block;
    if (dictionarySize > 0)
        deflateSetDictionary(&stream, reinterpret_cast<const Bytef *>(dictionary),
                             uInt(dictionarySize));
    block.compressed.resize(int(deflateBound(&stream, uLong(size))) + 64);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    stream.avail_in = uInt(size);
    stream.next_out = reinterpret_cast<Bytef *>(block.compressed.data());
    stream.avail_out = uInt(block.compressed.size());
    const int result = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
    block.ok = last ? result == Z_STREAM_END : result == Z_OK;
    block.compressed.resize(int(stream.total_out));
    deflateEnd(&stream);
    return block;
}

// Every block of one entry at once, on as many threads as there are cores.
bool deflateEntry(const QByteArray &data, QByteArray *compressed, quint32 *crc)
{
    const int blockSize = ParallelDeflater::DefaultBlockSize;
    const int count = qMax(1, (data.size() + blockSize - 1) / blockSize);
    std::vector<Block> blocks(static_cast<size_t>(count));
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < count; i = next++) {
            const int from = i * blockSize;
            const int size = qMin(blockSize, data.size() - from);
            const int dictionary = qMin(from, WindowSize);
            blocks[size_t(i)] =
                deflateBlock(data.constData() + from, size, data.constData() + from - dictionary,
                             dictionary, i == count - 1);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < qMin(count, QThread::idealThreadCount()); ++t)
        threads.emplace_back(work);
    work();
    for (std::thread &thread : threads)
        thread.join();
    *crc = quint32(crc32(0, nullptr, 0));
    compressed->clear();
    for (int i = 0; i < count; ++i) {
        const Block &block = blocks[size_t(i)];
        if (!block.ok)
            return false;
        const int size = qMin(blockSize, data.size() - i * blockSize);
        *crc = quint32(crc32_combine(*crc, block.crc, size));
        compressed->append(block.compressed);
    }
    return true;
}

} // namespace

double PackageFloor::measure(const QString &path, const QString &written)
{
    QElapsedTimer timer;
    timer.start();
    QuaZip in(path);
    QFile file(written);
    if (!in.open(QuaZip::mdUnzip) || !file.open(QIODevice::WriteOnly))
        return -1;
    QuaZip out(&file);
    out.setDataDescriptorWritingEnabled(false);
    out.setAutoClose(false); // still to be synced
    if (!out.open(QuaZip::mdCreate))
        return -1;
    bool ok = true;
    for (bool more = in.goToFirstFile(); more && ok; more = in.goToNextFile()) {
        QuaZipFile entry(&in);
        ok = entry.open(QIODevice::ReadOnly);
        const QByteArray data = entry.readAll();
        entry.close(); // checks the entry's checksum
        QByteArray compressed;
        quint32 crc = 0;
        ok = ok && entry.getZipError() == UNZ_OK && deflateEntry(data, &compressed, &crc);
        QuaZipNewInfo info(in.getCurrentFileName());
        info.uncompressedSize = ulong(data.size());
        QuaZipFile stored(&out);
        ok = ok &&
             stored.open(QIODevice::WriteOnly, info, nullptr, crc, Z_DEFLATED,
                         Z_DEFAULT_COMPRESSION, true) &&
             stored.write(compressed) == compressed.size();
        stored.close();
        ok = ok && stored.getZipError() == ZIP_OK;
    }
    out.close();
    ok = ok && out.getZipError() == ZIP_OK && file.flush() && fsync(file.handle()) == 0;
    file.close();
    return ok ? timer.nsecsElapsed() / 1e9 : -1;
}
