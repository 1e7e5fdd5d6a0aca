#include "ContentCodec.h"
#include "NamedChild.h"
#include "PluginGlobals.h"
#include "PluginPanels.h"
#include "RunHost.h"
#include "Wendral.h"
#include "WidgetText.h"
#include "WidgetTextOption.h"
#include "WorkbookFixtures.h"
#include "WorkbookSnapshot.h"
#include "server/SpreadsheetServer.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <utility>

// Runs with the records the options panel builds, over real workbooks:
// started from the panel's start button, or recorded as steps and run one by
// one as the host's step window does.
class TestRunOptions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void replaceOverTwoListsCompletesOnce();
    void currentDocumentIsOneFile();
    void deleteRemovesTheKeys();
    void emptyKeysAreAParameterError();
    void replaceByTableGivesEachFileItsColumn();
    void fileWithoutItsColumnIsLeftAlone();
    void conversionOverAList();
    void encodingOverAListAndBack();
    void scriptConversionUnderEitherEncoding_data();
    void scriptConversionUnderEitherEncoding();
    void cellOperationsTakeTheDockOptions_data();
    void cellOperationsTakeTheDockOptions();

    void inputGivenDuringARunIsDropped_data();
    void inputGivenDuringARunIsDropped();
    void questionOpenedWhileTheRunHoldsTakesKeys();

    void addingAStep_data();
    void addingAStep();
    void removingAndRunningByUnknownIds();

private:
    void choose(Enum_TextIndex kind, Enum_Range range);
    void setKeys(const QString &keys, const QString &with);
    void setSheets(const QString &text);
    void setCell(int row, int column, const QString &text);
    void start();
    // Copies of basic.xlsx (or another fixture), each in a folder of its own.
    QStringList copies(int count, const QString &fixture = QStringLiteral("basic.xlsx"));
    QString cell(const QString &path, const QString &key);

    std::unique_ptr<QTemporaryDir> m_dir;
    // The shipped word lists, with a pair of lines a user added.
    QTemporaryDir m_lists;
    int m_copies = 0;
    std::unique_ptr<RunHost> m_host;
    std::unique_ptr<Wendral> m_plugin;
    QPointer<WidgetText> m_panel;
    QPointer<WidgetTextOption> m_options;
};

void TestRunOptions::initTestCase()
{
    const QDir shipped(QStringLiteral(QUORVANE_TEST_DATA "/../../data"));
    const QStringList names = shipped.entryList({QStringLiteral("textTo_*.txt")}, QDir::Files);
    QVERIFY(names.size() >= 6);
    for (const QString &name : names)
        QVERIFY(QFile::copy(shipped.filePath(name), m_lists.filePath(name)));
    // The simplified 后 is also the traditional one: its traditional line is
    // left blank, which finds nothing toward the simplified script.
    const QList<QPair<QString, QByteArray>> added = {{"textTo_newOne.txt", "\n发\n后"},
                                                     {"textTo_oldOne.txt", "\n發\n"}};
    for (const auto &list : added) {
        QFile file(m_lists.filePath(list.first));
        QVERIFY(file.open(QIODevice::Append));
        file.write(list.second);
    }
    QSettings(QStringLiteral("./configure.ini"), QSettings::IniFormat)
        .setValue(QStringLiteral("currency/iniPath"), m_lists.path() + QLatin1Char('/'));
}

void TestRunOptions::cleanupTestCase()
{
    QFile::remove(QStringLiteral("./configure.ini"));
}

void TestRunOptions::init()
{
    SpreadsheetServer::install();
    m_dir = std::make_unique<QTemporaryDir>();
    m_copies = 0;
    m_host = std::make_unique<RunHost>();
    m_plugin = std::make_unique<Wendral>();
    m_plugin->setHarlithFace(m_host.get());
    g_curTextIndex = Explain;
    QVERIFY(m_plugin->showPlus(0, 0));
    m_plugin->onPanelActivated();
    const PluginPanels panels = PluginPanels::find();
    m_panel = panels.panel;
    m_options = panels.options;
    QVERIFY(m_panel);
    QVERIFY(m_options);
    m_host->calls.clear();
}

