#include "reading/FeedRefresh.h"
#include "reading/ItemFile.h"
#include "reading/ItemStamp.h"

#include "support/LocalHttpServer.h"
#include "support/MemoryReportList.h"
#include "support/TestContext.h"

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

std::string RssItem(int n, const std::string &title, const std::string &pubDate, const std::string &extra = "")
{
    std::string item = "<item><title>" + title + "</title><link>http://example.org/" + std::to_string(n)
                       + "</link>";
    if (!pubDate.empty())
        item += "<pubDate>" + pubDate + "</pubDate>";
    return item + "<description>text " + std::to_string(n) + "</description>" + extra + "</item>";
}

std::string Rss(const std::initializer_list<std::string> items)
{
    std::string rss = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Example</title>\n";
    for (const std::string &item : items)
        rss += item + "\n";
    return rss + "</channel></rss>\n";
}

const std::string kFirst = RssItem(1, "First", "Mon, 01 May 2006 08:00:00 GMT");
const std::string kSecond = RssItem(2, "Second", "Tue, 02 May 2006 08:00:00 GMT");
const std::string kThird = RssItem(3, "Third &amp; last", "Wed, 03 May 2006 08:00:00 GMT",
                                   "<enclosure url=\"http://example.org/3.mp3\" length=\"1\"/>");
const std::string kFourth = RssItem(4, "Fourth", "Thu, 04 May 2006 08:00:00 GMT");
const std::string kLate = RssItem(5, "Late", "Sun, 30 Apr 2006 08:00:00 GMT");

ino_t InodeOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_ino;
}

QStringList StoredTitles(const QString &path)
{
    ItemFile file(path);
    EXPECT_EQ(file.load(), ItemFile::State::Loaded);
    QStringList titles;
    for (const platform::XmlNode &item : file.items().children())
        titles << item.child(0).text();
    return titles;
}

