#include "run/RunHold.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>

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
    // The application may be gone before a hold that outlived its run.
    auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!m_holding || !application)
        return;
    application->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
}

void RunHold::endAfterQueuedInput()
{
    // The event loop sends the events posted so far before it turns to the
    // window system's queue, where the input given during the run waits; the
    // deletion posted from the first of them comes only after that queue.
    QMetaObject::invokeMethod(
        this, [this] { deleteLater(); }, Qt::QueuedConnection);
}

bool RunHold::eventFilter(QObject *watched, QEvent *event)
{
    Q_UNUSED(watched);
    return isUserInput(event);
}
