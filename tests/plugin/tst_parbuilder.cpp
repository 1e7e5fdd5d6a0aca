#include "ContentCodec.h"
#include "NamedChild.h"
#include "ParAdd.h"
#include "ParChar.h"
#include "ParCode.h"
#include "ParReplaced.h"
#include "ParRetain.h"
#include "ParSpace.h"
#include "ParTo.h"
#include "PluginGlobals.h"
#include "TestTips.h"
#include "WidgetTextOption.h"
#include "WordListFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTextCodec>
#include <QtTest>

#include <memory>

using Pairs = QVector<QPair<QString, QString>>;

namespace {

Pairs pairs(std::initializer_list<QPair<QString, QString>> list)
{
    return Pairs(list);
}

} // namespace

class TestParBuilder : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WordListFolder> folder;
    std::unique_ptr<WidgetTextOption> panel;

    template<typename T>
    T *child(const char *name)
    {
        return namedChild<T>(panel.get(), name);
    }
    void setKeys(const QString &keys, const QString &with)
    {
        child<QPlainTextEdit>("plainTextEdit_replacedKey")->setPlainText(keys);
        child<QPlainTextEdit>("plainTextEdit_replaceWith")->setPlainText(with);
    }
    void choose(const char *radio) { child<QRadioButton>(radio)->click(); }
    void setCell(int row, int column, const QString &text)
    {
        child<QTableWidget>("tableWidget_replaced2")
            ->setItem(row, column, new QTableWidgetItem(text));
    }
    void writeOneToOne(const QString &newOne, const QString &oldOne)
    {
        folder->write(QStringLiteral("textTo_newOne.txt"), newOne);
        folder->write(QStringLiteral("textTo_oldOne.txt"), oldOne);
    }
    void chooseTradition(int direction)
    {
        choose("radioButton_textToTradition");
        child<QComboBox>("comboBox_textToTradition")->setCurrentIndex(direction);
    }

