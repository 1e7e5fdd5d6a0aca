#include "ContentCodec.h"
#include "ReadWriteTxt.h"
#include "TestFiles.h"
#include "TestTips.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// Opens every file in the mode a test chooses instead of the one asked for,
// to reach the guards for devices that open but cannot be read or written.
class SwappedOpen : public ReadWriteTxt
{
public:
    explicit SwappedOpen(QIODevice::OpenMode forced) : m_forced(forced) {}

protected:
    bool openFile(QFileDevice &file, QIODevice::OpenMode mode) override
    {
        Q_UNUSED(mode);
        return file.open(m_forced);
    }

private:
    QIODevice::OpenMode m_forced;
};

// Counts the files opened.
class CountedOpen : public ReadWriteTxt
{
public:
    int opens = 0;

protected:
    bool openFile(QFileDevice &file, QIODevice::OpenMode mode) override
    {
        ++opens;
        return ReadWriteTxt::openFile(file, mode);
    }
};

} // namespace

class TestReadWriteTxt : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void readMissingFileKeepsText();
    void emptyPathFailsBoth();
    void readTurnsCrLfIntoLf();
    void writeThenReadRoundTrip();
    void writeEmptyTextTruncates();
    void writeToMissingFolderFails();
    void writeToFullDeviceReportsFailure();
    void unwritableDeviceIsNotSuccess();
    void failedWriteKeepsOldText();
    void unreadableDeviceKeepsText();
    void usesChosenCodec_data();
    void usesChosenCodec();
    void readWithCheckReadsOnce_data();
    void readWithCheckReadsOnce();
    void bytesPassAsTheyAre();

private:
    QTemporaryDir m_dir;
};

void TestReadWriteTxt::init()
{
    ContentCodec::choose(QTextCodec::codecForName("UTF-8"));
}

void TestReadWriteTxt::cleanup()
{
    ContentCodec::choose(nullptr);
}

void TestReadWriteTxt::readMissingFileKeepsText()
{
    QSignalSpy tips(&g_readWriteTxt, &ReadWriteTxt::tipSignal);
    const QString path = m_dir.filePath(QStringLiteral("nothing.txt"));
    QString text = QStringLiteral("kept");
    QVERIFY(!g_readWriteTxt.readTxt(path, text));
    QCOMPARE(text, QStringLiteral("kept"));
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileNotFound, path));
}

void TestReadWriteTxt::emptyPathFailsBoth()
{
    ReadWriteTxt rw;
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QString text = QStringLiteral("kept");
    QVERIFY(!rw.readTxt(QString(), text));
    QVERIFY(!rw.writeTxt(QString(), QStringLiteral("x")));
    QCOMPARE(text, QStringLiteral("kept"));
    QCOMPARE(tips.count(), 2);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileNotFound));
    QCOMPARE(tips.at(1), tipArgs(Tip::FileNotFound));
}

void TestReadWriteTxt::readTurnsCrLfIntoLf()
{
    const QString path = m_dir.filePath(QStringLiteral("crlf.txt"));
    QVERIFY(writeTestFile(path, QByteArray("one\r\ntwo\r\n\r\nthree")));
    ReadWriteTxt rw;
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QString text;
    QVERIFY(rw.readTxt(path, text));
    QCOMPARE(text, QStringLiteral("one\ntwo\n\nthree"));
    QCOMPARE(tips.count(), 0);
}

void TestReadWriteTxt::writeThenReadRoundTrip()
{
    const QString path = m_dir.filePath(QStringLiteral("round.txt"));
    const QString original = QStringLiteral("第一行 line\n第二行\n");
    ReadWriteTxt rw;
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QVERIFY(rw.writeTxt(path, original));
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileSaved, path));
    // No byte-order mark, line feeds as written.
    QCOMPARE(readTestFile(path), original.toUtf8());

    QString back;
    QVERIFY(rw.readTxt(path, back));
    QCOMPARE(back, original);
}

