#include "RunEvents.h"
#include "TestTips.h"
#include "excel/TextBase.h"
#include "excel/TextBaseNew.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

template<typename Base>
class Upper : public Base
{
public:
    using Base::Base;
    QString process() override { return QStringLiteral("PROCESSED"); }
};

template<typename Base>
QStringList record(Base *operation)
{
    QStringList events;
    noteRunEvents(operation, &events);
    operation->run();
    return events;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTextBase : public QObject
{
    Q_OBJECT
private slots:
    void textBaseRewritesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(writeBytes(path, "before"));
        Upper<TextBase> operation(path, nullptr);
        QCOMPARE(record(&operation), QStringList({tipEvent(Tip::FileSaved, path),
                                                  tipEvent(Tip::FileDone, path), "done " + path}));
        QCOMPARE(contents(path), QByteArray("PROCESSED"));
    }

    void textBaseMissingFileSendsNotFound()
    {
        const QString path = QStringLiteral("/no/such/file.txt");
        Upper<TextBase> operation(path, nullptr);
        QCOMPARE(record(&operation), QStringList({tipEvent(Tip::FileNotFound, path)}));
    }

    void textBaseNewAppendsWithoutDone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("b.txt"));
        Upper<TextBaseNew> first(path, nullptr);
        QCOMPARE(record(&first),
                 QStringList({tipEvent(Tip::FileSaved, path), tipEvent(Tip::FileDone, path)}));
        Upper<TextBaseNew> second(path, nullptr);
        record(&second);
        QCOMPARE(contents(path), QByteArray("PROCESSEDPROCESSED"));
    }

    // A whole file as the project's reader reads it; a file that cannot be
    // read leaves the text alone and is told on the operation's own signal.
    void readingTellsItsOwnTips()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("c.txt"));
        QVERIFY(writeBytes(path, "line 1\nline 2"));
        Upper<TextBaseNew> appending(path, nullptr);
        QSignalSpy tips(&appending, &TextBaseNew::tipSignal);
        QString text;
        QVERIFY(appending.readTxt(path, text));
        QCOMPARE(text, QStringLiteral("line 1\nline 2"));
        QVERIFY(tips.isEmpty());

        const QString missing = dir.filePath(QStringLiteral("none.txt"));
        text = QStringLiteral("kept");
        QVERIFY(!appending.readTxt(missing, text));
        QCOMPARE(text, QStringLiteral("kept"));
        QCOMPARE(tips.count(), 1);
        QCOMPARE(tips.at(0), tipArgs(Tip::FileNotFound, missing));
    }

    void settingsRoundTrip()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("configure.ini"));
        QCOMPARE(TextBaseNew::readIniGroup(ini, QStringLiteral("currency"),
                                           QStringLiteral("iniPath"), QStringLiteral("./data")),
                 QStringLiteral("./data"));
        TextBaseNew::writeIniGroup(ini, QStringLiteral("currency"), QStringLiteral("iniPath"),
                                   QStringLiteral("/words"));
        QCOMPARE(TextBaseNew::readIniGroup(ini, QStringLiteral("currency"),
                                           QStringLiteral("iniPath"), QString()),
                 QStringLiteral("/words"));
        QVERIFY(contents(ini).contains("[currency]"));
        const QString native = dir.filePath(QStringLiteral("native.conf"));
        TextBaseNew::writeIni(native, QStringLiteral("key"), QStringLiteral("value"));
        QCOMPARE(TextBaseNew::readIni(native, QStringLiteral("key"), QString()),
                 QStringLiteral("value"));
        QCOMPARE(TextBaseNew::readIni(native, QStringLiteral("other"), QStringLiteral("d")),
                 QStringLiteral("d"));
    }
};

QTEST_GUILESS_MAIN(TestTextBase)
#include "tst_textbase.moc"
