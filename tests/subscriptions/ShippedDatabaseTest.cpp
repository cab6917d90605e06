#include "subscriptions/Categories.h"

#include "support/MemoryTreeView.h"
#include "support/TestContext.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <gtest/gtest.h>

// default.fdb is what a new user's feeds.fdb starts as: it must load without a single message
// and give the tree only well-formed categories and feeds.
namespace {

QByteArray shippedDatabase()
{
    QFile file(QStringLiteral(MARLOWIN_RESOURCES_DIR "/default.fdb"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return file.readAll();
}

struct LoadedTree {
    QList<platform::TreeNode> categories;
    QList<platform::TreeNode> feeds;
};

LoadedTree loadShippedDatabase(test::TestContext &t)
{
    test::MemoryTreeView tree;
    Categories::loadCategories(t.ctx, tree);
    LoadedTree loaded;
    for (const platform::TreeNode &node : tree.nodes()) {
        if (node.parentKey == QStringLiteral("main"))
            loaded.categories << node;
        else if (!node.parentKey.isEmpty())
            loaded.feeds << node;
    }
    return loaded;
}

TEST(ShippedDatabase, IsTextWithWindowsLineEndsAndADeclaration)
{
    const QByteArray bytes = shippedDatabase();
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\"?>\r\n"));
    EXPECT_TRUE(bytes.endsWith("</categories>\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << "a line ends without CR";
}

TEST(ShippedDatabase, LoadsCategoriesAndFeedsOfEveryType)
{
    test::TestContext t;
    t.writeFile(QStringLiteral("feeds.fdb"), shippedDatabase());

    const LoadedTree loaded = loadShippedDatabase(t);
    EXPECT_TRUE(t.messages.shown.isEmpty());
    ASSERT_GE(loaded.categories.size(), 3);

    const QRegularExpression identifier(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    QSet<QString> categoryNames;
    QSet<QString> categoriesWithFeeds;
    QSet<QString> identifiers;
    QSet<int> types;
    for (const platform::TreeNode &category : loaded.categories) {
        EXPECT_EQ(category.image, 2) << category.text.toStdString();
        EXPECT_FALSE(category.text.trimmed().isEmpty());
        EXPECT_FALSE(categoryNames.contains(category.text.toLower()))
            << category.text.toStdString();
        categoryNames << category.text.toLower();
    }
    for (const platform::TreeNode &feed : loaded.feeds) {
        SCOPED_TRACE(feed.text.toStdString());
        EXPECT_TRUE(identifier.match(feed.key).hasMatch()) << feed.key.toStdString();
        EXPECT_FALSE(identifiers.contains(feed.key));
        identifiers << feed.key;
        EXPECT_GE(feed.image, 3);
        EXPECT_LE(feed.image, 5);
        types << feed.image - 3;
        EXPECT_FALSE(feed.text.trimmed().isEmpty());
        const QUrl url(feed.tag, QUrl::StrictMode);
        EXPECT_TRUE(url.isValid() && url.scheme() == QStringLiteral("https")
                    && !url.host().isEmpty())
            << feed.tag.toStdString();
        EXPECT_EQ(feed.tag, feed.tag.trimmed());
        categoriesWithFeeds << feed.parentKey;
    }
    EXPECT_EQ(types, (QSet<int>{0, 1, 2})) << "RSS, Atom and podcast feeds are all shipped";
    EXPECT_EQ(categoriesWithFeeds.size(), loaded.categories.size())
        << "a shipped category is empty";
}

TEST(ShippedDatabase, KeepsEverySubscriptionThroughTheFirstChange)
{
    test::TestContext t;
    t.writeFile(QStringLiteral("feeds.fdb"), shippedDatabase());
    const LoadedTree before = loadShippedDatabase(t);

    ASSERT_TRUE(Categories::addCategory(t.ctx, QStringLiteral("Mine")));

    const LoadedTree after = loadShippedDatabase(t);
    ASSERT_EQ(after.categories.size(), before.categories.size() + 1);
    EXPECT_EQ(after.categories.last().text, QStringLiteral("Mine"));
    ASSERT_EQ(after.feeds.size(), before.feeds.size());
    for (qsizetype i = 0; i < before.feeds.size(); ++i) {
        EXPECT_EQ(after.feeds[i].key, before.feeds[i].key);
        EXPECT_EQ(after.feeds[i].text, before.feeds[i].text);
        EXPECT_EQ(after.feeds[i].image, before.feeds[i].image);
        EXPECT_EQ(after.feeds[i].tag, before.feeds[i].tag);
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

} // namespace
