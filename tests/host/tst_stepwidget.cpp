#include "HostTestHelpers.h"
#include "StepWidget.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

// The step window on its own, its owner played by the test: every started
// row is answered with onStepDone.
class TestStepWidget : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void runsTheTickedRowsOfTheRange_data();
    void runsTheTickedRowsOfTheRange();
    void nextStartRerunsFromTheFirstRow();
    void resetWhitensEveryRow();
    void emptyTableAnswers();
    void removesExactlyTheSelectedRows_data();
    void removesExactlyTheSelectedRows();
    void newRows();
    void rangeFieldsTakeDigitsOnly();

private:
    QTableWidget *table() const { return m_window->findChild<QTableWidget *>("tableWidget_step"); }
    void click(const char *name) { m_window->findChild<QAbstractButton *>(name)->click(); }
    void addRows(int count);
    void untick(int row);
    // Clicks 执行 and ends every step it starts; the rows started, in order.
    QList<int> run();
    QStringList tips() const;
    QString state(int row) const { return table()->item(row, 4)->text(); }
    QColor background(int row) const { return table()->item(row, 0)->background().color(); }

    std::unique_ptr<StepWidget> m_window;
    std::unique_ptr<QSignalSpy> m_tips;
};

void TestStepWidget::init()
{
    m_window = std::make_unique<StepWidget>();
    m_tips = std::make_unique<QSignalSpy>(m_window.get(), &StepWidget::tipSignal);
}

void TestStepWidget::cleanup()
{
    m_tips.reset();
    m_window.reset();
}

void TestStepWidget::addRows(int count)
{
    for (int i = 0; i < count; ++i)
        m_window->addStepRow(QStringLiteral("op%1").arg(i), QStringLiteral("par"), 2);
}

void TestStepWidget::untick(int row)
{
    table()->cellWidget(row, 3)->findChild<QCheckBox *>()->setChecked(false);
}

QList<int> TestStepWidget::run()
{
    QSignalSpy started(m_window.get(), &StepWidget::starStepSignal);
    click("pushButton_star");
    for (int done = 0; done < started.size(); ++done)
        m_window->onStepDone();
    QList<int> rows;
    for (const QList<QVariant> &args : qAsConst(started))
        rows << args.at(0).toInt();
    return rows;
}

QStringList TestStepWidget::tips() const
{
    return tipsOf(*m_tips);
}

void TestStepWidget::runsTheTickedRowsOfTheRange_data()
{
    QTest::addColumn<QList<int>>("unticked");
    // "all" for the 全部 button, else the two fields as "begin,end".
    QTest::addColumn<QString>("range");
    // The rows started in order; {-1} for a range that is refused.
    QTest::addColumn<QList<int>>("rows");

    QTest::newRow("all") << QList<int>{} << "all" << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("1 to 3") << QList<int>{} << "1,3" << QList<int>{0, 1, 2};
    QTest::newRow("unticked skipped") << QList<int>{1, 3} << "all" << QList<int>{0, 2, 4};
    QTest::newRow("last ticked before the end") << QList<int>{3, 4} << "2,5" << QList<int>{1, 2};
    QTest::newRow("none ticked") << QList<int>{0, 1, 2, 3, 4} << "all" << QList<int>{};
    for (const char *refused : {"0,2", "2,6", "3,2", ","})
        QTest::newRow(refused) << QList<int>{} << refused << QList<int>{-1};
}
void TestStepWidget::runsTheTickedRowsOfTheRange()
{
    QFETCH(QList<int>, unticked);
    QFETCH(QString, range);
    QFETCH(QList<int>, rows);
    addRows(5);
    for (int row : unticked)
        untick(row);
    if (range != QLatin1String("all")) {
        click("radioButton_range");
        m_window->findChild<QLineEdit *>("lineEdit_begin")->setText(range.section(',', 0, 0));
        m_window->findChild<QLineEdit *>("lineEdit_end")->setText(range.section(',', 1, 1));
    }
    QSignalSpy ended(m_window.get(), &StepWidget::allStepDoneSignal);

    const QList<int> started = run();
    if (rows == QList<int>{-1}) {
        QCOMPARE(tips(), QStringList({"-6,0,"}));
        QVERIFY(started.isEmpty());
        return;
    }
    QCOMPARE(started, rows);
    QStringList expected;
    for (int row : rows)
        expected << QStringLiteral("-5,1,%1").arg(row) << QStringLiteral("-5,2,%1").arg(row);
    if (!rows.isEmpty())
        expected << QStringLiteral("-5,3,");
    QCOMPARE(tips(), expected);
    QCOMPARE(ended.size(), rows.isEmpty() ? 0 : 1);
    for (int row = 0; row < 5; ++row) {
        const bool ran = rows.contains(row);
        QCOMPARE(state(row), ran ? QStringLiteral("已执行") : QStringLiteral("未执行"));
        QCOMPARE(background(row), ran ? QColor(Qt::gray) : QColor(Qt::white));
        QCOMPARE(table()->cellWidget(row, 3)->styleSheet(),
                 ran ? QStringLiteral("background-color: gray;")
                     : QStringLiteral("background-color: white;"));
    }
}

