#include "scheduler/ScheduledCheck.h"
#include "scheduler/NewItemsAnnouncement.h"

#include "reading/FeedRefresh.h"
#include "reading/ItemFile.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include "support/FileSizeLimit.h"
#include "support/LocalHttpServer.h"
#include "support/MemoryReportList.h"
#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMap>
#include <QProcess>

#include <gtest/gtest.h>
#include <httplib.h>

#include <map>
#include <mutex>
#include <string>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
// The fake clock's 2026-03-14 09:26:53 in the general date format of kEnglish.
const QString kNow = QStringLiteral("3/14/26 9:26:53 AM");

const QString kNewsId = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
const QString kQuietId = QStringLiteral("11111111-2222-3333-4444-555555555555");
const QString kBrokenId = QStringLiteral("22222222-3333-4444-5555-666666666666");
const QString kSlowId = QStringLiteral("33333333-4444-5555-6666-777777777777");

const QString kSending = QStringLiteral("    Sending Request to Source Server ...");
const QString kSent = QStringLiteral("    Request Sent, Waiting for Server Response ...");
const QString kParsing = QStringLiteral("    Parsing Feed content ...");
const QString kDone = QStringLiteral("    Done!");

std::string rssItem(int n, const std::string &title, const std::string &pubDate)
{
    std::string item = "<item><title>" + title + "</title><link>http://example.org/"
        + std::to_string(n) + "</link>";
    if (!pubDate.empty())
        item += "<pubDate>" + pubDate + "</pubDate>";
    return item + "<description>text " + std::to_string(n) + "</description></item>";
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
const std::string kThird = rssItem(3, "Third", "Wed, 03 May 2006 08:00:00 GMT");
const std::string kFourth = rssItem(4, "Fourth", "Thu, 04 May 2006 08:00:00 GMT");
const std::string kUndated = rssItem(9, "Undated", "");
const std::string kNewestFirst = rss({kFourth, kThird, kSecond, kFirst});

const std::string kAtom = R"(<?xml version="1.0" encoding="utf-8"?>
<feed xmlns="http://www.w3.org/2005/Atom"><title>A</title>
<entry><title>Two</title><id>tag:a,2006:2</id><link href="http://example.org/a2"/><published>2006-05-02T08:00:00Z</published></entry>
<entry><title>One</title><id>tag:a,2006:1</id><link href="http://example.org/a1"/><published>2006-05-01T08:00:00Z</published></entry>
</feed>)";

