#include "scheduler/NewItemsAnnouncement.h"
#include "scheduler/mScheduler.h"

#include "reading/FeedRefresh.h"
#include "reading/ItemFile.h"
#include "reading/ItemStamp.h"
#include "settings/mINI.h"
#include "settings/mSettings.h"

#include "support/LocalHttpServer.h"
#include "support/MemoryReportList.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <httplib.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
// The fake clock's 2026-03-14 09:26:53 in the general date format of kEnglish.
const QString kNow = QStringLiteral("3/14/26 9:26:53 AM");

const QString kNewsId = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
const QString kQuietId = QStringLiteral("11111111-2222-3333-4444-555555555555");
const QString kBrokenId = QStringLiteral("22222222-3333-4444-5555-666666666666");
const QString kSlowId = QStringLiteral("33333333-4444-5555-6666-777777777777");

// Generous, so that a loaded machine still passes; a healthy run never comes near it.
constexpr int kArrivesMs = 20000;
constexpr int kShortTimeoutMs = 300;

std::string RssItem(int n, const std::string &title, const std::string &pubDate)
{
    std::string item = "<item><title>" + title + "</title><link>http://example.org/" + std::to_string(n)
                       + "</link>";
    if (!pubDate.empty())
        item += "<pubDate>" + pubDate + "</pubDate>";
    return item + "<description>text " + std::to_string(n) + "</description></item>";
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
const std::string kThird = RssItem(3, "Third", "Wed, 03 May 2006 08:00:00 GMT");
const std::string kFourth = RssItem(4, "Fourth", "Thu, 04 May 2006 08:00:00 GMT");
const std::string kUndated = RssItem(9, "Undated", "");
const std::string kNewestFirst = Rss({kFourth, kThird, kSecond, kFirst});

// An item file holding First, with the stamp given as latest (none when empty).
QByteArray StoredFile(const QByteArray &latest)
{
    QByteArray file = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><data><items>"
                      "<item id=\"cf7ad3b106cd1e357a46e976a1fb7987\" status=\"1\"><title>First</title>"
                      "<link>http://example.org/1</link><date>2006-May-01T08:00:00</date>"
                      "<desc>text 1</desc><media/></item></items>";
    if (!latest.isEmpty())
        file += "<latest>" + latest + "</latest>";
    return file + "</data>";
}

class RecordingAnnouncement final : public NewItemsAnnouncement {
public:
    struct Popup {
        PopupProperties properties;
        QStringList rows;
    };
    void announce(const PopupProperties &properties, const QStringList &rows) override
    {
        popups.append({properties, rows});
    }
    QList<Popup> popups;
};

class ScheduledCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
        m_server.routes().Get(R"(/feed/(\w+))", [this](const httplib::Request &req, httplib::Response &res) {
            const std::lock_guard lock(m_mutex);
            res.set_content(m_bodies[req.matches[1]], "application/xml");
        });
        m_server.routes().Get("/silent", [this](const httplib::Request &, httplib::Response &res) {
            m_server.holdRequest();
            res.set_content(Rss({kFirst}), "application/rss+xml");
        });
        ASSERT_TRUE(m_server.start());
        mScheduler::CheckRunning = false;
    }

    void serve(const std::string &name, const std::string &body)
    {
        const std::lock_guard lock(m_mutex);
        m_bodies[name] = body;
    }

    [[nodiscard]] FeedRecord feed(const QString &name, const QString &id, qint16 type = 0,
                                  const QString &route = {}) const
    {
        FeedRecord record;
        record.Name = name;
        record.ID = id;
        record.FeedType = type;
        record.URL = m_server.url(route.isEmpty() ? QStringLiteral("/feed/") + name : route);
        return record;
    }

    // The schdl section as the scheduler dialog saves it.
    void schedule(const QList<FeedRecord> &feeds, int showPopup = 1, int playSound = 0,
                  const QString &soundFile = {})
    {
        mINI::InitIni(mSettings::ConfigPath(t.ctx), 5000);
        const QString section = QStringLiteral("schdl");
        mINI::WriteIniValue(section, QStringLiteral("ena"), QStringLiteral("1"));
        mINI::WriteIniValue(section, QStringLiteral("frq"), QStringLiteral("0"));
        mINI::WriteIniValue(section, QStringLiteral("alr"), QString::number(showPopup));
        mINI::WriteIniValue(section, QStringLiteral("snd"), QString::number(playSound));
        if (!soundFile.isEmpty())
            mINI::WriteIniValue(section, QStringLiteral("sfl"), soundFile);
        for (int i = 0; i < feeds.size(); ++i) {
            const FeedRecord &f = feeds.at(i);
            mINI::WriteIniValue(section, QStringLiteral("s_") + QString::number(i + 1),
                                QString::number(f.FeedType) + QChar(5) + f.ID + QChar(5) + f.URL
                                    + QChar(5) + f.Name);
        }
    }

    void run(int timeoutMs = kArrivesMs)
    {
        mScheduler::CheckOptions options;
        options.fetchTimeoutMs = timeoutMs;
        options.locale = kEnglish;
        options.logObserver = [this](const QString &written) {
            observed << written;
            if (clearRunningAt == written)
                mScheduler::CheckRunning = false;
        };
        mScheduler::RunScheduledCheck(t.ctx, announcement, options);
    }

    [[nodiscard]] QString log() const
    {
        return QString::fromLatin1(t.readFile(QStringLiteral("schedule.log")));
    }

    // The lines of the log between the run's header and its footer.
    [[nodiscard]] QStringList feedLines() const
    {
        QStringList lines = log().split(QStringLiteral("\r\n"));
        EXPECT_GE(lines.size(), 7);
        return lines.mid(4, lines.size() - 7);
    }

    [[nodiscard]] QString itemName(const QString &id) const
    {
        return QStringLiteral("Data/") + id + QStringLiteral(".fdb");
    }
    [[nodiscard]] bool itemFileExists(const QString &id) const
    {
        return QFile::exists(t.path(itemName(id)));
    }

    test::TestContext t;
    RecordingAnnouncement announcement;
    QStringList observed;
    QString clearRunningAt;
    std::mutex m_mutex;
    std::map<std::string, std::string> m_bodies;
    test::LocalHttpServer m_server{&t.network};
};

