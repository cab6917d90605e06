// The commands of the main window's menus and toolbar.

#include "common/Desktop.h"
#include "common/ErrorReport.h"
#include "common/Files.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "platform/QtTreeView.h"
#include "platform/UserSettings.h"
#include "reading/FeedWindow.h"
#include "shell/AboutDialog.h"
#include "shell/CategoryPane.h"
#include "shell/MainWindow.h"
#include "shell/ProgramDialogs.h"
#include "shell/ProgramInfo.h"
#include "shell/TreePaneCommands.h"
#include "subscriptions/Categories.h"
#include "subscriptions/Feeds.h"
#include "subscriptions/FeedsDatabase.h"
#include "subscriptions/Opml.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QMenu>
#include <QToolButton>

namespace {

struct SelectedNode {
    QString key;
    TreePane::NodeKind kind = TreePane::NodeKind::None;
};

SelectedNode selected(const CategoryPane *pane)
{
    if (!pane)
        return {};
    const QString key = pane->tree().selectedKey();
    return {key, TreePane::kindOf(key)};
}

} // namespace

void MainWindow::connectCommands()
{
    const MainMenus &m = m_menus;
    connect(m.mnuFileItem, &QAction::triggered, this, &MainWindow::requestClose);
    connect(m.mnuCatNew, &QAction::triggered, this, &MainWindow::addCategory);
    connect(m.cmdAddCat, &QToolButton::clicked, this, &MainWindow::addCategory);
    connect(m.mnuCatEdit, &QAction::triggered, this, &MainWindow::editCategory);
    connect(m.mnuCatDel, &QAction::triggered, this, &MainWindow::deleteCategory);
    for (QAction *add : {m.mnuCatNewFeed, m.mnuFeedsAdd})
        connect(add, &QAction::triggered, this, &MainWindow::addFeed);
    connect(m.cmdAddFeed, &QToolButton::clicked, this, &MainWindow::addFeed);
    connect(m.mnuCatRefresh, &QAction::triggered, this, &MainWindow::refreshTree);
    connect(m.mnuCatImportOpml, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(
            this, QStringLiteral("Import Subscriptions"), QString(),
            QStringLiteral("OPML Files (*.opml *.xml);;All Files (*)"));
        if (!path.isEmpty())
            importOpml(path);
    });
    connect(m.mnuCatExportOpml, &QAction::triggered, this, [this] {
        const QString path
            = saveFileName(QStringLiteral("Export Subscriptions"), QStringLiteral("opml"),
                           QStringLiteral("OPML Files|*.opml"));
        if (!path.isEmpty())
            exportOpml(path);
    });
    connect(m.mnuFeedsCheck, &QAction::triggered, this, [this] { openSelectedFeed(true); });
    connect(m.mnuFeedsOpen, &QAction::triggered, this, [this] { openSelectedFeed(false); });
    connect(m.mnuFeedsEdit, &QAction::triggered, this, &MainWindow::editFeed);
    connect(m.mnuFeedsDel, &QAction::triggered, this, &MainWindow::deleteFeed);

    connect(m.mnuToolsEmailSettings, &QAction::triggered, this,
            [this] { m_services.dialogs.showEmailSettings(this); });
    connect(m.mnuToolsSchedule, &QAction::triggered, this,
            [this] { m_services.dialogs.showScheduler(this); });
    connect(m.cmdSchedule, &QToolButton::clicked, this,
            [this] { m_services.dialogs.showScheduler(this); });
    connect(m.mnuToolsAppSettings, &QAction::triggered, this,
            [this] { m_services.dialogs.showAppSettings(this); });
    connect(m.cmdSettings, &QToolButton::clicked, this,
            [this] { m_services.dialogs.showAppSettings(this); });
    connect(m.mnuToolsExecuteSchedule, &QAction::triggered, this, &MainWindow::runScheduleTick);
    connect(m.mnuToolsOptionBar, &QAction::triggered, this, [this] { toggleOptionBar(); });
    connect(m.cmdToggle, &QToolButton::clicked, this, [this] {
        m_menus.mnuToolsOptionBar->setChecked(!m_menus.mnuToolsOptionBar->isChecked());
        toggleOptionBar();
    });
    connect(m.mnuLanguageItem, &QAction::triggered, this,
            [this] { m_services.dialogs.showLanguage(this, false); });
    connect(m.mnuHelpFile, &QAction::triggered, this, &MainWindow::showHelp);
    connect(m.mnuAboutItem, &QAction::triggered, this, &MainWindow::showAbout);
    connect(m.mnuHelpWebsite, &QAction::triggered, this, &MainWindow::visitWebsite);
    connect(m.cmdWebsite, &QToolButton::clicked, this, &MainWindow::visitWebsite);
    connectItemCommands();
    connect(m.mnuSysTray, &QMenu::triggered, this, [this](QAction *action) {
        runTrayCommand(static_cast<TrayCommand>(action->property("trayCommand").toInt()));
    });
}

void MainWindow::connectItemCommands()
{
    const MainMenus &m = m_menus;
    for (QAction *email : {m.mnuToolsSendByEmail, m.mnuFeedItemEmail})
        connect(email, &QAction::triggered, this, [this] { sendActiveItem(ItemCommand::Email); });
    connect(m.cmdEmail, &QToolButton::clicked, this,
            [this] { sendActiveItem(ItemCommand::Email); });
    connect(m.mnuFeedItemShow, &QAction::triggered, this,
            [this] { sendActiveItem(ItemCommand::Show); });
    connect(m.mnuFeedItemOnline, &QAction::triggered, this,
            [this] { sendActiveItem(ItemCommand::ViewOnline); });
    connect(m.mnuFeedItemDel, &QAction::triggered, this, &MainWindow::deleteActiveItem);
    connect(m.mnuFeedItemExportHtml, &QAction::triggered, this,
            [this] { sendActiveItem(ItemCommand::ExportHtml); });
    connect(m.mnuFeedItemExportTxt, &QAction::triggered, this,
            [this] { sendActiveItem(ItemCommand::ExportText); });
}

