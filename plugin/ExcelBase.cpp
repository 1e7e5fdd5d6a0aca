#include "ExcelBase.h"

#include "ContentCodec.h"
#include "ExcelApplication.h"
#include "ExcelSheets.h"
#include "ExcelWorkbook.h"
#include "ExcelWorkbooks.h"
#include "ThreadInit.h"
#include "server/SpreadsheetServer.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QTextStream>
#include <limits>

namespace {

// The thread's automation init, released in the same thread however the run
// ends: the pool thread goes on to serve other jobs.
class ThreadInitScope
{
public:
    ThreadInitScope() { ThreadInit::initialize(ThreadInit::Multithreaded); }
    ~ThreadInitScope() { ThreadInit::release(); }
    ThreadInitScope(const ThreadInitScope &) = delete;
    ThreadInitScope &operator=(const ThreadInitScope &) = delete;
};

// Delimited text whose bytes tell no encoding takes the one the options
// choose for text contents when non-ASCII text comes into it.
TextEncoding::Kind chosenEncodingForNewText()
{
    switch (ContentCodec::chosen()->mibEnum()) {
    case 113:  // GBK
    case 114:  // GB18030
    case 2025: // GB2312
        return TextEncoding::Gb18030;
    default:
        return TextEncoding::Utf8;
    }
}

// The plug-in answers "Excel.Application" with its own in-process server as
// soon as the library is loaded, in every process that links it.
void installSpreadsheetServer()
{
    SpreadsheetServer::install();
    SpreadsheetServer::setNewTextEncoding(&chosenEncodingForNewText);
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(installSpreadsheetServer)

ExcelBase::ExcelBase(const QString &fileName, QObject *parent)
    : QObject(parent), m_fileName(fileName)
{
}

void ExcelBase::run()
{
    bool opened = false;
    {
        const ThreadInitScope threadInit;
        try {
            // A file that cannot be opened has had its tip from openExcel; it
            // still ends, so that the run it belongs to can complete.
            opened = openExcel(m_fileName);
            if (opened) {
                process();
                closeExcel();
            }
        } catch (...) {
            // Out of memory on a large workbook, or a fault in the server:
            // the workbook goes unsaved, so the file stays as it was.
            abandonRun();
            emitTip(this, opened ? Tip::FileSaveFailed : Tip::FileUnreadable, m_fileName);
        }
    }
    if (opened)
        emitTip(this, Tip::FileDone, m_fileName);
    emit done(m_fileName);
}

bool ExcelBase::openExcel(const QString &fileName)
{
    qDebug() << "openExcel m_fileName:" << fileName;
    if (!QFileInfo::exists(fileName)) {
        emitTip(this, Tip::FileNotFound, fileName);
        return false;
    }

    pApplication = new Excel::Application;
    if (pApplication->isNull()) {
        emitTip(this, Tip::OfficeMissing);
        releaseApplication();
        return false;
    }
    qDebug() << "Ver:" << pApplication->Version();
    pApplication->SetDisplayAlerts(false);
    pApplication->SetVisible(false);

    pWorkbooks = pApplication->Workbooks();
    if (pWorkbooks->isNull())
        return abandonOpen();
    pWorkbook = pWorkbooks->Open(fileName);
    if (pWorkbook->isNull())
        return abandonOpen();
    qDebug() << "pWorkbook->Path():" << pWorkbook->Path();
    pSheets = pWorkbook->Sheets();
    if (pSheets->isNull())
        return abandonOpen();
    sheetsCount = pSheets->Count();
    qDebug() << "sheetsCount:" << sheetsCount;
    if (sheetsCount <= 0)
        return abandonOpen();
    return true;
}

bool ExcelBase::abandonOpen()
{
    // The file exists but the application could not make a workbook of it.
    emitTip(this, Tip::FileUnreadable, m_fileName);
    pApplication->Quit();
    releaseApplication();
    return false;
}

void ExcelBase::abandonRun()
{
    if (pApplication) {
        try {
            pApplication->Quit();
        } catch (...) {
            // Whatever the application still holds goes with it below.
        }
    }
    releaseApplication();
}

void ExcelBase::releaseApplication()
{
    // Deleting the application deletes every automation object and wrapper
    // derived from it, the operation's sheets and ranges included.
    delete pApplication;
    pApplication = nullptr;
    pWorkbooks = nullptr;
    pWorkbook = nullptr;
    pSheets = nullptr;
}

bool ExcelBase::closeExcel()
{
    const bool saved = pWorkbook->Save();
    pWorkbook->Close();
    pApplication->Quit();
    releaseApplication();
    if (saved)
        emitTip(this, Tip::FileSaved);
    else
        emitTip(this, Tip::FileSaveFailed, m_fileName);
    return saved;
}

QString ExcelBase::columnName(int column)
{
    QString name;
    if (column < 1)
        return name;
    int n = 0;
    do {
        n = column - 1;
        name.prepend(QChar('A' + n % 26));
        column = n / 26;
    } while (n >= 26);
    return name;
}

QString ExcelBase::cellName(int row, int column)
{
    return columnName(column) + QString::number(row);
}

void ExcelBase::parseCellName(const QString &name, int &row, int &column)
{
    constexpr int most = std::numeric_limits<int>::max();
    row = 0;
    column = 0;
    int i = 0;
    const int size = name.size();
    auto isLetter = [](QChar c) {
        const ushort u = c.unicode();
        return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u > 0x7f && c.isLetter());
    };
    auto isDigit = [](QChar c) {
        const ushort u = c.unicode();
        return (u >= '0' && u <= '9') || (u > 0x7f && c.isDigit());
    };
    for (; i < size && isLetter(name.at(i)); ++i) {
        const int value = int(name.at(i).toUpper().unicode()) - 64;
        column = column > (most - value) / 26 ? most : column * 26 + value;
    }
    for (; i < size && isDigit(name.at(i)); ++i) {
        const int value = name.at(i).digitValue();
        row = row > (most - value) / 10 ? most : row * 10 + value;
    }
}

bool ExcelBase::writeTextFile(const QString &fileName, const QString &text)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate)) {
        qCritical() << "无法打开文件:" << file.errorString();
        return false;
    }
    QTextStream stream(&file);
    stream.setCodec(ContentCodec::chosen());
    stream << text;
    stream.flush();
    file.close();
    return true;
}
