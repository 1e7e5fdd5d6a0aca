#include "CodeEditorEx.h"
#include "ContentCodec.h"
#include "DialogAnswer.h"
#include "HostTestHelpers.h"
#include "TestFiles.h"

#include <QFocusEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QUrl>
#include <QWheelEvent>
#include <QtTest>

#include <cstdio>
#include <memory>

class TestCodeEditorEx : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newDocumentTitleThroughFirstSave();
    void cancelledSaveKeepsMarkAndFails();
    void saveWithTableZeroKeepsNoList();
    void openedFileAndUndoKeepsMark();
    void laterSaveKeepsItsList();
    void cleanDocumentIsNotWrittenAgain();
    void editedFileSavesOnlyWhatItsEncodingDecoded_data();
    void editedFileSavesOnlyWhatItsEncodingDecoded();
    void saveOverAFileWrittenMeanwhileAsks_data();
    void saveOverAFileWrittenMeanwhileAsks();
    void focusInReloadsOnlyCleanDocuments();
    void reloadOfWhatTheEditorShowsOtherwiseStaysClean();
    void editKeepsWhatTheEditorShowsOtherwise();
    void controlWheelZoomsOnlyWithControlAlone();
    void closePromptNoLosesEdit();
    void closePromptYesWritesEdit();
    void cleanDocumentClosesWithoutPrompt();
    void closeAsksOnceAndStaysWhenSaveFails_data();
    void closeAsksOnceAndStaysWhenSaveFails();
    void dropModeZeroJoinsFileTexts();
    void dropModeOneInsertsAndOthersIgnore();

private:
    QString make(const QString &name, const QByteArray &content);
    std::unique_ptr<QTemporaryDir> dir;
};

void TestCodeEditorEx::cleanup()
{
    cancelPendingDialogAnswers();
}

void TestCodeEditorEx::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
}

QString TestCodeEditorEx::make(const QString &name, const QByteArray &content)
{
    return writeTestFile(*dir, name, content);
}

// A document that is closed without a prompt answered by the test would wait
// for a person; these leave it clean first.
static void forget(std::unique_ptr<CodeEditorEx> &editor)
{
    auto answer = pressButton(QStringLiteral("否"));
    editor.reset();
}

void TestCodeEditorEx::newDocumentTitleThroughFirstSave()
{
    auto editor = std::make_unique<CodeEditorEx>(-1, 7, QString());
    QCOMPARE(editor->windowTitle(), QStringLiteral("*"));
    QCOMPARE(editor->getCodeID(), 7);
    QCOMPARE(editor->tableID(), -1);
    editor->setPlainText(QStringLiteral("first line\nsecond"));
    QCOMPARE(editor->windowTitle(), QStringLiteral("*"));

    QSignalSpy listed(editor.get(), &CodeEditorEx::addToListSignal);
    QSignalSpy tips(editor.get(), &CodeEditorEx::tipSignal);
    QString defaultName;
    const QString target = dir->filePath(QStringLiteral("new.txt"));
    auto answer = chooseFiles(dir->path(), {QStringLiteral("new.txt")}, &defaultName);
    QVERIFY(editor->save(2));
    QVERIFY(answer.answered());
    QCOMPARE(QFileInfo(defaultName).fileName(), QStringLiteral("新建文本文档.txt"));

    QCOMPARE(readTestFile(target), QByteArray("first line\nsecond"));
    QCOMPARE(editor->path(), target);
    QCOMPARE(editor->tableID(), 2);
    QCOMPARE(editor->windowTitle(), QStringLiteral("2_") + target);
    QCOMPARE(listed.count(), 1);
    QCOMPARE(listed.at(0), (QList<QVariant>{2, 7, target}));
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileSaved));
}

