#include "DialogAnswer.h"
#include "MyTableModel.h"
#include "TableViewWidget.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(FileType *)

// Receives what the list asks the desktop to open instead of a file manager.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestTableViewWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void mimeTestTakesTextAndWorkbooksOnly();
    void scanWithAndWithoutSubfolders();
    void scanSurvivesLinkLoop();
    void dropAddsListableFilesAndKeepsDuplicatesOut();
    void refreshDropsMissingFilesAndCountsThem();
    void rowMovesKeepRecordsInNewOrder();
    void rowMoveThroughTheModel();
    void removeAndCloseSelectedHandOutCopies();
    void clearAndOpenSignals();
    void addFilesAndFolderThroughDialogs();
    void addFilesDialogShowsWorkbooksFirst_data();
    void addFilesDialogShowsWorkbooksFirst();
    void importSkipsMissingPaths();
    void exportWritesNamesOrPaths();
    void cancelledExportWritesNothing();
    void openContainingFolderUsesFileUrl();
    void contextMenuEnablesBySelection();
    void activationAndCloseSignals();

private:
    QString make(const QString &name, const QByteArray &content = "x");
    void selectRows(const QList<int> &rows);
    QStringList paths() const;

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TableViewWidget> list;
    int counter = 0;
};

void TestTableViewWidget::initTestCase()
{
    qRegisterMetaType<FileType *>();
    qRegisterMetaType<QList<FileType *>>();
    qRegisterMetaType<QList<int>>();
}

void TestTableViewWidget::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
    counter = 0;
    list.reset(new TableViewWidget(1, QStringLiteral("List1"), QStringLiteral("./configure.ini"),
                                   &counter));
    list->setAcceptDrops(true);
}

void TestTableViewWidget::cleanup()
{
    cancelPendingDialogAnswers();
    list.reset();
    dir.reset();
}

QString TestTableViewWidget::make(const QString &name, const QByteArray &content)
{
    return writeTestFile(*dir, name, content);
}

