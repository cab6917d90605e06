#include "shell/QtProgramDialogs.h"

#include "email/EmailSettingsDialog.h"
#include "email/SendEmailDialog.h"
#include "localization/LanguageDialog.h"
#include "platform/QtTreeView.h"
#include "scheduler/SchedulerDialog.h"
#include "settings/AppSettingsDialog.h"
#include "settings/Autostart.h"
#include "shell/CategoryPane.h"
#include "shell/MainWindow.h"
#include "shell/ProgramInfo.h"
#include "subscriptions/CategoryDialog.h"
#include "subscriptions/FeedDialog.h"

#include <QCoreApplication>

QtProgramDialogs::QtProgramDialogs(const platform::Context &ctx, Languages &languages)
    : m_ctx(ctx)
    , m_languages(languages)
{
}

void QtProgramDialogs::showCategory(QWidget *owner, bool editing, const QString &categoryName)
{
    CategoryDialog dialog(
        m_ctx, m_languages, [this] { m_main->refreshTree(); }, owner);
    dialog.setEditing(editing);
    dialog.setCategoryName(categoryName);
    dialog.prepare();
    dialog.exec();
}

void QtProgramDialogs::showAddFeed(QWidget *owner, bool editing, const QString &feedId,
                                   const QString &category, const QString &channel,
                                   const QString &url)
{
    FeedDialog dialog(
        m_ctx, m_languages, [this] { m_main->refreshTree(); }, owner);
    dialog.setEditing(editing);
    dialog.setFeedID(feedId);
    dialog.setCategory(category);
    dialog.setChannel(channel);
    dialog.setURL(url);
    dialog.prepare();
    dialog.exec();
}

void QtProgramDialogs::showEmailSettings(QWidget *owner)
{
    EmailSettingsDialog dialog(m_ctx, m_languages, owner);
    dialog.prepare();
    dialog.exec();
}

void QtProgramDialogs::showScheduler(QWidget *owner)
{
    SchedulerDialog dialog(
        m_ctx, m_languages, m_main->optionBar()->tree(), [this] { m_main->enableSchedule(); },
        owner);
    dialog.prepare();
    dialog.exec();
}

void QtProgramDialogs::showAppSettings(QWidget *owner)
{
    AppSettingsDialog dialog(m_ctx, m_languages, Autostart::defaultLocations(),
                             QCoreApplication::applicationFilePath(), owner);
    dialog.prepare();
    dialog.exec();
}

void QtProgramDialogs::showLanguage(QWidget *owner, bool modal)
{
    if (m_language) {
        m_language->raise();
        m_language->activateWindow();
        return;
    }
    auto *dialog = new LanguageDialog(
        m_ctx, m_languages, ProgramInfo::languagesFolderUrl(),
        [this](const QString &language) { m_main->applyLanguage(language); }, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->prepare();
    if (modal) {
        dialog->exec();
        return;
    }
    m_language = dialog;
    dialog->show();
}

void QtProgramDialogs::showSendEmail(QWidget *owner, const ItemMail &mail)
{
    SendEmailDialog dialog(m_ctx, m_languages, owner);
    dialog.setChannelName(mail.channelName);
    dialog.setFeedTitle(mail.feedTitle);
    dialog.setItemLink(mail.itemLink);
    dialog.setItemDescription(mail.itemDescription);
    dialog.prepare();
    dialog.exec();
}
