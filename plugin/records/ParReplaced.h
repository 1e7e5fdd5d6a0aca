#ifndef PARREPLACED_H
#define PARREPLACED_H

#include <QPair>
#include <QString>
#include <QVector>

// Options of replace, replace by table and delete. Built once per run (or per
// file for replace by table) and only read by the jobs afterwards.
struct ParReplaced
{
    QString sheetIndex;
    // Key and replacement, in building order; an empty replacement deletes.
    QVector<QPair<QString, QString>> pairs;
    // Keys are texts to search; otherwise they are cell addresses.
    bool byKey = true;
    // The spreadsheet's look-at constants: 1 whole cell, 2 part of a cell.
    int lookAt = 2;
    // 1 by rows, 2 by columns.
    int searchOrder = 1;
    bool matchCase = false;
};

#endif // PARREPLACED_H
