#include "ContentCodec.h"
#include "Option.h"
#include "ReadWriteTxt.h"
#include "Settings.h"
#include "TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCodec>
#include <QtMath>
#include <QtTest>

namespace {

const QString kDefaultSuffixes = QStringLiteral(
    "txt(*.txt)\nxml(*.xml)\njson(*.json)\nhtml(*.html  *.css *.js)\nsource(*.h *.cpp *.hpp "
    "*.py)\ncsv(*.csv)\nsvg(*.svg)\nAll(*.*)");

template<typename T>
T *child(Option &option, const char *name)
{
    T *found = option.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

QString read(const QString &group, const QString &key)
{
    return readSetting(configureFile(), group, key, QStringLiteral("<missing>"));
}

} // namespace

class TestOption : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanupTestCase();
    void windowAndTabs();
    void defaultsWithoutFiles();
    void saveWithoutFilesWritesAllThree();
    void loadsStoredValues();
    void pluginTableRoundTrip();
    void unknownCodecShowsAndSavesUtf8();
    void saveAppliesTheCodecAtOnce();
    void everySaveWritesAndSignals();
    void typedListCountIsStoredAsTyped();
    void filterLinesShowWhole();
};

void TestOption::init()
{
    QFile::remove(configureFile());
    QFile::remove(QStringLiteral("suffix.ini"));
    QFile::remove(QStringLiteral("plus.ini"));
    ContentCodec::choose(QTextCodec::codecForName("UTF-8"));
}

void TestOption::cleanupTestCase()
{
    ContentCodec::choose(nullptr);
}

