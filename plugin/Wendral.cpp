#include "Wendral.h"

#include "ContentCodec.h"
#include "ExcelBase.h"
#include "FileType.h"
#include "RunHold.h"
#include "WidgetText.h"
#include "WidgetTextOption.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDockWidget>
#include <QSemaphore>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>

namespace {

// However a job ends: its budget share goes back (run() has closed the
// workbook and let go of everything it made), then the waiting run hears of
// it.
class JobEnd
{
public:
    JobEnd(std::shared_ptr<WorkbookBudget::Share> share, std::shared_ptr<QSemaphore> ended)
        : m_share(std::move(share)), m_ended(std::move(ended))
    {
    }
    ~JobEnd()
    {
        m_share->release();
        m_ended->release();
    }
    JobEnd(const JobEnd &) = delete;
    JobEnd &operator=(const JobEnd &) = delete;

private:
    const std::shared_ptr<WorkbookBudget::Share> m_share;
    const std::shared_ptr<QSemaphore> m_ended;
};

} // namespace

Wendral::Wendral(std::unique_ptr<WorkbookBudget> budget)
    : QObject(nullptr)
    , mBudget(std::move(budget))
    , mName(QStringLiteral("Text"))
    , mVersion(QStringLiteral("V") + QCoreApplication::applicationVersion())
    , mExplainFormat(QStringLiteral("<b>%1</b><br>%2"))
{
    // The host's choice of text encoding is found here, in the GUI thread,
    // before any job thread asks for it.
    ContentCodec::chosen();
    mTextInfo = {{
        {QStringLiteral("字符处理:替换1"),
         QStringLiteral("将指定文本文件相同的关键字替换为【相同】的内容")},
        {QStringLiteral("字符处理:替换2"),
         QStringLiteral("将指定文本文件相同的关键字替换为【不同】的内容")},
        {QStringLiteral("字符处理:保留"), QStringLiteral("保留符合正则表达式的文本内容")},
        {QStringLiteral("字符处理:删除"), QStringLiteral("删除指定或符合正则表达式的文本内容")},
        {QStringLiteral("字符处理:转换"),
         QStringLiteral("支持大小写、全半角、进制、繁简体等转换方式")},
        {QStringLiteral("字符处理:编解码"),
         QStringLiteral("支持BASIC、 Hex、AES_128、 ASCII、DES、Rabbit、RC4、TripleDes、"
                        "Keccak_224、Keccak_256、Keccak_384、Keccak_512、RealSha3_224、"
                        "RealSha3_256、RealSha3_384、RealSha3_512、Md4、Md5、Sha1、Sha224、"
                        "Sha256、Sha384、Sha512等编解码方式")},
        {QStringLiteral("字符处理:字符"), QStringLiteral("增加指定字符或删除、保留指定长度")},
        {QStringLiteral("字符处理:空格"), QStringLiteral("支持在段首或段尾设置空格数量")},
        {QStringLiteral("字符处理:追加"), QStringLiteral("追加段落已有文本内容")},
        {QStringLiteral("字符处理:减去"), QString()},
    }};

    QStringList explanations;
    for (int index = Replaced; index <= Subtract; ++index)
        explanations << explainOf(static_cast<Enum_TextIndex>(index));
    mExplainAll = explanations.join(QStringLiteral("<br>"));
}

// The panels belong to the host's windows; they are not ours to delete.
Wendral::~Wendral() = default;

void Wendral::setFaceEnabled(bool enabled)
{
    if (mWidgetText)
        mWidgetText->setEnabled(enabled);
    if (mWidgetTextOption)
        mWidgetTextOption->setEnabled(enabled);
}

void Wendral::setHarlithFace(HarlithFace *peer)
{
    g_hostFace = peer;
}

QString Wendral::plusVersion()
{
    return mVersion;
}

QString Wendral::plusName()
{
    return mName;
}

QString Wendral::explainOf(Enum_TextIndex index) const
{
    if (index < Replaced || index > Subtract)
        return QString();
    const QStringList &info = mTextInfo[index - 1];
    return mExplainFormat.arg(info.at(0), info.at(1));
}

QString Wendral::curTextExplain() const
{
    if (g_curTextIndex == Explain)
        return mExplainAll;
    return explainOf(g_curTextIndex);
}

