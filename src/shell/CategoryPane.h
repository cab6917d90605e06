#pragma once

#include "subscriptions/FeedRecord.h"

#include <QWidget>

#include <memory>

class TreePaneHost;
class QTreeWidget;

namespace platform {
struct Context;
class QtTreeView;
} // namespace platform

// The category tree pane ("Options"), docked into the main window: one group "Categories" whose
// tree tvCategories shows the feeds database. Double click opens a feed, F2 renames a category or
// a feed in place, a feed can be dragged onto another category, the right button opens the
// main window's "Feeds" or "Feed Manager" menu. Filled from the database when created.
class CategoryPane : public QWidget {
    Q_OBJECT
public:
    CategoryPane(const platform::Context &ctx, TreePaneHost &host, QWidget *parent = nullptr);
    ~CategoryPane() override;

    // The tree contract over tvCategories: the main window's commands read its selected node
    // and remove nodes from it.
    [[nodiscard]] platform::QtTreeView &tree() const;
    [[nodiscard]] QTreeWidget &treeWidget() const;
    // Rebuilds the tree from the database (loadCategories).
    void reload();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
