#include "server/ServerApplication.h"

#include "server/ServerWorkbooks.h"
#include "server/SpreadsheetServer.h"

ServerApplication::ServerApplication() : m_workbooks(std::make_shared<ServerWorkbooks>()) {}

ServerApplication::~ServerApplication()
{
    m_workbooks->closeAll();
}

QVariant ServerApplication::invoke(const MemberSignature &member, const QVariantList &arguments,
                                   bool *known)
{
    if (m_quit) {
        // After Quit() the instance is gone; calls reach nothing.
        if (is(member, arguments, "Workbooks"))
            return ServerObject::objectValue(ServerObjectPtr());
        return QVariant();
    }
    if (is(member, arguments, "Version"))
        return SpreadsheetServer::version();
    if (is(member, arguments, "Workbooks"))
        return ServerObject::objectValue(m_workbooks);
    if (is(member, arguments, "Quit")) {
        m_workbooks->closeAll();
        m_quit = true;
        return QVariant();
    }
    if (is(member, arguments, "DisplayAlerts"))
        return m_displayAlerts;
    if (is(member, arguments, "Visible"))
        return m_visible;
    return unknown(known);
}

bool ServerApplication::put(const QByteArray &property, const QVariant &value)
{
    if (property == "DisplayAlerts") {
        m_displayAlerts = value.toBool();
        return true;
    }
    if (property == "Visible") {
        m_visible = value.toBool();
        return true;
    }
    return false;
}
