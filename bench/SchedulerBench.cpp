// Figures for the scheduled check: wall time and peak memory of a check of 200 scheduled feeds
// of 50 items each, served by local HTTP servers, with each request sent at its feed's turn
// (1 in flight) and with requests sent ahead (8 in flight), and with 10 % of the servers slow.
// Each measurement runs in a process of its own, so that its peak memory is its own.
//
//   build/bench/scheduler_bench

#include "BenchContext.h"
#include "GeneratedFeeds.h"

#include "scheduler/NewItemsAnnouncement.h"
#include "scheduler/mScheduler.h"
#include "settings/mSettings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <httplib.h>

#include <algorithm>
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
// Feeds are spread over several servers (ports), as real feeds are over many hosts: the network
// stack opens at most six connections to one host, which would cap the overlap below 8.
constexpr int kServers = 4;
constexpr int kServerThreads = 16;
constexpr auto kSlowAnswer = std::chrono::seconds(2);

bool IsSlowFeed(int feed)
{
    return feed % 10 == 5; // 10 % of the feeds, spread over the schedule
}

class NoAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &) override {}
};

// The generated feeds at "/feed/<n>" on kServers local servers, each on threads of its own.
class FeedServers {
public:
    explicit FeedServers(bool slow)
    {
        m_bodies.reserve(kFeeds);
        for (int feed = 0; feed < kFeeds; ++feed)
            m_bodies.push_back(RssFeed(feed, kItemsPerFeed).toStdString());
        for (int s = 0; s < kServers; ++s) {
            auto server = std::make_unique<httplib::Server>();
            server->new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
            // As production servers do: without it, Nagle's algorithm and the client's delayed
            // acknowledgement hold many answers back for tens of milliseconds.
            server->set_tcp_nodelay(true);
            server->Get(R"(/feed/(\d+))", [this, slow](const httplib::Request &req,
                                                         httplib::Response &res) {
                const int feed = std::stoi(req.matches[1]);
                if (slow && IsSlowFeed(feed))
                    std::this_thread::sleep_for(kSlowAnswer);
                res.set_content(m_bodies.at(std::size_t(feed)), "application/rss+xml");
            });
            m_ports.push_back(server->bind_to_any_port("127.0.0.1"));
            m_threads.emplace_back([raw = server.get()] { raw->listen_after_bind(); });
            m_servers.push_back(std::move(server));
        }
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

    [[nodiscard]] QString url(int feed) const
    {
        return QStringLiteral("http://127.0.0.1:%1/feed/%2").arg(m_ports.at(std::size_t(feed % kServers))).arg(feed);
    }

private:
    std::vector<std::string> m_bodies;
    std::vector<std::unique_ptr<httplib::Server>> m_servers;
    std::vector<std::thread> m_threads;
    std::vector<int> m_ports;
};

double TimedCheck(BenchContext &bench, int inFlight)
{
    NoAnnouncement announcement;
    mScheduler::CheckOptions options;
    options.maxRequestsInFlight = inFlight;
    options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QElapsedTimer timer;
    timer.start();
    mScheduler::RunScheduledCheck(bench.ctx, announcement, options);
    return double(timer.nsecsElapsed()) / 1e6;
}

// One measurement in this process: a first and a second check of the whole schedule. Prints
// "<first ms> <second ms> <peak MB> <item files> <time-outs>".
int MeasureChecks(int inFlight, bool slow)
{
    const FeedServers servers(slow);
    BenchContext bench;
    mSettings::ScheduleList.clear();
    for (int feed = 0; feed < kFeeds; ++feed) {
        FeedRecord record;
        record.Name = QStringLiteral("Feed %1").arg(feed);
        record.ID = FeedId(feed);
        record.FeedType = 0;
        record.URL = servers.url(feed);
        mSettings::ScheduleList.append(record);
    }
    mSettings::SchedulerEnabled = 1;
    mSettings::ShowPopup = 0;
    mSettings::SaveSchedulerSettings(bench.ctx, false);

    const double first = TimedCheck(bench, inFlight);
    const double second = TimedCheck(bench, inFlight);
    bench.network.clearConnectionCache(); // lets the servers stop at once

    const QByteArray log = [&] {
        QFile file(bench.dir.filePath(QStringLiteral("schedule.log")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const int itemFiles = int(QDir(bench.dir.filePath(QStringLiteral("Data"))).entryList(QDir::Files).size());
    std::printf("%.1f %.1f %.1f %d %lld\n", first, second, PeakMemoryMb(), itemFiles,
                static_cast<long long>(log.count("did not respond in timely manner")));
    return 0;
}

struct Figures {
    double firstMs = 0, secondMs = 0, peakMb = 0;
    QString notes;
};

Figures RunChild(int inFlight, bool slow)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure"), QString::number(inFlight),
                 slow ? QStringLiteral("slow") : QStringLiteral("fast")});
    child.waitForFinished(600000);
    const QStringList fields =
        QString::fromLatin1(child.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    Figures figures;
    if (fields.size() != 5) {
        figures.notes = QStringLiteral("!! measurement failed");
        return figures;
    }
    figures.firstMs = fields[0].toDouble();
    figures.secondMs = fields[1].toDouble();
    figures.peakMb = fields[2].toDouble();
    if (fields[3].toInt() != kFeeds || fields[4].toInt() != 0)
        figures.notes = QStringLiteral("!! %1 item files, %2 time-outs").arg(fields[3], fields[4]);
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--measure") == 0)
        return MeasureChecks(QByteArray(argv[2]).toInt(), qstrcmp(argv[3], "slow") == 0);

    std::printf("Scheduled check of %d feeds x %d items (%d local servers)\n\n", kFeeds,
                kItemsPerFeed, kServers);
    std::printf("%-34s %12s %12s %10s\n", "", "first run", "second run", "peak");
    const struct {
        const char *what;
        int inFlight;
        bool slow;
    } cases[] = {
        {"sequential (1 in flight)", 1, false},
        {"overlapped (8 in flight)", 8, false},
        {"10 % slow (2 s), sequential", 1, true},
        {"10 % slow (2 s), overlapped", 8, true},
    };
    for (const auto &c : cases) {
        const Figures f = RunChild(c.inFlight, c.slow);
        std::printf("%-34s %9.0f ms %9.0f ms %7.1f MB %s\n", c.what, f.firstMs, f.secondMs,
                    f.peakMb, qPrintable(f.notes));
        std::fflush(stdout);
    }
    return 0;
}
