// How the cost of one tip grows with the length of the message log: a long
// run sends thousands of tips into the same dock.
#include "DockWidgetTips.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    constexpr int total = 20000;
    constexpr int window = 1000;
    DockWidgetTips dock;
    dock.show();
    // Showing the dock the first time loads fonts; that belongs to no window.
    QCoreApplication::processEvents();

    QElapsedTimer timer;
    qint64 firstMs = 0;
    qint64 lastMs = 0;
    for (int i = 0; i < total; ++i) {
        if (i == 0 || i == total - window)
            timer.start();
        // The usual mix of a run: a saved file per job, now and then a step.
        if (i % 10 == 9)
            dock.tipSlot(-5, 2, QString::number(i / 10));
        else
            dock.tipSlot(0, 4, QStringLiteral("/home/user/表格/workbook_%1.xlsx").arg(i));
        // A run's tips arrive together once its jobs are done: here runs of a
        // thousand files, each window timed until its tips are on show.
        if (i % window == window - 1)
            QCoreApplication::processEvents();
        if (i == window - 1)
            firstMs = timer.elapsed();
    }
    lastMs = timer.elapsed();

    std::printf("tips: %d into one dock\n", total);
    std::printf("first_%d_ms: %lld\n", window, static_cast<long long>(firstMs));
    std::printf("last_%d_ms: %lld\n", window, static_cast<long long>(lastMs));
    const double ratio = double(qMax<qint64>(lastMs, 1)) / double(qMax<qint64>(firstMs, 1));
    std::printf("ratio_last_to_first: %.2f\n", ratio);
    return 0;
}