void TestCodeEditorEx::cancelledSaveKeepsMarkAndFails()
{
    auto editor = std::make_unique<CodeEditorEx>(-1, 1, QString());
    editor->setPlainText(QStringLiteral("draft"));
    QSignalSpy listed(editor.get(), &CodeEditorEx::addToListSignal);
    QSignalSpy tips(editor.get(), &CodeEditorEx::tipSignal);
    auto cancel = cancelFileDialog();
    QVERIFY(!editor->save(3));
    QVERIFY(cancel.answered());
    QCOMPARE(listed.count(), 0);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileSaveFailed));
    QVERIFY(editor->windowTitle().startsWith(QLatin1Char('*')));
    QVERIFY(editor->path().isEmpty());
    forget(editor);
}

void TestCodeEditorEx::saveWithTableZeroKeepsNoList()
{
    const QString path = make(QStringLiteral("loose.txt"), "abc");
    CodeEditorEx editor(-1, 4, path);
    QCOMPARE(editor.windowTitle(), QString());
    QCOMPARE(editor.toPlainText(), QStringLiteral("abc"));

    editor.setPlainText(QStringLiteral("abcd"));
    QCOMPARE(editor.windowTitle(), QStringLiteral("*"));
    QTest::ignoreMessage(QtDebugMsg, "save m_tableID tableID all is -1");
    QVERIFY(editor.save(0));
    QCOMPARE(editor.tableID(), -1);
    QCOMPARE(editor.windowTitle(), QStringLiteral("-1_") + path);
    QCOMPARE(readTestFile(path), QByteArray("abcd"));
}

void TestCodeEditorEx::openedFileAndUndoKeepsMark()
{
    const QString path = make(QStringLiteral("doc.txt"), "hello");
    auto editor = std::make_unique<CodeEditorEx>(3, 9, path);
    QCOMPARE(editor->windowTitle(), QStringLiteral("3_doc.txt"));

    QTest::keyClick(editor.get(), Qt::Key_End);
    QTest::keyClicks(editor.get(), QStringLiteral("!"));
    QCOMPARE(editor->toPlainText(), QStringLiteral("hello!"));
    QCOMPARE(editor->windowTitle(), QStringLiteral("*3_doc.txt"));
    editor->undo();
    QCOMPARE(editor->toPlainText(), QStringLiteral("hello"));
    QCOMPARE(editor->windowTitle(), QStringLiteral("*3_doc.txt"));
    forget(editor);
}

void TestCodeEditorEx::laterSaveKeepsItsList()
{
    const QString path = make(QStringLiteral("doc.txt"), "one");
    CodeEditorEx editor(5, 2, path);
    editor.setPlainText(QStringLiteral("two"));
    QSignalSpy listed(&editor, &CodeEditorEx::addToListSignal);
    QVERIFY(editor.save(8));
    QCOMPARE(editor.tableID(), 5);
    QCOMPARE(listed.at(0), (QList<QVariant>{5, 2, path}));
    QCOMPARE(editor.windowTitle(), QStringLiteral("5_") + path);
    // Later edits fall back to the title rule with the name given at opening.
    editor.setPlainText(QStringLiteral("three"));
    QCOMPARE(editor.windowTitle(), QStringLiteral("*5_doc.txt"));
    QVERIFY(editor.save(-1));
}

void TestCodeEditorEx::cleanDocumentIsNotWrittenAgain()
{
    // Bytes that are no UTF-8: read through the codec they cannot come back.
    const QByteArray bytes("PK\x03\x04\x9c\x88\xff\xca binary");
    const QString path = make(QStringLiteral("book.xlsx"), bytes);
    CodeEditorEx editor(-1, 5, path);
    QSignalSpy listed(&editor, &CodeEditorEx::addToListSignal);
    QSignalSpy tips(&editor, &CodeEditorEx::tipSignal);
    // Only the write is skipped: the document joins the list and reports.
    QVERIFY(editor.save(4));
    QCOMPARE(readTestFile(path), bytes);
    QCOMPARE(listed.count(), 1);
    QCOMPARE(listed.at(0), (QList<QVariant>{4, 5, path}));
    QCOMPARE(tipsOf(tips), QStringList{tipOf(Tip::FileSaved)});
    QCOMPARE(editor.windowTitle(), QStringLiteral("4_") + path);

    // A file that went meanwhile is written again from what the document shows.
    QVERIFY(QFile::remove(path));
    QVERIFY(editor.save(4));
    QCOMPARE(readTestFile(path), editor.toPlainText().toUtf8());
    QCOMPARE(listed.count(), 2);
    QCOMPARE(tips.count(), 2);
}

