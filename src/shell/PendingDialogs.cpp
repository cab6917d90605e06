#include "shell/PendingDialogs.h"

#include "platform/MessageBoxes.h"

void PendingDialogs::notYet(const QString &dialog)
{
    m_messages.information(QStringLiteral("Marlowin"),
                           QStringLiteral("%1 is not available yet in this version.").arg(dialog));
}

void PendingDialogs::showCategory(QWidget *, int, const QString &)
{
    notYet(QStringLiteral("The category dialog"));
}

void PendingDialogs::showAddFeed(QWidget *, int, const QString &, const QString &, const QString &,
                                 const QString &)
{
    notYet(QStringLiteral("The feed dialog"));
}

void PendingDialogs::showEmailSettings(QWidget *)
{
    notYet(QStringLiteral("The e-mail settings dialog"));
}

void PendingDialogs::showScheduler(QWidget *)
{
    notYet(QStringLiteral("The scheduler dialog"));
}

void PendingDialogs::showAppSettings(QWidget *)
{
    notYet(QStringLiteral("The application settings dialog"));
}

void PendingDialogs::showLanguage(QWidget *, bool)
{
    notYet(QStringLiteral("The language dialog"));
}

void PendingDialogs::showSendEmail(QWidget *, const ItemMail &)
{
    notYet(QStringLiteral("Sending items by e-mail"));
}