void TestTableViewWidget::selectRows(const QList<int> &rows)
{
    QItemSelectionModel *selection = list->tableView()->selectionModel();
    selection->clearSelection();
    for (int row : rows)
        selection->select(list->tableView()->model()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QStringList TestTableViewWidget::paths() const
{
    QStringList out;
    for (const FileType *file : list->fileList())
        out << file->path;
    return out;
}

static QString pngFile(const QString &path)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(path, "PNG");
    return path;
}

void TestTableViewWidget::mimeTestTakesTextAndWorkbooksOnly()
{
    const QString book = dir->filePath(QStringLiteral("book.xlsx"));
    QVERIFY(QFile::copy(QStringLiteral(QUORVANE_TEST_DATA "/lists/book.xlsx"), book));

    QVERIFY(TableViewWidget::isListableFile(book));
    QVERIFY(TableViewWidget::isListableFile(make(QStringLiteral("a.csv"), "1,2\n")));
    QVERIFY(TableViewWidget::isListableFile(make(QStringLiteral("a.txt"), "hello\n")));
    QVERIFY(TableViewWidget::isListableFile(make(QStringLiteral("empty.dat"), QByteArray())));
    QVERIFY(TableViewWidget::isListableFile(
        make(QStringLiteral("a.xml"), "<?xml version=\"1.0\"?><a/>")));
    QVERIFY(!TableViewWidget::isListableFile(pngFile(dir->filePath(QStringLiteral("p.png")))));
    QVERIFY(!TableViewWidget::isListableFile(dir->path()));
}

void TestTableViewWidget::scanWithAndWithoutSubfolders()
{
    make(QStringLiteral("b.txt"));
    make(QStringLiteral("A.csv"), "1\n");
    make(QStringLiteral(".hidden.txt"));
    pngFile(dir->filePath(QStringLiteral("p.png")));
    make(QStringLiteral("sub/c.txt"));
    make(QStringLiteral("sub/deeper/d.txt"));

    QStringList flat;
    TableViewWidget::scanDir(dir->path(), flat, true);
    // Names in case-blind order, hidden entries and pictures left out.
    QCOMPARE(flat, (QStringList{dir->filePath(QStringLiteral("A.csv")),
                                dir->filePath(QStringLiteral("b.txt"))}));

    QStringList deep;
    TableViewWidget::scanDir(dir->path(), deep, false);
    QCOMPARE(deep, (QStringList{dir->filePath(QStringLiteral("A.csv")),
                                dir->filePath(QStringLiteral("b.txt")),
                                dir->filePath(QStringLiteral("sub/c.txt")),
                                dir->filePath(QStringLiteral("sub/deeper/d.txt"))}));
}

void TestTableViewWidget::scanSurvivesLinkLoop()
{
    make(QStringLiteral("sub/c.txt"));
    QVERIFY(QFile::link(dir->path(), dir->filePath(QStringLiteral("sub/up"))));
    QStringList found;
    TableViewWidget::scanDir(dir->path(), found, false);
    QCOMPARE(found, QStringList{dir->filePath(QStringLiteral("sub/c.txt"))});
}

static void dropUrls(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

void TestTableViewWidget::dropAddsListableFilesAndKeepsDuplicatesOut()
{
    const QString book = dir->filePath(QStringLiteral("book.xlsx"));
    QVERIFY(QFile::copy(QStringLiteral(QUORVANE_TEST_DATA "/lists/book.xlsx"), book));
    const QString png = pngFile(dir->filePath(QStringLiteral("p.png")));
    make(QStringLiteral("sub/inside.txt"));

    QSignalSpy counts(list.get(), &TableViewWidget::fileCountSignal);
    dropUrls(list.get(), {QUrl::fromLocalFile(book), QUrl::fromLocalFile(png),
                          QUrl::fromLocalFile(dir->filePath(QStringLiteral("sub")))});
    QCOMPARE(paths(), QStringList{book});
    QCOMPARE(list->fileAt(0)->id, 1);
    QCOMPARE(counts.last().at(0).toString(), QStringLiteral("List1(1)"));

    // The same path again: no second record, but the number was spent.
    const int before = counter;
    dropUrls(list.get(), {QUrl::fromLocalFile(book)});
    QCOMPARE(list->fileCount(), 1);
    QCOMPARE(list->fileAt(0)->id, 1);
    QCOMPARE(counter, before + 1);

    const QString next = make(QStringLiteral("n.txt"));
    dropUrls(list.get(), {QUrl::fromLocalFile(next)});
    QCOMPARE(list->fileAt(1)->id, before + 2);

    // A drag that carries no files is not taken.
    QMimeData text;
    text.setText(QStringLiteral("plain"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.get(), &enter);
    QVERIFY(!enter.isAccepted());
}

void TestTableViewWidget::refreshDropsMissingFilesAndCountsThem()
{
    const QString a = make(QStringLiteral("a.txt"));
    const QString b = make(QStringLiteral("b.txt"));
    const QString c = make(QStringLiteral("c.txt"));
    list->addFile(a, 1);
    list->addFile(b, 2);
    list->addFile(c, 3);
    list->addFile(b, 4);

    QSignalSpy counts(list.get(), &TableViewWidget::fileCountSignal);
    list->refresh();
    QCOMPARE(counts.last().at(0).toString(), QStringLiteral("List1(3)"));
    QAbstractItemModel *model = list->tableView()->model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("b.txt"));
    QCOMPARE(model->index(1, 1).data().toString(), QFileInfo(b).absolutePath());
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("文件名"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("路径"));

    FileType *gone = list->fileAt(1);
    QVERIFY(QFile::remove(b));
    list->refresh();
    QCOMPARE(paths(), (QStringList{a, c}));
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(counts.last().at(0).toString(), QStringLiteral("List1(2)"));
    // The record that left the list is still there for whoever holds it.
    QCOMPARE(gone->path, b);
}

void TestTableViewWidget::rowMovesKeepRecordsInNewOrder()
{
    QStringList files;
    for (int i = 0; i < 5; ++i) {
        files << make(QStringLiteral("f%1.txt").arg(i));
        list->addFile(files.last(), 10 + i);
    }
    list->refresh();
    FileType *first = list->fileAt(0);

    list->changeSlot({0, 1}, 3);
    QCOMPARE(paths(), (QStringList{files[2], files[0], files[1], files[3], files[4]}));
    QCOMPARE(list->fileAt(1)->id, 10);
    QCOMPARE(list->fileAt(2)->id, 11);
    // The moved entry is a copy; the old record was emptied, not freed.
    QVERIFY(list->fileAt(1) != first);
    QVERIFY(first->path.isEmpty());
    QCOMPARE(list->tableView()->model()->index(0, 0).data().toString(), QStringLiteral("f2.txt"));

    list->changeSlot({0}, -1);
    QCOMPARE(paths(), (QStringList{files[0], files[1], files[3], files[4], files[2]}));

    // Rows the list does not have move nothing.
    list->changeSlot({7, -2}, 1);
    QCOMPARE(list->fileCount(), 5);
}

void TestTableViewWidget::rowMoveThroughTheModel()
{
    QStringList files;
    for (int i = 0; i < 5; ++i) {
        files << make(QStringLiteral("f%1.txt").arg(i));
        list->addFile(files.last(), i + 1);
    }
    list->refresh();
    selectRows({0, 1});

    auto *model = qobject_cast<MyTableModel *>(list->tableView()->model());
    QVERIFY(model);
    std::unique_ptr<QMimeData> data(
        model->mimeData(list->tableView()->selectionModel()->selectedIndexes()));
    QVERIFY(model->dropMimeData(data.get(), Qt::MoveAction, -1, -1, model->index(3, 0)));
    QCOMPARE(paths(), (QStringList{files[2], files[0], files[1], files[3], files[4]}));
}

void TestTableViewWidget::removeAndCloseSelectedHandOutCopies()
{
    QStringList files;
    for (int i = 0; i < 4; ++i) {
        files << make(QStringLiteral("f%1.txt").arg(i));
        list->addFile(files.last(), i + 1);
    }
    list->refresh();
    FileType *second = list->fileAt(1);

    QSignalSpy closing(list.get(), &TableViewWidget::closeSelectSignal);
    selectRows({1, 3});
    list->removeSelected(false);
    QCOMPARE(list->fileCount(), 4);
    QVERIFY(!list->tableView()->selectionModel()->hasSelection());
    QCOMPARE(closing.count(), 1);
    QCOMPARE(closing.at(0).at(0).toInt(), 1);
    QList<FileType *> handed = closing.at(0).at(1).value<QList<FileType *>>();
    QCOMPARE(handed.size(), 2);
    QCOMPARE(handed.at(0)->path, files[3]);
    QCOMPARE(handed.at(1)->path, files[1]);
    QCOMPARE(handed.at(1)->id, 2);
    QVERIFY(handed.at(1) != second);

    selectRows({0, 2});
    list->removeSelected(true);
    QCOMPARE(paths(), (QStringList{files[1], files[3]}));
    handed = closing.at(1).at(1).value<QList<FileType *>>();
    QCOMPARE(handed.size(), 2);
    QCOMPARE(handed.at(0)->path, files[2]);
    QCOMPARE(handed.at(1)->path, files[0]);
    QCOMPARE(list->tableView()->model()->rowCount(), 2);
}

void TestTableViewWidget::clearAndOpenSignals()
{
    QStringList files;
    for (int i = 0; i < 3; ++i) {
        files << make(QStringLiteral("f%1.txt").arg(i));
        list->addFile(files.last(), i + 1);
    }
    list->refresh();

    QSignalSpy opening(list.get(), &TableViewWidget::openFilesSignal);
    list->openSelectedFiles();
    QCOMPARE(opening.count(), 0);
    selectRows({0, 2});
    list->openSelectedFiles();
    QCOMPARE(opening.count(), 1);
    QList<FileType *> opened = opening.at(0).at(1).value<QList<FileType *>>();
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened.at(0), list->fileAt(2));
    list->openAllFiles();
    QCOMPARE(opening.at(1).at(1).value<QList<FileType *>>(), list->fileList());

    QSignalSpy closing(list.get(), &TableViewWidget::closeSignal);
    QSignalSpy counts(list.get(), &TableViewWidget::fileCountSignal);
    list->clearList();
    QCOMPARE(closing.count(), 1);
    QCOMPARE(closing.at(0).at(0).toInt(), 1);
    QCOMPARE(list->fileCount(), 0);
    QCOMPARE(counts.last().at(0).toString(), QStringLiteral("List1(0)"));
    list->openAllFiles();
    QCOMPARE(opening.count(), 2);
}

void TestTableViewWidget::addFilesAndFolderThroughDialogs()
{
    const QString a = make(QStringLiteral("a.txt"));
    const QString b = make(QStringLiteral("b.csv"), "1\n");
    auto answer = chooseFiles(dir->path(), {QStringLiteral("a.txt"), QStringLiteral("b.csv")});
    list->addFiles();
    QVERIFY(answer.answered());
    QCOMPARE(paths(), (QStringList{a, b}));
    QCOMPARE(list->fileAt(0)->id, 1);
    QCOMPARE(list->fileAt(1)->id, 2);
    QCOMPARE(list->tableView()->model()->rowCount(), 2);

    auto cancel = cancelFileDialog();
    list->addFiles();
    QVERIFY(cancel.answered());
    QCOMPARE(list->fileCount(), 2);

    const QString top = make(QStringLiteral("tree/top.txt"));
    make(QStringLiteral("tree/sub/low.txt"));
    bool boxStartedTicked = false;
    DialogAnswer<QFileDialog> folder([&](QFileDialog *dialog) {
        auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("checkBox_subfolders"));
        if (box) {
            boxStartedTicked = box->isChecked();
            box->setChecked(false);
        }
        // Nothing typed: the dialog answers with the folder it shows.
        dialog->setDirectory(dir->filePath(QStringLiteral("tree")));
        static_cast<QDialog *>(dialog)->accept();
    });
    list->addDirectory();
    QVERIFY(folder.answered());
    QVERIFY(boxStartedTicked);
    QCOMPARE(paths(), (QStringList{a, b, top}));
}