void TestCodeEditorEx::editedFileSavesOnlyWhatItsEncodingDecoded_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("saves");

    const QString csv = QStringLiteral("名称,数量\r\n苹果,3\r\n");
    const QByteArray gb = QTextCodec::codecForName("GB18030")->fromUnicode(csv);
    QTest::newRow("GB18030 under UTF-8") << QByteArray("UTF-8") << gb << false;
    QTest::newRow("UTF-8 under ANSI")
        << QByteArray("GB18030") << QStringLiteral("中\n").toUtf8() << false;
    QTest::newRow("UTF-8") << QByteArray("UTF-8") << csv.toUtf8() << true;
    QTest::newRow("UTF-8 with its mark")
        << QByteArray("UTF-8") << "\xEF\xBB\xBF" + csv.toUtf8() << true;
    QTest::newRow("ANSI") << QByteArray("GB18030") << gb << true;
}

void TestCodeEditorEx::editedFileSavesOnlyWhatItsEncodingDecoded()
{
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, saves);
    QTextCodec *const codec = QTextCodec::codecForName(encoding);
    ContentCodec::choose(codec);
    const auto restore = qScopeGuard([] { ContentCodec::choose(nullptr); });

    const QString path = make(QStringLiteral("list.csv"), bytes);
    auto editor = std::make_unique<CodeEditorEx>(1, 3, path);
    editor->moveCursor(QTextCursor::End);
    editor->insertPlainText(QStringLiteral("梨"));
    QSignalSpy tips(editor.get(), &CodeEditorEx::tipSignal);

    QCOMPARE(editor->save(1), saves);
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(saves ? Tip::FileSaved : Tip::FileSaveFailed));
    if (saves) {
        QCOMPARE(readTestFile(path), codec->fromUnicode(editor->toPlainText()));
    } else {
        QCOMPARE(readTestFile(path), bytes);
        QVERIFY(editor->windowTitle().startsWith(QLatin1Char('*')));
        forget(editor);
    }
}

void TestCodeEditorEx::saveOverAFileWrittenMeanwhileAsks_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("answer");
    QTest::newRow("nobody: no question") << QString() << QString();
    QTest::newRow("in place, 是 writes over") << QStringLiteral("in place") << QStringLiteral("是");
    QTest::newRow("in place, 否 keeps it") << QStringLiteral("in place") << QStringLiteral("否");
    // Same size, and time stamps that may agree: only the file is another.
    QTest::newRow("renamed over, 否 keeps it") << QStringLiteral("rename") << QStringLiteral("否");
}

// A file written by something else since the document read it (a run over
// its list) is not written over without the user's word.
void TestCodeEditorEx::saveOverAFileWrittenMeanwhileAsks()
{
    QFETCH(QString, writer);
    QFETCH(QString, answer);
    const QString path = make(QStringLiteral("doc.txt"), "from disk");
    auto editor = std::make_unique<CodeEditorEx>(1, 2, path);
    const auto close = qScopeGuard([&editor] { forget(editor); });
    editor->setPlainText(QStringLiteral("edited"));
    const QByteArray theirs("run done!");
    if (writer == QLatin1String("in place"))
        make(QStringLiteral("doc.txt"), theirs);
    if (writer == QLatin1String("rename"))
        QVERIFY(std::rename(QFile::encodeName(make(QStringLiteral("new.txt"), theirs)).constData(),
                            QFile::encodeName(path).constData()) == 0);

    QSignalSpy tips(editor.get(), &CodeEditorEx::tipSignal);
    auto asked = pressButton(answer.isEmpty() ? QStringLiteral("否") : answer);
    const bool overwrite = answer != QStringLiteral("否");
    QCOMPARE(editor->save(-1), overwrite);
    QCOMPARE(asked.answered(), !answer.isEmpty());
    cancelPendingDialogAnswers();
    QCOMPARE(readTestFile(path), overwrite ? QByteArray("edited") : theirs);
    QCOMPARE(tips.at(0), tipArgs(overwrite ? Tip::FileSaved : Tip::FileSaveFailed));
    QCOMPARE(editor->windowTitle().startsWith(QLatin1Char('*')), !overwrite);
    QCOMPARE(editor->toPlainText(), QStringLiteral("edited"));
    if (!overwrite)
        return;
    // What the document wrote itself is no reason to ask.
    auto again = pressButton(QStringLiteral("否"));
    editor->setPlainText(QStringLiteral("edited twice"));
    QVERIFY(editor->save(-1));
    QVERIFY(!again.answered());
}