FeedItem Dated(const QString &title, const QString &link, const QString &day, const QString &time)
{
    FeedItem item;
    item.Title = title;
    item.Link = link;
    item.Day = day;
    item.Month = QStringLiteral("May");
    item.Year = QStringLiteral("2006");
    item.Time = time;
    item.Description = QStringLiteral("about ") + title;
    item.ID = link.isEmpty() ? QString() : QStringLiteral("id of ") + link;
    return item;
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
            res.set_content(Rss({kFirst}), "application/rss+xml");
        });
        ASSERT_TRUE(m_server.start());
        setUp(reader, kFeedId);
    }

    void setUp(FeedReader &feed, const QString &id)
    {
        feed.setFeedID(id);
        feed.setFeedURL(m_server.url(QStringLiteral("/feed")));
        feed.setFeedType(0);
        feed.setFeedCaption(kCaption);
        feed.setCheckForNewItems(true);
        feed.setFetchTimeout(kArrivesMs);
    }

    void serve(const std::string &body)
    {
        const std::lock_guard lock(m_mutex);
        m_body = body;
    }

    [[nodiscard]] QString itemPath(const QString &id = kFeedId) const
    {
        return t.path(QStringLiteral("Data/") + id + QStringLiteral(".fdb"));
    }
    [[nodiscard]] QByteArray itemFile(const QString &id = kFeedId) const
    {
        return t.readFile(QStringLiteral("Data/") + id + QStringLiteral(".fdb"));
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
    const std::string feed = Rss({kThird, kSecond, kFirst});
    serve(feed);

    reader.LoadFeedData(true);

    EXPECT_EQ(itemFile(),
              kDeclaration + "<data><items>"
                  "<item id=\"cf7ad3b106cd1e357a46e976a1fb7987\" status=\"0\"><title>First</title>"
                  "<link>http://example.org/1</link><date>2006-May-01T08:00:00</date><desc>text 1</desc><media/></item>"
                  "<item id=\"ddd3d50a65d39aa580feded3b0e7de3b\" status=\"0\"><title>Second</title>"
                  "<link>http://example.org/2</link><date>2006-May-02T08:00:00</date><desc>text 2</desc><media/></item>"
                  "<item id=\"6293a956d4749987cd4b2445954a2b06\" status=\"0\"><title>Third &amp; last</title>"
                  "<link>http://example.org/3</link><date>2006-May-03T08:00:00</date><desc>text 3</desc>"
                  "<media>http://example.org/3.mp3</media></item>"
                  "</items><latest>20060503080000</latest></data>");

    struct Row {
        QString text, subItem1, subItem2, tag;
    };
    const Row expected[] = {
        {"Third & last", "03 May 2006; 08:00:00", "20060503080000", "http://example.org/3"},
        {"Second", "02 May 2006; 08:00:00", "20060502080000", "http://example.org/2"},
        {"First", "01 May 2006; 08:00:00", "20060501080000", "http://example.org/1"},
    };
    ASSERT_EQ(list.count(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list.row(i).text, expected[i].text);
        EXPECT_EQ(list.row(i).subItem1, expected[i].subItem1);
        EXPECT_EQ(list.row(i).subItem2, expected[i].subItem2);
        EXPECT_EQ(list.row(i).tag, expected[i].tag);
        EXPECT_EQ(list.row(i).icon, QStringLiteral("unread"));
        EXPECT_TRUE(list.row(i).bold);
    }
    EXPECT_TRUE(list.isSorted());
    EXPECT_EQ(list.sortColumn(), 2);
    EXPECT_TRUE(list.isSortDescending());

    EXPECT_EQ(reader.LatestStamp(), QStringLiteral("20060503080000"));
    EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kNew, kTabs}));
    EXPECT_EQ(reader.FeedData(), QString::fromStdString(feed));
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), QByteArray::fromStdString(feed) + "\r\n");
    EXPECT_EQ(m_server.lastHeader("Cache-Control"), "no-cache");
    EXPECT_FALSE(reader.StillExecuting());
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedRefreshTest, RefreshWithoutChangeLeavesFileAndCaptionAlone)
{
    serve(Rss({kThird, kSecond, kFirst}));
    reader.LoadFeedData(true);
    const QByteArray stored = itemFile();
    const ino_t inode = InodeOf(itemPath());

    for (const bool loadList : {false, true}) {
        SCOPED_TRACE(loadList);
        caption.events.clear();
        reader.LoadFeedData(loadList);

        EXPECT_EQ(itemFile(), stored);
        EXPECT_EQ(InodeOf(itemPath()), inode) << "the file was rewritten";
        EXPECT_FALSE(reader.HasNewItems());
        EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kCaption, kTabs}));
        EXPECT_EQ(list.count(), 3);
    }
    // The list loaded from the file separates date and time with " ; ".
    EXPECT_EQ(list.row(0).subItem1, QStringLiteral("03 May 2006 ; 08:00:00"));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedRefreshTest, OnlyItemsNewerThanTheNewestStoredAreAdded)
{
    serve(Rss({kThird, kSecond, kFirst}));
    reader.LoadFeedData(true);

    // One newer item at the top, and one older item that the feed published late.
    serve(Rss({kFourth, kThird, kSecond, kFirst, kLate}));
    reader.LoadFeedData(false);

    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.row(0).text, QStringLiteral("Fourth"));
    EXPECT_TRUE(list.row(0).bold);
    EXPECT_EQ(list.row(0).icon, QStringLiteral("unread"));
    EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kNew, kTabs}));
    EXPECT_EQ(StoredTitles(itemPath()), (QStringList{"First", "Second", "Third & last", "Fourth"}));
    EXPECT_EQ(reader.LatestStamp(), QStringLiteral("20060504080000"));

    reader.LoadFeedData(true);
    EXPECT_EQ(StoredTitles(itemPath()), (QStringList{"First", "Second", "Third & last", "Fourth"}));
    EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kCaption, kTabs}));
}

TEST_F(FeedRefreshTest, UndatedItemsAreStoredOnceAndShownWithoutDate)
{
    serve(Rss({RssItem(1, "Undated one", ""), RssItem(2, "Undated two", "")}));

    reader.LoadFeedData(true);

    const QByteArray stored = itemFile();
    EXPECT_EQ(stored, kDeclaration + "<data><items>"
                          "<item id=\"ddd3d50a65d39aa580feded3b0e7de3b\" status=\"0\"><title>Undated two</title>"
                          "<link>http://example.org/2</link><date>--T</date><desc>text 2</desc><media/></item>"
                          "<item id=\"cf7ad3b106cd1e357a46e976a1fb7987\" status=\"0\"><title>Undated one</title>"
                          "<link>http://example.org/1</link><date>--T</date><desc>text 1</desc><media/></item>"
                          "</items><latest/></data>");
    ASSERT_EQ(list.count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(list.row(i).subItem1, QStringLiteral("No Date Info Provided"));
        EXPECT_EQ(list.row(i).subItem2, QStringLiteral("0"));
    }
    const ino_t inode = InodeOf(itemPath());

    caption.events.clear();
    reader.LoadFeedData(false);

    EXPECT_EQ(itemFile(), stored);
    EXPECT_EQ(InodeOf(itemPath()), inode);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(caption.events.mid(caption.events.size() - 2), (QStringList{kCaption, kTabs}));
}

