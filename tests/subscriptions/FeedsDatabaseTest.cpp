#include "subscriptions/Categories.h"
#include "subscriptions/Feeds.h"

#include "support/FileSizeLimit.h"
#include "support/MemoryComboBox.h"
#include "support/MemoryTreeView.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using platform::MessageIcon;

namespace {

const QString kId1 = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
const QString kId2 = QStringLiteral("11111111-2222-3333-4444-555555555555");
const QString kId3 = QStringLiteral("AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE");

class FeedsDatabase : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data"))); }

    void writeDatabase(const QByteArray &xml) { t.writeFile(QStringLiteral("feeds.fdb"), xml); }
    QByteArray database() const { return t.readFile(QStringLiteral("feeds.fdb")); }
    QString itemFile(const QString &id) const
    {
        return t.path(QStringLiteral("Data/") + id + QStringLiteral(".fdb"));
    }

    static FeedRecord feed(const QString &category, const QString &name, const QString &url,
                           const QString &id, int type = 0)
    {
        return {category, url, feedTypeFromNumber(type), id, name};
    }

    // Two categories; News holds two feeds, Podcasts one.
    void writeSample()
    {
        writeDatabase(
            "<categories>"
            "<category name=\"News\">"
            "<feed name=\"World\" type=\"0\" "
            "id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">http://example.org/World.xml</feed>"
            "<feed name=\"Tech\" type=\"1\" "
            "id=\"11111111-2222-3333-4444-555555555555\">http://example.org/tech</feed>"
            "</category>"
            "<category name=\"Podcasts\">"
            "<feed name=\"Talk\" type=\"2\" "
            "id=\"AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE\">http://example.org/talk</feed>"
            "</category>"
            "</categories>");
    }

    test::TestContext t;
};

TEST_F(FeedsDatabase, AMissingFileBecomesAnEmptyDatabase)
{
    test::MemoryTreeView tree;
    Categories::loadCategories(t.ctx, tree);

    EXPECT_EQ(database(), "<categories/>\r\n");
    ASSERT_EQ(tree.nodes().size(), 1);
    const auto root = tree.nodes().first();
    EXPECT_EQ(root.key, QStringLiteral("main"));
    EXPECT_EQ(root.text, QStringLiteral("Subscribed Feeds"));
    EXPECT_EQ(root.image, 1);
    EXPECT_TRUE(tree.isSorted(QStringLiteral("main")));
    EXPECT_TRUE(tree.isExpanded(QStringLiteral("main")));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedsDatabase, WritesElementsAndAttributesInTheirOrder)
{
    ASSERT_TRUE(Categories::addCategory(t.ctx, QStringLiteral(" Tech & Science ")));
    ASSERT_TRUE(
        Feeds::addFeed(t.ctx,
                       feed(QStringLiteral(" TECH & science "), QStringLiteral("Café <news>"),
                            QStringLiteral("http://example.org/?a=1&b=2"), kId1, 2)));

    EXPECT_EQ(database(),
              QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                         "<categories><category name=\" Tech &amp; Science \">"
                         "<feed name=\"Caf\xc3\xa9 &lt;news>\" type=\"2\" "
                         "id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">"
                         "http://example.org/?a=1&amp;b=2</feed></category></categories>"));
}

