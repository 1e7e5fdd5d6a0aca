#ifndef EXCELBASE_H
#define EXCELBASE_H

#include "Tip.h"

#include <QObject>
#include <QString>

namespace Excel {
class Application;
class Workbooks;
class Workbook;
class Sheets;
} // namespace Excel

// The base of every text operation: one object handles one workbook file in
// one worker thread. run() initialises the thread, starts a spreadsheet
// application through the automation server registered as
// "Excel.Application", opens the workbook, lets the operation rewrite it
// (process), saves and closes it, quits the application and reports the end
// of the file.
//
// Every way run() can end sends done(fileName) for its file, after the tip
// that says how it ended:
//   file missing                         FileNotFound (path), done
//   no server registered                 OfficeMissing (""), done
//   not a workbook / cannot be opened    FileUnreadable (path), done
//   processed, saved                     FileSaved (""), FileDone (path), done
//   processed, save failed               FileSaveFailed (path), FileDone (path), done
//   open threw (out of memory, ...)      FileUnreadable (path), done
//   process or save threw                FileSaveFailed (path), FileDone (path), done
// A failed save, or a throw while opening, processing or saving, leaves the
// original file as it was. run() catches those throws, and releases the
// thread's automation init however it ends.
//
// The real server is registered when the plug-in library is loaded (see
// ExcelBase.cpp); tests may register a fake under the same name instead.
//
// Everything the run creates through automation (application, workbooks,
// sheets, ranges, and the wrappers an operation makes of them) is released
// with the application at the end of the file; the four pointers below are
// null again once run() has returned. The object itself belongs to whoever
// created it: signals are queued with copies of their arguments, so it may
// be deleted as soon as run() returns.
class ExcelBase : public QObject
{
    Q_OBJECT
public:
    ExcelBase(const QString &fileName, QObject *parent);

    // "B3" from row 3, column 2; no bounds check (row 0 gives "B0").
    QString columnName(int column);
    QString cellName(int row, int column);
    // Letters then digits, as in "AB12"; the first other character ends the
    // parse. Values that would overflow stay at the largest int.
    void parseCellName(const QString &name, int &row, int &column);

    // Writes text in the encoding the options choose, truncating the file.
    static bool writeTextFile(const QString &fileName, const QString &text);

public slots:
    virtual void run();

public:
    // The operation's work on the open workbook; the result is not used.
    virtual QString process() = 0;

signals:
    void done(QString fileName);
    void tipSignal(int var1, int var2, QString tipText = QString());

protected:
    // Starts the application and opens the workbook; false, with the tip of
    // the failure sent and the application gone again, when it cannot.
    bool openExcel(const QString &fileName);
    // Saves, closes and quits; false when the save failed.
    bool closeExcel();

    QString m_fileName;
    QString m_text;
    Excel::Application *pApplication = nullptr;
    Excel::Workbooks *pWorkbooks = nullptr;
    Excel::Workbook *pWorkbook = nullptr;
    Excel::Sheets *pSheets = nullptr;
    int sheetsCount = 0;

private:
    // Quits and releases the application; always false.
    bool abandonOpen();
    // The same after a throw, when even quitting may throw.
    void abandonRun();
    void releaseApplication();
};

#endif // EXCELBASE_H
