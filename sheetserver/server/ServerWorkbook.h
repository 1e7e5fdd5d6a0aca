#ifndef SERVERWORKBOOK_H
#define SERVERWORKBOOK_H

#include "server/OpenWorkbook.h"
#include "server/SheetServerObject.h"

// One open workbook.
class ServerWorkbook : public SheetServerObject
{
public:
    explicit ServerWorkbook(OpenWorkbookPtr workbook);

    QVariant invoke(const MemberSignature &member, const QVariantList &arguments,
                    bool *known) override;
    bool put(const QByteArray &property, const QVariant &value) override;

private:
    OpenWorkbookPtr m_workbook;
};

#endif // SERVERWORKBOOK_H
