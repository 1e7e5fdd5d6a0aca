#ifndef WORKBOOKHOLD_H
#define WORKBOOKHOLD_H

#include "files/OfficeLockFile.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>
#include <time.h>

struct stat;

// A workbook held from open to close, as office programs on Linux hold a
// document they have open, so that no two of them rewrite it at once: an
// advisory lock on the file itself (a lock of the open file description,
// which LibreOffice's own lock on the file and every other holder's
// conflict with, in this process too), and LibreOffice's lock file beside
// it. Neither stops anyone from reading the file. The file is reached
// through symbolic links: the target is what is held and rewritten.
class WorkbookHold
{
public:
    WorkbookHold() = default;
    ~WorkbookHold() { release(); }
    Q_DISABLE_COPY(WorkbookHold)

    // Takes the workbook; false, with the reason, when there is no such
    // file or another program holds it. Stale temporary copies of it are
    // removed then.
    bool take(const QString &path, QString *why);
    // The whole file, read through the held descriptor.
    bool read(QByteArray *bytes, QString *why) const;
    void release();

    const QString &target() const { return m_target; }
    int descriptor() const { return m_fd; }
    qint64 size() const { return m_seen.size; }
    // The file at the target is still the one held, as it was when taken
    // or last saved (inode, size, modification and change times), and no other
    // program's lock file has appeared beside it.
    bool isUndisturbed(QString *why) const;
    // After the new file has replaced the old one: hold the new one, whose
    // descriptor (already locked) this takes over.
    void adopt(int fd);

    // Locks a descriptor for writing, without waiting. Held: another
    // holder has it. Unsupported: the file system keeps no such locks.
    enum class Lock { Taken, Held, Unsupported };
    static Lock lock(int fd, bool forWriting);

private:
    struct Identity
    {
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = -1;
        timespec modified{};
        // A writer that sets the modification time back (rsync --inplace
        // does) still changes this.
        timespec changed{};
        bool operator==(const Identity &other) const;
        static Identity of(const struct stat &info);
    };

    QString m_target;
    int m_fd = -1;
    Identity m_seen;
    OfficeLockFile m_lockFile;
};

#endif // WORKBOOKHOLD_H
