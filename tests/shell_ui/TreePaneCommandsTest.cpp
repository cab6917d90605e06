#include "shell/TreePaneCommands.h"

#include "subscriptions/Categories.h"

#include "TreePaneSupport.h"
#include "support/MemoryTreeView.h"

#include <gtest/gtest.h>

using platform::MessageButtons;
using platform::MessageIcon;
using TreePane::NodeKind;

namespace {

const QString kFeeds = QStringLiteral("feeds.fdb");

class TreePaneCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.writeFile(kFeeds, test::kSampleFeeds);
        Categories::loadCategories(t.ctx, tree);
        ASSERT_TRUE(tree.node(test::kWorldId).has_value());
    }

    // The file's elements; the declaration a save puts in front is the database's business.
    QByteArray database() const
    {
        QByteArray bytes = t.readFile(kFeeds);
        if (bytes.startsWith("<?xml"))
            bytes.remove(0, bytes.indexOf("?>") + 2);
        return bytes;
    }
    QString textOf(const QString &key) const
    {
        return tree.node(key) ? tree.node(key)->text : QString();
    }
    QString boxes() const
    {
        QStringList lines;
        for (const auto &box : t.messages.shown)
            lines.append(box.title + QStringLiteral(" | ") + box.text);
        return lines.join(QLatin1Char('\n'));
    }

    test::TestContext t;
    test::MemoryTreeView tree;
};

TEST(TreePaneNodes, KindsFollowTheKey)
{
    const struct {
        const char *key;
        NodeKind kind;
    } cases[] = {
        {"", NodeKind::None},          {"main", NodeKind::Root},
        {"Main", NodeKind::Category}, // keys compare exactly
        {"cat_0", NodeKind::Category}, {"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9", NodeKind::Feed},
        {"a-b", NodeKind::Feed},
    };
    for (const auto &c : cases) {
        const QString key = QString::fromUtf8(c.key);
        EXPECT_EQ(TreePane::kindOf(key), c.kind) << c.key;
        EXPECT_EQ(TreePane::canDrag(key), c.kind == NodeKind::Feed) << c.key;
        EXPECT_EQ(TreePane::canDrop(key), c.kind == NodeKind::Category) << c.key;
    }
}

TEST_F(TreePaneCommands, FeedOfBuildsTheRecordFromAFeedNodeOnly)
{
    const std::optional<FeedRecord> talk = TreePane::feedOf(tree, test::kTalkId);
    ASSERT_TRUE(talk.has_value());
    EXPECT_EQ(talk->category, QStringLiteral("Podcasts"));
    EXPECT_EQ(talk->url, QStringLiteral("http://example.org/talk"));
    EXPECT_EQ(talk->feedType, FeedType::Podcast);
    EXPECT_EQ(talk->id, test::kTalkId);
    EXPECT_EQ(talk->name, QStringLiteral("Talk"));

    for (const QString &key : {QStringLiteral("main"), test::kNewsKey, QString(),
                               QStringLiteral("00000000-0000-0000-0000-000000000000")})
        EXPECT_FALSE(TreePane::feedOf(tree, key).has_value()) << key.toStdString();
}

