// Runs the fuzz target's entry over its seeds and over damaged copies of
// them (cut short, bytes flipped), in every build: what the fuzzer checks
// for a minute in CI, these check on each test run, and the target keeps
// compiling with the code it drives.
#include <QDir>
#include <QtTest>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

void feed(const QByteArray &bytes)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                           size_t(bytes.size()));
}

} // namespace

class TestFuzzSeeds : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    }

    void seedsAndDamagedCopiesPass_data()
    {
        QTest::addColumn<QString>("seed");
        const QDir seeds(QStringLiteral(QUORVANE_TEST_DATA "/fuzz-seeds"));
        const QStringList names = seeds.entryList(QDir::Files);
        QVERIFY(names.size() >= 5);
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << seeds.filePath(name);
    }
    void seedsAndDamagedCopiesPass()
    {
        QFETCH(QString, seed);
        QFile file(seed);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        feed(bytes);
        for (int cut : {1, 2, 3, 7, 10, 50, 100})
            feed(bytes.left(bytes.size() * cut / 101));
        QByteArray flipped = bytes;
        for (int i = 0; i < flipped.size(); i += 97)
            flipped[i] = char(flipped.at(i) ^ 0x5a);
        feed(flipped);
        feed(QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestFuzzSeeds)
#include "tst_fuzzseeds.moc"