TEST_F(FeedRefreshTest, MergedRowsShowDateAndTimeOnlyWhenBothAreUsable)
{
    struct Case {
        const char *what;
        FeedItem item;
        QString shown;
        QString sortKey;
    };
    FeedItem noYear = Dated("no year", "http://example.org/a", "01", "12:34:56");
    noYear.Year.clear();
    FeedItem noMonthName = Dated("no month name", "http://example.org/b", "01", "12:00:00");
    noMonthName.Month = QStringLiteral("Foo");
    const Case cases[] = {
        {"complete", Dated("complete", "http://example.org/c", "01", "12:34:56"),
         "01 May 2006; 12:34:56", "20060501123456"},
        {"one-digit day", Dated("one-digit day", "http://example.org/d", "5", "08:00:00"),
         "5 May 2006; 08:00:00", "2006055080000"},
        {"no seconds", Dated("no seconds", "http://example.org/e", "01", "12:34"), "01 May 2006; 12:34:00",
         "200605011234"},
        {"no month name", noMonthName, "01 Foo 2006; 12:00:00", "200601120000"},
        {"no year", noYear, "No Date Info Provided", "0"},
        {"blank time", Dated("blank time", "http://example.org/f", "01", " "), "No Date Info Provided", "0"},
        {"no time of day", Dated("no time of day", "http://example.org/g", "01", "99:99:99"),
         "No Date Info Provided", "0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        test::MemoryReportList rows;
        FeedReader fresh(t.ctx, rows, caption, QLocale::c());
        fresh.setFeedID(kOtherId);
        fresh.setItems({c.item});

        fresh.MergeNewItems();

        ASSERT_EQ(rows.count(), 1);
        EXPECT_EQ(rows.row(0).text, c.item.Title);
        EXPECT_EQ(rows.row(0).subItem1, c.shown);
        EXPECT_EQ(rows.row(0).subItem2, c.sortKey);
        EXPECT_EQ(rows.row(0).tag, c.item.Link);
        EXPECT_TRUE(fresh.HasNewItems());
    }
}

// The merge reads and writes the file once; what it leaves must be what appending the items one
// by one and then saving the stamp leaves, whatever the file held before.
TEST_F(FeedRefreshTest, OneSaveLeavesTheBytesOfTheItemByItemPath)
{
    FeedItem spaces = Dated("  \n\t ", "http://example.org/s", "03", "10:00:00");
    spaces.Description = QStringLiteral("line one\r\nline two\rend\n");
    spaces.Media = QStringLiteral(" ");
    FeedItem markup = Dated(QString::fromUtf8("Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC <&> ]]>"),
                            QString::fromUtf8("http://example.org/\xC3\xA9?a=1&b=2"), "02", "09:00:00");
    markup.Description = QStringLiteral("<![CDATA[x]]> &amp; \"quoted\" 'single'");
    FeedItem undated = Dated("no date", "http://example.org/u", "", "");
    undated.Month.clear();
    undated.Year.clear();
    FeedItem oldest = Dated("oldest", "", "01", "08:00:00");
    oldest.Description = QStringLiteral("\n");
    const QList<FeedItem> items{spaces, markup, undated, oldest};

    const QByteArray stored = "<item id=\"id of http://example.org/kept\" status=\"1\"><title>kept</title>"
                              "<link>http://example.org/kept</link><date>2006-Apr-30T00:00:00</date>"
                              "<desc/><media/></item>";
    struct Case {
        const char *what;
        std::optional<QByteArray> content;
    };
    const Case cases[] = {
        {"no file", std::nullopt},
        {"saved file with latest",
         kDeclaration + "<data><items>" + stored + "</items><latest>20060430000000</latest></data>"},
        {"saved file without latest", kDeclaration + "<data><items>" + stored + "</items></data>"},
        {"hand-written file",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<data>\r\n  <items>\r\n    " + stored
             + "\r\n  </items>\r\n  <latest>20060430000000</latest>\r\n</data>\r\n"},
        {"data without items", "<data><latest>20060430000000</latest></data>"},
        {"not XML", "<data><items>"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString &id : {kFeedId, kOtherId}) {
            QFile::remove(itemPath(id));
            if (c.content)
                t.writeFile(QStringLiteral("Data/") + id + QStringLiteral(".fdb"), *c.content);
        }
        test::MemoryReportList onceRows;
        test::MemoryReportList stepRows;
        FeedReader once(t.ctx, onceRows, caption, QLocale::c());
        FeedReader stepwise(t.ctx, stepRows, caption, QLocale::c());
        once.setFeedID(kFeedId);
        stepwise.setFeedID(kOtherId);
        once.LoadItemList();
        stepwise.LoadItemList();

        once.setItems(items);
        once.MergeNewItems();

        bool added = false;
        for (qsizetype i = items.size() - 1; i >= 0; --i) {
            if (!stepwise.IsNewerItem(ItemStamp::StampOf(items[i], QLocale::c())))
                continue;
            stepwise.AddItemToFile(items[i]);
            added = true;
        }
        if (added)
            stepwise.SaveLatest();

        EXPECT_EQ(once.LatestStamp(), stepwise.LatestStamp());
        EXPECT_EQ(QFile::exists(itemPath(kFeedId)), QFile::exists(itemPath(kOtherId)));
        if (QFile::exists(itemPath(kFeedId))) {
            EXPECT_EQ(itemFile(kFeedId), itemFile(kOtherId));
        }
        EXPECT_TRUE(once.HasNewItems());
    }
}

TEST_F(FeedRefreshTest, TenThousandItemsAreMergedInOnePass)
{
    constexpr int kCount = 10000;
    QList<FeedItem> items;
    items.reserve(kCount);
    // Newest first, one second apart.
    for (int second = kCount - 1; second >= 0; --second) {
        const QString time = QTime(0, 0).addSecs(second).toString(QStringLiteral("HH:mm:ss"));
        items.append(Dated(QStringLiteral("at %1").arg(second), QStringLiteral("http://example.org/%1").arg(second),
                           QStringLiteral("01"), time));
    }
    reader.setItems(items);

    reader.MergeNewItems();

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
    reader.MergeNewItems();
    EXPECT_FALSE(reader.HasNewItems());
    EXPECT_EQ(itemFile(), bytes);
}

TEST_F(FeedRefreshTest, IdentifierNotOfTheFeedFormWritesNothing)
{
    reader.setFeedID(QStringLiteral("../escape"));
    serve(Rss({kThird, kSecond, kFirst}));

    reader.LoadFeedData(true);

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
        {"load and refresh", true, true, 0,
         {loading, kTabs, checking, kTabs, parsing, kTabs, updating, kTabs, kNew, kTabs}},
        {"refresh only", false, true, 2, {checking, kTabs, parsing, kTabs, updating, kTabs, kNew, kTabs}},
        {"load only", true, false, 0, {loading, kTabs, kCaption, kTabs}},
        {"neither", false, false, 0, {kCaption, kTabs}},
        {"unknown feed type", false, true, 7, {checking, kTabs, parsing, kTabs, updating, kTabs, kCaption, kTabs}},
    };
    serve(Rss({kThird, kSecond, kFirst}));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(itemPath());
        RecordingCaption events;
        test::MemoryReportList rows;
        FeedReader fresh(t.ctx, rows, events, QLocale::c());
        setUp(fresh, kFeedId);
        fresh.setCheckForNewItems(c.check);
        fresh.setFeedType(c.type);

        fresh.LoadFeedData(c.loadList);

        EXPECT_EQ(events.events, c.events);
        EXPECT_EQ(QFile::exists(itemPath()), c.events.contains(kNew));
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedRefreshTest, OfflineMachineAsksUntilCancelledAndFetchesNothing)
{
    t.connection.connected = false;
    t.messages.answers = {MessageAnswer::Retry, MessageAnswer::Cancel};
    serve(Rss({kFirst}));

    reader.LoadFeedData(false);

    ASSERT_EQ(t.messages.shown.size(), 2);
    for (const auto &box : t.messages.shown) {
        EXPECT_EQ(box.icon, MessageIcon::Warning);
        EXPECT_EQ(box.buttons, MessageButtons::RetryCancel);
        EXPECT_EQ(box.title, QStringLiteral("Working Offline?"));
        EXPECT_EQ(box.text,
                  QStringLiteral("Cannot check Feed URL for new Items, Application failed to access Internet on "
                                 "this machine. Please make sure you're connected to Internet and Firewall "
                                 "application (if any) is configured properly to grant Internet access for "
                                 "Marlowin"));
    }
    EXPECT_EQ(m_server.requestCount(), 0);
    EXPECT_EQ(caption.events, (QStringList{kCaption, kTabs}));
    EXPECT_FALSE(QFile::exists(itemPath()));
}

