#pragma once

#include "shell/ProgramDialogs.h"

#include <QPointer>
#include <QString>

class Languages;
class LanguageDialog;
class MainWindow;

namespace platform {
struct Context;
}

// The program's dialogs, each created when it is opened and gone when it closes, so every
// opening starts afresh.
class QtProgramDialogs final : public ProgramDialogs {
public:
    QtProgramDialogs(const platform::Context &ctx, Languages &languages);

    // The main window whose tree, timer and captions the dialogs change. Set before any
    // dialog opens.
    void setMainWindow(MainWindow *main) { m_main = main; }

    void showCategory(QWidget *owner, bool editing, const QString &categoryName) override;
    void showAddFeed(QWidget *owner, bool editing, const QString &feedId, const QString &category,
                     const QString &channel, const QString &url) override;
    void showEmailSettings(QWidget *owner) override;
    void showScheduler(QWidget *owner) override;
    void showAppSettings(QWidget *owner) override;
    void showLanguage(QWidget *owner, bool modal) override;
    void showSendEmail(QWidget *owner, const ItemMail &mail) override;

private:
    const platform::Context &m_ctx;
    Languages &m_languages;
    MainWindow *m_main = nullptr;
    QPointer<LanguageDialog> m_language; // the modeless one, while it is open
};
