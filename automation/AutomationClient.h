#ifndef AUTOMATIONCLIENT_H
#define AUTOMATIONCLIENT_H

#include "MemberSignature.h"
#include "ServerObject.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

// The caller's handle on one automation object: holds a server object or
// nothing (isNull). Members are named by signature, as in
//
//     AutomationClient app(QStringLiteral("Excel.Application"));
//     AutomationClient *books = app.querySubObject("Workbooks");
//     AutomationClient *book = books->querySubObject("Open(const QString&)", path);
//     QVariant saved = book->dynamicCall("Save()");
//
// Ownership: querySubObject always answers a new client that is a child of
// this one, holding nothing when the server answered no object; so deleting
// the root client deletes every client derived from it. A sub-client may be
// deleted earlier to release its server object sooner.
//
// Calls never throw and never crash on a bad member: an unknown member, a
// wrong argument count or a call on a null client logs a warning and answers
// an invalid QVariant (dynamicCall), false (setProperty) or a null client
// (querySubObject). Trailing invalid arguments are "not given", as in the
// platform's client: dynamicCall("Count()") and dynamicCall("Count()",
// QVariant()) are the same call.
class AutomationClient : public QObject
{
    Q_OBJECT
public:
    // Holds nothing.
    explicit AutomationClient(QObject *parent = nullptr);
    // Starts a new instance of the server registered under className (see
    // ServerRegistry); holds nothing when none is registered.
    explicit AutomationClient(const QString &className, QObject *parent = nullptr);
    // Holds the given server object (nothing when it is null).
    AutomationClient(ServerObjectPtr object, QObject *parent);
    ~AutomationClient() override;

    bool isNull() const { return !m_object; }
    const ServerObjectPtr &object() const { return m_object; }

    QVariant dynamicCall(const MemberSignature &member, const QVariant &a1 = QVariant(),
                         const QVariant &a2 = QVariant(), const QVariant &a3 = QVariant(),
                         const QVariant &a4 = QVariant(), const QVariant &a5 = QVariant());
    QVariant dynamicCall(const MemberSignature &member, const QVariantList &arguments);

    bool setProperty(const char *name, const QVariant &value);

    AutomationClient *querySubObject(const MemberSignature &member, const QVariant &a1 = QVariant(),
                                     const QVariant &a2 = QVariant(),
                                     const QVariant &a3 = QVariant(),
                                     const QVariant &a4 = QVariant(),
                                     const QVariant &a5 = QVariant());
    AutomationClient *querySubObject(const MemberSignature &member, const QVariantList &arguments);

private:
    QVariant call(const MemberSignature &member, const QVariantList &arguments);

    ServerObjectPtr m_object;
};

#endif // AUTOMATIONCLIENT_H
