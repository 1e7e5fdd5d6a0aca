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

// A peer that notes the tips it is sent, as "var1,var2,text".
class TipPeer : public BarePeer
{
public:
    void sendTip(const int &var1, const int &var2, const QString &tipText) override
    {
        tips << QStringLiteral("%1,%2,%3").arg(var1).arg(var2).arg(tipText);
    }
    QStringList tips;
};

} // namespace

class TestHarlithFace : public QObject
{
    Q_OBJECT
private slots:
    void defaultsThroughBasePointer();
    void interfaceIdentifier();
    void namedTipReachesTheSlot();
    void namesKeepTheirCodes_data();
    void namesKeepTheirCodes();
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

// The plug-in interface sends the pair as two numbers: the named overload
// must reach the peer's slot with the pair's own numbers and the text.
void TestHarlithFace::namedTipReachesTheSlot()
{
    TipPeer peer;
    HarlithFace *face = &peer;
    face->sendTip(Tip::FileSaveFailed, QStringLiteral("/w/a.xlsx"));
    face->sendTip(Tip::AllThreadsDone);
    QCOMPARE(peer.tips, QStringList({"0,3,/w/a.xlsx", "-4,2,"}));
}

// Plug-ins built before a name existed send these numbers: a name never
// changes its pair.
void TestHarlithFace::namesKeepTheirCodes_data()
{
    QTest::addColumn<int>("var1");
    QTest::addColumn<int>("var2");
    QTest::addColumn<int>("code1");
    QTest::addColumn<int>("code2");
    auto row = [](const char *name, Tip::Pair tip, int code1, int code2) {
        QTest::newRow(name) << tip.var1 << tip.var2 << code1 << code2;
    };
    row("FileNotFound", Tip::FileNotFound, 0, 0);
    row("FileUnreadable", Tip::FileUnreadable, 0, 1);
    row("FileUnwritable", Tip::FileUnwritable, 0, 2);
    row("FileSaveFailed", Tip::FileSaveFailed, 0, 3);
    row("FileSaved", Tip::FileSaved, 0, 4);
    row("NoFilesToProcess", Tip::NoFilesToProcess, 0, 5);
    row("FileExists", Tip::FileExists, 0, 6);
    row("FileRenamed", Tip::FileRenamed, 0, 7);
    row("FileRenameFailed", Tip::FileRenameFailed, 0, 8);
    row("FolderMissing", Tip::FolderMissing, 0, 20);
    row("OfficeMissing", Tip::OfficeMissing, 0, 30);
    row("FileListEmpty", Tip::FileListEmpty, 10, 0);
    row("FileListAEmpty", Tip::FileListAEmpty, 10, 1);
    row("FileListBEmpty", Tip::FileListBEmpty, 10, 2);
    row("PluginLoaded", Tip::PluginLoaded, 11, 11);
    row("PluginOpened", Tip::PluginOpened, 11, 12);
    row("PluginClosed", Tip::PluginClosed, 11, 13);
    row("NoPluginOpen", Tip::NoPluginOpen, 11, 14);
    row("ScriptListLinesDiffer", Tip::ScriptListLinesDiffer, -1, 1);
    row("CustomListLinesDiffer", Tip::CustomListLinesDiffer, -1, 2);
    row("ScriptListEmpty", Tip::ScriptListEmpty, -1, 3);
    row("CustomListEmpty", Tip::CustomListEmpty, -1, 4);
    row("RegionListsAreSamples", Tip::RegionListsAreSamples, -1, 5);
    row("BaseConversionFailed", Tip::BaseConversionFailed, -2, 0);
    row("FormatTwoNotCustom", Tip::FormatTwoNotCustom, -3, 0);
    row("FileDone", Tip::FileDone, -4, 0);
    row("ThreadPoolFailed", Tip::ThreadPoolFailed, -4, 1);
    row("AllThreadsDone", Tip::AllThreadsDone, -4, 2);
    row("ThreadStepDone", Tip::ThreadStepDone, -4, 3);
    row("AddStepFailed", Tip::AddStepFailed, -5, 0);
    row("StepStarted", Tip::StepStarted, -5, 1);
    row("StepFinished", Tip::StepFinished, -5, 2);
    row("AllStepsDone", Tip::AllStepsDone, -5, 3);
    row("ParametersInvalid", Tip::ParametersInvalid, -6, 0);
    row("NoStepsAdded", Tip::NoStepsAdded, -6, 1);
    row("NoOperationChosen", Tip::NoOperationChosen, -6, 2);
    row("NoStepsToRemove", Tip::NoStepsToRemove, -6, 3);
    row("NoStepChosenToRemove", Tip::NoStepChosenToRemove, -6, 4);
    row("EmptyReplaceKey", Tip::EmptyReplaceKey, -7, 0);
    row("NoOptionChosen", Tip::NoOptionChosen, -9, 9);
    row("CurrentPluginSet", Tip::CurrentPluginSet, 66, 66);
    row("CurrentPluginDropped", Tip::CurrentPluginDropped, 66, 67);
    row("StepRecording", Tip::StepRecording, 68, 68);
    row("StepListLength", Tip::StepListLength, 68, 69);
    row("StepRemoving", Tip::StepRemoving, 23, 23);
    row("StepRemoved", Tip::StepRemoved, 23, 24);
    row("StepRunning", Tip::StepRunning, 56, 56);
}

void TestHarlithFace::namesKeepTheirCodes()
{
    QFETCH(int, var1);
    QFETCH(int, var2);
    QTEST(var1, "code1");
    QTEST(var2, "code2");
}

QTEST_GUILESS_MAIN(TestHarlithFace)
#include "tst_harlithface.moc"