void TestOption::windowAndTabs()
{
    QWidget owner;
    Option option(&owner);
    QCOMPARE(option.windowTitle(), QStringLiteral("选项"));
    QCOMPARE(option.windowModality(), Qt::ApplicationModal);
    QCOMPARE(option.windowType(), Qt::Dialog);
    QVERIFY(!(option.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(option.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(option.windowFlags() & Qt::WindowContextHelpButtonHint));

    auto *tabs = child<QTabWidget>(option, "tabWidget");
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles << tabs->tabText(i);
    QCOMPARE(titles, (QStringList{QStringLiteral("启动"), QStringLiteral("通用"),
                                  QStringLiteral("文本处理"), QStringLiteral("文本生成"),
                                  QStringLiteral("插件管理")}));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(child<QPushButton>(option, "pushButton_save")->text(), QStringLiteral("保存"));

    auto items = [](QComboBox *box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    };
    QCOMPARE(items(child<QComboBox>(option, "comboBox_close")),
             (QStringList{QStringLiteral("保存"), QStringLiteral("询问"), QStringLiteral("忽略")}));
    QCOMPARE(items(child<QComboBox>(option, "comboBox_drop")),
             (QStringList{QStringLiteral("文件内容"), QStringLiteral("文件路径")}));
    QCOMPARE(items(child<QComboBox>(option, "comboBox_code")),
             (QStringList{QStringLiteral("UTF-8"), QStringLiteral("ANSI")}));
    QCOMPARE(int(Option::CloseBefore::Inquiry), 1);
    QCOMPARE(QMetaEnum::fromType<Option::CloseBefore>().valueToKey(2), "Ignore");
}

void TestOption::defaultsWithoutFiles()
{
    Option option;
    // The one list the program starts with when the key is missing.
    QCOMPARE(child<QLineEdit>(option, "lineEdit_listNumber")->text(), QStringLiteral("1"));
    QCOMPARE(child<QComboBox>(option, "comboBox_close")->currentIndex(), 0);
    // The plug-in's default folder, not one at the root of the file system.
    QCOMPARE(child<QLineEdit>(option, "lineEdit_iniPath")->text(),
             QDir::currentPath() + QStringLiteral("/data/"));
    QCOMPARE(child<QComboBox>(option, "comboBox_code")->currentText(), QStringLiteral("UTF-8"));
    QVERIFY(child<QCheckBox>(option, "checkBox_firstSaveToList")->isChecked());
    QCOMPARE(child<QComboBox>(option, "comboBox_drop")->currentIndex(), 0);
    QVERIFY(child<QCheckBox>(option, "checkBox_add")->isChecked());
    QCOMPARE(child<QPlainTextEdit>(option, "plainTextEdit_suffix")->toPlainText(),
             kDefaultSuffixes);
    QVERIFY(!kDefaultSuffixes.contains(QStringLiteral("*.c ")));
    QCOMPARE(child<QListWidget>(option, "listWidget")->count(), 0);
    // Loading never creates a file.
    QVERIFY(!QFile::exists(configureFile()));
}

void TestOption::saveWithoutFilesWritesAllThree()
{
    Option option;
    option.show();
    QSignalSpy saved(&option, &Option::optionSignal);
    QTest::mouseClick(child<QPushButton>(option, "pushButton_save"), Qt::LeftButton);
    QCOMPARE(saved.count(), 1);
    QVERIFY(!option.isVisible());

    QCOMPARE(read(QStringLiteral("start"), QStringLiteral("listNumber")), QStringLiteral("1"));
    QCOMPARE(read(QStringLiteral("currency"), QStringLiteral("close")), QStringLiteral("0"));
    QCOMPARE(read(QStringLiteral("currency"), QStringLiteral("iniPath")),
             QDir::currentPath() + QStringLiteral("/data/"));
    QCOMPARE(read(QStringLiteral("text"), QStringLiteral("code")), QStringLiteral("UTF-8"));
    QCOMPARE(read(QStringLiteral("text"), QStringLiteral("firstSaveToList")), QStringLiteral("1"));
    QCOMPARE(read(QStringLiteral("text"), QStringLiteral("drop")), QStringLiteral("0"));
    QCOMPARE(read(QStringLiteral("new"), QStringLiteral("add")), QStringLiteral("1"));
    QCOMPARE(readTestFile(QStringLiteral("suffix.ini")), kDefaultSuffixes.toUtf8());
    QVERIFY(QFile::exists(QStringLiteral("plus.ini")));
    QCOMPARE(readTestFile(QStringLiteral("plus.ini")), QByteArray());
}

void TestOption::loadsStoredValues()
{
    writeSetting(configureFile(), QStringLiteral("start"), QStringLiteral("listNumber"),
                 QStringLiteral("3"));
    writeSetting(configureFile(), QStringLiteral("currency"), QStringLiteral("close"),
                 QStringLiteral("2"));
    writeSetting(configureFile(), QStringLiteral("currency"), QStringLiteral("iniPath"),
                 QStringLiteral("/词表/"));
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("code"),
                 QStringLiteral("ANSI"));
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("firstSaveToList"),
                 QStringLiteral("0"));
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("drop"),
                 QStringLiteral("1"));
    writeSetting(configureFile(), QStringLiteral("new"), QStringLiteral("add"),
                 QStringLiteral("0"));
    QVERIFY(writeTestFile(QStringLiteral("suffix.ini"), QByteArray("表格(*.xlsx)\nAll(*.*)")));

    Option option;
    QCOMPARE(child<QLineEdit>(option, "lineEdit_listNumber")->text(), QStringLiteral("3"));
    QCOMPARE(child<QComboBox>(option, "comboBox_close")->currentIndex(), 2);
    QCOMPARE(child<QLineEdit>(option, "lineEdit_iniPath")->text(), QStringLiteral("/词表/"));
    QCOMPARE(child<QComboBox>(option, "comboBox_code")->currentText(), QStringLiteral("ANSI"));
    QVERIFY(!child<QCheckBox>(option, "checkBox_firstSaveToList")->isChecked());
    QCOMPARE(child<QComboBox>(option, "comboBox_drop")->currentIndex(), 1);
    QVERIFY(!child<QCheckBox>(option, "checkBox_add")->isChecked());
    QCOMPARE(child<QPlainTextEdit>(option, "plainTextEdit_suffix")->toPlainText(),
             QStringLiteral("表格(*.xlsx)\nAll(*.*)"));
}

void TestOption::pluginTableRoundTrip()
{
    QVERIFY(
        writeTestFile(QStringLiteral("plus.ini"),
                      QByteArray("Text V0.0.0.7,2\nOther V1.0,0\nbare line\nOdd V2,3\nTwo,2,x")));
    Option option;
    auto *list = child<QListWidget>(option, "listWidget");
    QCOMPARE(list->count(), 5);
    const QStringList texts = {QStringLiteral("Text V0.0.0.7"), QStringLiteral("Other V1.0"),
                               QStringLiteral("bare line"), QStringLiteral("Odd V2"),
                               QStringLiteral("Two")};
    const QList<Qt::CheckState> states = {Qt::Checked, Qt::Unchecked, Qt::Unchecked, Qt::Unchecked,
                                          Qt::Checked};
    for (int row = 0; row < list->count(); ++row) {
        QCOMPARE(list->item(row)->text(), texts.at(row));
        QCOMPARE(list->item(row)->checkState(), states.at(row));
    }

    list->item(1)->setCheckState(Qt::Checked);
    list->item(0)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(child<QPushButton>(option, "pushButton_save"), Qt::LeftButton);
    QCOMPARE(readTestFile(QStringLiteral("plus.ini")),
             QByteArray("Text V0.0.0.7,0\nOther V1.0,2\nbare line,0\nOdd V2,0\nTwo,2"));
}

