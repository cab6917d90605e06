#include "subscriptions/SubscriptionEdits.h"

#include "common/Text.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "subscriptions/mCategories.h"
#include "subscriptions/mFeeds.h"

namespace SubscriptionEdits {
namespace {

bool RefuseBlankName(const platform::Context &ctx, const QString &name)
{
    if (!Text::isBlank(name))
        return false;
    ctx.messages.warning(QStringLiteral("Category Name?"),
                         QStringLiteral("Please specify Name of Category."));
    return true;
}

bool EnsureCategory(const platform::Context &ctx, const QString &name)
{
    if (mCategories::CategoryExists(ctx, name) || mCategories::AddCategory(ctx, name))
        return true;
    ctx.messages.warning(QStringLiteral("Failed to Create Category!"),
                         QStringLiteral("Application failed to create specified Category. Please "
                                        "try some other Category name or choose from existing ones."));
    return false;
}

} // namespace

bool StoreFeed(const platform::Context &ctx, const FeedRecord &feed, bool editing)
{
    if (!EnsureCategory(ctx, feed.Category))
        return false;
    if (editing)
        return mFeeds::EditFeed(ctx, feed, false, QString());
    return mFeeds::AddFeed(ctx, feed);
}

bool AddCategory(const platform::Context &ctx, const QString &name)
{
    if (RefuseBlankName(ctx, name))
        return false;
    return mCategories::AddCategory(ctx, name);
}

bool RenameCategory(const platform::Context &ctx, const QString &oldName, const QString &newName)
{
    if (RefuseBlankName(ctx, newName))
        return false;
    // The database takes names in any letter case for one name: nothing to store.
    if (newName.toLower() == oldName.toLower())
        return false;
    if (mCategories::CategoryExists(ctx, newName)) {
        ctx.messages.warning(QStringLiteral("Category Exists!"),
                             QStringLiteral("Category with same Name already exists. Try some "
                                            "other Category Name ..."));
        return false;
    }
    if (!mCategories::EditCategory(ctx, oldName, newName)) {
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
