#include "subscriptions/Feeds.h"

#include "common/ErrorReport.h"
#include "platform/Context.h"
#include "platform/FileLock.h"
#include "platform/MessageBoxes.h"

#include <QFile>

using platform::XmlNode;

namespace Feeds {
namespace {

// How long a change waits for another part of the program, or another program, to finish its
// change of the database.
constexpr int kDatabaseLockWaitMs = 5000;

// The first feed of the category with exactly that identifier. A child without an identifier
// attribute on the way is a damaged database: *failure says so and nothing is found.
XmlNode findFeed(const XmlNode &category, const QString &id, QString *failure)
{
    for (const XmlNode &feed : category.children()) {
        if (feed.attributeCount() < 3) {
            *failure
                = QStringLiteral("The entry \"%1\" of the category \"%2\" lacks its identifier.")
                      .arg(feed.attributeValue(0), category.attributeValue(0));
            return {};
        }
        if (feed.attributeValue(2) == id)
            return feed;
    }
    return {};
}

void setDetails(XmlNode &feed, const FeedRecord &record)
{
    feed.setAttribute(QStringLiteral("name"), record.name);
    feed.setAttribute(QStringLiteral("type"), QString::number(storedNumber(record.feedType)));
}

} // namespace

bool feedExists(const platform::Context &ctx, const FeedRecord &feed)
{
    const auto database = FeedsDatabase::open(ctx);
    if (!database)
        return false;
    const XmlNode category = database->requireCategory(feed.category);
    if (!category)
        return false;
    const QString url = feed.url.toLower();
    const QString name = feed.name.toLower();
    for (const XmlNode &child : category.children()) {
        if (child.text().toLower() == url || child.attributeValue(0).toLower() == name)
            return true;
    }
    return false;
}

bool addFeed(const platform::Context &ctx, const FeedRecord &feed)
{
    auto database = FeedsDatabase::open(ctx);
    if (!database)
        return false;
    XmlNode category = database->requireCategory(feed.category);
    if (!category)
        return false;
    XmlNode element = database->document().createElement(QStringLiteral("feed"));
    setDetails(element, feed);
    element.setAttribute(QStringLiteral("id"), feed.id);
    element.setText(feed.url);
    category.appendChild(element);
    return database->saveOrReport(QStringLiteral("AddFeed"));
}

bool editFeed(const platform::Context &ctx, const FeedRecord &feed, bool move,
              const QString &targetCategory)
{
    auto database = FeedsDatabase::open(ctx);
    if (!database)
        return false;
    const XmlNode category = database->requireCategory(feed.category);
    if (!category)
        return false;
    QString failure;
    XmlNode element = findFeed(category, feed.id, &failure);
    if (!failure.isEmpty()) {
        ErrorReport::show(ctx, QStringLiteral("EditFeed"), FeedsDatabase::kWorkStep, failure);
        return false;
    }
    if (!element)
        return false;
    if (!move) {
        setDetails(element, feed);
        element.setText(feed.url);
    } else {
        XmlNode target = database->findCategory(targetCategory);
        if (!target) {
            ctx.messages.warning(QStringLiteral("Category not found!"),
                                 QStringLiteral("Application failed to locate ") + targetCategory
                                     + QStringLiteral(" in Database!"));
            return false;
        }
        target.appendChild(element);
    }
    return database->saveOrReport(QStringLiteral("EditFeed"));
}

bool deleteFeed(const platform::Context &ctx, const FeedRecord &feed, QString *failure)
{
    QString reason;
    auto database = FeedsDatabase::open(ctx);
    if (!database)
        return false;
    XmlNode category = database->requireCategory(feed.category);
    if (!category)
        return false;
    const XmlNode element = findFeed(category, feed.id, &reason);
    if (element) {
        category.removeChild(element);
        // The items go only once the database no longer lists the feed: a failed save must not
        // leave a subscription whose items are lost.
        if (database->save(&reason)) {
            deleteFeedData(ctx, feed.id);
            return true;
        }
    }
    if (failure)
        *failure = reason;
    return false;
}

void deleteFeedData(const platform::Context &ctx, const QString &id)
{
    const QString path = feedDataPath(ctx, id);
    if (!path.isEmpty())
        QFile::remove(path);
}

bool correctFeedType(const platform::Context &ctx, const QString &feedId, FeedType type,
                     QString *failure)
{
    const QString path = feedsDatabasePath(ctx);
    platform::FileLock lock(path);
    if (!lock.acquire(kDatabaseLockWaitMs)) {
        if (failure)
            *failure = lock.errorText();
        return false;
    }
    platform::XmlDocument document;
    if (!document.load(path)) {
        if (failure)
            *failure = QStringLiteral("The feeds database cannot be read.");
        return false;
    }
    const XmlNode categories = document.selectSingleNode(QStringLiteral(".//categories"));
    if (!categories)
        return false;
    const QString typeText = QString::number(storedNumber(type));
    for (const XmlNode &category : categories.children()) {
        for (XmlNode feed : category.children()) {
            if (!feed.isElement() || feed.attributeValue(2) != feedId)
                continue;
            if (feed.attributeValue(1) == typeText)
                return false;
            feed.setAttribute(feed.attributeName(1), typeText);
            return document.save(path, failure);
        }
    }
    return false;
}

} // namespace Feeds
