#pragma once

#include "shell/ProgramDialogs.h"

namespace platform {
class MessageBoxes;
}

// The dialogs that are not built yet: each entry point says so in an information box.
class PendingDialogs final : public ProgramDialogs {
public:
    explicit PendingDialogs(platform::MessageBoxes &messages) : m_messages(messages) {}

    void showCategory(QWidget *, int, const QString &) override;
    void showAddFeed(QWidget *, int, const QString &, const QString &, const QString &,
                     const QString &) override;
    void showEmailSettings(QWidget *) override;
    void showScheduler(QWidget *) override;
    void showAppSettings(QWidget *) override;
    void showLanguage(QWidget *, bool) override;
    void showSendEmail(QWidget *, const ItemMail &) override;

private:
    void notYet(const QString &dialog);

    platform::MessageBoxes &m_messages;
};
