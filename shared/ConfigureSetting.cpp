#include "ConfigureSetting.h"

#include <QSettings>

QString ConfigureSetting::read(const QString &file) const
{
    QSettings settings(file, QSettings::IniFormat);
    return settings
        .value(QLatin1String(m_group) + QLatin1Char('/') + QLatin1String(m_key), m_fallback())
        .toString();
}

void ConfigureSetting::write(const QString &value, const QString &file) const
{
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(QLatin1String(m_group));
    settings.setValue(QLatin1String(m_key), value);
    settings.endGroup();
}
