#include "reading/FeedRefresh.h"
#include "reading/ItemFile.h"
#include "reading/ItemIdentifier.h"
#include "reading/ItemStore.h"

#include "support/LocalHttpServer.h"
#include "support/MemoryReportList.h"
#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QTime>

#include <gtest/gtest.h>
#include <httplib.h>

#include <sys/stat.h>

#include <mutex>
#include <optional>
#include <string>

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

const QString kFeedId = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
const QString kOtherId = QStringLiteral("11111111-2222-3333-4444-555555555555");
const QString kCaption = QStringLiteral("Example News");
const QString kNew = QStringLiteral("Example News [new]");
const QString kTabs = QStringLiteral("<tabs>");
const QByteArray kDeclaration = R"(<?xml version="1.0" encoding="UTF-8"?>)";

// Generous, so that a loaded machine still passes; a healthy run never comes near it.
constexpr int kArrivesMs = 20000;

class RecordingCaption final : public CaptionSink {
public:
    void setCaption(const QString &caption) override { events << caption; }
    void repaintTabs() override { events << kTabs; }
    QStringList events;
};

std::string rssItem(int n, const std::string &title, const std::string &pubDate,
                    const std::string &extra = "")
{
    std::string item = "<item><title>" + title + "</title><link>http://example.org/"
        + std::to_string(n) + "</link>";
    if (!pubDate.empty())
        item += "<pubDate>" + pubDate + "</pubDate>";
    return item + "<description>text " + std::to_string(n) + "</description>" + extra + "</item>";
}

std::string rss(const std::initializer_list<std::string> items)
{
    std::string rss
        = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Example</title>\n";
    for (const std::string &item : items)
        rss += item + "\n";
    return rss + "</channel></rss>\n";
}

const std::string kFirst = rssItem(1, "First", "Mon, 01 May 2006 08:00:00 GMT");
const std::string kSecond = rssItem(2, "Second", "Tue, 02 May 2006 08:00:00 GMT");
const std::string kThird = rssItem(3, "Third &amp; last", "Wed, 03 May 2006 08:00:00 GMT",
                                   "<enclosure url=\"http://example.org/3.mp3\" length=\"1\"/>");
const std::string kFourth = rssItem(4, "Fourth", "Thu, 04 May 2006 08:00:00 GMT");
const std::string kLate = rssItem(5, "Late", "Sun, 30 Apr 2006 08:00:00 GMT");

ino_t inodeOf(const QString &path)
{
    struct stat info { };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_ino;
}

QStringList storedTitles(const QString &path)
{
    ItemFile file(path);
    EXPECT_EQ(file.load(), ItemFile::State::Loaded);
    QStringList titles;
    for (const platform::XmlNode &item : file.items().children())
        titles << item.child(0).text();
    return titles;
}

class FeedRefreshTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
        m_server.routes().Get("/feed", [this](const httplib::Request &, httplib::Response &res) {
            const std::lock_guard lock(m_mutex);
            res.set_content(m_body, "application/rss+xml");
        });
        m_server.routes().Get("/silent", [this](const httplib::Request &, httplib::Response &res) {
            m_server.holdRequest();
            res.set_content(rss({kFirst}), "application/rss+xml");
        });
        m_server.routes().Get("/missing", [](const httplib::Request &, httplib::Response &res) {
            res.status = 404;
            res.set_content(rss({kFirst}), "application/rss+xml");
        });
        ASSERT_TRUE(m_server.start());
        setUp(reader, kFeedId);
    }

    void setUp(FeedReader &feed, const QString &id)
    {
        feed.setFeedID(id);
        feed.setFeedURL(m_server.url(QStringLiteral("/feed")));
        feed.setFeedType(FeedType::Rss);
        feed.setFeedCaption(kCaption);
        feed.setCheckForNewItems(true);
        feed.setFetchTimeout(kArrivesMs);
    }

    void serve(const std::string &body)
    {
        const std::lock_guard lock(m_mutex);
        m_body = body;
    }

    // A whole refresh, to its end.
    static void refresh(FeedReader &feed, bool loadList)
    {
        feed.loadFeedData(loadList);
        ASSERT_TRUE(test::waitUntil([&] { return !feed.isRefreshing(); }, kArrivesMs));
    }
    void refresh(bool loadList) { refresh(reader, loadList); }

    [[nodiscard]] QString itemPath(const QString &id = kFeedId) const
    {
        return t.path(QStringLiteral("Data/") + id + QStringLiteral(".fdb"));
    }
    [[nodiscard]] QByteArray itemFile(const QString &id = kFeedId) const
    {
        return t.readFile(QStringLiteral("Data/") + id + QStringLiteral(".fdb"));
    }
    [[nodiscard]] QStringList rowTitles() const
    {
        QStringList titles;
        for (int i = 0; i < list.count(); ++i)
            titles << list.row(i).text;
        return titles;
    }

    test::TestContext t;
    test::MemoryReportList list;
    RecordingCaption caption;
    FeedReader reader{t.ctx, list, caption, QLocale::c()};

    std::mutex m_mutex;
    std::string m_body;
    test::LocalHttpServer m_server{&t.network};
};

