#pragma once

#include "localization/Languages.h"
#include "localization/QtStandardTranslation.h"
#include "reading/FeedWindow.h"
#include "reading/FeedWindowHost.h"
#include "shell/ConfirmCloseDialog.h"
#include "shell/MainMenus.h"
#include "shell/TreePaneHost.h"

#include <QLocale>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class NewItemsAnnouncement;
class ProgramDialogs;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class ScheduleTimer;
class ScheduledCheck;
class CategoryPane;
class FeedWindow;

namespace platform {
struct Context;
class TrayIcon;
} // namespace platform

// What the main window works with, made once by the program (or a test).
struct MainWindowServices {
    const platform::Context &ctx;
    Languages &languages;
    ProgramDialogs &dialogs;
    NewItemsAnnouncement &announcement;
    QStringList arguments; // as QCoreApplication::arguments(): the program's name first
    QLocale locale = QLocale::system();
    // Makes the tray icon at the first trip to the tray; the desktop's own when not given.
    std::function<std::unique_ptr<platform::TrayIcon>()> createTray = nullptr;
};

// The main window: menus, toolbar, the tree pane docked at the left, one tab per open feed
// window, the status bar and the scheduler timer. load() prepares it as the program starts;
// closing it asks whether to end the run or keep it minimised.
class MainWindow final : public QMainWindow, public TreePaneHost, public FeedWindowHost {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowServices services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start of a run: app folder, tree pane, status bar, scheduler timer, translation, the
    // first-run language question and help, the caption.
    void load();
    // Creates the docked tree pane, filled from feeds.fdb (a step of Load).
    void createOptionBar();

    // Stops the scheduler timer and, when the saved scheduler settings enable it, starts it
    // again with their interval.
    void enableSchedule();
    // Hides the window behind its icon in the notification area, creating the icon (with a
    // balloon saying so) at the first trip of the run. A desktop without a notification area
    // keeps the window minimised on the task bar instead: hiding it would leave no way back.
    void addToSystemTray();
    // A command of the tray menu; ShowOrHide hides a shown window and shows a hidden one.
    void runTrayCommand(TrayCommand command);
    // The close request of File > Exit (and of the tray's Close): the confirmation may still
    // keep the program running, but the close-box setting does not apply.
    void requestClose();
    // Translates the window into the language and puts back what the translation must not
    // change (the caption with the maker's name, the web-site button).
    void applyLanguage(const QString &language);
    // Subscriptions to and from an OPML file; the outcome is told in a box. The menu entries ask
    // for the file first.
    void importOpml(const QString &path);
    void exportOpml(const QString &path);
    // Rebuilds the category tree from feeds.fdb (Refresh, and after a dialog changed it).
    void refreshTree();
    // Whether Load sent the window to the tray ("-s").
    [[nodiscard]] bool wentToTray() const { return m_wentToTray; }

    // ---- feed windows -----------------------------------------------------------------------------
    bool isFeedWindowOpen(const QString &url, bool activate) override;
    void openFeedWindow(const QString &caption, const QString &feedId, const QString &url,
                        FeedType feedType, bool checkForNewItems) override;
    // The feed window of the current tab, or nullptr.
    [[nodiscard]] FeedWindow *activeFeedWindow() const;
    [[nodiscard]] QList<FeedWindow *> feedWindows() const;

    // ---- the scheduler timer's tick, also run by "Execute Schedule Now" -----------------------------
    // Starts a scheduled check unless one is running; the timer and "Execute Schedule Now" wait
    // for its end.
    void runScheduleTick();
    [[nodiscard]] bool isCheckRunning() const { return m_check != nullptr; }

    // ---- for tests ----------------------------------------------------------------------------------
    [[nodiscard]] const MainMenus &menus() const { return m_menus; }
    [[nodiscard]] CategoryPane *optionBar() const { return m_optionBar; }
    [[nodiscard]] QMdiArea &workArea() const { return *m_workArea; }
    [[nodiscard]] ScheduleTimer &scheduleTimer() const { return *m_schedule; }
    [[nodiscard]] QString statusText() const;
    [[nodiscard]] ConfirmCloseDialog *confirmClose() const { return m_confirmClose; }
    [[nodiscard]] platform::TrayIcon *trayIcon() const { return m_tray.get(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // TreePaneHost
    void nodeClicked(bool isRoot) override;
    void showFeedsMenu(const QPoint &globalPos) override;
    void showCategoryMenu(const QPoint &globalPos) override;
    void paneClosed() override;
    // FeedWindowHost
    void itemSelected() override;
    void showItemMenu(const QPoint &globalPos) override;
    void repaintTabs() override;
    [[nodiscard]] QString message(const QString &key) const override;
    [[nodiscard]] QString saveFileName(const QString &title, const QString &defaultSuffix,
                                       const QString &filter) override;
    void showEmailSettings() override;
    void showSendEmail(const ItemMail &mail) override;
    void feedTypeCorrected(const QString &feedId, FeedType type) override;

    void buildStatusBar();
    void updateClock();
    void setStatus(const QString &text);
    void connectCommands();
    void connectItemCommands();
    void seedAppFolder();
    void translateAndAskLanguage();
    void showIdentity();
    void translate(const QString &language);
    [[nodiscard]] bool closeMinimises() const;
    void unload();
    void createTrayIcon();
    void prepareTrayMenu();
    void unloadAllForms();
    void scheduledCheckFinished();

    // Commands (MainWindowCommands.cpp).
    void addCategory();
    void editCategory();
    void deleteCategory();
    void addFeed();
    void openSelectedFeed(bool checkForNewItems);
    void editFeed();
    void deleteFeed();
    void toggleOptionBar();
    void showHelp();
    void showAbout();
    void visitWebsite();
    void sendActiveItem(ItemCommand command);
    void deleteActiveItem();

    MainWindowServices m_services;
    const platform::Context &m_ctx;
    MainMenus m_menus;
    QMdiArea *m_workArea = nullptr;
    QDockWidget *m_dock = nullptr;
    CategoryPane *m_optionBar = nullptr;
    ScheduleTimer *m_schedule = nullptr;
    ScheduledCheck *m_check = nullptr; // the running check, a child
    QPointer<ConfirmCloseDialog> m_confirmClose;
    std::unique_ptr<platform::TrayIcon> m_tray; // oSysTray
    QtStandardTranslation m_qtTexts;
    QList<QLabel *> m_panels;
    QTimer m_clock;
    bool m_wentToTray = false;
    bool m_programClose = false;
    bool m_unloaded = false;
};
