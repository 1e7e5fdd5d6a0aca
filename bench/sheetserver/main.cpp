// sheetserver_bench: what a run over a large workbook costs.
//
// With no argument it makes a 100,000-row by 10-column workbook of text in a
// temporary folder and measures, in one run: open, a walk of every cell by
// name through the automation client (Range, Text, Value) and save; a
// Replace over the used range and save. The same run goes first over the
// same cells in an Excel 97-2003 workbook (two sheets of 50,000 rows: a
// sheet holds at most 65,536), its lines starting "xls_".
//
// Every figure is set against the floor (PackageFloor): re-zipping the
// package on every core and syncing it to disk; for an .xls, the floor of
// the same cells as a package, since rewriting one should cost no more.
// Each floor is measured before its run, so that the peak memory printed is
// the run's own.
//
// Then, each in processes of their own and timed whole: a Replace touching
// every text cell and its save against the floor, in alternating rounds,
// medians printed; the cost per cell of open, Replace and save at 100,000,
// 1,000,000 and 4,000,000 cells; and clearing every cell but A1 of a sheet
// of 2,500 and of 20,000 shared-formula groups.
//
// sheetserver_bench --file PATH --replace WHAT REPLACEMENT runs Replace
// (part of a cell, by rows, case-sensitive) over the used range of every
// worksheet of PATH and saves it in place.
#include "AutomationClient.h"
#include "PackageFloor.h"
#include "WorkbookMaker.h"
#include "XlsMaker.h"
#include "model/CellAddress.h"
#include "server/SpreadsheetServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <sys/resource.h>

