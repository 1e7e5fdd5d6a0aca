#include "CodeEditorEx.h"
#include "RunHost.h"
#include "TestFiles.h"
#include "WalkOperation.h"
#include "WorkbookFixtures.h"
#include "frame/PluginGlobals.h"
#include "frame/Wendral.h"
#include "server/SpreadsheetServer.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// Debug output of a stretch of code, one entry per line.
class DebugCapture
{
public:
    DebugCapture()
    {
        s_lines.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &, const QString &message) {
                if (type == QtDebugMsg)
                    s_lines << message;
            });
    }
    ~DebugCapture() { qInstallMessageHandler(m_previous); }
    QStringList lines() const { return s_lines; }

private:
    static QStringList s_lines;
    QtMessageHandler m_previous;
};

QStringList DebugCapture::s_lines;

using Action = std::function<void(const QTemporaryDir &)>;

void unknownRange(const QTemporaryDir &)
{
    RunHost host;
    host.addList({QStringLiteral("/tmp/a.xlsx")});
    Wendral plugin;
    plugin.setHarlithFace(&host);
    plugin.runRange(Enum_Range(0), Replaced, -1);
    g_hostFace = nullptr;
}

void documentOutsideEveryList(const QTemporaryDir &dir)
{
    const QString path = writeTestFile(dir, QStringLiteral("loose.txt"), "abc");
    CodeEditorEx editor(-1, 4, path);
    editor.setPlainText(QStringLiteral("abcd"));
    QVERIFY(editor.save(0));
}

Action walk(const QString &sheetIndex, WalkOperation::SheetDetail detail,
            const QStringList &sheetNames = {})
{
    return [=](const QTemporaryDir &dir) {
        const QString path = WorkbookFixtures::copy(QStringLiteral("basic.xlsx"), dir.path());
        WalkOperation operation(path, sheetIndex, detail, nullptr);
        operation.run();
        if (!sheetNames.isEmpty())
            QCOMPARE(operation.sheetNames, sheetNames);
    };
}

} // namespace

Q_DECLARE_METATYPE(Action)

// The debug lines that the program's log is known by, each pinned once here.
class TestDebugLines : public QObject
{
    Q_OBJECT
private slots:
    void init() { SpreadsheetServer::install(); }

    void lines_data();
    void lines();
};

void TestDebugLines::lines_data()
{
    QTest::addColumn<Action>("action");
    // A run of lines that must appear one after another, and texts that no
    // line may hold.
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("run over an unknown range")
        << Action(unknownRange) << QStringList{"curRange: 0"} << QStringList();
    QTest::newRow("document saved outside every list")
        << Action(documentOutsideEveryList) << QStringList{"save m_tableID tableID all is -1"}
        << QStringList();
    QTest::newRow("traced sheets")
        << walk(QStringLiteral("2,1"), WalkOperation::TracedSheets)
        << QStringList{"WalkOperation", "\"2,1\"", "(2, 1) 2 0", "3 3", "(2, 1) 2 1", "8 5"}
        << QStringList();
    QTest::newRow("plain sheets") << walk(QStringLiteral("2,1"), WalkOperation::PlainSheets)
                                  << QStringList() << QStringList{"WalkOperation", "(2, 1)"};
    QTest::newRow("active sheet writes no sheet list")
        << walk(QStringLiteral("默认页"), WalkOperation::TracedSheets, {"Offset"})
        << QStringList{"WalkOperation", "\"默认页\"", "3 3"} << QStringList();
}

void TestDebugLines::lines()
{
    QFETCH(Action, action);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, absent);
    QTemporaryDir dir;
    QStringList lines;
    {
        DebugCapture capture;
        action(dir);
        lines = capture.lines();
    }
    if (!expected.isEmpty()) {
        const int first = lines.indexOf(expected.first());
        QVERIFY2(first >= 0, qPrintable(lines.join(QLatin1Char('\n'))));
        QCOMPARE(lines.mid(first, expected.size()), expected);
    }
    for (const QString &text : absent)
        QVERIFY2(lines.filter(text).isEmpty(), qPrintable(text));
}

QTEST_MAIN(TestDebugLines)
#include "tst_debuglines.moc"