void TestRunOptions::cleanup()
{
    ContentCodec::choose(nullptr);
    delete m_panel;
    delete m_options;
    m_plugin.reset();
    m_host.reset();
    g_hostFace = nullptr;
    m_dir.reset();
}

void TestRunOptions::choose(Enum_TextIndex kind, Enum_Range range)
{
    switch (range) {
    case All:
        m_panel->setRangeAll();
        break;
    case List:
        m_panel->setRangeList();
        break;
    case Current:
        m_panel->setRangeCurrent();
        break;
    }
    m_panel->setCurText(kind);
}

void TestRunOptions::setKeys(const QString &keys, const QString &with)
{
    namedChild<QPlainTextEdit>(m_options, "plainTextEdit_replacedKey")->setPlainText(keys);
    namedChild<QPlainTextEdit>(m_options, "plainTextEdit_replaceWith")->setPlainText(with);
}

void TestRunOptions::setSheets(const QString &text)
{
    auto *combo = namedChild<QComboBox>(m_options, "comboBox_page");
    combo->setCurrentIndex(combo->findText(text));
    QCOMPARE(combo->currentText(), text);
}

void TestRunOptions::setCell(int row, int column, const QString &text)
{
    auto *table = namedChild<QTableWidget>(m_options, "tableWidget_replaced2");
    table->setItem(row, column, new QTableWidgetItem(text));
}

void TestRunOptions::start()
{
    namedChild<QPushButton>(m_panel, "pushButton_start")->click();
}

QStringList TestRunOptions::copies(int count, const QString &fixture)
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString folder = m_dir->filePath(QString::number(m_copies++));
        QDir().mkpath(folder);
        paths << WorkbookFixtures::copy(fixture, folder);
    }
    return paths;
}

QString TestRunOptions::cell(const QString &path, const QString &key)
{
    return WorkbookSnapshot::take(path)
        .value(QStringLiteral("cells"))
        .toMap()
        .value(key)
        .toString();
}

void TestRunOptions::replaceOverTwoListsCompletesOnce()
{
    const QStringList first = copies(3);
    const QStringList second = copies(2);
    m_host->addList(first);
    m_host->addList(second);
    choose(Replaced, All);
    setKeys(QStringLiteral("apple"), QStringLiteral("pear"));
    setSheets(QStringLiteral("所有表"));
    start();
    QVERIFY(m_panel->isEnabled());
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    const QStringList tips = m_host->tips();
    QCOMPARE(tips.filter(RunHost::tipCall(Tip::FileDone)).size(), 5);
    QCOMPARE(tips.filter(RunHost::tipCall(Tip::FileSaved)).size(), 5);
    QCOMPARE(tips.last(), RunHost::tipCall(Tip::AllThreadsDone));
    QVERIFY(m_host->enabled);
    QCoreApplication::processEvents();
    QCOMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    for (const QString &path : first + second) {
        QCOMPARE(cell(path, "Data!B2"), QStringLiteral("red pear"));
        QCOMPARE(cell(path, "Offset!D4"), QStringLiteral("r4c4 pear"));
    }
}

void TestRunOptions::currentDocumentIsOneFile()
{
    const QStringList files = copies(2);
    m_host->addList(files);
    m_host->currentDocument = files.at(1);
    choose(Replaced, Current);
    setKeys(QStringLiteral("apple"), QStringLiteral("pear"));
    setSheets(QStringLiteral("默认页"));
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    QCOMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileDone)),
             QStringList{RunHost::tipCall(Tip::FileDone, files.at(1))});
    QCOMPARE(cell(files.at(1), "Offset!B2"), QStringLiteral("r2c2 pear"));
    QCOMPARE(cell(files.at(1), "Data!A2"), QStringLiteral("apple"));
    QCOMPARE(cell(files.at(0), "Offset!B2"), QStringLiteral("r2c2 apple"));
}

