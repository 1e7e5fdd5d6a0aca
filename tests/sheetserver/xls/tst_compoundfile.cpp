// The compound-file container of Excel 97-2003 workbooks: every stream read,
// one stream replaced with every other stream kept, damaged files refused.
#include "WorkbookFixtures.h"
#include "xls/CompoundFile.h"

#include <QtEndian>
#include <QtTest>

using namespace WorkbookFixtures;

namespace {

// Every stream by path.
QMap<QString, QByteArray> streams(const CompoundFile &file)
{
    QMap<QString, QByteArray> out;
    for (int i = 1; i < file.entries().size(); ++i) {
        if (file.entries().at(i).type != CompoundFile::Stream || file.entries().at(i).parent < 0)
            continue;
        QByteArray data;
        QString why;
        if (file.readStream(i, &data, &why))
            out.insert(file.path(i), data);
    }
    return out;
}

void put32(QByteArray *bytes, int at, quint32 value)
{
    qToLittleEndian<quint32>(value, bytes->data() + at);
}

} // namespace

class TestCompoundFile : public QObject
{
    Q_OBJECT
private slots:
    void readsEveryStream()
    {
        CompoundFile file;
        QString why;
        QVERIFY2(file.load(fixtureBytes(QStringLiteral("basic.xls")), &why), qPrintable(why));
        const QMap<QString, QByteArray> all = streams(file);
        QCOMPARE(all.keys(),
                 QStringList({QStringLiteral("\x05SummaryInformation"), QStringLiteral("Workbook"),
                              QStringLiteral("_VBA_PROJECT_CUR/PROJECT"),
                              QStringLiteral("_VBA_PROJECT_CUR/VBA/Module1"),
                              QStringLiteral("_VBA_PROJECT_CUR/VBA/dir")}));
        QByteArray dir;
        for (int i = 0; i < 20 * 256; ++i)
            dir.append(char(i % 256));
        QCOMPARE(all.value(QStringLiteral("_VBA_PROJECT_CUR/VBA/dir")), dir);
        QCOMPARE(all.value(QStringLiteral("_VBA_PROJECT_CUR/PROJECT")),
                 QByteArray("ID=\"{00000000-0000-0000-0000-000000000000}\"\r\n").repeated(3));
        QVERIFY(all.value(QStringLiteral("Workbook")).startsWith(QByteArray("\x09\x08\x10\0", 4)));
        const int vba = file.child(0, QStringLiteral("_vba_project_cur"));
        QVERIFY(vba > 0);
        QVERIFY(file.child(file.child(vba, QStringLiteral("VBA")), QStringLiteral("DIR")) > 0);
        QCOMPARE(file.child(0, QStringLiteral("Book")), -1);

        // The mini stream's recorded size may end inside its last sector.
        CompoundFile small;
        QVERIFY2(small.load(fixtureBytes(QStringLiteral("mini-stream-size.xls")), &why),
                 qPrintable(why));
        QCOMPARE(streams(small).value(QStringLiteral("\x05SummaryInformation")),
                 QByteArray("\xFE\xFF", 2) + QByteArray(198, '\0'));
    }

    // A stream grown past the allocation table's first sector and past the
    // 109 table sectors the header indexes, shrunk, and moved out of the
    // mini stream: the other streams stay as they were.
    void replacesOneStreamKeepingTheOthers_data()
    {
        QTest::addColumn<QString>("stream");
        QTest::addColumn<int>("size");
        QTest::newRow("grown") << QStringLiteral("Workbook") << 300000;
        QTest::newRow("grown past the header's index") << QStringLiteral("Workbook") << 8000000;
        QTest::newRow("shrunk") << QStringLiteral("Workbook") << 5000;
        QTest::newRow("out of the mini stream") << QStringLiteral("\x05SummaryInformation") << 4096;
    }
    void replacesOneStreamKeepingTheOthers()
    {
        QFETCH(QString, stream);
        QFETCH(int, size);
        const QByteArray original = fixtureBytes(QStringLiteral("basic.xls"));
        CompoundFile file;
        QString why;
        QVERIFY(file.load(original, &why));
        QMap<QString, QByteArray> expected = streams(file);
        QByteArray content(size, '\0');
        for (int i = 0; i < size; i += 7)
            content[i] = char(i / 7);
        expected.insert(stream, content);
        QByteArray written;
        QVERIFY2(file.replaceStream(file.child(0, stream), content, &written, &why),
                 qPrintable(why));
        QCOMPARE(written.size() % 512, 0);
        // The same content in pieces, cut anywhere (within a sector, and
        // empty ones), makes the same file.
        CompoundFile::Pieces pieces;
        for (int at = 0, cut = 1; at < size; at += cut, cut = cut * 3 + 1)
            pieces << content.mid(at, cut) << QByteArray();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(file.replaceStream(file.child(0, stream), pieces, &buffer, &why));
        QCOMPARE(buffer.data(), written);
        CompoundFile again;
        QVERIFY2(again.load(written, &why), qPrintable(why));
        QCOMPARE(streams(again), expected);
        // The old content is gone from the file, not left in freed sectors.
        const QByteArray old = streams(file).value(stream).mid(0, 64);
        if (size != 4096)
            QCOMPARE(written.indexOf(old.mid(20, 40)), -1);
        // Taken out first, as a workbook is read, the stream is replaced
        // the same from the rest of the file alone; nothing else is then
        // read from it or replaced.
        CompoundFile taken;
        QVERIFY(taken.load(original, &why));
        const int entry = taken.child(0, stream);
        QByteArray held;
        QVERIFY2(taken.takeStream(entry, &held, &why), qPrintable(why));
        QCOMPARE(held, streams(file).value(stream));
        QVERIFY(!taken.readStream(entry, &held, &why));
        QByteArray same;
        QVERIFY2(taken.replaceStream(entry, content, &same, &why), qPrintable(why));
        QCOMPARE(same, written);
        const int other = taken.child(0, QStringLiteral("\x05SummaryInformation")) == entry
                              ? taken.child(0, QStringLiteral("Workbook"))
                              : taken.child(0, QStringLiteral("\x05SummaryInformation"));
        QVERIFY(!taken.replaceStream(other, content, &same, &why));
    }