bool Wendral::showPlus(int x, int y)
{
    // A host that never bound us has nowhere to put a panel.
    if (!g_hostFace)
        return false;

    bool shown = false;
    if (!mWidgetText) {
        mWidgetText = new WidgetText(this, g_hostFace->mainWidget());
        connect(mWidgetText, &WidgetEx::closedSignal, this, &Wendral::onPanelClosed);
        connect(mWidgetText, &WidgetEx::activateSignal, this, &Wendral::onPanelActivated);
        connect(mWidgetText, &WidgetText::curTextSignal, this, &Wendral::onCurTextChanged);
        connect(mWidgetText, &WidgetText::rangeSignal, this, &Wendral::onRangeChanged);
        mWidgetText->move(x, y);
        mWidgetText->show();
        shown = true;
    }
    mWidgetText->activateWindow();
    g_hostFace->explain(curTextExplain());
    g_hostFace->sendTip(Tip::PluginOpened, mName + QStringLiteral(" ") + mVersion);
    return shown;
}

void Wendral::onPanelActivated()
{
    g_hostFace->setHarlithFace(this);
    g_hostFace->explain(curTextExplain());

    // The host has one options dock for every plug-in; an options panel of
    // ours that another plug-in pushed out is stale.
    if (g_hostFace->getHarlithFaceName() != mName && mWidgetTextOption) {
        delete mWidgetTextOption;
        mWidgetTextOption = nullptr;
    }

    if (!mWidgetTextOption) {
        mWidgetTextOption = new WidgetTextOption(mExplainAll);
        if (mWidgetText)
            connect(mWidgetText, &WidgetText::rep2RangeSignal, mWidgetTextOption,
                    &WidgetTextOption::rep2RangeSlot);
        connect(mWidgetTextOption, &WidgetTextOption::tipSignal, this, &Wendral::forwardTip);
    }

    QDockWidget *dock = g_hostFace->createPlusDock(mName);
    if (!dock)
        return;
    dock->setWidget(mWidgetTextOption);
    // The width is the panel's; the height follows the window. A height
    // fixed now would be the window's before it was maximised when the panel
    // opens at start: the options would stay squeezed into part of the dock.
    dock->setFixedWidth(mWidgetTextOption->width());
    dock->setMinimumHeight(0);
    dock->setMaximumHeight(QWIDGETSIZE_MAX);
    dock->show();
}

void Wendral::onCurTextChanged(Enum_TextIndex index)
{
    g_hostFace->explain(curTextExplain());
    if (mWidgetTextOption) {
        mWidgetTextOption->activateWindow();
        mWidgetTextOption->curTextSlot(index);
    }
}

void Wendral::onRangeChanged(Enum_Range range)
{
    g_hostFace->setRangeLabel(range);
}

void Wendral::onPanelClosed()
{
    g_hostFace->sendTip(Tip::PluginClosed, mName + QStringLiteral(" ") + mVersion);
    g_hostFace->setRangeLabel(0);
    // The closed panel stays a hidden child of the host's window; the next
    // showPlus builds a fresh one.
    mWidgetText = nullptr;
    if (mWidgetTextOption) {
        // The dock is hidden only while it shows our options: once another
        // plug-in has put its own panel in, the dock is that plug-in's.
        QWidget *parent = mWidgetTextOption->parentWidget();
        auto *dock = qobject_cast<QDockWidget *>(parent);
        if (parent && (!dock || dock->widget() == mWidgetTextOption))
            parent->hide();
        delete mWidgetTextOption;
        mWidgetTextOption = nullptr;
    }
    g_curTextIndex = Explain;
}

void Wendral::forwardTip(int var1, int var2, QString tipText)
{
    g_hostFace->sendTip(var1, var2, tipText);
}

void Wendral::startRun()
{
    mStepMode = false;
    runRange(g_range, g_curTextIndex, -1);
}

void Wendral::runRange(const Enum_Range &range, const Enum_TextIndex &index, const int &stepIndex)
{
    if (g_hostFace->tableCount() == 0)
        return;
    auto *hold = new RunHold(this);
    setFaceEnabled(false);
    g_hostFace->setFaceEnabled(false);

    mDispatching = true;
    dispatchRange(range, index, stepIndex);
    mDispatching = false;
    setFaceEnabled(true);
    hold->endAfterQueuedInput();
    // Files that ended while the run was handed out were counted; the run
    // may already be complete.
    if (mFileCount > 0 && mFileComplete >= mFileCount)
        completeRun();
}

