#ifndef XLSMAKER_H
#define XLSMAKER_H

#include "WorkbookMaker.h"

#include <QStringList>

// Excel 97-2003 workbooks of text made from nothing, for the benchmarks:
// sheets of rows x columns cells, each text a shared string of its own,
// laid out as a spreadsheet application writes them (minus formatting).
class XlsMaker
{
public:
    static bool writeTextWorkbook(const QString &path, const QStringList &sheetNames,
                                  int rowsPerSheet, int columns, const WorkbookMaker::TextOf &text);
};

#endif // XLSMAKER_H
