#include "CodeEditorEx.h"
#include "ContentCodec.h"
#include "DialogAnswer.h"
#include "MainWindow.h"
#include "NamedChild.h"
#include "Option.h"
#include "TableViewWidget.h"
#include "WorkbookFixtures.h"
#include "WorkbookSnapshot.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextCodec>
#include <QtTest>

// The real host with the real plug-in file from the plugins folder beside
// this program, driven through their widgets as a user would, on copies of
// the workbook fixtures.
class TestEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void replaceOverAListOnAllSheets();
    void replaceInDelimitedTextOfEveryEncoding();
    void replaceByTableGivesEachFileItsColumn();
    void deleteRemovesTheKeys();
    void byPositionWritesTheCells();
    void brokenFilesAreReportedAndTheRunEnds();
    void allListsAreProcessed();
    void operationNotAvailableYetEndsAtOnce();
    void stepsRunOneAfterAnother();
    void chineseFolderNamesUnderEitherEncoding_data();
    void chineseFolderNamesUnderEitherEncoding();
    void delimitedEncodingSurvivesBase64_data();
    void delimitedEncodingSurvivesBase64();
    void optionsFollowTheWindowHeight();
    void closeGivenDuringARunIsAnswered_data();
    void closeGivenDuringARunIsAnswered();
    void documentsNeverHideWhatARunWrote();

private:
    QWidget *panel() { return namedChild<QWidget>(m_window.get(), "WidgetText"); }
    QWidget *options() { return namedChild<QWidget>(m_window.get(), "WidgetTextOption"); }
    void click(QWidget *parent, const char *name)
    {
        namedChild<QAbstractButton>(parent, name)->click();
    }
    // The lists in the order the host made them.
    QList<TableViewWidget *> lists() const;
    void addToList(TableViewWidget *list, const QStringList &paths);
    QString copy(const QString &fixture);
    void setKeys(const QString &keys, const QString &with);
    void setSheets(const QString &text);
    // Presses 处理 and waits for the host to hear the run's end.
    void runAndWait();
    // Replaces apple by pear in the first list's files.
    void chooseReplaceOverTheList();
    CodeEditorEx *document() { return m_window->findChild<CodeEditorEx *>(); }
    int tipCount(Tip::Pair pair) const;
    // 文件编码格式 in the options window, saved.
    void chooseEncoding(const QString &name);

    std::unique_ptr<QTemporaryDir> m_dir;
    int m_copies = 0;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QSignalSpy> m_tips;
};

void TestEndToEnd::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_copies = 0;
    m_window = std::make_unique<MainWindow>();
    m_tips = std::make_unique<QSignalSpy>(m_window.get(), &MainWindow::tipSignal);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));

    auto *menu = namedChild<QMenu>(m_window.get(), "menu_p");
    QAction *open = nullptr;
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        if (action->text().startsWith(QStringLiteral("Text V")))
            open = action;
    }
    QVERIFY2(open, "the plug-in was not loaded");
    open->trigger();
    // The panel's first activation docks the options.
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(panel(), &activate);
    QVERIFY(options()->isVisibleTo(m_window.get()));
    QCOMPARE(lists().size(), 1);
}

void TestEndToEnd::cleanup()
{
    cancelPendingDialogAnswers();
    // Closing the panel is how the plug-in forgets the chosen operation.
    if (m_window && m_window->findChild<QWidget *>(QStringLiteral("WidgetText")))
        panel()->close();
    m_tips.reset();
    m_window.reset();
    m_dir.reset();
    cancelPendingDialogAnswers();
    ContentCodec::choose(nullptr);
    for (const char *file : {"configure.ini", "suffix.ini"})
        QFile::remove(QString::fromLatin1(file));
}

QList<TableViewWidget *> TestEndToEnd::lists() const
{
    QList<TableViewWidget *> found = m_window->findChildren<TableViewWidget *>();
    std::sort(found.begin(), found.end(),
              [](TableViewWidget *a, TableViewWidget *b) { return a->tableID() < b->tableID(); });
    return found;
}

void TestEndToEnd::addToList(TableViewWidget *list, const QStringList &paths)
{
    static int id = 1000;
    for (const QString &path : paths)
        list->addFile(path, ++id);
}

QString TestEndToEnd::copy(const QString &fixture)
{
    const QString folder = m_dir->filePath(QString::number(m_copies++));
    QDir().mkpath(folder);
    return WorkbookFixtures::copy(fixture, folder);
}

