#ifndef CELLSTYLES_H
#define CELLSTYLES_H

#include "numfmt/NumberFormat.h"

#include <QHash>
#include <QVector>

// The number format of each cell style of a workbook. Formats are parsed
// the first time a cell asks for them.
class CellStyles
{
public:
    void setStyleFormats(const QVector<int> &formatIdByStyle) { m_formatIds = formatIdByStyle; }
    void setCustomFormat(int id, const QString &code) { m_custom.insert(id, code); }
    int formatId(int style) const { return m_formatIds.value(style, 0); }
    const NumberFormat &formatOf(int style) const;

private:
    QVector<int> m_formatIds;
    QHash<int, QString> m_custom;
    mutable QHash<int, NumberFormat> m_parsed;
};

#endif // CELLSTYLES_H
