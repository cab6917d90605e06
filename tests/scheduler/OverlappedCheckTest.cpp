#include "scheduler/NewItemsAnnouncement.h"
#include "scheduler/mScheduler.h"

#include "settings/mINI.h"
#include "settings/mSettings.h"

#include "support/LocalHttpServer.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

// A run that sends requests ahead must leave exactly what a run that sends each request at its
// feed's turn leaves, and must drop what it sent ahead when it is ended early.

namespace {

using namespace std::chrono_literals;

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

// Long enough for any answering server on a loaded machine; the held requests cost it once per
// run.
constexpr int kTimeoutMs = 3000;
// How long a gated answer waits for the request it expects to see arriving first.
constexpr auto kGateWait = 1000ms;
// A late answer comes after kShortTimeoutMs, and a busy turn outlasts them both.
constexpr auto kLateAnswer = 1200ms;
constexpr int kShortTimeoutMs = 800;
constexpr auto kBusyTurn = 1500ms;

std::string RssItem(int n, const std::string &pubDate)
{
    return "<item><title>Story " + std::to_string(n) + "</title><link>http://example.org/"
           + std::to_string(n) + "</link><pubDate>" + pubDate
           + "</pubDate><description>text " + std::to_string(n) + "</description></item>";
}

std::string Rss(const std::initializer_list<std::string> items)
{
    std::string rss = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>\n";
    for (const std::string &item : items)
        rss += item + "\n";
    return rss + "</channel></rss>\n";
}

const std::string kOld = RssItem(1, "Mon, 01 May 2006 08:00:00 GMT");
const std::string kNew = RssItem(2, "Tue, 02 May 2006 08:00:00 GMT");
const std::string kNewer = RssItem(3, "Wed, 03 May 2006 08:00:00 GMT");

const std::string kAtom =
    R"(<?xml version="1.0" encoding="utf-8"?><feed xmlns="http://www.w3.org/2005/Atom"><title>A</title>
<entry><title>Two</title><link href="http://example.org/a2"/><published>2006-05-02T08:00:00Z</published><content>Second</content></entry>
<entry><title>One</title><link href="http://example.org/a1"/><published>2006-05-01T08:00:00Z</published><content>First</content></entry>
</feed>)";

// An item file whose latest is the given stamp.
QByteArray StoredFile(const QByteArray &latest)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><data><items>"
           "<item id=\"cf7ad3b106cd1e357a46e976a1fb7987\" status=\"1\"><title>Story 1</title>"
           "<link>http://example.org/1</link><date>2006-May-01T08:00:00</date>"
           "<desc>text 1</desc><media/></item></items><latest>"
           + latest + "</latest></data>";
}

class RecordingAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &rows) override { popups.append(rows); }
    QList<QStringList> popups;
};

class OverlappedCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
        auto &routes = m_server.routes();
        routes.Get(R"(/feed/(\w+))", [this](const httplib::Request &req, httplib::Response &res) {
            res.set_content(arrive(req.matches[1]), "application/xml");
        });
        // Answers once `m_gateReady` holds, or after kGateWait: a request sent ahead opens it.
        routes.Get(R"(/gate/(\w+))", [this](const httplib::Request &req, httplib::Response &res) {
            const std::string body = arrive(req.matches[1]);
            const auto until = std::chrono::steady_clock::now() + kGateWait;
            while (!gateReady() && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(2ms);
            m_gateOpenedEarly = gateReady();
            res.set_content(body, "application/xml");
        });
        routes.Get(R"(/silent/(\w+))", [this](const httplib::Request &req, httplib::Response &res) {
            (void)arrive(req.matches[1]);
            m_server.holdRequest();
            ++m_heldAnswered;
            res.set_content(Rss({kNew}), "application/xml");
        });
        routes.Get(R"(/late/(\w+))", [this](const httplib::Request &req, httplib::Response &res) {
            const std::string body = arrive(req.matches[1]);
            std::this_thread::sleep_for(kLateAnswer);
            res.set_content(body, "application/xml");
        });
        routes.Get("/missing", [](const httplib::Request &, httplib::Response &res) {
            res.status = 404;
            res.set_content("<html><body>Not Found</body></html>", "text/html");
        });
        ASSERT_TRUE(m_server.start());
        mScheduler::CheckRunning = false;
    }

    std::string arrive(const std::string &name)
    {
        const std::lock_guard lock(m_mutex);
        m_arrived.insert(name);
        return m_bodies[name];
    }
    [[nodiscard]] bool gateReady()
    {
        const std::lock_guard lock(m_mutex);
        return m_gateReady && m_gateReady();
    }
    [[nodiscard]] bool arrived(const std::string &name) const { return m_arrived.count(name) > 0; }

    void serve(const std::string &name, const std::string &body)
    {
        const std::lock_guard lock(m_mutex);
        m_bodies[name] = body;
    }

    // Feed n of the schedule, under an identifier of its own.
    [[nodiscard]] FeedRecord feed(int n, const QString &name, const QString &route,
                                  qint16 type = 0) const
    {
        FeedRecord record;
        record.Name = name;
        record.ID = QStringLiteral("%1-AAAA-BBBB-CCCC-DDDDEEEEFFFF").arg(n, 8, 10, QLatin1Char('0'));
        record.FeedType = type;
        record.URL = m_server.url(route);
        return record;
    }

    void schedule(const QList<FeedRecord> &feeds)
    {
        mINI::InitIni(mSettings::ConfigPath(t.ctx), 5000);
        const QString section = QStringLiteral("schdl");
        mINI::WriteIniValue(section, QStringLiteral("alr"), QStringLiteral("1"));
        for (int i = 0; i < feeds.size(); ++i) {
            const FeedRecord &f = feeds.at(i);
            mINI::WriteIniValue(section, QStringLiteral("s_") + QString::number(i + 1),
                                QString::number(f.FeedType) + QChar(5) + f.ID + QChar(5) + f.URL
                                    + QChar(5) + f.Name);
        }
    }

    // onWrite sees each write of the log as it happens.
    void run(int maxInFlight, const std::function<void(const QString &)> &onWrite = {},
             int timeoutMs = kTimeoutMs)
    {
        mScheduler::CheckOptions options;
        options.fetchTimeoutMs = timeoutMs;
        options.maxRequestsInFlight = maxInFlight;
        options.locale = kEnglish;
        options.logObserver = [&](const QString &written) {
            if (onWrite)
                onWrite(written);
        };
        mScheduler::RunScheduledCheck(t.ctx, announcement, options);
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

    test::TestContext t;
    RecordingAnnouncement announcement;
    std::mutex m_mutex;
    std::map<std::string, std::string> m_bodies;
    std::set<std::string> m_arrived;
    std::function<bool()> m_gateReady;
    std::atomic<bool> m_gateOpenedEarly = false;
    std::atomic<int> m_heldAnswered = 0;
    test::LocalHttpServer m_server{&t.network};
};