void TestTableViewWidget::addFilesDialogShowsWorkbooksFirst_data()
{
    QTest::addColumn<QByteArray>("suffixIni");
    QTest::addColumn<QStringList>("added");

    QTest::newRow("no suffix.ini") << QByteArray() << QStringList();
    // What the options window writes when saved with its defaults.
    QTest::newRow("saved by the options window")
        << QByteArray("txt(*.txt)\nxml(*.xml)\njson(*.json)\nhtml(*.html  *.css *.js)\n"
                      "source(*.h *.cpp *.hpp *.py)\ncsv(*.csv)\nsvg(*.svg)\nAll(*.*)")
        << QStringList{QStringLiteral("xml(*.xml)"),
                       QStringLiteral("json(*.json)"),
                       QStringLiteral("html(*.html  *.css *.js)"),
                       QStringLiteral("source(*.h *.cpp *.hpp *.py)"),
                       QStringLiteral("csv(*.csv)"),
                       QStringLiteral("svg(*.svg)")};
    QTest::newRow("own lines, blank ones and repeats")
        << QStringLiteral("表格(*.xlsx)\r\n\r\nExcel工作簿(*.xlsx)\n表格(*.xlsx)\n").toUtf8()
        << QStringList{QStringLiteral("表格(*.xlsx)")};
}