void TestOption::unknownCodecShowsAndSavesUtf8()
{
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("code"),
                 QStringLiteral("Big5-HKSCS"));
    Option option;
    QCOMPARE(child<QComboBox>(option, "comboBox_code")->currentText(), QStringLiteral("UTF-8"));
    QTest::mouseClick(child<QPushButton>(option, "pushButton_save"), Qt::LeftButton);
    QCOMPARE(read(QStringLiteral("text"), QStringLiteral("code")), QStringLiteral("UTF-8"));
}

void TestOption::saveAppliesTheCodecAtOnce()
{
    Option option;
    child<QComboBox>(option, "comboBox_code")->setCurrentText(QStringLiteral("ANSI"));
    child<QPlainTextEdit>(option, "plainTextEdit_suffix")
        ->setPlainText(QStringLiteral("文本(*.txt)"));
    QTest::mouseClick(child<QPushButton>(option, "pushButton_save"), Qt::LeftButton);
    QCOMPARE(ContentCodec::chosen(), QTextCodec::codecForName("GB18030"));
    // The filter list is already written in the new code page.
    QCOMPARE(readTestFile(QStringLiteral("suffix.ini")),
             QTextCodec::codecForName("GB18030")->fromUnicode(QStringLiteral("文本(*.txt)")));
    QCOMPARE(read(QStringLiteral("text"), QStringLiteral("code")), QStringLiteral("ANSI"));
}

void TestOption::everySaveWritesAndSignals()
{
    Option option;
    QSignalSpy saved(&option, &Option::optionSignal);
    auto *save = child<QPushButton>(option, "pushButton_save");
    QTest::mouseClick(save, Qt::LeftButton);
    QFile::remove(QStringLiteral("suffix.ini"));
    QFile::remove(QStringLiteral("plus.ini"));
    QFile::remove(configureFile());
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(saved.count(), 2);
    QVERIFY(QFile::exists(QStringLiteral("suffix.ini")));
    QVERIFY(QFile::exists(QStringLiteral("plus.ini")));
    QCOMPARE(read(QStringLiteral("new"), QStringLiteral("add")), QStringLiteral("1"));
}

void TestOption::typedListCountIsStoredAsTyped()
{
    Option option;
    child<QLineEdit>(option, "lineEdit_listNumber")->setText(QStringLiteral("两个"));
    child<QComboBox>(option, "comboBox_close")->setCurrentIndex(1);
    child<QCheckBox>(option, "checkBox_add")->setChecked(false);
    QTest::mouseClick(child<QPushButton>(option, "pushButton_save"), Qt::LeftButton);
    QCOMPARE(read(QStringLiteral("start"), QStringLiteral("listNumber")), QStringLiteral("两个"));
    QCOMPARE(read(QStringLiteral("currency"), QStringLiteral("close")), QStringLiteral("1"));
    QCOMPARE(read(QStringLiteral("new"), QStringLiteral("add")), QStringLiteral("0"));
}

// Each filter line of 文本处理 shows whole, neither wrapped nor cut.
void TestOption::filterLinesShowWhole()
{
    QWidget owner;
    Option option(&owner);
    option.show();
    QVERIFY(QTest::qWaitForWindowExposed(&option));
    child<QTabWidget>(option, "tabWidget")->setCurrentIndex(2);
    auto *box = child<QPlainTextEdit>(option, "plainTextEdit_suffix");
    const QStringList lines = box->toPlainText().split(QLatin1Char('\n'));
    const QFontMetrics metrics(box->font());
    const int margins = 2 * qCeil(box->document()->documentMargin());
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) + margins <= box->viewport()->width(),
                 qPrintable(line));
    // The last line ends inside the box.
    const QTextCursor last(box->document()->lastBlock());
    QVERIFY(box->cursorRect(last).bottom() < box->viewport()->height());
}

QTEST_MAIN(TestOption)
#include "tst_option.moc"
