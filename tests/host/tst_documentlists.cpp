#include "CodeEditorEx.h"
#include "DialogAnswer.h"
#include "MainWindow.h"
#include "Settings.h"
#include "TableViewWidget.h"
#include "TestFiles.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <memory>

// How the main window creates, opens, saves and closes lists and documents,
// seen through its menu actions and the lists' own signals.
class TestDocumentLists : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startUpLists_data();
    void startUpLists();
    void listPlacement();
    void newDocumentsTakeListNumbers();
    void firstSaveCreatesItsList();
    void firstSaveToListCanBeOff();
    void firstSaveJoinsExistingList();
    void openRaisesAlreadyOpenDocument();
    void doubleClickOpensRow();
    void openAllStopsAtEmptyList();
    void closingListDocuments();
    void closingSelectedDocuments();
    void closingListWindowClosesItsDocuments();
    void zoomReachesEveryDocument();
    void closeActionSavesThenCloses();
    void closeAllKeepsUnsavedDocuments();
    void unchangedDocumentsAreNotWrittenBack();
    void emptyingEveryList();
    void listRegistryActions();
    void addActionMakesListWhenNone();
    void exitWithModifiedDocumentAsks();
    void closingSubWindowOfModifiedDocumentAsks();
    void failedSaveAtCloseKeepsDocument_data();
    void failedSaveAtCloseKeepsDocument();

private:
    void startWith(const QString &listNumber);
    QString make(const QString &name, const QByteArray &content = "text");
    QList<TableViewWidget *> lists() const;
    QList<CodeEditorEx *> documents() const;
    void trigger(const char *action);
    QString documentLabel() const;
    QString countLabel() const;

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MainWindow> window;
};

void TestDocumentLists::init()
{
    QFile::remove(configureFile());
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
}

void TestDocumentLists::cleanup()
{
    cancelPendingDialogAnswers();
    window.reset();
    dir.reset();
    QFile::remove(configureFile());
}

void TestDocumentLists::startWith(const QString &listNumber)
{
    if (!listNumber.isNull())
        writeSetting(configureFile(), QStringLiteral("start"), QStringLiteral("listNumber"),
                     listNumber);
    window.reset(new MainWindow);
}

QString TestDocumentLists::make(const QString &name, const QByteArray &content)
{
    return writeTestFile(*dir, name, content);
}

QList<TableViewWidget *> TestDocumentLists::lists() const
{
    return window->findChildren<TableViewWidget *>();
}

QList<CodeEditorEx *> TestDocumentLists::documents() const
{
    return window->findChildren<CodeEditorEx *>();
}

void TestDocumentLists::trigger(const char *action)
{
    QAction *found = window->findChild<QAction *>(QLatin1String(action));
    QVERIFY2(found, action);
    found->trigger();
}

QString TestDocumentLists::documentLabel() const
{
    return window->findChild<QLabel *>(QStringLiteral("label_document"))->text();
}

QString TestDocumentLists::countLabel() const
{
    return window->findChild<QLabel *>(QStringLiteral("label_count"))->text();
}

static QStringList titles(const QList<TableViewWidget *> &lists)
{
    QStringList out;
    for (const TableViewWidget *list : lists)
        out << list->windowTitle();
    return out;
}

void TestDocumentLists::startUpLists_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("missing") << QString() << QStringList{QStringLiteral("List1")};
    QTest::newRow("zero") << QStringLiteral("0") << QStringList();
    QTest::newRow("negative") << QStringLiteral("-2") << QStringList();
    QTest::newRow("not a number") << QStringLiteral("abc") << QStringList();
    QTest::newRow("three") << QStringLiteral("3")
                           << QStringList{QStringLiteral("List1"), QStringLiteral("List2"),
                                          QStringLiteral("List3")};
}

void TestDocumentLists::startUpLists()
{
    QFETCH(QString, setting);
    QFETCH(QStringList, expected);
    startWith(setting);
    QCOMPARE(titles(lists()), expected);
    for (int i = 0; i < lists().size(); ++i) {
        QCOMPARE(lists().at(i)->tableID(), i + 1);
        QVERIFY(lists().at(i)->isVisible());
        QVERIFY(lists().at(i)->isWindow());
        QVERIFY(lists().at(i)->acceptDrops());
    }
}