void TestTableViewWidget::addFilesDialogShowsWorkbooksFirst()
{
    QFETCH(QByteArray, suffixIni);
    QFETCH(QStringList, added);
    QFile::remove(QStringLiteral("suffix.ini"));
    if (!suffixIni.isNull())
        QVERIFY(writeTestFile(QStringLiteral("suffix.ini"), suffixIni));
    const auto removeSuffixIni = qScopeGuard([] { QFile::remove(QStringLiteral("suffix.ini")); });

    QString title;
    QStringList filters;
    DialogAnswer<QFileDialog> look([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        dialog->reject();
    });
    list->addFiles();
    QVERIFY(look.answered());
    QCOMPARE(title, QStringLiteral("请选择需要添加的Excel表格文档:"));
    const QStringList workbooks = {
        QStringLiteral("Excel工作簿(*.xlsx)"), QStringLiteral("Excel 97-2003 工作簿(*.xls)"),
        QStringLiteral("XML数据(*.xml)"),      QStringLiteral("单个文件网页(*.mth  *.mhtml)"),
        QStringLiteral("网页(*.htm *.html)"),  QStringLiteral("CSV(逗号分割)(*.csv)"),
        QStringLiteral("txt(*.txt)"),          QStringLiteral("All(*.*)")};
    // The dialog shows the patterns of a filter one blank apart.
    QStringList expected;
    for (const QString &filter : workbooks + added)
        expected << filter.simplified();
    QCOMPARE(filters, expected);
}

void TestTableViewWidget::importSkipsMissingPaths()
{
    const QString a = make(QStringLiteral("a.xlsx"));
    const QString b = make(QStringLiteral("b.txt"));
    const QString gone = dir->filePath(QStringLiteral("gone.txt"));
    make(QStringLiteral("paths.txt"), (a + "\n" + gone + "\n\n" + b + "\n" + a).toUtf8());

    auto answer = chooseFiles(dir->path(), {QStringLiteral("paths.txt")});
    list->importPathList();
    QVERIFY(answer.answered());
    QCOMPARE(paths(), (QStringList{a, b}));
    QCOMPARE(list->fileAt(0)->id, 1);
    QCOMPARE(list->fileAt(1)->id, 2);
}