void TestEndToEnd::setKeys(const QString &keys, const QString &with)
{
    namedChild<QPlainTextEdit>(options(), "plainTextEdit_replacedKey")->setPlainText(keys);
    namedChild<QPlainTextEdit>(options(), "plainTextEdit_replaceWith")->setPlainText(with);
}

void TestEndToEnd::setSheets(const QString &text)
{
    auto *combo = namedChild<QComboBox>(options(), "comboBox_page");
    combo->setCurrentIndex(combo->findText(text));
    QCOMPARE(combo->currentText(), text);
}

void TestEndToEnd::runAndWait()
{
    m_tips->clear();
    click(panel(), "pushButton_start");
    QTRY_COMPARE(tipCount(Tip::AllThreadsDone), 1);
    QVERIFY(m_window->isEnabled());
    QVERIFY(panel()->isEnabled());
    QVERIFY(options()->isEnabled());
    // Nothing more is on its way.
    QCoreApplication::processEvents();
    QCOMPARE(tipCount(Tip::AllThreadsDone), 1);
}

void TestEndToEnd::chooseEncoding(const QString &name)
{
    namedChild<QAction>(m_window.get(), "action_option")->trigger();
    auto *option = m_window->findChild<Option *>();
    QVERIFY(option && option->isVisible());
    namedChild<QComboBox>(option, "comboBox_code")->setCurrentText(name);
    click(option, "pushButton_save");
    QVERIFY(!option->isVisible());
}

void TestEndToEnd::chooseReplaceOverTheList()
{
    click(panel(), "toolButton_textReplaced");
    click(panel(), "toolButton_rangeList");
    setKeys(QStringLiteral("apple"), QStringLiteral("pear"));
    setSheets(QStringLiteral("所有表"));
}

int TestEndToEnd::tipCount(Tip::Pair pair) const
{
    int count = 0;
    for (const QList<QVariant> &tip : qAsConst(*m_tips)) {
        if (Tip::Pair{tip.at(0).toInt(), tip.at(1).toInt()} == pair)
            ++count;
    }
    return count;
}

// Replace over the current list on every sheet: the matching cells change,
// every other cell, style and merged range stays as it was, and the tips
// dock ends with the run's last line.
void TestEndToEnd::replaceOverAListOnAllSheets()
{
    const QString basic = copy(QStringLiteral("basic.xlsx"));
    const QString inlined = copy(QStringLiteral("inline.xlsx"));
    const QString numbers = copy(QStringLiteral("numfmt.xlsx"));
    const QString legacy = copy(QStringLiteral("basic.xls"));
    addToList(lists().first(), {basic, inlined, numbers, legacy});
    const QVariantMap basicBefore = WorkbookSnapshot::take(basic);
    const QVariantMap inlineBefore = WorkbookSnapshot::take(inlined);
    const QByteArray numbersBefore = WorkbookFixtures::readFile(numbers);

    click(panel(), "toolButton_textReplaced");
    click(panel(), "toolButton_rangeList");
    setKeys(QStringLiteral("apple,苹果\n第二"), QStringLiteral("pear\n第三"));
    setSheets(QStringLiteral("所有表"));
    runAndWait();
    QCOMPARE(tipCount(Tip::FileDone), 4);
    QCOMPARE(tipCount(Tip::FileSaved), 4);

    const QVariantMap basicAfter = WorkbookSnapshot::take(basic);
    QStringList expected = {"Data!A2", "Data!A4", "Data!A7", "Data!B2"};
    for (int row = 2; row <= 4; ++row) {
        for (const char *column : {"B", "C", "D"})
            expected << QStringLiteral("Offset!%1%2").arg(QLatin1String(column)).arg(row);
    }
    expected.sort();
    QCOMPARE(WorkbookSnapshot::changedCells(basicBefore, basicAfter), expected);
    const QVariantMap cells = basicAfter.value("cells").toMap();
    QCOMPARE(cells.value("Data!A4").toString(), QStringLiteral("pear"));
    QCOMPARE(cells.value("Data!A7").toString(), QStringLiteral("merged pear"));
    QCOMPARE(cells.value("Data!E3").toString(), QStringLiteral("=C3*D3"));
    QCOMPARE(basicAfter.value("styles"), basicBefore.value("styles"));
    QCOMPARE(basicAfter.value("merged"), basicBefore.value("merged"));
    QCOMPARE(basicAfter.value("sheets"), basicBefore.value("sheets"));

    const QVariantMap inlineAfter = WorkbookSnapshot::take(inlined);
    QCOMPARE(WorkbookSnapshot::changedCells(inlineBefore, inlineAfter),
             QStringList({"Inline!A1", "Inline!B1", "Second!C3"}));
    QCOMPARE(inlineAfter.value("cells").toMap().value("Inline!B1").toString(),
             QStringLiteral("第三列"));
    QCOMPARE(WorkbookFixtures::readFile(numbers), numbersBefore);
    {
        WorkbookFixtures::ServerSession xls(legacy);
        QCOMPARE(xls.text(1, QStringLiteral("A1")), QStringLiteral("pear pie"));
        QCOMPARE(xls.text(1, QStringLiteral("A2")), QStringLiteral("pear pie"));
        QCOMPARE(xls.text(1, QStringLiteral("A3")), QStringLiteral("中文字符"));
        QCOMPARE(xls.text(2, QStringLiteral("A1")), QStringLiteral("1,234.50"));
    }

    auto *messages = namedChild<QTextBrowser>(m_window.get(), "textBrowser_message");
    QTRY_VERIFY(messages->toPlainText().contains(QStringLiteral("所有线程全部处理完毕")));
    QVERIFY(messages->toPlainText().indexOf(QStringLiteral("所有线程全部处理完毕")) <
            messages->toPlainText().indexOf(QStringLiteral("子线程文件处理完毕")));
}

