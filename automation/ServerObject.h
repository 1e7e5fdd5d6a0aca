#ifndef SERVEROBJECT_H
#define SERVEROBJECT_H

#include "MemberSignature.h"

#include <QMetaType>
#include <QVariant>
#include <QVariantList>
#include <memory>

class ServerObject;
using ServerObjectPtr = std::shared_ptr<ServerObject>;

// One object of an automation server, as the server side implements it. The
// automation client (AutomationClient) is the only caller. Objects are shared:
// a server object lives as long as some client or another server object holds
// it, so a client never sees a dangling object whatever order things are
// deleted in.
//
// An object is used by one thread at a time: the thread that created the
// client it hangs off. Different objects of one server instance share state
// and must not be reached from two threads at once; separate instances share
// nothing.
class ServerObject
{
public:
    virtual ~ServerObject();

    // A method call or a property read. A member that yields an object answers
    // a QVariant holding a ServerObjectPtr (see objectValue), a null one when
    // there is no such object. An unknown member or a wrong number of
    // arguments answers an invalid QVariant and sets *known to false.
    virtual QVariant invoke(const MemberSignature &member, const QVariantList &arguments,
                            bool *known) = 0;

    // A property write; false when the property is unknown or refuses the value.
    // The name's bytes belong to the caller and last only for the call.
    virtual bool put(const QByteArray &property, const QVariant &value) = 0;

    // How invoke wraps an object result, and how a client unwraps it.
    static QVariant objectValue(const ServerObjectPtr &object);
    static bool holdsObject(const QVariant &value);
    static ServerObjectPtr toObject(const QVariant &value);
};

Q_DECLARE_METATYPE(ServerObjectPtr)

#endif // SERVEROBJECT_H
