#ifndef SERVERAPPLICATION_H
#define SERVERAPPLICATION_H

#include "server/SheetServerObject.h"

#include <memory>

class ServerWorkbooks;

// The root object of one server instance.
class ServerApplication : public SheetServerObject
{
public:
    ServerApplication();
    ~ServerApplication() override;

    QVariant invoke(const MemberSignature &member, const QVariantList &arguments,
                    bool *known) override;
    bool put(const QByteArray &property, const QVariant &value) override;

private:
    std::shared_ptr<ServerWorkbooks> m_workbooks;
    bool m_displayAlerts = true;
    bool m_visible = false;
    bool m_quit = false;
};

#endif // SERVERAPPLICATION_H
