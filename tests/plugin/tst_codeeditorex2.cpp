#include "CodeEditor.h"
#include "CodeEditorEx2.h"
#include "HarlithFace.h"
#include "PluginGlobals.h"
#include "WidgetTextOption.h"
#include "WordListFolder.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextCodec>
#include <QtTest>

#include <memory>

namespace {

// A host that only lends its main window.
class WindowHost : public HarlithFace
{
public:
    void setFaceEnabled(bool) override {}
    void setHarlithFace(HarlithFace *) override {}
    QWidget *mainWidget() override { return window; }

    QWidget *window = nullptr;
};

} // namespace

class TestCodeEditorEx2 : public QObject
{
    Q_OBJECT

private:
    WindowHost host;
    std::unique_ptr<QWidget> mainWindow;
    std::unique_ptr<WordListFolder> folder;

    QString path(const char *name) const { return folder->path(QLatin1String(name)); }
    QString read(const char *name) const { return folder->read(QLatin1String(name)); }
    void write(const char *name, const QString &text) const
    {
        folder->write(QLatin1String(name), text);
    }
    CodeEditorEx2 *show(const QString &left = QStringLiteral("左"),
                        const QString &right = QStringLiteral("右"))
    {
        return CodeEditorEx2::showEditor(QStringLiteral("繁简转换"), left, path("left.txt"), right,
                                         path("right.txt"), nullptr);
    }
    static CodeEditor *pane(CodeEditorEx2 *editor, const char *name)
    {
        return editor->findChild<CodeEditor *>(QLatin1String(name));
    }
    static QString caption(CodeEditorEx2 *editor, const char *name)
    {
        return editor->findChild<QLabel *>(QLatin1String(name))->text();
    }

private slots:
    void initTestCase()
    {
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        mainWindow = std::make_unique<QWidget>();
        host.window = mainWindow.get();
        g_hostFace = &host;
        folder = std::make_unique<WordListFolder>();
    }

    void cleanupTestCase() { g_hostFace = nullptr; }