TEST_F(OverlappedCheckTest, SendingAheadLeavesTheLogFilesAndAnnouncementOfASequentialRun)
{
    serve("News", Rss({kNewer, kNew, kOld}));
    serve("Quiet", Rss({kOld}));
    serve("Partly", Rss({kNewer, kNew, kOld}));
    serve("Broken", "<html><body>Oops");
    serve("Away", Rss({kNew}));
    serve("Empty", "");
    serve("Podcast", Rss({kNew}));
    serve("Atom", kAtom);
    serve("Unread", Rss({kNew}));
    serve("Last", Rss({kNewer, kOld}));
    const QList<FeedRecord> feeds{
        feed(1, QStringLiteral("News"), QStringLiteral("/gate/News")),
        feed(2, QStringLiteral("Quiet"), QStringLiteral("/feed/Quiet")),
        feed(3, QStringLiteral("Partly"), QStringLiteral("/feed/Partly")),
        feed(4, QStringLiteral("Broken"), QStringLiteral("/feed/Broken")),
        feed(5, QStringLiteral("Slow"), QStringLiteral("/silent/Slow")),
        feed(6, QStringLiteral("Missing"), QStringLiteral("/missing")),
        feed(7, QStringLiteral("Away"), QStringLiteral("/feed/Away")),
        [&] {
            FeedRecord evil = feed(8, QStringLiteral("Evil"), QStringLiteral("/feed/News"));
            evil.ID = QStringLiteral("../../outside");
            return evil;
        }(),
        feed(9, QStringLiteral("Empty"), QStringLiteral("/feed/Empty")),
        feed(10, QStringLiteral("Podcast"), QStringLiteral("/feed/Podcast"), 2),
        feed(11, QStringLiteral("Atom"), QStringLiteral("/feed/Atom"), 1),
        feed(12, QStringLiteral("Unread"), QStringLiteral("/feed/Unread"), 7),
        feed(13, QStringLiteral("Last"), QStringLiteral("/feed/Last")),
    };
    schedule(feeds);
    const auto storeBefore = [&] {
        QDir(t.path(QStringLiteral("Data"))).removeRecursively();
        ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
        QFile::remove(t.path(QStringLiteral("schedule.log")));
        t.writeFile(QStringLiteral("Data/") + feeds[1].ID + QStringLiteral(".fdb"),
                    StoredFile("20060501080000"));
        t.writeFile(QStringLiteral("Data/") + feeds[2].ID + QStringLiteral(".fdb"),
                    StoredFile("20060502080000"));
        announcement.popups.clear();
        const std::lock_guard lock(m_mutex);
        m_arrived.clear();
    };
    // The machine is offline during Away's turn only.
    const auto offlineAtAway = [this](const QString &written) {
        if (written.startsWith(QStringLiteral("Checking ")))
            t.connection.connected = written != QStringLiteral("Checking Away");
    };
    // News answers at once only when Quiet's request reaches the server while News is awaited.
    m_gateReady = [this] { return arrived("Quiet"); };

    storeBefore();
    run(1, offlineAtAway);
    EXPECT_FALSE(m_gateOpenedEarly) << "a sequential run sends nothing ahead";
    const QByteArray sequentialLog = t.readFile(QStringLiteral("schedule.log"));
    const QMap<QString, QByteArray> sequentialFiles = itemFiles();
    const QList<QStringList> sequentialPopups = announcement.popups;

    storeBefore();
    QStringList observed;
    run(mScheduler::kMaxRequestsInFlight, [&](const QString &written) {
        observed << written;
        offlineAtAway(written);
    });
    EXPECT_TRUE(m_gateOpenedEarly) << "Quiet was requested while News was awaited";

    const QString log = QString::fromLatin1(t.readFile(QStringLiteral("schedule.log")));
    EXPECT_EQ(log, QString::fromLatin1(sequentialLog));
    EXPECT_EQ(observed.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"), log);
    EXPECT_EQ(itemFiles(), sequentialFiles);
    EXPECT_EQ(announcement.popups, sequentialPopups);
    // The schedule covered what it was meant to cover.
    for (const char *line :
         {"Server did not respond in timely manner", "Application failed to access Internet",
          "invalid XML format", "no valid identifier", "empty data stream", "No New Items found!"}) {
        EXPECT_TRUE(log.contains(QLatin1String(line))) << line;
    }
    ASSERT_EQ(announcement.popups.size(), 1);
    EXPECT_EQ(announcement.popups[0],
              (QStringList{"News -- 3 New Items", "Partly -- 1 New Items",
                           "Podcast -- 1 New Items", "Atom -- 2 New Items",
                           "Last -- 2 New Items"}));
    EXPECT_FALSE(itemFiles().contains(feeds[6].ID + QStringLiteral(".fdb")))
        << "the feed that was offline at its turn took nothing from its request sent ahead";
}

// The limit of a request sent ahead runs from its send, not from its feed's turn: an answer that
// came too late is a time-out even when the turn comes after it.
TEST_F(OverlappedCheckTest, AnAnswerLaterThanTheLimitOfARequestSentAheadIsATimeOut)
{
    serve("News", Rss({kNew, kOld}));
    serve("Late", Rss({kNewer, kOld}));
    schedule({feed(1, QStringLiteral("News"), QStringLiteral("/feed/News")),
              feed(2, QStringLiteral("Late"), QStringLiteral("/late/Late"))});
    // Holds the run up before Late's turn, as a long merge of the previous feed would.
    const auto busyBeforeLate = [](const QString &written) {
        if (written == QStringLiteral("Checking Late"))
            std::this_thread::sleep_for(kBusyTurn);
    };

    QByteArray logs[2];
    QMap<QString, QByteArray> files[2];
    // Nothing but Late is ahead during the hold-up: an answer that came in time is only taken
    // in at an event-loop turn, and none runs while the run is held up.
    const int inFlight[2] = {1, mScheduler::kMaxRequestsInFlight};
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(inFlight[way]);
        QDir(t.path(QStringLiteral("Data"))).removeRecursively();
        ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
        QFile::remove(t.path(QStringLiteral("schedule.log")));
        run(inFlight[way], busyBeforeLate, kShortTimeoutMs);
        logs[way] = t.readFile(QStringLiteral("schedule.log"));
        files[way] = itemFiles();
        EXPECT_TRUE(logs[way].contains("Checking Late\r\n    Sending Request to Source Server ...\r\n"
                                       "    Request Sent, Waiting for Server Response ...\r\n"
                                       "--> Error: Server did not respond in timely manner."));
    }
    EXPECT_EQ(logs[1], logs[0]);
    EXPECT_EQ(files[1], files[0]);
    EXPECT_EQ(files[1].keys(), QStringList{feed(1, {}, {}).ID + QStringLiteral(".fdb")});
}

