#include "shell/TreePaneCommands.h"

#include "common/Text.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "platform/TreeView.h"
#include "shell/TreePaneHost.h"
#include "subscriptions/mCategories.h"
#include "subscriptions/mFeeds.h"

namespace TreePane
{
namespace
{

const QString kRootKey = QStringLiteral("main");
constexpr int kFirstFeedImage = 3;

QString Quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Category names are one name in the database whatever their letter case.
bool SameName(const QString &a, const QString &b)
{
    return a.toLower() == b.toLower();
}

bool RenameCategory(const platform::Context &ctx, platform::TreeView &tree, const QString &key,
    const QString &oldName, const QString &newName)
{
    if (!mCategories::EditCategory(ctx, oldName, newName)) {
        ctx.messages.warning(QStringLiteral("Alert!"),
            QStringLiteral("Application failed to access Category named ") + Quoted(oldName)
                + QStringLiteral(" in database. Edit operation failed. Please "
                                 "Refresh Category tree and try again ..."));
        return false;
    }
    tree.setText(key, newName);
    return true;
}

bool RenameFeed(const platform::Context &ctx, platform::TreeView &tree, const QString &key,
    const QString &newName)
{
    std::optional<FeedRecord> feed = FeedOf(tree, key);
    if (!feed)
        return false;
    feed->Name = newName;
    if (!mFeeds::EditFeed(ctx, *feed, false, QString()))
        return false;
    tree.setText(key, newName);
    return true;
}

bool HoldsFeed(const platform::TreeView &tree, const QString &categoryKey, const QString &feedKey)
{
    const std::optional<platform::TreeNode> feed = tree.node(feedKey);
    return feed && feed->parentKey == categoryKey;
}

QStringList ExpandedKeys(const platform::TreeView &tree)
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
void ReloadAfterMove(const platform::Context &ctx, platform::TreeView &tree,
    const QString &targetKey, const QString &feedKey)
{
    const QStringList expanded = ExpandedKeys(tree);
    mCategories::LoadCategories(ctx, tree);
    for (const QString &key : expanded)
        tree.setExpanded(key, true);
    tree.setExpanded(targetKey, true);
    if (tree.node(feedKey))
        tree.select(feedKey);
}

} // namespace

NodeKind KindOf(const QString &key)
{
    if (key.isEmpty())
        return NodeKind::None;
    if (key == kRootKey)
        return NodeKind::Root;
    if (key.contains(QLatin1Char('-')))
        return NodeKind::Feed;
    return NodeKind::Category;
}

std::optional<FeedRecord> FeedOf(const platform::TreeView &tree, const QString &key)
{
    if (KindOf(key) != NodeKind::Feed)
        return std::nullopt;
    const std::optional<platform::TreeNode> node = tree.node(key);
    if (!node)
        return std::nullopt;
    const std::optional<platform::TreeNode> parent = tree.node(node->parentKey);
    FeedRecord feed;
    feed.Category = parent ? parent->text : QString();
    feed.URL = node->tag;
    feed.FeedType = static_cast<qint16>(node->image - kFirstFeedImage);
    feed.ID = node->key;
    feed.Name = node->text;
    return feed;
}

void OpenSelectedFeed(const platform::TreeView &tree, TreePaneHost &host)
{
    const std::optional<FeedRecord> feed = FeedOf(tree, tree.selectedKey());
    if (!feed || host.IsFeedWindowOpen(feed->URL, true))
        return;
    host.OpenFeedWindow(feed->Name, feed->ID, feed->URL, feed->FeedType, true);
}

bool CanRename(const platform::TreeView &tree, const QString &key)
{
    const NodeKind kind = KindOf(key);
    return (kind == NodeKind::Category || kind == NodeKind::Feed) && tree.node(key).has_value();
}

bool RenameNode(const platform::Context &ctx, platform::TreeView &tree, const QString &key,
    const QString &newText)
{
    const std::optional<platform::TreeNode> node = tree.node(key);
    if (!node || !CanRename(tree, key) || Text::isBlank(newText) || SameName(newText, node->text))
        return false;
    if (mCategories::CategoryExists(ctx, newText)) {
        ctx.messages.warning(QStringLiteral("Category Exists!"),
            QStringLiteral("Category with same Name already exists. Try some "
                           "other Category Name ..."));
        return false;
    }
    if (KindOf(key) == NodeKind::Category)
        return RenameCategory(ctx, tree, key, node->text, newText);
    return RenameFeed(ctx, tree, key, newText);
}

bool CanDrag(const QString &key)
{
    return KindOf(key) == NodeKind::Feed;
}

bool CanDrop(const QString &targetKey)
{
    return KindOf(targetKey) == NodeKind::Category;
}

bool DropFeed(const platform::Context &ctx, platform::TreeView &tree, const FeedRecord &dragged,
    const QString &targetKey)
{
    const std::optional<platform::TreeNode> target = tree.node(targetKey);
    if (!target || !CanDrop(targetKey) || HoldsFeed(tree, targetKey, dragged.ID)
        || SameName(target->text, dragged.Category))
        return false;
    const QString newCategory = target->text;
    if (!ctx.messages.question(QStringLiteral("Change Category?"),
            QStringLiteral("Are you sure you want to move selected Feed from ")
                + Quoted(dragged.Category) + QStringLiteral(" to ") + Quoted(newCategory)
                + QStringLiteral(" category?")))
        return false;
    FeedRecord inTarget = dragged;
    inTarget.Category = newCategory;
    if (mFeeds::FeedExists(ctx, inTarget)) {
        ctx.messages.information(QStringLiteral("Feed already Exists!"),
            QStringLiteral("Feed with same URL already exists under category ")
                + Quoted(newCategory) + QLatin1Char('.'));
        return false;
    }
    if (!mFeeds::EditFeed(ctx, dragged, true, newCategory))
        return false;
    ReloadAfterMove(ctx, tree, targetKey, dragged.ID);
    return true;
}

} // namespace TreePane
