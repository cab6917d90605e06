// Peak memory of eight fetches at once whose servers never stop sending, as a hostile or broken
// set of feeds can: with the shared response budget (its default size) and with the per-request
// cap alone. Each measurement runs in a process of its own, so that its peak memory is its own.
//
//   build/bench/response_budget_bench

#include "BenchContext.h"
#include "GeneratedFeeds.h"

#include "platform/HttpRequest.h"
#include "platform/ResponseBudget.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kFetches = 8;
// A measurement that has not ended by then is reported as failed.
constexpr int kGiveUpMs = 120000;

// kFetches servers, one per fetch (the network stack opens at most six connections to one host),
// each answering every request with a body that never ends.
class EndlessServers {
public:
    EndlessServers()
    {
        for (int s = 0; s < kFetches; ++s) {
            auto server = std::make_unique<httplib::Server>();
            server->set_tcp_nodelay(true);
            server->Get("/feed.xml", [](const httplib::Request &, httplib::Response &res) {
                // A feed type: the server does not compress it, so every byte crosses the wire.
                res.set_chunked_content_provider(
                    "application/rss+xml",
                    [piece = std::string(64 * 1024, 'x')](size_t, httplib::DataSink &sink) {
                        return sink.write(piece.data(), piece.size());
                    });
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
    ~EndlessServers()
    {
        for (const auto &server : m_servers)
            server->stop();
        for (std::thread &thread : m_threads)
            thread.join();
    }

    [[nodiscard]] QString url(int s) const
    {
        return QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(m_ports.at(std::size_t(s)));
    }

private:
    std::vector<std::unique_ptr<httplib::Server>> m_servers;
    std::vector<std::thread> m_threads;
    std::vector<int> m_ports;
};

const char *failureName(platform::FetchFailure failure)
{
    switch (failure) {
    case platform::FetchFailure::TooLarge:
        return "TooLarge";
    case platform::FetchFailure::OverBudget:
        return "OverBudget";
    default:
        return "other";
    }
}

// Prints "<peak MB> <ms> <failure>=<count> ..." for one run.
int measure(bool withBudget)
{
    const EndlessServers servers;
    BenchContext bench;
    std::vector<std::unique_ptr<platform::HttpRequest>> requests;
    int ended = 0;
    QEventLoop allEnded;
    QElapsedTimer clock;
    clock.start();
    for (int s = 0; s < kFetches; ++s) {
        auto request = std::make_unique<platform::HttpRequest>(
            bench.network, withBudget ? &bench.responseBudget : nullptr);
        QObject::connect(request.get(), &platform::HttpRequest::finished, &allEnded, [&] {
            if (++ended == kFetches)
                allEnded.quit();
        });
        if (!request->open(QStringLiteral("GET"), servers.url(s)))
            return 1;
        request->send();
        requests.push_back(std::move(request));
    }
    QTimer::singleShot(kGiveUpMs, &allEnded, &QEventLoop::quit);
    allEnded.exec();
    if (ended != kFetches)
        return 1;
    const qint64 ms = clock.elapsed();

    std::map<std::string, int> failures;
    for (const auto &request : requests)
        ++failures[failureName(request->failure())];
    std::printf("%.1f %lld", GeneratedFeeds::peakMemoryMb(), static_cast<long long>(ms));
    for (const auto &[name, count] : failures)
        std::printf(" %s=%d", name.c_str(), count);
    std::printf("\n");
    return 0;
}

void runChild(bool withBudget)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure"),
                 withBudget ? QStringLiteral("budget") : QStringLiteral("cap")});
    child.waitForFinished(kGiveUpMs + 30000);
    const QStringList fields
        = QString::fromLatin1(child.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    const int capMiB = int(platform::kDefaultResponseCap / (1024 * 1024));
    const QString mode = withBudget
        ? QStringLiteral("budget of %1 MiB + cap of %2 MiB")
              .arg(platform::ResponseBudget::kDefaultBytes / (1024 * 1024))
              .arg(capMiB)
        : QStringLiteral("cap of %1 MiB only").arg(capMiB);
    if (child.exitCode() != 0 || fields.size() < 3) {
        std::printf("%-34s !! measurement failed\n", qPrintable(mode));
        return;
    }
    std::printf("%-34s %8s MB %8s ms   %s\n", qPrintable(mode), qPrintable(fields[0]),
                qPrintable(fields[1]), qPrintable(fields.mid(2).join(QLatin1Char(' '))));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--measure"))
        return measure(args[2] == QStringLiteral("budget"));

    std::printf("%d fetches of endless bodies at once: peak RSS, time until all ended, how each "
                "ended\n",
                kFetches);
    runChild(true);
    runChild(false);
    return 0;
}
