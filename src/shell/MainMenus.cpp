#include "shell/MainMenus.h"

#include "platform/Icons.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSizePolicy>
#include <QToolBar>
#include <QToolButton>

namespace {

QMenu *namedMenu(const char *name, const QString &title, QWidget *parent)
{
    auto *menu = new QMenu(title, parent);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction *entry(QMenu *menu, const char *name, const QString &text,
               const QKeySequence &shortcut = {})
{
    QAction *action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

QToolButton *button(QToolBar *toolbar, const char *name, const QString &text, const char *icon)
{
    auto *button = new QToolButton(toolbar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setIcon(platform::namedIcon(QString::fromLatin1(icon)));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    toolbar->addWidget(button);
    return button;
}

void buildFileAndCategoryMenus(MainMenus &m, QMainWindow &window)
{
    m.mnuFile = namedMenu("mnuFile", QStringLiteral("File"), &window);
    m.mnuFileItem = entry(m.mnuFile, "mnuFileItem", QStringLiteral("Exit"));

    m.mnuCat = namedMenu("mnuCat", QStringLiteral("Feed Manager"), &window);
    m.mnuCatNew = entry(m.mnuCat, "mnuCatNew", QStringLiteral("Add New Category"),
                        QKeySequence(Qt::CTRL | Qt::Key_C));
    m.mnuCat->addSeparator();
    m.mnuCatEdit = entry(m.mnuCat, "mnuCatEdit", QStringLiteral("Edit Category Details"));
    m.mnuCatDel = entry(m.mnuCat, "mnuCatDel", QStringLiteral("Delete selected Category"));
    m.mnuCat->addSeparator();
    m.mnuCatNewFeed = entry(m.mnuCat, "mnuCatNewFeed", QStringLiteral("Add New Feed"),
                            QKeySequence(Qt::CTRL | Qt::Key_N));
    m.mnuCat->addSeparator();
    m.mnuCatRefresh
        = entry(m.mnuCat, "mnuCatRefresh", QStringLiteral("Refresh"), QKeySequence(Qt::Key_F5));
    m.mnuCat->addSeparator();
    m.mnuCatImportOpml
        = entry(m.mnuCat, "mnuCatImportOpml", QStringLiteral("Import Subscriptions (OPML)..."));
    m.mnuCatExportOpml
        = entry(m.mnuCat, "mnuCatExportOpml", QStringLiteral("Export Subscriptions (OPML)..."));

    m.mnuFeeds = namedMenu("mnuFeeds", QStringLiteral("Feeds"), &window);
    m.mnuFeedsCheck
        = entry(m.mnuFeeds, "mnuFeedsCheck", QStringLiteral("Check for New Feed Items..."));
    m.mnuFeedsOpen = entry(m.mnuFeeds, "mnuFeedsOpen", QStringLiteral("Open Feed in Work area"));
    m.mnuFeeds->addSeparator();
    m.mnuFeedsAdd = entry(m.mnuFeeds, "mnuFeedsAdd", QStringLiteral("Add New Feed"));
    m.mnuFeeds->addSeparator();
    m.mnuFeedsEdit = entry(m.mnuFeeds, "mnuFeedsEdit", QStringLiteral("Edit Feed Details"));
    m.mnuFeedsDel = entry(m.mnuFeeds, "mnuFeedsDel", QStringLiteral("Delete selected Feed"));
}

void buildToolsAndHelpMenus(MainMenus &m, QMainWindow &window)
{
    m.mnuTools = namedMenu("mnuTools", QStringLiteral("Tools"), &window);
    m.mnuToolsEmailSettings
        = entry(m.mnuTools, "mnuToolsEmailSettings", QStringLiteral("Email Settings"),
                QKeySequence(Qt::CTRL | Qt::Key_F3));
    m.mnuToolsSchedule = entry(m.mnuTools, "mnuToolsSchedule", QStringLiteral("Scheduler"),
                               QKeySequence(Qt::CTRL | Qt::Key_F4));
    m.mnuToolsAppSettings
        = entry(m.mnuTools, "mnuToolsAppSettings", QStringLiteral("Application Settings"));
    m.mnuTools->addSeparator();
    m.mnuToolsSendByEmail = entry(m.mnuTools, "mnuToolsSendByEmail",
                                  QStringLiteral("Send by Email"), QKeySequence(Qt::Key_F3));
    m.mnuTools->addSeparator()->setVisible(false);
    m.mnuToolsExecuteSchedule
        = entry(m.mnuTools, "mnuToolsExecuteSchedule", QStringLiteral("Execute Schedule Now"),
                QKeySequence(Qt::Key_F9));
    m.mnuTools->addSeparator();
    m.mnuToolsOptionBar = entry(m.mnuTools, "mnuToolsOptionBar", QStringLiteral("Option Bar"),
                                QKeySequence(Qt::Key_F4));
    m.mnuToolsOptionBar->setCheckable(true);
    m.mnuToolsOptionBar->setChecked(true);

    m.mnuLanguages = namedMenu("mnuLanguages", QStringLiteral("Languages"), &window);
    m.mnuLanguageItem
        = entry(m.mnuLanguages, "mnuLanguageItem", QStringLiteral("Change Languages"));

    m.mnuHelp = namedMenu("mnuHelp", QStringLiteral("Help"), &window);
    m.mnuHelpFile
        = entry(m.mnuHelp, "mnuHelpFile", QStringLiteral("View Help"), QKeySequence(Qt::Key_F1));

    m.mnuAbout = namedMenu("mnuAbout", QStringLiteral("About"), &window);
    m.mnuAboutItem = entry(m.mnuAbout, "mnuAboutItem", QStringLiteral("About this software"));
    m.mnuHelpWebsite = entry(m.mnuAbout, "mnuHelpWebsite", QStringLiteral("Visit our Website"),
                             QKeySequence(Qt::SHIFT | Qt::Key_F1));
}

void buildItemMenu(MainMenus &m, QMainWindow &window)
{
    m.mnuFeedItem = namedMenu("mnuFeedItem", QStringLiteral("FeedItemPopup"), &window);
    m.mnuFeedItemShow = entry(m.mnuFeedItem, "mnuFeedItemShow", QStringLiteral("Show "));
    m.mnuFeedItemOnline = entry(m.mnuFeedItem, "mnuFeedItemOnline", QStringLiteral("View Online"));
    m.mnuFeedItem->addSeparator();
    m.mnuFeedItemDel = entry(m.mnuFeedItem, "mnuFeedItemDel", QStringLiteral("Delete"));
    m.mnuFeedItem->addSeparator();
    m.mnuFeedItemExportHtml
        = entry(m.mnuFeedItem, "mnuFeedItemExport", QStringLiteral("Export to HTML"));
    m.mnuFeedItemExportHtml->setProperty("controlIndex", 0);
    m.mnuFeedItemExportTxt
        = entry(m.mnuFeedItem, "mnuFeedItemExport", QStringLiteral("Export to TXT"));
    m.mnuFeedItemExportTxt->setProperty("controlIndex", 1);
    m.mnuFeedItem->addSeparator();
    m.mnuFeedItemEmail = entry(m.mnuFeedItem, "mnuFeedItemEmail", QStringLiteral("Send as Email"));
}

// The tray icon's menu; each entry's "trayCommand" is the TrayCommand it sends.
void buildTrayMenu(MainMenus &m, QMainWindow &window)
{
    m.mnuSysTray = namedMenu("mnuSysTray", QStringLiteral("SysTryMenu"), &window);
    const auto trayEntry = [&m](const char *name, const QString &text, TrayCommand command) {
        QAction *action = entry(m.mnuSysTray, name, text);
        action->setProperty("trayCommand", static_cast<int>(command));
        return action;
    };
    m.mnuSysTrayShow = trayEntry("mnuSysTrayShow", QStringLiteral("Show"), TrayCommand::ShowOrHide);
    m.mnuSysTray->addSeparator();
    m.mnuSysTrayAddFeed
        = trayEntry("mnuSysTrayAddFeed", QStringLiteral("Add New Feed"), TrayCommand::AddFeed);
    m.mnuSysTray->addSeparator();
    m.mnuSysTrayEmailSettings = trayEntry(
        "mnuSysTrayEmailSettings", QStringLiteral("Email Settings"), TrayCommand::EmailSettings);
    m.mnuSysTraySchedule = trayEntry("mnuSysTraySchedule", QStringLiteral("Scheduler Settings"),
                                     TrayCommand::SchedulerSettings);
    m.mnuSysTrayAppSettings = trayEntry(
        "mnuSysTrayAppSettings", QStringLiteral("Application Settings"), TrayCommand::AppSettings);
    m.mnuSysTray->addSeparator();
    m.mnuSysTrayHelpFile
        = trayEntry("mnuSysTrayHelpFile", QStringLiteral("Help File"), TrayCommand::HelpFile);
    m.mnuSysTrayContactUs
        = trayEntry("mnuSysTrayContactUs", QStringLiteral("Contact Us"), TrayCommand::ContactUs);
    m.mnuSysTrayWebsite = trayEntry("mnuSysTrayWebsite", QStringLiteral("Visit Product Website"),
                                    TrayCommand::Website);
    m.mnuSysTray->addSeparator();
    m.mnuSysTrayExit = trayEntry("mnuSysTrayExit", QStringLiteral("Close"), TrayCommand::Close);
    m.mnuSysTray->setDefaultAction(m.mnuSysTrayShow);
}

void buildToolbar(MainMenus &m, QMainWindow &window)
{
    m.toolbar = window.addToolBar(QStringLiteral("Toolbar"));
    m.toolbar->setObjectName(QStringLiteral("tbMain"));
    m.toolbar->setMovable(false);
    m.toolbar->setIconSize(QSize(20, 20));
    m.cmdAddFeed = button(m.toolbar, "cmdAddFeed", QStringLiteral("Add Feed"), "add-feed");
    m.cmdAddCat = button(m.toolbar, "cmdAddCat", QStringLiteral("Add Category"), "add-category");
    m.cmdToggle = button(m.toolbar, "cmdToggle", QStringLiteral("Toggle Panel"), "toggle-panel");
    m.cmdEmail = button(m.toolbar, "cmdEmail", QStringLiteral("Email Article"), "email");
    m.cmdSettings = button(m.toolbar, "cmdSettings", QStringLiteral("Settings"), "settings");
    m.cmdSchedule = button(m.toolbar, "cmdSchedule", QStringLiteral("Schedule"), "schedule");
    // The web-site button keeps to the right edge.
    auto *spacer = new QWidget(m.toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m.toolbar->addWidget(spacer);
    m.cmdWebsite = button(m.toolbar, "cmdWebsite", QStringLiteral("Visit our Website"), "website");
}

} // namespace

MainMenus buildMainMenus(QMainWindow &window)
{
    MainMenus m;
    buildFileAndCategoryMenus(m, window);
    buildToolsAndHelpMenus(m, window);
    buildItemMenu(m, window);
    buildTrayMenu(m, window);
    for (QMenu *menu : {m.mnuFile, m.mnuCat, m.mnuTools, m.mnuLanguages, m.mnuHelp, m.mnuAbout})
        window.menuBar()->addMenu(menu);
    // The hidden menus still need their shortcuts to work from the window.
    window.addActions(m.mnuFeeds->actions());
    window.addActions(m.mnuFeedItem->actions());
    buildToolbar(m, window);
    return m;
}