void TestReadWriteTxt::writeEmptyTextTruncates()
{
    const QString path = m_dir.filePath(QStringLiteral("old.txt"));
    QVERIFY(writeTestFile(path, QByteArray("old content")));
    ReadWriteTxt rw;
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QVERIFY(rw.writeTxt(path, QString()));
    QCOMPARE(QFileInfo(path).size(), qint64(0));
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileSaved, path));

    const QString fresh = m_dir.filePath(QStringLiteral("fresh.txt"));
    QVERIFY(rw.writeTxt(fresh, QString()));
    QVERIFY(QFileInfo::exists(fresh));
    QCOMPARE(QFileInfo(fresh).size(), qint64(0));
}

void TestReadWriteTxt::writeToMissingFolderFails()
{
    const QString path = m_dir.filePath(QStringLiteral("no/such/folder/a.txt"));
    ReadWriteTxt rw;
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QVERIFY(!rw.writeTxt(path, QStringLiteral("x")));
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileNotFound, path));
}

void TestReadWriteTxt::writeToFullDeviceReportsFailure()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full on this system");
    ReadWriteTxt rw;
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QVERIFY(!rw.writeTxt(QStringLiteral("/dev/full"), QStringLiteral("does not fit")));
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileSaveFailed, QStringLiteral("/dev/full")));
}

void TestReadWriteTxt::unwritableDeviceIsNotSuccess()
{
    // Only a device is written in place, so only a device can open without
    // being writable.
    const QString path = QStringLiteral("/dev/null");
    if (!QFileInfo::exists(path))
        QSKIP("no /dev/null on this system");
    SwappedOpen rw(QIODevice::ReadOnly);
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QVERIFY(!rw.writeTxt(path, QStringLiteral("new")));
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileUnwritable, path));
}

void TestReadWriteTxt::failedWriteKeepsOldText()
{
    const QString path = m_dir.filePath(QStringLiteral("kept.txt"));
    QVERIFY(writeTestFile(path, QByteArray("old content that must survive")));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    // A file size limit makes the write fail part way, as a full disk does.
    struct rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    ReadWriteTxt rw;
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    const bool written = rw.writeTxt(path, QString(100000, QLatin1Char('x')));
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileSaveFailed, path));
    QCOMPARE(readTestFile(path), QByteArray("old content that must survive"));
    // Nor is a half-written copy left beside it.
    QCOMPARE(
        QDir(m_dir.path()).entryList({QStringLiteral("kept.txt*")}, QDir::Files | QDir::Hidden),
        QStringList{QStringLiteral("kept.txt")});

    // A save that succeeds keeps the file's permissions.
    QVERIFY(rw.writeTxt(path, QStringLiteral("new")));
    QCOMPARE(readTestFile(path), QByteArray("new"));
    const QFileDevice::Permissions modeBits =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(QFile::permissions(path) & modeBits, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestReadWriteTxt::unreadableDeviceKeepsText()
{
    const QString path = m_dir.filePath(QStringLiteral("writeonly.txt"));
    QVERIFY(writeTestFile(path, QByteArray("content")));
    SwappedOpen rw(QIODevice::WriteOnly | QIODevice::Append);
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QString text = QStringLiteral("kept");
    QVERIFY(!rw.readTxt(path, text));
    QCOMPARE(text, QStringLiteral("kept"));
    QCOMPARE(tips.count(), 1);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileUnreadable, path));
}

void TestReadWriteTxt::usesChosenCodec_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::newRow("UTF-8") << QByteArray("UTF-8");
    QTest::newRow("GB18030") << QByteArray("GB18030");
}

