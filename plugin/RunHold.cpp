#include "RunHold.h"

#include <QCloseEvent>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <utility>

namespace {

bool isUserInput(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// The event loop comes round to the hold this many times at least before it
// ends: the window system's input waiting when the run returned is read in
// one turn and handed to the windows in the same or the next one.
const int minimumTurns = 3;

} // namespace

RunHold::RunHold(QObject *parent) : QObject(parent)
{
    auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!application)
        return;
    m_holding = true;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    application->installEventFilter(this);
}

RunHold::~RunHold()
{
    end();
}

void RunHold::end()
{
    // The application may be gone before a hold that outlived its run.
    auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!m_holding || !application)
        return;
    m_holding = false;
    application->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
    // Posted, so that the close comes after this point whatever loop runs:
    // a question it asks then gets its answers. Under a modal window that
    // has just opened, the window system would refuse the close: so does
    // the hold.
    const QWindow *modal = QGuiApplication::modalWindow();
    const QList<QPointer<QWindow>> closes = std::move(m_closeRequests);
    for (const QPointer<QWindow> &window : closes) {
        if (window && (!modal || window == modal))
            QCoreApplication::postEvent(window, new QCloseEvent);
    }
}

void RunHold::endAfterQueuedInput()
{
    // Queued calls, unlike a deferred deletion, are delivered by any event
    // loop: a save question opened meanwhile must not find the hold alive.
    QMetaObject::invokeMethod(this, &RunHold::checkDrained, Qt::QueuedConnection);
}

void RunHold::checkDrained()
{
    // The queue is drained once a whole turn of the loop brought no input.
    ++m_turns;
    if (m_turns < minimumTurns || m_dropped > 0) {
        m_dropped = 0;
        QMetaObject::invokeMethod(this, &RunHold::checkDrained, Qt::QueuedConnection);
        return;
    }
    end();
    deleteLater();
}

bool RunHold::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_holding)
        return false;
    if (watched->isWindowType()) {
        auto *window = static_cast<QWindow *>(watched);
        if (event->type() == QEvent::Close) {
            // Only the window system closes a window this way.
            if (!m_closeRequests.contains(window))
                m_closeRequests.append(window);
            return true;
        }
        if (event->type() == QEvent::Show && window->modality() != Qt::NonModal) {
            // It runs a loop of its own, possibly for long: its input is the
            // user's answer. The windows it blocks take no input anyway.
            end();
            return false;
        }
    }
    if (!isUserInput(event))
        return false;
    ++m_dropped;
    return true;
}
