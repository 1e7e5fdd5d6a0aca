#include "LogMessageHandler.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

    QFile log(dir.filePath(QStringLiteral("log/") + logs.first()));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString first = QString::fromUtf8(log.readLine());
    QVERIFY2(first.startsWith(QStringLiteral("<font color=#00FF00>")), qPrintable(first));
    QVERIFY2(first.contains(QStringLiteral(" I::Quorvane 0.0.0.7 started in ")), qPrintable(first));

    host.kill();
    QVERIFY(host.waitForFinished(10000));
    QVERIFY(host.readAllStandardOutput().startsWith("Quorvane 0.0.0.7 started in "));
}

QTEST_GUILESS_MAIN(TestHostStart)
#include "tst_hoststart.moc"