void TestDocumentLists::listPlacement()
{
    startWith(QStringLiteral("3"));
    QCOMPARE(lists().at(0)->geometry(), QRect(260, 350, 200, 500));
    QCOMPARE(lists().at(1)->geometry(), QRect(320, 365, 200, 500));
    QCOMPARE(lists().at(2)->geometry(), QRect(380, 380, 200, 500));

    // Once a list has gone the registry is shorter, so the fourth list of
    // this run takes the place the next one would have had before.
    window.reset();
    startWith(QStringLiteral("1"));
    QVERIFY(lists().first()->close());
    trigger("action_newList");
    trigger("action_newList");
    trigger("action_newList");
    const QList<TableViewWidget *> all = lists();
    QCOMPARE(all.size(), 4);
    QCOMPARE(all.at(1)->geometry(), QRect(260, 350, 200, 500));
    QCOMPARE(all.at(3)->windowTitle(), QStringLiteral("List4"));
    QCOMPARE(all.at(3)->geometry(), QRect(380, 380, 200, 500));
}

void TestDocumentLists::newDocumentsTakeListNumbers()
{
    startWith(QStringLiteral("1"));
    trigger("action_new");
    QCOMPARE(documents().size(), 1);
    CodeEditorEx *untitled = documents().first();
    QCOMPARE(untitled->tableID(), 2);
    QCOMPARE(untitled->windowTitle(), QStringLiteral("*2_"));
    QVERIFY(untitled->path().isEmpty());

    trigger("action_newList");
    QCOMPARE(titles(lists()), (QStringList{QStringLiteral("List1"), QStringLiteral("List3")}));

    auto answer = pressButton(QStringLiteral("否"));
    window.reset();
    QVERIFY(answer.answered());
}

void TestDocumentLists::firstSaveCreatesItsList()
{
    startWith(QStringLiteral("1"));
    trigger("action_new");
    CodeEditorEx *untitled = documents().first();
    untitled->setPlainText(QStringLiteral("saved once"));

    const QString target = dir->filePath(QStringLiteral("first.txt"));
    auto answer = chooseFiles(dir->path(), {QStringLiteral("first.txt")});
    trigger("action_save");
    QVERIFY(answer.answered());
    QVERIFY(QFile::exists(target));

    QCOMPARE(titles(lists()), (QStringList{QStringLiteral("List1"), QStringLiteral("List2")}));
    TableViewWidget *made = lists().at(1);
    QCOMPARE(made->tableID(), 2);
    QCOMPARE(made->fileCount(), 1);
    QCOMPARE(made->fileAt(0)->path, target);
    QCOMPARE(made->fileAt(0)->id, untitled->getCodeID());
    QCOMPARE(countLabel(), QStringLiteral("List2(1)"));
    QCOMPARE(untitled->windowTitle(), QStringLiteral("2_") + target);

    // The new list is the current one: opening its selection raises the
    // document instead of opening it twice.
    made->tableView()->selectRow(0);
    trigger("action_open");
    QCOMPARE(documents().size(), 1);
}

void TestDocumentLists::firstSaveToListCanBeOff()
{
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("firstSaveToList"),
                 QStringLiteral("0"));
    startWith(QStringLiteral("1"));
    trigger("action_new");
    documents().first()->setPlainText(QStringLiteral("x"));
    auto answer = chooseFiles(dir->path(), {QStringLiteral("off.txt")});
    trigger("action_save");
    QVERIFY(answer.answered());
    QVERIFY(QFile::exists(dir->filePath(QStringLiteral("off.txt"))));
    QCOMPARE(lists().size(), 1);
}

