#ifndef STEPWIDGET_H
#define STEPWIDGET_H

#include <QList>
#include <QString>
#include <QWidget>

namespace Ui {
class StepWidget;
}

// The multi-step window: one row per recorded step, and the run over the
// ticked rows one after another. It knows nothing of plug-ins: every request
// leaves as a signal carrying row numbers, and the owner reports each step's
// end through onStepDone.
class StepWidget : public QWidget
{
    Q_OBJECT
public:
    explicit StepWidget(QWidget *parent = nullptr);
    ~StepWidget() override;

    // Appends a ticked, not-run row; range 1 to 3 names the files, anything
    // else shows "None".
    void addStepRow(const QString &operation, const QString &parameters, const int &range);
    // The step of the current row has ended: the row turns grey and the next
    // ticked row of the run starts, or the run ends.
    void onStepDone();

    // Rows to remove as the window and its owner both take them: each row
    // once, in ascending order, so that walking the list from its end removes
    // the highest row first and leaves the lower numbers valid.
    static QList<int> removalOrder(QList<int> rows);

signals:
    void addStepSignal();
    void clearStepSignal();
    // The rows as they were numbered before the removal, in removalOrder.
    void removeSignal(QList<int> list);
    void starStepSignal(int stepIndex);
    void allStepDoneSignal();
    void tipSignal(int var1, int var2, QString tipText = QString());

private slots:
    void on_pushButton_add_clicked();
    void on_pushButton_clear_clicked();
    void on_pushButton_star_clicked();
    void on_radioButton_range_toggled(bool checked);
    void on_pushButton_remove_clicked();
    void on_pushButton_recovery_clicked();

private:
    bool isTicked(int row) const;
    void setRowLook(int row, bool run);
    // Starts the first ticked row from first to mEndStep; false when none is.
    bool startFrom(int first);

    Ui::StepWidget *ui;
    // Rows of the current run, counted from 0; all three go back to 0 when a
    // run ends.
    int mBeginStep = 0;
    int mEndStep = 0;
    int mCurStep = 0;
};

#endif // STEPWIDGET_H
