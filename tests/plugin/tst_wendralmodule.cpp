#include "FakeHost.h"
#include "HarlithFace.h"

#include <QJsonObject>
#include <QPluginLoader>
#include <QToolButton>
#include <QtTest>

// The plug-in as the host meets it: a file in the plugins folder, reached
// only through the loader and the interface.
class TestWendralModule : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void metadataNamesInterfaceAndClass();
    void oneInstancePerProcess();
    void panelWorksThroughTheInterface();

private:
    QString mPath;
};

void TestWendralModule::initTestCase()
{
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    mPath = QStringLiteral(QUORVANE_BIN_DIR "/plugins/libwendral0.so");
    QVERIFY2(QFile::exists(mPath), qPrintable(mPath));
}

void TestWendralModule::metadataNamesInterfaceAndClass()
{
    QPluginLoader loader(mPath);
    const QJsonObject meta = loader.metaData();
    QCOMPARE(meta.value(QStringLiteral("IID")).toString(),
             QStringLiteral("org.qt-project.Qt.HarlithFace/1.0"));
    QCOMPARE(meta.value(QStringLiteral("className")).toString(), QStringLiteral("Wendral"));
    QVERIFY(!meta.contains(QStringLiteral("MetaData")));
}

void TestWendralModule::oneInstancePerProcess()
{
    QPluginLoader first(mPath);
    QObject *object = first.instance();
    QVERIFY2(object, qPrintable(first.errorString()));
    QPluginLoader second(mPath);
    QCOMPARE(second.instance(), object);

    QVERIFY(object->qt_metacast("Wendral"));
    QVERIFY(object->qt_metacast("HarlithFace"));
    auto *face =
        static_cast<HarlithFace *>(object->qt_metacast("org.qt-project.Qt.HarlithFace/1.0"));
    QVERIFY(face);
    QCOMPARE(face->plusName(), QStringLiteral("Text"));
    QCOMPARE(face->plusVersion(), QStringLiteral("V" QUORVANE_VERSION));
    // Host services keep their default answers on the plug-in side.
    QCOMPARE(face->tableCount(), 0);
    QCOMPARE(face->mainWidget(), nullptr);
}

void TestWendralModule::panelWorksThroughTheInterface()
{
    QPluginLoader loader(mPath);
    auto *face = qobject_cast<HarlithFace *>(loader.instance());
    QVERIFY(face);
    FakeHost host;
    face->setHarlithFace(&host);
    QVERIFY(host.calls.isEmpty());

    QCOMPARE(face->showPlus(20, 165), true);
    auto *panel = host.window->findChild<QWidget *>(QStringLiteral("WidgetText"));
    QVERIFY(panel);
    QVERIFY(QTest::qWaitForWindowActive(panel));
    QCOMPARE(host.currentPlugin, face);
    QVERIFY(host.dock && host.dock->widget());
    QCOMPARE(host.dock->widget()->metaObject()->className(), "WidgetTextOption");

    host.calls.clear();
    panel->findChild<QToolButton *>(QStringLiteral("toolButton_textSpace"))->click();
    QCOMPARE(host.lastExplain(),
             QStringLiteral("<b>字符处理:空格</b><br>支持在段首或段尾设置空格数量"));

    host.calls.clear();
    QVERIFY(panel->close());
    QCOMPARE(host.calls.first(),
             FakeHost::tipCall(Tip::PluginClosed, QStringLiteral("Text V" QUORVANE_VERSION)));
    QCOMPARE(face->showPlus(120, 165), true);
    QVERIFY(host.lastExplain().startsWith(QStringLiteral("<b>字符处理:替换1</b>")));
    QVERIFY(host.lastExplain().endsWith(QStringLiteral("<b>字符处理:减去</b><br>")));
}

QTEST_MAIN(TestWendralModule)
#include "tst_wendralmodule.moc"