void TestDocumentLists::firstSaveJoinsExistingList()
{
    startWith(QStringLiteral("2"));
    const QString a = make(QStringLiteral("a.txt"));
    TableViewWidget *first = lists().at(0);
    first->addFile(a, 50);
    first->refresh();
    first->openAllFiles();
    CodeEditorEx *doc = documents().first();
    doc->setPlainText(QStringLiteral("changed"));
    QVERIFY(doc->save(-1));
    // Already listed: the list keeps its one record.
    QCOMPARE(first->fileCount(), 1);
    QCOMPARE(lists().size(), 2);
}

void TestDocumentLists::openRaisesAlreadyOpenDocument()
{
    startWith(QStringLiteral("2"));
    const QString a = make(QStringLiteral("a.txt"), "alpha");
    const QString b = make(QStringLiteral("b.txt"), "beta");
    TableViewWidget *one = lists().at(0);
    TableViewWidget *two = lists().at(1);
    one->addFile(a, 11);
    one->addFile(b, 12);
    one->refresh();

    one->openAllFiles();
    QCOMPARE(documents().size(), 2);
    QCOMPARE(documents().at(0)->getCodeID(), 11);
    QCOMPARE(documents().at(0)->toPlainText(), QStringLiteral("alpha"));
    QCOMPARE(documents().at(1)->tableID(), 1);
    QCOMPARE(documentLabel(), b);

    one->tableView()->selectRow(0);
    one->openSelectedFiles();
    QCOMPARE(documents().size(), 2);
    QCOMPARE(documentLabel(), a);

    // The same file from another list is another document.
    two->addFile(a, 13);
    two->refresh();
    two->openAllFiles();
    QCOMPARE(documents().size(), 3);
    QCOMPARE(documents().at(2)->tableID(), 2);
    QCOMPARE(documents().at(2)->windowTitle(), QStringLiteral("2_a.txt"));
}

void TestDocumentLists::doubleClickOpensRow()
{
    startWith(QStringLiteral("1"));
    const QString a = make(QStringLiteral("a.txt"));
    const QString b = make(QStringLiteral("b.txt"));
    TableViewWidget *list = lists().first();
    list->addFile(a, 1);
    list->addFile(b, 2);
    list->refresh();

    QTableView *view = list->tableView();
    emit view->doubleClicked(view->model()->index(1, 0));
    QCOMPARE(documents().size(), 1);
    QCOMPARE(documents().first()->path(), b);
    QCOMPARE(documents().first()->getCodeID(), 2);
}

void TestDocumentLists::openAllStopsAtEmptyList()
{
    startWith(QStringLiteral("2"));
    TableViewWidget *first = lists().at(0);
    TableViewWidget *second = lists().at(1);
    second->addFile(make(QStringLiteral("a.txt")), 1);
    second->addFile(make(QStringLiteral("b.txt")), 2);
    second->refresh();

    trigger("action_openAll");
    QCOMPARE(documents().size(), 0);

    first->addFile(make(QStringLiteral("c.txt")), 3);
    first->refresh();
    trigger("action_openAll");
    QCOMPARE(documents().size(), 3);
}

void TestDocumentLists::closingListDocuments()
{
    startWith(QStringLiteral("2"));
    TableViewWidget *one = lists().at(0);
    TableViewWidget *two = lists().at(1);
    const QString c = make(QStringLiteral("c.txt"));
    one->addFile(make(QStringLiteral("a.txt")), 1);
    one->addFile(make(QStringLiteral("b.txt")), 2);
    one->refresh();
    two->addFile(c, 3);
    two->refresh();
    two->openAllFiles();
    one->openAllFiles();
    QCOMPARE(documents().size(), 3);

    emit one->closeSignal(1);
    QCOMPARE(documents().size(), 1);
    QCOMPARE(documents().first()->path(), c);
    QCOMPARE(documentLabel(), c);
    QCOMPARE(one->fileCount(), 2);

    emit two->closeSignal(2);
    QCOMPARE(documents().size(), 0);
    QCOMPARE(documentLabel(), QString());
}

