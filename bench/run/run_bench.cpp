// The plug-in's replace over a list of large text workbooks, and the
// characters operation rewriting every cell of as many more, through the real
// jobs on the thread pool, against the floor of inflating and deflating the
// same files one after another, with the peak resident memory of each run.
// --files and --cells (per file, in rows of ten) size the lists; --cache
// keeps the generated workbook in a folder for the next run of the same size.
// --price instead measures, for each kind of workbook, one workbook's peak
// resident memory during a replace, above what the process held before,
// against what the run's memory budget expects it to cost; each workbook is
// run in a fresh process of its own, so that no peak carries over.
#include "PluginPanels.h"
#include "RunHost.h"
#include "WorkbookFixtures.h"
#include "WorkbookMaker.h"
#include "XlsMaker.h"
#include "frame/PluginGlobals.h"
#include "frame/Wendral.h"
#include "panels/WidgetText.h"
#include "panels/WidgetTextOption.h"
#include "run/WorkbookBudget.h"
#include "run/WorkbookCost.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <sys/resource.h>
#include <tuple>

namespace {

constexpr int kColumns = 10;

// The text of a cell of the benchmark's workbooks: every text its own, one
// cell in ten holds the key "apple".
QString benchText(int row, int column)
{
    return QStringLiteral("行%1 column %2%3")
        .arg(row)
        .arg(column - 1)
        .arg(column == 4 ? QStringLiteral(" apple pie") : QString());
}

// rows of 10 text cells, every text its own shared string.
void writeTextWorkbook(const QString &path, int rows)
{
    const WorkbookMaker::Parts parts =
        WorkbookMaker::textWorkbook(QStringLiteral("Text"), rows, kColumns, benchText);
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

// A figure of /proc/self/status ("VmHWM:", the peak since the last reset,
// or "VmRSS:", what is resident now), in bytes.
qint64 residentBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    QTextStream in(&status);
    QString line;
    while (in.readLineInto(&line)) {
        if (line.startsWith(QLatin1String(field)))
            return line.mid(6).trimmed().section(QLatin1Char(' '), 0, 0).toLongLong() * 1024;
    }
    return 0;
}

// Peak resident memory since the last reset, in MiB.
double peakResidentMiB()
{
    return residentBytes("VmHWM:") / 1048576.0;
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

// The plug-in's panels, set to replace key with `with` in every sheet of the
// files of the host's current list.
PluginPanels openReplace(Wendral &plugin, RunHost &host, const QString &key, const QString &with)
{
    plugin.setHarlithFace(&host);
    plugin.showPlus(0, 0);
    plugin.onPanelActivated();
    const PluginPanels panels = PluginPanels::find();
    if (!panels.panel || !panels.options)
        qFatal("the plug-in's panels did not open");
    panels.panel->setRangeList();
    panels.panel->setCurText(Replaced);
    panels.options->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_replacedKey"))
        ->setPlainText(key);
    panels.options->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_replaceWith"))
        ->setPlainText(with);
    auto *sheets = panels.options->findChild<QComboBox *>(QStringLiteral("comboBox_page"));
    sheets->setCurrentIndex(sheets->findText(QStringLiteral("所有表")));
    QCoreApplication::processEvents();
    return panels;
}

// Replaces key in the workbook at path; prints the peak resident memory of
// the run above what the process held before it, in bytes.
int priceRun(const QString &path, const QString &key)
{
    RunHost host;
    host.addList({path});
    Wendral plugin;
    openReplace(plugin, host, key, key + QStringLiteral("!"));
    const qint64 baseline = residentBytes("VmRSS:");
    resetPeakResident();
    plugin.startRun();
    while (host.count(RunHost::tipCall(Tip::AllThreadsDone)) == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const qint64 peak = residentBytes("VmHWM:");
    if (host.count(RunHost::tipCall(Tip::FileSaved)) != 1)
        qFatal("%s was not saved", qPrintable(path));
    std::printf("%lld\n", peak - baseline);
    return 0;
}

// How a workbook of one kind is written, in rows of ten cells, and the key
// a replace finds in one cell of ten.
struct PriceKind
{
    QString name;
    QString fileName;
    std::function<bool(const QString &path, int rows)> write;
    QString key;
};

// rows of 10 numbers, the same in every row, without the references a
// reader can do without, deflated as tightly as deflate can: a package that
// inflates hundreds of times.
bool writeNumbersWorkbook(const QString &path, int rows)
{
    WorkbookMaker::Parts parts = WorkbookMaker::textWorkbook(
        QStringLiteral("Numbers"), 1, 1, [](int, int) { return QStringLiteral("-"); });
    QByteArray row = "<row>";
    for (int column = 0; column < kColumns; ++column)
        row += "<c><v>" + (column == 3 ? QByteArray("12345") : QByteArray::number(column)) +
               "</v></c>";
    row += "</row>";
    QByteArray sheet = WorkbookMaker::declaration() + "<worksheet " + WorkbookMaker::namespaces() +
                       "><sheetData>" + row.repeated(rows);
    sheet += "</sheetData></worksheet>";
    for (auto &part : parts) {
        if (part.first == QLatin1String("xl/worksheets/sheet1.xml"))
            part.second = sheet;
    }
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate))
        return false;
    for (const auto &part : qAsConst(parts)) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(part.first), nullptr, 0, Z_DEFLATED,
                       Z_BEST_COMPRESSION) ||
            file.write(part.second) != part.second.size())
            return false;
        file.close();
    }
    zip.close();
    return zip.getZipError() == 0;
}

