#pragma once

#include "platform/ReportList.h"
#include "subscriptions/FeedRecord.h"

#include <QList>
#include <QString>

namespace platform {
class TreeView;
}

// How the scheduler dialog's lists show feeds: one row per feed with the feed's name as the row
// text, its identifier as the key, its URL as the tag and the category tree's image of the feed
// (3 + feed type) as the icon key, so both lists share the tree's feed icons.
namespace ScheduleRows {

// The feed nodes of the category tree in the tree's order. Feed nodes are keyed by a feed
// identifier, which holds "-"; the root and category keys ("main", "cat_<n>") hold none.
[[nodiscard]] QList<platform::ListRow> feedRows(const platform::TreeView &tree);

[[nodiscard]] platform::ListRow rowOf(const FeedRecord &entry);

// The schedule entry a row stands for; the schedule keeps no category, so Category is empty.
[[nodiscard]] FeedRecord entryOf(const platform::ListRow &row);

// The position of the first row whose key is exactly this one (case counts), or -1.
[[nodiscard]] int findKey(const platform::ReportList &list, const QString &key);

} // namespace ScheduleRows