void TestRunOptions::deleteRemovesTheKeys()
{
    const QStringList files = copies(1);
    m_host->addList(files);
    choose(Delete, List);
    setKeys(QStringLiteral(" apple,cherry "), QString());
    setSheets(QStringLiteral("所有表"));
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    QCOMPARE(cell(files.at(0), "Offset!C3"), QStringLiteral("r3c3"));
    QCOMPARE(cell(files.at(0), "Data!A5"), QStringLiteral("pie"));
}

void TestRunOptions::emptyKeysAreAParameterError()
{
    const QStringList files = copies(1);
    const QByteArray before = WorkbookFixtures::readFile(files.at(0));
    m_host->addList(files);
    choose(Replaced, List);
    setKeys(QString(), QStringLiteral("pear"));
    start();
    QCOMPARE(m_host->calls,
             QStringList({"enabled:0", "enabled:1", RunHost::tipCall(Tip::ParametersInvalid)}));
    QVERIFY(m_panel->isEnabled());
    QCoreApplication::processEvents();
    QCOMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 0);
    QCOMPARE(WorkbookFixtures::readFile(files.at(0)), before);
}

// Over all lists each file takes the column of its place among all files of
// the run, as the table's columns were laid out.
void TestRunOptions::replaceByTableGivesEachFileItsColumn()
{
    const QStringList first = copies(2);
    const QStringList second = copies(1);
    m_host->addList(first);
    m_host->addList(second);
    choose(Replaced2, All);
    QCOMPARE(m_options->filePaths(), first + second);
    setCell(0, 0, QStringLiteral("apple"));
    setCell(0, 1, QStringLiteral("one"));
    setCell(0, 2, QStringLiteral("two"));
    setCell(0, 3, QStringLiteral("three"));
    setSheets(QStringLiteral("首表"));
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    QCOMPARE(cell(first.at(0), "Data!A2"), QStringLiteral("one"));
    QCOMPARE(cell(first.at(1), "Data!A2"), QStringLiteral("two"));
    QCOMPARE(cell(second.at(0), "Data!A2"), QStringLiteral("three"));
    QCOMPARE(cell(second.at(0), "Data!B2"), QStringLiteral("red three"));
}

// A file added after the table took its columns has no column of its own:
// it is reported and left as it was instead of losing its keys, and the
// files that have their columns still run.
void TestRunOptions::fileWithoutItsColumnIsLeftAlone()
{
    const QStringList files = copies(3);
    const int list = m_host->addList(files.mid(0, 2));
    choose(Replaced2, List);
    setCell(0, 0, QStringLiteral("apple"));
    setCell(0, 1, QStringLiteral("one"));
    setCell(0, 2, QStringLiteral("two"));
    setSheets(QStringLiteral("首表"));
    m_host->appendFile(list, files.at(2));
    const QByteArray before = WorkbookFixtures::readFile(files.at(2));
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    QCOMPARE(m_host->count(RunHost::tipCall(Tip::ParametersInvalid)), 1);
    QCOMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileDone)).size(), 2);
    QCOMPARE(cell(files.at(0), "Data!A2"), QStringLiteral("one"));
    QCOMPARE(cell(files.at(1), "Data!A2"), QStringLiteral("two"));
    QCOMPARE(WorkbookFixtures::readFile(files.at(2)), before);
    QVERIFY(m_host->enabled);
}