// An item file of an earlier version holding First, read, with the stamp given as latest (none
// when empty).
QByteArray storedFile(const QByteArray &latest)
{
    QByteArray file
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><data><items>"
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
        auto &routes = m_server.routes();
        routes.Get(R"(/feed/(\w+))", [this](const httplib::Request &req, httplib::Response &res) {
            const std::lock_guard lock(m_mutex);
            res.set_content(m_bodies[req.matches[1]], "application/xml");
        });
        routes.Get(R"(/silent/(\w+))", [this](const httplib::Request &, httplib::Response &res) {
            m_server.holdRequest();
            res.set_content(rss({kFirst}), "application/rss+xml");
        });
        routes.Get("/missing", [](const httplib::Request &, httplib::Response &res) {
            res.status = 404;
            res.set_content("<html><body>Not Found</body></html>", "text/html");
        });
        routes.Get("/failing", [](const httplib::Request &, httplib::Response &res) {
            res.status = 500;
            res.set_content(rss({kFirst}), "application/rss+xml");
        });
        ASSERT_TRUE(m_server.start());
    }

    void serve(const std::string &name, const std::string &body)
    {
        const std::lock_guard lock(m_mutex);
        m_bodies[name] = body;
    }

    [[nodiscard]] FeedRecord feed(const QString &name, const QString &id, int type = 0,
                                  const QString &route = {}) const
    {
        FeedRecord record;
        record.name = name;
        record.id = id;
        record.feedType = feedTypeFromNumber(type);
        record.url = m_server.url(route.isEmpty() ? QStringLiteral("/feed/") + name : route);
        return record;
    }

    // Feed n of a longer schedule, under an identifier of its own.
    [[nodiscard]] FeedRecord numbered(int n, const QString &route) const
    {
        return feed(
            QStringLiteral("Feed %1").arg(n),
            QStringLiteral("%1-AAAA-BBBB-CCCC-DDDDEEEEFFFF").arg(n, 8, 10, QLatin1Char('0')), 0,
            route);
    }

    [[nodiscard]] IniFile configFile() const { return IniFile(Settings::configPath(t.ctx), 5000); }

    // The schdl section as the scheduler dialog saves it.
    void schedule(const QList<FeedRecord> &feeds, int showPopup = 1, int playSound = 0,
                  const QString &soundFile = {})
    {
        const IniFile config = configFile();
        const QString section = QStringLiteral("schdl");
        config.removeSection(section);
        config.write(section, QStringLiteral("ena"), QStringLiteral("1"));
        config.write(section, QStringLiteral("frq"), QStringLiteral("0"));
        config.write(section, QStringLiteral("alr"), QString::number(showPopup));
        config.write(section, QStringLiteral("snd"), QString::number(playSound));
        if (!soundFile.isEmpty())
            config.write(section, QStringLiteral("sfl"), soundFile);
        for (int i = 0; i < feeds.size(); ++i)
            config.write(section, QStringLiteral("s_") + QString::number(i + 1),
                         entry(feeds.at(i)));
    }
    [[nodiscard]] static QString entry(const FeedRecord &f)
    {
        return QString::number(storedNumber(f.feedType)) + QChar(5) + f.id + QChar(5) + f.url
            + QChar(5) + f.name;
    }

    [[nodiscard]] CheckOptions options(int inFlight = kMaxFetchesInFlight)
    {
        CheckOptions options;
        options.maxFetchesInFlight = inFlight;
        options.locale = kEnglish;
        options.logObserver = [this](const QString &written) { observed << written; };
        return options;
    }

    // A whole check, while requests held by the server wait; whenHeld runs once they all wait
    // (a test moves the clock past their limit there, or lets them go).
    void run(int held = 0, const std::function<void()> &whenHeld = {},
             int inFlight = kMaxFetchesInFlight)
    {
        ScheduledCheck check(t.ctx, announcement, Settings::loadScheduler(t.ctx),
                             options(inFlight));
        bool finished = false;
        QObject::connect(&check, &ScheduledCheck::finished, [&] { finished = true; });
        check.start();
        if (held > 0) {
            ASSERT_TRUE(test::waitUntil([&] { return m_server.heldRequests() >= held; }, 20000));
            if (whenHeld)
                whenHeld();
        }
        ASSERT_TRUE(test::waitUntil([&] { return finished; }, 20000));
        EXPECT_FALSE(check.isRunning());
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

    [[nodiscard]] static QString itemName(const QString &id)
    {
        return QStringLiteral("Data/") + id + QStringLiteral(".fdb");
    }
    [[nodiscard]] bool itemFileExists(const QString &id) const
    {
        return QFile::exists(t.path(itemName(id)));
    }
    [[nodiscard]] QStringList storedTitles(const QString &id) const
    {
        ItemFile file(t.path(itemName(id)));
        EXPECT_EQ(file.load(), ItemFile::State::Loaded);
        QStringList titles;
        for (const platform::XmlNode &item : file.items().children())
            titles << item.child(0).text();
        return titles;
    }

    // Name and bytes of every item file.
    [[nodiscard]] QMap<QString, QByteArray> itemFiles() const
    {
        QMap<QString, QByteArray> files;
        const QDir data(t.path(QStringLiteral("Data")));
        for (const QString &name : data.entryList(QDir::Files))
            files.insert(name, t.readFile(QStringLiteral("Data/") + name));
        return files;
    }

    void forget()
    {
        QDir(t.path(QStringLiteral("Data"))).removeRecursively();
        ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
        QFile::remove(t.path(QStringLiteral("schedule.log")));
        announcement.popups.clear();
        observed.clear();
    }

    test::TestContext t;
    RecordingAnnouncement announcement;
    QStringList observed;
    std::mutex m_mutex;
    std::map<std::string, std::string> m_bodies;
    test::LocalHttpServer m_server{&t.network};
};

