#ifndef WENDRAL_H
#define WENDRAL_H

#include "HarlithFace.h"
#include "frame/PluginGlobals.h"
#include "records/OperationRecord.h"
#include "run/RunProgress.h"
#include "run/StepList.h"
#include "run/WorkbookBudget.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <memory>

class FileType;
class QSemaphore;
class WidgetText;
class WidgetTextOption;

// The plug-in object the host sees: it answers the host's calls, reaches the
// host through g_hostFace and owns the life of the two plug-in panels. The
// plug-in loader makes exactly one per process and nobody deletes it.
class Wendral : public QObject, public HarlithFace
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.HarlithFace/1.0")
    Q_INTERFACES(HarlithFace)
public:
    // budget bounds what a run holds open at once.
    explicit Wendral(std::unique_ptr<WorkbookBudget> budget = WorkbookBudget::forMachine());
    ~Wendral() override;

    void setFaceEnabled(bool enabled) override;
    void setHarlithFace(HarlithFace *peer) override;
    QString plusVersion() override;
    QString plusName() override;
    bool showPlus(int x, int y) override;
    void startRun() override;

    // The step list: each step keeps the operation, record and range that
    // were current when the host added it under its id.
    void addStep(int uniqueValue) override;
    void clearStep() override;
    void removeStep(const int &uniqueValue) override;
    void runStep(int uniqueValue) override;

    QString curTextExplain() const;

    void onPanelClosed();
    void onPanelActivated();
    void onCurTextChanged(Enum_TextIndex index);
    void onRangeChanged(Enum_Range range);
    void forwardTip(int var1, int var2, QString tipText);

    // A run: every file of range processed with operation index. stepIndex
    // names the step whose record the run uses, -1 outside a multi-step run.
    // Returns once the jobs have ended; the host hears of the end when their
    // done signals have come in.
    void runRange(const Enum_Range &range, const Enum_TextIndex &index, const int &stepIndex);
    // One job for one document, or one job per file of a list; each returns
    // when its jobs have ended. firstFile is the place of the list's first
    // file among all files of the run.
    void modify(const Enum_TextIndex &index, const QString &fileName, const int &stepIndex);
    void modifyList(const Enum_TextIndex &index, QList<FileType *> list, const int &stepIndex,
                    int firstFile = 0);
    // Counts one file of the run as finished.
    void stepDoneSlot(QString fileName);
    // Ends a run that cannot go on: both sides enabled again, the host told why.
    void finishRun(Tip::Pair tip);

    // The step list and the run's progress, for whoever drives a run without
    // the host's step window.
    StepList &steps() { return mSteps; }
    RunProgress &progress() { return mProgress; }

private:
    QString explainOf(Enum_TextIndex index) const;

    // Hands every file of the range to a job; a range without files ends
    // the run through finishRun.
    void dispatchRange(Enum_Range range, Enum_TextIndex index, int stepIndex);
    void dispatchFiles(Enum_TextIndex index, const QStringList &paths, int stepIndex,
                       int firstFile);
    OperationRecord recordFor(Enum_TextIndex index, int fileIndex, int stepIndex);
    // Replace by table: the record of the file's own column, null when the
    // column at fileIndex is not that file's.
    OperationRecord tableRecordFor(const QString &path, int fileIndex);
    // A pool thread's job for the file at path; it releases ended once,
    // however it ends.
    void startJob(Enum_TextIndex index, const QString &path, const OperationRecord &record,
                  const std::shared_ptr<QSemaphore> &ended);
    void completeRun();

    RunProgress mProgress;
    StepList mSteps;
    const std::unique_ptr<WorkbookBudget> mBudget;
    // Both panels can die with the host's window behind the plug-in's back,
    // so the pointers must notice it.
    QPointer<WidgetText> mWidgetText;
    QPointer<WidgetTextOption> mWidgetTextOption;
    QString mName;
    QString mVersion;
    QString mExplainFormat;
    // {title, description} of operations Replaced to Subtract, in that order.
    std::array<QStringList, 10> mTextInfo;
    QString mExplainAll;
};

#endif // WENDRAL_H
