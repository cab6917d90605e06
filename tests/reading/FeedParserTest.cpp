#include "reading/FeedParser.h"

#include "platform/TextCodec.h"
#include "platform/XmlDocument.h"
#include "reading/ItemIdentifier.h"
#include "reading/ItemStamp.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using FeedParser::ParseStatus;

namespace {

constexpr auto kDigestOfNothing = "d41d8cd98f00b204e9800998ecf8427e";

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// One line per item, so that a failing comparison shows every field of every item.
std::string describe(const FeedItem &item)
{
    return QStringList{item.title,
                       item.link,
                       item.day + u' ' + item.month + u' ' + item.year + u' ' + item.time,
                       item.description,
                       item.media,
                       item.guid}
        .join(QStringLiteral(" | "))
        .toStdString();
}

std::vector<std::string> describe(const QList<FeedItem> &items)
{
    std::vector<std::string> lines;
    for (const FeedItem &item : items)
        lines.push_back(describe(item));
    return lines;
}

struct Expected {
    const char *title;
    const char *link;
    const char *date; // "Day Month Year Time"
    const char *description;
    const char *media;
    const char *guid; // nullptr: none
};

std::vector<std::string> describe(const std::vector<Expected> &items)
{
    std::vector<std::string> lines;
    for (const Expected &e : items) {
        FeedItem item;
        item.title = q(e.title);
        item.link = q(e.link);
        const QStringList date = q(e.date).split(u' ');
        item.day = date.value(0);
        item.month = date.value(1);
        item.year = date.value(2);
        item.time = date.value(3);
        item.description = q(e.description);
        item.media = q(e.media);
        item.guid = e.guid ? q(e.guid) : QString();
        lines.push_back(describe(item));
    }
    return lines;
}

struct DocumentCase {
    const char *what;
    const char *document;
    std::vector<Expected> items;
};

QString repeated(const char *piece, int times)
{
    return q(piece).repeated(times);
}

TEST(ParseRss, ReadsTheItemsOfTheChannelInDocumentOrder)
{
    const DocumentCase cases[] = {
        {"three items with every field",
         R"(<?xml version="1.0"?>
<rss version="2.0"><channel><title>Feed</title><link>http://example.org/</link>
<item><title>One</title><link>http://example.org/1</link><description>First</description>
  <pubDate>Mon, 01 May 2006 12:34:56 GMT</pubDate>
  <enclosure url="http://example.org/1.mp3" length="100" type="audio/mpeg"/></item>
<item><title>Two</title><link>http://example.org/2</link><description>Second</description>
  <pubDate>Tue, 2 May 2006 08:00:00 +0200</pubDate>
  <enclosure url="http://example.org/2.mp3" length="200" type="audio/mpeg"/></item>
<item><title>Three</title><link>http://example.org/3</link><description>Third</description>
  <pubDate>2006-05-03T09:10:11Z</pubDate>
  <enclosure url="http://example.org/3.mp3" length="300" type="audio/mpeg"/></item>
</channel></rss>)",
         {{"One", "http://example.org/1", "01 May 2006 12:34:56", "First",
           "http://example.org/1.mp3", nullptr},
          {"Two", "http://example.org/2", "2 May 2006 08:00:00", "Second",
           "http://example.org/2.mp3", nullptr},
          {"Three", "http://example.org/3", "03 May 2006 09:10:11", "Third",
           "http://example.org/3.mp3", nullptr}}},
        {"two links: the second",
         "<rss><channel><item><link>http://example.org/a</link><link>http://example.org/b</link></"
         "item></channel></rss>",
         {{"", "http://example.org/b", "", "", "", nullptr}}},
        {"a repeated child overwrites, an empty enclosure too",
         "<rss><channel><item><title>old</title><enclosure "
         "url=\"u\"/><title>new</title><enclosure/></item></channel></rss>",
         {{"new", "", "", "", "", nullptr}}},
        {"enclosure whose first attribute is its length",
         R"(<rss><channel><item><link>http://example.org/c</link><enclosure length="1234" url="http://example.org/c.mp3"/></item></channel></rss>)",
         {{"", "http://example.org/c", "", "", "http://example.org/c.mp3", nullptr}}},
        {"control characters dropped from what is shown, kept in the guid that only names",
         "<rss><channel><item><title>a&#1;b\x02"
         "c\td</title><guid>g&#7;</guid><description>"
         "<![CDATA[x\x0b\x1by\r\nz\xc2\x85]]></description><enclosure url=\"http://e/\x7f"
         "1\"/>"
         "</item></channel></rss>",
         {{"abc\td", "", "", "xy\nz", "http://e/1", "g\x07"}}},
        {"no link: empty link, the guid trimmed",
         "<rss><channel><item><title>Untitled</title><guid> "
         "http://example.org/g\n</guid></item></channel></rss>",
         {{"Untitled", "", "", "", "", "http://example.org/g"}}},
        {"texts as written: CDATA, entities, untrimmed, markup in a description",
         "<rss><channel><item><title><![CDATA[Fish & <Chips>]]></title>"
         "<description>&lt;p&gt;Caf&#233; &amp; bar&lt;/p&gt;</description></item>"
         "<item><title>\n  spaced  \n</title><description><![CDATA[<b>bold</b>]]> and "
         "<i>element</i> text</description></item>"
         "</channel></rss>",
         {{"Fish & <Chips>", "", "", "<p>Café & bar</p>", "", nullptr},
          {"\n  spaced  \n", "", "", "<b>bold</b> and element text", "", nullptr}}},
        {"leading blank lines, comments and a declaration",
         "\r\n\n  <?xml version=\"1.0\"?>\n<!-- feed "
         "-->\n<rss><channel><item><title>T</title></item></channel></rss>\n",
         {{"T", "", "", "", "", nullptr}}},
        {"only direct item children of the first channel, other children ignored",
         "<rss><channel><image><item><title>in image</title></item></image>"
         "<item><title>A</title><category>x</category><comments>y</comments></item>"
         "<entry><title>not an item</title></entry><Item><title>wrong case</title></Item></channel>"
         "<channel><item><title>second channel</title></item></channel></rss>",
         {{"A", "", "", "", "", nullptr}}},
        {"a channel of an rss anywhere in the document",
         "<wrapper><rss><channel><item><title>deep</title></item></channel></rss></wrapper>",
         {{"deep", "", "", "", "", nullptr}}},
        {"a channel without items", "<rss><channel><title>Empty</title></channel></rss>", {}},
        {"an undated item and an unreadable date",
         "<rss><channel><item><title>a</title><pubDate>soon</pubDate></item></channel></rss>",
         {{"a", "", "", "", "", nullptr}}},
    };
    for (const auto &c : cases) {
        const auto result = FeedParser::parseRss(q(c.document));
        EXPECT_EQ(result.status, ParseStatus::Ok) << c.what;
        EXPECT_EQ(describe(result.items), describe(c.items)) << c.what;
    }
}

