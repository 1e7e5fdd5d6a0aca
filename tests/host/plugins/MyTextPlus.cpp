#include "MyTextPlus.h"

#include <QCoreApplication>
#include <QPoint>
#include <QVariantList>

void MyTextPlus::setFaceEnabled(bool enabled)
{
    Q_UNUSED(enabled);
}

void MyTextPlus::setHarlithFace(HarlithFace *peer)
{
    setProperty("bound", peer != nullptr);
}

QString MyTextPlus::plusVersion()
{
    return QStringLiteral("V") + QCoreApplication::applicationVersion();
}

QString MyTextPlus::plusName()
{
    return QStringLiteral("MyText");
}

bool MyTextPlus::showPlus(int x, int y)
{
    QVariantList shown = property("shownAt").toList();
    shown << QPoint(x, y);
    setProperty("shownAt", shown);
    return true;
}
