#ifndef SHEETSERVEROBJECT_H
#define SHEETSERVEROBJECT_H

#include "ServerObject.h"

#include <cstring>

// What the spreadsheet server's objects share: matching a call against a
// member of their table.
class SheetServerObject : public ServerObject
{
protected:
    // The call names this member with this many arguments. Members are
    // matched by name, as the platform's dispatch does; "Count" and
    // "Count()" are the same member.
    static bool is(const MemberSignature &member, const QVariantList &arguments, const char *name,
                   int argumentCount = 0)
    {
        // Cheapest tests first: this runs for every member a call passes by.
        const QByteArray &given = member.name();
        return arguments.size() == argumentCount && given.size() == int(qstrlen(name)) &&
               memcmp(given.constData(), name, size_t(given.size())) == 0;
    }
    static QVariant unknown(bool *known)
    {
        *known = false;
        return QVariant();
    }
};

#endif // SHEETSERVEROBJECT_H
