#pragma once

#include "platform/UserSettings.h"

#include <QSettings>

namespace platform {

// The per-user store kept by QSettings under the organisation and application "Marlowin"
// (~/.config/Marlowin/Marlowin.conf on Linux).
class QSettingsUserSettings final : public UserSettings {
public:
    QSettingsUserSettings();
    QString value(const QString &section, const QString &key,
                  const QString &defaultValue) const override;
    void setValue(const QString &section, const QString &key, const QString &value) override;

private:
    mutable QSettings m_settings;
};

} // namespace platform