namespace {

constexpr int Rows = 100000;
constexpr int Columns = 10;
constexpr int Rounds = 3;
// An .xls sheet holds at most 65,536 rows.
constexpr int XlsSheetRows = 50000;
const char *const kReplace = "Replace(const QVariant&, const QVariant&, const QVariant&, const "
                             "QVariant&, const QVariant&)";

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

QString cellText(int row, int column)
{
    return QStringLiteral("row %1 column %2 apple").arg(row).arg(column);
}

// A workbook as a spreadsheet application writes it: every text in the
// shared-string table, each cell unique. An .xls takes as many sheets as
// its rows need.
bool makeWorkbook(const QString &path, qint64 cells)
{
    const int rows = int(cells / Columns);
    if (path.endsWith(QLatin1String(".xls"))) {
        QStringList names;
        for (int i = 0; i * XlsSheetRows < rows; ++i)
            names << (i == 0 ? QStringLiteral("Data") : QStringLiteral("Data%1").arg(i + 1));
        return XlsMaker::writeTextWorkbook(path, names, qMin(rows, XlsSheetRows), Columns,
                                           cellText);
    }
    return WorkbookMaker::writePackage(
        path, WorkbookMaker::textWorkbook(QStringLiteral("Data"), rows, Columns, cellText));
}

// One sheet of shared-formula groups, four cells down column B each, the
// number next to each in column A.
bool makeFormulaWorkbook(const QString &path, int groups)
{
    WorkbookMaker::Parts parts =
        WorkbookMaker::textWorkbook(QStringLiteral("Data"), 1, 1, cellText);
    QByteArray sheet =
        WorkbookMaker::declaration() + "<worksheet " + WorkbookMaker::namespaces() + "><sheetData>";
    for (int g = 0; g < groups; ++g) {
        for (int i = 0; i < 4; ++i) {
            const QByteArray row = QByteArray::number(4 * g + i + 1);
            sheet += "<row r=\"" + row + "\"><c r=\"A" + row + "\"><v>" + row + "</v></c><c r=\"B" +
                     row + "\"><f t=\"shared\" si=\"" + QByteArray::number(g) + '"';
            if (i == 0)
                sheet += " ref=\"B" + row + ":B" + QByteArray::number(4 * g + 4) + "\">A" + row +
                         "*2</f>";
            else
                sheet += "/>";
            sheet += "<v>" + QByteArray::number(2 * (4 * g + i + 1)) + "</v></c></row>";
        }
    }
    sheet += "</sheetData></worksheet>";
    for (auto &part : parts) {
        if (part.first.endsWith(QLatin1String("sheet1.xml")))
            part.second = sheet;
    }
    return WorkbookMaker::writePackage(path, parts);
}

struct Session
{
    Session() : app(QStringLiteral("Excel.Application")) {}
    bool open(const QString &path)
    {
        book = app.querySubObject("Workbooks")->querySubObject("Open(const QString&)", path);
        return !book->isNull();
    }
    bool save() { return book->dynamicCall("Save()").toBool(); }
    // Each worksheet's used range (null for a chart sheet).
    QList<AutomationClient *> usedRanges()
    {
        QList<AutomationClient *> ranges;
        AutomationClient *sheets = book->querySubObject("Sheets");
        const int count = sheets->dynamicCall("Count()").toInt();
        for (int i = 1; i <= count; ++i)
            ranges
                << sheets->querySubObject("Item(const QVariant&)", i)->querySubObject("UsedRange");
        return ranges;
    }
    // Replace over the used range of every worksheet; the cells visited.
    qint64 replaceEverywhere(const QString &what, const QString &with)
    {
        qint64 cells = 0;
        for (AutomationClient *used : usedRanges()) {
            if (used->isNull())
                continue;
            cells += used->dynamicCall("Count()").toLongLong();
            used->dynamicCall(kReplace, {what, with, 2, 1, true});
        }
        return cells;
    }
    AutomationClient app;
    AutomationClient *book = nullptr;
};

int replaceInFile(const QString &path, const QString &what, const QString &with)
{
    QElapsedTimer timer;
    timer.start();
    Session session;
    if (!session.open(path)) {
        out() << "cannot open " << path << Qt::endl;
        return 1;
    }
    const double open = timer.nsecsElapsed() / 1e9;
    const double openPeak = peakMegabytes();
    timer.restart();
    const qint64 cells = session.replaceEverywhere(what, with);
    const double replace = timer.nsecsElapsed() / 1e9;
    const double replacePeak = peakMegabytes();
    timer.restart();
    if (!session.save()) {
        out() << "cannot save " << path << Qt::endl;
        return 2;
    }
    const double save = timer.nsecsElapsed() / 1e9;
    out() << "peak_rss_mb_after: open " << openPeak << ", replace " << replacePeak << ", save "
          << peakMegabytes() << Qt::endl;
    out() << "open_seconds: " << open << Qt::endl;
    out() << "replace_seconds: " << replace << Qt::endl;
    out() << "save_seconds: " << save << Qt::endl;
    out() << "replace_and_save_seconds: " << open + replace + save << Qt::endl;
    out() << "cells: " << cells << Qt::endl;
    out() << "peak_rss_mb: " << peakMegabytes() << Qt::endl;
    return 0;
}

// Clears every cell but A1 of the first sheet, one block at a time, and
// saves: the way a run keeping A1 leaves a sheet, where every shared
// formula loses its first cell.
int keepFirstCell(const QString &path)
{
    Session session;
    if (!session.open(path))
        return 1;
    QElapsedTimer timer;
    timer.start();
    AutomationClient *sheet =
        session.book->querySubObject("Sheets")->querySubObject("Item(const QVariant&)", 1);
    AutomationClient *used = sheet->querySubObject("UsedRange");
    const int rows = used->querySubObject("Rows")->dynamicCall("Count()").toInt();
    const int columns = used->querySubObject("Columns")->dynamicCall("Count()").toInt();
    const QString rest =
        QStringLiteral("A2:") + CellAddress::cellName(qMax(2, rows), qMax(1, columns));
    for (const QString &block : {QStringLiteral("B1:XFD1"), rest})
        sheet->querySubObject("Range(const QVariant&)", block)->dynamicCall("ClearContents()");
    if (!session.save())
        return 2;
    out() << "keep_seconds: " << timer.nsecsElapsed() / 1e9 << Qt::endl;
    return 0;
}

int floorOf(const QString &path)
{
    const double seconds = PackageFloor::measure(path, path + QStringLiteral(".floor"));
    QFile::remove(path + QStringLiteral(".floor"));
    if (seconds < 0) {
        out() << "cannot re-zip " << path << Qt::endl;
        return 1;
    }
    out() << "floor_seconds: " << seconds << Qt::endl;
    return 0;
}

// This program again with these arguments: the "name: number" lines it
// printed, and "wall" for the whole process.
QMap<QString, double> runChild(const QStringList &args)
{
    QMap<QString, double> figures;
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        out() << "failed: " << args.join(QLatin1Char(' ')) << Qt::endl
              << child.readAllStandardOutput();
        return figures;
    }
    figures.insert(QStringLiteral("wall"), timer.nsecsElapsed() / 1e9);
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const int colon = line.indexOf(": ");
        bool ok = false;
        const double value = line.mid(colon + 2).toDouble(&ok);
        if (colon > 0 && ok)
            figures.insert(QString::fromLatin1(line.left(colon)), value);
    }
    return figures;
}

