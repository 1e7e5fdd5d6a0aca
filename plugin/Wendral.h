#ifndef WENDRAL_H
#define WENDRAL_H

#include "HarlithFace.h"
#include "PluginGlobals.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>

class WidgetText;
class WidgetTextOption;

// The plug-in object the host sees: it answers the host's calls, reaches the
// host through g_hostFace and owns the life of the two plug-in panels. The
// plug-in loader makes exactly one per process and nobody deletes it.
class Wendral : public QObject, public HarlithFace
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.HarlithFace/1.0")
    Q_INTERFACES(HarlithFace)
public:
    Wendral();
    ~Wendral() override;

    void setFaceEnabled(bool enabled) override;
    void setHarlithFace(HarlithFace *peer) override;
    QString plusVersion() override;
    QString plusName() override;
    bool showPlus(int x, int y) override;

    QString curTextExplain() const;

    void onPanelClosed();
    void onPanelActivated();
    void onCurTextChanged(Enum_TextIndex index);
    void onRangeChanged(Enum_Range range);
    void forwardTip(int var1, int var2, QString tipText);

private:
    QString explainOf(Enum_TextIndex index) const;

    int mFileCount = 0;
    int mFileComplete = 0;
    bool mStepMode = false;
    // Both panels can die with the host's window behind the plug-in's back,
    // so the pointers must notice it.
    QPointer<WidgetText> mWidgetText;
    QPointer<WidgetTextOption> mWidgetTextOption;
    QString mName;
    QString mVersion;
    QString mExplainFormat;
    // {title, description} of operations Replaced to Subtract, in that order.
    std::array<QStringList, 10> mTextInfo;
    QString mExplainAll;
};

#endif // WENDRAL_H