TEST_F(ScheduledCheckTest, EmptyScheduleLogsThatNoFeedIsConfiguredAndAnnouncesNothing)
{
    const QString expected = QString(70, u'=') + "\r\nScheduled Check Started (" + kNow
        + ")\r\n\r\n\r\n"
          "No Feed Sources found Configured for Schduled check!\r\n"
          "Scheduled Check Finished ("
        + kNow + ")\r\n\r\n";
    for (const bool withSection : {false, true}) {
        SCOPED_TRACE(withSection);
        QFile::remove(t.path(QStringLiteral("schedule.log")));
        if (withSection)
            schedule({});
        run();
        EXPECT_EQ(log(), expected);
        EXPECT_TRUE(announcement.popups.isEmpty());
    }
}

struct FeedCase {
    const char *what;
    std::string body;
    QByteArray stored; // the item file before the check; none when empty
    qint16 type;
    bool connected;
    QString route;      // default: the body above
    QStringList lines;  // what the log says about the feed, separator excluded
    QStringList rows;   // the announcement's rows
    QStringList titles; // the item file's titles afterwards; none: file unchanged or absent
    QString latest;     // its latest afterwards, with titles
};

TEST_F(ScheduledCheckTest, EachFeedIsFetchedReadMergedAndLogged)
{
    const QString checking = QStringLiteral("Checking News");
    const QStringList fetched{checking, kSending, kSent, kParsing};
    const QStringList all{"First", "Second", "Third", "Fourth"};

    const FeedCase cases[] = {
        {"no item file: every item is added and latest is gained",
         kNewestFirst,
         {},
         0,
         true,
         {},
         fetched + QStringList{"    4 New Items found!", kDone},
         {"News -- 4 New Items"},
         all,
         "20060504080000"},
        {"an earlier file: what it holds stays, what it lacks up to latest was deleted",
         rss({kFourth, kThird, kSecond, kFirst}),
         storedFile("20060502080000"),
         0,
         true,
         {},
         fetched + QStringList{"    2 New Items found!", kDone},
         {"News -- 2 New Items"},
         {"First", "Third", "Fourth"},
         "20060504080000"},
        {"an earlier file without latest stores what it lacks, nothing twice",
         kNewestFirst,
         storedFile({}),
         2,
         true,
         {},
         fetched + QStringList{"    3 New Items found!", kDone},
         {"News -- 3 New Items"},
         {"First", "Second", "Third", "Fourth"},
         "20060504080000"},
        {"an undated new item is added and latest stays",
         rss({kUndated, kFirst}),
         storedFile("20060504080000"),
         0,
         true,
         {},
         fetched + QStringList{"    1 New Items found!", kDone},
         {"News -- 1 New Items"},
         {"First", "Undated"},
         "20060504080000"},
        {"a page that is not XML (RSS)",
         "<html><body>Oops",
         {},
         0,
         true,
         {},
         fetched + QStringList{"-->Error: Server returned Feed data in invalid XML format!", kDone},
         {},
         {},
         {}},
        {"a page that is not XML (Atom)",
         "<html><body>Oops",
         {},
         1,
         true,
         {},
         fetched
             + QStringList{"--> Error: Server returned Feed data in invalid XML format!", kDone},
         {},
         {},
         {}},
        {"an empty answer",
         "",
         {},
         0,
         true,
         {},
         fetched + QStringList{"--> Error: Server returned empty data stream!", kDone},
         {},
         {},
         {}},
        {"XML that is no feed",
         "<html><body>Oops</body></html>",
         {},
         1,
         true,
         {},
         fetched
             + QStringList{"--> Error: Server returned invalid Feed XML! Either Feed Type is "
                           "not ATOM or Feed XML is not well-formed.",
                           kDone},
         {},
         {},
         {}},
        {"a feed without items",
         rss({}),
         {},
         0,
         true,
         {},
         fetched + QStringList{kDone},
         {},
         {},
         {}},
        {"a page that is not there",
         {},
         {},
         0,
         true,
         QStringLiteral("/missing"),
         {checking, kSending, kSent, "--> Error: Server answered 404 Not Found"},
         {},
         {},
         {}},
        {"a server error whose body is a feed",
         {},
         {},
         0,
         true,
         QStringLiteral("/failing"),
         {checking, kSending, kSent, "--> Error: Server answered 500 Internal Server Error"},
         {},
         {},
         {}},
        {"offline",
         kNewestFirst,
         {},
         0,
         false,
         {},
         {checking,
          "--> Error: Application failed to access Internet. Either machine is not "
          "connected to Internet or Firewall blocked application."},
         {},
         {},
         {}},
    };
    for (const FeedCase &c : cases) {
        SCOPED_TRACE(c.what);
        forget();
        if (!c.stored.isEmpty())
            t.writeFile(itemName(kNewsId), c.stored);
        serve("News", c.body);
        t.connection.connected = c.connected;
        schedule({feed(QStringLiteral("News"), kNewsId, c.type, c.route)});

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
        EXPECT_EQ(storedTitles(kNewsId), c.titles);
        ItemFile file(t.path(itemName(kNewsId)));
        ASSERT_EQ(file.load(), ItemFile::State::Loaded);
        ASSERT_TRUE(file.latestNode());
        EXPECT_EQ(file.latestNode().text(), c.latest);
    }
}