// A run ends back at the start: the next one begins with the range's first
// ticked row, and the rows run before are white again.
void TestStepWidget::nextStartRerunsFromTheFirstRow()
{
    addRows(3);
    untick(0);
    QCOMPARE(run(), QList<int>({1, 2}));
    m_tips->clear();
    QSignalSpy started(m_window.get(), &StepWidget::starStepSignal);
    click("pushButton_star");
    QCOMPARE(tips(), QStringList({"-5,1,1"}));
    QCOMPARE(started.size(), 1);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(state(row), QStringLiteral("未执行"));
    QCOMPARE(background(2), QColor(Qt::white));
}

void TestStepWidget::resetWhitensEveryRow()
{
    addRows(3);
    run();
    click("pushButton_recovery");
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(state(row), QStringLiteral("未执行"));
        QCOMPARE(background(row), QColor(Qt::white));
    }
    QVERIFY(table()->cellWidget(1, 3)->findChild<QCheckBox *>()->isChecked());
}

void TestStepWidget::emptyTableAnswers()
{
    QSignalSpy cleared(m_window.get(), &StepWidget::clearStepSignal);
    QSignalSpy removed(m_window.get(), &StepWidget::removeSignal);
    click("pushButton_star");
    click("pushButton_remove");
    click("pushButton_clear");
    QCOMPARE(tips(), QStringList({"-6,1,", "-6,3,"}));
    QCOMPARE(cleared.size(), 1);
    QCOMPARE(removed.size(), 0);

    addRows(2);
    click("pushButton_remove");
    QCOMPARE(tips().last(), QStringLiteral("-6,4,"));
    QCOMPARE(table()->rowCount(), 2);
    click("pushButton_clear");
    QCOMPARE(table()->rowCount(), 0);
    QCOMPARE(cleared.size(), 2);
}

void TestStepWidget::removesExactlyTheSelectedRows_data()
{
    QTest::addColumn<QList<int>>("picked");
    QTest::newRow("in row order") << QList<int>{1, 3};
    QTest::newRow("higher row first") << QList<int>{3, 1};
}
void TestStepWidget::removesExactlyTheSelectedRows()
{
    QFETCH(QList<int>, picked);
    addRows(5);
    QSignalSpy removed(m_window.get(), &StepWidget::removeSignal);
    pickRows(table(), picked);
    click("pushButton_remove");
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.first().first().value<QList<int>>(), QList<int>({1, 3}));
    QStringList left;
    for (int row = 0; row < table()->rowCount(); ++row)
        left << table()->item(row, 0)->text();
    QCOMPARE(left, QStringList({"op0", "op2", "op4"}));
    QVERIFY(table()->selectionModel()->selectedIndexes().isEmpty());
}

void TestStepWidget::newRows()
{
    const QStringList ranges = {"所有列表", "当前列表", "当前文档", "None", "None"};
    const QList<int> values = {1, 2, 3, 0, 7};
    for (int range : values)
        m_window->addStepRow(QStringLiteral("字符处理"), QStringLiteral("替换1"), range);
    QVERIFY(m_tips->isEmpty());
    for (int row = 0; row < values.size(); ++row) {
        QCOMPARE(table()->item(row, 0)->text(), QStringLiteral("字符处理"));
        QCOMPARE(table()->item(row, 1)->text(), QStringLiteral("替换1"));
        QCOMPARE(table()->item(row, 2)->text(), ranges.at(row));
        QCOMPARE(state(row), QStringLiteral("未执行"));
        QVERIFY(table()->cellWidget(row, 3)->findChild<QCheckBox *>()->isChecked());
    }
}

void TestStepWidget::rangeFieldsTakeDigitsOnly()
{
    auto *begin = m_window->findChild<QLineEdit *>("lineEdit_begin");
    QVERIFY(!begin->isEnabled());
    click("radioButton_range");
    QVERIFY(begin->isEnabled());
    begin->clear();
    QTest::keyClicks(begin, QStringLiteral("a1-2b"));
    QCOMPARE(begin->text(), QStringLiteral("12"));
    click("radioButton_all");
    QVERIFY(!begin->isEnabled());
}

QTEST_MAIN(TestStepWidget)
#include "tst_stepwidget.moc"
