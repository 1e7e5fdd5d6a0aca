#include "WorkbookBudget.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using ShareFuture = std::future<std::unique_ptr<WorkbookBudget::Share>>;

// Asks for a share on a thread of its own, as a second dispatcher would.
ShareFuture ask(WorkbookBudget &budget, qint64 cost)
{
    return std::async(std::launch::async, [&budget, cost] { return budget.acquire(cost); });
}

bool granted(ShareFuture &share)
{
    return share.wait_for(10s) == std::future_status::ready;
}

// Long enough for a thread that could go on to have done so.
bool stillWaiting(ShareFuture &share)
{
    return share.wait_for(200ms) == std::future_status::timeout;
}

} // namespace

class TestWorkbookBudget : public QObject
{
    Q_OBJECT
private slots:
    void grantsWhatFits_data();
    void grantsWhatFits();
    void grantsInTheOrderAsked();
    void everyJobEndsAndNoneOverruns();
};

void TestWorkbookBudget::grantsWhatFits_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<int>("workbooks");
    QTest::addColumn<QList<qint64>>("held");
    QTest::addColumn<qint64>("cost");
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("fits beside others")
        << qint64(100) << 4 << QList<qint64>{30, 30} << qint64(40) << true;
    QTest::newRow("over the bytes")
        << qint64(100) << 4 << QList<qint64>{30, 30} << qint64(41) << false;
    QTest::newRow("over the workbooks")
        << qint64(1000) << 2 << QList<qint64>{1, 1} << qint64(1) << false;
    QTest::newRow("an empty file still counts as a workbook")
        << qint64(100) << 1 << QList<qint64>{0} << qint64(0) << false;
    QTest::newRow("larger than the budget, alone")
        << qint64(100) << 4 << QList<qint64>{} << qint64(500) << true;
    QTest::newRow("larger than the budget waits for the rest")
        << qint64(100) << 4 << QList<qint64>{1} << qint64(500) << false;
    QTest::newRow("nothing beside one larger than the budget")
        << qint64(100) << 4 << QList<qint64>{500} << qint64(0) << false;
}

// What cannot be granted at once is granted when the others give theirs back.
void TestWorkbookBudget::grantsWhatFits()
{
    QFETCH(qint64, bytes);
    QFETCH(int, workbooks);
    QFETCH(QList<qint64>, held);
    QFETCH(qint64, cost);
    QFETCH(bool, atOnce);
    WorkbookBudget budget(bytes, workbooks);
    std::vector<std::unique_ptr<WorkbookBudget::Share>> shares;
    for (qint64 each : held)
        shares.push_back(budget.acquire(each));

    ShareFuture next = ask(budget, cost);
    const bool waits = stillWaiting(next);
    shares.clear();
    QVERIFY(granted(next));
    QCOMPARE(!waits, atOnce);
}

// A small share that would fit waits behind a larger one asked for first.
void TestWorkbookBudget::grantsInTheOrderAsked()
{
    WorkbookBudget budget(100, 4);
    std::unique_ptr<WorkbookBudget::Share> held = budget.acquire(60);
    ShareFuture large = ask(budget, 50);
    QVERIFY(stillWaiting(large));
    ShareFuture small = ask(budget, 10);
    const bool smallWaited = stillWaiting(small);
    held->release();
    QVERIFY(granted(large));
    QVERIFY(granted(small));
    QVERIFY(smallWaited);
}

// A run's dispatcher asks for one share after the other and hands each to a
// job on a thread of its own; some jobs give theirs back at once, as files
// that cannot be opened do. Every job ends, and the jobs working together
// never hold more than the budget, unless one of them works alone.
void TestWorkbookBudget::everyJobEndsAndNoneOverruns()
{
    constexpr qint64 Bytes = 100;
    constexpr int Workbooks = 3;
    const qint64 costs[] = {0, 10, 40, 250, 60, 100, 1};
    WorkbookBudget budget(Bytes, Workbooks);
    std::atomic<qint64> heldBytes{0};
    std::atomic<int> heldWorkbooks{0};
    std::atomic<int> overruns{0};
    std::atomic<int> ended{0};
    std::vector<std::thread> jobs;
    constexpr int Jobs = 70;
    for (int i = 0; i < Jobs; ++i) {
        const qint64 cost = costs[i % std::size(costs)];
        std::shared_ptr<WorkbookBudget::Share> share = budget.acquire(cost);
        jobs.emplace_back([&, share, cost, i] {
            const qint64 bytes = heldBytes += qMin(cost, Bytes);
            const int workbooks = ++heldWorkbooks;
            if (workbooks > Workbooks || (workbooks > 1 && bytes > Bytes))
                ++overruns;
            if (i % 4 != 0)
                std::this_thread::sleep_for(1ms);
            heldBytes -= qMin(cost, Bytes);
            --heldWorkbooks;
            share->release();
            ++ended;
        });
    }
    for (std::thread &job : jobs)
        job.join();
    QCOMPARE(ended.load(), Jobs);
    QCOMPARE(overruns.load(), 0);
}

QTEST_GUILESS_MAIN(TestWorkbookBudget)
#include "tst_workbookbudget.moc"
