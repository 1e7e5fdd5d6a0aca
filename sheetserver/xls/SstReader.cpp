#include "xls/SstReader.h"

#include "model/OwnThread.h"
#include "model/TextPool.h"

#include <string>
#include <vector>

namespace {

// Smaller tables are read in one go: parts would cost more than they save.
constexpr quint32 PartsFrom = 100000;
constexpr quint32 MinPartStrings = 25000;

// Up to `count` strings into `strings`: false when reading stopped early,
// at damage or at a string no reader would follow (see richStringUtf8).
bool readStrings(BiffContinuedData &data, quint32 count, TextPool *strings)
{
    std::string text;
    for (quint32 i = 0; i < count && !data.failed(); ++i) {
        if (!data.richStringUtf8(&text))
            return false;
        strings->appendUtf8(text.data(), int(text.size()));
    }
    return !data.failed();
}

struct Part
{
    quint32 first = 0; // the index of its first string
    quint32 count = 0;
    const char *start = nullptr;
    const char *end = nullptr; // where reading stopped
    bool whole = false;
    bool failed = false;
    TextPool strings;
};

} // namespace

bool SstReader::readInOrder(BiffContinuedData data, quint32 unique, TextPool *strings)
{
    // A string that stops the reading ends the table; damage fails it.
    readStrings(data, unique, strings);
    return !data.failed();
}

bool SstReader::read(const BiffContinuedData &table, const QByteArray &stream,
                     const BiffRecord &extSst, TextPool *strings)
{
    BiffContinuedData data = table;
    data.u32(); // references, counted again on save
    const quint32 unique = data.u32();
    // Every string takes three bytes at least: a damaged count cannot make
    // the list take more than the table could hold.
    const qint64 most = qMin<qint64>(unique, data.remaining() / 3);
    strings->reserve(strings->size() + int(most));
    const int buckets = extSst.type == Biff::ExtSst ? (extSst.length - 2) / 8 : 0;
    const quint32 perBucket = buckets > 0 ? Biff::u16(extSst.data) : 0;
    const int count = int(qMin<qint64>(qMin(OwnThread::share(), buckets), unique / MinPartStrings));
    if (data.failed() || unique < PartsFrom || perBucket == 0 || count < 2)
        return readInOrder(data, unique, strings);

    // Each part starts at a bucket's string, spread evenly.
    std::vector<Part> parts(static_cast<size_t>(count));
    parts[0].start = data.position();
    for (int k = 1; k < count; ++k) {
        const int bucket = k * buckets / count;
        const char *b = extSst.data + 2 + 8 * bucket;
        const quint32 offset = Biff::u32(b);
        parts[size_t(k)].first = quint32(bucket) * perBucket;
        if (offset >= quint32(stream.size()) || parts[size_t(k)].first >= unique ||
            parts[size_t(k)].first <= parts[size_t(k - 1)].first)
            return readInOrder(data, unique, strings);
        parts[size_t(k)].start = stream.constData() + offset;
    }
    for (int k = 0; k < count; ++k)
        parts[size_t(k)].count =
            (k + 1 < count ? parts[size_t(k + 1)].first : unique) - parts[size_t(k)].first;
    OwnThread::each(count, [&](int k) {
        Part &part = parts[size_t(k)];
        BiffContinuedData from = data;
        if (!part.start || !from.seek(part.start))
            return false;
        // Together no more than twice what the table can hold.
        part.strings.reserve(int(qMin<qint64>(part.count, 2 * most / count)));
        part.whole = readStrings(from, part.count, &part.strings);
        part.failed = from.failed();
        part.end = from.position();
        return true;
    });
    // The first part starts where the table does: a part that ends where the
    // next one starts proves that start, and the parts are the table.
    for (int k = 0; k + 1 < count; ++k) {
        const Part &part = parts[size_t(k)];
        if (!part.whole || part.end != parts[size_t(k + 1)].start)
            return readInOrder(data, unique, strings);
    }
    for (Part &part : parts)
        strings->take(std::move(part.strings));
    return !parts.back().failed;
}