TEST_F(ScheduledCheckTest, PopupFollowsTheSchedulerSettings)
{
    const QString sound = t.path(QStringLiteral("chime.wav"));
    const struct {
        const char *what;
        int showPopup;
        int playSound;
        bool announced;
        bool plays;
        QString soundFile;
    } cases[] = {
        {"popup without sound", 1, 0, true, false, {}},
        {"popup with the sound file", 1, 1, true, true, sound},
        {"no popup", 0, 1, false, false, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        forget();
        serve("News", kNewestFirst);
        schedule({feed(QStringLiteral("News"), kNewsId)}, c.showPopup, c.playSound, sound);

        run();

        EXPECT_TRUE(itemFileExists(kNewsId)) << "the items are stored either way";
        ASSERT_EQ(announcement.popups.size(), c.announced ? 1 : 0);
        if (!c.announced)
            continue;
        const PopupProperties &p = announcement.popups[0].properties;
        EXPECT_FALSE(p.autoClose);
        EXPECT_FALSE(p.canGainFocus);
        EXPECT_TRUE(p.makeTransparent);
        EXPECT_EQ(p.transparencyPercentage, 10);
        EXPECT_EQ(p.playSound, c.plays);
        EXPECT_EQ(p.soundFilePath, c.soundFile);
        EXPECT_EQ(announcement.popups[0].rows, QStringList{"News -- 4 New Items"});
    }
}

// The log reads in schedule order and every feed is logged once, whether the updates ran one
// at a time or side by side; a slow feed at the head holds up only its own block.
TEST_F(ScheduledCheckTest, WholeLogOfARunIsInScheduleOrderHoweverTheServersAnswer)
{
    serve("News", kNewestFirst);
    serve("Quiet", rss({kSecond, kFirst}));
    serve("Broken", "<html><body>Service unavailable");
    const QList<FeedRecord> feeds{
        feed(QStringLiteral("Slow"), kSlowId, 1, QStringLiteral("/silent/Slow")),
        feed(QStringLiteral("News"), kNewsId), feed(QStringLiteral("Quiet"), kQuietId),
        feed(QStringLiteral("Broken"), kBrokenId)};
    const QStringList expected{
        QString(70, u'='),
        "Scheduled Check Started (" + kNow + ")",
        "",
        "",
        "Checking Slow",
        kSending,
        kSent,
        "--> Error: Server did not respond in timely manner. Application failed to fetch Feed "
        "Data!",
        "",
        "",
        "Checking News",
        kSending,
        kSent,
        kParsing,
        "    3 New Items found!",
        kDone,
        "",
        "",
        "Checking Quiet",
        kSending,
        kSent,
        kParsing,
        "    No New Items found!",
        kDone,
        "",
        "",
        "Checking Broken",
        kSending,
        kSent,
        kParsing,
        "-->Error: Server returned Feed data in invalid XML format!",
        kDone,
        "",
        "",
        // The clock moved on by the time limit while Slow waited.
        QStringLiteral("Scheduled Check Finished (3/14/26 9:27:03 AM)"),
        "",
        "",
    };
    QByteArray logs[2];
    QMap<QString, QByteArray> files[2];
    const int inFlight[2] = {1, kMaxFetchesInFlight};
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(inFlight[way]);
        forget();
        t.clock.current = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53));
        t.writeFile(itemName(kNewsId), storedFile("20060501080000"));
        t.writeFile(itemName(kQuietId), storedFile("20060502080000"));
        schedule(feeds);
        run(
            1,
            [&] {
                if (way == 1) {
                    // Side by side, the others are done while Slow waits, yet none is logged.
                    // Only Slow's time limit still runs once every other answer is in.
                    EXPECT_TRUE(test::waitUntil([&] {
                        return t.clock.activeTimers() == 1 && itemFiles().size() == 2
                            && storedTitles(kNewsId).size() == 4;
                    }));
                    EXPECT_EQ(observed.size(), 1) << "only the header";
                }
                t.clock.advance(kFetchTimeoutMs);
            },
            inFlight[way]);

        const QStringList lines = log().split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i < qMax(lines.size(), expected.size()); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(lines.value(i, QStringLiteral("<missing>")),
                      expected.value(i, QStringLiteral("<missing>")));
        }
        // The observer saw the same text, write by write.
        EXPECT_EQ(observed.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), log());
        ASSERT_EQ(announcement.popups.size(), 1);
        EXPECT_EQ(announcement.popups[0].rows, QStringList{"News -- 3 New Items"});
        logs[way] = t.readFile(QStringLiteral("schedule.log"));
        files[way] = itemFiles();
    }
    EXPECT_EQ(logs[1], logs[0]);
    EXPECT_EQ(files[1], files[0]);
    EXPECT_EQ(m_server.lastHeader("Cache-Control"), "no-cache");
}

