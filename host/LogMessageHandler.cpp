#include "LogMessageHandler.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

QString logStamp;

QString makeLogStamp(const QDateTime &start)
{
    const QDate date = start.date();
    const QTime time = start.time();
    return QString::number(date.month()) + QString::number(date.day()) +
           QString::number(time.hour()) + QString::number(time.minute());
}

QString logLine(QtMsgType type, const QMessageLogContext &context, const QString &msg,
                const QDateTime &when)
{
    QString colour;
    QString tag;
    switch (type) {
    case QtDebugMsg:
        colour = QStringLiteral("#000000");
        tag = QStringLiteral("D:");
        break;
    case QtWarningMsg:
        colour = QStringLiteral("#FF0000");
        tag = QStringLiteral("W:");
        break;
    case QtCriticalMsg:
        colour = QStringLiteral("#0000FF");
        tag = QStringLiteral("C:");
        break;
    case QtInfoMsg:
        colour = QStringLiteral("#00FF00");
        tag = QStringLiteral("I:");
        break;
    default:
        return QString();
    }
    // One multi-argument call, so a message that itself holds %1 or %2 is
    // never substituted a second time. Messages carry file names and cell
    // texts, so they are escaped: a "<" or "&" in them must show as itself,
    // never open markup (or a script) in the log page.
    return QStringLiteral("<font color=%1>%2 %3:%4, %5, %6, %7</font><p>")
        .arg(colour, when.toString(QStringLiteral("yy_MM_dd hh:mm:ss.zzz")), tag,
             msg.toHtmlEscaped(), QString::fromUtf8(context.file).toHtmlEscaped(),
             QString::fromUtf8(context.function).toHtmlEscaped(), QString::number(context.line));
}

void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    static QMutex mutex;
    QMutexLocker locker(&mutex);

    if (type == QtFatalMsg)
        abort();

    const QString line = logLine(type, context, msg, QDateTime::currentDateTime());

    QFile file(QDir::currentPath() + QStringLiteral("/log/log_") + logStamp +
               QStringLiteral(".html"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        QTextStream stream(&file);
        stream << line << Qt::endl;
        stream.flush();
        file.close();
    }

    const QByteArray bare = msg.toUtf8();
    std::fwrite(bare.constData(), 1, size_t(bare.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
