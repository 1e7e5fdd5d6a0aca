#include "LogMessageHandler.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// Starts the real program as a user would, in a fresh working folder.
class TestHostStart : public QObject
{
    Q_OBJECT
private slots:
    void startWritesLogAndFolders();
};

void TestHostStart::startWritesLogAndFolders()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString program = QStringLiteral(QUORVANE_BIN_DIR "/Quorvane");
    QVERIFY2(QFileInfo::exists(program), qPrintable(program));

    const QString stampBefore = makeLogStamp(QDateTime::currentDateTime());
    QProcess host;
    host.setWorkingDirectory(work.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    host.setProcessEnvironment(env);
    host.start(program, QStringList());
    QVERIFY(host.waitForStarted(10000));

    const QDir dir(work.path());
    const QDir logDir(dir.filePath(QStringLiteral("log")));
    QTRY_VERIFY_WITH_TIMEOUT(
        !logDir.entryList({QStringLiteral("log_*.html")}, QDir::Files).isEmpty(), 30000);
    const QString stampAfter = makeLogStamp(QDateTime::currentDateTime());

    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("data"))).isDir());
    const QStringList logs = logDir.entryList({QStringLiteral("log_*.html")}, QDir::Files);
    QCOMPARE(logs.size(), 1);
    QVERIFY2(logs.first() == QStringLiteral("log_%1.html").arg(stampBefore) ||
                 logs.first() == QStringLiteral("log_%1.html").arg(stampAfter),
             qPrintable(logs.first()));

    // The file appears when the first line is opened for, before it is written.
    const QRegularExpression line(QStringLiteral(
        "(^|\\n)<font color=#00FF00>\\d\\d_\\d\\d_\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "
        "I::Quorvane 0\\.0\\.0\\.7 started in [^<]*</font><p>\\n"));
    QFile log(dir.filePath(QStringLiteral("log/") + logs.first()));
    QString text;
    auto logged = [&] {
        if (!log.open(QIODevice::ReadOnly))
            return false;
        text = QString::fromUtf8(log.readAll());
        log.close();
        return line.match(text).hasMatch();
    };
    QTRY_VERIFY2_WITH_TIMEOUT(logged(), qPrintable(text), 30000);

    host.kill();
    QVERIFY(host.waitForFinished(10000));
    QVERIFY(host.readAllStandardOutput().contains("Quorvane 0.0.0.7 started in "));
}

QTEST_GUILESS_MAIN(TestHostStart)
#include "tst_hoststart.moc"
