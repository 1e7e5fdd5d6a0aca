#ifndef SERVERSHEETS_H
#define SERVERSHEETS_H

#include "server/OpenWorkbook.h"
#include "server/SheetServerObject.h"

// Every sheet of a workbook in workbook order, chart sheets included.
class ServerSheets : public SheetServerObject
{
public:
    explicit ServerSheets(OpenWorkbookPtr workbook);

    QVariant invoke(const MemberSignature &member, const QVariantList &arguments,
                    bool *known) override;
    bool put(const QByteArray &property, const QVariant &value) override;

private:
    OpenWorkbookPtr m_workbook;
};

#endif // SERVERSHEETS_H
