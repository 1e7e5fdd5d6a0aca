#ifndef STEPCOORDINATOR_H
#define STEPCOORDINATOR_H

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVector>

#include <functional>

class HarlithFace;
class QWidget;
class StepWidget;

// The host's side of a multi-step run: the step window, and for each of its
// rows the plug-in that recorded the step and the step's id there.
class StepCoordinator : public QObject
{
    Q_OBJECT

public:
    // currentPlugin names the plug-in a new step is asked of; window is the
    // step window's parent.
    StepCoordinator(QWidget *window, std::function<HarlithFace *()> currentPlugin);
    ~StepCoordinator() override;

    // Makes the step window on first use and shows it.
    void showWindow();
    // A plug-in's answer to a new step: the row "operation:parameters" and
    // the step's range.
    void appendStep(const QString &stepText, int range);
    // The plug-in finished the step the window started.
    void stepDone();

signals:
    void tipSignal(int var1, int var2, QString tipText = QString());
    // Every step has run: the window may take input again.
    void allStepsDone();

private:
    void onAddStep();
    void onStarStep(int stepIndex);
    void onRemoveStep(QList<int> list);
    void onClearStep();

    QWidget *const m_window;
    const std::function<HarlithFace *()> m_currentPlugin;
    StepWidget *mStepWidget = nullptr;
    // The plug-in asked for the last step; rows it appends are its steps.
    HarlithFace *mStepPlugin = nullptr;
    int mStepId = 0;
    // One (step id, plug-in) per row of the step window, in row order.
    QVector<QPair<int, HarlithFace *>> mStepVector;
};

#endif // STEPCOORDINATOR_H
