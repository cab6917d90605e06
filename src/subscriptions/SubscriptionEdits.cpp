#include "subscriptions/SubscriptionEdits.h"

#include "common/Text.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "subscriptions/Categories.h"
#include "subscriptions/Feeds.h"

namespace SubscriptionEdits {
namespace {

bool refuseBlankName(const platform::Context &ctx, const QString &name)
{
    if (!Text::isBlank(name))
        return false;
    ctx.messages.warning(QStringLiteral("Category Name?"),
                         QStringLiteral("Please specify Name of Category."));
    return true;
}

bool ensureCategory(const platform::Context &ctx, const QString &name)
{
    if (Categories::categoryExists(ctx, name) || Categories::addCategory(ctx, name))
        return true;
    ctx.messages.warning(
        QStringLiteral("Failed to Create Category!"),
        QStringLiteral("Application failed to create specified Category. Please "
                       "try some other Category name or choose from existing ones."));
    return false;
}

} // namespace

bool storeFeed(const platform::Context &ctx, const FeedRecord &feed, bool editing)
{
    if (!ensureCategory(ctx, feed.category))
        return false;
    if (editing)
        return Feeds::editFeed(ctx, feed, false, QString());
    return Feeds::addFeed(ctx, feed);
}

bool addCategory(const platform::Context &ctx, const QString &name)
{
    if (refuseBlankName(ctx, name))
        return false;
    return Categories::addCategory(ctx, name);
}

bool renameCategory(const platform::Context &ctx, const QString &oldName, const QString &newName)
{
    if (refuseBlankName(ctx, newName))
        return false;
    // The database takes names in any letter case for one name: nothing to store.
    if (newName.toLower() == oldName.toLower())
        return false;
    if (Categories::categoryExists(ctx, newName)) {
        ctx.messages.warning(QStringLiteral("Category Exists!"),
                             QStringLiteral("Category with same Name already exists. Try some "
                                            "other Category Name ..."));
        return false;
    }
    if (!Categories::editCategory(ctx, oldName, newName)) {
        ctx.messages.warning(QStringLiteral("Alert!"),
                             QStringLiteral("Application failed to access Category named \"")
                                 + oldName
                                 + QStringLiteral("\" in database. Edit operation failed. Please "
                                                  "Refresh Category tree and try again ..."));
        return false;
    }
    return true;
}

} // namespace SubscriptionEdits
