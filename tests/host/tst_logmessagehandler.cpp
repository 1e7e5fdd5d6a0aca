#include "LogMessageHandler.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

QString logPath()
{
    return QDir::currentPath() + QStringLiteral("/log/log_") + logStamp + QStringLiteral(".html");
}

QStringList logLines()
{
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Sends standard output to a file for as long as it lives.
class CapturedStdout
{
public:
    CapturedStdout()
    {
        m_file.open();
        std::fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        dup2(m_file.handle(), STDOUT_FILENO);
    }
    ~CapturedStdout() { restore(); }
    QByteArray text()
    {
        restore();
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

const QDateTime kWhen(QDate(2026, 12, 7), QTime(9, 5, 3, 120));

} // namespace

class TestLogMessageHandler : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void stampHasNoLeadingZeros();
    void stampsOfDifferentDatesCanMeet();
    void lineWithoutContext();
    void lineWithContext();
    void lineTemplatesByType();
    void unknownTypeGivesEmptyLine();
    void placeholdersInMessageStayLiteral();
    void markupInMessageIsShownNotObeyed();
    void handlerAppendsOneLinePerMessage();
    void handlerWritesBareMessageToStdout();
    void handlerWithoutLogFolderStillPrints();
    void unknownTypeWritesEmptyLogLine();
    void concurrentMessagesNeverInterleave();
};

void TestLogMessageHandler::init()
{
    QDir(QDir::currentPath()).mkpath(QStringLiteral("log"));
    logStamp = QString::fromLatin1(QTest::currentTestFunction());
    QFile::remove(logPath());
}

void TestLogMessageHandler::stampHasNoLeadingZeros()
{
    QCOMPARE(makeLogStamp(QDateTime(QDate(2026, 12, 7), QTime(9, 5))), QStringLiteral("12795"));
    QCOMPARE(makeLogStamp(QDateTime(QDate(2026, 1, 1), QTime(0, 0))), QStringLiteral("1100"));
    QCOMPARE(makeLogStamp(QDateTime(QDate(2026, 10, 31), QTime(23, 59))),
             QStringLiteral("10312359"));
}

void TestLogMessageHandler::stampsOfDifferentDatesCanMeet()
{
    QCOMPARE(makeLogStamp(QDateTime(QDate(2026, 1, 11), QTime(2, 5))), QStringLiteral("11125"));
    QCOMPARE(makeLogStamp(QDateTime(QDate(2026, 11, 1), QTime(2, 5))), QStringLiteral("11125"));
}

void TestLogMessageHandler::lineWithoutContext()
{
    const QMessageLogContext none;
    QCOMPARE(logLine(QtDebugMsg, none, QStringLiteral("x"), kWhen),
             QStringLiteral("<font color=#000000>26_12_07 09:05:03.120 D::x, , , 0</font><p>"));
}

void TestLogMessageHandler::lineWithContext()
{
    const QMessageLogContext context("src/a.cpp", 42, "void f(int)", "default");
    QCOMPARE(logLine(QtWarningMsg, context, QStringLiteral("磁盘已满"), kWhen),
             QStringLiteral("<font color=#FF0000>26_12_07 09:05:03.120 W::磁盘已满, src/a.cpp, "
                            "void f(int), 42</font><p>"));
}

void TestLogMessageHandler::lineTemplatesByType()
{
    const QMessageLogContext none;
    QCOMPARE(logLine(QtCriticalMsg, none, QStringLiteral("c"), kWhen),
             QStringLiteral("<font color=#0000FF>26_12_07 09:05:03.120 C::c, , , 0</font><p>"));
    QCOMPARE(logLine(QtInfoMsg, none, QStringLiteral("i"), kWhen),
             QStringLiteral("<font color=#00FF00>26_12_07 09:05:03.120 I::i, , , 0</font><p>"));
}

void TestLogMessageHandler::unknownTypeGivesEmptyLine()
{
    const QMessageLogContext none;
    QVERIFY(logLine(QtMsgType(77), none, QStringLiteral("x"), kWhen).isEmpty());
}

void TestLogMessageHandler::placeholdersInMessageStayLiteral()
{
    const QMessageLogContext none;
    QCOMPARE(
        logLine(QtDebugMsg, none, QStringLiteral("%1 and %6"), kWhen),
        QStringLiteral("<font color=#000000>26_12_07 09:05:03.120 D::%1 and %6, , , 0</font><p>"));
}

void TestLogMessageHandler::markupInMessageIsShownNotObeyed()
{
    const QMessageLogContext context("a&b.cpp", 7, "bool operator<(int)", "default");
    QCOMPARE(logLine(QtDebugMsg, context, QStringLiteral("open /tmp/<script>x&y.xlsx"), kWhen),
             QStringLiteral("<font color=#000000>26_12_07 09:05:03.120 D::open "
                            "/tmp/&lt;script&gt;x&amp;y.xlsx, a&amp;b.cpp, bool operator&lt;(int), "
                            "7</font><p>"));
}

void TestLogMessageHandler::handlerAppendsOneLinePerMessage()
{
    const QMessageLogContext none;
    logMessageHandler(QtDebugMsg, none, QStringLiteral("first"));
    logMessageHandler(QtWarningMsg, none, QStringLiteral("second"));
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    const QRegularExpression first(QStringLiteral(
        "^<font color=#000000>\\d\\d_\\d\\d_\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} D::first, , , "
        "0</font><p>$"));
    QVERIFY2(first.match(lines.at(0)).hasMatch(), qPrintable(lines.at(0)));
    QVERIFY(lines.at(1).startsWith(QStringLiteral("<font color=#FF0000>")));
    QVERIFY(lines.at(1).contains(QStringLiteral(" W::second, ")));
}

void TestLogMessageHandler::handlerWritesBareMessageToStdout()
{
    const QMessageLogContext none;
    CapturedStdout out;
    logMessageHandler(QtDebugMsg, none, QStringLiteral("纯文本 <b>"));
    QCOMPARE(out.text(), QStringLiteral("纯文本 <b>\n").toUtf8());
}

void TestLogMessageHandler::handlerWithoutLogFolderStillPrints()
{
    QDir(QDir::currentPath() + QStringLiteral("/log")).removeRecursively();
    const QMessageLogContext none;
    CapturedStdout out;
    logMessageHandler(QtDebugMsg, none, QStringLiteral("nowhere to log"));
    QCOMPARE(out.text(), QByteArray("nowhere to log\n"));
    QVERIFY(!QFileInfo::exists(logPath()));
}

void TestLogMessageHandler::unknownTypeWritesEmptyLogLine()
{
    const QMessageLogContext none;
    CapturedStdout out;
    logMessageHandler(QtMsgType(77), none, QStringLiteral("odd"));
    QCOMPARE(out.text(), QByteArray("odd\n"));
    QFile file(logPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\n"));
}

void TestLogMessageHandler::concurrentMessagesNeverInterleave()
{
    constexpr int threads = 6;
    constexpr int perThread = 150;
    QList<QThread *> workers;
    CapturedStdout out;
    for (int t = 0; t < threads; ++t) {
        workers << QThread::create([t] {
            const QMessageLogContext none;
            for (int i = 0; i < perThread; ++i)
                logMessageHandler(QtDebugMsg, none,
                                  QStringLiteral("thread %1 message %2 ").arg(t).arg(i) +
                                      QString(40, QLatin1Char('x')));
        });
        workers.last()->start();
    }
    for (QThread *worker : qAsConst(workers)) {
        QVERIFY(worker->wait(30000));
        delete worker;
    }
    const QStringList printed = QString::fromUtf8(out.text()).split(QLatin1Char('\n'));
    QCOMPARE(printed.size(), threads * perThread + 1);
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), threads * perThread);
    const QRegularExpression whole(QStringLiteral(
        "^<font color=#000000>[^<]* D::thread \\d message \\d+ x{40}, , , 0</font><p>$"));
    for (const QString &line : lines)
        QVERIFY2(whole.match(line).hasMatch(), qPrintable(line));
}

QTEST_GUILESS_MAIN(TestLogMessageHandler)
#include "tst_logmessagehandler.moc"
