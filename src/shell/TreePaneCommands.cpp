#include "shell/TreePaneCommands.h"

#include "common/Text.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "platform/TreeView.h"
#include "shell/TreePaneHost.h"
#include "subscriptions/Categories.h"
#include "subscriptions/Feeds.h"

namespace TreePane {
namespace {

const QString kRootKey = QStringLiteral("main");
constexpr int kFirstFeedImage = 3;

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Category names are one name in the database whatever their letter case.
bool sameName(const QString &a, const QString &b)
{
    return a.toLower() == b.toLower();
}

bool renameCategory(const platform::Context &ctx, platform::TreeView &tree, const QString &key,
                    const QString &oldName, const QString &newName)
{
    if (!Categories::editCategory(ctx, oldName, newName)) {
        ctx.messages.warning(QStringLiteral("Alert!"),
                             QStringLiteral("Application failed to access Category named ")
                                 + quoted(oldName)
                                 + QStringLiteral(" in database. Edit operation failed. Please "
                                                  "Refresh Category tree and try again ..."));
        return false;
    }
    tree.setText(key, newName);
    return true;
}

bool renameFeed(const platform::Context &ctx, platform::TreeView &tree, const QString &key,
                const QString &newName)
{
    std::optional<FeedRecord> feed = feedOf(tree, key);
    if (!feed)
        return false;
    feed->name = newName;
    if (!Feeds::editFeed(ctx, *feed, false, QString()))
        return false;
    tree.setText(key, newName);
    return true;
}

bool holdsFeed(const platform::TreeView &tree, const QString &categoryKey, const QString &feedKey)
{
    const std::optional<platform::TreeNode> feed = tree.node(feedKey);
    return feed && feed->parentKey == categoryKey;
}

QStringList expandedKeys(const platform::TreeView &tree)
{
    QStringList keys;
    for (const platform::TreeNode &node : tree.nodes()) {
        if (tree.isExpanded(node.key))
            keys.append(node.key);
    }
    return keys;
}

// Rebuilds the tree from the database after a move. Category keys stand for positions in the
// file, which a move does not change, so the categories the user had open open again.
void reloadAfterMove(const platform::Context &ctx, platform::TreeView &tree,
                     const QString &targetKey, const QString &feedKey)
{
    const QStringList expanded = expandedKeys(tree);
    Categories::loadCategories(ctx, tree);
    for (const QString &key : expanded)
        tree.setExpanded(key, true);
    tree.setExpanded(targetKey, true);
    if (tree.node(feedKey))
        tree.select(feedKey);
}

} // namespace

NodeKind kindOf(const QString &key)
{
    if (key.isEmpty())
        return NodeKind::None;
    if (key == kRootKey)
        return NodeKind::Root;
    if (key.contains(QLatin1Char('-')))
        return NodeKind::Feed;
    return NodeKind::Category;
}

std::optional<FeedRecord> feedOf(const platform::TreeView &tree, const QString &key)
{
    if (kindOf(key) != NodeKind::Feed)
        return std::nullopt;
    const std::optional<platform::TreeNode> node = tree.node(key);
    if (!node)
        return std::nullopt;
    const std::optional<platform::TreeNode> parent = tree.node(node->parentKey);
    FeedRecord feed;
    feed.category = parent ? parent->text : QString();
    feed.url = node->tag;
    feed.feedType = feedTypeFromNumber(node->image - kFirstFeedImage);
    feed.id = node->key;
    feed.name = node->text;
    return feed;
}

void openSelectedFeed(const platform::TreeView &tree, TreePaneHost &host)
{
    const std::optional<FeedRecord> feed = feedOf(tree, tree.selectedKey());
    if (!feed || host.isFeedWindowOpen(feed->url, true))
        return;
    host.openFeedWindow(feed->name, feed->id, feed->url, feed->feedType, true);
}

bool canRename(const platform::TreeView &tree, const QString &key)
{
    const NodeKind kind = kindOf(key);
    return (kind == NodeKind::Category || kind == NodeKind::Feed) && tree.node(key).has_value();
}

bool renameNode(const platform::Context &ctx, platform::TreeView &tree, const QString &key,
                const QString &newText)
{
    const std::optional<platform::TreeNode> node = tree.node(key);
    if (!node || !canRename(tree, key) || Text::isBlank(newText) || sameName(newText, node->text))
        return false;
    if (Categories::categoryExists(ctx, newText)) {
        ctx.messages.warning(QStringLiteral("Category Exists!"),
                             QStringLiteral("Category with same Name already exists. Try some "
                                            "other Category Name ..."));
        return false;
    }
    if (kindOf(key) == NodeKind::Category)
        return renameCategory(ctx, tree, key, node->text, newText);
    return renameFeed(ctx, tree, key, newText);
}

bool canDrag(const QString &key)
{
    return kindOf(key) == NodeKind::Feed;
}

bool canDrop(const QString &targetKey)
{
    return kindOf(targetKey) == NodeKind::Category;
}

bool dropFeed(const platform::Context &ctx, platform::TreeView &tree, const FeedRecord &dragged,
              const QString &targetKey)
{
    const std::optional<platform::TreeNode> target = tree.node(targetKey);
    if (!target || !canDrop(targetKey) || holdsFeed(tree, targetKey, dragged.id)
        || sameName(target->text, dragged.category))
        return false;
    const QString newCategory = target->text;
    if (!ctx.messages.question(QStringLiteral("Change Category?"),
                               QStringLiteral("Are you sure you want to move selected Feed from ")
                                   + quoted(dragged.category) + QStringLiteral(" to ")
                                   + quoted(newCategory) + QStringLiteral(" category?")))
        return false;
    FeedRecord inTarget = dragged;
    inTarget.category = newCategory;
    if (Feeds::feedExists(ctx, inTarget)) {
        ctx.messages.information(QStringLiteral("Feed already Exists!"),
                                 QStringLiteral("Feed with same URL already exists under category ")
                                     + quoted(newCategory) + QLatin1Char('.'));
        return false;
    }
    if (!Feeds::editFeed(ctx, dragged, true, newCategory))
        return false;
    reloadAfterMove(ctx, tree, targetKey, dragged.id);
    return true;
}

} // namespace TreePane