TEST_F(FeedRefreshTest, FirstRefreshStoresItemsOldestFirstAndListsThemNewestFirst)
{
    const std::string feed = rss({kThird, kSecond, kFirst});
    serve(feed);

    refresh(true);

    const QByteArray thirdId
        = ItemIdentifier::digest(QStringLiteral("http://example.org/3\nhttp://example.org/3.mp3"))
              .toLatin1();
    EXPECT_EQ(
        itemFile(),
        kDeclaration
            + "<data><items>"
              "<item id=\"cf7ad3b106cd1e357a46e976a1fb7987\" status=\"0\"><title>First</title>"
              "<link>http://example.org/1</link><date>2006-May-01T08:00:00</date><desc>text "
              "1</desc><media/></item>"
              "<item id=\"ddd3d50a65d39aa580feded3b0e7de3b\" status=\"0\"><title>Second</title>"
              "<link>http://example.org/2</link><date>2006-May-02T08:00:00</date><desc>text "
              "2</desc><media/></item>"
              "<item id=\""
            + thirdId
            + "\" status=\"0\"><title>Third &amp; last</title>"
              "<link>http://example.org/3</link><date>2006-May-03T08:00:00</date><desc>text "
              "3</desc>"
              "<media>http://example.org/3.mp3</media></item>"
              "</items><latest>20060503080000</latest><deleted/></data>");

    struct Row {
        QString text, subItem1, subItem2, key, tag;
    };
    const Row expected[] = {
        {"Third & last", "03 May 2006; 08:00:00", "20060503080000", QString::fromLatin1(thirdId),
         "http://example.org/3"},
        {"Second", "02 May 2006; 08:00:00", "20060502080000", "ddd3d50a65d39aa580feded3b0e7de3b",
         "http://example.org/2"},
        {"First", "01 May 2006; 08:00:00", "20060501080000", "cf7ad3b106cd1e357a46e976a1fb7987",
         "http://example.org/1"},
    };
    ASSERT_EQ(list.count(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list.row(i).text, expected[i].text);
        EXPECT_EQ(list.row(i).subItem1, expected[i].subItem1);
        EXPECT_EQ(list.row(i).subItem2, expected[i].subItem2);
        EXPECT_EQ(list.row(i).key, expected[i].key);
        EXPECT_EQ(list.row(i).tag, expected[i].tag);
        EXPECT_EQ(list.row(i).icon, QStringLiteral("unread"));
        EXPECT_TRUE(list.row(i).bold);
    }
    EXPECT_TRUE(list.isSorted());
    EXPECT_EQ(list.sortColumn(), 2);
    EXPECT_TRUE(list.isSortDescending());

    EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kNew, kTabs}));
    EXPECT_EQ(reader.feedData(), QString::fromStdString(feed));
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), QByteArray::fromStdString(feed) + "\r\n");
    EXPECT_EQ(m_server.lastHeader("Cache-Control"), "no-cache");
    EXPECT_FALSE(reader.stillExecuting());
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedRefreshTest, RefreshWithoutChangeLeavesFileAndCaptionAlone)
{
    serve(rss({kThird, kSecond, kFirst}));
    refresh(true);
    const QByteArray stored = itemFile();
    const ino_t inode = inodeOf(itemPath());

    for (const bool loadList : {false, true}) {
        SCOPED_TRACE(loadList);
        caption.events.clear();
        refresh(loadList);

        EXPECT_EQ(itemFile(), stored);
        EXPECT_EQ(inodeOf(itemPath()), inode) << "the file was rewritten";
        EXPECT_FALSE(reader.hasNewItems());
        EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kCaption, kTabs}));
        EXPECT_EQ(list.count(), 3);
    }
    // The list loaded from the file separates date and time with " ; ".
    EXPECT_EQ(list.row(0).subItem1, QStringLiteral("03 May 2006 ; 08:00:00"));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