void Wendral::dispatchRange(Enum_Range range, Enum_TextIndex index, int stepIndex)
{
    switch (range) {
    case List: {
        const QList<FileType *> list = g_hostFace->curFileList();
        if (list.isEmpty())
            break;
        modifyList(index, list, stepIndex);
        return;
    }
    case Current: {
        const QString name = g_hostFace->curFileName();
        if (name.isEmpty())
            break;
        modify(index, name, stepIndex);
        return;
    }
    case All: {
        const int count = g_hostFace->tableCount();
        int filesBefore = 0;
        for (int i = 0; i < count; ++i) {
            if (g_hostFace->fileCount(i) <= 0)
                continue;
            const QList<FileType *> list = g_hostFace->fileList(i);
            if (list.isEmpty())
                continue;
            modifyList(index, list, stepIndex, filesBefore);
            filesBefore += list.size();
        }
        if (filesBefore == 0)
            break;
        return;
    }
    default:
        qDebug() << "curRange:" << int(range);
        break;
    }
    finishRun(Tip::NoFilesToProcess);
}

void Wendral::modify(const Enum_TextIndex &index, const QString &fileName, const int &stepIndex)
{
    QThreadPool::globalInstance()->setMaxThreadCount(8);
    dispatchFiles(index, {fileName}, stepIndex, 0);
}

void Wendral::modifyList(const Enum_TextIndex &index, QList<FileType *> list, const int &stepIndex,
                         int firstFile)
{
    // Every file of the list has a thread of its own; the budget decides how
    // many of them have their workbook open at once.
    QThreadPool::globalInstance()->setMaxThreadCount(qMax(1, list.size()));
    QStringList paths;
    for (const FileType *file : qAsConst(list))
        paths.append(file->path);
    dispatchFiles(index, paths, stepIndex, firstFile);
}

void Wendral::dispatchFiles(Enum_TextIndex index, const QStringList &paths, int stepIndex,
                            int firstFile)
{
    if (!OperationTable::hasOperation(index)) {
        finishRun(Tip::NoOptionChosen);
        return;
    }
    // Replace by table takes each file's own column; every other run, and
    // every step, one record for all its files.
    const bool recordPerFile = index == Replaced2 && !mStepMode;
    OperationTable::Record shared;
    if (!recordPerFile) {
        shared = recordFor(index, 0, stepIndex);
        if (!shared) {
            finishRun(Tip::ParametersInvalid);
            return;
        }
    }

    // Each job signals its own end. Waiting on a job's future instead would
    // run a job the pool has not started yet in this thread.
    const auto ended = std::make_shared<QSemaphore>();
    int started = 0;
    for (int i = 0; i < paths.size(); ++i) {
        OperationTable::Record record =
            recordPerFile ? tableRecordFor(paths.at(i), firstFile + i) : shared;
        if (!record) {
            finishRun(Tip::ParametersInvalid);
            continue;
        }
        ++mFileCount;
        startJob(index, paths.at(i), record, ended);
        ++started;
    }
    ended->acquire(started);
}

OperationTable::Record Wendral::recordFor(Enum_TextIndex index, int fileIndex, int stepIndex)
{
    if (mStepMode) {
        if (stepIndex < 0 || stepIndex >= mSteps.size() || mSteps.at(stepIndex).textIndex != index)
            return nullptr;
        return mSteps.at(stepIndex).par;
    }
    return OperationTable::buildRecord(mWidgetTextOption, index, fileIndex);
}

OperationTable::Record Wendral::tableRecordFor(const QString &path, int fileIndex)
{
    // A file added to the list after the table took its columns would get
    // another file's replacements, or none, which deletes every key.
    if (!mWidgetTextOption || mWidgetTextOption->filePaths().value(fileIndex) != path)
        return nullptr;
    return recordFor(Replaced2, fileIndex, -1);
}

