#include "scheduler/ScheduleRows.h"

#include "platform/TreeView.h"

namespace ScheduleRows {
namespace {

// The tree shows a feed with the image 3 + its type code (0 RSS, 1 Atom, 2 podcast).
constexpr int kFeedImageBase = 3;

} // namespace

QList<platform::ListRow> feedRows(const platform::TreeView &tree)
{
    QList<platform::ListRow> rows;
    for (const platform::TreeNode &node : tree.nodes()) {
        if (!node.key.contains(QLatin1Char('-')))
            continue;
        platform::ListRow row;
        row.text = node.text;
        row.key = node.key;
        row.tag = node.tag;
        row.icon = QString::number(node.image);
        rows.append(row);
    }
    return rows;
}

platform::ListRow rowOf(const FeedRecord &entry)
{
    platform::ListRow row;
    row.text = entry.name;
    row.key = entry.id;
    row.tag = entry.url;
    row.icon = QString::number(storedNumber(entry.feedType) + kFeedImageBase);
    return row;
}

FeedRecord entryOf(const platform::ListRow &row)
{
    FeedRecord entry;
    entry.name = row.text;
    entry.id = row.key;
    entry.url = row.tag;
    entry.feedType = feedTypeFromNumber(row.icon.toInt() - kFeedImageBase);
    return entry;
}

int findKey(const platform::ReportList &list, const QString &key)
{
    for (int i = 0; i < list.count(); ++i) {
        if (list.row(i).key == key)
            return i;
    }
    return -1;
}

} // namespace ScheduleRows
