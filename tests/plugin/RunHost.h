#ifndef RUNHOST_H
#define RUNHOST_H

#include "FileType.h"
#include "HarlithFace.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// A host without windows that holds file lists and a current document for a
// plug-in's runs, and logs what the plug-in tells it.
class RunHost : public HarlithFace
{
public:
    RunHost();
    ~RunHost() override;

    // A new list of these paths; its position. The first list is current.
    int addList(const QStringList &paths);
    void appendFile(int list, const QString &path);
    int currentList = 0;
    QString currentDocument;

    void setFaceEnabled(bool enabled) override;
    void setHarlithFace(HarlithFace *peer) override;
    // The options dock is taken to be the plug-in's all along, so the
    // plug-in keeps its options panel however often its panel is activated.
    QString getHarlithFaceName() override { return QStringLiteral("Text"); }
    void sendTip(const int &var1, const int &var2, const QString &tipText) override;
    QString curFileName() override;
    int curFileCount() override;
    QList<FileType *> curFileList() override;
    int fileCount(int index) override;
    QList<FileType *> fileList(int index) override;
    int tableCount() override;
    void appendStep(const QString &stepText, const int &range) override;
    void stepDone() override;

    // Calls in order: "enabled:1", "tip:-4,2,", "appendStep:text,2",
    // "stepDone", ...
    QStringList calls;
    bool enabled = true;
    // Called from stepDone, as the host's step window goes on to its next
    // step from there.
    std::function<void()> onStepDone;
    // Called whenever the plug-in asks for a list's count, as a host that
    // repaints while it answers would.
    std::function<void()> onFileCount;

    QStringList tips() const;
    // A tip as this host notes it in calls.
    static QString tipCall(Tip::Pair tip, const QString &tipText = QString());
    int count(const QString &call) const;

private:
    std::vector<std::unique_ptr<FileType>> m_records;
    QList<QList<FileType *>> m_lists;
};

#endif // RUNHOST_H