// A GB18030 CSV and Excel's "Unicode text" files in a list are rewritten
// like UTF-8 files, each in its own encoding, every other byte kept.
void TestEndToEnd::replaceInDelimitedTextOfEveryEncoding()
{
    QStringList paths;
    QList<QByteArray> expected;
    for (const char *file : {"gb18030.csv", "utf16le.txt", "utf16be.txt"}) {
        paths << copy(QString::fromLatin1(file));
        const QString codec = WorkbookFixtures::encodings()
                                  .value(QString::fromLatin1(file))
                                  .toMap()
                                  .value(QStringLiteral("codec"))
                                  .toString();
        expected << WorkbookFixtures::readFile(paths.last())
                        .replace(WorkbookFixtures::encoded(codec, QStringLiteral("苹果")),
                                 WorkbookFixtures::encoded(codec, QStringLiteral("青苹果")));
    }
    addToList(lists().first(), paths);
    click(panel(), "toolButton_textReplaced");
    click(panel(), "toolButton_rangeList");
    setKeys(QStringLiteral("苹果"), QStringLiteral("青苹果"));
    setSheets(QStringLiteral("所有表"));
    runAndWait();
    QCOMPARE(tipCount(Tip::FileDone), 3);
    for (int i = 0; i < paths.size(); ++i)
        QCOMPARE(WorkbookFixtures::readFile(paths.at(i)), expected.at(i));
}

void TestEndToEnd::replaceByTableGivesEachFileItsColumn()
{
    const QString one = copy(QStringLiteral("basic.xlsx"));
    const QString two = copy(QStringLiteral("basic.xlsx"));
    addToList(lists().first(), {one, two});
    click(panel(), "toolButton_rangeList");
    click(panel(), "toolButton_textReplaced_2");
    auto *table = namedChild<QTableWidget>(options(), "tableWidget_replaced2");
    QCOMPARE(table->columnCount(), 3);
    table->setItem(0, 0, new QTableWidgetItem(QStringLiteral("apple")));
    table->setItem(0, 1, new QTableWidgetItem(QStringLiteral("one")));
    table->setItem(0, 2, new QTableWidgetItem(QStringLiteral("two")));
    table->setItem(1, 0, new QTableWidgetItem(QStringLiteral("Banana")));
    table->setItem(1, 2, new QTableWidgetItem(QStringLiteral("蕉")));
    setSheets(QStringLiteral("首表"));
    runAndWait();
    const QVariantMap first = WorkbookSnapshot::take(one).value("cells").toMap();
    const QVariantMap second = WorkbookSnapshot::take(two).value("cells").toMap();
    QCOMPARE(first.value("Data!B2").toString(), QStringLiteral("red one"));
    QCOMPARE(second.value("Data!B2").toString(), QStringLiteral("red two"));
    // The first file has no replacement for Banana: it is deleted there.
    QVERIFY(first.value("Data!A3").isNull());
    QCOMPARE(second.value("Data!A3").toString(), QStringLiteral("蕉"));
    // Only the first sheet.
    QCOMPARE(second.value("Offset!B2").toString(), QStringLiteral("r2c2 apple"));
}

