// Figures for the reading engine: parse throughput, merging into item files, a window's refresh
// of a large feed, and peak memory. Feeds are generated deterministically, so runs compare.
//
//   build/bench/reading_bench            (offscreen; no display needed)

#include "BenchContext.h"
#include "BenchViews.h"
#include "GeneratedFeeds.h"

#include "platform/QtReportList.h"
#include "platform/ReportList.h"
#include "platform/TextCodec.h"
#include "reading/FeedParser.h"
#include "reading/FeedRefresh.h"
#include "reading/ItemStore.h"
#include "subscriptions/FeedsDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTreeWidget>

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>

namespace {

using namespace GeneratedFeeds;

// Best of several runs, in milliseconds.
double BestMs(int runs, const std::function<void()> &work)
{
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

double TimeMs(const std::function<void()> &work)
{
    return BestMs(1, work);
}

void Report(const char *what, double value, const char *unit)
{
    std::printf("%-58s %10.1f %s\n", what, value, unit);
}

// What an update does once the document has arrived: read it, merge it into the item file.
qsizetype ReadAndStore(const BenchContext &bench, int feed, const QByteArray &document)
{
    const FeedParser::FeedContent content = FeedParser::ParseFeed(
        QByteArrayView(document), QLocale(QLocale::English, QLocale::UnitedStates));
    return ItemStore::Merge(mFeeds::FeedDataPath(bench.ctx, FeedId(feed)), content.items,
                            QDateTime::currentDateTime())
        .merge.added.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QLocale english(QLocale::English, QLocale::UnitedStates);

    const QString rss = RssFeed(0, 10000);
    const double rssMb = double(rss.toUtf8().size()) / 1e6;
    std::printf("RSS feed: 10000 items, %.1f MB\n\n", rssMb);

    int parsed = 0;
    const double rssMs = BestMs(5, [&] { parsed = int(FeedParser::ParseRss(rss).items.size()); });
    Report("ParseRss throughput (10000 items, decoded text)", rssMb / (rssMs / 1000.0), "MB/s");
    const QByteArray rssUtf8 = rss.toUtf8();
    const double rssUtf8Ms = BestMs(
        5, [&] { parsed = int(FeedParser::ParseRss(QByteArrayView(rssUtf8)).items.size()); });
    Report("ParseRss throughput (10000 items, UTF-8 as fetched)", rssMb / (rssUtf8Ms / 1000.0),
           "MB/s");

    BenchContext bench;
    NoCaption caption;
    CountingList counting;
    qsizetype added = 0;
    Report("first merge of 10000 items into an empty item file (read+merge)",
           TimeMs([&] { added = ReadAndStore(bench, 1, rssUtf8); }), "ms");
    std::printf("   (items added: %lld)\n", static_cast<long long>(added));
    Report("update finding nothing new, 10000-item feed (read+merge)",
           BestMs(3, [&] { ReadAndStore(bench, 1, rssUtf8); }), "ms");
    FeedReader reader(bench.ctx, counting, caption, english);
    reader.setFeedID(FeedId(1));
    Report("loading the 10000-item list from its file", BestMs(3, [&] { reader.LoadItemList(); }),
           "ms");
    {
        const QString feedFile = bench.dir.filePath(QStringLiteral("feed.xml"));
        QFile out(feedFile);
        out.open(QIODevice::WriteOnly);
        out.write(rss.toUtf8());
        out.close();
        QProcess child;
        // A program of its own, with no widget libraries loaded: the engine's cost, as in
        // marlowin-check.
        child.start(QCoreApplication::applicationDirPath()
                        + QStringLiteral("/refresh_memory_bench"),
                    {feedFile});
        child.waitForFinished(120000);
        const QStringList figures
            = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
        if (figures.size() == 3) {
            Report("peak memory of a refresh of the 10000-item feed (own process)",
                   figures[1].toDouble(), "MB");
            std::printf("   (the process before it: %s MB; rows added: %s)\n",
                        qPrintable(figures[0]), qPrintable(figures[2].trimmed()));
        }
    }

    const QString atom = AtomFeed(0, 10000);
    const double atomMb = double(atom.toUtf8().size()) / 1e6;
    int atomItems = 0;
    const double atomMs
        = BestMs(5, [&] { atomItems = int(FeedParser::ParseAtom(atom, english).items.size()); });
    parsed += atomItems;
    Report("ParseAtom throughput (10000 entries, decoded text)", atomMb / (atomMs / 1000.0),
           "MB/s");
    const QByteArray atomUtf8 = atom.toUtf8();
    const double atomUtf8Ms = BestMs(5, [&] {
        atomItems = int(FeedParser::ParseAtom(QByteArrayView(atomUtf8), english).items.size());
    });
    Report("ParseAtom throughput (10000 entries, UTF-8 as fetched)", atomMb / (atomUtf8Ms / 1000.0),
           "MB/s");
    if (parsed != 20000)
        std::printf("!! parsers returned %d items instead of 20000\n", parsed);

    {
        httplib::Server server;
        server.Get("/feed", [&rssUtf8](const httplib::Request &, httplib::Response &res) {
            res.set_content(rssUtf8.constData(), std::size_t(rssUtf8.size()),
                            "application/rss+xml");
        });
        const int port = server.bind_to_any_port("127.0.0.1");
        std::thread serving([&server] { server.listen_after_bind(); });
        QTreeWidget widget;
        platform::QtReportList lstItems(widget);
        lstItems.setColumns(
            {QStringLiteral("Title"), QStringLiteral("Published On"), QStringLiteral("date_sort")},
            {400, 200, 0});
        FeedReader window(bench.ctx, lstItems, caption, english);
        window.setFeedID(FeedId(2));
        window.setFeedURL(QStringLiteral("http://127.0.0.1:%1/feed").arg(port));
        window.setCheckForNewItems(true);
        Report("a window's first refresh of a 10000-item feed (local server)", TimeMs([&] {
                   window.LoadFeedData(true);
                   while (window.isRefreshing())
                       QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
               }),
               "ms");
        std::printf("   (rows shown: %d)\n", lstItems.count());
        Report("loading the 10000-item list into a window (QTreeWidget)",
               BestMs(3, [&] { window.LoadItemList(); }), "ms");
        bench.network.clearConnectionCache();
        server.stop();
        serving.join();
    }

    QList<QByteArray> feeds;
    for (int feed = 0; feed < 200; ++feed)
        feeds.append(RssFeed(feed + 10, 50).toUtf8());
    Report("200 feeds of 50 items: read and first merge each", TimeMs([&] {
               for (int feed = 0; feed < feeds.size(); ++feed)
                   ReadAndStore(bench, 100 + feed, feeds.at(feed));
           }),
           "ms");

    Report("peak memory of the whole benchmark run", PeakMemoryMb(), "MB");
    if (bench.messages.shown > 0)
        std::printf("!! %d message boxes were shown, last: %s\n", bench.messages.shown,
                    qPrintable(bench.messages.lastTitle));
    return 0;
}
