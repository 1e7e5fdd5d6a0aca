#ifndef SETTINGS_H
#define SETTINGS_H

#include <QString>

class QTextCodec;

// The host's settings files, all in the working folder.
inline QString configureFile()
{
    return QStringLiteral("./configure.ini");
}

// The filters of the text and workbook file dialogs, one a line.
inline QString suffixFile()
{
    return QStringLiteral("suffix.ini");
}

// The plug-ins found at the last start and whether each opens with the program.
inline QString plusFile()
{
    return QStringLiteral("plus.ini");
}

// The host's access to its INI settings. Every call opens the file, does its
// one access and closes it again, so a value written is on disk at once.
QString readSetting(const QString &file, const QString &group, const QString &key,
                    const QString &defaultValue);
void writeSetting(const QString &file, const QString &group, const QString &key,
                  const QString &value);

// The codec that a [text] code setting names. "ANSI" stands for the legacy
// Chinese code page of the desktops the files come from; a name that no
// codec answers gives UTF-8 rather than whatever the system locale uses.
QTextCodec *codecForSetting(const QString &name);
// Makes that codec the encoding of every text content read or written from
// now on (ContentCodec); file names keep the system's encoding.
void applyCodecSetting(const QString &name);

#endif // SETTINGS_H
