#include "subscriptions/Opml.h"
#include "subscriptions/FeedsDatabase.h"
#include "subscriptions/OpmlWriter.h"

#include "platform/XmlDocument.h"

#include "support/FileSizeLimit.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

const QString kFixtures = QStringLiteral(MARLOWIN_TEST_FIXTURES);

class OpmlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.clock.current = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53), QTimeZone::utc());
    }

    void writeDatabase(const QByteArray &xml) { t.writeFile(QStringLiteral("feeds.fdb"), xml); }
    QByteArray database() const { return t.readFile(QStringLiteral("feeds.fdb")); }

    QString writeList(const QByteArray &bytes)
    {
        t.writeFile(QStringLiteral("list.opml"), bytes);
        return t.path(QStringLiteral("list.opml"));
    }

    QByteArray exported(const QString &name = QStringLiteral("out.opml"))
    {
        QString error;
        EXPECT_TRUE(Opml::exportFile(t.ctx, t.path(name), &error)) << error.toStdString();
        return t.readFile(name);
    }

    // feeds.fdb as lines: "[category]" and below it "name | type | URL" per feed. Checks on the
    // way that every feed has its attributes in the order name, type, id and a fresh identifier.
    QStringList listing()
    {
        platform::XmlDocument document;
        EXPECT_TRUE(document.load(t.path(QStringLiteral("feeds.fdb"))));
        QStringList lines;
        for (const platform::XmlNode &category : document.documentElement().children()) {
            lines.append(QLatin1Char('[') + category.attributeValue(0) + QLatin1Char(']'));
            for (const platform::XmlNode &feed : category.children()) {
                EXPECT_EQ(feed.attributeName(0), QStringLiteral("name"));
                EXPECT_EQ(feed.attributeName(1), QStringLiteral("type"));
                EXPECT_EQ(feed.attributeName(2), QStringLiteral("id"));
                const QString id = feed.attributeValue(2);
                EXPECT_TRUE(Feeds::isFeedIdentifier(id) && id == id.toUpper()) << id.toStdString();
                EXPECT_FALSE(m_ids.contains(id)) << id.toStdString();
                m_ids.insert(id);
                lines.append(feed.attributeValue(0) + QStringLiteral(" | ") + feed.attributeValue(1)
                             + QStringLiteral(" | ") + feed.text());
            }
        }
        return lines;
    }

    test::TestContext t;

private:
    QSet<QString> m_ids;
};

// Names that XML escapes, a line break inside an attribute, blanks at the ends, a podcast, an
// Atom feed, an empty category and a feed type that is no number.
const QByteArray kDatabase
    = "<categories>"
      "<category name=\"News &amp; Views\">"
      "<feed name=\"Caf\xc3\xa9 &lt;daily&gt; &quot;quoted&quot;\" type=\"0\" "
      "id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">http://example.org/?a=1&amp;b=2</feed>"
      "<feed name=\"Two&#10;lines\" type=\"1\" "
      "id=\"11111111-2222-3333-4444-555555555555\">http://example.org/atom</feed>"
      "</category>"
      "<category name=\" Spaced \">"
      "<feed name=\"Talk\" type=\"2\" "
      "id=\"AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE\">http://example.org/talk</feed>"
      "<feed name=\"Odd\" type=\"x\" "
      "id=\"BBBBBBBB-BBBB-CCCC-DDDD-EEEEEEEEEEEE\">http://example.org/odd</feed>"
      "</category>"
      "<category name=\"Empty\"/>"
      "</categories>";

const QByteArray kExported
    = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<opml version=\"2.0\">\n"
      "  <head>\n"
      "    <title>Marlowin subscriptions</title>\n"
      "    <dateCreated>Sat, 14 Mar 2026 09:26:53 +0000</dateCreated>\n"
      "  </head>\n"
      "  <body>\n"
      "    <outline text=\"News &amp; Views\" title=\"News &amp; Views\">\n"
      "      <outline text=\"Caf\xc3\xa9 &lt;daily> &quot;quoted&quot;\" title=\"Caf\xc3\xa9 "
      "&lt;daily> &quot;quoted&quot;\" type=\"rss\" xmlUrl=\"http://example.org/?a=1&amp;b=2\" />\n"
      "      <outline text=\"Two&#10;lines\" title=\"Two&#10;lines\" type=\"atom\" "
      "xmlUrl=\"http://example.org/atom\" />\n"
      "    </outline>\n"
      "    <outline text=\" Spaced \" title=\" Spaced \">\n"
      "      <outline text=\"Talk\" title=\"Talk\" type=\"rss\" xmlUrl=\"http://example.org/talk\" "
      "marlowinType=\"podcast\" />\n"
      "      <outline text=\"Odd\" title=\"Odd\" type=\"rss\" xmlUrl=\"http://example.org/odd\" "
      "/>\n"
      "    </outline>\n"
      "    <outline text=\"Empty\" title=\"Empty\" />\n"
      "  </body>\n"
      "</opml>\n";