TEST_F(ScheduledCheckTest, EmptyScheduleLogsThatNoFeedIsConfiguredAndAnnouncesNothing)
{
    const QString expected = QString(70, u'=') + "\r\nScheduled Check Started (" + kNow
                             + ")\r\n\r\n\r\n"
                               "No Feed Sources found Configured for Schduled check!\r\n"
                               "Scheduled Check Finished (" + kNow + ")\r\n\r\n";
    for (const bool withSection : {false, true}) {
        SCOPED_TRACE(withSection);
        QFile::remove(t.path(QStringLiteral("schedule.log")));
        if (withSection)
            schedule({});
        run();
        EXPECT_EQ(log(), expected);
        EXPECT_TRUE(announcement.popups.isEmpty());
        EXPECT_FALSE(mScheduler::CheckRunning);
    }
}

struct FeedCase {
    const char *what;
    std::string body;
    QByteArray stored;      // the item file before the check; none when empty
    qint16 type;
    bool connected;
    QStringList lines;      // what the log says about the feed, separator excluded
    QStringList rows;       // the announcement's rows
    QStringList titles;     // the item file's titles afterwards; none: file unchanged or absent
    QString latest;         // its latest afterwards, with titles
};

TEST_F(ScheduledCheckTest, EachFeedIsFetchedParsedMergedAndLogged)
{
    const QString sending = QStringLiteral("    Sending Request to Source Server ...");
    const QString sent = QStringLiteral("    Request Sent, Waiting for Server Response ...");
    const QString parsing = QStringLiteral("    Parsing Feed content ...");
    const QString done = QStringLiteral("    Done!");
    const QString checking = QStringLiteral("Checking News");
    const QStringList fetched{checking, sending, sent, parsing};
    const QStringList all{"First", "Second", "Third", "Fourth"};

    const FeedCase cases[] = {
        {"no item file: every item is added and latest is gained", kNewestFirst, {}, 0, true,
         fetched + QStringList{"    4 New Items found!", done}, {"News -- 4 New Items"}, all,
         "20060504080000"},
        {"three items newer than latest", kNewestFirst, StoredFile("20060501080000"), 0, true,
         fetched + QStringList{"    3 New Items found!", done}, {"News -- 3 New Items"}, all,
         "20060504080000"},
        {"a file without latest takes every dated item again", kNewestFirst, StoredFile({}), 2,
         true, fetched + QStringList{"    4 New Items found!", done}, {"News -- 4 New Items"},
         {"First", "First", "Second", "Third", "Fourth"}, "20060504080000"},
        {"nothing newer leaves the file as it was", kNewestFirst, StoredFile("20060504080000"), 0,
         true, fetched + QStringList{"    No New Items found!", done}, {}, {}, {}},
        {"an undated item already stored is passed over",
         Rss({RssItem(1, "First", "")}), StoredFile("20060504080000"), 0, true,
         fetched + QStringList{"    No New Items found!", done}, {}, {}, {}},
        {"an undated new item is added and blanks latest", Rss({kUndated}),
         StoredFile("20060504080000"), 0, true,
         fetched + QStringList{"    1 New Items found!", done}, {"News -- 1 New Items"},
         {"First", "Undated"}, ""},
        {"a page that is not XML (RSS)", "<html><body>Oops", {}, 0, true,
         fetched + QStringList{"-->Error: Server returned Feed data in invalid XML format!", done},
         {}, {}, {}},
        {"a page that is not XML (Atom)", "<html><body>Oops", {}, 1, true,
         fetched + QStringList{"--> Error: Server returned Feed data in invalid XML format!", done},
         {}, {}, {}},
        {"an empty answer", "", {}, 0, true,
         fetched + QStringList{"--> Error: Server returned empty data stream!", done}, {}, {}, {}},
        {"RSS where Atom is expected", kNewestFirst, {}, 1, true,
         fetched + QStringList{"--> Error: Server returned invalid Feed XML! Either Feed Type is "
                               "not ATOM or Feed XML is not well-formed.",
                               done},
         {}, {}, {}},
        {"a feed without items", Rss({}), {}, 0, true, fetched + QStringList{done}, {}, {}, {}},
        {"a type that is not read", kNewestFirst, {}, 7, true, fetched + QStringList{done}, {}, {},
         {}},
        {"offline", kNewestFirst, {}, 0, false,
         {checking, "--> Error: Application failed to access Internet. Either machine is not "
                    "connected to Internet or Firewall blocked application."},
         {}, {}, {}},
    };
    for (const FeedCase &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(t.path(QStringLiteral("schedule.log")));
        QFile::remove(t.path(itemName(kNewsId)));
        announcement.popups.clear();
        if (!c.stored.isEmpty())
            t.writeFile(itemName(kNewsId), c.stored);
        serve("News", c.body);
        t.connection.connected = c.connected;
        schedule({feed(QStringLiteral("News"), kNewsId, c.type)});

        run();

        EXPECT_EQ(feedLines(), (c.lines + QStringList{"", ""}));
        if (c.rows.isEmpty()) {
            EXPECT_TRUE(announcement.popups.isEmpty());
        } else {
            ASSERT_EQ(announcement.popups.size(), 1);
            EXPECT_EQ(announcement.popups[0].rows, c.rows);
        }
        if (c.titles.isEmpty()) {
            if (c.stored.isEmpty())
                EXPECT_FALSE(itemFileExists(kNewsId));
            else
                EXPECT_EQ(t.readFile(itemName(kNewsId)), c.stored);
            continue;
        }
        ItemFile file(t.path(itemName(kNewsId)));
        ASSERT_EQ(file.load(), ItemFile::State::Loaded);
        QStringList titles;
        for (const platform::XmlNode &item : file.items().children())
            titles << item.child(0).text();
        EXPECT_EQ(titles, c.titles);
        ASSERT_TRUE(file.latestNode());
        EXPECT_EQ(file.latestNode().text(), c.latest);
    }
}