// Newness is identity: an item published late with an earlier date is new as well, and items in
// editorial order are all stored.
TEST_F(FeedRefreshTest, EveryItemNotStoredYetIsAddedWhateverItsDate)
{
    serve(rss({kSecond, kThird, kFirst}));
    refresh(true);
    EXPECT_EQ(storedTitles(itemPath()), (QStringList{"First", "Third & last", "Second"}));

    serve(rss({kFourth, kThird, kSecond, kFirst, kLate}));
    caption.events.clear();
    refresh(false);

    EXPECT_EQ(rowTitles(), (QStringList{"Fourth", "Third & last", "Second", "First", "Late"}));
    EXPECT_TRUE(list.row(0).bold);
    EXPECT_TRUE(list.row(4).bold);
    EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kNew, kTabs}));
    EXPECT_EQ(storedTitles(itemPath()),
              (QStringList{"First", "Third & last", "Second", "Late", "Fourth"}));

    refresh(true);
    EXPECT_EQ(storedTitles(itemPath()).size(), 5);
    EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kCaption, kTabs}));
}

TEST_F(FeedRefreshTest, UndatedItemsAreStoredOnceAndShownWithoutDate)
{
    serve(rss({rssItem(1, "Undated one", ""), rssItem(2, "Undated two", "")}));

    refresh(true);

    const QByteArray stored = itemFile();
    EXPECT_EQ(
        stored,
        kDeclaration
            + "<data><items>"
              "<item id=\"ddd3d50a65d39aa580feded3b0e7de3b\" status=\"0\"><title>Undated "
              "two</title>"
              "<link>http://example.org/2</link><date>--T</date><desc>text 2</desc><media/></item>"
              "<item id=\"cf7ad3b106cd1e357a46e976a1fb7987\" status=\"0\"><title>Undated "
              "one</title>"
              "<link>http://example.org/1</link><date>--T</date><desc>text 1</desc><media/></item>"
              "</items><latest/><deleted/></data>");
    ASSERT_EQ(list.count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(list.row(i).subItem1, QStringLiteral("No Date Info Provided"));
        EXPECT_EQ(list.row(i).subItem2, QStringLiteral("0"));
    }
    const ino_t inode = inodeOf(itemPath());

    caption.events.clear();
    refresh(false);

    EXPECT_EQ(itemFile(), stored);
    EXPECT_EQ(inodeOf(itemPath()), inode);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kCaption, kTabs}));
}

// The date column sorts by the moment of publication: a one-digit day and a zone no longer
// misorder items.
TEST_F(FeedRefreshTest, RowsSortByTheMomentOfPublication)
{
    serve(rss({rssItem(1, "Noon in Berlin", "Fri, 05 May 2006 12:00:00 +0200"),
               rssItem(2, "Eleven in London", "Fri, 5 May 2006 11:00:00 GMT"),
               rssItem(3, "Early in New York", "Fri, 05 May 2006 05:30 EST"),
               rssItem(4, "Late April", "Sun, 30 Apr 2006 23:59:59 GMT"),
               rssItem(5, "Undated", "")}));

    refresh(true);

    EXPECT_EQ(rowTitles(),
              (QStringList{"Eleven in London", "Early in New York", "Noon in Berlin", "Late April",
                           "Undated"}));
    EXPECT_EQ(list.row(0).subItem1, QStringLiteral("5 May 2006; 11:00:00"));
    EXPECT_EQ(list.row(1).subItem2, QStringLiteral("20060505103000"));
    // A reload from the file keeps the order: the zones went into the file with the items.
    reader.loadItemList();
    list.setSortColumn(2);
    list.setSortDescending(true);
    EXPECT_EQ(rowTitles(),
              (QStringList{"Eleven in London", "Early in New York", "Noon in Berlin", "Late April",
                           "Undated"}));
}