void TestEndToEnd::deleteRemovesTheKeys()
{
    const QString path = copy(QStringLiteral("basic.xlsx"));
    addToList(lists().first(), {path});
    const QVariantMap before = WorkbookSnapshot::take(path);
    click(panel(), "toolButton_textDelete");
    click(panel(), "toolButton_rangeList");
    setKeys(QStringLiteral(" apple\nyellow"), QString());
    setSheets(QStringLiteral("所有表"));
    runAndWait();
    const QVariantMap after = WorkbookSnapshot::take(path);
    const QVariantMap cells = after.value("cells").toMap();
    QCOMPARE(cells.value("Data!B2").toString(), QStringLiteral("red"));
    QVERIFY(cells.value("Data!B3").isNull());
    QCOMPARE(cells.value("Offset!C3").toString(), QStringLiteral("r3c3"));
    // "apple" alone, without the blank before it, is no key.
    QCOMPARE(cells.value("Data!A2").toString(), QStringLiteral("apple"));
    QCOMPARE(WorkbookSnapshot::changedCells(before, after).size(), 12);
}

void TestEndToEnd::byPositionWritesTheCells()
{
    const QString path = copy(QStringLiteral("basic.xlsx"));
    addToList(lists().first(), {path});
    const QVariantMap before = WorkbookSnapshot::take(path);
    click(panel(), "toolButton_textReplaced");
    click(panel(), "toolButton_rangeList");
    click(options(), "radioButton_position");
    setKeys(QStringLiteral("B3\nF9"), QStringLiteral("x\nnew"));
    setSheets(QStringLiteral("默认页"));
    runAndWait();
    const QVariantMap after = WorkbookSnapshot::take(path);
    QCOMPARE(WorkbookSnapshot::changedCells(before, after),
             QStringList({"Offset!B3", "Offset!F9"}));
    QCOMPARE(after.value("cells").toMap().value("Offset!F9").toString(), QStringLiteral("new"));
}

// A missing file and a damaged one are reported; the good one is processed,
// the run ends and the host is usable again.
void TestEndToEnd::brokenFilesAreReportedAndTheRunEnds()
{
    const QString missing = copy(QStringLiteral("basic.xlsx"));
    const QString corrupt = copy(QStringLiteral("bad-xml.xlsx"));
    const QString good = copy(QStringLiteral("basic.xlsx"));
    addToList(lists().first(), {missing, corrupt, good});
    QVERIFY(QFile::remove(missing));
    const QByteArray corruptBefore = WorkbookFixtures::readFile(corrupt);
    click(panel(), "toolButton_textReplaced");
    click(panel(), "toolButton_rangeList");
    setKeys(QStringLiteral("apple"), QStringLiteral("pear"));
    setSheets(QStringLiteral("所有表"));
    runAndWait();
    QCOMPARE(tipCount(Tip::FileNotFound), 1);
    QCOMPARE(tipCount(Tip::FileUnreadable), 1);
    QCOMPARE(tipCount(Tip::FileSaved), 1);
    QCOMPARE(WorkbookFixtures::readFile(corrupt), corruptBefore);
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(WorkbookSnapshot::take(good).value("cells").toMap().value("Data!A2").toString(),
             QStringLiteral("pear"));
}

void TestEndToEnd::allListsAreProcessed()
{
    const QString first = copy(QStringLiteral("basic.xlsx"));
    const QString second = copy(QStringLiteral("inline.xlsx"));
    addToList(lists().first(), {first});
    m_window->newList(QStringLiteral("List"));
    QCOMPARE(lists().size(), 2);
    addToList(lists().last(), {second});
    click(panel(), "toolButton_textReplaced");
    click(panel(), "toolButton_rangeAll");
    setKeys(QStringLiteral("apple"), QStringLiteral("pear"));
    setSheets(QStringLiteral("所有表"));
    runAndWait();
    QCOMPARE(tipCount(Tip::FileDone), 2);
    QCOMPARE(WorkbookSnapshot::take(first).value("cells").toMap().value("Data!A2").toString(),
             QStringLiteral("pear"));
    QCOMPARE(WorkbookSnapshot::take(second).value("cells").toMap().value("Second!C3").toString(),
             QStringLiteral("only cell pear"));
}

