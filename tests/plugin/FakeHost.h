#ifndef FAKEHOST_H
#define FAKEHOST_H

#include "HarlithFace.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QStringList>

// A host that keeps a log of every call a plug-in makes on it, with a real
// main window for the plug-in's panels and an optional options dock.
class FakeHost : public QObject, public HarlithFace
{
    Q_OBJECT
    Q_INTERFACES(HarlithFace)
public:
    explicit FakeHost(QObject *parent = nullptr);
    ~FakeHost() override;

    void setFaceEnabled(bool enabled) override;
    void setHarlithFace(HarlithFace *peer) override;
    QString getHarlithFaceName() override;
    QWidget *mainWidget() override;
    QDockWidget *createPlusDock(const QString &plusName) override;
    void sendTip(const int &var1, const int &var2, const QString &tipText) override;
    void setRangeLabel(const int &range) override;
    void explain(const QString &explain) override;

    // Calls in order, each as "name:arguments".
    QStringList calls;
    // Gives out a dock unless told not to.
    bool giveDock = true;
    QString dockOwner;
    HarlithFace *currentPlugin = nullptr;
    QMainWindow *window = nullptr;
    QPointer<QDockWidget> dock;

    QStringList callsNamed(const QString &name) const;
    // A tip as this host notes it in calls.
    static QString tipCall(Tip::Pair tip, const QString &tipText = QString());
    QString lastExplain() const;
};

#endif // FAKEHOST_H
