#pragma once

#include <QString>

namespace platform {

// The small per-user store outside the app folder (language choice, first-run flags).
// Values are text, addressed by section and key.
class UserSettings {
public:
    virtual ~UserSettings() = default;
    [[nodiscard]] virtual QString value(const QString &section, const QString &key,
                                        const QString &defaultValue) const = 0;
    virtual void setValue(const QString &section, const QString &key, const QString &value) = 0;
};

} // namespace platform