TEST(ParseAtom, ReadsTheEntriesOfTheFeedWithTheLinkThatPointsAtThem)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const DocumentCase cases[] = {
        {"entries in a default namespace",
         R"(<?xml version="1.0" encoding="utf-8"?>
<feed xmlns="http://www.w3.org/2005/Atom"><title>Feed</title><link href="http://example.org/"/>
<entry><title>One</title><link rel="alternate" type="text/html" href="http://example.org/1"/>
  <id>urn:1</id><updated>2007-01-01T00:00:00Z</updated><summary>not read</summary>
  <published>2006-05-01T12:34:56Z</published><content type="html">&lt;p&gt;First&lt;/p&gt;</content></entry>
<entry><title type="text">Two</title><link href="http://example.org/2"/>
  <published>2006-05-02T08:00:00+02:00</published><content>Second</content></entry>
</feed>)",
         {{"One", "http://example.org/1", "01 May 2006 12:34:56", "<p>First</p>", "", "urn:1"},
          {"Two", "http://example.org/2", "02 May 2006 08:00:00", "Second", "", nullptr}}},
        {"href taken by name, not by position",
         R"(<feed><entry><link href="http://example.org/a" rel="alternate" type="text/html"/></entry></feed>)",
         {{"", "http://example.org/a", "", "", "", nullptr}}},
        {"a replies link after the alternate one",
         R"(<feed><entry><link rel="alternate" type="text/html" href="http://example.org/a"/><link rel="replies" type="application/atom+xml" href="http://example.org/r"/></entry></feed>)",
         {{"", "http://example.org/a", "", "", "", nullptr}}},
        {"an alternate link after a self link",
         R"(<feed><entry><link rel="self" href="http://example.org/s"/><link rel="alternate" href="http://example.org/a"/></entry></feed>)",
         {{"", "http://example.org/a", "", "", "", nullptr}}},
        {"a link without rel counts as alternate",
         R"(<feed><entry><link rel="edit" href="http://example.org/e"/><link href="http://example.org/a"/><link rel="alternate" href="http://example.org/late"/></entry></feed>)",
         {{"", "http://example.org/a", "", "", "", nullptr}}},
        {"no alternate link: the first link with an href",
         R"(<feed><entry><link rel="enclosure"/><link rel="self" href="http://example.org/s"/><link rel="edit" href="http://example.org/e"/></entry></feed>)",
         {{"", "http://example.org/s", "", "", "", nullptr}}},
        {"no link with an href",
         R"(<feed><entry><title>T</title><link rel="alternate" type="text/html"/></entry></feed>)",
         {{"T", "", "", "", "", nullptr}}},
        {"only direct entry children, a prefixed entry is another name",
         R"(<feed xmlns:a="http://www.w3.org/2005/Atom"><source><entry><title>nested</title></entry></source><a:entry><title>prefixed</title></a:entry><entry><title>direct</title></entry></feed>)",
         {{"direct", "", "", "", "", nullptr}}},
        {"a feed without entries", "<feed><title>Empty</title></feed>", {}},
    };
    for (const auto &c : cases) {
        const auto result = FeedParser::parseAtom(q(c.document), english);
        EXPECT_EQ(result.status, ParseStatus::Ok) << c.what;
        EXPECT_EQ(describe(result.items), describe(c.items)) << c.what;
    }
}

