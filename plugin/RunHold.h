#ifndef RUNHOLD_H
#define RUNHOLD_H

#include <QList>
#include <QObject>
#include <QPointer>

class QWindow;

// What a run holds while it keeps the GUI thread busy: no window can answer
// meanwhile, so the pointer shows busy, and the input given meanwhile is
// dropped. That input waits in the queue until the run returns to the event
// loop, and would otherwise reach the windows once the run has enabled them
// again: a second press of the start button would run the whole list twice.
//
// A window-manager close given meanwhile is not input to drop: it is handed
// on once the hold has ended, so that whatever it asks (a document's save
// question) gets the user's answers. A modal window shown while the hold
// lives ends the hold at once, for the same reason.
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
    // then ends and deletes the hold. Any event loop does, a nested one too.
    void endAfterQueuedInput();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void end();
    void checkDrained();

    bool m_holding = false;
    // Input dropped since the event loop last came round to the hold.
    int m_dropped = 0;
    int m_turns = 0;
    QList<QPointer<QWindow>> m_closeRequests;
};

#endif // RUNHOLD_H