void TestEndToEnd::operationNotAvailableYetEndsAtOnce()
{
    const QString path = copy(QStringLiteral("basic.xlsx"));
    const QByteArray before = WorkbookFixtures::readFile(path);
    addToList(lists().first(), {path});
    click(panel(), "toolButton_textSubtract");
    click(panel(), "toolButton_rangeList");
    click(panel(), "pushButton_start");
    QCOMPARE(tipCount(Tip::NoOptionChosen), 1);
    QVERIFY(m_window->isEnabled());
    QVERIFY(panel()->isEnabled());
    QCOMPARE(WorkbookFixtures::readFile(path), before);
}

// Two replace steps recorded in the step window with the options of their
// moment: the second sees what the first wrote. A file that cannot be opened
// does not hold the run up.
void TestEndToEnd::stepsRunOneAfterAnother()
{
    const QString path = copy(QStringLiteral("basic.xlsx"));
    const QString missing = copy(QStringLiteral("inline.xlsx"));
    addToList(lists().first(), {path, missing});
    QVERIFY(QFile::remove(missing));
    const QVariantMap before = WorkbookSnapshot::take(path);

    namedChild<QAction>(m_window.get(), "action_step")->trigger();
    QWidget *steps = namedChild<QWidget>(m_window.get(), "StepWidget");
    QVERIFY(steps->isVisible());
    click(panel(), "toolButton_textReplaced");
    click(panel(), "toolButton_rangeList");
    setSheets(QStringLiteral("所有表"));
    setKeys(QStringLiteral("e"), QStringLiteral("ë"));
    click(steps, "pushButton_add");
    setKeys(QStringLiteral("ë"), QStringLiteral("ê"));
    click(steps, "pushButton_add");
    auto *table = namedChild<QTableWidget>(steps, "tableWidget_step");
    QCOMPARE(table->rowCount(), 2);

    m_tips->clear();
    click(steps, "pushButton_star");
    QTRY_COMPARE(tipCount(Tip::AllStepsDone), 1);
    QCOMPARE(tipCount(Tip::ThreadStepDone), 2);
    QCOMPARE(tipCount(Tip::FileNotFound), 2);
    QVERIFY(m_window->isEnabled());
    QVERIFY(steps->isEnabled());
    for (int row = 0; row < 2; ++row) {
        QCOMPARE(table->item(row, 4)->text(), QStringLiteral("已执行"));
        QCOMPARE(table->item(row, 0)->background().color(), QColor(Qt::gray));
    }

    const QVariantMap cellsBefore = before.value("cells").toMap();
    const QVariantMap cellsAfter = WorkbookSnapshot::take(path).value("cells").toMap();
    int changed = 0;
    for (auto it = cellsBefore.cbegin(); it != cellsBefore.cend(); ++it) {
        if (it.value().type() != QVariant::String)
            continue;
        QString expected = it.value().toString();
        changed += expected.contains(QLatin1Char('e'));
        expected.replace(QLatin1Char('e'), QStringLiteral("ê"));
        QCOMPARE(cellsAfter.value(it.key()).toString(), expected);
    }
    QVERIFY(changed > 10);
}

void TestEndToEnd::chineseFolderNamesUnderEitherEncoding_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QByteArray>("codec");
    QTest::newRow("ANSI") << QStringLiteral("ANSI") << QByteArray("GB18030");
    QTest::newRow("UTF-8") << QStringLiteral("UTF-8") << QByteArray("UTF-8");
}

