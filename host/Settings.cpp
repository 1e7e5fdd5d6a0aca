#include "Settings.h"
#include "ContentCodec.h"

#include <QSettings>
#include <QTextCodec>

QString readSetting(const QString &file, const QString &group, const QString &key,
                    const QString &defaultValue)
{
    QSettings settings(file, QSettings::IniFormat);
    return settings.value(group + QLatin1Char('/') + key, defaultValue).toString();
}

void writeSetting(const QString &file, const QString &group, const QString &key,
                  const QString &value)
{
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(group);
    settings.setValue(key, value);
    settings.endGroup();
}

QTextCodec *codecForSetting(const QString &name)
{
    if (name == QLatin1String("ANSI"))
        return QTextCodec::codecForName("GB18030");
    QTextCodec *codec = QTextCodec::codecForName(name.toLatin1());
    return codec ? codec : QTextCodec::codecForName("UTF-8");
}

void applyCodecSetting(const QString &name)
{
    // Never the locale codec: on Linux Qt also encodes file names with it,
    // and a file under a Chinese folder name would no longer be found.
    ContentCodec::choose(codecForSetting(name));
}
