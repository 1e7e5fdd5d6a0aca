#ifndef ATOMICSAVE_H
#define ATOMICSAVE_H

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

// Replaces a file's content all at once: the bytes go to a temporary file in
// the same folder, which is flushed to disk and renamed over the original,
// with the original's permissions. Whatever goes wrong, the original stays
// as it was and the temporary file is removed.
//
// A file or folder that nobody may write to is not written, even by a user
// (root) whom the system would let: the owner marked it read-only.
class AtomicSave
{
public:
    static bool write(const QString &path, const QByteArray &bytes, QString *why);
    // The same with the content written by `writer` as it is made; false
    // from it (with the reason) leaves the original as it was.
    using Writer = std::function<bool(QIODevice *out, QString *why)>;
    static bool write(const QString &path, const Writer &writer, QString *why);
};

#endif // ATOMICSAVE_H
