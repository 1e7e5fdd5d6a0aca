#ifndef LOGMESSAGEHANDLER_H
#define LOGMESSAGEHANDLER_H

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// Names the log file of this run; main sets it before installing the handler.
extern QString logStamp;

// Month, day, hour and minute without leading zeros: one log file per start
// minute, so two starts in the same minute share a file.
QString makeLogStamp(const QDateTime &start);

// The coloured HTML line of one message; empty for a type the log does not know.
QString logLine(QtMsgType type, const QMessageLogContext &context, const QString &msg,
                const QDateTime &when);

// Appends each message to log/log_<logStamp>.html under the working folder
// and prints the bare message on standard output. Safe from any thread.
void logMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg);

#endif // LOGMESSAGEHANDLER_H