double median(QVector<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QString fixed(double value, int decimals = 3)
{
    return QString::number(value, 'f', decimals);
}

struct Workbooks
{
    QTemporaryDir dir;
    // The workbook of `cells` text cells of this kind, made once.
    QString make(qint64 cells, const QString &suffix)
    {
        const QString path = dir.filePath(QStringLiteral("%1.%2").arg(cells).arg(suffix));
        if (!QFile::exists(path) &&
            runChild({QStringLiteral("--make"), path, QString::number(cells)}).isEmpty())
            return QString();
        return path;
    }
    // A fresh copy to work on.
    QString copy(const QString &path)
    {
        const QString copy = path + QStringLiteral(".work");
        QFile::remove(copy);
        QFile::copy(path, copy);
        return copy;
    }
};

// Medians of a Replace touching every text cell, saved, whole process, and
// of the floor of the same cells as a package, in alternating rounds.
struct ReplaceFigures
{
    double wall = 0, open = 0, replace = 0, save = 0, peakMegabytes = 0, floor = 0;
    qint64 cells = 0;
    bool ok = false;
};

ReplaceFigures measureReplace(Workbooks *books, qint64 cells, const QString &suffix, int rounds)
{
    ReplaceFigures figures;
    const QString path = books->make(cells, suffix);
    const QString package = books->make(cells, QStringLiteral("xlsx"));
    if (path.isEmpty() || package.isEmpty())
        return figures;
    QVector<double> wall, open, replace, save, peak, floor;
    for (int round = 0; round < rounds; ++round) {
        const QMap<QString, double> f = runChild({QStringLiteral("--floor"), books->copy(package)});
        const QMap<QString, double> r =
            runChild({QStringLiteral("--file"), books->copy(path), QStringLiteral("--replace"),
                      QStringLiteral("apple"), QStringLiteral("pear")});
        if (f.isEmpty() || r.isEmpty())
            return figures;
        floor << f.value(QStringLiteral("wall"));
        wall << r.value(QStringLiteral("wall"));
        open << r.value(QStringLiteral("open_seconds"));
        replace << r.value(QStringLiteral("replace_seconds"));
        save << r.value(QStringLiteral("save_seconds"));
        peak << r.value(QStringLiteral("peak_rss_mb"));
        figures.cells = qint64(r.value(QStringLiteral("cells")));
    }
    figures.wall = median(wall);
    figures.open = median(open);
    figures.replace = median(replace);
    figures.save = median(save);
    figures.peakMegabytes = median(peak);
    figures.floor = median(floor);
    figures.ok = true;
    return figures;
}

void printReplace(const QString &name, const ReplaceFigures &f, double aim)
{
    const double ratio = f.wall / f.floor;
    out() << name << ": replace every cell and save " << fixed(f.wall) << " s, floor "
          << fixed(f.floor) << " s, ratio_to_floor " << fixed(ratio, 2) << " (aim " << aim << ", "
          << (ratio <= aim ? "holds" : "not yet") << "), "
          << qRound(f.peakMegabytes * 1048576.0 / qMax<qint64>(1, f.cells)) << " bytes a cell"
          << Qt::endl;
}

int replaceRuns()
{
    Workbooks books;
    out() << "== Replace touching every text cell, whole process, medians of " << Rounds
          << " alternating rounds" << Qt::endl;
    struct Aim
    {
        qint64 cells;
        const char *suffix;
        double aim;
    };
    QMap<QString, QMap<qint64, ReplaceFigures>> table;
    for (const Aim &a : {Aim{100000, "xlsx", 1.5}, Aim{1000000, "xlsx", 1.2},
                         Aim{100000, "xls", 1.5}, Aim{1000000, "xls", 1.5}}) {
        const QString suffix = QString::fromLatin1(a.suffix);
        const ReplaceFigures f = measureReplace(&books, a.cells, suffix, Rounds);
        if (!f.ok)
            return 1;
        table[suffix][a.cells] = f;
        printReplace(QStringLiteral("%1_%2").arg(suffix).arg(a.cells), f, a.aim);
    }

    out() << "== Cost per cell (ns), one round at 4,000,000 cells" << Qt::endl;
    for (const QString &suffix : {QStringLiteral("xlsx"), QStringLiteral("xls")}) {
        table[suffix][4000000] = measureReplace(&books, 4000000, suffix, 1);
        if (!table[suffix][4000000].ok)
            return 1;
        out() << suffix << "  cells      open  replace     save    whole    floor" << Qt::endl;
        for (auto it = table[suffix].cbegin(); it != table[suffix].cend(); ++it) {
            const ReplaceFigures &f = it.value();
            const double n = double(it.key()) / 1e9;
            out() << suffix
                  << QStringLiteral(" %1 %2 %3 %4 %5 %6")
                         .arg(it.key(), 8)
                         .arg(fixed(f.open / n, 0), 8)
                         .arg(fixed(f.replace / n, 0), 8)
                         .arg(fixed(f.save / n, 0), 8)
                         .arg(fixed(f.wall / n, 0), 8)
                         .arg(fixed(f.floor / n, 0), 8)
                  << Qt::endl;
        }
    }

    out() << "== Clearing all but A1 of a sheet of shared-formula groups" << Qt::endl;
    QMap<int, double> keep;
    for (int groups : {2500, 20000}) {
        const QString path = books.dir.filePath(QStringLiteral("formulas%1.xlsx").arg(groups));
        if (runChild({QStringLiteral("--make-formulas"), path, QString::number(groups)}).isEmpty())
            return 1;
        QVector<double> seconds;
        for (int round = 0; round < Rounds; ++round)
            seconds << runChild({QStringLiteral("--keep-first"), books.copy(path)})
                           .value(QStringLiteral("keep_seconds"));
        keep[groups] = median(seconds);
        out() << "shared_formulas_" << groups << ": " << fixed(keep[groups]) << " s" << Qt::endl;
    }
    const double growth = keep[20000] / keep[2500];
    out() << "shared_formulas_growth: " << fixed(growth, 2) << " for 8 times the groups (aim 10, "
          << (growth <= 10 ? "holds" : "not yet") << ")" << Qt::endl;
    return 0;
}

int fullRun(const QString &suffix)
{
    const bool xls = suffix == QLatin1String("xls");
    const QString prefix = xls ? QStringLiteral("xls_") : QString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.") + suffix);
    const QString package = dir.filePath(QStringLiteral("floor.xlsx"));
    const qint64 cellCount = qint64(Rows) * Columns;
    // Made by a child process, so that making it is not part of this
    // process's peak memory.
    for (const QString &made : {path, package}) {
        if (QProcess::execute(QCoreApplication::applicationFilePath(),
                              {QStringLiteral("--make"), made, QString::number(cellCount)}) != 0) {
            out() << "cannot make the workbook" << Qt::endl;
            return 1;
        }
    }
    out() << prefix << "workbook: " << Rows << " rows x " << Columns << " columns, "
          << QFileInfo(path).size() / 1e6 << " MB" << Qt::endl;

    // The floor first, so that the memory it takes is not counted as the
    // run's own.
    const double floor = PackageFloor::measure(package, package + QStringLiteral(".floor"));
    if (floor < 0)
        return 1;

    QElapsedTimer timer;
    timer.start();
    Session session;
    if (!session.open(path))
        return 1;
    const double open = timer.nsecsElapsed() / 1e9;
    const double openPeak = peakMegabytes();

    timer.restart();
    static const MemberSignature range("Range(const QVariant&)");
    static const MemberSignature text("Text()");
    const int sheets = xls ? 2 : 1;
    for (int s = 1; s <= sheets; ++s) {
        AutomationClient *sheet =
            session.book->querySubObject("Sheets")->querySubObject("Item(const QVariant&)", s);
        for (int r = 1; r <= Rows / sheets; ++r) {
            const QString row = QString::number(r);
            for (int c = 1; c <= Columns; ++c) {
                AutomationClient *cell =
                    sheet->querySubObject(range, CellAddress::columnLetters(c) + row);
                cell->setProperty("Value", cell->dynamicCall(text).toString() + QLatin1Char('!'));
                delete cell; // keeps the walk's memory flat
            }
        }
    }
    const double walk = timer.nsecsElapsed() / 1e9;
    const double walkPeak = peakMegabytes();

    timer.restart();
    if (!session.save())
        return 2;
    const double save = timer.nsecsElapsed() / 1e9;
    const double savePeak = peakMegabytes();

    timer.restart();
    const qint64 replaced =
        session.replaceEverywhere(QStringLiteral("apple"), QStringLiteral("pear"));
    const double replace = timer.nsecsElapsed() / 1e9;
    timer.restart();
    if (!session.save())
        return 2;
    const double replaceSave = timer.nsecsElapsed() / 1e9;

    const double cells = double(cellCount);
    out() << prefix << "open_seconds: " << open << Qt::endl;
    out() << prefix << "walk_seconds: " << walk << "  (" << qRound64(cells / walk) << " cells/s)"
          << Qt::endl;
    out() << prefix << "save_seconds: " << save << Qt::endl;
    out() << prefix << "replace_seconds: " << replace << "  (" << qRound64(replaced / replace)
          << " cells/s)" << Qt::endl;
    out() << prefix << "replace_save_seconds: " << replaceSave << Qt::endl;
    out() << prefix << "floor_seconds: " << floor << Qt::endl;
    out() << prefix << "peak_rss_mb: after open " << openPeak << ", walk " << walkPeak << ", save "
          << savePeak << ", replace " << peakMegabytes() << Qt::endl;
    out() << prefix << "peak_rss_mb: " << peakMegabytes() << Qt::endl;
    out() << prefix << "ratio_to_floor: " << QString::number((open + walk + save) / floor, 'f', 2)
          << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SpreadsheetServer::install();
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (args.size() == 4 && mode == QLatin1String("--make"))
        return makeWorkbook(args.at(2), args.at(3).toLongLong()) ? 0 : 1;
    if (args.size() == 4 && mode == QLatin1String("--make-formulas"))
        return makeFormulaWorkbook(args.at(2), args.at(3).toInt()) ? 0 : 1;
    if (args.size() == 3 && mode == QLatin1String("--floor"))
        return floorOf(args.at(2));
    if (args.size() == 3 && mode == QLatin1String("--keep-first"))
        return keepFirstCell(args.at(2));
    const int file = args.indexOf(QStringLiteral("--file"));
    const int replace = args.indexOf(QStringLiteral("--replace"));
    if (file > 0 || replace > 0) {
        if (file < 0 || replace < 0 || file + 1 >= args.size() || replace + 2 >= args.size()) {
            out() << "usage: sheetserver_bench [--file PATH --replace WHAT REPLACEMENT]"
                  << Qt::endl;
            return 64;
        }
        return replaceInFile(args.at(file + 1), args.at(replace + 1), args.at(replace + 2));
    }
    // Each run in a process of its own, so that each peak memory is its own.
    if (args.size() == 3 && mode == QLatin1String("--run"))
        return fullRun(args.at(2));
    for (const char *suffix : {"xls", "xlsx"}) {
        const int code = QProcess::execute(QCoreApplication::applicationFilePath(),
                                           {QStringLiteral("--run"), QString::fromLatin1(suffix)});
        if (code != 0)
            return code;
    }
    return replaceRuns();
}
