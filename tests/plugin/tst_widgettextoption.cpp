#include "NamedChild.h"
#include "RunHost.h"
#include "TestTips.h"
#include "TextFit.h"
#include "frame/PluginGlobals.h"
#include "panels/WidgetTextOption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QtTest>

#include <memory>

namespace {

QStringList headers(const QTableWidget *table)
{
    QStringList texts;
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem *item = table->horizontalHeaderItem(column);
        texts.append(item ? item->text() : QString());
    }
    return texts;
}

} // namespace

class TestWidgetTextOption : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WidgetTextOption> panel;
    std::unique_ptr<RunHost> host;

    template<typename T>
    T *child(const char *name)
    {
        return namedChild<T>(panel.get(), name);
    }
    QPlainTextEdit *keyBox() { return child<QPlainTextEdit>("plainTextEdit_replacedKey"); }
    QPlainTextEdit *withBox() { return child<QPlainTextEdit>("plainTextEdit_replaceWith"); }
    QTableWidget *table() { return child<QTableWidget>("tableWidget_replaced2"); }
    int page() { return child<QStackedWidget>("stackedWidget_3")->currentIndex(); }
    void typeInto(int row, int column, const QString &text)
    {
        QTableWidgetItem *item = table()->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            table()->setItem(row, column, item);
        }
        item->setText(text);
    }

