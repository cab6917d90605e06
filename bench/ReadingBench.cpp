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
double bestMs(int runs, const std::function<void()> &work)
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

double timeMs(const std::function<void()> &work)
{
    return bestMs(1, work);
}

void report(const char *what, double value, const char *unit)
{
    std::printf("%-58s %10.1f %s\n", what, value, unit);
}

// What an update does once the document has arrived: read it, merge it into the item file.
qsizetype readAndStore(const BenchContext &bench, int feed, const QByteArray &document)
{
    const FeedParser::FeedContent content = FeedParser::parseFeed(
        QByteArrayView(document), QLocale(QLocale::English, QLocale::UnitedStates));
    return ItemStore::merge(Feeds::feedDataPath(bench.ctx, feedId(feed)), content.items,
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

    const QString rss = rssFeed(0, 10000);
    const double rssMb = double(rss.toUtf8().size()) / 1e6;
    std::printf("RSS feed: 10000 items, %.1f MB\n\n", rssMb);

    int parsed = 0;
    const double rssMs = bestMs(5, [&] { parsed = int(FeedParser::parseRss(rss).items.size()); });
    report("ParseRss throughput (10000 items, decoded text)", rssMb / (rssMs / 1000.0), "MB/s");
    const QByteArray rssUtf8 = rss.toUtf8();
    const double rssUtf8Ms = bestMs(
        5, [&] { parsed = int(FeedParser::parseRss(QByteArrayView(rssUtf8)).items.size()); });
    report("ParseRss throughput (10000 items, UTF-8 as fetched)", rssMb / (rssUtf8Ms / 1000.0),
           "MB/s");

    BenchContext bench;
    NoCaption caption;
    CountingList counting;
    qsizetype added = 0;
    report("first merge of 10000 items into an empty item file (read+merge)",
           timeMs([&] { added = readAndStore(bench, 1, rssUtf8); }), "ms");
    std::printf("   (items added: %lld)\n", static_cast<long long>(added));
    report("update finding nothing new, 10000-item feed (read+merge)",
           bestMs(3, [&] { readAndStore(bench, 1, rssUtf8); }), "ms");
    FeedReader reader(bench.ctx, counting, caption, english);
    reader.setFeedID(feedId(1));
    report("loading the 10000-item list from its file", bestMs(3, [&] { reader.loadItemList(); }),
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
            report("peak memory of a refresh of the 10000-item feed (own process)",
                   figures[1].toDouble(), "MB");
            std::printf("   (the process before it: %s MB; rows added: %s)\n",
                        qPrintable(figures[0]), qPrintable(figures[2].trimmed()));
        }
    }

    const QString atom = atomFeed(0, 10000);
    const double atomMb = double(atom.toUtf8().size()) / 1e6;
    int atomItems = 0;
    const double atomMs
        = bestMs(5, [&] { atomItems = int(FeedParser::parseAtom(atom, english).items.size()); });
    parsed += atomItems;
    report("ParseAtom throughput (10000 entries, decoded text)", atomMb / (atomMs / 1000.0),
           "MB/s");
    const QByteArray atomUtf8 = atom.toUtf8();
    const double atomUtf8Ms = bestMs(5, [&] {
        atomItems = int(FeedParser::parseAtom(QByteArrayView(atomUtf8), english).items.size());
    });
    report("ParseAtom throughput (10000 entries, UTF-8 as fetched)", atomMb / (atomUtf8Ms / 1000.0),
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
        window.setFeedID(feedId(2));
        window.setFeedURL(QStringLiteral("http://127.0.0.1:%1/feed").arg(port));
        window.setCheckForNewItems(true);
        report("a window's first refresh of a 10000-item feed (local server)", timeMs([&] {
                   window.loadFeedData(true);
                   while (window.isRefreshing())
                       QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
               }),
               "ms");
        std::printf("   (rows shown: %d)\n", lstItems.count());
        report("loading the 10000-item list into a window (QTreeWidget)",
               bestMs(3, [&] { window.loadItemList(); }), "ms");
        bench.network.clearConnectionCache();
        server.stop();
        serving.join();
    }

    QList<QByteArray> feeds;
    for (int feed = 0; feed < 200; ++feed)
        feeds.append(rssFeed(feed + 10, 50).toUtf8());
    report("200 feeds of 50 items: read and first merge each", timeMs([&] {
               for (int feed = 0; feed < feeds.size(); ++feed)
                   readAndStore(bench, 100 + feed, feeds.at(feed));
           }),
           "ms");

    report("peak memory of the whole benchmark run", peakMemoryMb(), "MB");
    if (bench.messages.shown > 0)
        std::printf("!! %d message boxes were shown, last: %s\n", bench.messages.shown,
                    qPrintable(bench.messages.lastTitle));
    return 0;
}