TEST_F(ScheduledCheckTest, CancellingEndsTheRunWithTheFeedsFinishedSoFar)
{
    serve("News", kNewestFirst);
    serve("After", rss({kSecond, kFirst}));
    schedule({feed(QStringLiteral("News"), kNewsId),
              feed(QStringLiteral("Held"), kSlowId, 0, QStringLiteral("/silent/Held")),
              feed(QStringLiteral("After"), kQuietId)});
    ScheduledCheck check(t.ctx, announcement, Settings::loadScheduler(t.ctx), options());
    bool finished = false;
    QObject::connect(&check, &ScheduledCheck::finished, [&] { finished = true; });
    check.start();
    ASSERT_TRUE(
        test::waitUntil([&] { return m_server.heldRequests() == 1 && itemFileExists(kQuietId); }));

    // As the main window's unload does.
    check.cancel();

    ASSERT_TRUE(test::waitUntil([&] { return finished; }));
    EXPECT_FALSE(log().contains(QStringLiteral("Checking Held")));
    EXPECT_TRUE(log().contains(QStringLiteral("Checking News")));
    EXPECT_TRUE(log().contains(QStringLiteral("Checking After")));
    EXPECT_TRUE(log().endsWith(QStringLiteral("    Done!\r\n\r\n\r\nScheduled Check Finished (")
                               + kNow + QStringLiteral(")\r\n\r\n")))
        << log().toStdString();
    ASSERT_EQ(announcement.popups.size(), 1);
    EXPECT_EQ(announcement.popups[0].rows,
              (QStringList{"News -- 4 New Items", "After -- 2 New Items"}));
    EXPECT_EQ(t.clock.activeTimers(), 0);
}

