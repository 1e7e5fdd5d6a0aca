#ifndef RUNHOLD_H
#define RUNHOLD_H

#include <QObject>

// What a run holds while it keeps the GUI thread busy: no window can answer
// meanwhile, so the pointer shows busy, and the input given meanwhile is
// dropped. That input waits in the queue until the run returns to the event
// loop, and would otherwise reach the windows once the run has enabled them
// again: a second press of the start button would run the whole list twice.
//
// The hold starts when it is made. It ends when it is destroyed, or through
// endAfterQueuedInput once the event loop has dropped what was queued.
// Without a GUI application there is neither pointer nor input, and a hold
// does nothing.
class RunHold : public QObject
{
    Q_OBJECT
public:
    explicit RunHold(QObject *parent);
    ~RunHold() override;

    // Lets the event loop go through the input queued so far, dropping it,
    // then deletes the hold.
    void endAfterQueuedInput();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_holding = false;
};

#endif // RUNHOLD_H
