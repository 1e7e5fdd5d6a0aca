#ifndef WORDLISTFOLDER_H
#define WORDLISTFOLDER_H

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>

// A scratch data folder that the options panel finds through the test's own
// "./configure.ini", with helpers to write and read its list files as bytes.
class WordListFolder
{
public:
    // folderText is what the setting holds; by default the folder with a
    // trailing separator, as the host writes it.
    explicit WordListFolder(bool trailingSeparator = true)
    {
        QSettings settings(QStringLiteral("./configure.ini"), QSettings::IniFormat);
        QString folder = dir.path();
        if (trailingSeparator) {
            folder += QLatin1Char('/');
        }
        settings.setValue(QStringLiteral("currency/iniPath"), folder);
    }

    ~WordListFolder() { QFile::remove(QStringLiteral("./configure.ini")); }

    QString path(const QString &fileName) const { return dir.filePath(fileName); }

    void write(const QString &fileName, const QString &text) const
    {
        writeBytes(fileName, text.toUtf8());
    }

    void writeBytes(const QString &fileName, const QByteArray &bytes) const
    {
        QFile file(path(fileName));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(bytes);
        }
    }

    QString read(const QString &fileName) const { return QString::fromUtf8(bytes(fileName)); }

    QByteArray bytes(const QString &fileName) const
    {
        QFile file(path(fileName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    bool exists(const QString &fileName) const { return QFile::exists(path(fileName)); }

    QTemporaryDir dir;
};

#endif // WORDLISTFOLDER_H