TEST_F(FeedsDatabase, CategoryNamesCompareWithoutCaseAndTheFirstMatchWins)
{
    writeSample();
    EXPECT_TRUE(Categories::categoryExists(t.ctx, QStringLiteral("news")));
    EXPECT_FALSE(Categories::categoryExists(t.ctx, QStringLiteral("New")));

    ASSERT_TRUE(Categories::addCategory(t.ctx, QStringLiteral("NEWS"))); // a duplicate is accepted
    ASSERT_TRUE(Categories::editCategory(t.ctx, QStringLiteral("NEWS"), QStringLiteral("World")));
    EXPECT_FALSE(Categories::editCategory(t.ctx, QStringLiteral("Sports"), QStringLiteral("x")));

    test::MemoryComboBox names;
    Categories::loadCategories(t.ctx, names);
    EXPECT_EQ(
        names.entries(),
        (QStringList{QStringLiteral("World"), QStringLiteral("Podcasts"), QStringLiteral("NEWS")}));

    ASSERT_TRUE(Categories::deleteCategory(t.ctx, QStringLiteral("news")));
    Categories::loadCategories(t.ctx, names);
    EXPECT_EQ(names.entries(), (QStringList{QStringLiteral("World"), QStringLiteral("Podcasts")}));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedsDatabase, AFeedExistsByUrlOrNameWithinItsCategoryOnly)
{
    writeSample();
    const struct {
        FeedRecord record;
        bool exists;
    } cases[] = {
        {feed(QStringLiteral("News"), QStringLiteral("Other"),
              QStringLiteral("HTTP://EXAMPLE.ORG/world.XML"), {}),
         true},
        {feed(QStringLiteral("news"), QStringLiteral("tech"), QStringLiteral("http://elsewhere/"),
              {}),
         true},
        {feed(QStringLiteral("Podcasts"), QStringLiteral("Other"),
              QStringLiteral("http://example.org/World.xml"), {}),
         false},
        {feed(QStringLiteral("News"), QStringLiteral("Talk"),
              QStringLiteral("http://example.org/talk/"), {}),
         false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Feeds::feedExists(t.ctx, c.record), c.exists)
            << c.record.category.toStdString() << " " << c.record.url.toStdString();
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedsDatabase, EditFeedFindsTheIdentifierExactly)
{
    writeSample();
    FeedRecord renamed = feed(QStringLiteral("News"), QStringLiteral("World Daily"),
                              QStringLiteral("https://example.org/world.rss"), kId1, 1);
    FeedRecord otherCase = renamed;
    otherCase.id = kId1.toLower();

    EXPECT_FALSE(Feeds::editFeed(t.ctx, otherCase, false, {}));
    ASSERT_TRUE(Feeds::editFeed(t.ctx, renamed, false, {}));

    EXPECT_TRUE(database().contains(
        "<feed name=\"World Daily\" type=\"1\" "
        "id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">https://example.org/world.rss</feed>"));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedsDatabase, MovingAFeedKeepsItWholeAndPutsItLast)
{
    writeSample();
    // Name, type and URL of the record do not matter for a move.
    const FeedRecord record = feed(QStringLiteral("news"), QStringLiteral("ignored"),
                                   QStringLiteral("ignored"), kId1, 1);
    ASSERT_TRUE(Feeds::editFeed(t.ctx, record, true, QStringLiteral("PODCASTS")));

    test::MemoryTreeView tree;
    Categories::loadCategories(t.ctx, tree);
    EXPECT_EQ(tree.childKeys(QStringLiteral("cat_0")), QStringList{kId2});
    EXPECT_EQ(tree.childKeys(QStringLiteral("cat_1")), (QStringList{kId3, kId1}));
    const auto moved = tree.node(kId1);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->text, QStringLiteral("World"));
    EXPECT_EQ(moved->image, 3);
    EXPECT_EQ(moved->tag, QStringLiteral("http://example.org/World.xml"));

    EXPECT_FALSE(Feeds::editFeed(t.ctx, feed(QStringLiteral("Podcasts"), {}, {}, kId1), true,
                                 QStringLiteral("Sports")));
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(t.messages.shown[0].title, QStringLiteral("Category not found!"));
    EXPECT_EQ(t.messages.shown[0].text,
              QStringLiteral("Application failed to locate Sports in Database!"));
}

TEST_F(FeedsDatabase, DeletingAFeedRemovesItsItemFileButDeletingACategoryDoesNot)
{
    writeSample();
    for (const QString &id : {kId1, kId3})
        t.writeFile(QStringLiteral("Data/") + id + QStringLiteral(".fdb"), "<data/>");

    ASSERT_TRUE(Feeds::deleteFeed(t.ctx, feed(QStringLiteral("News"), {}, {}, kId1)));
    EXPECT_FALSE(QFile::exists(itemFile(kId1)));
    ASSERT_TRUE(
        Feeds::deleteFeed(t.ctx, feed(QStringLiteral("News"), {}, {}, kId2))); // no item file
    EXPECT_FALSE(Feeds::deleteFeed(t.ctx, feed(QStringLiteral("News"), {}, {}, kId2)));

    ASSERT_TRUE(Categories::deleteCategory(t.ctx, QStringLiteral("Podcasts")));
    EXPECT_TRUE(QFile::exists(itemFile(kId3)));
    EXPECT_FALSE(database().contains("feed"));
}

TEST_F(FeedsDatabase, ItemFilesAreReachedOnlyThroughRealIdentifiers)
{
    t.writeFile(QStringLiteral("victim.fdb"), "keep");
    t.writeFile(QStringLiteral("Data/victim.fdb"), "keep");
    writeDatabase("<categories><category name=\"x\"><feed name=\"evil\" type=\"0\" "
                  "id=\"../victim\">u</feed></category></categories>");

    for (const char *id :
         {"../victim", "victim", "", "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9/../../victim"})
        Feeds::deleteFeedData(t.ctx, QString::fromLatin1(id));
    EXPECT_TRUE(
        Feeds::deleteFeed(t.ctx, feed(QStringLiteral("x"), {}, {}, QStringLiteral("../victim"))));

    EXPECT_TRUE(QFile::exists(t.path(QStringLiteral("victim.fdb"))));
    EXPECT_TRUE(QFile::exists(t.path(QStringLiteral("Data/victim.fdb"))));
    EXPECT_TRUE(Feeds::isFeedIdentifier(kId1));
    EXPECT_TRUE(Feeds::feedDataPath(t.ctx, QStringLiteral("../victim")).isEmpty());
}

TEST_F(FeedsDatabase, TheTreeShowsFeedTypesAndStopsAtADamagedType)
{
    writeDatabase("<categories>"
                  "<category name=\"B\"><feed name=\"Talk\" type=\"2\" "
                  "id=\"AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE\">u1</feed>"
                  "<note>skipped</note>"
                  "<feed name=\"Bad\" type=\"rss\" "
                  "id=\"11111111-2222-3333-4444-555555555555\">u2</feed></category>"
                  "<category name=\"A\"><feed name=\"Never\" type=\"0\" "
                  "id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">u3</feed></category>"
                  "</categories>");
    test::MemoryTreeView tree;
    Categories::loadCategories(t.ctx, tree);

    const auto talk = tree.node(kId3);
    ASSERT_TRUE(talk);
    EXPECT_EQ(talk->image, 5);
    EXPECT_EQ(talk->selectedImage, 5);
    EXPECT_EQ(talk->parentKey, QStringLiteral("cat_0"));
    EXPECT_EQ(talk->tag, QStringLiteral("u1"));
    // The nodes added before the damaged feed stay; nothing after it is added.
    EXPECT_EQ(tree.nodes().size(), 3);
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(t.messages.shown[0].title, QStringLiteral("LoadCategories Function"));
    EXPECT_TRUE(t.messages.shown[0].text.startsWith(
        QStringLiteral("Error on Line 5\r\n\r\nType mismatch")));
}

TEST_F(FeedsDatabase, CategoriesAreShownSortedByNameUnderTheRoot)
{
    writeSample();
    test::MemoryTreeView tree;
    Categories::loadCategories(t.ctx, tree);
    EXPECT_EQ(tree.childKeys(QStringLiteral("main")),
              (QStringList{QStringLiteral("cat_0"), QStringLiteral("cat_1")}));
    EXPECT_EQ(tree.node(QStringLiteral("cat_1"))->text, QStringLiteral("Podcasts"));
    EXPECT_EQ(tree.childKeys(QStringLiteral("cat_0")), (QStringList{kId1, kId2}));
}

TEST_F(FeedsDatabase, ADamagedFileIsReportedAndNeverWritten)
{
    const struct {
        QByteArray content;
        QString title;
    } cases[] = {
        {"this is not XML\r\n", QStringLiteral("Invalid Database File Format!")},
        {"", QStringLiteral("Invalid Database File Format!")},
        {"<feeds><category name=\"News\"/></feeds>", QStringLiteral("Invalid Record Structure!")},
    };
    for (const auto &c : cases) {
        writeDatabase(c.content);
        t.messages.shown.clear();
        test::MemoryTreeView tree;

        EXPECT_FALSE(Categories::addCategory(t.ctx, QStringLiteral("News")));
        EXPECT_FALSE(Categories::categoryExists(t.ctx, QStringLiteral("News")));
        EXPECT_FALSE(Feeds::addFeed(
            t.ctx, feed(QStringLiteral("News"), QStringLiteral("n"), QStringLiteral("u"), kId1)));
        EXPECT_FALSE(Feeds::deleteFeed(t.ctx, feed(QStringLiteral("News"), {}, {}, kId1)));
        Categories::loadCategories(t.ctx, tree);

        EXPECT_EQ(database(), c.content);
        EXPECT_EQ(tree.nodes().size(), 1);
        ASSERT_EQ(t.messages.shown.size(), 5);
        for (const auto &box : t.messages.shown) {
            EXPECT_EQ(box.icon, MessageIcon::Warning);
            EXPECT_EQ(box.title, c.title);
        }
    }
    EXPECT_EQ(t.messages.shown[0].text,
              QStringLiteral("Appliaction failed to access Records in Database. Please reinstal "
                             "application to resolve this issue."));
}

TEST_F(FeedsDatabase, AMissingCategoryIsReportedForFeedOperations)
{
    writeSample();
    EXPECT_FALSE(Feeds::addFeed(
        t.ctx, feed(QStringLiteral("Sports"), QStringLiteral("n"), QStringLiteral("u"), kId1)));
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].title, QStringLiteral("Failed to access specified Category!"));
    EXPECT_EQ(t.messages.shown[0].text,
              QStringLiteral("Application failed to locate Feed category \"Sports\" in Database!"));
}

TEST_F(FeedsDatabase, AFailedSaveIsReportedAndLeavesTheFile)
{
    writeSample();
    const QByteArray before = database();
    {
        test::FileSizeLimit diskFull(64);
        EXPECT_FALSE(Categories::addCategory(t.ctx, QStringLiteral("Sports")));
        QString failure;
        EXPECT_FALSE(
            Feeds::deleteFeed(t.ctx, feed(QStringLiteral("News"), {}, {}, kId1), &failure));
        EXPECT_FALSE(failure.isEmpty());
    }
    EXPECT_EQ(database(), before);
    ASSERT_EQ(t.messages.shown.size(), 1); // deleteFeed leaves the report to its caller
    EXPECT_EQ(t.messages.shown[0].title, QStringLiteral("AddCategory Function"));
    EXPECT_TRUE(t.messages.shown[0].text.startsWith(QStringLiteral("Error on Line 6\r\n\r\n")));
}

TEST(NewFeedIdentifier, HasTheFeedIdentifierForm)
{
    const QRegularExpression form(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString id = Feeds::newFeedIdentifier();
        EXPECT_EQ(id.size(), 36);
        EXPECT_TRUE(form.match(id).hasMatch()) << id.toStdString();
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 50);
}

} // namespace