void TestRunOptions::addingAStep_data()
{
    QTest::addColumn<bool>("panel");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("keys");
    // After the StepRecording tip.
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("replace") << true << int(Replaced) << "apple"
                             << QStringList{
                                    RunHost::tipCall(Tip::StepListLength,
                                                     QStringLiteral("Wendral vector length:1")),
                                    "appendStep:字符处理:替换1,2"};
    QTest::newRow("no operation") << true << int(Explain) << "apple"
                                  << QStringList{RunHost::tipCall(
                                                     Tip::StepListLength,
                                                     QStringLiteral("Wendral vector length:0")),
                                                 "appendStep:None:None,2"};
    QTest::newRow("subtract") << true << int(Subtract) << "apple"
                              << QStringList{
                                     RunHost::tipCall(Tip::StepListLength,
                                                      QStringLiteral("Wendral vector length:0")),
                                     "appendStep:,2"};
    QTest::newRow("no keys") << true << int(Replaced) << ""
                             << QStringList{"enabled:1", RunHost::tipCall(Tip::ParametersInvalid)};
    QTest::newRow("no options panel")
        << false << int(Replaced) << "apple"
        << QStringList{"enabled:1", RunHost::tipCall(Tip::ParametersInvalid)};
}
void TestRunOptions::addingAStep()
{
    QFETCH(bool, panel);
    QFETCH(int, kind);
    QFETCH(QString, keys);
    QFETCH(QStringList, calls);
    choose(Enum_TextIndex(kind), List);
    setKeys(keys, QStringLiteral("pear"));
    m_host->calls.clear();
    if (panel) {
        m_plugin->addStep(7);
    } else {
        Wendral bare;
        bare.addStep(7);
    }
    QCOMPARE(m_host->calls,
             QStringList{RunHost::tipCall(
                 Tip::StepRecording, QStringLiteral("curText: 唯一值:7 操作值:%1").arg(kind))} +
                 calls);
}

void TestRunOptions::removingAndRunningByUnknownIds()
{
    m_host->addList(copies(1));
    choose(Replaced, List);
    setKeys(QStringLiteral("apple"), QStringLiteral("pear"));
    m_plugin->addStep(1);
    m_plugin->addStep(2);
    m_host->calls.clear();
    m_plugin->removeStep(9);
    m_plugin->removeStep(1);
    m_plugin->runStep(1);
    QCOMPARE(m_host->calls,
             QStringList({RunHost::tipCall(Tip::StepRemoving,
                                           QStringLiteral("Wendral removeStep vector length:2")),
                          RunHost::tipCall(Tip::StepRemoved,
                                           QStringLiteral("Wendral removeStep vector length:2")),
                          RunHost::tipCall(Tip::StepRemoving,
                                           QStringLiteral("Wendral removeStep vector length:2")),
                          RunHost::tipCall(Tip::StepRemoved,
                                           QStringLiteral("Wendral removeStep vector length:1"))}));
    m_plugin->clearStep();
    m_plugin->runStep(2);
    QCOMPARE(m_host->tips().mid(4), QStringList({RunHost::tipCall(Tip::AllThreadsDone)}));
}

void TestRunOptions::cellOperationsTakeTheDockOptions_data()
{
    QTest::addColumn<int>("kind");
    // A button to check, or a box and its text after "=".
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("retain") << int(Retain)
                            << QStringList{"radioButton_key", "plainTextEdit_replacedKey=apple"}
                            << QStringList{"Data!B2", "Data!B3"} << QStringList{"red apple", ""};
    QTest::newRow("characters") << int(Char)
                                << QStringList{"radioButton_charRight", "radioButton_charDelete",
                                               "lineEdit_charDelete=2"}
                                << QStringList{"Data!A2", "Data!B3"} << QStringList{"app", "yell"};
    QTest::newRow("spaces") << int(Space) << QStringList{"radioButton_SpaceAll"}
                            << QStringList{"Data!B2"} << QStringList{"redapple"};
    QTest::newRow("append") << int(Add)
                            << QStringList{"radioButton_textAddRight", "lineEdit_AddPos=0",
                                           "lineEdit_AddArrive=2"}
                            << QStringList{"Data!A2"} << QStringList{"appleap"};
}

void TestRunOptions::cellOperationsTakeTheDockOptions()
{
    QFETCH(int, kind);
    QFETCH(QStringList, settings);
    QFETCH(QStringList, cells);
    QFETCH(QStringList, texts);
    // basic.xlsx as LibreOffice saves it in the Excel 97-2003 format.
    const QStringList files = copies(2) + copies(1, QStringLiteral("basic-libreoffice.xls"));
    m_host->addList(files);
    choose(Enum_TextIndex(kind), List);
    for (const QString &setting : qAsConst(settings)) {
        const QString name = setting.section(QLatin1Char('='), 0, 0);
        const QString text = setting.section(QLatin1Char('='), 1);
        if (auto *button = m_options->findChild<QRadioButton *>(name))
            button->setChecked(true);
        else if (auto *line = m_options->findChild<QLineEdit *>(name))
            line->setText(text);
        else
            namedChild<QPlainTextEdit>(m_options, qPrintable(name))->setPlainText(text);
    }
    setSheets(QStringLiteral("首表"));
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    QCOMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileDone)).size(), files.size());
    for (const QString &path : files) {
        for (int i = 0; i < cells.size(); ++i)
            QCOMPARE(cell(path, cells.at(i)), texts.at(i));
    }
}

