#ifndef CONFIGURESETTING_H
#define CONFIGURESETTING_H

#include <QDir>
#include <QString>

// One key of the settings file "./configure.ini": its group, its key and the
// value it reads as while the file does not hold it, in one place. Every
// access opens the file, does its one read or write and closes it again, so
// a value written is on disk at once.
class ConfigureSetting
{
public:
    using Fallback = QString (*)();

    constexpr ConfigureSetting(const char *group, const char *key, Fallback fallback)
        : m_group(group), m_key(key), m_fallback(fallback)
    {
    }

    static QString file() { return QStringLiteral("./configure.ini"); }

    // file names another settings file of the same layout.
    QString read(const QString &file = ConfigureSetting::file()) const;
    void write(const QString &value, const QString &file = ConfigureSetting::file()) const;

private:
    const char *m_group;
    const char *m_key;
    Fallback m_fallback;
};

// The keys of "./configure.ini", read and written by host and plug-in alike.
namespace Configure {

// File lists made at start-up.
inline constexpr ConfigureSetting ListNumber{"start", "listNumber",
                                             [] { return QStringLiteral("1"); }};
// What to do with a modified document before closing it.
inline constexpr ConfigureSetting CloseChoice{"currency", "close",
                                              [] { return QStringLiteral("0"); }};
// The word-list folder. A bare "/data/" would name a folder at the root of
// the file system.
inline constexpr ConfigureSetting DataPath{
    "currency", "iniPath", [] { return QDir::currentPath() + QStringLiteral("/data/"); }};
// The encoding of text contents.
inline constexpr ConfigureSetting TextCode{"text", "code", [] { return QStringLiteral("UTF-8"); }};
// A document saved for the first time joins a file list.
inline constexpr ConfigureSetting FirstSaveToList{"text", "firstSaveToList",
                                                  [] { return QStringLiteral("1"); }};
// What a file dropped on a document shows.
inline constexpr ConfigureSetting DropMode{"text", "drop", [] { return QStringLiteral("0"); }};
// Files that an operation generates join a file list.
inline constexpr ConfigureSetting AddGenerated{"new", "add", [] { return QStringLiteral("1"); }};
// A list's add-folder dialog takes subfolders too.
inline constexpr ConfigureSetting Subfolders{"check", "c1", [] { return QStringLiteral("1"); }};

} // namespace Configure

#endif // CONFIGURESETTING_H
