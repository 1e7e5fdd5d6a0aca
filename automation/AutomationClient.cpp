#include "AutomationClient.h"

#include "ServerRegistry.h"

#include <QDebug>

namespace {

// Only the arguments given go into the list: a list holds each QVariant on
// the heap, and per-cell calls pass one argument or none.
QVariantList givenArguments(const QVariant &a1, const QVariant &a2, const QVariant &a3,
                            const QVariant &a4, const QVariant &a5)
{
    const QVariant *all[] = {&a1, &a2, &a3, &a4, &a5};
    int count = 5;
    while (count > 0 && !all[count - 1]->isValid())
        --count;
    QVariantList arguments;
    if (count == 0)
        return arguments;
    arguments.reserve(count);
    for (int i = 0; i < count; ++i)
        arguments.append(*all[i]);
    return arguments;
}

} // namespace

AutomationClient::AutomationClient(QObject *parent) : QObject(parent) {}

AutomationClient::AutomationClient(const QString &className, QObject *parent)
    : QObject(parent), m_object(ServerRegistry::create(className))
{
    if (!m_object)
        qWarning() << "AutomationClient: no server for" << className;
}

AutomationClient::AutomationClient(ServerObjectPtr object, QObject *parent)
    : QObject(parent), m_object(std::move(object))
{
}

AutomationClient::~AutomationClient() = default;

QVariant AutomationClient::call(const MemberSignature &member, const QVariantList &arguments)
{
    if (!m_object) {
        qWarning() << "AutomationClient: call of" << member.text() << "on a null object";
        return QVariant();
    }
    if (!member.isValid()) {
        qWarning() << "AutomationClient: malformed member" << member.text();
        return QVariant();
    }
    bool known = true;
    QVariant result = m_object->invoke(member, arguments, &known);
    if (!known) {
        qWarning() << "AutomationClient: unknown member" << member.text() << "with"
                   << arguments.size() << "arguments";
        return QVariant();
    }
    return result;
}

QVariant AutomationClient::dynamicCall(const MemberSignature &member, const QVariant &a1,
                                       const QVariant &a2, const QVariant &a3, const QVariant &a4,
                                       const QVariant &a5)
{
    return dynamicCall(member, givenArguments(a1, a2, a3, a4, a5));
}

QVariant AutomationClient::dynamicCall(const MemberSignature &member, const QVariantList &arguments)
{
    return call(member, arguments);
}

bool AutomationClient::setProperty(const char *name, const QVariant &value)
{
    if (!m_object) {
        qWarning() << "AutomationClient: property" << name << "set on a null object";
        return false;
    }
    if (!m_object->put(QByteArray::fromRawData(name, int(qstrlen(name))), value)) {
        qWarning() << "AutomationClient: property" << name << "refused";
        return false;
    }
    return true;
}

AutomationClient *AutomationClient::querySubObject(const MemberSignature &member,
                                                   const QVariant &a1, const QVariant &a2,
                                                   const QVariant &a3, const QVariant &a4,
                                                   const QVariant &a5)
{
    return querySubObject(member, givenArguments(a1, a2, a3, a4, a5));
}

AutomationClient *AutomationClient::querySubObject(const MemberSignature &member,
                                                   const QVariantList &arguments)
{
    const QVariant result = call(member, arguments);
    if (result.isValid() && !ServerObject::holdsObject(result))
        qWarning() << "AutomationClient:" << member.text() << "answered no object";
    return new AutomationClient(ServerObject::toObject(result), this);
}