private slots:
    void initTestCase() { ContentCodec::choose(QTextCodec::codecForName("UTF-8")); }

    void init()
    {
        folder = std::make_unique<WordListFolder>();
        g_hostFace = nullptr;
        g_curTextIndex = Replaced;
        panel = std::make_unique<WidgetTextOption>(QString());
    }

    void cleanup()
    {
        panel.reset();
        folder.reset();
    }

    void keyLinesPairEachKeyWithItsLine_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("with");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<Pairs>("expected");
        QTest::newRow("two keys on a line") << "a,b\nc"
                                            << "x\ny"
                                            << "," << pairs({{"a", "x"}, {"b", "x"}, {"c", "y"}});
        QTest::newRow("empty part dropped") << "a,,b"
                                            << "x"
                                            << "," << pairs({{"a", "x"}, {"b", "x"}});
        QTest::newRow("no replacement lines") << "a\nb"
                                              << ""
                                              << "," << pairs({{"a", ""}, {"b", ""}});
        QTest::newRow("fewer replacement lines") << "a\nb"
                                                 << "x"
                                                 << "," << pairs({{"a", "x"}, {"b", ""}});
        QTest::newRow("empty separator splits characters") << "ab"
                                                           << "x"
                                                           << "" << pairs({{"a", "x"}, {"b", "x"}});
        QTest::newRow("separator of two characters") << "a;;b;c"
                                                     << "x"
                                                     << ";;" << pairs({{"a", "x"}, {"b;c", "x"}});
        QTest::newRow("separator is case-sensitive") << "aXbxc"
                                                     << "y"
                                                     << "x" << pairs({{"aXb", "y"}, {"c", "y"}});
        QTest::newRow("blanks are kept") << " a , b"
                                         << " x "
                                         << "," << pairs({{" a ", " x "}, {" b", " x "}});
        QTest::newRow("line of separators only") << ",,\nc"
                                                 << "x\ny"
                                                 << "," << pairs({{"c", "y"}});
    }

    void keyLinesPairEachKeyWithItsLine()
    {
        QFETCH(QString, keys);
        QFETCH(QString, with);
        QFETCH(QString, separator);
        QFETCH(Pairs, expected);
        setKeys(keys, with);
        child<QLineEdit>("lineEdit_Separator")->setText(separator);
        std::unique_ptr<ParReplaced> par(panel->getParReplaced());
        QVERIFY(par);
        QCOMPARE(par->pairs, expected);
    }

    void keyLinesWithAnEmptyLineGiveNoRecord_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::newRow("empty box") << "";
        QTest::newRow("empty second line") << "a\n";
        QTest::newRow("empty line between") << "a\n\nb";
        QTest::newRow("empty first line") << "\na";
    }

    void keyLinesWithAnEmptyLineGiveNoRecord()
    {
        QFETCH(QString, keys);
        setKeys(keys, QStringLiteral("x"));
        QVERIFY(!panel->getParReplaced());
        QVERIFY(!panel->getParRetain());
    }

    void deleteEmptiesTheReplacements()
    {
        setKeys(QStringLiteral("a"), QStringLiteral("x"));
        panel->curTextSlot(Delete);
        child<QPlainTextEdit>("plainTextEdit_replacedKey")->setPlainText(QStringLiteral("a,b\nc"));
        std::unique_ptr<ParReplaced> par(panel->getParReplaced());
        QVERIFY(par);
        QCOMPARE(par->pairs, pairs({{"a", ""}, {"b", ""}, {"c", ""}}));
    }

    void searchOptionsFollowTheWidgets()
    {
        setKeys(QStringLiteral("a"), QString());
        child<QCheckBox>("checkBox_matchCase")->setChecked(true);
        child<QCheckBox>("checkBox_lookAt")->setChecked(true);
        child<QComboBox>("comboBox_searchOrder")->setCurrentIndex(1);
        child<QComboBox>("comboBox_page")->setCurrentIndex(3);
        std::unique_ptr<ParReplaced> par(panel->getParReplaced());
        QVERIFY(par->byKey);
        QVERIFY(par->matchCase);
        QCOMPARE(par->lookAt, 1);
        QCOMPARE(par->searchOrder, 2);
        QCOMPARE(par->sheetIndex, QStringLiteral("所有表"));

        child<QCheckBox>("checkBox_lookAt")->setChecked(false);
        child<QComboBox>("comboBox_searchOrder")->setCurrentIndex(0);
        par.reset(panel->getParReplaced());
        QCOMPARE(par->lookAt, 2);
        QCOMPARE(par->searchOrder, 1);
    }

    void byPositionLeavesTheSearchOptionsAtRest()
    {
        setKeys(QStringLiteral("A1"), QStringLiteral("x"));
        child<QCheckBox>("checkBox_matchCase")->setChecked(true);
        child<QCheckBox>("checkBox_lookAt")->setChecked(true);
        choose("radioButton_position");
        std::unique_ptr<ParReplaced> par(panel->getParReplaced());
        QVERIFY(!par->byKey);
        QVERIFY(!par->matchCase);
        QCOMPARE(par->lookAt, 2);
        std::unique_ptr<ParRetain> retain(panel->getParRetain());
        QVERIFY(!retain->byKey);
        QVERIFY(!retain->matchCase);
        QVERIFY(!retain->lookAt);
    }

    void retainKeepsEveryLineWhole()
    {
        panel->curTextSlot(Retain);
        setKeys(QStringLiteral("a,b\nc"), QString());
        child<QCheckBox>("checkBox_lookAt")->setChecked(true);
        std::unique_ptr<ParRetain> par(panel->getParRetain());
        QVERIFY(par);
        QCOMPARE(par->keys, QVector<QString>({"a,b", "c"}));
        QVERIFY(par->lookAt);
        QCOMPARE(par->sheetIndex, QStringLiteral("默认页"));
    }

    void keywordTableGivesTheColumnOfTheFile()
    {
        QTableWidget *table = child<QTableWidget>("tableWidget_replaced2");
        table->setColumnCount(3);
        setCell(0, 0, QStringLiteral("k1"));
        setCell(1, 0, QStringLiteral("k2,k3"));
        setCell(0, 1, QStringLiteral("first"));
        setCell(0, 2, QStringLiteral("r1"));
        table->setItem(1, 2, nullptr);
        QCOMPARE(table->rowCount(), 3);

        std::unique_ptr<ParReplaced> par(panel->getParReplaced2(1));
        QVERIFY(par);
        QCOMPARE(par->pairs, pairs({{"k1", "r1"}, {"k2", ""}, {"k3", ""}}));
        par.reset(panel->getParReplaced2(0));
        QCOMPARE(par->pairs, pairs({{"k1", "first"}, {"k2", ""}, {"k3", ""}}));
        // A file without a column of its own gets empty replacements.
        par.reset(panel->getParReplaced2(5));
        QCOMPARE(par->pairs, pairs({{"k1", ""}, {"k2", ""}, {"k3", ""}}));
    }

    void keywordTableOfOneCellGivesNoRecord()
    {
        QTableWidget *table = child<QTableWidget>("tableWidget_replaced2");
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->columnCount(), 1);
        QVERIFY(!panel->getParReplaced2(0));

        table->setColumnCount(3);
        std::unique_ptr<ParReplaced> par(panel->getParReplaced2(0));
        QVERIFY(par);
        QVERIFY(par->pairs.isEmpty());
    }

    void codeOptionSkipsTheDivider_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("option");
        QTest::newRow("BASIC64") << "BASIC64" << int(TextCode::Option::BASIC);
        QTest::newRow("AES_128") << "AES_128" << int(TextCode::Option::AES_128);
        QTest::newRow("TripleDes") << "TripleDes" << int(TextCode::Option::TripleDes);
        QTest::newRow("Keccak_224") << "Keccak_224" << int(TextCode::Option::Keccak_224);
        QTest::newRow("Md5") << "Md5" << int(TextCode::Option::Md5);
        QTest::newRow("Sha512") << "Sha512" << int(TextCode::Option::Sha512);
    }

    void codeOptionSkipsTheDivider()
    {
        QFETCH(QString, item);
        QFETCH(int, option);
        QComboBox *combo = child<QComboBox>("comboBox_CodeOption");
        combo->setCurrentText(item);
        QCOMPARE(combo->currentText(), item);
        std::unique_ptr<ParCode> par(panel->getParCode());
        QCOMPARE(int(par->option), option);
        // Every enumerator is named as its item, so the mapping holds by name too.
        if (item != QLatin1String("BASIC64")) {
            QCOMPARE(QMetaEnum::fromType<TextCode::Option>().valueToKey(option), qPrintable(item));
        }
    }

    void codeDividerIsNoAlgorithm()
    {
        child<QComboBox>("comboBox_CodeOption")->setCurrentIndex(8);
        std::unique_ptr<ParCode> par(panel->getParCode());
        QVERIFY(!QMetaEnum::fromType<TextCode::Option>().valueToKey(int(par->option)));
    }

    void codeCarriesDirectionAndPassword()
    {
        choose("radioButton_45");
        auto *password = child<QPlainTextEdit>("plainTextEdit_CodePassword");
        password->setPlainText(QStringLiteral("pé"));
        std::unique_ptr<ParCode> par(panel->getParCode());
        QVERIFY(!par->encode);
        QCOMPARE(par->password, QByteArray("p\xE9"));
        QCOMPARE(par->sheetIndex, QStringLiteral("默认页"));
        // Two Chinese passwords must not give one key.
        password->setPlainText(QStringLiteral("密码"));
        par.reset(panel->getParCode());
        QCOMPARE(par->password, QStringLiteral("密码").toUtf8());
    }

    void caseAndWidthConversions()
    {
        child<QComboBox>("comboBox_textToCase")->setCurrentIndex(2);
        choose("radioButton_textToLowerCase");
        std::unique_ptr<ParTo> par(panel->getParTo());
        QCOMPARE(par->implement, TextTo::Implement::Case);
        QCOMPARE(par->caseWhich, TextTo::CaseWhich::WordFirst);
        QCOMPARE(par->toCase, TextTo::Case::ToLowerCase);

        choose("radioButton_textToHalfFull");
        par.reset(panel->getParTo());
        QCOMPARE(par->implement, TextTo::Implement::Half);
        QVERIFY(!par->toHalf);
        choose("radioButton_textToHalf");
        par.reset(panel->getParTo());
        QVERIFY(par->toHalf);
    }

    void baseConversionReadsTheCombosAsNumbers()
    {
        choose("radioButton_textToBase");
        QComboBox *before = child<QComboBox>("comboBox_textToBaseBefore");
        before->setEditText(QStringLiteral("36"));
        std::unique_ptr<ParTo> par(panel->getParTo());
        QCOMPARE(par->implement, TextTo::Implement::Base);
        QVERIFY(par->format1);
        QCOMPARE(par->baseBefore, 36);
        QCOMPARE(par->baseAfter, 2);

        before->setEditText(QString());
        par.reset(panel->getParTo());
        QCOMPARE(par->baseBefore, 0);

        choose("radioButton_textToFormat2");
        par.reset(panel->getParTo());
        QVERIFY(!par->format1);
    }

    void traditionWithoutPhraseStep_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QStringList>("find");
        QTest::addColumn<QStringList>("replace");
        QTest::newRow("simplified to literal")
            << 0 << QStringList{"国", "书"} << QStringList{"國", "書"};
        QTest::newRow("literal to simplified")
            << 3 << QStringList{"國", "書"} << QStringList{"国", "书"};
    }

    void traditionWithoutPhraseStep()
    {
        QFETCH(int, direction);
        QFETCH(QStringList, find);
        QFETCH(QStringList, replace);
        writeOneToOne(QStringLiteral("国\n书"), QStringLiteral("國\n書"));
        chooseTradition(direction);
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);
        std::unique_ptr<ParTo> par(panel->getParTo());
        QVERIFY(par);
        QVERIFY(tips.isEmpty());
        QCOMPARE(par->implement, TextTo::Implement::Tradition);
        QVERIFY(!par->twoStep);
        QVERIFY(par->fromList.isEmpty());
        QVERIFY(par->toList.isEmpty());
        QCOMPARE(par->newOneList, find);
        QCOMPARE(par->oldOneList, replace);
    }

    void characterStepRunsTowardTheTargetScript()
    {
        writeOneToOne(QStringLiteral("国"), QStringLiteral("國"));
        const QStringList scripts{"newMainland", "oldMainland", "oldHongKong", "oldTaiwan"};
        for (const QString &script : scripts) {
            folder->write("textTo_" + script + ".txt", script);
        }
        for (int direction = 0; direction < 12; ++direction) {
            chooseTradition(direction);
            std::unique_ptr<ParTo> par(panel->getParTo());
            QVERIFY(par);
            const bool toSimplified = direction == 3 || direction == 6 || direction == 9;
            QCOMPARE(par->newOneList, QStringList(toSimplified ? "國" : "国"));
            QCOMPARE(par->oldOneList, QStringList(toSimplified ? "国" : "國"));
        }
    }

    void traditionReadsThePhraseListsOfTheDirection_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("1") << 1 << "newMainland"
                           << "oldHongKong";
        QTest::newRow("5") << 5 << "oldMainland"
                           << "oldTaiwan";
        QTest::newRow("6") << 6 << "oldHongKong"
                           << "newMainland";
        QTest::newRow("7") << 7 << "oldHongKong"
                           << "oldMainland";
        QTest::newRow("11") << 11 << "oldTaiwan"
                            << "oldHongKong";
    }

    void traditionReadsThePhraseListsOfTheDirection()
    {
        QFETCH(int, direction);
        QFETCH(QString, from);
        QFETCH(QString, to);
        writeOneToOne(QStringLiteral("后"), QStringLiteral("後"));
        const QStringList scripts{"newMainland", "oldMainland", "oldHongKong", "oldTaiwan"};
        for (const QString &script : scripts) {
            folder->write("textTo_" + script + ".txt", script + "1\n" + script + "2");
        }
        chooseTradition(direction);
        std::unique_ptr<ParTo> par(panel->getParTo());
        QVERIFY(par);
        QVERIFY(par->twoStep);
        QCOMPARE(par->fromList, QStringList({from + "1", from + "2"}));
        QCOMPARE(par->toList, QStringList({to + "1", to + "2"}));
        QCOMPARE(par->sheetIndex, QStringLiteral("默认页"));
    }

    void traditionRefusesUnusableLists_data()
    {
        QTest::addColumn<QString>("newOne");
        QTest::addColumn<QString>("oldOne");
        QTest::addColumn<QVariantList>("tip");
        QTest::newRow("3 and 4 lines") << "a\nb\nc"
                                       << "A\nB\nC\nD" << tipArgs(Tip::ScriptListLinesDiffer);
        QTest::newRow("final line break on one side")
            << "a\nb\nc\n"
            << "A\nB\nC" << tipArgs(Tip::ScriptListLinesDiffer);
        QTest::newRow("empty simplified list") << ""
                                               << "A" << tipArgs(Tip::ScriptListEmpty);
    }

    void traditionRefusesUnusableLists()
    {
        QFETCH(QString, newOne);
        QFETCH(QString, oldOne);
        QFETCH(QVariantList, tip);
        writeOneToOne(newOne, oldOne);
        chooseTradition(0);
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);
        QVERIFY(!panel->getParTo());
        QCOMPARE(tips.count(), 1);
        QCOMPARE(tips.at(0), tip);
    }

    void finalLineBreaksOnBothSidesMatch()
    {
        writeOneToOne(QStringLiteral("a\nb\nc\n"), QStringLiteral("A\nB\nC\n"));
        chooseTradition(0);
        std::unique_ptr<ParTo> par(panel->getParTo());
        QVERIFY(par);
        // The pair of empty last lines finds nothing and is left out.
        QCOMPARE(par->newOneList, QStringList({"a", "b", "c"}));
        QCOMPARE(par->oldOneList, QStringList({"A", "B", "C"}));
    }

    // A blank line on the finding side of any pair, in the direction the
    // pair is applied, is left out with its partner: it would insert the
    // partner between every two characters.
    void linesWithNothingToFindAreLeftOut_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("simplified");
        QTest::addColumn<QString>("traditional");
        QTest::addColumn<QStringList>("find");
        QTest::addColumn<QStringList>("replace");
        QTest::newRow("to traditional")
            << 0 << "a\n\nc"
            << "A\nX\nC" << QStringList{"a", "c"} << QStringList{"A", "C"};
        for (int direction : {3, 6, 9}) {
            QTest::addRow("to simplified %d", direction)
                << direction << "后\n发\nc"
                << "\n發\nC" << QStringList{"發", "C"} << QStringList{"发", "c"};
        }
        QTest::newRow("custom") << -1 << "a\n\nc"
                                << "x\ny\nz" << QStringList{"a", "c"} << QStringList{"x", "z"};
    }
    void linesWithNothingToFindAreLeftOut()
    {
        QFETCH(int, direction);
        QFETCH(QString, simplified);
        QFETCH(QString, traditional);
        writeOneToOne(simplified, traditional);
        folder->write(QStringLiteral("textTo_beforeCustom.txt"), simplified);
        folder->write(QStringLiteral("textTo_afterCustom.txt"), traditional);
        // Phrase lists whose source side is blank on its second line.
        folder->write(QStringLiteral("textTo_newMainland.txt"), QStringLiteral("p\n\nq"));
        for (const char *script : {"oldMainland", "oldHongKong", "oldTaiwan"})
            folder->write(QStringLiteral("textTo_%1.txt").arg(script), QStringLiteral("P\n\nQ"));
        if (direction < 0)
            choose("radioButton_textToCustom");
        else
            chooseTradition(direction);
        std::unique_ptr<ParTo> par(panel->getParTo());
        QVERIFY(par);
        const bool custom = direction < 0;
        QTEST(custom ? par->customBefore : par->newOneList, "find");
        QTEST(custom ? par->customAfter : par->oldOneList, "replace");
        QCOMPARE(par->fromList, QStringList(par->twoStep ? QStringList{"P", "Q"} : QStringList()));
        QCOMPARE(par->toList, QStringList(par->twoStep ? QStringList{"p", "q"} : QStringList()));
    }

    void traditionRefusesUnusablePhraseLists()
    {
        writeOneToOne(QStringLiteral("后"), QStringLiteral("後"));
        chooseTradition(6);
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);

        // A missing list is a parameter error the caller reports.
        QVERIFY(!panel->getParTo());
        QVERIFY(tips.isEmpty());

        folder->write(QStringLiteral("textTo_oldHongKong.txt"), QString());
        folder->write(QStringLiteral("textTo_newMainland.txt"), QStringLiteral("x"));
        QVERIFY(!panel->getParTo());
        QCOMPARE(tips.takeFirst(), tipArgs(Tip::ScriptListEmpty));

        folder->write(QStringLiteral("textTo_oldHongKong.txt"), QStringLiteral("a\nb"));
        QVERIFY(!panel->getParTo());
        QCOMPARE(tips.takeFirst(), tipArgs(Tip::ScriptListLinesDiffer));
    }

    void missingOneToOneListGivesNoRecordWithoutTip()
    {
        folder->write(QStringLiteral("textTo_newOne.txt"), QStringLiteral("后"));
        chooseTradition(0);
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);
        QVERIFY(!panel->getParTo());
        QVERIFY(tips.isEmpty());
    }

    void customConversion()
    {
        choose("radioButton_textToCustom");
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);
        QVERIFY(!panel->getParTo());
        QVERIFY(tips.isEmpty());

        folder->write(QStringLiteral("textTo_beforeCustom.txt"), QStringLiteral("你\n我"));
        folder->write(QStringLiteral("textTo_afterCustom.txt"), QString());
        QVERIFY(!panel->getParTo());
        QCOMPARE(tips.takeFirst(), tipArgs(Tip::CustomListEmpty));

        folder->write(QStringLiteral("textTo_afterCustom.txt"), QStringLiteral("我"));
        QVERIFY(!panel->getParTo());
        QCOMPARE(tips.takeFirst(), tipArgs(Tip::CustomListLinesDiffer));

        folder->write(QStringLiteral("textTo_afterCustom.txt"), QStringLiteral("我\n他"));
        std::unique_ptr<ParTo> par(panel->getParTo());
        QVERIFY(par);
        QCOMPARE(par->implement, TextTo::Implement::Custom);
        QCOMPARE(par->customBefore, QStringList({"你", "我"}));
        QCOMPARE(par->customAfter, QStringList({"我", "他"}));
        QVERIFY(par->result1);

        choose("radioButton_textToResult2");
        par.reset(panel->getParTo());
        QVERIFY(!par->result1);
        QVERIFY(tips.isEmpty());
    }

    void charactersNeedText()
    {
        QVERIFY(!panel->getParChar());
        child<QPlainTextEdit>("plainTextEdit_charIncrease")->setPlainText(QStringLiteral("ab"));
        std::unique_ptr<ParChar> par(panel->getParChar());
        QCOMPARE(par->implement, TextChar::Implement::Increase);
        QCOMPARE(par->index, TextChar::Index::Left);
        QCOMPARE(par->text, QStringLiteral("ab"));

        choose("radioButton_charDelete");
        QVERIFY(!panel->getParChar());
        child<QLineEdit>("lineEdit_charDelete")->setText(QStringLiteral("3"));
        child<QComboBox>("comboBox_charArrive")->setCurrentIndex(1);
        choose("radioButton_charPos");
        child<QLineEdit>("lineEdit_charPos")->setText(QStringLiteral("4"));
        par.reset(panel->getParChar());
        QCOMPARE(par->implement, TextChar::Implement::Delete);
        QCOMPARE(par->lengthOption, TextChar::LengthOption::TotalLengthMinus);
        QCOMPARE(par->text, QStringLiteral("3"));
        QCOMPARE(par->index, TextChar::Index::Pos);
        QCOMPARE(par->pos, 4);

        choose("radioButton_charRetain");
        choose("radioButton_charRight");
        child<QLineEdit>("lineEdit_charRetain")->setText(QStringLiteral("2"));
        par.reset(panel->getParChar());
        QCOMPARE(par->implement, TextChar::Implement::Retain);
        QCOMPARE(par->index, TextChar::Index::Right);
        QCOMPARE(par->text, QStringLiteral("2"));
    }

    void spacesAndAppendAlwaysGiveARecord()
    {
        std::unique_ptr<ParSpace> space(panel->getParSpace());
        QCOMPARE(space->index, TextSpace::Index::Left);
        QCOMPARE(space->implement, TextSpace::Implement::Increase);
        QCOMPARE(space->number, 2);
        choose("radioButton_SpaceRight");
        choose("radioButton_SpaceFixde");
        child<QLineEdit>("lineEdit_SpaceNumber")->setText(QString());
        space.reset(panel->getParSpace());
        QCOMPARE(space->index, TextSpace::Index::Right);
        QCOMPARE(space->implement, TextSpace::Implement::Fixde);
        QCOMPARE(space->number, 0);
        choose("radioButton_SpaceAll");
        space.reset(panel->getParSpace());
        QCOMPARE(space->index, TextSpace::Index::All);
        QCOMPARE(space->implement, TextSpace::Implement::Delete);

        std::unique_ptr<ParAdd> add(panel->getParAdd());
        QCOMPARE(add->index, TextAdd::Index::Left);
        QCOMPARE(add->pos, 0);
        QCOMPARE(add->lengthOption, TextAdd::LengthOption::fixLength);
        QCOMPARE(add->length, 2);
        choose("radioButton_textAddRight");
        child<QComboBox>("comboBox_addArrive")->setCurrentIndex(1);
        child<QLineEdit>("lineEdit_AddPos")->setText(QStringLiteral("5"));
        child<QComboBox>("comboBox_page")->setCurrentIndex(2);
        add.reset(panel->getParAdd());
        QCOMPARE(add->index, TextAdd::Index::Right);
        QCOMPARE(add->pos, 5);
        QCOMPARE(add->lengthOption, TextAdd::LengthOption::TotalLengthMinus);
        QCOMPARE(add->sheetIndex, QStringLiteral("尾表"));
    }

    void dataFolderWithoutSeparatorStillHoldsTheLists()
    {
        panel.reset();
        folder.reset();
        folder = std::make_unique<WordListFolder>(false);
        panel = std::make_unique<WidgetTextOption>(QString());
        QCOMPARE(panel->dataPath(), folder->dir.path() + QLatin1Char('/'));
        folder->write(QStringLiteral("textTo_beforeCustom.txt"), QStringLiteral("a"));
        folder->write(QStringLiteral("textTo_afterCustom.txt"), QStringLiteral("b"));
        choose("radioButton_textToCustom");
        std::unique_ptr<ParTo> par(panel->getParTo());
        QVERIFY(par);
        QCOMPARE(par->customAfter, QStringList("b"));
    }

    void shippedListsServeEveryConversion()
    {
        panel.reset();
        QSettings(QStringLiteral("./configure.ini"), QSettings::IniFormat)
            .setValue(QStringLiteral("currency/iniPath"),
                      QDir::cleanPath(QStringLiteral(QUORVANE_TEST_DATA "/../../data")) +
                          QLatin1Char('/'));
        panel = std::make_unique<WidgetTextOption>(QString());
        QSignalSpy tips(panel.get(), &WidgetTextOption::tipSignal);
        for (int direction = 0; direction < 12; ++direction) {
            chooseTradition(direction);
            std::unique_ptr<ParTo> par(panel->getParTo());
            QVERIFY2(par, qPrintable(QString::number(direction)));
            QVERIFY(par->newOneList.size() >= 20);
            QCOMPARE(par->fromList.size(), par->twoStep ? par->toList.size() : 0);
            QVERIFY(!par->twoStep || par->fromList.size() >= 20);
            // Every source phrase is found once, or later lines could never match.
            QCOMPARE(QSet<QString>(par->fromList.begin(), par->fromList.end()).size(),
                     par->fromList.size());
        }
        choose("radioButton_textToCustom");
        std::unique_ptr<ParTo> par(panel->getParTo());
        QVERIFY(par);
        QVERIFY(!par->customBefore.isEmpty());
        // Only the notice that the lists hold examples, once per choice.
        for (const QVariantList &tip : qAsConst(tips)) {
            QCOMPARE(tip, tipArgs(Tip::RegionListsAreSamples));
        }
    }

    void buildersLeaveThePanelAlone()
    {
        setKeys(QStringLiteral("a"), QStringLiteral("b"));
        std::unique_ptr<ParReplaced> par(panel->getParReplaced());
        QCOMPARE(child<QPlainTextEdit>("plainTextEdit_replacedKey")->toPlainText(),
                 QStringLiteral("a"));
        QCOMPARE(child<QPlainTextEdit>("plainTextEdit_replaceWith")->toPlainText(),
                 QStringLiteral("b"));
    }
};

QTEST_MAIN(TestParBuilder)
#include "tst_parbuilder.moc"
