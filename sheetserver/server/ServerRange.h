#ifndef SERVERRANGE_H
#define SERVERRANGE_H

#include "model/CellAddress.h"
#include "server/OpenWorkbook.h"
#include "server/SheetServerObject.h"

// A block of cells of one sheet, seen as cells, as rows or as columns (which
// only changes what Count() counts).
class ServerRange : public SheetServerObject
{
public:
    enum View { Cells, Rows, Columns };

    ServerRange(OpenWorkbookPtr workbook, int sheet, const CellBlock &block, View view = Cells);

    QVariant invoke(const MemberSignature &member, const QVariantList &arguments,
                    bool *known) override;
    bool put(const QByteArray &property, const QVariant &value) override;

private:
    SheetModel *sheet() const;

    OpenWorkbookPtr m_workbook;
    int m_sheet;
    CellBlock m_block;
    View m_view;
};

#endif // SERVERRANGE_H