// Every file of the list has the first letter of each word of every sheet
// upper-cased; nothing else of it changes.
void TestRunOptions::conversionOverAList()
{
    const QStringList files = copies(2);
    const QVariantMap before = WorkbookSnapshot::take(files.at(0));
    m_host->addList(files);
    choose(To, List);
    namedChild<QRadioButton>(m_options, "radioButton_textToCase")->setChecked(true);
    namedChild<QRadioButton>(m_options, "radioButton_textToCapital")->setChecked(true);
    namedChild<QComboBox>(m_options, "comboBox_textToCase")->setCurrentIndex(2);
    setSheets(QStringLiteral("所有表"));
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    QCOMPARE(m_host->tips().filter(RunHost::tipCall(Tip::FileSaved)).size(), 2);
    for (const QString &path : files) {
        const QVariantMap after = WorkbookSnapshot::take(path);
        // Seven texts on Data, the nine of Offset.
        QCOMPARE(WorkbookSnapshot::changedCells(before, after).size(), 16);
        const QVariantMap cells = after.value("cells").toMap();
        QCOMPARE(cells.value("Data!A5").toString(), QStringLiteral("Cherry Pie"));
        QCOMPARE(cells.value("Data!B5").toString(), QStringLiteral("  Two Leading"));
        QCOMPARE(cells.value("Data!A3").toString(), QStringLiteral("Banana"));
        QCOMPARE(cells.value("Offset!C3").toString(), QStringLiteral("R3c3 Apple"));
        QCOMPARE(cells.value("Data!E3").toString(), QStringLiteral("=C3*D3"));
        QCOMPARE(after.value("styles"), before.value("styles"));
    }
}

// AES with a password there and back: every text comes back, Chinese
// included; on the way it is no longer readable.
void TestRunOptions::encodingOverAListAndBack()
{
    const QStringList files = copies(2);
    m_host->addList(files);
    choose(Code, List);
    auto *option = namedChild<QComboBox>(m_options, "comboBox_CodeOption");
    option->setCurrentIndex(option->findText(QStringLiteral("AES_128")));
    namedChild<QPlainTextEdit>(m_options, "plainTextEdit_CodePassword")
        ->setPlainText(QStringLiteral("pass word"));
    setSheets(QStringLiteral("所有表"));
    namedChild<QRadioButton>(m_options, "radioButton_CodeCode")->setChecked(true);
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    const QString encoded = cell(files.at(1), "Data!A4");
    QVERIFY(!encoded.isEmpty());
    QVERIFY(encoded != QStringLiteral("苹果"));
    QCOMPARE(cell(files.at(0), "Data!A4"), encoded);

    m_host->calls.clear();
    namedChild<QRadioButton>(m_options, "radioButton_45")->setChecked(true);
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    for (const QString &path : files) {
        QCOMPARE(cell(path, "Data!A4"), QStringLiteral("苹果"));
        QCOMPARE(cell(path, "Data!B4"), QStringLiteral("中文 文本"));
        QCOMPARE(cell(path, "Offset!D4"), QStringLiteral("r4c4 apple"));
    }
}

