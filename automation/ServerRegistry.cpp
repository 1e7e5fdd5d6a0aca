#include "ServerRegistry.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct Registry
{
    QMutex mutex;
    QHash<QString, ServerRegistry::Factory> factories;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

} // namespace

void ServerRegistry::registerServer(const QString &className, Factory factory)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    if (factory)
        r.factories.insert(className, std::move(factory));
    else
        r.factories.remove(className);
}

void ServerRegistry::unregisterServer(const QString &className)
{
    registerServer(className, Factory());
}

bool ServerRegistry::isRegistered(const QString &className)
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    return r.factories.contains(className);
}

ServerObjectPtr ServerRegistry::create(const QString &className)
{
    Factory factory;
    {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        factory = r.factories.value(className);
    }
    // Started outside the lock: a server may take its time to start, and
    // other threads start their own instances meanwhile.
    return factory ? factory() : ServerObjectPtr();
}
