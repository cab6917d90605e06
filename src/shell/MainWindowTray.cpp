// The main window in the notification area: the tray icon, its menu and the trip there and back.

#include "common/Desktop.h"
#include "platform/Context.h"
#include "platform/Icons.h"
#include "platform/QtTrayIcon.h"
#include "platform/QtTreeView.h"
#include "scheduler/NotificationPopup.h"
#include "shell/CategoryPane.h"
#include "shell/MainWindow.h"
#include "shell/ProgramDialogs.h"
#include "shell/ProgramInfo.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace {

const QString kShow = QStringLiteral("Show");
const QString kHide = QStringLiteral("Hide");

} // namespace

void MainWindow::createTrayIcon()
{
    m_tray = m_services.createTray ? m_services.createTray()
                                   : std::make_unique<platform::QtTrayIcon>();
    m_tray->setToolTip(QStringLiteral("Marlowin"));
    m_tray->setIcon(windowIcon());
    m_tray->setContextMenu(m_menus.mnuSysTray);
    m_tray->doubleClicked = [this] { runTrayCommand(TrayCommand::ShowOrHide); };
    connect(m_menus.mnuSysTray, &QMenu::aboutToShow, this, &MainWindow::prepareTrayMenu,
            Qt::UniqueConnection);
}

void MainWindow::addToSystemTray()
{
    m_wentToTray = true;
    const bool firstTrip = !m_tray;
    if (firstTrip)
        createTrayIcon();
    if (!m_tray->isAvailable()) {
        // Hidden without an icon to bring it back, the program could only be killed.
        setStatus(QStringLiteral(
            "Status: No system tray on this desktop; Marlowin stays minimised on the task bar."));
        if (!isMinimized())
            showMinimized();
        return;
    }
    if (firstTrip) {
        m_tray->show();
        m_tray->showMessage(ProgramInfo::identity().productName + u' '
                                + message(QStringLiteral("MSG_MINIMIZED")),
                            message(QStringLiteral("MSG_TRAY")), 5000);
    } else {
        m_menus.mnuSysTrayShow->setText(kShow);
    }
    hide();
}

// A right click on the icon: "Add New Feed" needs a node to add the feed next to.
void MainWindow::prepareTrayMenu()
{
    m_menus.mnuSysTrayAddFeed->setEnabled(m_optionBar
                                          && !m_optionBar->tree().selectedKey().isEmpty());
    m_menus.mnuSysTray->setDefaultAction(m_menus.mnuSysTrayShow);
}

void MainWindow::runTrayCommand(TrayCommand command)
{
    switch (command) {
    case TrayCommand::ShowOrHide:
        if (m_menus.mnuSysTrayShow->text() == kShow) {
            m_menus.mnuSysTrayShow->setText(kHide);
            showNormal();
            raise();
            activateWindow();
        } else {
            m_menus.mnuSysTrayShow->setText(kShow);
            hide();
        }
        break;
    case TrayCommand::AddFeed:
        addFeed();
        break;
    case TrayCommand::EmailSettings:
        m_services.dialogs.showEmailSettings(this);
        break;
    case TrayCommand::SchedulerSettings:
        m_services.dialogs.showScheduler(this);
        break;
    case TrayCommand::AppSettings:
        m_services.dialogs.showAppSettings(this);
        break;
    case TrayCommand::HelpFile:
        showHelp();
        break;
    case TrayCommand::ContactUs:
        Desktop::open(m_ctx, ProgramInfo::supportMailto());
        break;
    case TrayCommand::Website:
        visitWebsite();
        break;
    case TrayCommand::Close:
        unloadAllForms();
        requestClose();
        break;
    }
}

// The other windows of the program (about, language, popups) close before the main window is
// asked to.
void MainWindow::unloadAllForms()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget != this && widget != m_confirmClose && widget->isVisible()
            && (widget->parentWidget() == this || qobject_cast<NotificationPopup *>(widget)))
            widget->close();
    }
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // Minimising by any means (title bar, keyboard, the confirmation) goes to the tray.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible() && !m_unloaded
        && (!m_tray || m_tray->isAvailable()))
        QTimer::singleShot(0, this, [this] {
            if (isMinimized() && isVisible())
                addToSystemTray();
        });
}
