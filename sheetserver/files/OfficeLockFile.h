#ifndef OFFICELOCKFILE_H
#define OFFICELOCKFILE_H

#include <QByteArray>
#include <QString>

// The lock file that LibreOffice keeps beside a document it has open,
// ".~lock." + file name + "#", written here too while a workbook is held so
// that LibreOffice sees it taken. It holds one entry of five fields, each
// ended by ',' and the last by ';', with '\' put before any ',' ';' or '\'
// inside a field: the name the user gave the office suite, the system user,
// the host, the time it was taken ("dd.MM.yyyy HH:mm") and the URL of the
// holder's settings folder.
class OfficeLockFile
{
public:
    struct Entry
    {
        QString name;
        QString user;
        QString host;
        QString time;
        QString url;
    };

    enum class Outcome {
        Taken,     // ours now
        Held,      // another program's
        Unwritable // the folder takes no file (read-only, full): held without it
    };

    OfficeLockFile() = default;
    ~OfficeLockFile() { remove(); }
    Q_DISABLE_COPY(OfficeLockFile)

    static QString pathFor(const QString &workbook);
    static QByteArray format(const Entry &entry);
    static bool parse(const QByteArray &bytes, Entry *entry);
    // This program, the user and host it runs as, now.
    static Entry ours();
    static QString hostName();

    // Writes our entry beside the workbook (only checks for others' when
    // not `mayWrite`). An entry already there is another program's, unless
    // it was left by a crash: written on this host (or unreadable) while
    // nothing else holds the workbook, which `nobodyElseHolds` tells; such
    // an entry is replaced.
    Outcome take(const QString &workbook, bool nobodyElseHolds, bool mayWrite, QString *why);
    // No other program's entry lies beside the workbook: ours is still
    // there, or none could be written and none has appeared.
    bool isUndisturbed(QString *why) const;
    // Removes our entry, if it is still ours.
    void remove();

private:
    QString m_path;
    QByteArray m_written; // empty when we wrote none
};

#endif // OFFICELOCKFILE_H
