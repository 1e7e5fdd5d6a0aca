#include "ServerObject.h"

ServerObject::~ServerObject() = default;

QVariant ServerObject::objectValue(const ServerObjectPtr &object)
{
    return QVariant::fromValue(object);
}

bool ServerObject::holdsObject(const QVariant &value)
{
    return value.userType() == qMetaTypeId<ServerObjectPtr>();
}

ServerObjectPtr ServerObject::toObject(const QVariant &value)
{
    return holdsObject(value) ? value.value<ServerObjectPtr>() : ServerObjectPtr();
}