TEST_F(OverlappedCheckTest, EndingTheRunDropsTheRequestsSentAhead)
{
    serve("News", Rss({kNew, kOld}));
    serve("After", Rss({kNew, kOld}));
    constexpr int kHeld = 4;
    QList<FeedRecord> feeds{feed(1, QStringLiteral("News"), QStringLiteral("/gate/News"))};
    for (int i = 0; i < kHeld; ++i) {
        const QString name = QStringLiteral("Held%1").arg(i);
        feeds << feed(2 + i, name, QStringLiteral("/silent/") + name);
    }
    feeds << feed(2 + kHeld, QStringLiteral("After"), QStringLiteral("/feed/After"));
    schedule(feeds);
    // News answers once the requests sent ahead are held by the server.
    m_gateReady = [this] { return m_server.heldRequests() == kHeld; };

    // As the main window's unload would, once News has been fetched.
    run(mScheduler::kMaxRequestsInFlight, [](const QString &written) {
        if (written == QStringLiteral("    Parsing Feed content ..."))
            mScheduler::CheckRunning = false;
    });

    EXPECT_TRUE(m_gateOpenedEarly) << "the held feeds were requested ahead of their turn";
    EXPECT_EQ(m_heldAnswered, 0) << "the run ended without waiting for any request sent ahead";
    const QString log = QString::fromLatin1(t.readFile(QStringLiteral("schedule.log")));
    EXPECT_FALSE(log.contains(QStringLiteral("Checking Held")));
    EXPECT_TRUE(log.contains(QStringLiteral("    2 New Items found!\r\n    Done!\r\n\r\n\r\n"
                                            "Scheduled Check Finished (")))
        << log.toStdString();
    EXPECT_EQ(itemFiles().keys(), QStringList{feeds[0].ID + QStringLiteral(".fdb")});
    ASSERT_EQ(announcement.popups.size(), 1);
    EXPECT_EQ(announcement.popups[0], QStringList{"News -- 2 New Items"});
    EXPECT_FALSE(mScheduler::CheckRunning);
}

} // namespace
