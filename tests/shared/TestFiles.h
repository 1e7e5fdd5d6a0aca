#ifndef TESTFILES_H
#define TESTFILES_H

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

// Writes content to path, replacing whatever is there; false when the file
// cannot be written.
inline bool writeTestFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(content) == content.size();
}

// Writes content to name below dir, making its folders, and returns the full
// path; empty when the file cannot be written.
inline QString writeTestFile(const QTemporaryDir &dir, const QString &name,
                             const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeTestFile(path, content) ? path : QString();
}

// The bytes of a file, or a marker that no file could hold when it cannot be
// read.
inline QByteArray readTestFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

#endif // TESTFILES_H
