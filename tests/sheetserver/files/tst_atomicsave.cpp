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

// What a workbook has that says who may read it: owner, group, mode and
// every extended attribute (the access control list among them).
QString accessOf(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0)
        return QStringLiteral("gone");
    QString text = QStringLiteral("%1:%2 %3")
                       .arg(info.st_uid)
                       .arg(info.st_gid)
                       .arg(info.st_mode & 07777, 0, 8);
    QByteArray names(4096, '\0');
    const ssize_t size = ::listxattr(name.constData(), names.data(), size_t(names.size()));
    QList<QByteArray> sorted = names.left(int(qMax<ssize_t>(size, 0))).split('\0');
    std::sort(sorted.begin(), sorted.end());
    for (const QByteArray &attribute : qAsConst(sorted)) {
        QByteArray value(4096, '\0');
        const ssize_t got =
            ::getxattr(name.constData(), attribute.constData(), value.data(), size_t(value.size()));
        if (!attribute.isEmpty() && !attribute.startsWith("security."))
            text += QLatin1Char(' ') + attribute + '=' + value.left(int(got)).toHex();
    }
    return text;
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QStringList hiddenAndAll(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Every write past `bytes` fails, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_saved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    sighandler_t m_handler;
};

} // namespace

class TestAtomicSave : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    }

    // A full disk (here a file size limit) fails the save whole, however
    // little of the new file is missing, and the next save succeeds.
    void fullDiskLeavesTheWorkbook_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("missing"); // bytes of the new file that do not fit
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
        {
            ServerSession session(reference);
            session.set(1, QStringLiteral("A1"), QStringLiteral("changed"));
            QVERIFY(session.save());
        }
        const qint64 newSize = QFileInfo(reference).size();
        ServerSession session(path);
        session.set(1, QStringLiteral("A1"), QStringLiteral("changed"));
        bool saved = true;
        {
            FileSizeLimit limit(missing < 0 ? 0 : rlim_t(newSize - missing));
            saved = session.save();
        }
        QVERIFY(!saved);
        QCOMPARE(readFile(path), fixtureBytes(file));
        QCOMPARE(hiddenAndAll(dir.path()), QStringList({".~lock." + file + '#', file}));
        QVERIFY(session.save());
        QCOMPARE(readFile(path), readFile(reference));
    }

    // Two holders never both rewrite a workbook: a second open is refused
    // while another program holds it, by its lock on the file or by its
    // lock file; a lock file that a crash left here does not hold it.
    void aHeldWorkbookIsNotOpened_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("opens");
        QTest::newRow("this program, another instance") << "instance" << false;
        QTest::newRow("an office suite's lock on the file") << "fcntl" << false;
        QTest::newRow("LibreOffice on another host") << "other host" << false;
        QTest::newRow("LibreOffice here, crashed") << "this host" << true;
        QTest::newRow("unreadable lock file, nobody holding") << "garbage" << true;
    }
    void aHeldWorkbookIsNotOpened()
    {
        QFETCH(QString, holder);
        QFETCH(bool, opens);
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        const QString lockFile = OfficeLockFile::pathFor(path);
        OfficeLockFile::Entry office{QString(), QStringLiteral("alice"),
                                     QStringLiteral("far, away"),
                                     QStringLiteral("09.12.2026 10:00"),
                                     QStringLiteral("file:///home/alice/.config/libreoffice/4")};
        std::unique_ptr<ServerSession> first;
        int fd = -1;
        if (holder == QLatin1String("instance"))
            first = std::make_unique<ServerSession>(path);
        if (holder == QLatin1String("fcntl")) {
            // LibreOffice's lock: one of the process, not of a descriptor.
            fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
            struct flock range = {};
            range.l_type = F_WRLCK;
            QCOMPARE(::fcntl(fd, F_SETLK, &range), 0);
        }
        if (holder == QLatin1String("this host"))
            office.host = OfficeLockFile::hostName();
        if (holder.endsWith(QLatin1String("host")))
            QVERIFY(writeFile(lockFile, OfficeLockFile::format(office)));
        if (holder == QLatin1String("garbage"))
            QVERIFY(writeFile(lockFile, QByteArray("\0\1", 2)));
        const QByteArray lockBefore = readFile(lockFile);
        {
            ServerSession second(path);
            QCOMPARE(!second.book->isNull(), opens);
            if (opens) {
                OfficeLockFile::Entry written;
                QVERIFY(OfficeLockFile::parse(readFile(lockFile), &written));
                QCOMPARE(written.name, QStringLiteral("Quorvane"));
                QCOMPARE(written.host, OfficeLockFile::hostName());
                second.set(1, QStringLiteral("A1"), QStringLiteral("mine"));
                QVERIFY(second.save());
            } else {
                QCOMPARE(readFile(lockFile), lockBefore);
            }
        }
        if (fd >= 0)
            ::close(fd);
        first.reset();
        QCOMPARE(QFileInfo::exists(lockFile), holder == QLatin1String("other host"));
        QFile::remove(lockFile); // what the README tells a user to do then
        ServerSession later(path);
        QVERIFY(!later.book->isNull());
        QCOMPARE(later.text(1, QStringLiteral("A1")) == QLatin1String("mine"), opens);
    }

    // Another program changes or takes the workbook between open and save:
    // nothing of ours replaces what it left.
    void anotherProgramMeanwhileFailsTheSave_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("renamed over it, same size and time") << "rename";
        QTest::newRow("rewritten in place, same size and time") << "in place";
        QTest::newRow("took over the lock file") << "lock file";
    }
    void anotherProgramMeanwhileFailsTheSave()
    {
        QFETCH(QString, what);
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        ServerSession session(path);
        session.set(1, QStringLiteral("A1"), QStringLiteral("ours"));
        QByteArray theirs = fixtureBytes(QStringLiteral("basic.xlsx"));
        if (what != QLatin1String("lock file")) {
            // Their edit keeps the file's size and, set back, its time.
            theirs[theirs.size() - 1] = theirs.at(theirs.size() - 1) ^ 1;
            const QString other =
                what == QLatin1String("rename") ? dir.filePath(QStringLiteral("other")) : path;
            struct stat info = {};
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
            QVERIFY(writeFile(other, theirs));
            const timespec times[2] = {info.st_atim, info.st_mtim};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(other).constData(), times, 0), 0);
            QCOMPARE(
                ::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()),
                0);
        } else {
            OfficeLockFile::Entry entry = OfficeLockFile::ours();
            entry.name = QStringLiteral("Someone Else");
            QVERIFY(writeFile(OfficeLockFile::pathFor(path), OfficeLockFile::format(entry)));
        }
        QVERIFY(!session.save());
        QCOMPARE(readFile(path), theirs);
    }

    // The last look at the workbook comes right before the rename: a write
    // by another program while the new file is made fails the save.
    void aChangeWhileSavingFailsTheSave()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        WorkbookHold hold;
        QString why;
        QVERIFY(hold.take(path, &why));
        const QByteArray theirs("written meanwhile");
        AtomicSave save(&hold);
        QVERIFY(!save.write(
            [&](QIODevice *out, QString *) {
                return out->write("ours") == 4 && writeFile(path, theirs);
            },
            &why));
        QCOMPARE(readFile(path), theirs);
        QVERIFY(!QFileInfo::exists(TemporaryCopy::pathFor(path)));
    }

    // After a save the new file is the one held: read through the hold and
    // still not free for another holder.
    void theNewFileIsHeldAfterASave()
    {
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        WorkbookHold hold;
        QString why;
        QVERIFY(hold.take(path, &why));
        AtomicSave save(&hold);
        QVERIFY2(save.write(QByteArray("new content"), &why), qPrintable(why));
        QByteArray bytes;
        QVERIFY2(hold.read(&bytes, &why), qPrintable(why));
        QCOMPARE(bytes, QByteArray("new content"));
        WorkbookHold other;
        QVERIFY(!other.take(path, &why));
        hold.release();
        QVERIFY(other.take(path, &why));
    }

    // A save keeps who may read and write the file, in every format; where
    // the machine keeps no control lists or attributes, those rows skip.
    void saveKeepsWhoMayReadTheFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("owner"); // uid:gid, empty to keep ours
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("acl");        // setfacl's -m argument
        QTest::addColumn<bool>("folderDefault"); // the folder gives new files an ACL
        QTest::addColumn<QByteArray>("attribute");
        QTest::newRow("another user's, group users")
            << "basic.xlsx"
            << "65534:100" << 0640 << "" << false << QByteArray();
        QTest::newRow("setgid, group shared") << "basic.xls"
                                              << "0:100" << 02770 << "" << false << QByteArray();
        QTest::newRow("setuid and sticky") << "sample.csv"
                                           << "" << 05644 << "" << false << QByteArray();
        QTest::newRow("control list")
            << "basic.xlsx"
            << "" << 0640 << "u:65534:rw,g:100:r" << false << QByteArray();
        QTest::newRow("no list where the folder gives one")
            << "basic.xls"
            << "" << 0600 << "" << true << QByteArray();
        QTest::newRow("user attribute") << "sample.csv"
                                        << "" << 0644 << "" << false << QByteArray("user.origin");
    }
    void saveKeepsWhoMayReadTheFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, owner);
        QFETCH(int, mode);
        QFETCH(QString, acl);
        QFETCH(bool, folderDefault);
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
        if (!acl.isEmpty() && !run(QStringLiteral("setfacl"), {QStringLiteral("-m"), acl, path}))
            QSKIP("no setfacl, or no access control lists on this file system");
        if (folderDefault &&
            !run(QStringLiteral("setfacl"), {QStringLiteral("-d"), QStringLiteral("-m"),
                                             QStringLiteral("u:65534:rwx"), dir.path()}))
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

    // A user who may write another's workbook cannot make the new file
    // theirs: the save fails rather than hand the workbook over.
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
        ::setfsgid(65534); // this thread alone
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
    void staleTemporaryCopiesGo_data()
    {
        QTest::addColumn<bool>("byOpen");
        QTest::newRow("next open") << true;
        QTest::newRow("next save") << false;
    }
    void staleTemporaryCopiesGo()
    {
        QFETCH(bool, byOpen);
        QTemporaryDir dir;
        const QString path = copy(QStringLiteral("basic.xlsx"), dir.path());
        const QString stale = TemporaryCopy::pathFor(path);
        const QStringList others = {QStringLiteral(".basic.xlsx.other"),
                                    QStringLiteral("basic.xlsx.quorvane-saving"),
                                    QStringLiteral(".basic.xls.quorvane-saving")};
        for (const QString &other : others)
            QVERIFY(writeFile(dir.filePath(other), "not ours"));
        if (byOpen)
            QVERIFY(writeFile(stale, "left by a kill"));
        ServerSession session(path);
        QVERIFY(!session.book->isNull());
        QVERIFY(!QFileInfo::exists(stale));
        QVERIFY(writeFile(stale, "left by a kill"));
        session.set(1, QStringLiteral("A1"), QStringLiteral("changed"));
        QVERIFY(session.save());
        session.book->dynamicCall("Close()");
        QStringList left = others + QStringList(QStringLiteral("basic.xlsx"));
        left.sort();
        QCOMPARE(hiddenAndAll(dir.path()), left);
    }

    // The lock file reads as LibreOffice writes it, escapes and all.
    void lockFileEntries_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("fields"); // empty: not an entry
        QTest::newRow("LibreOffice's")
            << QByteArray(",alice,pc1,09.12.2026 10:00,file:///home/a;")
            << QStringList{"", "alice", "pc1", "09.12.2026 10:00", "file:///home/a"};
        QTest::newRow("escaped") << QByteArray("A\\, B,u\\;v,h\\\\k,t,url;\n")
                                 << QStringList{"A, B", "u;v", "h\\k", "t", "url"};
        QTest::newRow("utf-8 name") << QByteArray("\xE5\xBC\xA0\xE4\xB8\x89,zs,pc,t,u;")
                                    << QStringList{"张三", "zs", "pc", "t", "u"};
        QTest::newRow("four fields") << QByteArray(",alice,pc1,09.12.2026 10:00;") << QStringList();
        QTest::newRow("unfinished") << QByteArray(",alice,pc1,t,url") << QStringList();
        QTest::newRow("empty") << QByteArray() << QStringList();
    }
    void lockFileEntries()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, fields);
        OfficeLockFile::Entry entry;
        QCOMPARE(OfficeLockFile::parse(bytes, &entry), !fields.isEmpty());
        if (fields.isEmpty())
            return;
        QCOMPARE(QStringList({entry.name, entry.user, entry.host, entry.time, entry.url}), fields);
        OfficeLockFile::Entry again;
        QVERIFY(OfficeLockFile::parse(OfficeLockFile::format(entry), &again));
        QCOMPARE(QStringList({again.name, again.user, again.host, again.time, again.url}), fields);
    }
};

QTEST_GUILESS_MAIN(TestAtomicSave)
#include "tst_atomicsave.moc"
