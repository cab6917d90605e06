#include "platform/QtTrayIcon.h"

namespace platform {

QtTrayIcon::QtTrayIcon()
{
    QObject::connect(&m_icon, &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick && doubleClicked)
                             doubleClicked();
                     });
}

bool QtTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::showMessage(const QString &title, const QString &text, int milliseconds)
{
    m_icon.showMessage(title, text, m_icon.icon(), milliseconds);
}

} // namespace platform
