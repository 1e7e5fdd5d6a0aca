#ifndef SERVERWORKBOOKS_H
#define SERVERWORKBOOKS_H

#include "server/OpenWorkbook.h"
#include "server/SheetServerObject.h"

#include <QVector>

// The open workbooks of one server instance.
class ServerWorkbooks : public SheetServerObject
{
public:
    QVariant invoke(const MemberSignature &member, const QVariantList &arguments,
                    bool *known) override;
    bool put(const QByteArray &property, const QVariant &value) override;
    void closeAll();

private:
    QVector<OpenWorkbookPtr> m_open;
};

#endif // SERVERWORKBOOKS_H
