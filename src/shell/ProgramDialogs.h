#pragma once

#include "reading/ItemMail.h"

#include <QString>

class QWidget;

// The dialogs the main window and the tray open, each owned by the given window. The program's
// implementation builds the real dialogs; window tests record the calls.
class ProgramDialogs {
public:
    virtual ~ProgramDialogs() = default;

    // CategoryDialog: adds a category, or when editing renames the named one. Modal.
    virtual void showCategory(QWidget *owner, bool editing, const QString &categoryName) = 0;
    // FeedDialog: adds a feed (category preset, may be empty), or when editing edits the feed
    // feedId with its name and URL. Modal.
    virtual void showAddFeed(QWidget *owner, bool editing, const QString &feedId,
                             const QString &category, const QString &channel, const QString &url)
        = 0;
    virtual void showEmailSettings(QWidget *owner) = 0; // EmailSettingsDialog, modal
    virtual void showScheduler(QWidget *owner) = 0;     // SchedulerDialog, modal
    virtual void showAppSettings(QWidget *owner) = 0;   // AppSettingsDialog, modal
    // LanguageDialog: modal on the first run, modeless from the Languages menu.
    virtual void showLanguage(QWidget *owner, bool modal) = 0;
    virtual void showSendEmail(QWidget *owner, const ItemMail &mail) = 0; // SendEmailDialog, modal
};
