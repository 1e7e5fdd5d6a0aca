#include "ContentCodec.h"
#include "Settings.h"

#include <QFile>
#include <QTextCodec>
#include <QtTest>

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanupTestCase();
    void missingFileGivesDefault();
    void roundTripThroughTheFile();
    void groupsKeepTheirOwnKeys();
    void overwriteKeepsOtherKeys();
    void numbersThatAreNotNumbersReadAsZero();
    void codecForSetting_data();
    void codecForSetting();
    void applyingChoosesTheContentCodecOnly();
};

void TestSettings::init()
{
    QFile::remove(configureFile());
}

void TestSettings::cleanupTestCase()
{
    ContentCodec::choose(nullptr);
}

void TestSettings::missingFileGivesDefault()
{
    QCOMPARE(readSetting(configureFile(), QStringLiteral("start"), QStringLiteral("listNumber"),
                         QStringLiteral("1")),
             QStringLiteral("1"));
    QVERIFY(!QFile::exists(configureFile()));
}

void TestSettings::roundTripThroughTheFile()
{
    writeSetting(configureFile(), QStringLiteral("currency"), QStringLiteral("iniPath"),
                 QStringLiteral("/数据/词表/"));
    QVERIFY(QFile::exists(configureFile()));
    QCOMPARE(readSetting(configureFile(), QStringLiteral("currency"), QStringLiteral("iniPath"),
                         QStringLiteral("/data/")),
             QStringLiteral("/数据/词表/"));

    QFile file(configureFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray ini = file.readAll();
    QVERIFY2(ini.contains("[currency]"), ini.constData());
    QVERIFY2(ini.contains("iniPath="), ini.constData());
}

void TestSettings::groupsKeepTheirOwnKeys()
{
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("add"),
                 QStringLiteral("0"));
    QCOMPARE(readSetting(configureFile(), QStringLiteral("new"), QStringLiteral("add"),
                         QStringLiteral("1")),
             QStringLiteral("1"));
    QCOMPARE(readSetting(configureFile(), QStringLiteral("text"), QStringLiteral("add"),
                         QStringLiteral("1")),
             QStringLiteral("0"));
}

void TestSettings::overwriteKeepsOtherKeys()
{
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("code"),
                 QStringLiteral("ANSI"));
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("drop"),
                 QStringLiteral("1"));
    writeSetting(configureFile(), QStringLiteral("text"), QStringLiteral("code"),
                 QStringLiteral("UTF-8"));
    QCOMPARE(
        readSetting(configureFile(), QStringLiteral("text"), QStringLiteral("code"), QString()),
        QStringLiteral("UTF-8"));
    QCOMPARE(
        readSetting(configureFile(), QStringLiteral("text"), QStringLiteral("drop"), QString()),
        QStringLiteral("1"));
}

void TestSettings::numbersThatAreNotNumbersReadAsZero()
{
    writeSetting(configureFile(), QStringLiteral("start"), QStringLiteral("listNumber"),
                 QStringLiteral("three"));
    const QString stored = readSetting(configureFile(), QStringLiteral("start"),
                                       QStringLiteral("listNumber"), QStringLiteral("1"));
    QCOMPARE(stored, QStringLiteral("three"));
    QCOMPARE(stored.toInt(), 0);
}

void TestSettings::codecForSetting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("codec");
    QTest::newRow("UTF-8") << QStringLiteral("UTF-8") << QByteArray("UTF-8");
    QTest::newRow("ANSI is the Chinese code page")
        << QStringLiteral("ANSI") << QByteArray("GB18030");
    QTest::newRow("another real codec") << QStringLiteral("ISO-8859-1") << QByteArray("ISO-8859-1");
    QTest::newRow("unknown name") << QStringLiteral("no such codec") << QByteArray("UTF-8");
    QTest::newRow("empty") << QString() << QByteArray("UTF-8");
}

void TestSettings::codecForSetting()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, codec);
    QTextCodec *found = ::codecForSetting(name);
    QVERIFY(found);
    QCOMPARE(found, QTextCodec::codecForName(codec));
}

// The setting is the encoding of text contents; file names keep the
// system's encoding, so the locale codec stays as it was.
void TestSettings::applyingChoosesTheContentCodecOnly()
{
    QTextCodec *const locale = QTextCodec::codecForLocale();
    applyCodecSetting(QStringLiteral("ANSI"));
    // GBK bytes of 中文, which files from those desktops hold.
    QCOMPARE(ContentCodec::chosen()->toUnicode(QByteArray("\xd6\xd0\xce\xc4")),
             QStringLiteral("中文"));
    QCOMPARE(QTextCodec::codecForLocale(), locale);
    applyCodecSetting(QStringLiteral("UTF-8"));
    QCOMPARE(ContentCodec::chosen()->name(), QByteArray("UTF-8"));
    QCOMPARE(QTextCodec::codecForLocale(), locale);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
