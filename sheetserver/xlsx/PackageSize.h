#ifndef PACKAGESIZE_H
#define PACKAGESIZE_H

#include <QString>
#include <QtGlobal>

// The inflated size of a package's parts as its central directory states
// them; nothing is inflated.
class PackageSize
{
public:
    // -1 when the file is no readable zip.
    static qint64 ofFile(const QString &path);
};

#endif // PACKAGESIZE_H
