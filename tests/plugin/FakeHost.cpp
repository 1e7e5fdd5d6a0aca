#include "FakeHost.h"

FakeHost::FakeHost(QObject *parent) : QObject(parent), window(new QMainWindow)
{
    window->resize(600, 400);
    window->setCentralWidget(new QWidget(window));
}

FakeHost::~FakeHost()
{
    delete window;
}

void FakeHost::setFaceEnabled(bool enabled)
{
    calls << QStringLiteral("setFaceEnabled:%1").arg(enabled);
}

void FakeHost::setHarlithFace(HarlithFace *peer)
{
    currentPlugin = peer;
    calls << QStringLiteral("setHarlithFace");
}

QString FakeHost::getHarlithFaceName()
{
    calls << QStringLiteral("getHarlithFaceName");
    return dockOwner;
}

QWidget *FakeHost::mainWidget()
{
    calls << QStringLiteral("mainWidget");
    return window;
}

QDockWidget *FakeHost::createPlusDock(const QString &plusName)
{
    calls << QStringLiteral("createPlusDock:") + plusName;
    if (!giveDock)
        return nullptr;
    dockOwner = plusName;
    if (!dock) {
        dock = new QDockWidget(window);
        window->addDockWidget(Qt::RightDockWidgetArea, dock);
    }
    return dock;
}

void FakeHost::sendTip(const int &var1, const int &var2, const QString &tipText)
{
    calls << tipCall({var1, var2}, tipText);
}

QString FakeHost::tipCall(Tip::Pair tip, const QString &tipText)
{
    return QStringLiteral("sendTip:%1,%2,%3").arg(tip.var1).arg(tip.var2).arg(tipText);
}

void FakeHost::setRangeLabel(const int &range)
{
    calls << QStringLiteral("setRangeLabel:%1").arg(range);
}

void FakeHost::explain(const QString &explain)
{
    calls << QStringLiteral("explain:") + explain;
}

QStringList FakeHost::callsNamed(const QString &name) const
{
    QStringList found;
    for (const QString &call : calls) {
        if (call.section(QLatin1Char(':'), 0, 0) == name)
            found << call;
    }
    return found;
}

QString FakeHost::lastExplain() const
{
    const QStringList explains = callsNamed(QStringLiteral("explain"));
    return explains.isEmpty() ? QString() : explains.last().mid(QStringLiteral("explain:").size());
}
