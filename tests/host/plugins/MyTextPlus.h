#ifndef MYTEXTPLUS_H
#define MYTEXTPLUS_H

#include "HarlithFace.h"

#include <QObject>

// A second plug-in for the loading tests. Its key, "MyText V<version>", ends
// with the key of the real plug-in, and it notes every panel position it is
// asked for in its "shownAt" property.
class MyTextPlus : public QObject, public HarlithFace
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.HarlithFace/1.0")
    Q_INTERFACES(HarlithFace)
public:
    void setFaceEnabled(bool enabled) override;
    void setHarlithFace(HarlithFace *peer) override;
    QString plusVersion() override;
    QString plusName() override;
    bool showPlus(int x, int y) override;
};

#endif // MYTEXTPLUS_H