TEST(ParseAtom, NamesThePublishedMonthInTheGivenLocale)
{
    const char *document
        = "<feed "
          "xmlns=\"http://www.w3.org/2005/Atom\"><entry><published>2006-05-01T12:34:56Z</"
          "published></entry></feed>";
    for (const QLocale &locale : {QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        const auto result = FeedParser::parseAtom(q(document), locale);
        ASSERT_EQ(result.items.size(), 1);
        const FeedItem &item = result.items.first();
        EXPECT_EQ(item.day, QStringLiteral("01"));
        EXPECT_EQ(item.month, locale.monthName(5, QLocale::ShortFormat))
            << locale.name().toStdString();
        EXPECT_EQ(item.year, QStringLiteral("2006"));
        EXPECT_EQ(item.time, QStringLiteral("12:34:56"));
    }
}

TEST(FeedParsers, ReportWhyADocumentGaveNoItems)
{
    const struct {
        const char *what;
        const char *document;
        ParseStatus rss;
        ParseStatus atom;
    } cases[] = {
        {"empty", "", ParseStatus::EmptyStream, ParseStatus::EmptyStream},
        {"blanks only", " \r\n\t \n", ParseStatus::EmptyStream, ParseStatus::EmptyStream},
        {"spaces XML does not know", "\xE2\x80\x83\xC2\xA0\v", ParseStatus::InvalidXml,
         ParseStatus::InvalidXml},
        {"plain text", "Service Unavailable", ParseStatus::InvalidXml, ParseStatus::InvalidXml},
        {"unclosed elements", "<rss><channel><item>", ParseStatus::InvalidXml,
         ParseStatus::InvalidXml},
        {"mismatched tags", "<feed><entry></feed></entry>", ParseStatus::InvalidXml,
         ParseStatus::InvalidXml},
        {"text after the root", "<rss><channel/></rss>trailing", ParseStatus::InvalidXml,
         ParseStatus::InvalidXml},
        {"HTML page", "<html><body><p>Moved<br></p></body></html>", ParseStatus::InvalidXml,
         ParseStatus::InvalidXml},
        {"RDF: items beside the channel, no rss element",
         R"(<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" xmlns="http://purl.org/rss/1.0/"><channel><title>T</title></channel><item><title>I</title><link>http://example.org/</link></item></rdf:RDF>)",
         ParseStatus::WrongFeedType, ParseStatus::WrongFeedType},
        {"rss without a channel", "<rss version=\"2.0\"><item><title>I</title></item></rss>",
         ParseStatus::WrongFeedType, ParseStatus::WrongFeedType},
        {"an Atom feed", "<feed><entry/></feed>", ParseStatus::WrongFeedType, ParseStatus::Ok},
        {"a prefixed Atom feed",
         "<atom:feed xmlns:atom=\"http://www.w3.org/2005/Atom\"><atom:entry/></atom:feed>",
         ParseStatus::WrongFeedType, ParseStatus::WrongFeedType},
        {"an RSS feed", "<rss><channel><item/></channel></rss>", ParseStatus::Ok,
         ParseStatus::WrongFeedType},
    };
    for (const auto &c : cases) {
        // The same verdict from the text and from its UTF-8 bytes, which a fetch hands over.
        const QByteArray utf8(c.document);
        for (const bool fromBytes : {false, true}) {
            SCOPED_TRACE(fromBytes ? "from UTF-8" : "from text");
            const auto rss = fromBytes ? FeedParser::parseRss(QByteArrayView(utf8))
                                       : FeedParser::parseRss(q(c.document));
            const auto atom = fromBytes ? FeedParser::parseAtom(QByteArrayView(utf8))
                                        : FeedParser::parseAtom(q(c.document));
            EXPECT_EQ(rss.status, c.rss) << c.what;
            EXPECT_EQ(atom.status, c.atom) << c.what;
            EXPECT_EQ(rss.items.size(), c.rss == ParseStatus::Ok ? 1 : 0) << c.what;
            EXPECT_EQ(atom.items.size(), c.atom == ParseStatus::Ok ? 1 : 0) << c.what;
        }
    }
}

// The parsers take text: documents in other charsets are decoded first, as the fetch does.
TEST(FeedParsers, ReadDocumentsDecodedFromOtherCharsets)
{
    const QByteArray latin1("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                            "<rss><channel><item><title>Caf\xe9 cr\xe8me</title>"
                            "<link>http://example.org/caf\xe9</link></item></channel></rss>\n");
    const auto rss = FeedParser::parseRss(platform::decodeDocument(latin1));
    ASSERT_EQ(rss.status, ParseStatus::Ok);
    EXPECT_EQ(describe(rss.items),
              describe(std::vector<Expected>{
                  {"Café crème", "http://example.org/café", "", "", "", nullptr}}));
    EXPECT_EQ(rss.items[0].id, QStringLiteral("f863d51bb39d54628325b3a021ac75c3"));

    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray utf16Bytes = utf16.encode(q(
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">"
        "<entry><title>Привет €</title><link href=\"http://example.org/\"/></entry></feed>"));
    const auto atom = FeedParser::parseAtom(platform::decodeDocument(utf16Bytes));
    ASSERT_EQ(atom.status, ParseStatus::Ok);
    EXPECT_EQ(
        describe(atom.items),
        describe(std::vector<Expected>{{"Привет €", "http://example.org/", "", "", "", nullptr}}));
    EXPECT_EQ(atom.items[0].id, QStringLiteral("d0d92cdc9b30c1300fbc3c7ebd304be0"));
}

TEST(FeedParsers, StopAtTheSixteenBitLimits)
{
    const int limit = FeedParser::kMaxItems;
    const struct {
        const char *what;
        QString rss;
        QString atom;
        qsizetype items;
        QString firstTitle;
    } cases[] = {
        {"more items than the list holds",
         q("<rss><channel>") + repeated("<item/>", limit + 5) + q("</channel></rss>"),
         q("<feed>") + repeated("<entry/>", limit + 5) + q("</feed>"),
         limit,
         {}},
        {"an item after the limit of children",
         q("<rss><channel>") + repeated("<x/>", limit) + q("<item/></channel></rss>"),
         q("<feed>") + repeated("<x/>", limit) + q("<entry/></feed>"),
         0,
         {}},
        {"a title after the limit of an item's children",
         q("<rss><channel><item>") + repeated("<x/>", limit)
             + q("<title>late</title></item></channel></rss>"),
         q("<feed><entry>") + repeated("<x/>", limit) + q("<title>late</title></entry></feed>"),
         1,
         {}},
        {"a title just within the limit",
         q("<rss><channel><item>") + repeated("<x/>", limit - 1)
             + q("<title>last</title></item></channel></rss>"),
         q("<feed><entry>") + repeated("<x/>", limit - 1) + q("<title>last</title></entry></feed>"),
         1, QStringLiteral("last")},
    };
    for (const auto &c : cases) {
        for (const auto &result : {FeedParser::parseRss(c.rss), FeedParser::parseAtom(c.atom)}) {
            ASSERT_EQ(result.status, ParseStatus::Ok) << c.what;
            EXPECT_EQ(result.items.size(), c.items) << c.what;
            if (!result.items.isEmpty()) {
                EXPECT_EQ(result.items.first().title, c.firstTitle) << c.what;
            }
        }
    }
}

TEST(ItemIdentifierDigest, DigestsWindows1252TextAsEarlierVersionsAndOtherTextAsUtf8)
{
    const struct {
        const char *text;
        const char *digest; // md5sum of the bytes
    } cases[] = {
        {"http://example.org/", "d0d92cdc9b30c1300fbc3c7ebd304be0"},
        {"", kDigestOfNothing},
        {"http://example.org/café", "f863d51bb39d54628325b3a021ac75c3"}, // é as the byte 0xE9
        {"http://example.org/Ω",
         "93a9d258f9d6f3e0b5bcbfeba373368a"}, // no Ω in the code page: UTF-8
    };
    for (const auto &c : cases)
        EXPECT_EQ(ItemIdentifier::digest(q(c.text)), q(c.digest)) << c.text;
}

// Real feeds from many sources: nothing crashes, items that differ (by guid, else by link,
// enclosure, title or date) never share an identifier, and an item has all four date fields or
// none.
TEST(FeedParsers, HoldTheirPromisesOnRealWorldFeeds)
{
    const QDir feeds(QStringLiteral(MARLOWIN_CORPUS_DIR "/feeds"));
    const QStringList files = feeds.entryList(QDir::Files, QDir::Name);
    if (files.isEmpty())
        GTEST_SKIP() << "no feed corpus at " << MARLOWIN_CORPUS_DIR;
    static const QRegularExpression digest(QStringLiteral("^[0-9a-f]{32}$"));
    int feedsWithItems = 0;
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        QFile in(feeds.filePath(file));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QString text = platform::decodeDocument(in.readAll());
        platform::XmlDocument document;
        const bool wellFormed = document.loadXML(text);
        for (const auto &result : {FeedParser::parseRss(text), FeedParser::parseAtom(text)}) {
            if (!wellFormed) {
                EXPECT_NE(result.status, ParseStatus::Ok);
                continue;
            }
            EXPECT_TRUE(result.status == ParseStatus::Ok
                        || result.status == ParseStatus::WrongFeedType);
            feedsWithItems += !result.items.isEmpty();
            QSet<QString> ids;
            QSet<QString> distinct;
            for (const FeedItem &item : result.items) {
                ids.insert(item.id);
                distinct.insert(item.guid.isEmpty() ? QStringList{item.link, item.media, item.title,
                                                                  ItemStamp::chronologicalKey(item)}
                                                          .join(u'\n')
                                                    : QStringLiteral("guid\n") + item.guid);
                EXPECT_TRUE(digest.match(item.id).hasMatch());
                const int dateFields = !item.day.isEmpty() + !item.month.isEmpty()
                    + !item.year.isEmpty() + !item.time.isEmpty();
                EXPECT_TRUE(dateFields == 0 || dateFields == 4) << describe(item);
            }
            EXPECT_EQ(ids.size(), distinct.size());
        }
    }
    EXPECT_GT(feedsWithItems, 50);
}

} // namespace
