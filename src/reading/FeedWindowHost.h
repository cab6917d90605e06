#pragma once

#include "common/FeedType.h"
#include "reading/ItemMail.h"

#include <QPoint>
#include <QString>

// What a feed window needs of the main window that hosts it. The main window implements it;
// window tests use a recording fake.
class FeedWindowHost {
public:
    virtual ~FeedWindowHost() = default;

    // A row of the list was clicked: the main window enables "Send by Email".
    virtual void itemSelected() = 0;
    // The right button was released over a selected row: the item menu at that point (global
    // coordinates), with "Show " as its default entry.
    virtual void showItemMenu(const QPoint &globalPos) = 0;
    // The window's caption changed: the tab strip shows it.
    virtual void repaintTabs() = 0;
    // A message text of the translation service by key.
    [[nodiscard]] virtual QString message(const QString &key) const = 0;
    // The Save As dialog: the chosen path, or empty text when the user cancelled. filter is in
    // the "Text Files|*.txt" form.
    [[nodiscard]] virtual QString saveFileName(const QString &title, const QString &defaultSuffix,
                                               const QString &filter)
        = 0;
    // The e-mail server settings dialog, modal.
    virtual void showEmailSettings() = 0;
    // The send dialog for one item, modal.
    virtual void showSendEmail(const ItemMail &mail) = 0;
    // A refresh found the feed to be of another type and stored it: the main window shows it.
    virtual void feedTypeCorrected(const QString &feedId, FeedType type) = 0;
};