TEST_F(OpmlTest, ExportThenImportIntoAnEmptyDatabaseGivesTheSameExport)
{
    writeDatabase(kDatabase);
    Opml::ExportSummary summary;
    QString error;
    ASSERT_TRUE(Opml::exportFile(t.ctx, t.path(QStringLiteral("first.opml")), &error, &summary));
    const QByteArray first = t.readFile(QStringLiteral("first.opml"));
    EXPECT_EQ(first, kExported);
    EXPECT_EQ(summary.categories, 3);
    EXPECT_EQ(summary.feeds, 4);

    writeDatabase("<categories/>");
    const Opml::ImportResult result = Opml::importFile(t.ctx, t.path(QStringLiteral("first.opml")));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.feedsAdded, 4);
    EXPECT_EQ(result.categoriesAdded, 3);
    EXPECT_EQ(result.feedsSkipped, 0);
    EXPECT_EQ(listing(),
              (QStringList{
                  QStringLiteral("[News & Views]"),
                  QStringLiteral("Café <daily> \"quoted\" | 0 | http://example.org/?a=1&b=2"),
                  QStringLiteral("Two\nlines | 1 | http://example.org/atom"),
                  QStringLiteral("[ Spaced ]"),
                  QStringLiteral("Talk | 2 | http://example.org/talk"),
                  QStringLiteral("Odd | 0 | http://example.org/odd"),
                  QStringLiteral("[Empty]"),
              }));

    EXPECT_EQ(exported(QStringLiteral("second.opml")), first);
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(OpmlTest, ExportReplacesTheFileOrSaysWhyItCannot)
{
    t.writeFile(QStringLiteral("out.opml"), "older and longer content than an empty list has");
    const QByteArray empty = exported();
    EXPECT_TRUE(empty.endsWith("  <body />\n</opml>\n")) << empty.toStdString();
    EXPECT_EQ(database(), "<categories/>\r\n"); // a missing database is created, as everywhere

    const QString unwritable = t.path(QStringLiteral("no/such/folder/out.opml"));
    QString error;
    EXPECT_FALSE(Opml::exportFile(t.ctx, unwritable, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("The subscriptions could not be written to \"")
                                 + unwritable + QStringLiteral("\": ")))
        << error.toStdString();
}