TEST_F(ScheduledCheckTest, OneSaveLeavesTheBytesOfAppendingItemByItem)
{
    const QByteArray stored = StoredFile("20060501080000");
    t.writeFile(itemName(kNewsId), stored);
    serve("News", Rss({kFourth, kUndated, kThird, kSecond, kFirst}));
    schedule({feed(QStringLiteral("News"), kNewsId)});
    run();
    const QByteArray merged = t.readFile(itemName(kNewsId));

    // The same items through the feed window's one-item-per-save path, in a second folder.
    test::TestContext other;
    ASSERT_TRUE(QDir(other.dir.path()).mkdir(QStringLiteral("Data")));
    other.writeFile(itemName(kNewsId), stored);
    test::MemoryReportList list;
    class : public CaptionSink {
        void setCaption(const QString &) override {}
        void repaintTabs() override {}
    } caption;
    FeedReader reader(other.ctx, list, caption, kEnglish);
    reader.setFeedID(kNewsId);
    reader.LoadItemList();
    mScheduler::SourceCheck check;
    check.SourceResponse = QString::fromStdString(Rss({kFourth, kUndated, kThird, kSecond, kFirst}));
    const mScheduler::ScheduleLog quiet(other.ctx, kEnglish);
    ASSERT_EQ(mScheduler::ParseSourceRss(quiet, check, false), 5);
    for (qsizetype i = check.SourceItems.size() - 1; i >= 0; --i) {
        if (reader.IsNewerItem(ItemStamp::StampOf(check.SourceItems[i], kEnglish)))
            reader.AddItemToFile(check.SourceItems[i]);
    }
    reader.SaveLatest();

    EXPECT_EQ(merged, other.readFile(itemName(kNewsId)));
    EXPECT_NE(merged, stored);
}