TEST_F(ScheduledCheckTest, EntriesThatCannotBeCheckedAreLoggedAndTheRunGoesOn)
{
    serve("News", kNewestFirst);
    FeedRecord forged = feed(QStringLiteral("Forged\r\n    10 New Items found!"), kQuietId);
    forged.url = m_server.url(QStringLiteral("/feed/News"));
    schedule({feed(QStringLiteral("Evil"), QStringLiteral("../../outside"), 0,
                   QStringLiteral("/feed/News"))});
    const IniFile config = configFile();
    config.write(QStringLiteral("schdl"), QStringLiteral("s_2"), QStringLiteral("0\x05only two"));
    config.write(QStringLiteral("schdl"), QStringLiteral("s_3"), entry(forged));
    config.write(QStringLiteral("schdl"), QStringLiteral("s_4"),
                 entry(feed(QStringLiteral("News"), kNewsId)));

    run();

    const QStringList lines = feedLines();
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(
        lines.mid(0, 7),
        (QStringList{
            "Checking Evil",
            "--> Error: The Feed has no valid identifier in the schedule. "
            "Application did not check it!",
            "", "",
            "--> Error: Schedule entry s_2 has 2 of the 4 fields it needs. Application skipped it!",
            "", ""}));
    EXPECT_TRUE(lines.contains(QStringLiteral("Checking Forged      10 New Items found!")));
    EXPECT_FALSE(lines.contains(QStringLiteral("    10 New Items found!")));
    EXPECT_EQ(m_server.requestCount(), 2);
    ASSERT_EQ(announcement.popups.size(), 1);
    EXPECT_EQ(
        announcement.popups[0].rows,
        (QStringList{"Forged      10 New Items found! -- 4 New Items", "News -- 4 New Items"}));
}

TEST_F(ScheduledCheckTest, AFailedSaveAnnouncesNothingAndTheNextCheckStoresTheItems)
{
    serve("News", kNewestFirst);
    schedule({feed(QStringLiteral("News"), kNewsId)});
    t.writeFile(itemName(kNewsId), storedFile({}));
    {
        // Room for the log and the lock, none for the item file: as a full disk.
        const test::FileSizeLimit fullDisk(400);
        run();
    }
    EXPECT_TRUE(log().contains(
        QStringLiteral("--> Error: Application failed to save the Feed Data file! ")))
        << log().toStdString();
    EXPECT_FALSE(log().contains(QStringLiteral("New Items found!")));
    EXPECT_TRUE(announcement.popups.isEmpty());
    EXPECT_EQ(t.readFile(itemName(kNewsId)), storedFile({}));

    run();

    EXPECT_TRUE(log().contains(QStringLiteral("    3 New Items found!")));
    ASSERT_EQ(announcement.popups.size(), 1);
    EXPECT_EQ(storedTitles(kNewsId), (QStringList{"First", "Second", "Third", "Fourth"}));
}

TEST_F(ScheduledCheckTest, ADamagedItemFileIsSetAsideAndTheFeedStartsAgain)
{
    serve("News", rss({kSecond, kFirst}));
    schedule({feed(QStringLiteral("News"), kNewsId)});
    t.writeFile(itemName(kNewsId), "<data><items><item");

    run();

    EXPECT_EQ(feedLines().mid(0, 7),
              (QStringList{"Checking News", kSending, kSent, kParsing,
                           "    Feed Data file could not be read: set aside as " + kNewsId
                               + ".fdb.damaged-20260314-092653, a new file is started.",
                           "    2 New Items found!", kDone}));
    EXPECT_EQ(t.readFile(itemName(kNewsId) + QStringLiteral(".damaged-20260314-092653")),
              "<data><items><item");
    EXPECT_EQ(storedTitles(kNewsId), (QStringList{"First", "Second"}));
}

