#ifndef WIDGETEX_H
#define WIDGETEX_H

#include <QDialog>
#include <QPoint>

// A tool window that reports its own life as signals, so that whoever owns
// the window's content can follow it without subclassing it again.
class WidgetEx : public QDialog
{
    Q_OBJECT
public:
    explicit WidgetEx(QWidget *parent = nullptr);

signals:
    void closedSignal();
    void curPosSignal(QPoint pos);
    void mousepressSignal();
    void activateSignal();

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};

#endif // WIDGETEX_H
