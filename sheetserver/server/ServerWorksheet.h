#ifndef SERVERWORKSHEET_H
#define SERVERWORKSHEET_H

#include "server/OpenWorkbook.h"
#include "server/SheetServerObject.h"

// One sheet of a workbook, by its place in the workbook.
class ServerWorksheet : public SheetServerObject
{
public:
    ServerWorksheet(OpenWorkbookPtr workbook, int index);

    QVariant invoke(const MemberSignature &member, const QVariantList &arguments,
                    bool *known) override;
    bool put(const QByteArray &property, const QVariant &value) override;

private:
    OpenWorkbookPtr m_workbook;
    int m_index;
};

#endif // SERVERWORKSHEET_H
