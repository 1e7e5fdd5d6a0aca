#include "HarlithFace.h"

#include <QObject>
#include <QtTest>

namespace {

// A peer that keeps every default body: only the two slots without one are
// given bodies.
class BarePeer : public QObject, public HarlithFace
{
    Q_OBJECT
    Q_INTERFACES(HarlithFace)
public:
    void setFaceEnabled(bool enabled) override { lastEnabled = enabled; }
    void setHarlithFace(HarlithFace *peer) override { lastPeer = peer; }
    bool lastEnabled = false;
    HarlithFace *lastPeer = nullptr;
};

} // namespace

class TestHarlithFace : public QObject
{
    Q_OBJECT
private slots:
    void defaultsThroughBasePointer();
    void interfaceIdentifier();
};

void TestHarlithFace::defaultsThroughBasePointer()
{
    BarePeer peer;
    HarlithFace *face = &peer;
    const int one = 1;

    face->setFaceEnabled(true);
    QVERIFY(peer.lastEnabled);
    face->setHarlithFace(face);
    QCOMPARE(peer.lastPeer, face);

    QVERIFY(face->getHarlithFaceName().isEmpty());
    QVERIFY(face->getHarlithFaceName().isNull());
    QCOMPARE(face->mainWidget(), nullptr);
    QCOMPARE(face->createPlusDock(QStringLiteral("Text")), nullptr);
    face->newList(QStringLiteral("List9"));
    face->sendTip(one, one, QStringLiteral("x"));
    face->setRangeLabel(one);
    QVERIFY(face->curFileName().isEmpty());
    QCOMPARE(face->curCodeEditorID(), -1);
    QCOMPARE(face->curTableID(), -1);
    QCOMPARE(face->curFileCount(), -1);
    QVERIFY(face->curFileList().isEmpty());
    face->appendFileToList(QStringLiteral("/tmp/a.xlsx"), QStringLiteral("List1"));
    QCOMPARE(face->tableID(0), -1);
    QVERIFY(face->tableName(0).isEmpty());
    QCOMPARE(face->fileCount(0), -1);
    QVERIFY(face->fileList(0).isEmpty());
    QCOMPARE(face->tableCount(), 0);
    face->explain(QStringLiteral("why"));
    face->appendStep(QStringLiteral("a:b"), one);
    face->stepDone();
    QVERIFY(face->plusVersion().isEmpty());
    QVERIFY(face->plusName().isEmpty());
    face->startRun();
    face->addStep(1);
    face->clearStep();
    face->removeStep(one);
    face->runStep(1);
    QCOMPARE(face->showPlus(20, 165), false);
}

void TestHarlithFace::interfaceIdentifier()
{
    BarePeer peer;
    QCOMPARE(QString::fromLatin1(qobject_interface_iid<HarlithFace *>()),
             QStringLiteral("org.qt-project.Qt.HarlithFace/1.0"));
    QObject *object = &peer;
    QCOMPARE(qobject_cast<HarlithFace *>(object), static_cast<HarlithFace *>(&peer));
    QVERIFY(object->qt_metacast("org.qt-project.Qt.HarlithFace/1.0") != nullptr);
    QVERIFY(object->qt_metacast("HarlithFace") != nullptr);

    QObject plain;
    QCOMPARE(qobject_cast<HarlithFace *>(&plain), nullptr);
}

QTEST_GUILESS_MAIN(TestHarlithFace)
#include "tst_harlithface.moc"
