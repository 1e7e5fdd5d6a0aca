// The plug-in's replace over a list of large text workbooks, and the
// characters operation rewriting every cell of as many more, through the real
// jobs on the thread pool, against the floor of inflating and deflating the
// same files one after another, with the peak resident memory of each run.
// --files and --cells (per file, in rows of ten) size the lists; --cache
// keeps the generated workbook in a folder for the next run of the same size.
#include "PluginGlobals.h"
#include "PluginPanels.h"
#include "RunHost.h"
#include "Wendral.h"
#include "WidgetText.h"
#include "WidgetTextOption.h"
#include "WorkbookFixtures.h"
#include "WorkbookMaker.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <sys/resource.h>
#include <tuple>

namespace {

constexpr int kColumns = 10;

// rows of 10 text cells, every text its own shared string; one cell in ten
// holds the key.
void writeTextWorkbook(const QString &path, int rows)
{
    const WorkbookMaker::Parts parts = WorkbookMaker::textWorkbook(
        QStringLiteral("Text"), rows, kColumns, [](int row, int column) {
            return QStringLiteral("行%1 column %2%3")
                .arg(row)
                .arg(column - 1)
                .arg(column == 4 ? QStringLiteral(" apple pie") : QString());
        });
    if (!WorkbookMaker::writePackage(path, parts))
        qFatal("cannot write %s", qPrintable(path));
}

QStringList copiesOf(const QString &source, const QString &folder, int count)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QStringLiteral("/book%1.xlsx").arg(i);
        QFile::remove(path);
        if (!QFile::copy(source, path))
            qFatal("cannot copy to %s", qPrintable(path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        paths << path;
    }
    return paths;
}

// Peak resident memory since the last reset, in MiB.
double peakResidentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    QTextStream in(&status);
    QString line;
    while (in.readLineInto(&line)) {
        if (line.startsWith(QLatin1String("VmHWM:")))
            return line.mid(6).trimmed().section(QLatin1Char(' '), 0, 0).toDouble() / 1024.0;
    }
    return 0;
}