void TestDocumentLists::closingSelectedDocuments()
{
    startWith(QStringLiteral("1"));
    TableViewWidget *list = lists().first();
    const QString a = make(QStringLiteral("a.txt"));
    const QString b = make(QStringLiteral("b.txt"));
    list->addFile(a, 1);
    list->addFile(b, 2);
    list->refresh();
    list->openAllFiles();

    list->tableView()->selectRow(1);
    list->removeSelected(false);
    QCOMPARE(documents().size(), 1);
    QCOMPARE(documents().first()->path(), a);
    QCOMPARE(list->fileCount(), 2);

    list->tableView()->selectRow(0);
    trigger("action_del");
    QCOMPARE(documents().size(), 0);
    QCOMPARE(list->fileCount(), 1);
}

void TestDocumentLists::closingListWindowClosesItsDocuments()
{
    startWith(QStringLiteral("2"));
    TableViewWidget *one = lists().at(0);
    TableViewWidget *two = lists().at(1);
    one->addFile(make(QStringLiteral("a.txt")), 1);
    one->refresh();
    one->openAllFiles();
    const QString b = make(QStringLiteral("b.txt"));
    two->addFile(b, 2);
    two->refresh();

    QVERIFY(one->close());
    QCOMPARE(documents().size(), 0);

    // The closed list no longer counts: opening every list reaches only the
    // other one.
    trigger("action_openAll");
    QCOMPARE(documents().size(), 1);
    QCOMPARE(documents().first()->path(), b);

    QVERIFY(two->close());
    QCOMPARE(countLabel(), QString());
    // With no list left, adding files starts a new one.
    auto cancel = cancelFileDialog();
    trigger("action_add");
    QVERIFY(cancel.answered());
    QCOMPARE(lists().last()->windowTitle(), QStringLiteral("List3"));
}

void TestDocumentLists::zoomReachesEveryDocument()
{
    startWith(QStringLiteral("1"));
    TableViewWidget *list = lists().first();
    list->addFile(make(QStringLiteral("a.txt")), 1);
    list->addFile(make(QStringLiteral("b.txt")), 2);
    list->refresh();
    list->openAllFiles();
    const int size = documents().first()->font().pointSize();

    trigger("action_zoomIn");
    trigger("action_zoomIn");
    for (CodeEditorEx *doc : documents())
        QCOMPARE(doc->font().pointSize(), size + 2);
    trigger("action_zoomOut");
    for (CodeEditorEx *doc : documents())
        QCOMPARE(doc->font().pointSize(), size + 1);
}

void TestDocumentLists::closeActionSavesThenCloses()
{
    startWith(QStringLiteral("1"));
    const QString a = make(QStringLiteral("a.txt"), "old");
    TableViewWidget *list = lists().first();
    list->addFile(a, 1);
    list->refresh();
    list->openAllFiles();
    documents().first()->setPlainText(QStringLiteral("new"));

    trigger("action_close");
    QCOMPARE(documents().size(), 0);
    QCOMPARE(readTestFile(a), QByteArray("new"));
    QCOMPARE(documentLabel(), QString());

    // A save that does not happen keeps the document open.
    trigger("action_new");
    auto cancel = cancelFileDialog();
    trigger("action_close");
    QVERIFY(cancel.answered());
    QCOMPARE(documents().size(), 1);

    auto no = pressButton(QStringLiteral("否"));
    window.reset();
    QVERIFY(no.answered());
}

void TestDocumentLists::closeAllKeepsUnsavedDocuments()
{
    startWith(QStringLiteral("1"));
    TableViewWidget *list = lists().first();
    list->addFile(make(QStringLiteral("a.txt")), 1);
    list->refresh();
    list->openAllFiles();
    trigger("action_new");
    QCOMPARE(documents().size(), 2);

    auto cancel = cancelFileDialog();
    trigger("action_closeAll");
    QVERIFY(cancel.answered());
    QCOMPARE(documents().size(), 1);
    QVERIFY(documents().first()->path().isEmpty());
    QCOMPARE(documentLabel(), QString());

    auto no = pressButton(QStringLiteral("否"));
    window.reset();
    QVERIFY(no.answered());
}

