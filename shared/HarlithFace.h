#ifndef HARLITHFACE_H
#define HARLITHFACE_H

#include <QDockWidget>
#include <QList>
#include <QString>
#include <QWidget>
#include <QtPlugin>

#include "Tip.h"

class FileType;

// The one contract between the host and a processing plug-in. Both
// deliverables compile against this declaration and call each other only
// through its virtual slots, so the order of the declarations below is part
// of the binary contract and must never change.
class HarlithFace
{
public:
    virtual ~HarlithFace() {}

    // Both sides implement these two.
    virtual void setFaceEnabled(bool enabled) = 0;
    virtual void setHarlithFace(HarlithFace *peer) = 0;

    // Host services.
    virtual QString getHarlithFaceName() { return QString(); }
    virtual QWidget *mainWidget() { return nullptr; }
    virtual QDockWidget *createPlusDock(const QString &plusName)
    {
        Q_UNUSED(plusName);
        return nullptr;
    }
    virtual void newList(const QString &name) { Q_UNUSED(name); }
    virtual void sendTip(const int &var1, const int &var2, const QString &tipText)
    {
        Q_UNUSED(var1);
        Q_UNUSED(var2);
        Q_UNUSED(tipText);
    }
    virtual void setRangeLabel(const int &range) { Q_UNUSED(range); }
    virtual QString curFileName() { return QString(); }
    virtual int curCodeEditorID() { return -1; }
    virtual int curTableID() { return -1; }
    virtual int curFileCount() { return -1; }
    virtual QList<FileType *> curFileList() { return QList<FileType *>(); }
    virtual void appendFileToList(const QString &path, const QString &listName)
    {
        Q_UNUSED(path);
        Q_UNUSED(listName);
    }
    virtual int tableID(int index)
    {
        Q_UNUSED(index);
        return -1;
    }
    virtual QString tableName(int index)
    {
        Q_UNUSED(index);
        return QString();
    }
    virtual int fileCount(int index)
    {
        Q_UNUSED(index);
        return -1;
    }
    virtual QList<FileType *> fileList(int index)
    {
        Q_UNUSED(index);
        return QList<FileType *>();
    }
    virtual int tableCount() { return 0; }
    virtual void explain(const QString &explain) { Q_UNUSED(explain); }
    virtual void appendStep(const QString &stepText, const int &range)
    {
        Q_UNUSED(stepText);
        Q_UNUSED(range);
    }
    virtual void stepDone() {}

    // Plug-in services.
    virtual QString plusVersion() { return QString(); }
    virtual QString plusName() { return QString(); }
    virtual void startRun() {}
    virtual void addStep(int uniqueValue) { Q_UNUSED(uniqueValue); }
    virtual void clearStep() {}
    virtual void removeStep(const int &uniqueValue) { Q_UNUSED(uniqueValue); }
    virtual void runStep(int uniqueValue) { Q_UNUSED(uniqueValue); }
    virtual bool showPlus(int x, int y)
    {
        Q_UNUSED(x);
        Q_UNUSED(y);
        return false;
    }

    // Not a slot: a plain inline call that leaves the table above as it is.
    void sendTip(Tip::Pair tip, const QString &tipText = QString())
    {
        sendTip(tip.var1, tip.var2, tipText);
    }
};

#define HarlithFace_iid "org.qt-project.Qt.HarlithFace/1.0"
Q_DECLARE_INTERFACE(HarlithFace, HarlithFace_iid)

#endif // HARLITHFACE_H
