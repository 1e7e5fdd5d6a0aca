#include "WorkbookFixtures.h"
#include "model/ProcessMemory.h"
#include "run/WorkbookBudget.h"
#include "run/WorkbookCost.h"
#include "xls/CompoundFile.h"

#include <QtTest>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

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

using Kind = WorkbookCost::Kind;

// A zip package of these parts, deflated at level (0: stored).
QByteArray package(const WorkbookMaker::Parts &parts, int level)
{
    QBuffer buffer;
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    for (const auto &part : parts) {
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(part.first), nullptr, 0,
                  level ? Z_DEFLATED : 0, level);
        file.write(part.second);
    }
    zip.close();
    return buffer.data();
}

// A compound file of sectors of 2^shift bytes: the allocation table, the
// directory (the root and one stream named so, of size bytes, high half
// of the size field included), then the stream's sectors.
QByteArray compoundFile(int shift, const QString &name, quint64 size, quint32 afterDirectory)
{
    const int sector = 1 << shift;
    const int streamSectors = int((quint32(size) + sector - 1) / sector);
    QByteArray file((2 + streamSectors + 1) * sector, '\0');
    auto put = [&](int at, quint64 value, int size) {
        for (int i = 0; i < size; ++i)
            file[at + i] = char(value >> (8 * i));
    };
    auto put32 = [&](int at, quint32 value) { put(at, value, 4); };
    file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    put(26, shift == 9 ? 3 : 4, 2);
    put(28, 0xFFFE, 2);
    put(30, quint64(shift), 2);
    put(32, 6, 2);   // mini sectors of 64 bytes,
    put32(56, 4096); // below the usual cutoff, and no mini table
    put32(60, 0xFFFFFFFEu);
    put32(44, 1); // one allocation table sector,
    put32(48, 1); // the directory after it
    put32(68, 0xFFFFFFFEu);
    put32(76, 0); // the table's place
    for (int n = 1; n < 109; ++n)
        put32(76 + 4 * n, 0xFFFFFFFFu);
    const int fat = sector;
    put32(fat, 0xFFFFFFFDu);
    put32(fat + 4, afterDirectory);
    for (int n = 0; n < streamSectors; ++n)
        put32(fat + 8 + 4 * n, n + 1 < streamSectors ? quint32(n + 3) : 0xFFFFFFFEu);
    const int root = 2 * sector;
    const int stream = root + 128;
    const QString names[] = {QStringLiteral("Root Entry"), name};
    const int places[] = {root, stream};
    for (int i = 0; i < 2; ++i) {
        for (int c = 0; c < names[i].size(); ++c)
            put(places[i] + 2 * c, names[i].at(c).unicode(), 2);
        put(places[i] + 64, quint64(names[i].size() + 1) * 2, 2);
        put32(places[i] + 68, 0xFFFFFFFFu);
        put32(places[i] + 72, 0xFFFFFFFFu);
        put32(places[i] + 76, 0xFFFFFFFFu);
    }
    file[root + 66] = 5;
    put32(root + 76, 1);
    file[stream + 66] = 2;
    put32(stream + 116, 2);
    put(stream + 120, size, 8);
    return file;
}

qint64 workbookStreamSize(const QByteArray &xls)
{
    CompoundFile container;
    QString why;
    if (!container.load(xls, &why))
        return -1;
    return qint64(container.entries().at(container.child(0, QStringLiteral("Workbook"))).size);
}

} // namespace

Q_DECLARE_METATYPE(WorkbookCost::Kind)

class TestWorkbookBudget : public QObject
{
    Q_OBJECT
private slots:
    void grantsWhatFits_data();
    void grantsWhatFits();
    void grantsInTheOrderAsked();
    void everyJobEndsAndNoneOverruns();
    void pricesWhatTheWorkbookHolds_data();
    void pricesWhatTheWorkbookHolds();
    void readsTheCgroupLimit_data();
    void readsTheCgroupLimit();
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

void TestWorkbookBudget::pricesWhatTheWorkbookHolds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<qint64>("content");
    const WorkbookMaker::Parts parts = WorkbookMaker::textWorkbook(
        QStringLiteral("S"), 300, 10, [](int, int) { return QStringLiteral("same text"); });
    qint64 inflated = 0;
    for (const auto &part : parts)
        inflated += part.second.size();
    const QByteArray deflated = package(parts, 9);
    QVERIFY(deflated.size() * 10 < inflated);
    QTest::newRow("package at the highest level")
        << "a.xlsx" << deflated << Kind::Package << inflated;
    QTest::newRow("package stored") << "a.xlsm" << package(parts, 0) << Kind::Package << inflated;
    const QByteArray cutShort = deflated.left(deflated.size() - 30);
    QTest::newRow("package without its directory")
        << "a.xlsx" << cutShort << Kind::Text << qint64(cutShort.size());
    const QByteArray xls = WorkbookFixtures::fixtureBytes(QStringLiteral("strings.xls"));
    QTest::newRow("xls") << "a.xls" << xls << Kind::Xls << workbookStreamSize(xls);
    QTest::newRow("512-byte sectors keep only the low half of a size")
        << "a.xls"
        << compoundFile(9, QStringLiteral("Workbook"), 0xFFFFFFFF00001000ull, 0xFFFFFFFEu)
        << Kind::Xls << qint64(0x1000);
    QTest::newRow("4096-byte sectors")
        << "a.xls" << compoundFile(12, QStringLiteral("WORKBOOK"), 9000, 0xFFFFFFFEu) << Kind::Xls
        << qint64(9000);
    QTest::newRow("workbook stream named BOOK")
        << "a.xls" << compoundFile(9, QStringLiteral("BOOK"), 5000, 0xFFFFFFFEu) << Kind::Xls
        << qint64(5000);
    const QByteArray none = compoundFile(9, QStringLiteral("EncryptedPackage"), 5000, 0xFFFFFFFEu);
    QTest::newRow("no workbook stream") << "a.xls" << none << Kind::Text << qint64(none.size());
    const QByteArray loop = compoundFile(9, QStringLiteral("Workbook"), 5000, 1);
    QTest::newRow("directory in a loop") << "a.xls" << loop << Kind::Text << qint64(loop.size());
    const QByteArray outside = compoundFile(9, QStringLiteral("Workbook"), 5000, 4000);
    QTest::newRow("directory leaving the file")
        << "a.xls" << outside << Kind::Text << qint64(outside.size());
    QTest::newRow("header only") << "a.xls" << xls.left(600) << Kind::Text << qint64(600);
    QTest::newRow("delimited") << "a.csv" << QByteArray("a,b\r\n1,2\r\n") << Kind::Text
                               << qint64(10);
}