void TestDocumentLists::unchangedDocumentsAreNotWrittenBack()
{
    // Opening a list's files shows workbooks and files in another code page
    // as text that cannot reproduce their bytes; saving and closing them
    // unchanged must leave every one of them as it was.
    startWith(QStringLiteral("1"));
    const QString book = dir->filePath(QStringLiteral("book.xlsx"));
    QVERIFY(QFile::copy(QStringLiteral(QUORVANE_TEST_DATA "/lists/book.xlsx"), book));
    const QByteArray bookBytes = readTestFile(book);
    const QByteArray gbBytes("\xd6\xd0\xce\xc4 \xb1\xed\xb8\xf1\n");
    const QString gb = make(QStringLiteral("gb.txt"), gbBytes);
    TableViewWidget *list = lists().first();
    list->addFile(book, 1);
    list->addFile(gb, 2);
    list->refresh();
    list->openAllFiles();
    QCOMPARE(documents().size(), 2);

    trigger("action_save");
    trigger("action_saveAll");
    emit list->saveSignal(list->tableID());
    trigger("action_close");
    QCOMPARE(documents().size(), 1);
    trigger("action_closeAll");
    QCOMPARE(documents().size(), 0);

    QCOMPARE(readTestFile(book), bookBytes);
    QCOMPARE(readTestFile(gb), gbBytes);
}

void TestDocumentLists::emptyingEveryList()
{
    startWith(QStringLiteral("2"));
    lists().at(0)->addFile(make(QStringLiteral("a.txt")), 1);
    lists().at(1)->addFile(make(QStringLiteral("b.txt")), 2);
    lists().at(0)->refresh();
    lists().at(1)->refresh();
    trigger("action_openAll");
    QCOMPARE(documents().size(), 2);

    trigger("action_delAll");
    QCOMPARE(documents().size(), 0);
    QCOMPARE(lists().at(0)->fileCount(), 0);
    QCOMPARE(lists().at(1)->fileCount(), 0);
    QCOMPARE(documentLabel(), QString());
}

void TestDocumentLists::listRegistryActions()
{
    startWith(QStringLiteral("3"));
    const QList<TableViewWidget *> all = lists();
    for (int i = 0; i < 3; ++i) {
        all.at(i)->addFile(make(QStringLiteral("f%1.txt").arg(i)), i + 1);
        all.at(i)->refresh();
    }

    // List3, the last one made, is current: it leaves the registry but its
    // window stays.
    trigger("action_closeCurrent");
    QCOMPARE(lists().size(), 3);
    QVERIFY(all.at(2)->isVisible());
    trigger("action_openAll");
    QCOMPARE(documents().size(), 2);

    // List1 became current; the others go.
    trigger("action_closeOther");
    QTRY_COMPARE(lists().size(), 2);
    QVERIFY(lists().contains(all.at(0)));
    QVERIFY(lists().contains(all.at(2)));

    trigger("action_delAllList");
    QCOMPARE(lists(), QList<TableViewWidget *>{all.at(2)});
    // Documents of deleted lists stay open.
    QCOMPARE(documents().size(), 2);
    trigger("action_open");
    trigger("action_newList");
    QCOMPARE(lists().last()->windowTitle(), QStringLiteral("List4"));
}

void TestDocumentLists::addActionMakesListWhenNone()
{
    startWith(QStringLiteral("0"));
    const QString a = make(QStringLiteral("a.xlsx"));
    auto answer = chooseFiles(dir->path(), {QStringLiteral("a.xlsx")});
    trigger("action_add");
    QVERIFY(answer.answered());
    QCOMPARE(titles(lists()), QStringList{QStringLiteral("List1")});
    QCOMPARE(lists().first()->fileCount(), 1);
    QCOMPARE(lists().first()->fileAt(0)->path, a);
    QCOMPARE(countLabel(), QStringLiteral("List1(1)"));
}