// CPU time of the whole process so far, user and system, in seconds: unlike
// the wall time, it does not depend on what else the machine runs.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(quietDebug);

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption filesOption(QStringLiteral("files"),
                                         QStringLiteral("Workbooks in each list (8)."),
                                         QStringLiteral("count"), QStringLiteral("8"));
    const QCommandLineOption cellsOption(QStringLiteral("cells"),
                                         QStringLiteral("Text cells per workbook (1000000)."),
                                         QStringLiteral("count"), QStringLiteral("1000000"));
    const QCommandLineOption cacheOption(
        QStringLiteral("cache"), QStringLiteral("Folder that keeps the generated workbook."),
        QStringLiteral("folder"));
    parser.addOptions({filesOption, cellsOption, cacheOption});
    parser.process(app);
    const int fileCount = parser.value(filesOption).toInt();
    const int rows = parser.value(cellsOption).toInt() / kColumns;
    if (fileCount < 1 || rows < 1)
        qFatal("--files and --cells must be at least 1 and %d", kColumns);

    QTemporaryDir dir;
    const QString cache = parser.isSet(cacheOption) ? parser.value(cacheOption) : dir.path();
    QDir().mkpath(cache);
    const QString source =
        QDir(cache).filePath(QStringLiteral("text-%1x%2.xlsx").arg(rows).arg(kColumns));
    QElapsedTimer timer;
    timer.start();
    if (!QFileInfo::exists(source))
        writeTextWorkbook(source, rows);
    std::printf("workbook: %d rows x %d columns, %.1f MiB, ready in %.1f s\n", rows, kColumns,
                QFileInfo(source).size() / 1048576.0, timer.elapsed() / 1000.0);

    // The floor: what any tool must do to rewrite the files, done serially.
    const QStringList floorFiles =
        copiesOf(source, dir.filePath(QStringLiteral("floor")), fileCount);
    timer.start();
    for (const QString &path : floorFiles) {
        const WorkbookFixtures::Parts parts = WorkbookFixtures::readPackage(path);
        WorkbookFixtures::writePackage(path + QStringLiteral(".out"), parts);
    }
    const double floorSeconds = timer.elapsed() / 1000.0;
    for (const QString &path : floorFiles)
        QFile::remove(path + QStringLiteral(".out"));

    for (const QString &path : floorFiles)
        QFile::remove(path);
    const QStringList files = copiesOf(source, dir.filePath(QStringLiteral("run")), fileCount);
    const QStringList charFiles =
        copiesOf(source, dir.filePath(QStringLiteral("chars")), fileCount);
    RunHost host;
    host.addList(files);
    const int charList = host.addList(charFiles);
    Wendral plugin;
    plugin.setHarlithFace(&host);
    plugin.showPlus(0, 0);
    plugin.onPanelActivated();
    const PluginPanels panels = PluginPanels::find();
    const QPointer<WidgetText> panel = panels.panel;
    const QPointer<WidgetTextOption> options = panels.options;
    if (!panel || !options)
        qFatal("the plug-in's panels did not open");
    panel->setRangeList();
    panel->setCurText(Replaced);
    options->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_replacedKey"))
        ->setPlainText(QStringLiteral("apple"));
    options->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_replaceWith"))
        ->setPlainText(QStringLiteral("pear"));
    auto *sheets = options->findChild<QComboBox *>(QStringLiteral("comboBox_page"));
    sheets->setCurrentIndex(sheets->findText(QStringLiteral("所有表")));
    QCoreApplication::processEvents();

    // Runs the chosen operation over the current list; its seconds, peak and
    // CPU seconds.
    auto measure = [&](int runsBefore) {
        resetPeakResident();
        const double cpuBefore = cpuSeconds();
        timer.start();
        plugin.startRun();
        while (host.count(QStringLiteral("tip:-4,2,")) == runsBefore)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return std::make_tuple(timer.elapsed() / 1000.0, peakResidentMiB(),
                               cpuSeconds() - cpuBefore);
    };
    const auto [runSeconds, peak, runCpuSeconds] = measure(0);

    // Every cell rewritten: "X" added at the left of each text.
    host.currentList = charList;
    panel->setCurText(Char);
    options->findChild<QRadioButton *>(QStringLiteral("radioButton_charLeft"))->setChecked(true);
    options->findChild<QRadioButton *>(QStringLiteral("radioButton_charIncrease"))
        ->setChecked(true);
    options->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_charIncrease"))
        ->setPlainText(QStringLiteral("X"));
    QCoreApplication::processEvents();
    const auto [charSeconds, charPeak, charCpuSeconds] = measure(1);
    delete panel;
    delete options;

    const QStringList tips = host.tips();
    for (const QString &tip : tips) {
        if (tip.startsWith(QLatin1String("tip:0,")) && !tip.startsWith(QLatin1String("tip:0,4,")))
            std::fprintf(stderr, "%s\n", qPrintable(tip));
    }
    const int processed = tips.filter(QStringLiteral("tip:-4,0,")).size();
    if (processed != 2 * fileCount)
        qFatal("only %d of %d files were processed", processed, 2 * fileCount);
    // Rewritten cells carry their own texts in the sheet part.
    const QByteArray sheet =
        WorkbookFixtures::entry(files.first(), QStringLiteral("xl/worksheets/sheet1.xml"));
    if (sheet.count("pear pie") != rows)
        qFatal("the workbook was not rewritten as asked");
    const QByteArray charSheet =
        WorkbookFixtures::entry(charFiles.first(), QStringLiteral("xl/worksheets/sheet1.xml"));
    if (charSheet.count("X行") != rows * kColumns)
        qFatal("not every cell was rewritten by the characters operation");

    const double cells = double(fileCount) * rows * kColumns;
    std::printf("floor (inflate and deflate %d files serially): %.2f s\n", fileCount, floorSeconds);
    std::printf("run (replace over %d files): %.2f s\n", fileCount, runSeconds);
    std::printf("run_cpu_seconds: %.1f\n", runCpuSeconds);
    std::printf("files_per_second: %.2f\n", fileCount / runSeconds);
    std::printf("cells_per_second: %.0f\n", cells / runSeconds);
    std::printf("peak_resident_mib: %.0f\n", peak);
    std::printf("ratio_to_floor: %.2f\n", runSeconds / floorSeconds);
    std::printf("run (characters, \"X\" added to every cell of %d files): %.2f s\n", fileCount,
                charSeconds);
    std::printf("characters_cpu_seconds: %.1f\n", charCpuSeconds);
    std::printf("characters_cells_per_second: %.0f\n", cells / charSeconds);
    std::printf("characters_peak_resident_mib: %.0f\n", charPeak);
    std::printf("characters_ratio_to_floor: %.2f\n", charSeconds / floorSeconds);
    return 0;
}
