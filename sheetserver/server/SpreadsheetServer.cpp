#include "server/SpreadsheetServer.h"

#include "ServerRegistry.h"
#include "model/ProcessMemory.h"
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

qint64 SpreadsheetServer::memoryBytes()
{
    return ProcessMemory::bytes();
}

WorkbookMeasure SpreadsheetServer::measure(const QString &path)
{
    return WorkbookMeasure::of(path);
}

void SpreadsheetServer::setNewTextEncoding(TextEncoding::NewTextKind ask)
{
    TextEncoding::setNewTextKind(ask);
}
