#include "RecordingServer.h"

#include "ServerRegistry.h"

#include <QMutexLocker>

namespace {

// Members of Excel's object model that answer objects.
bool answersObject(const QByteArray &name)
{
    static const QSet<QByteArray> names{"Workbooks", "Open",       "Sheets", "ActiveSheet",
                                        "Item",      "UsedRange",  "Range",  "Rows",
                                        "Columns",   "Worksheets", "Cells"};
    return names.contains(name);
}

} // namespace

std::shared_ptr<RecordingLog> RecordingLog::create()
{
    return std::shared_ptr<RecordingLog>(new RecordingLog);
}

void RecordingLog::answer(const QByteArray &member, const QVariant &value)
{
    QMutexLocker lock(&m_mutex);
    m_values.insert(member, value);
}

void RecordingLog::answerNoObject(const QByteArray &member)
{
    QMutexLocker lock(&m_mutex);
    m_noObject.insert(member);
}

void RecordingLog::answerUnknown(const QByteArray &member)
{
    QMutexLocker lock(&m_mutex);
    m_unknown.insert(member);
}

void RecordingLog::throwOn(const QByteArray &member, std::function<void()> raise,
                           const QVariant &argument)
{
    QMutexLocker lock(&m_mutex);
    m_faults.insert(member, {argument, std::move(raise)});
}

QStringList RecordingLog::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

void RecordingLog::clear()
{
    QMutexLocker lock(&m_mutex);
    m_calls.clear();
}

int RecordingLog::instances() const
{
    QMutexLocker lock(&m_mutex);
    return m_instances;
}

void RecordingLog::record(const QString &line)
{
    QMutexLocker lock(&m_mutex);
    m_calls.append(line);
}

void RecordingLog::noteInstance()
{
    QMutexLocker lock(&m_mutex);
    ++m_instances;
}

RecordingLog::Kind RecordingLog::lookup(const QByteArray &signature, const QByteArray &name,
                                        QVariant *value) const
{
    QMutexLocker lock(&m_mutex);
    for (const QByteArray &key : {signature, name}) {
        if (m_unknown.contains(key))
            return Kind::Unknown;
        if (m_noObject.contains(key))
            return Kind::NoObject;
        auto it = m_values.constFind(key);
        if (it != m_values.constEnd()) {
            *value = it.value();
            return Kind::Value;
        }
    }
    return Kind::Default;
}

void RecordingLog::throwIfScripted(const QByteArray &signature, const QByteArray &name,
                                   const QVariantList &arguments) const
{
    std::function<void()> raise;
    {
        QMutexLocker lock(&m_mutex);
        for (const QByteArray &key : {signature, name}) {
            const auto it = m_faults.constFind(key);
            if (it != m_faults.constEnd() &&
                (!it->argument.isValid() || it->argument == arguments.value(0))) {
                raise = it->raise;
                break;
            }
        }
    }
    if (raise)
        raise();
}

RecordingServer::RecordingServer(std::shared_ptr<RecordingLog> log, const QString &name)
    : m_log(std::move(log)), m_name(name)
{
}

void RecordingServer::install(const QString &className, const std::shared_ptr<RecordingLog> &log)
{
    ServerRegistry::registerServer(className, [log, className]() -> ServerObjectPtr {
        log->noteInstance();
        return std::make_shared<RecordingServer>(log, className);
    });
}

QString RecordingServer::describe(const QVariant &value)
{
    if (!value.isValid())
        return QStringLiteral("<invalid>");
    if (value.userType() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return value.toString();
}

QVariant RecordingServer::invoke(const MemberSignature &member, const QVariantList &arguments,
                                 bool *known)
{
    QString line = m_name + QStringLiteral(": ") + QString::fromLatin1(member.text());
    if (!arguments.isEmpty()) {
        QStringList parts;
        for (const QVariant &argument : arguments)
            parts.append(describe(argument));
        line += QStringLiteral(" = ") + parts.join(QStringLiteral(", "));
    }
    m_log->record(line);
    m_log->throwIfScripted(member.text(), member.name(), arguments);

    QVariant value;
    switch (m_log->lookup(member.text(), member.name(), &value)) {
    case RecordingLog::Kind::Unknown:
        *known = false;
        return QVariant();
    case RecordingLog::Kind::NoObject:
        return ServerObject::objectValue(ServerObjectPtr());
    case RecordingLog::Kind::Value:
        return value;
    case RecordingLog::Kind::Default:
        break;
    }
    if (answersObject(member.name())) {
        return ServerObject::objectValue(std::make_shared<RecordingServer>(
            m_log, m_name + QLatin1Char('/') + QString::fromLatin1(member.name())));
    }
    return QVariant();
}

bool RecordingServer::put(const QByteArray &property, const QVariant &value)
{
    m_log->record(m_name + QStringLiteral(": set ") + QString::fromLatin1(property) +
                  QStringLiteral(" = ") + describe(value));
    return true;
}