TEST_F(TreePaneCommands, OpeningReusesAnOpenWindowAndIgnoresAllButFeeds)
{
    const struct {
        QString selected;
        QString openUrl;
        QStringList calls;
    } cases[] = {
        {test::kTechId,
         {},
         {"IsFeedWindowOpen http://example.org/tech 1",
          "OpenFeedWindow Tech 11111111-2222-3333-4444-555555555555 http://example.org/tech "
          "1 1"}},
        {test::kTechId, "HTTP://Example.org/TECH", {"IsFeedWindowOpen http://example.org/tech 1"}},
        {test::kNewsKey, {}, {}},
        {QStringLiteral("main"), {}, {}},
        {QString(), {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.selected.toStdString());
        test::RecordingTreePaneHost host;
        host.openUrl = c.openUrl;
        tree.select(c.selected);
        TreePane::openSelectedFeed(tree, host);
        EXPECT_EQ(host.calls, c.calls);
    }
}

TEST_F(TreePaneCommands, OnlyCategoriesAndFeedsMayBeRenamed)
{
    EXPECT_FALSE(TreePane::canRename(tree, QStringLiteral("main")));
    EXPECT_FALSE(TreePane::canRename(tree, QString()));
    EXPECT_TRUE(TreePane::canRename(tree, test::kNewsKey));
    EXPECT_TRUE(TreePane::canRename(tree, test::kWorldId));
    test::MemoryTreeView empty;
    EXPECT_FALSE(TreePane::canRename(empty, test::kNewsKey));
}

TEST_F(TreePaneCommands, RefusedRenamesLeaveTheDatabaseAndTheNodeAlone)
{
    const QString categoryExists = "Category Exists! | Category with same Name already exists. Try "
                                   "some other Category Name ...";
    const struct {
        QString key;
        QString newText;
        QString boxes;
    } cases[] = {
        {test::kNewsKey, "NEWS", {}}, // the old name in other letters: not even looked up
        {test::kWorldId, "world", {}},
        {test::kNewsKey, " \t ", {}},
        {test::kWorldId, "", {}},
        {test::kNewsKey, "blogs", categoryExists},
        {test::kWorldId, "Podcasts", categoryExists},
        {QStringLiteral("main"), "Everything", {}},
    };
    const QByteArray before = database();
    for (const auto &c : cases) {
        SCOPED_TRACE((c.key + " -> " + c.newText).toStdString());
        t.messages.shown.clear();
        const QString oldText = textOf(c.key);
        EXPECT_FALSE(TreePane::renameNode(t.ctx, tree, c.key, c.newText));
        EXPECT_EQ(boxes(), c.boxes);
        EXPECT_EQ(textOf(c.key), oldText);
        EXPECT_EQ(database(), before);
    }
}

TEST_F(TreePaneCommands, AcceptedRenamesAreStoredAndShown)
{
    EXPECT_TRUE(TreePane::renameNode(t.ctx, tree, test::kNewsKey, QStringLiteral("Headlines")));
    EXPECT_TRUE(TreePane::renameNode(t.ctx, tree, test::kWorldId, QStringLiteral("World Service")));

    EXPECT_EQ(boxes(), QString());
    EXPECT_EQ(textOf(test::kNewsKey), QStringLiteral("Headlines"));
    EXPECT_EQ(textOf(test::kWorldId), QStringLiteral("World Service"));
    // The feed is found under its category's new name, and keeps its type, id and URL.
    QByteArray expected = test::kSampleFeeds;
    expected.replace("name=\"News\"", "name=\"Headlines\"");
    expected.replace("name=\"World\"", "name=\"World Service\"");
    EXPECT_EQ(database(), expected);
}

TEST_F(TreePaneCommands, RenamingWhatTheDatabaseNoLongerHoldsKeepsTheOldName)
{
    t.writeFile(kFeeds, "<categories><category name=\"Podcasts\"/></categories>");
    const QByteArray before = database();

    EXPECT_FALSE(TreePane::renameNode(t.ctx, tree, test::kNewsKey, QStringLiteral("Headlines")));
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(boxes(),
              "Alert! | Application failed to access Category named \"News\" in database. "
              "Edit operation failed. Please Refresh Category tree and try again ...");

    // The feed's category is gone: the database warns about it, the node keeps its name.
    t.messages.shown.clear();
    EXPECT_FALSE(TreePane::renameNode(t.ctx, tree, test::kTalkId, QStringLiteral("Chat")));
    EXPECT_FALSE(TreePane::renameNode(t.ctx, tree, test::kWorldId, QStringLiteral("Globe")));
    EXPECT_FALSE(boxes().contains(QStringLiteral("Alert!")));

    EXPECT_EQ(textOf(test::kNewsKey), QStringLiteral("News"));
    EXPECT_EQ(textOf(test::kTalkId), QStringLiteral("Talk"));
    EXPECT_EQ(textOf(test::kWorldId), QStringLiteral("World"));
    EXPECT_EQ(database(), before);
}

TEST_F(TreePaneCommands, DropsThatMoveNothing)
{
    const std::optional<FeedRecord> world = TreePane::feedOf(tree, test::kWorldId);
    ASSERT_TRUE(world.has_value());
    const QString question = "Change Category? | Are you sure you want to move selected Feed from "
                             "\"News\" to \"Podcasts\" category?";
    const struct {
        const char *what;
        QString target;
        QList<platform::MessageAnswer> answers;
        QString boxes;
    } cases[] = {
        {"own category", test::kNewsKey, {}, {}},
        {"root", QStringLiteral("main"), {}, {}},
        {"a feed", test::kTalkId, {}, {}},
        {"answered No", test::kPodcastsKey, {platform::MessageAnswer::No}, question},
        {"URL taken",
         test::kPodcastsKey,
         {platform::MessageAnswer::Yes},
         question
             + "\nFeed already Exists! | Feed with same URL already exists under category "
               "\"Podcasts\"."},
    };
    const QByteArray before = database();
    const QList<platform::TreeNode> nodes = tree.nodes();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        t.messages.shown.clear();
        t.messages.answers = c.answers;
        EXPECT_FALSE(TreePane::dropFeed(t.ctx, tree, *world, c.target));
        EXPECT_EQ(boxes(), c.boxes);
        EXPECT_EQ(database(), before);
        EXPECT_EQ(tree.nodes().size(), nodes.size());
        EXPECT_EQ(tree.node(test::kWorldId)->parentKey, test::kNewsKey);
    }
    EXPECT_EQ(t.messages.shown.last().icon, MessageIcon::Information);
    EXPECT_EQ(t.messages.shown.first().buttons, MessageButtons::YesNo);
}

TEST_F(TreePaneCommands, ADropMovesTheFeedAndRebuildsTheTree)
{
    const std::optional<FeedRecord> tech = TreePane::feedOf(tree, test::kTechId);
    ASSERT_TRUE(tech.has_value());
    tree.setExpanded(test::kPodcastsKey, true);
    t.messages.answers = {platform::MessageAnswer::Yes};

    EXPECT_TRUE(TreePane::dropFeed(t.ctx, tree, *tech, test::kBlogsKey));

    QByteArray expected = test::kSampleFeeds;
    const QByteArray techElement = "<feed name=\"Tech\" type=\"1\" id=\"11111111-2222-3333-4444-"
                                   "555555555555\">http://example.org/tech</feed>";
    expected.replace(techElement, "");
    expected.replace("<category name=\"Blogs\"/>",
                     "<category name=\"Blogs\">" + techElement + "</category>");
    EXPECT_EQ(database(), expected);

    // Rebuilt from the file: an Atom feed under Blogs, selected, with the open categories open.
    const std::optional<platform::TreeNode> moved = tree.node(test::kTechId);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(moved->parentKey, test::kBlogsKey);
    EXPECT_EQ(moved->image, 4);
    EXPECT_EQ(moved->tag, QStringLiteral("http://example.org/tech"));
    EXPECT_EQ(tree.selectedKey(), test::kTechId);
    EXPECT_TRUE(tree.isExpanded(test::kBlogsKey));
    EXPECT_TRUE(tree.isExpanded(test::kPodcastsKey));
    EXPECT_FALSE(tree.isExpanded(test::kNewsKey));
    EXPECT_EQ(tree.childKeys(test::kNewsKey), QStringList{test::kWorldId});
}

} // namespace