TEST_F(FeedRefreshTest, TenThousandItemsAreStoredInOneSave)
{
    constexpr int kCount = 10000;
    std::string rss = "<rss><channel>";
    // Newest first, one second apart.
    for (int second = kCount - 1; second >= 0; --second) {
        const QString time = QTime(0, 0).addSecs(second).toString(QStringLiteral("HH:mm:ss"));
        rss += rssItem(second, "at " + std::to_string(second),
                       "Mon, 01 May 2006 " + time.toStdString() + " GMT");
    }
    serve(rss + "</channel></rss>");

    refresh(false);

    ItemFile file(itemPath());
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    const std::vector<platform::XmlNode> stored = file.items().children();
    ASSERT_EQ(stored.size(), size_t(kCount));
    EXPECT_EQ(stored.front().child(0).text(), QStringLiteral("at 0"));
    EXPECT_EQ(stored.back().child(0).text(), QStringLiteral("at 9999"));
    EXPECT_EQ(file.latestNode().text(), QStringLiteral("20060501024639"));
    ASSERT_EQ(list.count(), kCount);
    EXPECT_EQ(list.row(0).text, QStringLiteral("at 9999"));

    const QByteArray bytes = itemFile();
    refresh(false);
    EXPECT_FALSE(reader.hasNewItems());
    EXPECT_EQ(itemFile(), bytes);
}

