#pragma once

#include <QString>

namespace platform {
struct Context;
class ComboBoxView;
class TreeView;
} // namespace platform

// The categories of the feeds database (feeds.fdb). Names are compared after lower-casing both
// sides and every lookup acts on the first category of that name in file order; the database
// itself accepts duplicate names (callers that care ask categoryExists first). Every operation
// opens the file afresh and saves it whole when it changed. A file that is not XML or has no
// categories element is reported and never written; an unexpected failure is reported as
// "<Operation> Function" and gives false.
namespace Categories {

// Appends a category of exactly that name (no trimming, no duplicate check).
bool addCategory(const platform::Context &ctx, const QString &name);

[[nodiscard]] bool categoryExists(const platform::Context &ctx, const QString &name);

// Renames the first category called oldName; false without a message when there is none.
bool editCategory(const platform::Context &ctx, const QString &oldName, const QString &newName);

// Removes the first category of that name with its feeds; their item files stay on disk.
bool deleteCategory(const platform::Context &ctx, const QString &name);

// Fills the category tree: root "main" ("Subscribed Feeds", image 1, sorted and expanded), a
// node "cat_<position>" per category (image 2), and under it a node per feed keyed by its
// identifier, with the feed's name, image 3 + its type and the URL as tag. A failure midway
// leaves the nodes added so far.
void loadCategories(const platform::Context &ctx, platform::TreeView &tree);

// Fills a drop-down list with the category names in file order.
void loadCategories(const platform::Context &ctx, platform::ComboBoxView &list);

} // namespace Categories