void TestCodeEditorEx::focusInReloadsOnlyCleanDocuments()
{
    const QString path = make(QStringLiteral("doc.txt"), "v1");
    auto editor = std::make_unique<CodeEditorEx>(1, 1, path);
    QSignalSpy activated(editor.get(), &CodeEditorEx::windowActivateSignal);

    make(QStringLiteral("doc.txt"), "v2");
    QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(editor.get(), &focus);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(editor->toPlainText(), QStringLiteral("v2"));
    QCOMPARE(editor->windowTitle(), QStringLiteral("1_doc.txt"));

    editor->setPlainText(QStringLiteral("mine"));
    make(QStringLiteral("doc.txt"), "v3");
    QApplication::sendEvent(editor.get(), &focus);
    QCOMPARE(activated.count(), 2);
    QCOMPARE(editor->toPlainText(), QStringLiteral("mine"));
    forget(editor);
}

void TestCodeEditorEx::reloadOfWhatTheEditorShowsOtherwiseStaysClean()
{
    // The editor shows a lone carriage return, a no-break space and a line
    // separator as other characters. That is no edit of the user's: the
    // document must not turn modified, nor be written back when closed.
    const QByteArray bytes("one\rtwo\xc2\xa0three\xe2\x80\xa8"
                           "four");
    const QString path = make(QStringLiteral("odd.txt"), bytes);
    // Should the document ask to be saved after all, nobody waits for it.
    auto decline = pressButton(QStringLiteral("否"));
    auto editor = std::make_unique<CodeEditorEx>(2, 4, path);
    QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(editor.get(), &focus);
    QCOMPARE(editor->windowTitle(), QStringLiteral("2_odd.txt"));
    QApplication::sendEvent(editor.get(), &focus);
    QCOMPARE(editor->windowTitle(), QStringLiteral("2_odd.txt"));
    QVERIFY(editor->save(-1));
    editor.reset();
    QCOMPARE(readTestFile(path), bytes);
}

// An edit elsewhere in the document leaves its no-break spaces and line
// separators as they are in the file.
void TestCodeEditorEx::editKeepsWhatTheEditorShowsOtherwise()
{
    const QByteArray odd("one\xc2\xa0two\xe2\x80\xa8three");
    const QString path = make(QStringLiteral("odd.txt"), odd);
    CodeEditorEx editor(2, 4, path);
    QTest::keyClicks(&editor, QStringLiteral("!"));
    QVERIFY(editor.save(-1));
    QCOMPARE(readTestFile(path), "!" + odd);
}

