#pragma once

#include "subscriptions/FeedRecord.h"

#include <QString>

namespace platform {
struct Context;
}

// What the feed and category dialogs store when the user confirms them, free of widgets. Each
// call shows its own refusals and the database shows its own failures; the answer only tells
// the dialog whether to reload the tree and close (true) or to stay open (false).
namespace SubscriptionEdits {

// Files the feed under feed.Category. When no category of that name exists (letter case
// ignored) it is created first, under the name as given; if that fails, "Failed to Create
// Category!" is shown and nothing is stored. Then the feed is added (adding: no duplicate
// check, the same URL may be there already) or the feed of that ID in that category takes the
// record's name, type and URL (editing). No field is trimmed or refused for being empty.
[[nodiscard]] bool storeFeed(const platform::Context &ctx, const FeedRecord &feed, bool editing);

// Adds a category of exactly that name, also when one of that name exists already. A blank name
// is refused with "Category Name?".
[[nodiscard]] bool addCategory(const platform::Context &ctx, const QString &name);

// Renames the category oldName to newName, with the rules of renaming in the tree: a blank name
// is refused with "Category Name?"; the old name again, in any letter case, changes nothing and
// shows nothing (false); a name that a category has is refused with "Category Exists!"; a
// category that cannot be renamed gets "Alert!".
[[nodiscard]] bool renameCategory(const platform::Context &ctx, const QString &oldName,
                                  const QString &newName);

} // namespace SubscriptionEdits
