#include "AutomationClient.h"
#include "WorkbookFixtures.h"
#include "files/AtomicSave.h"
#include "files/OfficeLockFile.h"
#include "files/TemporaryCopy.h"
#include "files/WorkbookHold.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace WorkbookFixtures;

namespace {

// Owner, group, mode and every extended attribute (the access control
// list among them): what says who may read a workbook.
QString accessOf(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    ::stat(name.constData(), &info);
    QString text = QStringLiteral("%1:%2 %3")
                       .arg(info.st_uid)
                       .arg(info.st_gid)
                       .arg(info.st_mode & 07777, 0, 8);
    char buffer[4096];
    const ssize_t listed = ::listxattr(name.constData(), buffer, sizeof buffer);
    QList<QByteArray> sorted = QByteArray(buffer, int(qMax<ssize_t>(listed, 0))).split('\0');
    std::sort(sorted.begin(), sorted.end());
    for (const QByteArray &attribute : qAsConst(sorted)) {
        const ssize_t got =
            ::getxattr(name.constData(), attribute.constData(), buffer, sizeof buffer);
        if (!attribute.isEmpty() && !attribute.startsWith("security."))
            text += QLatin1Char(' ') + attribute + '=' +
                    QByteArray(buffer, int(qMax<ssize_t>(got, 0))).toHex();
    }
    return text;
}

QStringList hiddenAndAll(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Every write past `bytes` fails, as on a full disk.
bool saveWithin(ServerSession &session, rlim_t bytes)
{
    rlimit usual{};
    getrlimit(RLIMIT_FSIZE, &usual);
    rlimit small = usual;
    small.rlim_cur = bytes;
    const sighandler_t handler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = session.save();
    setrlimit(RLIMIT_FSIZE, &usual);
    signal(SIGXFSZ, handler);
    return saved;
}

bool runSetfacl(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("setfacl"), arguments) == 0;
}

} // namespace