static void wheel(QWidget *target, int delta)
{
    const QPointF at(10, 10);
    QWheelEvent event(at, target->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, delta),
                      Qt::NoButton, QApplication::keyboardModifiers(), Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

void TestCodeEditorEx::controlWheelZoomsOnlyWithControlAlone()
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QString::number(i);
    const QString path = make(QStringLiteral("long.txt"), lines.join('\n').toUtf8());
    CodeEditorEx editor(1, 1, path);
    editor.resize(300, 200);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    const int size = editor.font().pointSize();

    QTest::keyPress(&editor, Qt::Key_Control, Qt::ControlModifier);
    QCOMPARE(QApplication::keyboardModifiers(), Qt::ControlModifier);
    wheel(editor.viewport(), 120);
    QCOMPARE(editor.font().pointSize(), size + 1);
    wheel(editor.viewport(), -120);
    wheel(editor.viewport(), -120);
    QCOMPARE(editor.font().pointSize(), size - 1);
    QCOMPARE(editor.verticalScrollBar()->value(), 0);
    QTest::keyRelease(&editor, Qt::Key_Control, Qt::NoModifier);

    QTest::keyPress(&editor, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
    wheel(editor.viewport(), -120);
    QCOMPARE(editor.font().pointSize(), size - 1);
    QVERIFY(editor.verticalScrollBar()->value() > 0);
    QTest::keyRelease(&editor, Qt::Key_Shift, Qt::NoModifier);
}

void TestCodeEditorEx::closePromptNoLosesEdit()
{
    const QString path = make(QStringLiteral("doc.txt"), "kept");
    auto editor = std::make_unique<CodeEditorEx>(1, 6, path);
    editor->setPlainText(QStringLiteral("edited"));
    QSignalSpy destroyed(editor.get(), &CodeEditorEx::destroySignal);

    QString title, text;
    auto answer = DialogAnswer<QMessageBox>([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton *button : box->buttons())
            if (button->text() == QStringLiteral("否"))
                button->click();
    });
    editor.reset();
    QVERIFY(answer.answered());
    QCOMPARE(title, QStringLiteral("是否保存"));
    QCOMPARE(text, QStringLiteral("当前文件没有保存,是否进行保存操作？"));
    QCOMPARE(destroyed.count(), 1);
    QCOMPARE(destroyed.at(0).at(0).toInt(), 6);
    QCOMPARE(readTestFile(path), QByteArray("kept"));
}

void TestCodeEditorEx::closePromptYesWritesEdit()
{
    const QString path = make(QStringLiteral("doc.txt"), "kept");
    auto editor = std::make_unique<CodeEditorEx>(1, 6, path);
    editor->setPlainText(QStringLiteral("edited"));
    QSignalSpy destroyed(editor.get(), &CodeEditorEx::destroySignal);
    auto answer = pressButton(QStringLiteral("是"));
    editor.reset();
    QVERIFY(answer.answered());
    QCOMPARE(destroyed.count(), 1);
    QCOMPARE(readTestFile(path), QByteArray("edited"));

    // A new document answered "是" gets its save dialog.
    auto fresh = std::make_unique<CodeEditorEx>(-1, 8, QString());
    fresh->setPlainText(QStringLiteral("brand new"));
    auto yes = pressButton(QStringLiteral("是"));
    auto where = chooseFiles(dir->path(), {QStringLiteral("fresh.txt")});
    fresh.reset();
    QVERIFY(yes.answered());
    QVERIFY(where.answered());
    QCOMPARE(readTestFile(dir->filePath(QStringLiteral("fresh.txt"))), QByteArray("brand new"));
}

void TestCodeEditorEx::cleanDocumentClosesWithoutPrompt()
{
    const QString path = make(QStringLiteral("doc.txt"), "same");
    auto editor = std::make_unique<CodeEditorEx>(1, 3, path);
    QSignalSpy destroyed(editor.get(), &CodeEditorEx::destroySignal);
    QElapsedTimer timer;
    timer.start();
    editor.reset();
    QCOMPARE(destroyed.count(), 1);
    QVERIFY(timer.elapsed() < 2000);
}

void TestCodeEditorEx::closeAsksOnceAndStaysWhenSaveFails_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("closes");

    const QByteArray gb = QTextCodec::codecForName("GB18030")->fromUnicode(QStringLiteral("中文"));
    QTest::newRow("否 keeps the file")
        << QStringLiteral("否") << QStringLiteral("doc.txt") << QByteArray("kept") << true;
    QTest::newRow("是 writes the edit")
        << QStringLiteral("是") << QStringLiteral("doc.txt") << QByteArray("kept") << true;
    QTest::newRow("是, file not in the encoding")
        << QStringLiteral("是") << QStringLiteral("doc.txt") << gb << false;
    // Root writes into read-only folders; nobody writes below a plain file.
    QTest::newRow("是, folder is a file")
        << QStringLiteral("是") << QStringLiteral("plain/doc.txt") << QByteArray() << false;
}

