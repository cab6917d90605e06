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

QMenu *NamedMenu(const char *name, const QString &title, QWidget *parent)
{
    auto *menu = new QMenu(title, parent);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction *Entry(QMenu *menu, const char *name, const QString &text,
               const QKeySequence &shortcut = {})
{
    QAction *action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

QToolButton *Button(QToolBar *toolbar, const char *name, const QString &text, const char *icon)
{
    auto *button = new QToolButton(toolbar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setIcon(platform::NamedIcon(QString::fromLatin1(icon)));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    toolbar->addWidget(button);
    return button;
}

void BuildFileAndCategoryMenus(MainMenus &m, QMainWindow &window)
{
    m.mnuFile = NamedMenu("mnuFile", QStringLiteral("File"), &window);
    m.mnuFileItem = Entry(m.mnuFile, "mnuFileItem", QStringLiteral("Exit"));

    m.mnuCat = NamedMenu("mnuCat", QStringLiteral("Feed Manager"), &window);
    m.mnuCatNew = Entry(m.mnuCat, "mnuCatNew", QStringLiteral("Add New Category"),
                        QKeySequence(Qt::CTRL | Qt::Key_C));
    m.mnuCat->addSeparator();
    m.mnuCatEdit = Entry(m.mnuCat, "mnuCatEdit", QStringLiteral("Edit Category Details"));
    m.mnuCatDel = Entry(m.mnuCat, "mnuCatDel", QStringLiteral("Delete selected Category"));
    m.mnuCat->addSeparator();
    m.mnuCatNewFeed = Entry(m.mnuCat, "mnuCatNewFeed", QStringLiteral("Add New Feed"),
                            QKeySequence(Qt::CTRL | Qt::Key_N));
    m.mnuCat->addSeparator();
    m.mnuCatRefresh = Entry(m.mnuCat, "mnuCatRefresh", QStringLiteral("Refresh"), QKeySequence(Qt::Key_F5));
    m.mnuCat->addSeparator();
    m.mnuCatImportOpml = Entry(m.mnuCat, "mnuCatImportOpml", QStringLiteral("Import Subscriptions (OPML)..."));
    m.mnuCatExportOpml = Entry(m.mnuCat, "mnuCatExportOpml", QStringLiteral("Export Subscriptions (OPML)..."));

    m.mnuFeeds = NamedMenu("mnuFeeds", QStringLiteral("Feeds"), &window);
    m.mnuFeedsCheck = Entry(m.mnuFeeds, "mnuFeedsCheck", QStringLiteral("Check for New Feed Items..."));
    m.mnuFeedsOpen = Entry(m.mnuFeeds, "mnuFeedsOpen", QStringLiteral("Open Feed in Work area"));
    m.mnuFeeds->addSeparator();
    m.mnuFeedsAdd = Entry(m.mnuFeeds, "mnuFeedsAdd", QStringLiteral("Add New Feed"));
    m.mnuFeeds->addSeparator();
    m.mnuFeedsEdit = Entry(m.mnuFeeds, "mnuFeedsEdit", QStringLiteral("Edit Feed Details"));
    m.mnuFeedsDel = Entry(m.mnuFeeds, "mnuFeedsDel", QStringLiteral("Delete selected Feed"));
}

void BuildToolsAndHelpMenus(MainMenus &m, QMainWindow &window)
{
    m.mnuTools = NamedMenu("mnuTools", QStringLiteral("Tools"), &window);
    m.mnuToolsEmailSettings = Entry(m.mnuTools, "mnuToolsEmailSettings", QStringLiteral("Email Settings"),
                                    QKeySequence(Qt::CTRL | Qt::Key_F3));
    m.mnuToolsSchedule = Entry(m.mnuTools, "mnuToolsSchedule", QStringLiteral("Scheduler"),
                               QKeySequence(Qt::CTRL | Qt::Key_F4));
    m.mnuToolsAppSettings = Entry(m.mnuTools, "mnuToolsAppSettings", QStringLiteral("Application Settings"));
    m.mnuTools->addSeparator();
    m.mnuToolsSendByEmail = Entry(m.mnuTools, "mnuToolsSendByEmail", QStringLiteral("Send by Email"),
                                  QKeySequence(Qt::Key_F3));
    m.mnuTools->addSeparator()->setVisible(false);
    m.mnuToolsExecuteSchedule = Entry(m.mnuTools, "mnuToolsExecuteSchedule",
                                      QStringLiteral("Execute Schedule Now"), QKeySequence(Qt::Key_F9));
    m.mnuTools->addSeparator();
    m.mnuToolsOptionBar = Entry(m.mnuTools, "mnuToolsOptionBar", QStringLiteral("Option Bar"),
                                QKeySequence(Qt::Key_F4));
    m.mnuToolsOptionBar->setCheckable(true);
    m.mnuToolsOptionBar->setChecked(true);

    m.mnuLanguages = NamedMenu("mnuLanguages", QStringLiteral("Languages"), &window);
    m.mnuLanguageItem = Entry(m.mnuLanguages, "mnuLanguageItem", QStringLiteral("Change Languages"));

    m.mnuHelp = NamedMenu("mnuHelp", QStringLiteral("Help"), &window);
    m.mnuHelpFile = Entry(m.mnuHelp, "mnuHelpFile", QStringLiteral("View Help"), QKeySequence(Qt::Key_F1));

    m.mnuAbout = NamedMenu("mnuAbout", QStringLiteral("About"), &window);
    m.mnuAboutItem = Entry(m.mnuAbout, "mnuAboutItem", QStringLiteral("About this software"));
    m.mnuHelpWebsite = Entry(m.mnuAbout, "mnuHelpWebsite", QStringLiteral("Visit our Website"),
                             QKeySequence(Qt::SHIFT | Qt::Key_F1));
}

void BuildItemMenu(MainMenus &m, QMainWindow &window)
{
    m.mnuFeedItem = NamedMenu("mnuFeedItem", QStringLiteral("FeedItemPopup"), &window);
    m.mnuFeedItemShow = Entry(m.mnuFeedItem, "mnuFeedItemShow", QStringLiteral("Show "));
    m.mnuFeedItemOnline = Entry(m.mnuFeedItem, "mnuFeedItemOnline", QStringLiteral("View Online"));
    m.mnuFeedItem->addSeparator();
    m.mnuFeedItemDel = Entry(m.mnuFeedItem, "mnuFeedItemDel", QStringLiteral("Delete"));
    m.mnuFeedItem->addSeparator();
    m.mnuFeedItemExportHtml = Entry(m.mnuFeedItem, "mnuFeedItemExport", QStringLiteral("Export to HTML"));
    m.mnuFeedItemExportHtml->setProperty("controlIndex", 0);
    m.mnuFeedItemExportTxt = Entry(m.mnuFeedItem, "mnuFeedItemExport", QStringLiteral("Export to TXT"));
    m.mnuFeedItemExportTxt->setProperty("controlIndex", 1);
    m.mnuFeedItem->addSeparator();
    m.mnuFeedItemEmail = Entry(m.mnuFeedItem, "mnuFeedItemEmail", QStringLiteral("Send as Email"));
}

// The tray icon's menu; each entry's "trayKey" is the command key it sends.
void BuildTrayMenu(MainMenus &m, QMainWindow &window)
{
    m.mnuSysTray = NamedMenu("mnuSysTray", QStringLiteral("SysTryMenu"), &window);
    const auto entry = [&m](const char *name, const QString &text, const char *key) {
        QAction *action = Entry(m.mnuSysTray, name, text);
        action->setProperty("trayKey", QString::fromLatin1(key));
        return action;
    };
    m.mnuSysTrayShow = entry("mnuSysTrayShow", QStringLiteral("Show"), "show");
    m.mnuSysTray->addSeparator();
    m.mnuSysTrayAddFeed = entry("mnuSysTrayAddFeed", QStringLiteral("Add New Feed"), "add_feed");
    m.mnuSysTray->addSeparator();
    m.mnuSysTrayEmailSettings = entry("mnuSysTrayEmailSettings", QStringLiteral("Email Settings"), "email_settings");
    m.mnuSysTraySchedule = entry("mnuSysTraySchedule", QStringLiteral("Scheduler Settings"), "scheduler_settings");
    m.mnuSysTrayAppSettings = entry("mnuSysTrayAppSettings", QStringLiteral("Application Settings"), "app_settings");
    m.mnuSysTray->addSeparator();
    m.mnuSysTrayHelpFile = entry("mnuSysTrayHelpFile", QStringLiteral("Help File"), "help_file");
    m.mnuSysTrayContactUs = entry("mnuSysTrayContactUs", QStringLiteral("Contact Us"), "help_email");
    m.mnuSysTrayWebsite = entry("mnuSysTrayWebsite", QStringLiteral("Visit Product Website"), "help_website");
    m.mnuSysTray->addSeparator();
    m.mnuSysTrayExit = entry("mnuSysTrayExit", QStringLiteral("Close"), "close");
    m.mnuSysTray->setDefaultAction(m.mnuSysTrayShow);
}

void BuildToolbar(MainMenus &m, QMainWindow &window)
{
    m.toolbar = window.addToolBar(QStringLiteral("Toolbar"));
    m.toolbar->setObjectName(QStringLiteral("tbMain"));
    m.toolbar->setMovable(false);
    m.toolbar->setIconSize(QSize(20, 20));
    m.cmdAddFeed = Button(m.toolbar, "cmdAddFeed", QStringLiteral("Add Feed"), "add-feed");
    m.cmdAddCat = Button(m.toolbar, "cmdAddCat", QStringLiteral("Add Category"), "add-category");
    m.cmdToggle = Button(m.toolbar, "cmdToggle", QStringLiteral("Toggle Panel"), "toggle-panel");
    m.cmdEmail = Button(m.toolbar, "cmdEmail", QStringLiteral("Email Article"), "email");
    m.cmdSettings = Button(m.toolbar, "cmdSettings", QStringLiteral("Settings"), "settings");
    m.cmdSchedule = Button(m.toolbar, "cmdSchedule", QStringLiteral("Schedule"), "schedule");
    // The web-site button keeps to the right edge.
    auto *spacer = new QWidget(m.toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m.toolbar->addWidget(spacer);
    m.cmdWebsite = Button(m.toolbar, "cmdWebsite", QStringLiteral("Visit our Website"), "website");
}

} // namespace

MainMenus BuildMainMenus(QMainWindow &window)
{
    MainMenus m;
    BuildFileAndCategoryMenus(m, window);
    BuildToolsAndHelpMenus(m, window);
    BuildItemMenu(m, window);
    BuildTrayMenu(m, window);
    for (QMenu *menu : {m.mnuFile, m.mnuCat, m.mnuTools, m.mnuLanguages, m.mnuHelp, m.mnuAbout})
        window.menuBar()->addMenu(menu);
    // The hidden menus still need their shortcuts to work from the window.
    window.addActions(m.mnuFeeds->actions());
    window.addActions(m.mnuFeedItem->actions());
    BuildToolbar(m, window);
    return m;
}
