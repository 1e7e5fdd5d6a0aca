// How the cost of one tip grows with the length of the message log: a long
// run sends thousands of tips into the same dock.
#include "DockWidgetTips.h"
#include "Tip.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <cstdio>
#include <ctime>

namespace {

constexpr int total = 20000;
constexpr int window = 1000;

// The usual mix of a run: a saved file per job, now and then a step.
void sendTip(DockWidgetTips &dock, int i)
{
    const bool step = i % 10 == 9;
    const Tip::Pair tip = step ? Tip::StepFinished : Tip::FileSaved;
    dock.tipSlot(tip.var1, tip.var2,
                 step ? QString::number(i / 10)
                      : QStringLiteral("/home/user/表格/workbook_%1.xlsx").arg(i));
}

// The GUI thread's own work in milliseconds: a shown log may rest between
// passes, and resting costs nothing.
qint64 threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Lets events run until the newest line of the log shows tip `i`.
void waitUntilShown(DockWidgetTips &dock, int i)
{
    const auto *pane = dock.findChild<QTextBrowser *>(QStringLiteral("textBrowser_message"));
    const QString newest = i % 10 == 9 ? QStringLiteral("步骤%1处理完成").arg(i / 10)
                                       : QStringLiteral("workbook_%1.xlsx").arg(i);
    while (!pane->document()->begin().text().contains(newest))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Sends `total` tips into a fresh shown dock, letting events run after every
// `burst` of them, and prints how much work the first and the last window
// took.
void measure(const char *name, int burst)
{
    DockWidgetTips dock;
    dock.show();
    // Showing the dock the first time loads fonts; that belongs to no window.
    QCoreApplication::processEvents();

    QElapsedTimer wall;
    qint64 started = 0;
    qint64 firstMs = 0;
    qint64 firstWallMs = 0;
    for (int i = 0; i < total; ++i) {
        // Each window is timed from a log that shows every earlier tip until
        // its own tips are on show.
        if (i == total - window)
            waitUntilShown(dock, i - 1);
        if (i == 0 || i == total - window) {
            started = threadCpuMs();
            wall.start();
        }
        sendTip(dock, i);
        if (i % burst == burst - 1)
            QCoreApplication::processEvents();
        if (i == window - 1) {
            waitUntilShown(dock, i);
            firstMs = threadCpuMs() - started;
            firstWallMs = wall.elapsed();
        }
    }
    waitUntilShown(dock, total - 1);
    const qint64 lastMs = threadCpuMs() - started;
    const qint64 lastWallMs = wall.elapsed();

    std::printf("%s first_%d_ms: %lld\n", name, window, static_cast<long long>(firstMs));
    std::printf("%s last_%d_ms: %lld\n", name, window, static_cast<long long>(lastMs));
    const double ratio = double(qMax<qint64>(lastMs, 1)) / double(qMax<qint64>(firstMs, 1));
    std::printf("%s ratio_last_to_first: %.2f\n", name, ratio);
    // Until on show, rests included.
    std::printf("%s wall_first_%d_ms: %lld, wall_last_%d_ms: %lld\n", name, window,
                static_cast<long long>(firstWallMs), window, static_cast<long long>(lastWallMs));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::printf("tips: %d into one dock\n", total);
    // A run's tips arrive together once its jobs are done: runs of a thousand
    // files.
    measure("batched", window);
    // A multi-step run or a series of saves: one tip per pass of the loop.
    measure("unbatched", 1);
    return 0;
}