TEST_F(OpmlTest, ImportsTheFoldersOfAnotherReadersList)
{
    writeDatabase("<categories/>");
    const Opml::ImportResult result
        = Opml::importFile(t.ctx, kFixtures + QStringLiteral("/other-reader.opml"));

    ASSERT_TRUE(result.ok) << result.error.toStdString();
    // Text before title; the nested folder flattens into its top-level one; the upper-case
    // copy of the Ars URL is skipped; a nameless feed is named by its URL; the loose feed goes
    // to "Imported"; its name was Latin-1.
    EXPECT_EQ(listing(),
              (QStringList{
                  QStringLiteral("[Technology]"),
                  QStringLiteral("Ars | 0 | https://feeds.example.com/ars/index"),
                  QStringLiteral("Lobsters | 0 | https://lobsters.example/rss"),
                  QStringLiteral("Atom blog | 1 | https://blog.example/atom.xml"),
                  QStringLiteral("[Podcasts]"),
                  QStringLiteral("Talk show | 2 | https://talk.example/feed.rss"),
                  QStringLiteral(
                      "https://untitled.example/feed.xml | 0 | https://untitled.example/feed.xml"),
                  QStringLiteral("[Imported]"),
                  QStringLiteral("Café Journal | 0 | http://cafe.example/feed"),
              }));
    EXPECT_EQ(result.feedsAdded, 6);
    EXPECT_EQ(result.categoriesAdded, 3);
    EXPECT_EQ(result.feedsSkipped, 1);
    EXPECT_EQ(
        Opml::importMessage(result),
        QStringLiteral("Imported 6 feeds in 3 new categories (1 already subscribed was skipped)."));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(OpmlTest, OnlyWebAddressesBecomeFeedsAndTheRestIsReported)
{
    writeDatabase("<categories/>");
    const Opml::ImportResult result = Opml::importFile(
        t.ctx,
        writeList("<?xml version=\"1.0\"?><opml version=\"2.0\"><body><outline text=\"Mixed\">"
                  "<outline text=\"A\" xmlUrl=\"javascript:alert(1)\"/>"
                  "<outline text=\"B\" xmlUrl=\"file:///etc/passwd\"/>"
                  "<outline text=\"C\" xmlUrl=\"data:text/xml,&lt;rss/&gt;\"/>"
                  "<outline text=\"D\" xmlUrl=\"/home/me/feed.xml\"/>"
                  "<outline text=\"E\" xmlUrl=\"https://a.example/&#10;x\"/>"
                  "<outline text=\"F\" xmlUrl=\"http:///nohost\"/>"
                  "<outline text=\"G\" xmlUrl=\"feed:https://b.example/rss\"/>"
                  "<outline text=\"H\" xmlUrl=\"HTTPS://c.example/rss\"/>"
                  "<outline text=\"I\" xmlUrl=\"feed://d.example/rss\"/>"
                  "<outline text=\"J\" xmlUrl=\"feed:javascript:alert(1)\"/>"
                  "</outline></body></opml>"));

    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(
        listing(),
        (QStringList{QStringLiteral("[Mixed]"), QStringLiteral("G | 0 | https://b.example/rss"),
                     QStringLiteral("H | 0 | HTTPS://c.example/rss"),
                     QStringLiteral("I | 0 | http://d.example/rss")}));
    const QString scheme = QStringLiteral(": only http, https and feed addresses can be feeds");
    EXPECT_EQ(result.refused,
              (QStringList{
                  QStringLiteral("javascript:alert(1)") + scheme,
                  QStringLiteral("file:///etc/passwd") + scheme,
                  QStringLiteral("data:text/xml,<rss/>") + scheme,
                  QStringLiteral("/home/me/feed.xml") + scheme,
                  QStringLiteral("https://a.example/\nx: it holds a line break or another control "
                                 "character"),
                  QStringLiteral("http:///nohost: it is no valid web address"),
                  QStringLiteral("feed:javascript:alert(1)") + scheme,
              }));
    EXPECT_TRUE(Opml::importMessage(result).startsWith(
        QStringLiteral("Imported 3 feeds in 1 new category.\nNot imported: javascript:alert(1)")));
}

TEST_F(OpmlTest, CategoriesInOtherLetterCaseAreReusedAndTheirFeedsNotDoubled)
{
    writeDatabase("<categories>"
                  "<category name=\"News\">"
                  "<feed name=\"World\" type=\"0\" "
                  "id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">http://example.org/World.xml</feed>"
                  "</category>"
                  "<category name=\"imported\"/>"
                  "</categories>");
    const QString list
        = writeList("<opml version=\"2.0\"><body>"
                    "<outline text=\"NEWS\">"
                    "<outline text=\"World again\" xmlUrl=\"HTTP://EXAMPLE.ORG/world.xml\"/>"
                    "<outline text=\"Sport\" xmlUrl=\"http://example.org/sport\"/>"
                    "</outline>"
                    "<outline text=\"Loose\" xmlUrl=\"http://example.org/loose\"/>"
                    "<outline text=\"news\"><outline text=\"Sport, twice\" "
                    "xmlUrl=\"http://example.org/SPORT\"/></outline>"
                    "<outline text=\"World\" xmlUrl=\"http://example.org/World.xml\"/>"
                    "</body></opml>");

    const Opml::ImportResult result = Opml::importFile(t.ctx, list);

    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(listing(),
              (QStringList{
                  QStringLiteral("[News]"),
                  QStringLiteral("World | 0 | http://example.org/World.xml"),
                  QStringLiteral("Sport | 0 | http://example.org/sport"),
                  QStringLiteral("[imported]"),
                  QStringLiteral("Loose | 0 | http://example.org/loose"),
                  // The same URL in another category is another subscription.
                  QStringLiteral("World | 0 | http://example.org/World.xml"),
              }));
    EXPECT_EQ(result.feedsAdded, 3);
    EXPECT_EQ(result.categoriesAdded, 0);
    EXPECT_EQ(result.feedsSkipped, 2);
}

TEST_F(OpmlTest, AFileThatIsNoSubscriptionListChangesNothingAndSaysWhy)
{
    writeDatabase("<categories><category name=\"News\"/></categories>");
    const QByteArray before = database();
    const struct {
        const char *what;
        QByteArray bytes;
        QString reason;
    } cases[] = {
        {"not XML", "Name,URL\nNews,http://example.org/feed\n",
         QStringLiteral("it is not well-formed XML (")},
        {"broken XML", "<opml><body><outline text=\"a\" xmlUrl=\"http://a/\"></body></opml>",
         QStringLiteral("it is not well-formed XML (")},
        {"empty", "  \n", QStringLiteral("the file is empty")},
        {"a feed, not a list", "<rss version=\"2.0\"><channel/></rss>",
         QStringLiteral("its root element is <rss>, not <opml>")},
        {"no body", "<opml version=\"2.0\"><head><title>x</title></head></opml>",
         QStringLiteral("it has no <body> element")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const Opml::ImportResult result = Opml::importFile(t.ctx, writeList(c.bytes));
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.error.startsWith(
            QStringLiteral("The file is not an OPML subscription list: ") + c.reason))
            << result.error.toStdString();
        EXPECT_EQ(Opml::importMessage(result), result.error);
        EXPECT_EQ(database(), before);
    }

    const QString missing = t.path(QStringLiteral("missing.opml"));
    const Opml::ImportResult unreadable = Opml::importFile(t.ctx, missing);
    EXPECT_FALSE(unreadable.ok);
    EXPECT_TRUE(unreadable.error.startsWith(QStringLiteral("The file \"") + missing
                                            + QStringLiteral("\" could not be read: ")))
        << unreadable.error.toStdString();
    EXPECT_EQ(database(), before);
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(OpmlTest, ADeclaredEntityIsNotExpanded)
{
    writeDatabase("<categories/>");
    const QString list = writeList(
        "<!DOCTYPE opml [<!ENTITY secret SYSTEM \"file:///etc/passwd\"><!ENTITY big \"xxxxxxxx\">]>"
        "<opml><body><outline text=\"&secret;&big;\" "
        "xmlUrl=\"http://example.org/feed\"/></body></opml>");

    const Opml::ImportResult result = Opml::importFile(t.ctx, list);

    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(listing(),
              (QStringList{QStringLiteral("[Imported]"),
                           QStringLiteral("&secret;&big; | 0 | http://example.org/feed")}));
}

TEST_F(OpmlTest, AnImportThatCannotBeSavedOrWouldOverfillACategoryChangesNothing)
{
    QByteArray full = "<categories><category name=\"Full\">";
    for (int i = 0; i < 32767; ++i)
        full += "<feed name=\"f\" type=\"0\" "
                "id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">http://example.org/"
            + QByteArray::number(i) + "</feed>";
    full += "</category></categories>";
    writeDatabase(full);
    const QByteArray one = "<opml><body><outline text=\"FULL\"><outline text=\"n\" "
                           "xmlUrl=\"http://example.org/new\"/></outline></body></opml>";
    Opml::ImportResult result = Opml::importFile(t.ctx, writeList(one));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error,
              QStringLiteral("The category \"Full\" would then hold more than 32767 "
                             "feeds, more than Marlowin keeps in one category. "
                             "Nothing was imported."));
    EXPECT_EQ(database(), full);

    const QByteArray small = "<categories><category name=\"News\"/></categories>";
    writeDatabase(small);
    QByteArray many = "<opml><body><outline text=\"News\">";
    for (int i = 0; i < 100; ++i)
        many += "<outline text=\"n\" xmlUrl=\"http://example.org/" + QByteArray::number(i) + "\"/>";
    many += "</outline><outline text=\"New category\"/></body></opml>";
    const QString list = writeList(many);
    {
        const test::FileSizeLimit limit(qsizetype(small.size()) + 200);
        result = Opml::importFile(t.ctx, list);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("The feeds database could not be saved (")))
        << result.error.toStdString();
    EXPECT_EQ(database(), small);
}

