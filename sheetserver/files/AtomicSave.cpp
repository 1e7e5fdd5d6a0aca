#include "files/AtomicSave.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

bool anyoneMayWrite(const QFileInfo &info)
{
    const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.isWritable() && (info.permissions() & write);
}

} // namespace

bool AtomicSave::write(const QString &path, const QByteArray &bytes, QString *why)
{
    return write(
        path,
        [&bytes](QIODevice *out, QString *error) {
            if (out->write(bytes) == bytes.size())
                return true;
            *error = out->errorString();
            return false;
        },
        why);
}

bool AtomicSave::write(const QString &path, const Writer &writer, QString *why)
{
    const QFileInfo file(path);
    if (!file.exists()) {
        *why = QStringLiteral("file gone");
        return false;
    }
    if (!anyoneMayWrite(file)) {
        *why = QStringLiteral("file is read-only");
        return false;
    }
    if (!anyoneMayWrite(QFileInfo(file.absolutePath()))) {
        *why = QStringLiteral("folder is read-only");
        return false;
    }
    const QFile::Permissions permissions = file.permissions();
    QSaveFile out(file.absoluteFilePath());
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) {
        *why = out.errorString();
        return false;
    }
    if (!writer(&out, why)) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        *why = out.errorString();
        return false;
    }
    QFile::setPermissions(file.absoluteFilePath(), permissions);
    return true;
}
