#pragma once

#include <QIcon>
#include <QString>

#include <functional>

class QMenu;

namespace platform {

// The program's icon in the desktop's notification area: tooltip, picture, a pop-up menu, a
// balloon message, and the double click that brings the window back. Implemented over
// QSystemTrayIcon; tests use a recording fake (offscreen there is no tray).
class TrayIcon {
public:
    virtual ~TrayIcon() = default;

    // False on a desktop without a notification area: the icon would never be seen.
    [[nodiscard]] virtual bool isAvailable() const = 0;
    virtual void setToolTip(const QString &text) = 0;
    virtual void setIcon(const QIcon &icon) = 0;
    // The menu the icon pops up on a right click; it stays the caller's.
    virtual void setContextMenu(QMenu *menu) = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual void showMessage(const QString &title, const QString &text, int milliseconds) = 0;

    // Called on a double click on the icon.
    std::function<void()> doubleClicked;
};

} // namespace platform
