// Figures for the scheduled check: wall time, items stored and peak memory of a check of 200
// scheduled feeds of 50 items each, served by local HTTP servers: a first check (everything new)
// and a second (nothing new); the same with 10 % of the feeds answering after 2 s; and with eight
// more feeds whose servers never stop sending. Each measurement runs in a process of its own, so
// that its peak memory is its own.
//
//   build/bench/scheduler_bench

#include "BenchContext.h"
#include "GeneratedFeeds.h"

#include "scheduler/NewItemsAnnouncement.h"
#include "scheduler/ScheduledCheck.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace GeneratedFeeds;

constexpr int kFeeds = 200;
constexpr int kItemsPerFeed = 50;
// Fast feeds share a few servers (ports); a slow or endless feed has a server of its own, as it
// would be another site: the network stack opens at most six connections to one host.
constexpr int kFastServers = 4;
constexpr int kServerThreads = 16;
constexpr int kEndlessFeeds = 8;
constexpr auto kSlowAnswer = std::chrono::seconds(2);

enum class Kind { Fast, Slow, Endless };

bool isSlowFeed(int feed)
{
    return feed % 10 == 5; // 10 % of the feeds, spread over the schedule
}

class NoAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &) override { }
};

// The generated feeds at "/feed/<n>", and the servers that answer them.
class FeedServers {
public:
    FeedServers(bool slow, bool endless)
    {
        m_bodies.reserve(kFeeds);
        for (int feed = 0; feed < kFeeds; ++feed)
            m_bodies.push_back(rssFeed(feed, kItemsPerFeed).toStdString());
        for (int s = 0; s < kFastServers; ++s)
            m_fastPorts.push_back(startServer(Kind::Fast));
        for (int feed = 0; feed < kFeeds; ++feed)
            m_slowPorts.push_back(slow && isSlowFeed(feed) ? startServer(Kind::Slow) : 0);
        for (int feed = 0; endless && feed < kEndlessFeeds; ++feed)
            m_endlessPorts.push_back(startServer(Kind::Endless));
        for (const auto &server : m_servers) {
            while (!server->is_running())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~FeedServers()
    {
        for (const auto &server : m_servers)
            server->stop();
        for (std::thread &thread : m_threads)
            thread.join();
    }

    // The schedule: the generated feeds, then the endless ones.
    [[nodiscard]] QList<FeedRecord> schedule() const
    {
        QList<FeedRecord> records;
        for (int feed = 0; feed < kFeeds + int(m_endlessPorts.size()); ++feed) {
            FeedRecord record;
            record.name = QStringLiteral("Feed %1").arg(feed);
            record.id = feedId(feed);
            record.url = QStringLiteral("http://127.0.0.1:%1/feed/%2").arg(port(feed)).arg(feed);
            records.append(record);
        }
        return records;
    }

private:
    [[nodiscard]] int port(int feed) const
    {
        if (feed >= kFeeds)
            return m_endlessPorts.at(std::size_t(feed - kFeeds));
        if (const int slow = m_slowPorts.at(std::size_t(feed)))
            return slow;
        return m_fastPorts.at(std::size_t(feed % kFastServers));
    }

    int startServer(Kind kind)
    {
        auto server = std::make_unique<httplib::Server>();
        server->new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
        // As production servers do: without it, Nagle's algorithm and the client's delayed
        // acknowledgement hold many answers back for tens of milliseconds.
        server->set_tcp_nodelay(true);
        server->Get(
            R"(/feed/(\d+))", [this, kind](const httplib::Request &req, httplib::Response &res) {
                if (kind == Kind::Endless) {
                    res.set_chunked_content_provider(
                        "application/rss+xml",
                        [piece = std::string(64 * 1024, ' ')](size_t, httplib::DataSink &sink) {
                            return sink.write(piece.data(), piece.size());
                        });
                    return;
                }
                if (kind == Kind::Slow)
                    std::this_thread::sleep_for(kSlowAnswer);
                res.set_content(m_bodies.at(std::size_t(std::stoi(req.matches[1]))),
                                "application/rss+xml");
            });
        const int port = server->bind_to_any_port("127.0.0.1");
        m_threads.emplace_back([raw = server.get()] { raw->listen_after_bind(); });
        m_servers.push_back(std::move(server));
        return port;
    }

    std::vector<std::string> m_bodies;
    std::vector<std::unique_ptr<httplib::Server>> m_servers;
    std::vector<std::thread> m_threads;
    std::vector<int> m_fastPorts;
    std::vector<int> m_slowPorts;
    std::vector<int> m_endlessPorts;
};

double timedCheck(BenchContext &bench, const Settings::Scheduler &scheduler, int inFlight)
{
    NoAnnouncement announcement;
    CheckOptions options;
    options.maxFetchesInFlight = inFlight;
    options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QElapsedTimer timer;
    timer.start();
    runScheduledCheck(bench.ctx, announcement, scheduler, options);
    return double(timer.nsecsElapsed()) / 1e6;
}

int storedItems(const BenchContext &bench)
{
    static const QRegularExpression item(QStringLiteral("<item "));
    int count = 0;
    const QDir data(bench.dir.filePath(QStringLiteral("Data")));
    for (const QString &name : data.entryList(QDir::Files)) {
        QFile file(data.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            count += int(file.readAll().count("<item "));
    }
    return count;
}

// One measurement in this process: a first and a second check of the whole schedule. Prints
// "<first ms> <second ms> <peak MB> <items stored> <time-outs>".
int measureChecks(int inFlight, bool slow, bool endless)
{
    const FeedServers servers(slow, endless);
    BenchContext bench;
    QDir(bench.dir.path()).mkdir(QStringLiteral("Data"));
    Settings::Scheduler scheduler;
    scheduler.enabled = true;
    scheduler.showPopup = false;
    for (const FeedRecord &feed : servers.schedule())
        scheduler.schedule.append({{}, feed, {}});

    const double first = timedCheck(bench, scheduler, inFlight);
    const int stored = storedItems(bench);
    const double second = timedCheck(bench, scheduler, inFlight);
    bench.network.clearConnectionCache(); // lets the servers stop at once

    const QByteArray log = [&] {
        QFile file(bench.dir.filePath(QStringLiteral("schedule.log")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    std::printf("%.1f %.1f %.1f %d %lld\n", first, second, peakMemoryMb(), stored,
                static_cast<long long>(log.count("did not respond in timely manner")));
    return 0;
}

struct Figures {
    double firstMs = 0, secondMs = 0, peakMb = 0;
    int stored = 0;
    QString notes;
};

Figures runChild(int inFlight, bool slow, bool endless)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure"), QString::number(inFlight),
                 slow ? QStringLiteral("slow") : QStringLiteral("fast"),
                 endless ? QStringLiteral("endless") : QStringLiteral("finite")});
    child.waitForFinished(600000);
    const QStringList fields
        = QString::fromLatin1(child.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    Figures figures;
    if (fields.size() != 5) {
        figures.notes = QStringLiteral("!! measurement failed");
        return figures;
    }
    figures.firstMs = fields[0].toDouble();
    figures.secondMs = fields[1].toDouble();
    figures.peakMb = fields[2].toDouble();
    figures.stored = fields[3].toInt();
    if (fields[4].toInt() != 0)
        figures.notes = QStringLiteral("!! %1 time-outs").arg(fields[4]);
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--measure") == 0)
        return measureChecks(QByteArray(argv[2]).toInt(), qstrcmp(argv[3], "slow") == 0,
                             qstrcmp(argv[4], "endless") == 0);

    std::printf("Scheduled check of %d feeds x %d items\n\n", kFeeds, kItemsPerFeed);
    std::printf("%-44s %11s %8s %11s %9s\n", "", "first run", "stored", "second run", "peak");
    const struct {
        const char *what;
        int inFlight;
        bool slow;
        bool endless;
    } cases[] = {
        {"one feed at a time", 1, false, false},
        {"side by side", kMaxFetchesInFlight, false, false},
        {"10 % slow (2 s), side by side", kMaxFetchesInFlight, true, false},
        {"and 8 feeds sending endless bodies", kMaxFetchesInFlight, false, true},
    };
    for (const auto &c : cases) {
        const Figures f = runChild(c.inFlight, c.slow, c.endless);
        std::printf("%-44s %8.0f ms %8d %8.0f ms %6.1f MB %s\n", c.what, f.firstMs, f.stored,
                    f.secondMs, f.peakMb, qPrintable(f.notes));
        std::fflush(stdout);
    }
    return 0;
}
