#ifndef PACKAGEFLOOR_H
#define PACKAGEFLOOR_H

#include <QString>

// The least a rewrite of a workbook package can cost: inflate every entry,
// deflate it again at the server's level on every core in the server's
// block size (each block primed with the end of the one before, as the
// server's deflater does), take the checksums, write the new package to a
// file and sync it to disk. Whatever the server does beyond this is its
// own overhead.
class PackageFloor
{
public:
    // Seconds the rewrite of `path` into `written` took; negative when the
    // package could not be read or written.
    static double measure(const QString &path, const QString &written);
};

#endif // PACKAGEFLOOR_H