void TestCodeEditorEx::closeAsksOnceAndStaysWhenSaveFails()
{
    QFETCH(QString, answer);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, closes);
    ContentCodec::choose(QTextCodec::codecForName("UTF-8"));
    const auto restore = qScopeGuard([] { ContentCodec::choose(nullptr); });
    make(QStringLiteral("plain"), "a file, no folder");
    const QString path = dir->filePath(name);
    if (!bytes.isEmpty())
        make(name, bytes);
    const auto onDisk = [&path] {
        return QFileInfo::exists(path) ? readTestFile(path) : QByteArray();
    };
    auto editor = std::make_unique<CodeEditorEx>(1, 6, path);
    editor->setPlainText(QStringLiteral("edited"));
    QSignalSpy tips(editor.get(), &CodeEditorEx::tipSignal);

    auto asked = pressButton(answer);
    QCOMPARE(editor->askToClose(), closes);
    QVERIFY(asked.answered());
    const bool written = closes && answer == QStringLiteral("是");
    QCOMPARE(onDisk(), written ? QByteArray("edited") : bytes);
    if (!closes) {
        QCOMPARE(tipsOf(tips), QStringList{tipOf(Tip::FileSaveFailed)});
        QCOMPARE(editor->toPlainText(), QStringLiteral("edited"));
        QVERIFY(editor->windowTitle().startsWith(QLatin1Char('*')));
        // Asked again, the document asks again.
        auto no = pressButton(QStringLiteral("否"));
        QVERIFY(editor->askToClose());
        QVERIFY(no.answered());
    }
    // A close that was answered is not asked about again as the document goes.
    auto again = pressButton(QStringLiteral("否"));
    editor.reset();
    QVERIFY(!again.answered());
    QCOMPARE(onDisk(), written ? QByteArray("edited") : bytes);
}

static void dropOn(CodeEditorEx *editor, QMimeData *data)
{
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor->viewport(), &drop);
}

void TestCodeEditorEx::dropModeZeroJoinsFileTexts()
{
    const QString a = make(QStringLiteral("a.txt"), "alpha");
    const QString b = make(QStringLiteral("b.txt"), "beta\nline");
    const QString doc = make(QStringLiteral("doc.txt"), "old");
    auto editor = std::make_unique<CodeEditorEx>(1, 1, doc);
    editor->setDropMode(0);

    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    dropOn(editor.get(), &two);
    QCOMPARE(editor->toPlainText(), QStringLiteral("alpha\nbeta\nline"));
    QCOMPARE(editor->windowTitle(), QStringLiteral("*1_doc.txt"));

    // A file that cannot be read adds nothing of the file before it.
    QMimeData withMissing;
    withMissing.setUrls({QUrl::fromLocalFile(a),
                         QUrl::fromLocalFile(dir->filePath(QStringLiteral("missing.txt"))),
                         QUrl::fromLocalFile(b)});
    dropOn(editor.get(), &withMissing);
    QCOMPARE(editor->toPlainText(), QStringLiteral("alpha\n\nbeta\nline"));

    QMimeData plain;
    plain.setText(QStringLiteral("words"));
    dropOn(editor.get(), &plain);
    QCOMPARE(editor->toPlainText(), QStringLiteral("alpha\n\nbeta\nline"));
    forget(editor);
}

void TestCodeEditorEx::dropModeOneInsertsAndOthersIgnore()
{
    const QString a = make(QStringLiteral("a.txt"), "alpha");
    const QString doc = make(QStringLiteral("doc.txt"), "old");
    auto editor = std::make_unique<CodeEditorEx>(1, 1, doc);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a)});

    editor->setDropMode(2);
    dropOn(editor.get(), &data);
    QCOMPARE(editor->toPlainText(), QStringLiteral("old"));

    editor->setDropMode(1);
    dropOn(editor.get(), &data);
    QVERIFY(editor->toPlainText().contains(QUrl::fromLocalFile(a).toString()));
    QVERIFY(editor->toPlainText().contains(QStringLiteral("old")));
    forget(editor);
}

QTEST_MAIN(TestCodeEditorEx)
#include "tst_codeeditorex.moc"