struct PopupCase {
    const char *what;
    int showPopup;
    int playSound;
    bool announced;
    bool plays;
    QString soundFile;
};

TEST_F(ScheduledCheckTest, PopupFollowsTheSchedulerSettings)
{
    const QString sound = t.path(QStringLiteral("chime.wav"));
    const PopupCase cases[] = {
        {"popup without sound", 1, 0, true, false, {}},
        {"popup with the sound file", 1, 1, true, true, sound},
        {"no popup", 0, 1, false, false, {}},
    };
    for (const PopupCase &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(t.path(itemName(kNewsId)));
        announcement.popups.clear();
        serve("News", kNewestFirst);
        schedule({feed(QStringLiteral("News"), kNewsId)}, c.showPopup, c.playSound, sound);

        run();

        EXPECT_TRUE(itemFileExists(kNewsId)) << "the items are stored either way";
        ASSERT_EQ(announcement.popups.size(), c.announced ? 1 : 0);
        if (!c.announced)
            continue;
        const PopupProperties &p = announcement.popups[0].properties;
        EXPECT_FALSE(p.AutoClose);
        EXPECT_FALSE(p.CanGainFocus);
        EXPECT_TRUE(p.MakeTransparent);
        EXPECT_EQ(p.TransparencyPercentage, 10);
        EXPECT_EQ(p.PlaySound, c.plays);
        EXPECT_EQ(p.SoundFilePath, c.soundFile);
        EXPECT_EQ(announcement.popups[0].rows, QStringList{"News -- 4 New Items"});
    }
}

