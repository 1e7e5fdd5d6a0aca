#ifndef PARRETAIN_H
#define PARRETAIN_H

#include <QString>
#include <QVector>

// Options of retain: the texts or cell positions whose cells are kept.
struct ParRetain
{
    QString sheetIndex;
    QVector<QString> keys;
    bool byKey = true;
    bool matchCase = false;
    // The key must equal the whole cell text.
    bool lookAt = false;
};

#endif // PARRETAIN_H
