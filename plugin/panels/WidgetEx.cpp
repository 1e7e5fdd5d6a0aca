#include "panels/WidgetEx.h"

#include <QCloseEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QMoveEvent>

WidgetEx::WidgetEx(QWidget *parent) : QDialog(parent, Qt::WindowFlags()) {}

bool WidgetEx::event(QEvent *event)
{
    // Listeners learn of the activation before the window reacts to it.
    if (event->type() == QEvent::WindowActivate)
        emit activateSignal();
    return QWidget::event(event);
}

void WidgetEx::mousePressEvent(QMouseEvent *event)
{
    Q_UNUSED(event);
    emit mousepressSignal();
}

void WidgetEx::moveEvent(QMoveEvent *event)
{
    emit curPosSignal(event->pos());
}

void WidgetEx::closeEvent(QCloseEvent *event)
{
    // The event stays accepted: closing only hides the window.
    Q_UNUSED(event);
    emit closedSignal();
}