TEST_F(ScheduledCheckTest, ClearingCheckRunningEndsTheRunAfterTheCurrentFeed)
{
    serve("News", kNewestFirst);
    serve("Quiet", Rss({kSecond, kFirst}));
    schedule({feed(QStringLiteral("News"), kNewsId), feed(QStringLiteral("Quiet"), kQuietId)});
    // As the main window's unload would, while the first feed is being fetched.
    clearRunningAt = QStringLiteral("    Request Sent, Waiting for Server Response ...");

    run();

    EXPECT_FALSE(log().contains(QStringLiteral("Checking Quiet")));
    EXPECT_TRUE(log().endsWith(QStringLiteral("    Done!\r\n\r\n\r\nScheduled Check Finished (")
                               + kNow + QStringLiteral(")\r\n\r\n")))
        << log().toStdString();
    EXPECT_FALSE(itemFileExists(kQuietId));
    ASSERT_EQ(announcement.popups.size(), 1);
    EXPECT_EQ(announcement.popups[0].rows, QStringList{"News -- 4 New Items"});
    EXPECT_FALSE(mScheduler::CheckRunning);
}

TEST_F(ScheduledCheckTest, AnEntryWithoutAFeedIdentifierTouchesNoFileAndTheRunGoesOn)
{
    serve("News", kNewestFirst);
    schedule({feed(QStringLiteral("Evil"), QStringLiteral("../../outside"), 0,
                   QStringLiteral("/feed/News")),
              feed(QStringLiteral("News"), kNewsId)});

    run();

    const QStringList lines = feedLines();
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.mid(0, 4),
              (QStringList{"Checking Evil",
                           "--> Error: The Feed has no valid identifier in the schedule. "
                           "Application did not check it!",
                           "", ""}));
    EXPECT_EQ(m_server.requestCount(), 1);
    ASSERT_EQ(announcement.popups.size(), 1);
    EXPECT_EQ(announcement.popups[0].rows, QStringList{"News -- 4 New Items"});
}

TEST_F(ScheduledCheckTest, WholeLogOfARunWithFourFeeds)
{
    serve("News", kNewestFirst);
    serve("Quiet", Rss({kSecond, kFirst}));
    serve("Broken", "<html><body>Service unavailable");
    t.writeFile(itemName(kNewsId), StoredFile("20060501080000"));
    t.writeFile(itemName(kQuietId), StoredFile("20060502080000"));
    schedule({feed(QStringLiteral("News"), kNewsId), feed(QStringLiteral("Quiet"), kQuietId),
              feed(QStringLiteral("Broken"), kBrokenId),
              feed(QStringLiteral("Slow"), kSlowId, 1, QStringLiteral("/silent"))});

    run(kShortTimeoutMs);

    const QStringList expected{
        QString(70, u'='),
        "Scheduled Check Started (" + kNow + ")",
        "",
        "",
        "Checking News",
        "    Sending Request to Source Server ...",
        "    Request Sent, Waiting for Server Response ...",
        "    Parsing Feed content ...",
        "    3 New Items found!",
        "    Done!",
        "",
        "",
        "Checking Quiet",
        "    Sending Request to Source Server ...",
        "    Request Sent, Waiting for Server Response ...",
        "    Parsing Feed content ...",
        "    No New Items found!",
        "    Done!",
        "",
        "",
        "Checking Broken",
        "    Sending Request to Source Server ...",
        "    Request Sent, Waiting for Server Response ...",
        "    Parsing Feed content ...",
        "-->Error: Server returned Feed data in invalid XML format!",
        "    Done!",
        "",
        "",
        "Checking Slow",
        "    Sending Request to Source Server ...",
        "    Request Sent, Waiting for Server Response ...",
        "--> Error: Server did not respond in timely manner. Application failed to fetch Feed Data!",
        "",
        "",
        "Scheduled Check Finished (" + kNow + ")",
        "",
        "",
    };
    const QStringList lines = log().split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < qMax(lines.size(), expected.size()); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines.value(i, QStringLiteral("<missing>")), expected.value(i, QStringLiteral("<missing>")));
    }
    // The observer saw the same text, write by write.
    EXPECT_EQ(observed.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), log());
    ASSERT_EQ(announcement.popups.size(), 1);
    EXPECT_EQ(announcement.popups[0].rows, QStringList{"News -- 3 New Items"});
    EXPECT_EQ(m_server.lastHeader("Cache-Control"), "no-cache");
}

} // namespace
