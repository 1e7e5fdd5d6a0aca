#include "xlsx/PackageSize.h"

#include <limits>
#include <quazip/quazip.h>

namespace {

qint64 saturatedAdd(qint64 a, qint64 b)
{
    return b > std::numeric_limits<qint64>::max() - a ? std::numeric_limits<qint64>::max() : a + b;
}

} // namespace

qint64 PackageSize::ofFile(const QString &path)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return -1;
    qint64 total = 0;
    for (const QuaZipFileInfo64 &info : zip.getFileInfoList64())
        total = saturatedAdd(total, qint64(qMin<quint64>(info.uncompressedSize,
                                                         std::numeric_limits<qint64>::max())));
    return zip.getZipError() == UNZ_OK ? total : -1;
}