    // Debian's xlrd reads the container we wrote, with the workbook stream
    // grown (zeros after the last record).
    void independentReaderAgrees()
    {
        QTemporaryDir dir;
        const QByteArray original = fixtureBytes(QStringLiteral("strings.xls"));
        CompoundFile file;
        QString why;
        QVERIFY(file.load(original, &why));
        QByteArray workbook;
        QVERIFY(file.readStream(file.child(0, QStringLiteral("Workbook")), &workbook, &why));
        QByteArray written;
        QVERIFY(file.replaceStream(file.child(0, QStringLiteral("Workbook")),
                                   workbook + QByteArray(7000000, '\0'), &written, &why));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("a.xls")), original));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("b.xls")), written));
        QString output;
        QVERIFY(runPython(
            QStringLiteral("import xlrd, hashlib\n"
                           "for name in ('a', 'b'):\n"
                           "    s = xlrd.open_workbook('%1/' + name + '.xls').sheet_by_index(0)\n"
                           "    cells = [s.row_values(r) for r in range(s.nrows)]\n"
                           "    print(len(cells), hashlib.md5(repr(cells).encode()).hexdigest())\n")
                .arg(dir.path()),
            &output));
        const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(1), lines.at(0));
        QVERIFY(lines.at(0).startsWith(QStringLiteral("3003 ")));
    }

    void refusesDamagedContainers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = fixtureBytes(QStringLiteral("basic.xls"));
        QTest::newRow("not a compound file") << QByteArray("PK\3\4").append(QByteArray(600, 'x'));
        QTest::newRow("header only") << good.left(512);
        QTest::newRow("cut in half") << good.left(good.size() / 2);
        QByteArray version = good;
        put32(&version, 26, 0x000C0005);
        QTest::newRow("unknown version") << version;
        QByteArray fatOutside = good;
        put32(&fatOutside, 76, 0x00FFFFFF);
        QTest::newRow("allocation table outside the file") << fatOutside;
        // The workbook stream's first sector pointing at itself.
        CompoundFile file;
        QString why;
        file.load(good, &why);
        const quint32 first = file.entries().at(file.child(0, QStringLiteral("Workbook"))).start;
        const quint32 fatSector = qFromLittleEndian<quint32>(good.constData() + 76);
        QByteArray loop = good;
        put32(&loop, int((fatSector + 1) * 512 + first * 4), first);
        QTest::newRow("chain loops") << loop;
        // The root's first child made its own right sibling.
        const quint32 directory = qFromLittleEndian<quint32>(good.constData() + 48);
        const int rootChild =
            int(qFromLittleEndian<quint32>(good.constData() + (directory + 1) * 512 + 76));
        QByteArray tree = good;
        put32(&tree, int((directory + 1) * 512 + rootChild * 128 + 72), quint32(rootChild));
        QTest::newRow("tree loops") << tree;
        // Two streams sharing a sector.
        QByteArray shared = good;
        const int vbaDir = file.child(
            file.child(file.child(0, QStringLiteral("_VBA_PROJECT_CUR")), QStringLiteral("VBA")),
            QStringLiteral("dir"));
        put32(&shared, int((directory + 1) * 512 + vbaDir * 128 + 116), first);
        QTest::newRow("streams overlap") << shared;
    }
    void refusesDamagedContainers()
    {
        QFETCH(QByteArray, bytes);
        CompoundFile file;
        QString why;
        QVERIFY(!file.load(bytes, &why));
        QVERIFY(!why.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCompoundFile)
#include "tst_compoundfile.moc"
