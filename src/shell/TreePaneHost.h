#pragma once

#include "common/FeedType.h"

#include <QPoint>
#include <QString>

struct FeedRecord;

// What the category tree pane needs of the main window.
class TreePaneHost {
public:
    virtual ~TreePaneHost() = default;

    // Brings the open window of that URL (any letter case) to the front; false when none is open.
    virtual bool isFeedWindowOpen(const QString &url, bool activate) = 0;
    // Opens the feed's window, or reuses the one open for its URL.
    virtual void openFeedWindow(const QString &caption, const QString &feedId, const QString &url,
                                FeedType feedType, bool checkForNewItems)
        = 0;
    // A node was clicked: "Add New Feed" of the "Feed Manager" menu is enabled for any node but
    // the root.
    virtual void nodeClicked(bool isRoot) = 0;
    // The context menus at a global position: "Feeds" (with "Check for New Feed Items..." as its
    // default entry) over a feed, "Feed Manager" over a category.
    virtual void showFeedsMenu(const QPoint &globalPos) = 0;
    virtual void showCategoryMenu(const QPoint &globalPos) = 0;
    // The user closed the pane through its dock: "Option Bar" loses its tick.
    virtual void paneClosed() = 0;
};
