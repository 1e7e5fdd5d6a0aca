#include "files/WorkbookFormats.h"

#include "files/DelimitedFormat.h"
#include "files/PackageFormat.h"
#include "files/XlsFormat.h"
#include "xls/CompoundFile.h"
#include "xlsx/ZipPackage.h"

#include <QFileInfo>

namespace {

bool zipSignature(const QByteArray &start, const QString &)
{
    return ZipPackage::looksLikeZip(start);
}

bool compoundFileSignature(const QByteArray &start, const QString &)
{
    return CompoundFile::looksLikeCompoundFile(start);
}

bool commaSeparatedName(const QByteArray &, const QString &suffix)
{
    return suffix == QLatin1String("csv");
}

bool tabSeparatedName(const QByteArray &, const QString &suffix)
{
    return suffix == QLatin1String("txt") || suffix == QLatin1String("tsv");
}

std::unique_ptr<WorkbookFormat> package()
{
    return std::make_unique<PackageFormat>();
}

std::unique_ptr<WorkbookFormat> xls()
{
    return std::make_unique<XlsFormat>();
}

std::unique_ptr<WorkbookFormat> commaSeparated()
{
    return std::make_unique<DelimitedFormat>(QLatin1Char(','));
}

std::unique_ptr<WorkbookFormat> tabSeparated()
{
    return std::make_unique<DelimitedFormat>(QLatin1Char('\t'));
}

struct Detector
{
    bool byContent; // told from the first bytes, not from the name
    bool (*knows)(const QByteArray &start, const QString &suffix);
    std::unique_ptr<WorkbookFormat> (*make)();
};

// Asked in this order: a container's signature wins over any name.
const Detector detectors[] = {
    {true, zipSignature, package},
    {true, compoundFileSignature, xls},
    {false, commaSeparatedName, commaSeparated},
    {false, tabSeparatedName, tabSeparated},
};

} // namespace

std::unique_ptr<WorkbookFormat> WorkbookFormats::handlerFor(const QByteArray &start,
                                                            const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const Detector &detector : detectors) {
        if (detector.knows(start, suffix))
            return detector.make();
    }
    return nullptr;
}

bool WorkbookFormats::knowsFromContent(const QByteArray &start)
{
    for (const Detector &detector : detectors) {
        if (detector.byContent && detector.knows(start, QString()))
            return true;
    }
    return false;
}