void Wendral::startJob(Enum_TextIndex index, const QString &path,
                       const OperationTable::Record &record,
                       const std::shared_ptr<QSemaphore> &ended)
{
    // A job starts once the run has room for its workbook beside those of
    // the jobs still working; its share goes back when it ends, whether its
    // file could be opened or not.
    const std::shared_ptr<WorkbookBudget::Share> share =
        mBudget->acquire(WorkbookBudget::costOf(path));
    QtConcurrent::run([this, index, path, record, share, ended]() {
        const JobEnd end(share, ended);
        try {
            // Made, run and released in the pool thread. Its signals reach
            // this object queued, with copies of their arguments, so nothing
            // needs the operation once run() has returned.
            const std::unique_ptr<ExcelBase> operation =
                OperationTable::createOperation(index, path, record);
            // The run checked the kind and the record before it started the job.
            Q_ASSERT(operation);
            connect(operation.get(), &ExcelBase::done, this, &Wendral::stepDoneSlot);
            connect(operation.get(), &ExcelBase::tipSignal, this, &Wendral::forwardTip);
            operation->run();
        } catch (...) {
            // run() reports what the workbook's open, process and save throw;
            // this is a throw before it could: the file still has to end.
            QMetaObject::invokeMethod(
                this,
                [this, path] {
                    g_hostFace->sendTip(Tip::FileUnreadable, path);
                    stepDoneSlot(path);
                },
                Qt::QueuedConnection);
        }
    });
}

void Wendral::stepDoneSlot(QString fileName)
{
    Q_UNUSED(fileName);
    if (mFileCount == 0)
        return;
    ++mFileComplete;
    qDebug() << "stepDoneSlot"
             << "mFileCount:" << mFileCount << "  mFileComplete:" << mFileComplete;
    if (!mDispatching && mFileComplete >= mFileCount)
        completeRun();
}

void Wendral::completeRun()
{
    // Reset first: in a multi-step run the host starts the next step from
    // within stepDone.
    mFileCount = 0;
    mFileComplete = 0;
    if (mStepMode) {
        g_hostFace->sendTip(Tip::ThreadStepDone);
        g_hostFace->stepDone();
    } else {
        g_hostFace->sendTip(Tip::AllThreadsDone);
    }
}

void Wendral::finishRun(Tip::Pair tip)
{
    g_hostFace->setFaceEnabled(true);
    setFaceEnabled(true);
    g_hostFace->sendTip(tip);
}

// The step list.

void Wendral::addStep(int uniqueValue)
{
    g_hostFace->sendTip(
        Tip::StepRecording,
        QStringLiteral("curText: 唯一值:%1 操作值:%2").arg(uniqueValue).arg(int(g_curTextIndex)));
    QString rowText;
    if (g_curTextIndex >= Replaced && g_curTextIndex <= Add) {
        // Replace by table keeps the first file's column: a step has one
        // record for every file it runs on. Without an options panel there
        // is no record either.
        const OperationTable::Record record =
            OperationTable::buildRecord(mWidgetTextOption, g_curTextIndex, 0);
        if (!record) {
            finishRun(Tip::ParametersInvalid);
            return;
        }
        rowText = mTextInfo[g_curTextIndex - 1].at(0);
        StepType step;
        step.uniqueValue = uniqueValue;
        step.textIndex = g_curTextIndex;
        step.par = record;
        step.range = g_range;
        mSteps.append(step);
    } else if (g_curTextIndex != Subtract) {
        rowText = QStringLiteral("None:None");
    }
    g_hostFace->sendTip(Tip::StepListLength,
                        QStringLiteral("Wendral vector length:%1").arg(mSteps.size()));
    g_hostFace->appendStep(rowText, g_range);
}

void Wendral::clearStep()
{
    // A record goes with the last of its step and the jobs still using it.
    mSteps.clear();
}

void Wendral::removeStep(const int &uniqueValue)
{
    const QString lengthText = QStringLiteral("Wendral removeStep vector length:%1");
    g_hostFace->sendTip(Tip::StepRemoving, lengthText.arg(mSteps.size()));
    for (int i = mSteps.size() - 1; i >= 0; --i) {
        if (mSteps.at(i).uniqueValue == uniqueValue) {
            mSteps.remove(i);
            break;
        }
    }
    g_hostFace->sendTip(Tip::StepRemoved, lengthText.arg(mSteps.size()));
}

void Wendral::runStep(int uniqueValue)
{
    if (mSteps.isEmpty()) {
        g_hostFace->sendTip(Tip::AllThreadsDone);
        return;
    }
    mStepMode = true;
    const auto found =
        std::find_if(mSteps.cbegin(), mSteps.cend(), [uniqueValue](const StepType &step) {
            return step.uniqueValue == uniqueValue;
        });
    if (found == mSteps.cend())
        return;
    const int index = int(found - mSteps.cbegin());
    // A copy: the run must not depend on the list staying as it is.
    const StepType step = *found;
    g_hostFace->sendTip(Tip::StepRunning,
                        QStringLiteral("Wendral uniqueValue: %1").arg(uniqueValue));
    runRange(step.range, step.textIndex, index);
}
