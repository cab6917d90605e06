#include "app/BringForward.h"

#include "shell/MainWindow.h"

void bringForward(MainWindow &window)
{
    // Only a hidden window is in the tray; given a window on screen, the tray's Show (a toggle)
    // would hide it.
    if (!window.isVisible())
        window.runTrayCommand(TrayCommand::ShowOrHide);
    // Should the toggle have been out of step, the window is shown all the same.
    if (!window.isVisible())
        window.show();
    if (window.isMinimized())
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.raise();
    window.activateWindow();
}