TEST(OpmlMessages, CountTheOutcomeInPlainWords)
{
    const struct {
        int added, categories, skipped;
        QString message;
    } cases[] = {
        {12, 3, 2,
         QStringLiteral(
             "Imported 12 feeds in 3 new categories (2 already subscribed were skipped).")},
        {1, 1, 0, QStringLiteral("Imported 1 feed in 1 new category.")},
        {2, 0, 0, QStringLiteral("Imported 2 feeds.")},
        {0, 0, 5, QStringLiteral("Imported 0 feeds (5 already subscribed were skipped).")},
    };
    for (const auto &c : cases) {
        Opml::ImportResult result;
        result.ok = true;
        result.feedsAdded = c.added;
        result.categoriesAdded = c.categories;
        result.feedsSkipped = c.skipped;
        EXPECT_EQ(Opml::importMessage(result), c.message);
    }
    EXPECT_EQ(Opml::exportMessage({1, 1}, QStringLiteral("/tmp/a b.opml")),
              QStringLiteral("Exported 1 feed in 1 category to \"/tmp/a b.opml\"."));
    EXPECT_EQ(Opml::exportMessage({2, 7}, QStringLiteral("x.opml")),
              QStringLiteral("Exported 7 feeds in 2 categories to \"x.opml\"."));
}

TEST(OpmlDates, AreEnglishRfc822WithTheirOwnOffset)
{
    const QDate date(2026, 1, 5);
    const QTime time(7, 8, 9);
    EXPECT_EQ(Opml::rfc822Date(QDateTime(date, time, QTimeZone(-(3 * 3600 + 30 * 60)))),
              QStringLiteral("Mon, 05 Jan 2026 07:08:09 -0330"));
    EXPECT_EQ(Opml::rfc822Date(QDateTime(date, time, QTimeZone(5 * 3600 + 45 * 60))),
              QStringLiteral("Mon, 05 Jan 2026 07:08:09 +0545"));
}

} // namespace
