#include "WorkbookCost.h"

#include "delimited/DelimitedText.h"
#include "xls/CompoundFile.h"
#include "xls/XlsReader.h"

#include <QFile>

#include <limits>
#include <quazip/quazip.h>

namespace {

// Peak resident memory of one job per byte of what it reads, measured on a
// Replace over workbooks of a million cells (`run_bench --price`). A
// package's parts are held inflated and parsed into cells, more per byte
// for short cells such as numbers than for long texts; an .xls stream is
// parsed into cells; delimited text is held as text and as cells, its
// fields being far shorter than their cells (the server refuses, unread,
// delimited text it cannot afford at the same price).
constexpr double PackageCostPerByte = 3.5;
// What a package costs however small: the buffers of the threads that
// deflate its parts again.
constexpr double PackageBaseCost = 6 << 20;
constexpr double XlsCostPerByte = 4.5;
constexpr double TextCostPerByte = DelimitedText::MemoryPerByte;

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

// The size of an .xls file's workbook stream, read through the server's own
// container reader over a mapping of the file: only the header, allocation
// table and directory sectors it looks at are read from disk.
qint64 workbookStreamSize(QFile *file)
{
    const qint64 size = file->size();
    uchar *mapped = size > 0 && size <= std::numeric_limits<int>::max() ? file->map(0, size)
                                                                        : nullptr;
    if (!mapped)
        return NoSize;
    CompoundFile container;
    QString why;
    qint64 found = NoSize;
    if (container.load(QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), int(size)),
                       &why)) {
        const int entry = XlsReader::workbookStream(container);
        if (entry >= 0)
            found = qint64(container.entries().at(entry).size);
    }
    file->unmap(mapped);
    return found;
}

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
        const qint64 size = workbookStreamSize(&file);
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
