#include "run/WorkbookCost.h"

#include <limits>

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

} // namespace

WorkbookCost::Content WorkbookCost::contentOf(const QString &path)
{
    const WorkbookMeasure measure = SpreadsheetServer::measure(path);
    return {measure.format, measure.unpackedBytes};
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