void TestDocumentLists::exitWithModifiedDocumentAsks()
{
    startWith(QStringLiteral("1"));
    const QString a = make(QStringLiteral("a.txt"), "before");
    TableViewWidget *list = lists().first();
    list->addFile(a, 1);
    list->refresh();
    list->openAllFiles();
    trigger("action_new");
    documents().first()->setPlainText(QStringLiteral("after"));

    // Both documents ask; the listed one is saved, the untitled one not.
    int asked = 0;
    std::function<void()> answerNext = [&] {
        DialogAnswer<QMessageBox>([&](QMessageBox *box) {
            ++asked;
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == (asked == 1 ? QStringLiteral("是") : QStringLiteral("否")))
                    button->click();
            }
            // Only two boxes come; a third answerer would outlive this test
            // and answer the next test's box through dangling references.
            if (asked < 2)
                answerNext();
        });
    };
    answerNext();
    window.reset();
    QCOMPARE(asked, 2);
    QCOMPARE(readTestFile(a), QByteArray("after"));
}

void TestDocumentLists::closingSubWindowOfModifiedDocumentAsks()
{
    startWith(QStringLiteral("1"));
    const QString a = make(QStringLiteral("a.txt"), "before");
    const QString b = make(QStringLiteral("b.txt"), "other");
    TableViewWidget *list = lists().first();
    list->addFile(a, 1);
    list->addFile(b, 2);
    list->refresh();
    list->openAllFiles();
    CodeEditorEx *doc = documents().first();
    doc->setPlainText(QStringLiteral("after"));

    auto yes = pressButton(QStringLiteral("是"));
    auto *sub = qobject_cast<QMdiSubWindow *>(doc->parentWidget());
    QVERIFY(sub);
    QVERIFY(sub->close());
    QTRY_COMPARE(documents().size(), 1);
    QVERIFY(yes.answered());
    QCOMPARE(documents().first()->path(), b);
    QCOMPARE(documentLabel(), b);
    QCOMPARE(readTestFile(a), QByteArray("after"));
}

void TestDocumentLists::failedSaveAtCloseKeepsDocument_data()
{
    QTest::addColumn<QString>("route");
    for (const char *route :
         {"sub-window button", "list's documents", "list window", "selected", "main window"})
        QTest::newRow(route) << QString::fromLatin1(route);
}

void TestDocumentLists::failedSaveAtCloseKeepsDocument()
{
    QFETCH(QString, route);
    startWith(QStringLiteral("1"));
    // The program reads UTF-8: these bytes cannot be written back.
    const QByteArray gb = QTextCodec::codecForName("GB18030")->fromUnicode(QStringLiteral("中文"));
    const QString a = make(QStringLiteral("gb.txt"), gb);
    TableViewWidget *list = lists().first();
    list->addFile(a, 1);
    list->refresh();
    list->openAllFiles();
    CodeEditorEx *doc = documents().first();
    doc->setPlainText(QStringLiteral("edited"));

    auto yes = pressButton(QStringLiteral("是"));
    if (route == QLatin1String("sub-window button")) {
        QVERIFY(!qobject_cast<QMdiSubWindow *>(doc->parentWidget())->close());
    } else if (route == QLatin1String("list's documents")) {
        emit list->closeSignal(list->tableID());
    } else if (route == QLatin1String("list window")) {
        QVERIFY(list->close());
    } else if (route == QLatin1String("main window")) {
        QVERIFY(!window->close());
    } else {
        list->tableView()->selectRow(0);
        list->removeSelected(false);
    }
    QVERIFY(yes.answered());
    QCoreApplication::processEvents();
    QCOMPARE(documents(), QList<CodeEditorEx *>{doc});
    QCOMPARE(doc->toPlainText(), QStringLiteral("edited"));
    QVERIFY(doc->windowTitle().startsWith(QLatin1Char('*')));
    QCOMPARE(documentLabel(), a);
    QCOMPARE(readTestFile(a), gb);

    auto no = pressButton(QStringLiteral("否"));
    window.reset();
    QVERIFY(no.answered());
    QCOMPARE(readTestFile(a), gb);
}

QTEST_MAIN(TestDocumentLists)
#include "tst_documentlists.moc"
