#ifndef SERVERREGISTRY_H
#define SERVERREGISTRY_H

#include "ServerObject.h"

#include <QString>
#include <functional>

// The process-wide table of automation servers: a class name such as
// "Excel.Application" maps to a factory that starts a new, independent
// instance and answers its root object. Registering a name again replaces the
// factory, which is how tests put a recording fake in place of the real
// server. All functions are safe to call from any thread.
class ServerRegistry
{
public:
    using Factory = std::function<ServerObjectPtr()>;

    static void registerServer(const QString &className, Factory factory);
    static void unregisterServer(const QString &className);
    static bool isRegistered(const QString &className);
    // A new instance, or null when nothing is registered under the name or
    // the factory answered nothing.
    static ServerObjectPtr create(const QString &className);
};

#endif // SERVERREGISTRY_H