// The chosen encoding is that of the file's text, never that of its name: a
// file under Chinese folder and file names, made before the choice, is read
// and written in place, and its folder holds no other file afterwards.
void TestReadWriteTxt::usesChosenCodec()
{
    QFETCH(QByteArray, codec);
    QTextCodec *chosen = QTextCodec::codecForName(codec);
    QVERIFY(chosen);
    QTemporaryDir dir;
    const QString path = writeTestFile(dir, QStringLiteral("批次 A/gb笔记.txt"),
                                       chosen->fromUnicode(QStringLiteral("旧的")));
    QVERIFY(!path.isEmpty());
    ContentCodec::choose(chosen);

    const QString text = QStringLiteral("简体中文");
    ReadWriteTxt rw;
    QString before;
    QVERIFY(rw.readTxt(path, before));
    QCOMPARE(before, QStringLiteral("旧的"));
    QVERIFY(rw.writeTxt(path, text));
    QString back;
    QVERIFY(rw.readTxt(path, back));
    QCOMPARE(back, text);

    ContentCodec::choose(nullptr);
    QCOMPARE(readTestFile(path), chosen->fromUnicode(text));
    QCOMPARE(QDir(dir.filePath(QStringLiteral("批次 A"))).entryList(QDir::Files),
             QStringList{QStringLiteral("gb笔记.txt")});
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("批次 A")});
}

void TestReadWriteTxt::readWithCheckReadsOnce_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("lossless");

    QTest::newRow("line ends") << QByteArray("one\r\ntwo\rthree\n") << true;
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF\xE4\xB8\xAD\r\n") << true;
    QTest::newRow("UTF-16 mark") << QByteArray("\xFF\xFE\x2D\x4E\n\0", 6) << true;
    QTest::newRow("GB18030 under UTF-8") << QByteArray("\xD6\xD0\xCE\xC4\r\n") << false;
    QTest::newRow("missing file") << QByteArray() << true;
}

void TestReadWriteTxt::readWithCheckReadsOnce()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, lossless);
    const QString path = m_dir.filePath(QStringLiteral("checked.txt"));
    QFile::remove(path);
    if (!bytes.isNull())
        QVERIFY(writeTestFile(path, bytes));

    // The same text as the plain read, and the verdict of the table.
    QString expected = QStringLiteral("before");
    const bool read = g_readWriteTxt.readTxt(path, expected);

    CountedOpen rw;
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QString text = QStringLiteral("before");
    bool decoded = !lossless;
    QCOMPARE(rw.readTxt(path, text, decoded), read);
    QCOMPARE(text, expected);
    QCOMPARE(decoded, lossless);
    QCOMPARE(rw.opens, 1);
    QCOMPARE(tips.count(), read ? 0 : 1);
}

// No codec and no line-end translation either way; the outcomes are those
// of the text functions.
void TestReadWriteTxt::bytesPassAsTheyAre()
{
    const QString path = m_dir.filePath(QStringLiteral("bytes.txt"));
    const QByteArray bytes("\xFF\xFEo\x00\r\x00\n\x00", 8);
    ReadWriteTxt rw;
    QSignalSpy tips(&rw, &ReadWriteTxt::tipSignal);
    QVERIFY(rw.writeBytes(path, bytes));
    QCOMPARE(readTestFile(path), bytes);
    QByteArray back;
    QVERIFY(rw.readBytes(path, back));
    QCOMPARE(back, bytes);

    const QString missing = m_dir.filePath(QStringLiteral("no/such/folder/b.txt"));
    QVERIFY(!rw.writeBytes(missing, bytes));
    back = "kept";
    QVERIFY(!rw.readBytes(missing, back));
    QCOMPARE(back, QByteArray("kept"));
    QCOMPARE(tips.count(), 3);
    QCOMPARE(tips.at(0), tipArgs(Tip::FileSaved, path));
    QCOMPARE(tips.at(1), tipArgs(Tip::FileNotFound, missing));
    QCOMPARE(tips.at(2), tipArgs(Tip::FileNotFound, missing));
}

QTEST_GUILESS_MAIN(TestReadWriteTxt)
#include "tst_readwritetxt.moc"