void MainWindow::addCategory()
{
    m_services.dialogs.showCategory(this, false, QString());
}

void MainWindow::editCategory()
{
    const SelectedNode node = selected(m_optionBar);
    if (node.kind != TreePane::NodeKind::Category)
        return;
    m_services.dialogs.showCategory(this, true, m_optionBar->tree().node(node.key)->text);
}

void MainWindow::deleteCategory()
{
    const SelectedNode node = selected(m_optionBar);
    if (node.kind != TreePane::NodeKind::Category)
        return;
    const QString name = m_optionBar->tree().node(node.key)->text;
    const QString text = message(QStringLiteral("MSG_DELETE1")) + name
        + message(QStringLiteral("MSG_DELETE2")) + QStringLiteral("\r\n\r\n")
        + message(QStringLiteral("MSG_DELETE3"));
    if (!m_ctx.messages.question(message(QStringLiteral("MSG_DELETE4")) + name, text))
        return;
    if (Categories::deleteCategory(m_ctx, name))
        m_optionBar->tree().remove(node.key);
}

void MainWindow::addFeed()
{
    if (!m_optionBar || m_optionBar->tree().nodes().isEmpty())
        return;
    const SelectedNode node = selected(m_optionBar);
    QString category;
    if (node.kind == TreePane::NodeKind::Category)
        category = m_optionBar->tree().node(node.key)->text;
    else if (const auto feed = TreePane::feedOf(m_optionBar->tree(), node.key))
        category = feed->category;
    m_services.dialogs.showAddFeed(this, false, QString(), category, QString(), QString());
}

void MainWindow::openSelectedFeed(bool checkForNewItems)
{
    const SelectedNode node = selected(m_optionBar);
    if (const auto feed = TreePane::feedOf(m_optionBar->tree(), node.key))
        openFeedWindow(feed->name, feed->id, feed->url, feed->feedType, checkForNewItems);
}

void MainWindow::editFeed()
{
    const SelectedNode node = selected(m_optionBar);
    if (const auto feed = TreePane::feedOf(m_optionBar->tree(), node.key))
        m_services.dialogs.showAddFeed(this, true, feed->id, feed->category, feed->name, feed->url);
}

void MainWindow::deleteFeed()
{
    const SelectedNode node = selected(m_optionBar);
    const auto feed = TreePane::feedOf(m_optionBar->tree(), node.key);
    if (!feed)
        return;
    if (!m_ctx.messages.question(message(QStringLiteral("MSG_DELETE4")),
                                 message(QStringLiteral("MSG_DELETE5"))))
        return;
    QString failure;
    if (Feeds::deleteFeed(m_ctx, *feed, &failure))
        m_optionBar->tree().remove(node.key);
    else if (!failure.isEmpty())
        ErrorReport::show(m_ctx, QStringLiteral("DeleteFeed"), Feeds::FeedsDatabase::kSaveStep,
                          failure);
}

void MainWindow::importOpml(const QString &path)
{
    const Opml::ImportResult result = Opml::importFile(m_ctx, path);
    const QString title = QStringLiteral("Import Subscriptions");
    if (!result.ok) {
        m_ctx.messages.warning(title, Opml::importMessage(result));
        return;
    }
    refreshTree();
    m_ctx.messages.information(title, Opml::importMessage(result));
}

void MainWindow::exportOpml(const QString &path)
{
    QString error;
    Opml::ExportSummary summary;
    const QString title = QStringLiteral("Export Subscriptions");
    if (Opml::exportFile(m_ctx, path, &error, &summary))
        m_ctx.messages.information(title, Opml::exportMessage(summary, path));
    else
        m_ctx.messages.warning(title, error);
}

void MainWindow::toggleOptionBar()
{
    if (m_dock)
        m_dock->setVisible(m_menus.mnuToolsOptionBar->isChecked());
}

void MainWindow::refreshTree()
{
    if (m_optionBar)
        m_optionBar->reload();
}

void MainWindow::showHelp()
{
    const QString help = m_ctx.appFolder + QStringLiteral("/Help.html");
    if (Files::fileExists(m_ctx, help)) {
        Desktop::open(m_ctx, help);
        m_ctx.userSettings.setValue(QStringLiteral("Settings"), QStringLiteral("showHelp"),
                                    QStringLiteral("0"));
    }
}

void MainWindow::showAbout()
{
    auto *about = new AboutDialog(this);
    about->show();
}

void MainWindow::visitWebsite()
{
    Desktop::open(m_ctx, ProgramInfo::websiteUrl(ProgramInfo::identity().website));
}

void MainWindow::sendActiveItem(ItemCommand command)
{
    if (FeedWindow *feed = activeFeedWindow())
        feed->runItemCommand(command);
}

void MainWindow::deleteActiveItem()
{
    FeedWindow *feed = activeFeedWindow();
    if (!feed)
        return;
    if (m_ctx.messages.question(message(QStringLiteral("MSG_DELETE3")),
                                message(QStringLiteral("MSG_DELETE5"))))
        feed->runItemCommand(ItemCommand::Delete);
}
