#ifndef SHEETLAYOUT_H
#define SHEETLAYOUT_H

#include <QVector>
#include <QtGlobal>

class SheetModel;

// Where a sheet's parts lie in the part just written. After a successful
// save the sheet takes these places, so the next save works against the
// file as it now is without reading it again.
class SheetLayout
{
public:
    struct Place
    {
        quint32 start = 0;
        quint32 end = 0;
        quint32 startTagEnd = 0;  // rows only
        bool selfClosing = false; // rows only
        bool dropped = false;     // cells only: nothing was written
    };

    bool hasDimension = false;
    quint32 dimensionStart = 0, dimensionEnd = 0;
    bool sheetDataSelfClosing = false;
    quint32 sheetDataStart = 0, sheetDataContent = 0, sheetDataClose = 0, sheetDataEnd = 0;
    QVector<Place> rows;  // in the sheet's row order
    QVector<Place> cells; // rows then columns

    // The sheet now describes the written part; its changes are saved.
    void apply(SheetModel *sheet) const;
};

#endif // SHEETLAYOUT_H
