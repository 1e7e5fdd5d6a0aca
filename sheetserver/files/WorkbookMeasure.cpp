#include "files/WorkbookMeasure.h"

#include "files/WorkbookFormats.h"
#include "xls/CompoundFile.h"
#include "xls/XlsReader.h"
#include "xlsx/PackageSize.h"
#include "xlsx/ZipPackage.h"

#include <QFile>

#include <limits>

namespace {

constexpr qint64 NoSize = -1;

// The size of an .xls file's workbook stream, read through the compound-file
// reader over a mapping of the file: only the header, allocation table and
// directory sectors it looks at are read from disk.
qint64 workbookStreamSize(QFile *file)
{
    const qint64 size = file->size();
    uchar *mapped =
        size > 0 && size <= std::numeric_limits<int>::max() ? file->map(0, size) : nullptr;
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

WorkbookMeasure WorkbookMeasure::of(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray start = file.peek(WorkbookFormats::SignatureBytes);
    WorkbookMeasure measure{Format::Text, file.size()};
    if (ZipPackage::looksLikeZip(start)) {
        const qint64 size = PackageSize::ofFile(path);
        if (size != NoSize)
            measure = {Format::Package, size};
    } else if (CompoundFile::looksLikeCompoundFile(start)) {
        const qint64 size = workbookStreamSize(&file);
        if (size != NoSize)
            measure = {Format::Xls, size};
    }
    return measure;
}