// The encoding chosen is that of the files' text, never of their names:
// files under Chinese folder names are listed, run, kept at a refresh and
// exported, and a document under such a path saves to its own file.
void TestEndToEnd::chineseFolderNamesUnderEitherEncoding()
{
    QFETCH(QString, encoding);
    QFETCH(QByteArray, codec);
    QTextCodec *text = QTextCodec::codecForName(codec);
    const QString batch = m_dir->filePath(QStringLiteral("批次 A"));
    QVERIFY(QDir().mkpath(batch + QStringLiteral("/子目录")));
    const QString book = batch + QStringLiteral("/表一.xlsx");
    const QString csv = batch + QStringLiteral("/子目录/表二.csv");
    QVERIFY(QFile::copy(WorkbookFixtures::dataPath(QStringLiteral("basic.xlsx")), book));
    QVERIFY(WorkbookFixtures::writeFile(csv, "apple,1\r\n"));
    const QString notes = m_dir->filePath(QStringLiteral("笔记 C"));
    QVERIFY(QDir().mkpath(notes));
    const QString note = notes + QStringLiteral("/gb笔记.txt");
    QVERIFY(WorkbookFixtures::writeFile(note, text->fromUnicode(QStringLiteral("旧的"))));
    chooseEncoding(encoding);

    TableViewWidget *list = lists().first();
    DialogAnswer<QFileDialog> folder([&batch](QFileDialog *dialog) {
        dialog->setDirectory(batch);
        static_cast<QDialog *>(dialog)->accept();
    });
    list->addDirectory();
    QVERIFY(folder.answered());
    auto listed = [list] {
        QStringList paths;
        for (const FileType *file : list->fileList())
            paths << file->path;
        return paths;
    };
    const auto sorted = [](QStringList paths) {
        paths.sort();
        return paths;
    };
    QCOMPARE(sorted(listed()), (QStringList{csv, book}));

    click(panel(), "toolButton_textReplaced");
    click(panel(), "toolButton_rangeList");
    setKeys(QStringLiteral("apple"), QStringLiteral("pear"));
    setSheets(QStringLiteral("首表"));
    runAndWait();
    QCOMPARE(tipCount(Tip::FileDone), 2);
    QCOMPARE(WorkbookFixtures::readFile(csv), QByteArray("pear,1\r\n"));
    QCOMPARE(WorkbookSnapshot::take(book).value("cells").toMap().value("Data!A2").toString(),
             QStringLiteral("pear"));

    list->addFile(note, 2000);
    list->refresh();
    const QStringList order = listed();
    QCOMPARE(sorted(order), (QStringList{csv, book, note}));
    auto exported = chooseFiles(notes, {QStringLiteral("路径.txt")});
    list->exportPathList();
    QVERIFY(exported.answered());
    QCOMPARE(WorkbookFixtures::readFile(notes + QStringLiteral("/路径.txt")),
             text->fromUnicode(order.join(QLatin1Char('\n'))));
    list->clearList();
    auto imported = chooseFiles(notes, {QStringLiteral("路径.txt")});
    list->importPathList();
    QVERIFY(imported.answered());
    QCOMPARE(listed(), order);

    list->tableView()->selectRow(order.indexOf(note));
    list->openSelectedFiles();
    const QList<CodeEditorEx *> documents = m_window->findChildren<CodeEditorEx *>();
    QCOMPARE(documents.size(), 1);
    CodeEditorEx *document = documents.first();
    QCOMPARE(document->toPlainText(), QStringLiteral("旧的"));
    document->setPlainText(QStringLiteral("新的笔记"));
    namedChild<QAction>(m_window.get(), "action_save")->trigger();
    QVERIFY(!document->windowTitle().startsWith(QLatin1Char('*')));
    QCOMPARE(WorkbookFixtures::readFile(note), text->fromUnicode(QStringLiteral("新的笔记")));
    QCOMPARE(QDir(notes).entryList(QDir::Files),
             (QStringList{QStringLiteral("gb笔记.txt"), QStringLiteral("路径.txt")}));
}

void TestEndToEnd::delimitedEncodingSurvivesBase64_data()
{
    chineseFolderNamesUnderEitherEncoding_data();
}

// A GB18030 CSV encoded to Base64 is plain ASCII; decoded again it is
// written in the encoding the host's options choose: byte for byte the
// original under ANSI, its text in UTF-8 under UTF-8.
void TestEndToEnd::delimitedEncodingSurvivesBase64()
{
    QFETCH(QString, encoding);
    QFETCH(QByteArray, codec);
    const QString path = copy(QStringLiteral("gb18030.csv"));
    const QByteArray before = WorkbookFixtures::readFile(path);
    chooseEncoding(encoding);
    addToList(lists().first(), {path});
    click(panel(), "toolButton_textCode");
    click(panel(), "toolButton_rangeList");
    namedChild<QComboBox>(options(), "comboBox_CodeOption")
        ->setCurrentText(QStringLiteral("BASIC64"));
    setSheets(QStringLiteral("所有表"));
    click(options(), "radioButton_CodeCode");
    runAndWait();
    const QByteArray ascii = WorkbookFixtures::readFile(path);
    QVERIFY(!ascii.isEmpty());
    QVERIFY(std::all_of(ascii.cbegin(), ascii.cend(), [](char c) { return uchar(c) < 0x80; }));
    click(options(), "radioButton_45");
    runAndWait();
    QCOMPARE(WorkbookFixtures::readFile(path),
             QTextCodec::codecForName(codec)->fromUnicode(
                 QTextCodec::codecForName("GB18030")->toUnicode(before)));
}

