#include "LogMessageHandler.h"
#include "MainWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // There is no version resource on this platform; the build supplies the
    // version that the title and the plug-in read.
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));

    logStamp = makeLogStamp(QDateTime::currentDateTime());

    QDir dir(QDir::currentPath());
    dir.mkpath(QDir::currentPath() + QStringLiteral("/log"));
    dir.mkpath(QDir::currentPath() + QStringLiteral("/data"));

    qInstallMessageHandler(logMessageHandler);
    // Every run leaves a log that says which build ran where.
    qInfo().noquote() << QStringLiteral("Quorvane %1 started in %2")
                             .arg(QCoreApplication::applicationVersion(), QDir::currentPath());

    MainWindow w;
    w.show();
    return app.exec();
}