TEST_F(FeedRefreshTest, IdentifierNotOfTheFeedFormWritesNothing)
{
    reader.setFeedID(QStringLiteral("../escape"));
    serve(rss({kThird, kSecond, kFirst}));

    refresh(true);

    EXPECT_EQ(list.count(), 3);
    EXPECT_TRUE(QDir(t.path(QStringLiteral("Data"))).isEmpty());
    EXPECT_EQ(QDir(t.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Debug.xml")});
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedRefreshTest, CaptionShowsEachStageOfTheRefresh)
{
    const QString loading = kCaption + QStringLiteral(" (loading ...)");
    const QString checking = kCaption + QStringLiteral(" (checking ...)");
    const QString parsing = kCaption + QStringLiteral(" (parsing ...)");
    const QString updating = kCaption + QStringLiteral(" (updating ...)");
    struct Case {
        const char *what;
        bool loadList;
        bool check;
        qint16 type;
        QStringList events;
    };
    const Case cases[] = {
        {"load and refresh",
         true,
         true,
         0,
         {loading, kTabs, checking, kTabs, parsing, kTabs, updating, kTabs, kNew, kTabs}},
        {"refresh only",
         false,
         true,
         2,
         {checking, kTabs, parsing, kTabs, updating, kTabs, kNew, kTabs}},
        {"load only", true, false, 0, {loading, kTabs, kCaption, kTabs}},
        {"neither", false, false, 0, {kCaption, kTabs}},
        {"unknown feed type: the document decides",
         false,
         true,
         7,
         {checking, kTabs, parsing, kTabs, updating, kTabs, kNew, kTabs}},
    };
    serve(rss({kThird, kSecond, kFirst}));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(itemPath());
        RecordingCaption events;
        test::MemoryReportList rows;
        FeedReader fresh(t.ctx, rows, events, QLocale::c());
        setUp(fresh, kFeedId);
        fresh.setCheckForNewItems(c.check);
        fresh.setFeedType(feedTypeFromNumber(c.type));

        refresh(fresh, c.loadList);

        EXPECT_EQ(events.events, c.events);
        EXPECT_EQ(QFile::exists(itemPath()), c.events.contains(kNew));
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedRefreshTest, OfflineMachineAsksUntilCancelledAndFetchesNothing)
{
    t.connection.connected = false;
    t.messages.answers = {MessageAnswer::Retry, MessageAnswer::Cancel};
    serve(rss({kFirst}));

    refresh(false);

    ASSERT_EQ(t.messages.shown.size(), 2);
    for (const auto &box : t.messages.shown) {
        EXPECT_EQ(box.icon, MessageIcon::Warning);
        EXPECT_EQ(box.buttons, MessageButtons::RetryCancel);
        EXPECT_EQ(box.title, QStringLiteral("Working Offline?"));
        EXPECT_EQ(
            box.text,
            QStringLiteral(
                "Cannot check Feed URL for new Items, Application failed to access Internet on "
                "this machine. Please make sure you're connected to Internet and Firewall "
                "application (if any) is configured properly to grant Internet access for "
                "Marlowin"));
    }
    EXPECT_EQ(m_server.requestCount(), 0);
    EXPECT_EQ(caption.events, (QStringList{kCaption, kTabs}));
    EXPECT_FALSE(QFile::exists(itemPath()));
}

// The time limit runs on the clock: the test moves it instead of waiting.
TEST_F(FeedRefreshTest, SilentServerTimesOutAndRetriesUntilCancelled)
{
    serve(rss({kFirst}));
    refresh(false);
    reader.setFeedURL(m_server.url(QStringLiteral("/silent")));
    t.messages.answers = {MessageAnswer::Retry, MessageAnswer::Cancel};

    reader.loadFeedData(false);
    for (int request = 1; request <= 2; ++request) {
        ASSERT_TRUE(test::waitUntil([&] { return m_server.heldRequests() == request; }));
        t.clock.advance(kArrivesMs);
    }
    ASSERT_TRUE(test::waitUntil([&] { return !reader.isRefreshing(); }));

    ASSERT_EQ(t.messages.shown.size(), 2);
    for (const auto &box : t.messages.shown) {
        EXPECT_EQ(box.icon, MessageIcon::Warning);
        EXPECT_EQ(box.buttons, MessageButtons::RetryCancel);
        EXPECT_EQ(box.title, QStringLiteral("Server Timeout!"));
        EXPECT_EQ(
            box.text,
            QStringLiteral(
                "Server did not respond in timely manner. Application failed to fetch Feed Data!"));
    }
    EXPECT_EQ(reader.feedData(), QString::fromStdString(rss({kFirst})));
    EXPECT_FALSE(reader.stillExecuting());
    EXPECT_EQ(caption.events.last(), kTabs);
    EXPECT_EQ(caption.events.at(caption.events.size() - 2), kNew) << "the last merge's mark stays";
}

TEST_F(FeedRefreshTest, EveryFailureIsToldInItsOwnBoxAndStoresNothing)
{
    const std::string atom = "<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry><title>A</title>"
                             "<link href=\"http://example.org/a\"/>"
                             "<published>2006-05-01T12:34:56Z</published></entry></feed>";
    struct Case {
        const char *what;
        std::string body;
        QString route;
        qint16 type;
        QString title;
        QString text;
    };
    const Case cases[] = {
        {"nothing at all", " \r\n", "/feed", 0, QStringLiteral("Invalid Server Response!"),
         QStringLiteral("Server returned empty data stream!")},
        {"not XML", "<rss><channel>", "/feed", 0, QStringLiteral("Invalid Data Format!"),
         QStringLiteral("Server returned Feed data in invalid XML format!")},
        {"XML of another kind, RSS expected", "<html/>", "/feed", 0,
         QStringLiteral("Invalid Feed XML!"),
         QStringLiteral(
             "Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not "
             "well-formed.")},
        {"XML of another kind, Atom expected", "<html/>", "/feed", 1,
         QStringLiteral("Invalid Feed XML!"),
         QStringLiteral(
             "Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML is not "
             "well-formed.")},
        {"a page that is not there",
         {},
         "/missing",
         0,
         QStringLiteral("Failed to fetch Feed Data!"),
         QStringLiteral("Server answered 404 Not Found")},
        {"no server at all",
         {},
         "http://127.0.0.1:1/feed",
         0,
         QStringLiteral("Failed to fetch Feed Data!"),
         QStringLiteral("Server refused the connection!")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        t.messages.shown.clear();
        serve(c.body);
        reader.setFeedURL(c.route.startsWith(u'/') ? m_server.url(c.route) : c.route);
        reader.setFeedType(feedTypeFromNumber(c.type));

        refresh(false);

        ASSERT_EQ(t.messages.shown.size(), 1);
        EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Warning);
        EXPECT_EQ(t.messages.shown[0].title, c.title);
        EXPECT_EQ(t.messages.shown[0].text, c.text);
        EXPECT_FALSE(QFile::exists(itemPath()));
        EXPECT_EQ(list.count(), 0);
    }
}

// A deleted item never comes back, also in a window opened later; one that the user reads is
// found by its identifier, even where its episodes share one link.
TEST_F(FeedRefreshTest, ItemsAreFoundByIdentifierAndADeletedOneNeverComesBack)
{
    const std::string podcast = rss({
        "<item><title>Episode 2</title><link>http://show.example/</link><guid>ep-2</guid>"
        "<pubDate>Tue, 02 May 2006 08:00:00 GMT</pubDate></item>",
        "<item><title>Episode 1</title><link>http://show.example/</link>"
        "<pubDate>Mon, 01 May 2006 08:00:00 GMT</pubDate>"
        "<enclosure url=\"http://show.example/1.mp3\" length=\"1\" type=\"audio/mpeg\"/></item>",
        "<item><title>Trailer</title><pubDate>Sun, 30 Apr 2006 08:00:00 GMT</pubDate></item>",
        "<item><title>Bonus</title><pubDate>Sun, 30 Apr 2006 09:00:00 GMT</pubDate></item>",
    });
    serve(podcast);
    refresh(true);
    ASSERT_EQ(rowTitles(), (QStringList{"Episode 2", "Episode 1", "Bonus", "Trailer"}));
    const QString second = list.row(0).key;
    const QString first = list.row(1).key;
    ASSERT_NE(first, second);
    ASSERT_NE(list.row(2).key, list.row(3).key);

    ASSERT_TRUE(reader.processItem(first, ItemAction::Load, true));
    EXPECT_EQ(reader.currentItem().title, QStringLiteral("Episode 1"));
    ASSERT_TRUE(reader.processItem(second, ItemAction::Delete, true));
    ASSERT_TRUE(reader.processItem(list.row(3).key, ItemAction::Delete, true));
    EXPECT_EQ(storedTitles(itemPath()), (QStringList{"Bonus", "Episode 1"}));

    test::MemoryReportList rows;
    FeedReader later(t.ctx, rows, caption, QLocale::c());
    setUp(later, kFeedId);
    refresh(later, true);

    EXPECT_FALSE(later.hasNewItems());
    EXPECT_EQ(storedTitles(itemPath()), (QStringList{"Bonus", "Episode 1"}));
    ASSERT_EQ(rows.count(), 2);
    EXPECT_FALSE(rows.row(0).bold) << "read before";
}

TEST_F(FeedRefreshTest, AnAtomFeedStoredAsRssIsReadAndItsTypeCorrected)
{
    serve("<feed "
          "xmlns=\"http://www.w3.org/2005/Atom\"><title>Site</title><entry><title>A</"
          "title><id>urn:a</id>"
          "<link "
          "href=\"http://example.org/a\"/><published>2006-05-01T12:34:56Z</published></entry></"
          "feed>");
    t.writeFile(QStringLiteral("feeds.fdb"),
                "<categories><category name=\"News\"><feed name=\"Site\" type=\"0\" id=\""
                    + kFeedId.toUtf8() + "\">" + m_server.url(QStringLiteral("/feed")).toUtf8()
                    + "</feed></category></categories>");
    QList<FeedType> corrected;
    QObject::connect(&reader, &FeedReader::feedTypeCorrected,
                     [&](FeedType type) { corrected << type; });

    refresh(false);

    EXPECT_EQ(rowTitles(), QStringList{"A"});
    EXPECT_EQ(corrected, QList<FeedType>{FeedType::Atom});
    EXPECT_EQ(reader.feedType(), FeedType::Atom);
    EXPECT_TRUE(t.readFile(QStringLiteral("feeds.fdb")).contains("type=\"1\""));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

// An item file of an earlier version names the item by its link; the feed names it by guid now,
// and has corrected its title: the row shows the new title and still finds its item.
TEST_F(FeedRefreshTest, ARowFollowsItsItemToTheIdentifierTheFeedGivesIt)
{
    t.writeFile(
        QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb"),
        kDeclaration
            + "<data><items><item id=\"cf7ad3b106cd1e357a46e976a1fb7987\" status=\"1\">"
              "<title>Frist</title><link>http://example.org/1</link><date>2006-May-01T08:00:00</"
              "date>"
              "<desc>text 1</desc><media/></item></items><latest>20060501080000</latest></data>");
    serve(rss({"<item><title>First</title><link>http://example.org/1</link><guid>post-1</guid>"
               "<pubDate>Mon, 01 May 2006 08:00:00 GMT</pubDate><description>text "
               "1</description></item>"}));

    refresh(true);

    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.row(0).text, QStringLiteral("First"));
    EXPECT_FALSE(list.row(0).bold);
    EXPECT_EQ(list.row(0).key, ItemIdentifier::digest(QStringLiteral("post-1")));
    EXPECT_TRUE(reader.processItem(list.row(0).key, ItemAction::Load, false));
    EXPECT_FALSE(reader.hasNewItems());
}

TEST(TypeToStore, TheDocumentDecidesAndAPodcastStaysOne)
{
    const struct {
        qint16 stored;
        qint16 read;
        qint16 kept;
    } cases[] = {
        {0, 0, 0}, {0, 1, 1}, {0, 2, 2}, // RSS: corrected to Atom, promoted to podcast
        {1, 0, 0}, {1, 2, 2},            // Atom imported as RSS, and back
        {2, 0, 2}, {2, 1, 1},            // a podcast is never demoted to plain RSS
        {7, 0, 0},                       // a type no longer known
    };
    for (const auto &c : cases)
        EXPECT_EQ(typeToStore(feedTypeFromNumber(c.stored), feedTypeFromNumber(c.read)),
                  feedTypeFromNumber(c.kept))
            << c.stored << " read as " << c.read;
}

TEST_F(FeedRefreshTest, ADamagedItemFileIsSetAsideAndTheFeedStartsAgain)
{
    t.writeFile(QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb"), "<data><items>");
    serve(rss({kSecond, kFirst}));

    refresh(true);

    QStringList titles;
    for (const auto &box : t.messages.shown)
        titles << box.title;
    EXPECT_EQ(titles, (QStringList{"Invalid File format!", "Feed Data file replaced!"}));
    EXPECT_EQ(t.messages.shown[1].text,
              QStringLiteral("The Feed Data file could not be read. It was set aside as "
                             "\"%1.fdb.damaged-20260314-092653\", "
                             "and a new file keeps the Items the Feed still offers.")
                  .arg(kFeedId));
    EXPECT_EQ(rowTitles(), (QStringList{"Second", "First"}));
    EXPECT_EQ(storedTitles(itemPath()), (QStringList{"First", "Second"}));
}

TEST(TimeColumn, LongTimeFormatLosesItsZone)
{
    const std::pair<QString, QString> cases[] = {
        {"HH:mm:ss t", "HH:mm:ss"},
        {"h:mm:ss AP t", "h:mm:ss AP"},
        {"h:mm:ss AP, t", "h:mm:ss AP"},
        {"HH:mm:ss (t)", "HH:mm:ss"},
        {"APh:mm:ss [t]", "APh:mm:ss"},
        {"t HH:mm:ss", "HH:mm:ss"},
        {"HH:mm tttt ss", "HH:mm ss"},
        {"H 'h' mm 'min' ss 's' t", "H 'h' mm 'min' ss 's'"},
        {"'at' HH:mm 'o''clock' t", "'at' HH:mm 'o''clock'"},
        {"HH:mm:ss", "HH:mm:ss"},
    };
    for (const auto &[format, expected] : cases)
        EXPECT_EQ(timeFormatWithoutZone(format), expected) << format.toStdString();
}

TEST(TimeColumn, StoredTimesShowInTheLocalesLongFormat)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    struct Case {
        QString time;
        QLocale locale;
        std::optional<QString> shown;
    };
    const Case cases[] = {
        {"12:34:56", QLocale::c(), QStringLiteral("12:34:56")},
        {"13:04:05", us, QStringLiteral("1:04:05 PM")},
        {"13:04:05", german, QStringLiteral("13:04:05")},
        {"9:05", QLocale::c(), QStringLiteral("09:05:00")},
        {" 08:00:00 ", QLocale::c(), QStringLiteral("08:00:00")},
        {"", QLocale::c(), std::nullopt},
        {"   ", QLocale::c(), std::nullopt},
        {"25:00:00", QLocale::c(), std::nullopt},
        {"noon", QLocale::c(), std::nullopt},
        {"12:34:56.789", QLocale::c(), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.time.toStdString() + " " + c.locale.name().toStdString());
        const std::optional<QString> shown = formatItemTime(c.time, c.locale);
        ASSERT_EQ(shown.has_value(), c.shown.has_value());
        if (shown) {
            // Qt may use a narrow no-break space before AM/PM.
            EXPECT_EQ(QString(*shown).replace(QChar(0x202F), u' '), *c.shown);
        }
        EXPECT_FALSE(shown.value_or(QString()).contains(QStringLiteral("UTC")));
    }
}

} // namespace
