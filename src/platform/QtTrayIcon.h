#pragma once

#include "platform/TrayIcon.h"

#include <QSystemTrayIcon>

namespace platform {

class QtTrayIcon final : public TrayIcon {
public:
    QtTrayIcon();

    [[nodiscard]] bool isAvailable() const override;
    void setToolTip(const QString &text) override { m_icon.setToolTip(text); }
    void setIcon(const QIcon &icon) override { m_icon.setIcon(icon); }
    void setContextMenu(QMenu *menu) override { m_icon.setContextMenu(menu); }
    void show() override { m_icon.show(); }
    void hide() override { m_icon.hide(); }
    void showMessage(const QString &title, const QString &text, int milliseconds) override;

private:
    QSystemTrayIcon m_icon;
};

} // namespace platform
