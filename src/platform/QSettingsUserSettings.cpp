#include "platform/QSettingsUserSettings.h"

namespace platform {

QSettingsUserSettings::QSettingsUserSettings()
    : m_settings(QStringLiteral("Marlowin"), QStringLiteral("Marlowin"))
{
}

QString QSettingsUserSettings::value(const QString &section, const QString &key,
                                     const QString &defaultValue) const
{
    return m_settings.value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void QSettingsUserSettings::setValue(const QString &section, const QString &key,
                                     const QString &value)
{
    m_settings.setValue(section + QLatin1Char('/') + key, value);
    m_settings.sync();
}

} // namespace platform