private slots:
    void init()
    {
        host = std::make_unique<RunHost>();
        g_hostFace = host.get();
        g_curTextIndex = Explain;
        g_range = All;
        panel = std::make_unique<WidgetTextOption>(QStringLiteral("<b>说明</b>"));
        panel->show();
    }

    void cleanup()
    {
        panel.reset();
        g_hostFace = nullptr;
        host.reset();
    }

    void startsOnTheExplanation()
    {
        QCOMPARE(page(), 6);
        QCOMPARE(panel->windowTitle(), QStringLiteral("处理-说明"));
        QCOMPARE(child<QLabel>("label_explain")->text(), QStringLiteral("<b>说明</b>"));
        QVERIFY(child<QComboBox>("comboBox_page")->isHidden());
        QVERIFY(child<QLabel>("label_7")->isHidden());
        QCOMPARE(panel->size(), QSize(336, 462));
        QCOMPARE(panel->property("floating").toBool(), true);
        QCOMPARE(panel->dataPath(), QDir::currentPath() + QStringLiteral("/data/"));
    }

    void newPanelShowsTheCurrentOperation()
    {
        g_curTextIndex = Space;
        WidgetTextOption other{QString()};
        QCOMPARE(other.findChild<QStackedWidget *>("stackedWidget_3")->currentIndex(), 3);
        QCOMPARE(other.windowTitle(), QStringLiteral("处理选项 - 字符处理:空格"));
    }

    void eachOperationHasItsTitleAndPage_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("page");
        QTest::newRow("replace") << 1 << "处理选项 - 字符处理:替换" << 0;
        QTest::newRow("replace by table") << 2 << "处理选项 - 字符处理:替换2" << 0;
        QTest::newRow("retain") << 3 << "处理选项 - 字符处理:保留" << 0;
        QTest::newRow("delete") << 4 << "处理选项 - 字符处理:删除" << 0;
        QTest::newRow("convert") << 5 << "处理选项 - 字符处理:转换" << 1;
        QTest::newRow("code") << 6 << "处理选项 - 字符处理:编解码" << 2;
        QTest::newRow("characters") << 7 << "处理选项 - 字符处理:字符" << 4;
        QTest::newRow("spaces") << 8 << "处理选项 - 字符处理:空格" << 3;
        QTest::newRow("append") << 9 << "处理选项 - 字符处理:追加" << 5;
        QTest::newRow("explain") << 0 << "处理-说明" << 6;
    }

    void eachOperationHasItsTitleAndPage()
    {
        QFETCH(int, index);
        QFETCH(QString, title);
        QFETCH(int, page);
        panel->curTextSlot(Enum_TextIndex(index));
        QCOMPARE(panel->windowTitle(), title);
        QCOMPARE(this->page(), page);
        // The sheet chooser applies to every operation, not to the explanation.
        QCOMPARE(child<QComboBox>("comboBox_page")->isVisible(), page != 6);
        QCOMPARE(child<QLabel>("label_7")->isVisible(), page != 6);
    }

    void everyTextFitsOnEachPage_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("stack");
        QTest::addColumn<int>("page");
        QTest::newRow("replace") << 1 << QString() << 0;
        QTest::newRow("replace by table") << 2 << QString() << 0;
        QTest::newRow("retain") << 3 << QString() << 0;
        QTest::newRow("convert case") << 5 << "stackedWidget_textTo" << 0;
        QTest::newRow("convert width") << 5 << "stackedWidget_textTo" << 1;
        QTest::newRow("convert bases") << 5 << "stackedWidget_textTo" << 2;
        QTest::newRow("convert script") << 5 << "stackedWidget_textTo" << 3;
        QTest::newRow("convert custom") << 5 << "stackedWidget_textTo" << 4;
        QTest::newRow("code") << 6 << "stackedWidget_code" << 0;
        QTest::newRow("code with password") << 6 << "stackedWidget_code" << 1;
        QTest::newRow("characters") << 7 << QString() << 0;
        QTest::newRow("spaces") << 8 << QString() << 0;
        QTest::newRow("append") << 9 << QString() << 0;
    }

    void everyTextFitsOnEachPage()
    {
        QFETCH(int, index);
        QFETCH(QString, stack);
        QFETCH(int, page);
        panel->curTextSlot(Enum_TextIndex(index));
        if (!stack.isEmpty())
            child<QStackedWidget>(qPrintable(stack))->setCurrentIndex(page);
        // The font a desktop without a theme gives the program; the offscreen
        // platform's own default is 12 points.
        panel->setFont(QFont(QStringLiteral("Sans Serif"), 9));
        QCoreApplication::sendPostedEvents();
        const QStringList cut = textsCutShort(panel.get());
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }

    void subtractChangesOnlyTheTitle()
    {
        panel->curTextSlot(Code);
        panel->curTextSlot(Subtract);
        QCOMPARE(panel->windowTitle(), QStringLiteral("处理选项 - 字符处理:减去"));
        QCOMPARE(page(), 2);
        panel->curTextSlot(Enum_TextIndex(42));
        QCOMPARE(panel->windowTitle(), QStringLiteral("处理选项 - 字符处理:减去"));
    }

    void replaceKeepsTheReplacements()
    {
        panel->curTextSlot(Replaced);
        keyBox()->setPlainText(QStringLiteral("a"));
        withBox()->setPlainText(QStringLiteral("b"));
        panel->curTextSlot(Replaced);
        QVERIFY(keyBox()->toPlainText().isEmpty());
        QCOMPARE(withBox()->toPlainText(), QStringLiteral("b"));
        QVERIFY(withBox()->isVisible());
        QCOMPARE(child<QLabel>("label_41")->text(), QStringLiteral("被替换关键字:"));
        QVERIFY(child<QLabel>("label_42")->isVisible());
        QVERIFY(child<QLineEdit>("lineEdit_Separator")->isVisible());
        QCOMPARE(child<QStackedWidget>("stackedWidget_replaced")->currentIndex(), 0);
    }

    void deleteAndRetainEmptyBothBoxes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("separatorShown");
        QTest::newRow("delete") << 4 << "被删除的内容或位置:" << true;
        QTest::newRow("retain") << 3 << "被保留的内容或位置(每行一个):" << false;
    }

    void deleteAndRetainEmptyBothBoxes()
    {
        QFETCH(int, index);
        QFETCH(QString, caption);
        QFETCH(bool, separatorShown);
        panel->curTextSlot(Replaced);
        keyBox()->setPlainText(QStringLiteral("a"));
        withBox()->setPlainText(QStringLiteral("b"));
        child<QRadioButton>("radioButton_keyRegular")->click();
        panel->curTextSlot(Enum_TextIndex(index));
        QVERIFY(keyBox()->toPlainText().isEmpty());
        QVERIFY(withBox()->toPlainText().isEmpty());
        QVERIFY(withBox()->isHidden());
        QVERIFY(child<QLabel>("label_42")->isHidden());
        QCOMPARE(child<QLabel>("label_41")->text(), caption);
        QCOMPARE(child<QLineEdit>("lineEdit_Separator")->isVisible(), separatorShown);
        QVERIFY(child<QRadioButton>("radioButton_keyOrdinary")->isChecked());
    }

    void retainHidesWhatDoesNotApply()
    {
        panel->curTextSlot(Retain);
        QVERIFY(child<QComboBox>("comboBox_searchOrder")->isHidden());
        QVERIFY(child<QRadioButton>("radioButton_keyExtend")->isHidden());
        QVERIFY(child<QRadioButton>("radioButton_keyRegular")->isHidden());
        QVERIFY(child<QCheckBox>("checkBox_keyIsGreedy")->isHidden());
        QVERIFY(child<QLabel>("label_13")->isHidden());
        QVERIFY(child<QCheckBox>("checkBox_lookAt")->isVisible());
        QVERIFY(child<QCheckBox>("checkBox_matchCase")->isVisible());

        panel->curTextSlot(Delete);
        QVERIFY(child<QRadioButton>("radioButton_keyExtend")->isVisible());
        QVERIFY(child<QLineEdit>("lineEdit_Separator")->isVisible());
    }

    void rangeAllGivesAColumnPerFileListByList()
    {
        host->addList({"/w/a/one.xlsx", "/w/a/two.xlsx"});
        host->addList({"/w/b/three.xlsx", "/w/b/four.xlsx", "/w/b/five.xlsx"});
        panel->curTextSlot(Replaced2);
        QCOMPARE(child<QStackedWidget>("stackedWidget_replaced")->currentIndex(), 1);
        QCOMPARE(headers(table()), QStringList({"关键字", "one.xlsx", "two.xlsx", "three.xlsx",
                                                "four.xlsx", "five.xlsx"}));
        QCOMPARE(panel->filePaths().size(), 5);
        QCOMPARE(panel->filePaths().at(2), QStringLiteral("/w/b/three.xlsx"));
    }

    void rangeListAndCurrentDocument()
    {
        host->addList({"/w/a/one.xlsx"});
        host->addList({"/w/b/two.xlsx", "/w/b/three.xlsx"});
        host->currentList = 1;
        g_range = List;
        panel->rep2RangeSlot();
        QCOMPARE(headers(table()), QStringList({"关键字", "two.xlsx", "three.xlsx"}));

        g_range = Current;
        panel->rep2RangeSlot();
        QCOMPARE(headers(table()), QStringList({"关键字"}));
        host->currentDocument = QStringLiteral("/w/c/open.xlsx");
        panel->rep2RangeSlot();
        QCOMPARE(headers(table()), QStringList({"关键字", "open.xlsx"}));
    }

    void rangeKeepsTypedKeys()
    {
        host->addList({"/w/a/one.xlsx", "/w/a/two.xlsx"});
        panel->curTextSlot(Replaced2);
        typeInto(0, 0, QStringLiteral("k"));
        typeInto(0, 2, QStringLiteral("v"));
        g_range = Current;
        panel->rep2RangeSlot();
        QCOMPARE(table()->columnCount(), 1);
        QCOMPARE(table()->item(0, 0)->text(), QStringLiteral("k"));
        QCOMPARE(table()->rowCount(), 2);
    }

    void noHostLeavesTheColumns()
    {
        host->addList({"/w/a/one.xlsx"});
        panel->rep2RangeSlot();
        g_hostFace = nullptr;
        g_range = Current;
        panel->rep2RangeSlot();
        QCOMPARE(table()->columnCount(), 2);
    }

    void tableGrowsBelowTheLastKey()
    {
        host->addList({"/w/a/one.xlsx", "/w/a/two.xlsx"});
        panel->curTextSlot(Replaced2);
        QCOMPARE(table()->rowCount(), 1);
        typeInto(0, 0, QStringLiteral("k1"));
        QCOMPARE(table()->rowCount(), 2);
        for (int column = 0; column < 3; ++column) {
            QVERIFY(table()->item(1, column));
            QVERIFY(table()->item(1, column)->text().isEmpty());
        }
        // Editing a row above the last adds nothing.
        typeInto(0, 1, QStringLiteral("r1"));
        QCOMPARE(table()->rowCount(), 2);
        typeInto(1, 0, QStringLiteral("k2"));
        QCOMPARE(table()->rowCount(), 3);
    }

    void keyBelowAnEmptyKeyIsRefused()
    {
        panel->curTextSlot(Replaced2);
        typeInto(0, 0, QStringLiteral("k1"));
        typeInto(0, 0, QString());
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);
        typeInto(1, 0, QStringLiteral("k2"));
        QCOMPARE(tips.count(), 1);
        QCOMPARE(tips.at(0), tipArgs(Tip::EmptyReplaceKey));
        QVERIFY(table()->item(1, 0)->text().isEmpty());
        QCOMPARE(table()->rowCount(), 2);
    }

    void hoveringAFileColumnShowsItsPath()
    {
        host->addList({"/w/a/one.xlsx", "/w/b/two.xlsx"});
        panel->curTextSlot(Replaced2);
        emit table()->cellEntered(0, 2);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("/w/b/two.xlsx"));
        QToolTip::hideText();
        QTRY_VERIFY(QToolTip::text().isEmpty());
        emit table()->cellEntered(0, 0);
        QTest::qWait(50);
        QVERIFY(QToolTip::text().isEmpty());
    }

    void clearOnTheTableLeavesOneCell()
    {
        host->addList({"/w/a/one.xlsx", "/w/b/two.xlsx"});
        panel->curTextSlot(Replaced2);
        typeInto(0, 0, QStringLiteral("k1"));
        child<QPushButton>("pushButton_replacedClear")->click();
        QCOMPARE(table()->rowCount(), 1);
        QCOMPARE(table()->columnCount(), 1);
        QVERIFY(table()->item(0, 0));
        QVERIFY(table()->item(0, 0)->text().isEmpty());
        QCOMPARE(headers(table()), QStringList({"关键字"}));
        // Without file columns no path is shown.
        QToolTip::hideText();
        QTRY_VERIFY(QToolTip::text().isEmpty());
        emit table()->cellEntered(0, 1);
        QTest::qWait(50);
        QVERIFY(QToolTip::text().isEmpty());
    }

    void clearOnTheBoxesEmptiesBoth()
    {
        panel->curTextSlot(Replaced);
        keyBox()->setPlainText(QStringLiteral("a"));
        withBox()->setPlainText(QStringLiteral("b"));
        child<QPushButton>("pushButton_replacedClear")->click();
        QVERIFY(keyBox()->toPlainText().isEmpty());
        QVERIFY(withBox()->toPlainText().isEmpty());
    }

    void searchModeFollowsTheChoices()
    {
        panel->curTextSlot(Replaced);
        QCheckBox *greedy = child<QCheckBox>("checkBox_keyIsGreedy");
        QCheckBox *lookAt = child<QCheckBox>("checkBox_lookAt");
        QVERIFY(!greedy->isEnabled());
        QVERIFY(lookAt->isEnabled());
        child<QRadioButton>("radioButton_keyRegular")->click();
        QVERIFY(greedy->isEnabled());
        QVERIFY(!lookAt->isEnabled());
        child<QRadioButton>("radioButton_position")->click();
        QVERIFY(!child<QCheckBox>("checkBox_matchCase")->isEnabled());
        QVERIFY(!child<QGroupBox>("groupBox")->isEnabled());
        child<QRadioButton>("radioButton_key")->click();
        QVERIFY(child<QCheckBox>("checkBox_matchCase")->isEnabled());
        QVERIFY(child<QGroupBox>("groupBox")->isEnabled());
    }

    void conversionKindsShowTheirPages()
    {
        panel->curTextSlot(To);
        QStackedWidget *pages = child<QStackedWidget>("stackedWidget_textTo");
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);
        const char *kinds[] = {"radioButton_textToCase", "radioButton_textToHalfFull",
                               "radioButton_textToBase", "radioButton_textToTradition",
                               "radioButton_textToCustom"};
        for (int i = 0; i < 5; ++i) {
            child<QRadioButton>(kinds[i])->click();
            QCOMPARE(pages->currentIndex(), i);
        }
        // Only the script conversion tells that its lists hold examples.
        QCOMPARE(tips.count(), 1);
        QCOMPARE(tips.at(0), tipArgs(Tip::RegionListsAreSamples));
    }

    void wordReplacementAllowsResultOneOnly()
    {
        QRadioButton *result2 = child<QRadioButton>("radioButton_textToResult2");
        result2->click();
        child<QRadioButton>("radioButton_textToMany")->click();
        QVERIFY(child<QRadioButton>("radioButton_textToResult1")->isChecked());
        QVERIFY(!result2->isEnabled());
        child<QRadioButton>("radioButton_textToOne")->click();
        QVERIFY(result2->isEnabled());
    }

    void formatTwoTakesListedBasesOnly()
    {
        QComboBox *before = child<QComboBox>("comboBox_textToBaseBefore");
        QComboBox *after = child<QComboBox>("comboBox_textToBaseAfter");
        QVERIFY(before->isEditable());
        before->setEditText(QStringLiteral("16"));
        child<QRadioButton>("radioButton_textToFormat2")->click();
        QVERIFY(!before->isEditable());
        QCOMPARE(before->currentText(), QStringLiteral("16"));

        child<QRadioButton>("radioButton_textToFormat1")->click();
        QVERIFY(before->isEditable());
        // The digit check survives the combo's round trip through not editable.
        QVERIFY(before->validator());
        QTest::keyClicks(before->lineEdit(), QStringLiteral("x3"));
        QCOMPARE(before->currentText(), QStringLiteral("163"));

        before->setEditText(QStringLiteral("36"));
        child<QRadioButton>("radioButton_textToFormat2")->click();
        QVERIFY(!before->isEditable());
        after->setEditText(QStringLiteral("36"));
        const QString beforeText = before->currentText();
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);
        child<QPushButton>("pushButton_textToBaseAB2BA")->click();
        QCOMPARE(tips.count(), 1);
        QCOMPARE(tips.at(0), tipArgs(Tip::FormatTwoNotCustom));
        QCOMPARE(before->currentText(), beforeText);
        QCOMPARE(after->currentText(), QStringLiteral("36"));
    }

    void swapExchangesTheBases()
    {
        QComboBox *before = child<QComboBox>("comboBox_textToBaseBefore");
        QComboBox *after = child<QComboBox>("comboBox_textToBaseAfter");
        before->setEditText(QStringLiteral("36"));
        child<QPushButton>("pushButton_textToBaseAB2BA")->click();
        QCOMPARE(before->currentText(), QStringLiteral("2"));
        QCOMPARE(after->currentText(), QStringLiteral("36"));

        child<QRadioButton>("radioButton_textToFormat2")->click();
        after->setEditText(QStringLiteral("8"));
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);
        child<QPushButton>("pushButton_textToBaseAB2BA")->click();
        QVERIFY(tips.isEmpty());
        QCOMPARE(before->currentText(), QStringLiteral("8"));
        QCOMPARE(after->currentText(), QStringLiteral("2"));
    }

    void numberBoxesTakeDigitsOnly()
    {
        const char *boxes[] = {"lineEdit_SpaceNumber", "lineEdit_charPos", "lineEdit_charDelete",
                               "lineEdit_charRetain",  "lineEdit_AddPos",  "lineEdit_AddArrive"};
        for (const char *name : boxes) {
            QLineEdit *box = child<QLineEdit>(name);
            box->setEnabled(true);
            box->clear();
            QTest::keyClicks(box, QStringLiteral("1a-2 "));
            QCOMPARE(box->text(), QStringLiteral("12"));
        }
        QTest::keyClicks(child<QComboBox>("comboBox_textToBaseAfter")->lineEdit(),
                         QStringLiteral("q"));
        QCOMPARE(child<QComboBox>("comboBox_textToBaseAfter")->currentText(), QStringLiteral("2"));
    }

    void onlyAesAsksForAPassword()
    {
        QComboBox *options = child<QComboBox>("comboBox_CodeOption");
        QCOMPARE(options->count(), 24);
        QCOMPARE(options->itemText(8), QStringLiteral("-"));
        QStackedWidget *code = child<QStackedWidget>("stackedWidget_code");
        for (int i = 0; i < options->count(); ++i) {
            options->setCurrentIndex(i);
            QCOMPARE(code->currentIndex(), i == 2 ? 1 : 0);
        }
    }

    void characterChoicesEnableTheirBoxes()
    {
        QLineEdit *pos = child<QLineEdit>("lineEdit_charPos");
        QLineEdit *deleted = child<QLineEdit>("lineEdit_charDelete");
        QLineEdit *retained = child<QLineEdit>("lineEdit_charRetain");
        QComboBox *arrive = child<QComboBox>("comboBox_charArrive");
        QPlainTextEdit *added = child<QPlainTextEdit>("plainTextEdit_charIncrease");
        QVERIFY(!pos->isEnabled() && !deleted->isEnabled() && !retained->isEnabled());
        QVERIFY(!arrive->isEnabled() && added->isEnabled());
        child<QRadioButton>("radioButton_charPos")->click();
        QVERIFY(pos->isEnabled());
        child<QRadioButton>("radioButton_charDelete")->click();
        QVERIFY(deleted->isEnabled() && arrive->isEnabled() && !added->isEnabled());
        child<QRadioButton>("radioButton_charRetain")->click();
        QVERIFY(retained->isEnabled() && !deleted->isEnabled() && !arrive->isEnabled());
        child<QRadioButton>("radioButton_charRight")->click();
        QVERIFY(!pos->isEnabled());
    }

    void allSpacesCanOnlyBeDeleted()
    {
        child<QRadioButton>("radioButton_SpaceAll")->click();
        QVERIFY(child<QRadioButton>("radioButton_SpaceDelete")->isChecked());
        QVERIFY(!child<QRadioButton>("radioButton_SpaceIncrease")->isEnabled());
        QVERIFY(!child<QRadioButton>("radioButton_SpaceRetain")->isEnabled());
        QVERIFY(!child<QRadioButton>("radioButton_SpaceFixde")->isEnabled());
        QVERIFY(!child<QLineEdit>("lineEdit_SpaceNumber")->isEnabled());
        child<QRadioButton>("radioButton_SpaceLeft")->click();
        QVERIFY(child<QRadioButton>("radioButton_SpaceIncrease")->isEnabled());
        QVERIFY(child<QLineEdit>("lineEdit_SpaceNumber")->isEnabled());
        QVERIFY(child<QRadioButton>("radioButton_SpaceDelete")->isChecked());
    }

    void sheetChooserOffersTheSheetChoices()
    {
        QComboBox *sheets = child<QComboBox>("comboBox_page");
        QStringList items;
        for (int i = 0; i < sheets->count(); ++i) {
            items.append(sheets->itemText(i));
        }
        QCOMPARE(items, QStringList({"默认页", "首表", "尾表", "所有表", "指定表"}));
        QVERIFY(!sheets->isEditable());
    }
};

QTEST_MAIN(TestWidgetTextOption)
#include "tst_widgettextoption.moc"
