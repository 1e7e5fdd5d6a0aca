#include "StepCoordinator.h"

#include "HarlithFace.h"
#include "StepWidget.h"
#include "Tip.h"

StepCoordinator::StepCoordinator(QWidget *window, std::function<HarlithFace *()> currentPlugin)
    : m_window(window), m_currentPlugin(std::move(currentPlugin))
{
}

StepCoordinator::~StepCoordinator()
{
    // The step window's last clear tells the plug-ins to drop their steps;
    // it must come while the step vector still exists, not among the window's
    // children that go after it.
    delete mStepWidget;
    mStepWidget = nullptr;
}

void StepCoordinator::showWindow()
{
    if (!mStepWidget) {
        mStepWidget = new StepWidget(m_window);
        connect(mStepWidget, &StepWidget::addStepSignal, this, &StepCoordinator::onAddStep);
        connect(mStepWidget, &StepWidget::clearStepSignal, this, &StepCoordinator::onClearStep);
        connect(mStepWidget, &StepWidget::starStepSignal, this, &StepCoordinator::onStarStep);
        connect(mStepWidget, &StepWidget::allStepDoneSignal, this, &StepCoordinator::allStepsDone);
        connect(mStepWidget, &StepWidget::tipSignal, this, &StepCoordinator::tipSignal);
        connect(mStepWidget, &StepWidget::removeSignal, this, &StepCoordinator::onRemoveStep);
    }
    mStepWidget->show();
}

void StepCoordinator::onAddStep()
{
    HarlithFace *plugin = m_currentPlugin();
    if (!plugin) {
        emitTip(this, Tip::NoPluginOpen);
        return;
    }
    mStepPlugin = plugin;
    ++mStepId;
    // The plug-in answers through appendStep within this call.
    mStepPlugin->addStep(mStepId);
}

void StepCoordinator::onStarStep(int stepIndex)
{
    if (stepIndex < 0 || stepIndex >= mStepVector.size())
        return;
    const QPair<int, HarlithFace *> step = mStepVector.at(stepIndex);
    step.second->runStep(step.first);
}

void StepCoordinator::onRemoveStep(QList<int> list)
{
    // The window removed its rows by the same order; a list built any other
    // way is taken alike, so rows and entries stay equal.
    list = StepWidget::removalOrder(list);
    for (int i = list.size() - 1; i >= 0; --i) {
        const int row = list.at(i);
        if (row < 0 || row >= mStepVector.size())
            continue;
        const QPair<int, HarlithFace *> step = mStepVector.at(row);
        step.second->removeStep(step.first);
        mStepVector.remove(row);
    }
}

void StepCoordinator::onClearStep()
{
    for (const QPair<int, HarlithFace *> &step : qAsConst(mStepVector))
        step.second->clearStep();
    mStepVector.clear();
    mStepId = 0;
}

void StepCoordinator::appendStep(const QString &stepText, int range)
{
    // A step's text is "operation:parameters"; anything else cannot fill the
    // row's two columns.
    const QStringList parts = stepText.split(QLatin1Char(':'));
    if (parts.size() != 2) {
        emitTip(this, Tip::AddStepFailed,
                QStringLiteral("length:") + QString::number(stepText.size()) + QStringLiteral(" ") +
                    stepText);
        return;
    }
    if (parts.at(0) == QLatin1String("None") && parts.at(1) == QLatin1String("None")) {
        emitTip(this, Tip::NoOperationChosen);
        return;
    }
    if (mStepWidget && mStepPlugin) {
        mStepWidget->addStepRow(parts.at(0), parts.at(1), range);
        mStepVector.append(qMakePair(mStepId, mStepPlugin));
    }
    emitTip(this, Tip::StepListLength,
            QStringLiteral("MainWindow vector length:") + QString::number(mStepVector.size()));
}

void StepCoordinator::stepDone()
{
    if (mStepWidget)
        mStepWidget->onStepDone();
}