void TestRunOptions::inputGivenDuringARunIsDropped_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("click") << false;
    QTest::newRow("space") << true;
}
// A second press of the start button while a run holds the window waits in
// the queue until the run is over: it must not run the list a second time.
// The pointer shows busy while the run holds the window.
void TestRunOptions::inputGivenDuringARunIsDropped()
{
    QFETCH(bool, byKey);
    const QStringList files = copies(2);
    m_host->addList(files);
    choose(Replaced, All);
    setKeys(QStringLiteral("apple"), QStringLiteral("apple+"));
    setSheets(QStringLiteral("首表"));
    auto *button = namedChild<QPushButton>(m_panel, "pushButton_start");
    Qt::CursorShape during = Qt::ArrowCursor;
    bool queued = false;
    m_host->onFileCount = [&] {
        if (std::exchange(queued, true))
            return;
        if (QApplication::overrideCursor())
            during = QApplication::overrideCursor()->shape();
        for (bool press : {true, false}) {
            QEvent *event = nullptr;
            if (byKey)
                event = new QKeyEvent(press ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Space,
                                      Qt::NoModifier, QStringLiteral(" "));
            else
                event =
                    new QMouseEvent(press ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease,
                                    button->rect().center(), Qt::LeftButton,
                                    press ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::postEvent(button, event);
        }
    };
    start();
    QCOMPARE(during, Qt::WaitCursor);
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    QTRY_VERIFY(!QApplication::overrideCursor());
    QCOMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    QCOMPARE(cell(files.at(0), "Data!A2"), QStringLiteral("apple+"));

    // Once the run is over, the button answers again.
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 2);
    QCOMPARE(cell(files.at(1), "Data!A2"), QStringLiteral("apple++"));
}

// A question that work queued during the run opens before the hold has
// ended takes the user's keys.
void TestRunOptions::questionOpenedWhileTheRunHoldsTakesKeys()
{
    m_host->addList(copies(1));
    choose(Replaced, All);
    setKeys(QStringLiteral("apple"), QStringLiteral("pear"));
    bool queued = false;
    bool byKey = false;
    m_host->onFileCount = [&] {
        if (std::exchange(queued, true))
            return;
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::No);
                QTimer::singleShot(0, &box, [&] {
                    QTest::keyClick(&box, Qt::Key_Escape);
                    byKey = !box.isVisible();
                    if (!byKey)
                        box.reject();
                });
                box.exec();
            },
            Qt::QueuedConnection);
    };
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    QVERIFY(byKey);
}

void TestRunOptions::scriptConversionUnderEitherEncoding_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QStringList>("expected");
    for (const QByteArray locale : {QByteArray("UTF-8"), QByteArray("GB18030")}) {
        QTest::addRow("%s to traditional", locale.constData())
            << locale << 0 << QStringList{"國家", "國家", "發展"};
        QTest::addRow("%s to simplified", locale.constData())
            << locale << 3 << QStringList{"国家", "国家", "发展"};
    }
}

// The shipped lists are UTF-8; under the host's ANSI setting they convert
// as they do under UTF-8, and a blank line inserts nothing anywhere.
void TestRunOptions::scriptConversionUnderEitherEncoding()
{
    QFETCH(QByteArray, locale);
    QFETCH(int, direction);
    ContentCodec::choose(QTextCodec::codecForName(locale));
    const QStringList texts{"国家", "國家", "發展"};
    const QString path = m_dir->filePath(QStringLiteral("script.xlsx"));
    QVERIFY(WorkbookFixtures::writePackage(
        path, WorkbookMaker::textWorkbook(QStringLiteral("S"), texts.size(), 1,
                                          [&texts](int row, int) { return texts.at(row - 1); })));
    m_host->addList({path});
    choose(To, List);
    namedChild<QRadioButton>(m_options, "radioButton_textToTradition")->setChecked(true);
    namedChild<QComboBox>(m_options, "comboBox_textToTradition")->setCurrentIndex(direction);
    setSheets(QStringLiteral("首表"));
    start();
    QTRY_COMPARE(m_host->count(RunHost::tipCall(Tip::AllThreadsDone)), 1);
    ContentCodec::choose(nullptr);
    QStringList column;
    for (int row = 1; row <= texts.size(); ++row)
        column << cell(path, QStringLiteral("S!A%1").arg(row));
    QTEST(column, "expected");
}

QTEST_MAIN(TestRunOptions)
#include "tst_runoptions.moc"
