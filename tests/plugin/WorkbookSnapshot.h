#ifndef WORKBOOKSNAPSHOT_H
#define WORKBOOKSNAPSHOT_H

#include <QString>
#include <QVariantMap>

// What an independent reader (Debian's Python with openpyxl, xlrd for .xls)
// sees in a workbook, to compare a file before and after a run:
//   "sheets"  the sheet names in order
//   "cells"   "Sheet!B3" -> the stored value (a formula as its text "=...",
//             numbers as numbers, dates as ISO text; in .xls a formula's
//             last value, dates as numbers) for every cell with a value or
//             a style
//   "styles"  "Sheet!B3" -> number format, bold, italic, fill, alignment
//   "merged"  sheet -> its merged ranges
// An empty map when the file cannot be read.
namespace WorkbookSnapshot {

QVariantMap take(const QString &path);

// The keys of "cells" whose values differ between two snapshots (present in
// only one counts as different).
QStringList changedCells(const QVariantMap &before, const QVariantMap &after);

} // namespace WorkbookSnapshot

#endif // WORKBOOKSNAPSHOT_H