// The panel opened before the window took its final size (shown at start,
// before the window is maximised): the options still fill the dock's area,
// and the key and replacement boxes take the room, on every visit.
void TestEndToEnd::optionsFollowTheWindowHeight()
{
    click(panel(), "toolButton_textReplaced");
    auto *key = namedChild<QWidget>(options(), "plainTextEdit_replacedKey");
    const int before = key->height();
    m_window->resize(m_window->width(), m_window->height() + 300);
    for (const char *visit : {"toolButton_textTo", "toolButton_textReplaced_2",
                              "toolButton_textSpace", "toolButton_textReplaced"}) {
        click(panel(), visit);
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(panel(), &activate);
    }
    QTRY_VERIFY(key->height() > before + 50);
    QCOMPARE(options()->parentWidget()->height(), m_window->centralWidget()->height());
}

void TestEndToEnd::closeGivenDuringARunIsAnswered_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("Enter: 是 saves") << int(Qt::Key_Return) << QByteArray("edited");
    QTest::newRow("Escape: 否 discards") << int(Qt::Key_Escape) << QByteArray("notes");
}

// The window manager's close given while a run holds the window comes after
// the run: the save question of a modified document then takes the user's
// keys, and the pointer is back to normal.
void TestEndToEnd::closeGivenDuringARunIsAnswered()
{
    QFETCH(int, key);
    QFETCH(QByteArray, onDisk);
    const QString book = copy(QStringLiteral("basic.xlsx"));
    addToList(lists().first(), {book});
    const QString notes = m_dir->filePath(QStringLiteral("notes.txt"));
    QVERIFY(WorkbookFixtures::writeFile(notes, "notes"));
    m_window->newCodeEditorEx(99, 5000, notes);
    document()->setPlainText(QStringLiteral("edited"));
    chooseReplaceOverTheList();

    bool byKey = false;
    auto answer = DialogAnswer<QMessageBox>([key, &byKey](QMessageBox *box) {
        QTest::keyClick(box, Qt::Key(key));
        byKey = !box->isVisible();
        // Keys that went nowhere must not leave the test waiting.
        if (!byKey)
            box->reject();
    });
    // Queued before the run returns to the event loop, as a close given
    // during the run waits in the window system's queue.
    QCoreApplication::postEvent(m_window->windowHandle(), new QCloseEvent);
    click(panel(), "pushButton_start");
    QTRY_VERIFY(!m_window->isVisible());
    QVERIFY(answer.answered());
    QVERIFY(byKey);
    QVERIFY(!document());
    QCOMPARE(WorkbookFixtures::readFile(notes), onDisk);
    QVERIFY(!QApplication::overrideCursor());
}

// Two documents of files that a run rewrites: the one without edits shows
// the result as the run ends; the edited one asks before writing over it.
void TestEndToEnd::documentsNeverHideWhatARunWrote()
{
    const QStringList paths{copy(QStringLiteral("sample.csv")), copy(QStringLiteral("sample.csv"))};
    TableViewWidget *list = lists().first();
    addToList(list, paths);
    m_window->openFiles(list->tableID(), list->fileList());
    const QList<CodeEditorEx *> editors = m_window->findChildren<CodeEditorEx *>();
    CodeEditorEx *edited =
        editors.first()->path() == paths.at(1) ? editors.first() : editors.last();
    CodeEditorEx *clean = editors.first() == edited ? editors.last() : editors.first();
    edited->setPlainText(QStringLiteral("mine"));
    chooseReplaceOverTheList();
    runAndWait();
    QVERIFY(clean->toPlainText().contains(QStringLiteral("红 pear")));

    const QByteArray result = WorkbookFixtures::readFile(edited->path());
    QVERIFY(result.contains("pear"));
    auto keep = pressButton(QStringLiteral("否"));
    QVERIFY(!edited->save(-1));
    QVERIFY(keep.answered());
    QCOMPARE(WorkbookFixtures::readFile(edited->path()), result);
    QVERIFY(edited->windowTitle().startsWith(QLatin1Char('*')));
    auto discard = pressButton(QStringLiteral("否"));
    m_window->closeListDocuments(list->tableID());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