bool writeDelimited(const QString &path, int rows)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (int row = 1; row <= rows; ++row) {
        QStringList fields;
        for (int column = 1; column <= kColumns; ++column)
            fields << benchText(row, column);
        file.write(fields.join(QLatin1Char(',')).toUtf8() + "\r\n");
    }
    return file.error() == QFileDevice::NoError;
}

// One line per kind: the budget's estimate over the peak measured.
int price(const QString &folder, int rows)
{
    const QList<PriceKind> kinds = {
        {QStringLiteral("xlsx-text"), QStringLiteral("text.xlsx"),
         [](const QString &path, int rows) {
             writeTextWorkbook(path, rows);
             return true;
         },
         QStringLiteral("apple")},
        {QStringLiteral("xlsx-numbers"), QStringLiteral("numbers.xlsx"), writeNumbersWorkbook,
         QStringLiteral("12345")},
        {QStringLiteral("xls"), QStringLiteral("text.xls"),
         [](const QString &path, int rows) {
             return XlsMaker::writeTextWorkbook(path,
                                                {QStringLiteral("Data"), QStringLiteral("Data2")},
                                                rows / 2, kColumns, benchText);
         },
         QStringLiteral("apple")},
        {QStringLiteral("delimited"), QStringLiteral("text.csv"), writeDelimited,
         QStringLiteral("apple")},
    };
    for (const PriceKind &kind : kinds) {
        const QString source =
            QDir(folder).filePath(QStringLiteral("%1-").arg(rows) + kind.fileName);
        if (!QFileInfo::exists(source) && !kind.write(source, rows))
            qFatal("cannot write %s", qPrintable(source));
        const QString path = QDir(folder).filePath(QStringLiteral("run-") + kind.fileName);
        QFile::remove(path);
        if (!QFile::copy(source, path))
            qFatal("cannot copy to %s", qPrintable(path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        const qint64 estimate = WorkbookBudget::costOf(path);
        QProcess run;
        run.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        run.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--price-run"), path, QStringLiteral("--key"), kind.key});
        if (!run.waitForFinished(-1) || run.exitCode() != 0)
            qFatal("the run over %s failed", qPrintable(path));
        const qint64 peak = run.readAllStandardOutput().trimmed().toLongLong();
        QFile::remove(path);
        std::printf("%s: file %.1f MiB, content %.1f MiB, estimate %.1f MiB, peak %.1f MiB\n",
                    qPrintable(kind.name), QFileInfo(source).size() / 1048576.0,
                    WorkbookCost::contentOf(source).bytes / 1048576.0, estimate / 1048576.0,
                    peak / 1048576.0);
        std::printf("estimate_to_peak %s: %.2f\n", qPrintable(kind.name),
                    double(estimate) / qMax<qint64>(1, peak));
        std::fflush(stdout);
    }
    return 0;
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
    const QCommandLineOption priceOption(
        QStringLiteral("price"),
        QStringLiteral(
            "The memory budget's estimate against the peak, for each kind of workbook."));
    const QCommandLineOption priceRunOption(QStringLiteral("price-run"),
                                            QStringLiteral("Measure one replace over a workbook."),
                                            QStringLiteral("path"));
    const QCommandLineOption keyOption(QStringLiteral("key"),
                                       QStringLiteral("What the measured replace looks for."),
                                       QStringLiteral("text"));
    parser.addOptions(
        {filesOption, cellsOption, cacheOption, priceOption, priceRunOption, keyOption});
    parser.process(app);
    if (parser.isSet(priceRunOption))
        return priceRun(parser.value(priceRunOption), parser.value(keyOption));
    const int fileCount = parser.value(filesOption).toInt();
    const int rows = parser.value(cellsOption).toInt() / kColumns;
    if (fileCount < 1 || rows < 1)
        qFatal("--files and --cells must be at least 1 and %d", kColumns);

    QTemporaryDir dir;
    const QString cache = parser.isSet(cacheOption) ? parser.value(cacheOption) : dir.path();
    QDir().mkpath(cache);
    if (parser.isSet(priceOption))
        return price(cache, rows);
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
    const PluginPanels panels =
        openReplace(plugin, host, QStringLiteral("apple"), QStringLiteral("pear"));
    const QPointer<WidgetText> panel = panels.panel;
    const QPointer<WidgetTextOption> options = panels.options;

    // Runs the chosen operation over the current list; its seconds, peak and
    // CPU seconds.
    auto measure = [&](int runsBefore) {
        resetPeakResident();
        const double cpuBefore = cpuSeconds();
        timer.start();
        plugin.startRun();
        while (host.count(RunHost::tipCall(Tip::AllThreadsDone)) == runsBefore)
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
    // Any file tip but FileSaved tells of a failure.
    const QString saved = RunHost::tipCall(Tip::FileSaved);
    const QString fileTips = saved.section(QLatin1Char(','), 0, 0) + QLatin1Char(',');
    for (const QString &tip : tips) {
        if (tip.startsWith(fileTips) && !tip.startsWith(saved))
            std::fprintf(stderr, "%s\n", qPrintable(tip));
    }
    const int processed = tips.filter(RunHost::tipCall(Tip::FileDone)).size();
    if (processed != 2 * fileCount)
        qFatal("only %d of %d files were processed", processed, 2 * fileCount);
    // A rewritten text is in the sheet part when the cell got a text of its
    // own, in the shared strings when its entry was rewritten for all its
    // cells at once.
    const QByteArray parts =
        WorkbookFixtures::entry(files.first(), QStringLiteral("xl/worksheets/sheet1.xml")) +
        WorkbookFixtures::entry(files.first(), QStringLiteral("xl/sharedStrings.xml"));
    if (parts.count("pear pie") != rows)
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