class TestAtomicSave : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    }

    // A full disk fails the save whole, however little of the new file is
    // missing; the next save, with room, succeeds.
    void fullDiskLeavesTheWorkbook_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("missing"); // bytes of the new file that do not fit; -1 all
        for (const char *file : {"basic.xlsx", "basic.xls", "libreoffice.xls", "sample.csv"}) {
            QTest::addRow("%s, nothing fits", file) << QString::fromLatin1(file) << -1;
            QTest::addRow("%s, the last byte", file) << QString::fromLatin1(file) << 1;
        }
    }
    void fullDiskLeavesTheWorkbook()
    {
        QFETCH(QString, file);
        QFETCH(int, missing);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(QStringLiteral("reference"));
        const QString reference = copy(file, dir.filePath(QStringLiteral("reference")));
        const QString path = copy(file, dir.path());
        for (const QString &copy : {reference, path}) {
            ServerSession session(copy);
            session.set(1, QStringLiteral("A1"), QStringLiteral("changed"));
            if (copy == reference) {
                QVERIFY(session.save());
                continue;
            }
            const qint64 size = QFileInfo(reference).size();
            QVERIFY(!saveWithin(session, missing < 0 ? 0 : rlim_t(size - missing)));
            QCOMPARE(readFile(path), fixtureBytes(file));
            QCOMPARE(hiddenAndAll(dir.path()), QStringList({".~lock." + file + '#', file}));
            QVERIFY(session.save());
            QCOMPARE(readFile(path), readFile(reference));
        }
    }

    // A workbook another program holds, by a lock on the file or by a lock
    // file, is not opened; a lock file that a crash left here does not hold it.
    void aHeldWorkbookIsNotOpened_data()
    {
        const QByteArray here = OfficeLockFile::hostName().toUtf8();
        QTest::addColumn<QString>("holder");
        QTest::addColumn<QByteArray>("lockFile"); // as LibreOffice writes it
        QTest::addColumn<bool>("opens");
        QTest::newRow("another instance of this program") << "instance" << QByteArray() << false;
        QTest::newRow("an office suite's lock on the file") << "fcntl" << QByteArray() << false;
        QTest::newRow("LibreOffice on another host")
            << "" << QByteArray(",alice,far\\, away,09.12.2026 10:00,file:///home/alice;") << false;
        QTest::newRow("left here by a crash")
            << ""
            << ",alice," + here + ",09.12.2026 10:00,file:///home/alice;" << true;
        QTest::newRow("unreadable, nobody holding") << "" << QByteArray("\0\1", 2) << true;
    }
    void aHeldWorkbookIsNotOpened()
    {
        QFETCH(QString, holder);
        QFETCH(QByteArray, lockFile);
        QFETCH(bool, opens);
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        const QString lockPath = OfficeLockFile::pathFor(path);
        std::unique_ptr<ServerSession> first;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
        if (holder == QLatin1String("instance"))
            first = std::make_unique<ServerSession>(path);
        struct flock range = {}; // LibreOffice's lock is one of the process
        range.l_type = F_WRLCK;
        if (holder == QLatin1String("fcntl"))
            QCOMPARE(::fcntl(fd, F_SETLK, &range), 0);
        if (!lockFile.isEmpty())
            QVERIFY(writeFile(lockPath, lockFile));
        const QByteArray lockBefore = readFile(lockPath);
        {
            ServerSession second(path);
            QCOMPARE(!second.book->isNull(), opens);
            OfficeLockFile::Entry written;
            if (opens) {
                QVERIFY(OfficeLockFile::parse(readFile(lockPath), &written));
                QCOMPARE(written.name + written.host, "Quorvane" + OfficeLockFile::hostName());
                second.set(1, QStringLiteral("A1"), QStringLiteral("mine"));
                QVERIFY(second.save());
            } else {
                QCOMPARE(readFile(lockPath), lockBefore);
            }
        }
        ::close(fd);
        first.reset();
        QCOMPARE(QFileInfo::exists(lockPath), !opens && !lockFile.isEmpty());
        QFile::remove(lockPath); // what the README tells a user to do then
        ServerSession later(path);
        QCOMPARE(later.text(1, QStringLiteral("A1")) == QLatin1String("mine"), opens);
    }

    // Another program changes or takes the workbook between open and save,
    // or while the new file is made: nothing of ours replaces what it left.
    void anotherProgramMeanwhileFailsTheSave_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("renamed over it, same size and time") << "rename";
        QTest::newRow("rewritten in place, same size and time") << "in place";
        QTest::newRow("took over the lock file") << "lock file";
        QTest::newRow("wrote it while the new file was made") << "while saving";
    }
    void anotherProgramMeanwhileFailsTheSave()
    {
        QFETCH(QString, what);
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        QByteArray theirs = fixtureBytes(QStringLiteral("basic.xlsx"));
        theirs[theirs.size() - 1] = theirs.at(theirs.size() - 1) ^ 1; // size kept
        WorkbookHold hold;
        QString why;
        QVERIFY(hold.take(path, &why));
        if (what == QLatin1String("rename") || what == QLatin1String("in place")) {
            const QString other = what == QLatin1String("rename") ? path + "~" : path;
            struct stat info = {};
            ::stat(QFile::encodeName(path).constData(), &info);
            QVERIFY(writeFile(other, theirs));
            const timespec times[2] = {info.st_atim, info.st_mtim}; // time set back
            ::utimensat(AT_FDCWD, QFile::encodeName(other).constData(), times, 0);
            if (other != path)
                QVERIFY(QFile::rename(path, path + ".old") && QFile::rename(other, path));
        }
        if (what == QLatin1String("lock file"))
            QVERIFY(writeFile(OfficeLockFile::pathFor(path), ",bob,far,t,u;"));
        const bool meanwhile = what == QLatin1String("while saving");
        AtomicSave save(&hold);
        QVERIFY(!save.write(
            [&](QIODevice *out, QString *) {
                return out->write("ours") == 4 && (!meanwhile || writeFile(path, theirs));
            },
            &why));
        QCOMPARE(readFile(path),
                 what == QLatin1String("lock file") ? fixtureBytes("basic.xlsx") : theirs);
        QVERIFY(!QFileInfo::exists(TemporaryCopy::pathFor(path)));
    }

    // After a save the new file is the one held: read through the hold, and
    // not free for another holder until released.
    void theNewFileIsHeldAfterASave()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        WorkbookHold hold;
        WorkbookHold other;
        QString why;
        QByteArray bytes;
        QVERIFY(hold.take(path, &why));
        QVERIFY2(AtomicSave(&hold).write(QByteArray("new"), &why), qPrintable(why));
        QVERIFY2(hold.read(&bytes, &why), qPrintable(why));
        QCOMPARE(bytes, QByteArray("new"));
        QVERIFY(!other.take(path, &why));
        hold.release();
        QVERIFY(other.take(path, &why));
    }

    // A save keeps who may read and write the file, in every format; rows
    // skip where the machine keeps no control lists or attributes.
    void saveKeepsWhoMayReadTheFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("owner"); // uid:gid; empty keeps ours
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("setfacl"); // on the file, or with -d on its folder
        QTest::addColumn<QByteArray>("attribute");
        QTest::newRow("another user's, group users")
            << "basic.xlsx"
            << "65534:100" << 0640 << QStringList() << QByteArray();
        QTest::newRow("setgid, group shared") << "basic.xls"
                                              << "0:100" << 02770 << QStringList() << QByteArray();
        QTest::newRow("setuid and sticky") << "sample.csv"
                                           << "" << 05644 << QStringList() << QByteArray();
        QTest::newRow("control list")
            << "basic.xlsx"
            << "" << 0640 << QStringList{"-m", "u:65534:rw,g:100:r"} << QByteArray();
        QTest::newRow("no list where the folder gives one")
            << "basic.xls"
            << "" << 0600 << QStringList{"-d", "-m", "u:65534:rwx"} << QByteArray();
        QTest::newRow("user attribute") << "sample.csv"
                                        << "" << 0644 << QStringList() << QByteArray("user.origin");
    }
    void saveKeepsWhoMayReadTheFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, owner);
        QFETCH(int, mode);
        QFETCH(QStringList, setfacl);
        QFETCH(QByteArray, attribute);
        if (!owner.isEmpty() && ::geteuid() != 0)
            QSKIP("only root may give a file to another user");
        QTemporaryDir dir;
        const QString path = copy(file, dir.path());
        const QByteArray name = QFile::encodeName(path);
        if (!owner.isEmpty())
            QCOMPARE(::chown(name.constData(), owner.section(':', 0, 0).toUInt(),
                             owner.section(':', 1).toUInt()),
                     0);
        QCOMPARE(::chmod(name.constData(), mode_t(mode)), 0);
        if (!setfacl.isEmpty() &&
            !runSetfacl(setfacl + QStringList(setfacl.first() == "-d" ? dir.path() : path)))
            QSKIP("no setfacl, or no access control lists on this file system");
        if (!attribute.isEmpty() &&
            ::setxattr(name.constData(), attribute.constData(), "scan", 4, 0))
            QSKIP("no user attributes on this file system");
        const QString before = accessOf(path);
        {
            ServerSession session(path);
            session.set(1, QStringLiteral("A1"), QStringLiteral("changed"));
            QVERIFY(session.save());
        }
        QCOMPARE(ServerSession(path).text(1, QStringLiteral("A1")), QStringLiteral("changed"));
        QCOMPARE(accessOf(path), before);
    }

    // One who may write another's workbook cannot make the new file theirs:
    // the save fails rather than hand the workbook over.
    void anOwnerThatCannotBeKeptFailsTheSave()
    {
        if (::geteuid() != 0)
            QSKIP("needs root, to act as another user");
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::Permissions(0x7777));
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        QFile::setPermissions(path, QFile::Permissions(0x6666));
        ServerSession session(path);
        session.set(1, QStringLiteral("A1"), QStringLiteral("changed"));
        ::setfsgid(65534); // this thread alone, as nobody
        ::setfsuid(65534);
        const bool saved = session.save();
        ::setfsuid(0);
        ::setfsgid(0);
        QVERIFY(!saved);
        QCOMPARE(readFile(path), fixtureBytes(QStringLiteral("basic.xlsx")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList(QStringLiteral("basic.xlsx")));
    }

    // A link keeps pointing at its target, which is rewritten; a target in
    // a read-only folder is not.
    void linksKeepPointingAtTheirTargets_data()
    {
        QTest::addColumn<bool>("readOnlyTarget");
        QTest::newRow("target rewritten") << false;
        QTest::newRow("target in a read-only folder") << true;
    }
    void linksKeepPointingAtTheirTargets()
    {
        QFETCH(bool, readOnlyTarget);
        QTemporaryDir dir;
        const QString targets = dir.filePath(QStringLiteral("targets"));
        QDir(dir.path()).mkdir(QStringLiteral("targets"));
        const QString target = copy(QStringLiteral("basic.xlsx"), targets);
        const QString link = dir.filePath(QStringLiteral("link.xlsx"));
        QVERIFY(QFile::link(target, link));
        if (readOnlyTarget)
            QFile::setPermissions(targets, QFile::ReadOwner | QFile::ExeOwner);
        bool saved = false;
        {
            ServerSession session(link);
            session.set(1, QStringLiteral("A1"), QStringLiteral("through the link"));
            saved = session.save();
        }
        QFile::setPermissions(targets, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(saved, !readOnlyTarget);
        QCOMPARE(QFileInfo(link).symLinkTarget(), target);
        QCOMPARE(readFile(target) == fixtureBytes(QStringLiteral("basic.xlsx")), readOnlyTarget);
        QCOMPARE(hiddenAndAll(targets), QStringList(QStringLiteral("basic.xlsx")));
    }

    // A temporary copy that a killed save left is removed by the next open
    // or save of its workbook, and nothing else beside it.
    void staleTemporaryCopiesGo()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        const QString stale = TemporaryCopy::pathFor(path);
        QStringList kept = {QStringLiteral(".basic.xlsx.other"),
                            QStringLiteral("basic.xlsx.quorvane-saving"),
                            QStringLiteral(".basic.xls.quorvane-saving")};
        for (const QString &other : kept + QStringList(stale))
            QVERIFY(writeFile(QDir(dir.path()).filePath(other), "not the workbook"));
        ServerSession session(path);
        QVERIFY(!QFileInfo::exists(stale)); // by the open
        QVERIFY(writeFile(stale, "left by a killed save"));
        session.set(1, QStringLiteral("A1"), QStringLiteral("changed"));
        QVERIFY(session.save());
        session.book->dynamicCall("Close()");
        kept << QStringLiteral("basic.xlsx");
        kept.sort();
        QCOMPARE(hiddenAndAll(dir.path()), kept);
    }
};

QTEST_GUILESS_MAIN(TestAtomicSave)
#include "tst_atomicsave.moc"
