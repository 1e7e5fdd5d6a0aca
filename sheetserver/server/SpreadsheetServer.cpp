#include "server/SpreadsheetServer.h"

#include "ServerRegistry.h"
#include "server/ServerApplication.h"

void SpreadsheetServer::install()
{
    ServerRegistry::registerServer(QString::fromLatin1(className()), &SpreadsheetServer::create);
}

ServerObjectPtr SpreadsheetServer::create()
{
    return std::make_shared<ServerApplication>();
}

QString SpreadsheetServer::version()
{
    return QStringLiteral("Quorvane sheet server " QUORVANE_VERSION);
}

void SpreadsheetServer::setNewTextEncoding(TextEncoding::NewTextKind ask)
{
    TextEncoding::setNewTextKind(ask);
}
