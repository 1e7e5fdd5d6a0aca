#ifndef RECORDINGSERVER_H
#define RECORDINGSERVER_H

#include "ServerObject.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>

// A fake automation server for tests: every object records each call made on
// it, in order, into one shared log, and answers what the test scripted.
//
//     auto log = RecordingLog::create();
//     log->answer("Count()", 2);
//     RecordingServer::install(QStringLiteral("Excel.Application"), log);
//     ... run the code under test ...
//     QCOMPARE(log->calls(), QStringList{"Excel.Application: Version()", ...});
//
// A call is recorded as "<object>: <signature>" with the arguments after the
// signature, " = " and comma-separated, as in
// "Excel.Application/Workbooks: Open(const QString&) = /tmp/a.xlsx"; a
// property write as "<object>: set <name> = <value>". An object's name is
// the name of the object it came from, "/" and the member that answered it.
//
// Answers are looked up by signature (then by name alone): a scripted value,
// a scripted null object, or by default a new object for the members that
// answer objects in Excel's object model and an invalid value otherwise.
class RecordingLog
{
public:
    static std::shared_ptr<RecordingLog> create();

    void answer(const QByteArray &member, const QVariant &value);
    void answerNoObject(const QByteArray &member);
    // Every object created from now on records calls but answers member as
    // unknown, so the client sees an invalid value.
    void answerUnknown(const QByteArray &member);
    // Calls of member whose first argument is `argument` (every call of it
    // when that is invalid) call raise, which throws as a server out of
    // memory does.
    void throwOn(const QByteArray &member, std::function<void()> raise,
                 const QVariant &argument = QVariant());

    QStringList calls() const;
    void clear();
    int instances() const;

    // Used by RecordingServer.
    void record(const QString &line);
    void noteInstance();
    enum class Kind { Value, NoObject, Unknown, Default };
    Kind lookup(const QByteArray &signature, const QByteArray &name, QVariant *value) const;
    // Throws what throwOn scripted for this call, if anything.
    void throwIfScripted(const QByteArray &signature, const QByteArray &name,
                         const QVariantList &arguments) const;

private:
    RecordingLog() = default;

    mutable QMutex m_mutex;
    QStringList m_calls;
    QHash<QByteArray, QVariant> m_values;
    QSet<QByteArray> m_noObject;
    QSet<QByteArray> m_unknown;
    struct Fault
    {
        QVariant argument;
        std::function<void()> raise;
    };
    QHash<QByteArray, Fault> m_faults;
    int m_instances = 0;
};

class RecordingServer : public ServerObject
{
public:
    RecordingServer(std::shared_ptr<RecordingLog> log, const QString &name);

    // Registers a factory for className whose instances record into log.
    static void install(const QString &className, const std::shared_ptr<RecordingLog> &log);

    QVariant invoke(const MemberSignature &member, const QVariantList &arguments,
                    bool *known) override;
    bool put(const QByteArray &property, const QVariant &value) override;

    static QString describe(const QVariant &value);

private:
    std::shared_ptr<RecordingLog> m_log;
    QString m_name;
};

#endif // RECORDINGSERVER_H
