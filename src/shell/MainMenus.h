#pragma once

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

// The commands of the tray icon's menu; each entry carries its command in the property
// "trayCommand".
enum class TrayCommand {
    ShowOrHide,
    AddFeed,
    EmailSettings,
    SchedulerSettings,
    AppSettings,
    HelpFile,
    ContactUs,
    Website,
    Close,
};

// The main window's menus and toolbar, named as the language file addresses them. Hidden menus
// (mnuFeeds, mnuFeedItem) are not in the menu bar: they pop up over the tree and the item list.
struct MainMenus {
    QMenu *mnuFile = nullptr;
    QAction *mnuFileItem = nullptr;

    QMenu *mnuCat = nullptr;
    QAction *mnuCatNew = nullptr;
    QAction *mnuCatEdit = nullptr;
    QAction *mnuCatDel = nullptr;
    QAction *mnuCatNewFeed = nullptr;
    QAction *mnuCatRefresh = nullptr;
    QAction *mnuCatImportOpml = nullptr;
    QAction *mnuCatExportOpml = nullptr;

    QMenu *mnuFeeds = nullptr;
    QAction *mnuFeedsCheck = nullptr;
    QAction *mnuFeedsOpen = nullptr;
    QAction *mnuFeedsAdd = nullptr;
    QAction *mnuFeedsEdit = nullptr;
    QAction *mnuFeedsDel = nullptr;

    QMenu *mnuTools = nullptr;
    QAction *mnuToolsEmailSettings = nullptr;
    QAction *mnuToolsSchedule = nullptr;
    QAction *mnuToolsAppSettings = nullptr;
    QAction *mnuToolsSendByEmail = nullptr;
    QAction *mnuToolsExecuteSchedule = nullptr;
    QAction *mnuToolsOptionBar = nullptr;

    QMenu *mnuLanguages = nullptr;
    QAction *mnuLanguageItem = nullptr;

    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpFile = nullptr;

    QMenu *mnuAbout = nullptr;
    QAction *mnuAboutItem = nullptr;
    QAction *mnuHelpWebsite = nullptr;

    QMenu *mnuFeedItem = nullptr;
    QAction *mnuFeedItemShow = nullptr;
    QAction *mnuFeedItemOnline = nullptr;
    QAction *mnuFeedItemDel = nullptr;
    QAction *mnuFeedItemExportHtml = nullptr; // mnuFeedItemExport(0)
    QAction *mnuFeedItemExportTxt = nullptr;  // mnuFeedItemExport(1)
    QAction *mnuFeedItemEmail = nullptr;

    QMenu *mnuSysTray = nullptr;
    QAction *mnuSysTrayShow = nullptr;
    QAction *mnuSysTrayAddFeed = nullptr;
    QAction *mnuSysTrayEmailSettings = nullptr;
    QAction *mnuSysTraySchedule = nullptr;
    QAction *mnuSysTrayAppSettings = nullptr;
    QAction *mnuSysTrayHelpFile = nullptr;
    QAction *mnuSysTrayContactUs = nullptr;
    QAction *mnuSysTrayWebsite = nullptr;
    QAction *mnuSysTrayExit = nullptr;

    QToolBar *toolbar = nullptr;
    QToolButton *cmdAddFeed = nullptr;
    QToolButton *cmdAddCat = nullptr;
    QToolButton *cmdToggle = nullptr;
    QToolButton *cmdEmail = nullptr;
    QToolButton *cmdSettings = nullptr;
    QToolButton *cmdSchedule = nullptr;
    QToolButton *cmdWebsite = nullptr;
};

// Builds the menu bar, the hidden pop-up menus and the toolbar of the window.
[[nodiscard]] MainMenus buildMainMenus(QMainWindow &window);