    void missingRightFileOpensEmptyAndIsCreatedOnClose()
    {
        write("left.txt", QStringLiteral("软件\n网络"));
        QVERIFY(!folder->exists(QStringLiteral("right.txt")));
        CodeEditorEx2 *editor = show();
        QVERIFY(editor->isVisible());
        QVERIFY(editor->isWindow());
        QCOMPARE(pane(editor, "mLeftEditor")->toPlainText(), QStringLiteral("软件\n网络"));
        QVERIFY(pane(editor, "mRightEditor")->toPlainText().isEmpty());
        QCOMPARE(caption(editor, "mLeftLabel"), QStringLiteral("左"));
        QCOMPARE(caption(editor, "mRightLabel"), QStringLiteral("右"));
        // Loading the panes counts as a change.
        QCOMPARE(editor->windowTitle(), QStringLiteral("*繁简转换"));

        editor->close();
        QVERIFY(!editor->isVisible());
        QVERIFY(folder->exists(QStringLiteral("right.txt")));
        QVERIFY(read("right.txt").isEmpty());
        QCOMPARE(read("left.txt"), QStringLiteral("软件\n网络"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("繁简转换"));
    }

    void openAndCloseRewritesBothFiles()
    {
        write("left.txt", QStringLiteral("a\r\nb"));
        write("right.txt", QStringLiteral("A\r\nB\r\n"));
        CodeEditorEx2 *editor = show();
        editor->close();
        // Read and written whole as text, so line ends come back as line feeds.
        QCOMPARE(read("left.txt"), QStringLiteral("a\nb"));
        QCOMPARE(read("right.txt"), QStringLiteral("A\nB\n"));
    }

    void swapThenSaveExchangesTheFiles()
    {
        write("left.txt", QStringLiteral("left 1\nleft 2"));
        write("right.txt", QStringLiteral("right"));
        CodeEditorEx2 *editor = show();
        editor->findChild<QPushButton *>(QStringLiteral("mSwapButton"))->click();
        QCOMPARE(pane(editor, "mLeftEditor")->toPlainText(), QStringLiteral("right"));
        QTest::keyClick(pane(editor, "mLeftEditor"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(read("left.txt"), QStringLiteral("right"));
        QCOMPARE(read("right.txt"), QStringLiteral("left 1\nleft 2"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("繁简转换"));
        // The key went to the window, not into the text.
        QCOMPARE(pane(editor, "mLeftEditor")->toPlainText(), QStringLiteral("right"));

        QTest::keyClicks(pane(editor, "mRightEditor"), QStringLiteral("x"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("*繁简转换"));
        QTest::keyClick(editor, Qt::Key_S);
        QCOMPARE(editor->windowTitle(), QStringLiteral("*繁简转换"));
        editor->close();
        QCOMPARE(read("right.txt"), QStringLiteral("xleft 1\nleft 2"));
    }

    void clearEmptiesBothPanes()
    {
        write("left.txt", QStringLiteral("a"));
        write("right.txt", QStringLiteral("b"));
        CodeEditorEx2 *editor = show();
        editor->findChild<QPushButton *>(QStringLiteral("mClearButton"))->click();
        editor->saveTexts();
        QVERIFY(read("left.txt").isEmpty());
        QVERIFY(read("right.txt").isEmpty());
        editor->close();
    }

    void secondShowReplacesTheTextsInTheSameWindow()
    {
        write("left.txt", QStringLiteral("1"));
        write("right.txt", QStringLiteral("2"));
        CodeEditorEx2 *first = show();
        write("other.txt", QStringLiteral("3"));
        CodeEditorEx2 *second = CodeEditorEx2::showEditor(
            QStringLiteral("别的"), QStringLiteral("甲"), path("other.txt"), QStringLiteral("乙"),
            path("left.txt"), nullptr);
        QCOMPARE(second, first);
        QCOMPARE(second->windowTitle(), QStringLiteral("*别的"));
        QCOMPARE(caption(second, "mLeftLabel"), QStringLiteral("甲"));
        QCOMPARE(caption(second, "mRightLabel"), QStringLiteral("乙"));
        QCOMPARE(pane(second, "mLeftEditor")->toPlainText(), QStringLiteral("3"));
        QCOMPARE(pane(second, "mRightEditor")->toPlainText(), QStringLiteral("1"));
        second->close();
    }

    void panelOpensTheListsOfTheDirectionAndMayGo()
    {
        folder->write(QStringLiteral("textTo_oldHongKong.txt"), QStringLiteral("軟件"));
        folder->write(QStringLiteral("textTo_oldMainland.txt"), QStringLiteral("軟件"));
        auto *panel = new WidgetTextOption(QString());
        panel->findChild<QComboBox *>(QStringLiteral("comboBox_textToTradition"))
            ->setCurrentIndex(7);
        panel->findChild<QPushButton *>(QStringLiteral("pushButton_textToTradition"))->click();
        QPointer<CodeEditorEx2> editor = mainWindow->findChild<CodeEditorEx2 *>();
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QCOMPARE(pane(editor, "mLeftEditor")->toPlainText(), QStringLiteral("軟件"));
        QCOMPARE(caption(editor, "mLeftLabel"), QStringLiteral("繁体(香港)"));
        QCOMPARE(caption(editor, "mRightLabel"), QStringLiteral("繁体(直译)"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("*繁简转换"));

        // The operation panel's closing takes the options panel with it.
        delete panel;
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        pane(editor, "mRightEditor")->setPlainText(QStringLiteral("軟件\n網絡"));
        QTest::keyClick(pane(editor, "mRightEditor"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(folder->read(QStringLiteral("textTo_oldMainland.txt")),
                 QStringLiteral("軟件\n網絡"));
        QCOMPARE(folder->read(QStringLiteral("textTo_oldHongKong.txt")), QStringLiteral("軟件"));
        editor->close();
    }

    void hostWindowClosingKeepsOpenEdits()
    {
        write("left.txt", QStringLiteral("a"));
        write("right.txt", QStringLiteral("b"));
        QPointer<CodeEditorEx2> editor = show();
        pane(editor, "mLeftEditor")->setPlainText(QStringLiteral("edited"));
        mainWindow.reset();
        host.window = nullptr;
        QVERIFY(!editor);
        QCOMPARE(read("left.txt"), QStringLiteral("edited"));
        QCOMPARE(read("right.txt"), QStringLiteral("b"));
    }

    void withoutHostWindowTheEditorStaysOutOfTheWay()
    {
        QPointer<CodeEditorEx2> editor = show();
        QVERIFY(!editor->parentWidget());
        QVERIFY(!editor->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(editor->isVisible());
        editor->close();
        delete editor;
    }
};

QTEST_MAIN(TestCodeEditorEx2)
#include "tst_codeeditorex2.moc"
