#ifndef ATOMICSAVE_H
#define ATOMICSAVE_H

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

class WorkbookHold;

// Replaces a held workbook's content all at once: the bytes go to a hidden
// temporary file beside it, every write checked; the new file gets the old
// one's owner, group, mode and extended attributes and is synced to disk;
// then, if the workbook is still the file that was opened and no other
// program has taken it meanwhile, the new file is renamed over it and the
// folder synced, so that the new name survives a power cut. Whatever goes
// wrong before the rename, the original stays as it was and the temporary
// file is removed.
//
// A file or folder that nobody may write to is not written, even by a user
// (root) whom the system would let: the owner marked it read-only.
class AtomicSave
{
public:
    explicit AtomicSave(WorkbookHold *hold) : m_hold(hold) {}

    bool write(const QByteArray &bytes, QString *why);
    // The same with the content written by `writer` as it is made; false
    // from it (with the reason) leaves the original as it was.
    using Writer = std::function<bool(QIODevice *out, QString *why)>;
    bool write(const Writer &writer, QString *why);
    // The new file has replaced the old one, even if the save failed after
    // (its folder could not be synced).
    bool replaced() const { return m_replaced; }

    // Someone may write there, and so may we.
    static bool mayWrite(const QString &path);

private:
    WorkbookHold *m_hold;
    bool m_replaced = false;
};

#endif // ATOMICSAVE_H