// A workbook is priced by what a run must hold of it, read from the
// container's own directory, and at least by that; a file whose directory
// cannot be read by its bytes, as the server reads it whole to refuse it.
void TestWorkbookBudget::pricesWhatTheWorkbookHolds()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(Kind, kind);
    QFETCH(qint64, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(WorkbookFixtures::writeFile(path, bytes));
    const WorkbookCost::Content found = WorkbookCost::contentOf(path);
    QCOMPARE(found.kind, kind);
    QCOMPARE(found.bytes, content);
    QVERIFY(WorkbookBudget::costOf(path) >= content);
    QCOMPARE(WorkbookBudget::costOf(dir.filePath(QStringLiteral("missing.xlsx"))), qint64(0));
}

void TestWorkbookBudget::readsTheCgroupLimit_data()
{
    QTest::addColumn<QByteArray>("groups");
    // "path=content" under the stand-in root
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<qint64>("limit");
    const QByteArray v2 = "0::/user.slice/app.scope\n";
    const QString v2Group = QStringLiteral("sys/fs/cgroup/user.slice/app.scope/memory.max=");
    const QString v2Slice = QStringLiteral("sys/fs/cgroup/user.slice/memory.max=");
    QTest::newRow("v2 limit") << v2 << QStringList{v2Group + "536870912\n"} << qint64(536870912);
    QTest::newRow("v2 no limit") << v2 << QStringList{v2Group + "max\n"} << qint64(-1);
    QTest::newRow("v2 limit of the slice above")
        << v2 << QStringList{v2Group + "max\n", v2Slice + "1073741824\n"} << qint64(1073741824);
    QTest::newRow("v2 the smaller of both")
        << v2 << QStringList{v2Group + "2000000\n", v2Slice + "3000000\n"} << qint64(2000000);
    const QByteArray v1 = "5:cpu,cpuacct:/\n4:memory:/docker/abc\n1:name=systemd:/\n0::/\n";
    const QString v1Group =
        QStringLiteral("sys/fs/cgroup/memory/docker/abc/memory.limit_in_bytes=");
    QTest::newRow("v1 limit") << v1 << QStringList{v1Group + "268435456\n"} << qint64(268435456);
    QTest::newRow("v1 no limit") << v1 << QStringList{v1Group + "9223372036854771712\n"}
                                 << qint64(-1);
    QTest::newRow("v1 in a container, its own group mounted as the top")
        << v1 << QStringList{QStringLiteral("sys/fs/cgroup/memory/memory.limit_in_bytes=300000000")}
        << qint64(300000000);
    QTest::newRow("v1 memory among other controllers")
        << QByteArray("3:cpu,memory:/a\n")
        << QStringList{QStringLiteral("sys/fs/cgroup/memory/a/memory.limit_in_bytes=4096")}
        << qint64(4096);
    QTest::newRow("both, memory in v1")
        << v1 << QStringList{v1Group + "7000000", QStringLiteral("sys/fs/cgroup/memory.max=1000")}
        << qint64(7000000);
    QTest::newRow("no limit file") << v2 << QStringList{} << qint64(-1);
    QTest::newRow("unreadable limit") << v2 << QStringList{v2Group + "lots"} << qint64(-1);
    QTest::newRow("no memory group") << QByteArray("3:cpu:/a\n") << QStringList{} << qint64(-1);
}

// The machine's memory is that of the process's own control group when the
// group, or one above it, is limited.
void TestWorkbookBudget::readsTheCgroupLimit()
{
    QFETCH(QByteArray, groups);
    QFETCH(QStringList, files);
    QFETCH(qint64, limit);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("proc/self")));
    QVERIFY(WorkbookFixtures::writeFile(root.filePath(QStringLiteral("proc/self/cgroup")), groups));
    for (const QString &file : files) {
        const QString path = root.filePath(file.section(QLatin1Char('='), 0, 0));
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(WorkbookFixtures::writeFile(path, file.section(QLatin1Char('='), 1).toLatin1()));
    }
    QCOMPARE(ProcessMemory::cgroupLimit(root.path()), limit);
    QVERIFY(ProcessMemory::bytes() > 0);
}

QTEST_GUILESS_MAIN(TestWorkbookBudget)
#include "tst_workbookbudget.moc"
