// sheetserver_bench: what a run over a large workbook costs.
//
// With no argument it makes a 100,000-row by 10-column workbook of text in a
// temporary folder and measures, in one run: open, a walk of every cell by
// name through the automation client (Range, Text, Value) and save; a
// Replace over the used range and save; and the floor, inflating and
// deflating every entry of the same file with the same zip library. The
// last line is "ratio_to_floor: X.XX", the walk run over the floor.
//
// The same run goes first over the same cells in an Excel 97-2003 workbook
// (two sheets of 50,000 rows: a sheet holds at most 65,536), its lines
// starting "xls_"; its floor is reading every stream of the compound file
// and writing the file back to disk, workbook stream replaced, with the same
// container code. Each floor is measured before its run, so that the peak
// memory printed is the run's own.
//
// sheetserver_bench --file PATH --replace WHAT REPLACEMENT runs Replace
// (part of a cell, by rows, case-sensitive) over the used range of every
// worksheet of PATH and saves it in place.
#include "AutomationClient.h"
#include "WorkbookMaker.h"
#include "XlsMaker.h"
#include "model/CellAddress.h"
#include "server/SpreadsheetServer.h"
#include "xls/CompoundFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <sys/resource.h>

namespace {

constexpr int Rows = 100000;
constexpr int Columns = 10;
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

bool addEntry(QuaZip *zip, const QString &name, const QByteArray &data)
{
    QuaZipFile file(zip);
    if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name)))
        return false;
    file.write(data);
    file.close();
    return file.getZipError() == 0;
}

QString cellText(int row, int column)
{
    return QStringLiteral("row %1 column %2 apple").arg(row).arg(column);
}

// A workbook as a spreadsheet application writes it: every text in the
// shared-string table, each cell unique.
bool makeWorkbook(const QString &path)
{
    if (path.endsWith(QLatin1String(".xls")))
        return XlsMaker::writeTextWorkbook(path, {QStringLiteral("Data"), QStringLiteral("Data2")},
                                           Rows / 2, Columns, cellText);
    return WorkbookMaker::writePackage(
        path, WorkbookMaker::textWorkbook(QStringLiteral("Data"), Rows, Columns, cellText));
}

// The bare container work on an .xls: read every stream of the compound
// file, write the workbook stream back.
double xlsFloorSeconds(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    CompoundFile container;
    QString why;
    container.load(file.readAll(), &why);
    QByteArray workbook;
    for (int i = 1; i < container.entries().size(); ++i) {
        QByteArray data;
        if (container.readStream(i, &data, &why) && container.path(i) == QLatin1String("Workbook"))
            workbook = data;
    }
    // Written to a file as it is made, as a save writes it.
    QFile written(path + QStringLiteral(".written"));
    written.open(QIODevice::WriteOnly);
    container.replaceStream(container.child(0, QStringLiteral("Workbook")), workbook, &written,
                            &why);
    written.close();
    return timer.nsecsElapsed() / 1e9;
}

// The bare zip work on the same file: inflate every entry, deflate it again.
double floorSeconds(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QuaZip in(path);
    in.open(QuaZip::mdUnzip);
    QByteArray sink;
    QBuffer buffer(&sink);
    QuaZip zipOut(&buffer);
    zipOut.open(QuaZip::mdCreate);
    for (bool more = in.goToFirstFile(); more; more = in.goToNextFile()) {
        QuaZipFile file(&in);
        file.open(QIODevice::ReadOnly);
        const QByteArray data = file.readAll();
        file.close();
        addEntry(&zipOut, in.getCurrentFileName(), data);
    }
    zipOut.close();
    return timer.nsecsElapsed() / 1e9;
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
    // Replace over the used range of every worksheet; the cells visited.
    qint64 replaceEverywhere(const QString &what, const QString &with)
    {
        AutomationClient *sheets = book->querySubObject("Sheets");
        const int count = sheets->dynamicCall("Count()").toInt();
        qint64 cells = 0;
        for (int i = 1; i <= count; ++i) {
            AutomationClient *used =
                sheets->querySubObject("Item(const QVariant&)", i)->querySubObject("UsedRange");
            if (used->isNull())
                continue; // a chart sheet
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
    const qint64 cells = session.replaceEverywhere(what, with);
    if (!session.save()) {
        out() << "cannot save " << path << Qt::endl;
        return 2;
    }
    out() << "replace_and_save_seconds: " << timer.nsecsElapsed() / 1e9 << Qt::endl;
    out() << "cells: " << cells << Qt::endl;
    out() << "peak_rss_mb: " << peakMegabytes() << Qt::endl;
    return 0;
}

int fullRun(const QString &suffix)
{
    const bool xls = suffix == QLatin1String("xls");
    const QString prefix = xls ? QStringLiteral("xls_") : QString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.") + suffix);
    // Made by a child process, so that making it is not part of this
    // process's peak memory.
    if (QProcess::execute(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--make"), path}) != 0) {
        out() << "cannot make the workbook" << Qt::endl;
        return 1;
    }
    const QString copy = dir.filePath(QStringLiteral("floor.") + suffix);
    QFile::copy(path, copy);
    out() << prefix << "workbook: " << Rows << " rows x " << Columns << " columns, "
          << QFileInfo(path).size() / 1e6 << " MB" << Qt::endl;

    // The floor first, so that the memory it takes is not counted as the
    // run's own.
    const double floor = xls ? xlsFloorSeconds(copy) : floorSeconds(copy);

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

    const double cells = double(Rows) * Columns;
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
    if (args.size() == 3 && args.at(1) == QLatin1String("--make"))
        return makeWorkbook(args.at(2)) ? 0 : 1;
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
    if (args.size() == 3 && args.at(1) == QLatin1String("--run"))
        return fullRun(args.at(2));
    for (const char *suffix : {"xls", "xlsx"}) {
        const int code = QProcess::execute(QCoreApplication::applicationFilePath(),
                                           {QStringLiteral("--run"), QString::fromLatin1(suffix)});
        if (code != 0)
            return code;
    }
    return 0;
}