void TestTableViewWidget::exportWritesNamesOrPaths()
{
    const QString a = make(QStringLiteral("a.txt"));
    const QString b = make(QStringLiteral("sub/b.xlsx"));
    list->addFile(a, 1);
    list->addFile(b, 2);

    QString defaultName;
    auto names = chooseFiles(dir->path(), {QStringLiteral("names.txt")}, &defaultName);
    list->exportNameList();
    QVERIFY(names.answered());
    QCOMPARE(QFileInfo(defaultName).fileName(), QStringLiteral("文件列表文档.txt"));
    QCOMPARE(readTestFile(dir->filePath(QStringLiteral("names.txt"))), QByteArray("a.txt\nb.xlsx"));

    auto full = chooseFiles(dir->path(), {QStringLiteral("paths.txt")}, &defaultName);
    list->exportPathList();
    QVERIFY(full.answered());
    QCOMPARE(QFileInfo(defaultName).fileName(), QStringLiteral("路径列表文档.txt"));
    QCOMPARE(readTestFile(dir->filePath(QStringLiteral("paths.txt"))), (a + "\n" + b).toUtf8());
}

void TestTableViewWidget::cancelledExportWritesNothing()
{
    list->addFile(make(QStringLiteral("a.txt")), 1);
    const QStringList before = QDir::current().entryList(QDir::Files);
    auto cancel = cancelFileDialog();
    list->exportPathList();
    QVERIFY(cancel.answered());
    QCOMPARE(QDir::current().entryList(QDir::Files), before);
}

void TestTableViewWidget::openContainingFolderUsesFileUrl()
{
    const QString a = make(QStringLiteral("one/a.txt"));
    const QString b = make(QStringLiteral("two/b.txt"));
    list->addFile(a, 1);
    list->addFile(b, 2);
    list->refresh();

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    selectRows({0, 1});
    list->openContainingFolder();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    QCOMPARE(catcher.urls, (QList<QUrl>{QUrl::fromLocalFile(QFileInfo(b).absolutePath()),
                                        QUrl::fromLocalFile(QFileInfo(a).absolutePath())}));
}

void TestTableViewWidget::contextMenuEnablesBySelection()
{
    struct Seen
    {
        QStringList entries;
        QStringList enabled;
    };
    auto inspectMenu = [](Seen *seen) {
        QTimer::singleShot(50, [seen] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            const QList<QAction *> actions = menu->actions();
            for (QAction *action : actions) {
                if (action->isSeparator())
                    continue;
                seen->entries << action->text();
                if (action->isEnabled())
                    seen->enabled << action->text();
            }
            menu->close();
        });
    };

    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    Seen empty;
    inspectMenu(&empty);
    QContextMenuEvent first(QContextMenuEvent::Mouse, QPoint(5, 5),
                            list->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(list.get(), &first);
    QCOMPARE(empty.entries,
             (QStringList{QStringLiteral("添加文件"), QStringLiteral("添加目录"),
                          QStringLiteral("打开选中文件"), QStringLiteral("打开文件所在目录"),
                          QStringLiteral("打开全部文件"), QStringLiteral("保存所有归属文件"),
                          QStringLiteral("关闭归属选中文件"), QStringLiteral("关闭归属所有文件"),
                          QStringLiteral("删除选中"), QStringLiteral("刷新列表"),
                          QStringLiteral("清空列表"), QStringLiteral("导入全路径文件名"),
                          QStringLiteral("导出文件名")}));
    QCOMPARE(empty.enabled,
             (QStringList{QStringLiteral("添加文件"), QStringLiteral("添加目录"),
                          QStringLiteral("保存所有归属文件"), QStringLiteral("刷新列表"),
                          QStringLiteral("导入全路径文件名"), QStringLiteral("导出文件名")}));

    list->addFile(make(QStringLiteral("a.txt")), 1);
    list->refresh();
    selectRows({0});
    Seen full;
    inspectMenu(&full);
    QContextMenuEvent second(QContextMenuEvent::Mouse, QPoint(5, 5),
                             list->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(list.get(), &second);
    QCOMPARE(full.enabled, full.entries);
}

void TestTableViewWidget::activationAndCloseSignals()
{
    list->addFile(make(QStringLiteral("a.txt")), 1);
    list->refresh();

    QSignalSpy activated(list.get(), &TableViewWidget::windowActivateSignal);
    QSignalSpy counts(list.get(), &TableViewWidget::fileCountSignal);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(list.get(), &activate);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(counts.count(), 1);
    QCOMPARE(counts.at(0).at(0).toString(), QStringLiteral("List1(1)"));

    QSignalSpy destroyed(list.get(), &TableViewWidget::destroySignal);
    list->show();
    QVERIFY(list->close());
    QCOMPARE(destroyed.count(), 1);
    QCOMPARE(destroyed.at(0).at(0).toInt(), 1);
}

QTEST_MAIN(TestTableViewWidget)
#include "tst_tableviewwidget.moc"
