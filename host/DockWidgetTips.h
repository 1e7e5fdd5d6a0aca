#ifndef DOCKWIDGETTIPS_H
#define DOCKWIDGETTIPS_H

#include <QDockWidget>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace Ui {
class DockWidgetTips;
}

// The bottom dock: a running log of tips, newest on top, beside a pane that
// explains the current operation.
class DockWidgetTips : public QDockWidget
{
    Q_OBJECT
public:
    explicit DockWidgetTips(QWidget *parent = nullptr);
    ~DockWidgetTips() override;

    // Connected by member pointer; the log is never trimmed.
    void tipSlot(const int &var1, const int &var2, const QString &tipText);
    void explainSlot(const QString &explain);

signals:
    void finish();

private:
    // Puts the lines that arrived since the last call at the top of the log.
    void showPendingTips();

    Ui::DockWidgetTips *ui;
    QStringList m_pendingTips;
    QTimer m_showTimer;
    QElapsedTimer m_sinceLastPass;
    qint64 m_restAfterPassMs = 0;
};

#endif // DOCKWIDGETTIPS_H