TEST_F(FeedRefreshTest, SilentServerTimesOutAndRetriesWithTheSameRequest)
{
    reader.setFeedURL(m_server.url(QStringLiteral("/silent")));
    reader.setFetchTimeout(300);
    reader.setFeedData(QStringLiteral("text of the previous fetch"));
    t.messages.answers = {MessageAnswer::Retry, MessageAnswer::Cancel};

    EXPECT_FALSE(reader.FetchFeedData());

    ASSERT_EQ(t.messages.shown.size(), 2);
    for (const auto &box : t.messages.shown) {
        EXPECT_EQ(box.icon, MessageIcon::Warning);
        EXPECT_EQ(box.buttons, MessageButtons::RetryCancel);
        EXPECT_EQ(box.title, QStringLiteral("Server Timeout!"));
        EXPECT_EQ(box.text,
                  QStringLiteral("Server did not respond in timely manner. Application failed to fetch Feed Data!"));
    }
    EXPECT_EQ(reader.FeedData(), QStringLiteral("text of the previous fetch"));
    EXPECT_FALSE(reader.StillExecuting());
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Debug.xml"))));
}

TEST_F(FeedRefreshTest, ParseFailuresAreReportedAndLeaveNoItems)
{
    const QString rss = QString::fromStdString(Rss({kSecond, kFirst}));
    const QString atom = QStringLiteral("<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry><title>A</title>"
                                        "<link href=\"http://example.org/a\"/>"
                                        "<published>2006-05-01T12:34:56Z</published></entry></feed>");
    const QString wrongType = QStringLiteral("Invalid Feed XML!");
    struct Case {
        const char *what;
        bool atom;
        QString xml;
        QString feedData;
        qint16 count;
        QString title; // empty: no box
        QString text;
    };
    const Case cases[] = {
        {"RSS", false, rss, {}, 2, {}, {}},
        {"blank argument takes FeedData", false, QStringLiteral("  "), rss, 2, {}, {}},
        {"Atom from FeedData", true, {}, atom, 1, {}, {}},
        {"nothing at all", false, {}, QStringLiteral(" \r\n"), -1, QStringLiteral("Invalid Server Response!"),
         QStringLiteral("Server returned empty data stream!")},
        {"nothing at all, Atom", true, {}, {}, -1, QStringLiteral("Invalid Server Response!"),
         QStringLiteral("Server returned empty data stream!")},
        {"not XML", false, QStringLiteral("<rss><channel>"), rss, -1, QStringLiteral("Invalid Data Format!"),
         QStringLiteral("Server returned Feed data in invalid XML format!")},
        {"Atom read as RSS", false, atom, {}, -1, wrongType,
         QStringLiteral("Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML is not "
                        "well-formed.")},
        {"RSS read as Atom", true, rss, {}, -1, wrongType,
         QStringLiteral("Server returned invalid Feed XML! Either Feed Type is not ATOM or Feed XML is not "
                        "well-formed.")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        t.messages.shown.clear();
        reader.setItems({FeedItem{}});
        reader.setFeedData(c.feedData);

        EXPECT_EQ(c.atom ? reader.ParseAtom(c.xml) : reader.ParseRss(c.xml, false), c.count);

        EXPECT_EQ(reader.Items().size(), std::max<qsizetype>(c.count, 0));
        if (c.title.isEmpty()) {
            EXPECT_TRUE(t.messages.shown.isEmpty());
        } else {
            ASSERT_EQ(t.messages.shown.size(), 1);
            EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Warning);
            EXPECT_EQ(t.messages.shown[0].title, c.title);
            EXPECT_EQ(t.messages.shown[0].text, c.text);
        }
    }
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
        EXPECT_EQ(TimeFormatWithoutZone(format), expected) << format.toStdString();
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
        const std::optional<QString> shown = FormatItemTime(c.time, c.locale);
        ASSERT_EQ(shown.has_value(), c.shown.has_value());
        if (shown) {
            // Qt may use a narrow no-break space before AM/PM.
            EXPECT_EQ(QString(*shown).replace(QChar(0x202F), u' '), *c.shown);
        }
        EXPECT_FALSE(shown.value_or(QString()).contains(QStringLiteral("UTC")));
    }
}

} // namespace
