#include "CodeEditor.h"
#include "CodeEditorEx2.h"
#include "ContentCodec.h"
#include "HarlithFace.h"
#include "PluginGlobals.h"
#include "TestTips.h"
#include "WidgetTextOption.h"
#include "WordListFolder.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextCodec>
#include <QTextCursor>
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
    void sendTip(const int &var1, const int &var2, const QString &tipText) override
    {
        tips << tipOf({var1, var2}, tipText);
    }

    QWidget *window = nullptr;
    QStringList tips;
};

QByteArray gb18030(const QString &text)
{
    return QTextCodec::codecForName("GB18030")->fromUnicode(text);
}

QByteArray utf16WithMark(const QString &text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

void typeAtEnd(CodeEditor *pane, const QString &text)
{
    QTextCursor cursor = pane->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

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
    void init()
    {
        ContentCodec::choose(QTextCodec::codecForName("UTF-8"));
        host.tips.clear();
    }

    void initTestCase()
    {
        mainWindow = std::make_unique<QWidget>();
        host.window = mainWindow.get();
        g_hostFace = &host;
        folder = std::make_unique<WordListFolder>();
    }

    void cleanupTestCase() { g_hostFace = nullptr; }

    void missingRightFileOpensEmptyAndIsCreatedOnlyWithText()
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
        // Filling the panes is no edit.
        QCOMPARE(editor->windowTitle(), QStringLiteral("繁简转换"));
        editor->close();
        QVERIFY(!editor->isVisible());
        QVERIFY(!folder->exists(QStringLiteral("right.txt")));

        editor = show();
        QTest::keyClicks(pane(editor, "mRightEditor"), QStringLiteral("ab"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("*繁简转换"));
        editor->close();
        QVERIFY(!editor->isVisible());
        QCOMPARE(read("right.txt"), QStringLiteral("ab"));
        QCOMPARE(read("left.txt"), QStringLiteral("软件\n网络"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("繁简转换"));
        QVERIFY(host.tips.isEmpty());
    }

    // Only the pane that changed is written; the other file keeps its bytes,
    // even those that do not read as text in the host's encoding.
    void unchangedFilesKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("line ends of two characters") << QByteArray("A\r\nB\r\n");
        QTest::newRow("GB18030 under UTF-8") << gb18030(QStringLiteral("國家"));
        QTest::newRow("UTF-16 with mark") << utf16WithMark(QStringLiteral("國家"));
    }
    void unchangedFilesKeepTheirBytes()
    {
        QFETCH(QByteArray, bytes);
        folder->writeBytes(QStringLiteral("left.txt"), "a\r\nb");
        folder->writeBytes(QStringLiteral("right.txt"), bytes);
        CodeEditorEx2 *editor = show();
        editor->close();
        QCOMPARE(folder->bytes(QStringLiteral("left.txt")), QByteArray("a\r\nb"));
        QCOMPARE(folder->bytes(QStringLiteral("right.txt")), bytes);

        editor = show();
        typeAtEnd(pane(editor, "mLeftEditor"), QStringLiteral("c"));
        editor->close();
        QVERIFY(!editor->isVisible());
        QCOMPARE(folder->bytes(QStringLiteral("left.txt")), QByteArray("a\nbc"));
        QCOMPARE(folder->bytes(QStringLiteral("right.txt")), bytes);
    }

    // The panes show a no-break space, a lone carriage return and a line
    // separator as other characters: a list nobody edited keeps them, and
    // one the user edited keeps them wherever the edit did not reach.
    void untouchedCharactersStay_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<QByteArray>("right");
        const QByteArray odd("a\xc2\xa0"
                             "b\rc\xe2\x80\xa8"
                             "d");
        QTest::newRow("other pane edited") << QStringLiteral("right") << odd << QByteArray("xy!");
        QTest::newRow("same pane edited")
            << QStringLiteral("left") << odd + "!" << QByteArray("xy");
        QTest::newRow("line added before the carriage return") << QStringLiteral("new line")
                                                               << QByteArray("a\xc2\xa0"
                                                                             "b\nn\rc\xe2\x80\xa8"
                                                                             "d")
                                                               << QByteArray("xy");
        QTest::newRow("swapped") << QStringLiteral("swap") << QByteArray("xy") << odd;
    }
    void untouchedCharactersStay()
    {
        QFETCH(QString, action);
        folder->writeBytes(QStringLiteral("left.txt"), "a\xc2\xa0"
                                                       "b\rc\xe2\x80\xa8"
                                                       "d");
        folder->writeBytes(QStringLiteral("right.txt"), "xy");
        CodeEditorEx2 *editor = show();
        CodeEditor *left = pane(editor, "mLeftEditor");
        if (action == QLatin1String("right"))
            typeAtEnd(pane(editor, "mRightEditor"), QStringLiteral("!"));
        if (action == QLatin1String("left"))
            typeAtEnd(left, QStringLiteral("!"));
        if (action == QLatin1String("new line")) {
            QTextCursor cursor = left->textCursor();
            cursor.movePosition(QTextCursor::Start);
            cursor.movePosition(QTextCursor::EndOfBlock);
            left->setTextCursor(cursor);
            QTest::keyClick(left, Qt::Key_Return);
            QTest::keyClicks(left, QStringLiteral("n"));
        }
        if (action == QLatin1String("swap"))
            editor->findChild<QPushButton *>(QStringLiteral("mSwapButton"))->click();
        editor->close();
        QVERIFY(!editor->isVisible());
        QTEST(folder->bytes(QStringLiteral("left.txt")), "left");
        QTEST(folder->bytes(QStringLiteral("right.txt")), "right");
    }

    // A list is read by its content whatever the host's encoding, and an
    // edit goes back in the encoding the file came in.
    void editsKeepTheEncodingOfTheFile_data()
    {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("expected");
        const QString guo = QStringLiteral("国");
        const QString edited = QStringLiteral("国\n書");
        QTest::newRow("UTF-8 under ANSI")
            << QByteArray("GB18030") << guo.toUtf8() << edited.toUtf8();
        QTest::newRow("ANSI under ANSI")
            << QByteArray("GB18030") << gb18030(guo) << gb18030(edited);
        QTest::newRow("UTF-8 mark") << QByteArray("UTF-8") << "\xEF\xBB\xBF" + guo.toUtf8()
                                    << "\xEF\xBB\xBF" + edited.toUtf8();
        QTest::newRow("UTF-16 mark under ANSI")
            << QByteArray("GB18030") << utf16WithMark(guo) << utf16WithMark(edited);
    }
    void editsKeepTheEncodingOfTheFile()
    {
        QFETCH(QByteArray, locale);
        QFETCH(QByteArray, bytes);
        ContentCodec::choose(QTextCodec::codecForName(locale));
        folder->writeBytes(QStringLiteral("left.txt"), bytes);
        folder->writeBytes(QStringLiteral("right.txt"), "x");
        CodeEditorEx2 *editor = show();
        QCOMPARE(pane(editor, "mLeftEditor")->toPlainText(), QStringLiteral("国"));
        typeAtEnd(pane(editor, "mLeftEditor"), QStringLiteral("\n書"));
        editor->close();
        QVERIFY(!editor->isVisible());
        QTEST(folder->bytes(QStringLiteral("left.txt")), "expected");
        QVERIFY(host.tips.isEmpty());
    }

    // A save that fails or must not happen keeps the edits, the mark and the
    // pair on screen, and says so; nothing of the file is lost.
    void refusedSaveKeepsTheEdits_data()
    {
        QTest::addColumn<QString>("leftName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("does not read as text")
            << QStringLiteral("left.txt") << gb18030(QStringLiteral("國家"));
        QTest::newRow("folder missing") << QStringLiteral("gone/left.txt") << QByteArray();
    }
    void refusedSaveKeepsTheEdits()
    {
        QFETCH(QString, leftName);
        QFETCH(QByteArray, bytes);
        const QString leftPath = folder->path(leftName);
        if (!bytes.isNull())
            folder->writeBytes(leftName, bytes);
        write("right.txt", QStringLiteral("b"));
        CodeEditorEx2 *editor =
            CodeEditorEx2::showEditor(QStringLiteral("繁简转换"), QStringLiteral("左"), leftPath,
                                      QStringLiteral("右"), path("right.txt"), nullptr);
        CodeEditor *left = pane(editor, "mLeftEditor");
        const QString shown = left->toPlainText();
        QTest::keyClicks(left, QStringLiteral("new"));
        QTest::keyClicks(pane(editor, "mRightEditor"), QStringLiteral("c"));

        QTest::keyClick(left, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(host.tips, QStringList{tipOf(Tip::FileSaveFailed, leftPath)});
        QCOMPARE(editor->windowTitle(), QStringLiteral("*繁简转换"));
        // The pane that could be written was.
        QCOMPARE(read("right.txt"), QStringLiteral("cb"));

        editor->close();
        QVERIFY(editor->isVisible());
        write("other.txt", QStringLiteral("3"));
        CodeEditorEx2::showEditor(QStringLiteral("别的"), QStringLiteral("甲"), path("other.txt"),
                                  QStringLiteral("乙"), path("right.txt"), nullptr);
        QCOMPARE(caption(editor, "mLeftLabel"), QStringLiteral("左"));
        QCOMPARE(left->toPlainText(), "new" + shown);
        QCOMPARE(editor->windowTitle(), QStringLiteral("*繁简转换"));
        QCOMPARE(host.tips.size(), 3);
        QCOMPARE(folder->bytes(leftName), bytes);

        // Back to the file's own text, nothing is left to write.
        left->undo();
        QCOMPARE(left->toPlainText(), shown);
        editor->close();
        QVERIFY(!editor->isVisible());
        QCOMPARE(folder->bytes(leftName), bytes);
    }

    void showingAnotherPairSavesTheShownOneFirst()
    {
        write("left.txt", QStringLiteral("1"));
        write("right.txt", QStringLiteral("2"));
        CodeEditorEx2 *editor = show();
        typeAtEnd(pane(editor, "mRightEditor"), QStringLiteral("x"));
        write("other.txt", QStringLiteral("3"));
        CodeEditorEx2::showEditor(QStringLiteral("别的"), QStringLiteral("甲"), path("other.txt"),
                                  QStringLiteral("乙"), path("left.txt"), nullptr);
        QCOMPARE(read("right.txt"), QStringLiteral("2x"));
        QCOMPARE(pane(editor, "mRightEditor")->toPlainText(), QStringLiteral("1"));
        QCOMPARE(editor->windowTitle(), QStringLiteral("别的"));
        editor->close();
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
        QCOMPARE(second->windowTitle(), QStringLiteral("别的"));
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
        QCOMPARE(editor->windowTitle(), QStringLiteral("繁简转换"));

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