TEST_F(ScheduledCheckTest, TheDocumentDecidesItsTypeWhichIsCorrectedOnce)
{
    serve("Atom", kAtom);
    FeedRecord atom = feed(QStringLiteral("Atom"), kNewsId, 0); // imported as RSS
    schedule({atom});
    t.writeFile(QStringLiteral("feeds.fdb"),
                "<categories><category name=\"News\"><feed name=\"Atom\" type=\"0\" id=\""
                    + kNewsId.toUtf8() + "\">" + atom.url.toUtf8()
                    + "</feed></category></categories>");

    run();

    EXPECT_EQ(feedLines().mid(0, 7),
              (QStringList{"Checking Atom", kSending, kSent, kParsing,
                           "    Feed Type corrected from RSS to ATOM.", "    2 New Items found!",
                           kDone}));
    EXPECT_TRUE(t.readFile(QStringLiteral("feeds.fdb")).contains("type=\"1\""));
    const Settings::Scheduler settings = Settings::loadScheduler(t.ctx);
    ASSERT_EQ(settings.schedule.size(), 1);
    EXPECT_EQ(settings.schedule[0].feed->feedType, FeedType::Atom);
    EXPECT_EQ(settings.schedule[0].feed->name, QStringLiteral("Atom"));

    forget();
    run();
    EXPECT_FALSE(log().contains(QStringLiteral("corrected")));
}

// The window marks an item read while the check waits for the feed's server: the check's merge
// works on the file as it is then, and the mark stays.
TEST_F(ScheduledCheckTest, AMarkMadeInTheWindowDuringACheckIsKept)
{
    t.writeFile(itemName(kNewsId),
                storedFile("20060501080000").replace("status=\"1\"", "status=\"0\""));
    schedule({feed(QStringLiteral("News"), kNewsId, 0, QStringLiteral("/silent/News"))});
    test::MemoryReportList list;
    class : public CaptionSink {
        void setCaption(const QString &) override { }
        void repaintTabs() override { }
    } caption;
    FeedReader window(t.ctx, list, caption, kEnglish);
    window.setFeedID(kNewsId);

    run(1, [&] {
        ASSERT_TRUE(window.processItem(QStringLiteral("cf7ad3b106cd1e357a46e976a1fb7987"),
                                       ItemAction::MarkRead, false));
        m_server.openGate();
    });

    ItemFile file(t.path(itemName(kNewsId)));
    ASSERT_EQ(file.load(), ItemFile::State::Loaded);
    EXPECT_EQ(file.items().child(0).attributeValue(1), QStringLiteral("1"));
}

TEST_F(ScheduledCheckTest, OneCheckAtATimeAndALockLeftByADeadCheckIsTakenOver)
{
    serve("News", kNewestFirst);
    schedule({feed(QStringLiteral("Held"), kSlowId, 0, QStringLiteral("/silent/Held")),
              feed(QStringLiteral("News"), kNewsId)});

    RecordingAnnouncement second;
    run(1, [&] {
        // A second check while the first waits for Held: one line, and nothing stored twice.
        runScheduledCheck(t.ctx, second, Settings::loadScheduler(t.ctx), options());
        m_server.openGate();
    });

    EXPECT_EQ(log().count(QStringLiteral(
                  "Another Scheduled Check is running on this folder. This check was skipped!")),
              1);
    EXPECT_EQ(log().count(QStringLiteral("Scheduled Check Started")), 1);
    EXPECT_TRUE(second.popups.isEmpty());
    EXPECT_EQ(storedTitles(kNewsId), (QStringList{"First", "Second", "Third", "Fourth"}));

    // A check killed while it held the lock leaves the lock file behind.
    QProcess killed;
    killed.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(killed.waitForStarted());
    t.writeFile(QStringLiteral("check.lock"),
                QByteArray::number(killed.processId()) + "\nmarlowin-check\n"
                    + QSysInfo::machineHostName().toUtf8() + "\n");
    killed.kill();
    ASSERT_TRUE(killed.waitForFinished());
    forget();

    run(1, [&] { m_server.openGate(); });

    EXPECT_TRUE(log().contains(QStringLiteral("Scheduled Check Started")));
    EXPECT_FALSE(log().contains(QStringLiteral("Another Scheduled Check")));
}

} // namespace
