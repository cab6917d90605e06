// Figures for the reading engine: parse throughput, merging into item files, refreshing a large
// feed, and peak memory. Feeds are generated deterministically, so runs compare.
//
//   build/bench/reading_bench            (offscreen; no display needed)

#include "BenchContext.h"
#include "BenchViews.h"
#include "GeneratedFeeds.h"

#include "platform/QtReportList.h"
#include "platform/TextCodec.h"
#include "platform/ReportList.h"
#include "reading/FeedParser.h"
#include "reading/FeedRefresh.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <functional>

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
    const double rssUtf8Ms = BestMs(5, [&] { parsed = int(FeedParser::ParseRss(QByteArrayView(rssUtf8)).items.size()); });
    Report("ParseRss throughput (10000 items, UTF-8 as fetched)", rssMb / (rssUtf8Ms / 1000.0), "MB/s");

    BenchContext bench;
    NoCaption caption;
    CountingList counting;
    FeedReader reader(bench.ctx, counting, caption, english);
    reader.setFeedID(FeedId(1));
    reader.setFeedType(0);
    reader.setFeedData(rss);
    reader.ParseRss(QString(), false);
    Report("first merge of 10000 items into an empty item file", TimeMs([&] { reader.MergeNewItems(); }), "ms");
    std::printf("   (rows added: %d)\n", counting.count());
    Report("refresh finding nothing new, 10000-item feed (parse+merge)", BestMs(3, [&] {
               reader.ParseRss(QString(), false);
               reader.MergeNewItems();
           }),
           "ms");
    Report("loading the 10000-item list from its file", BestMs(3, [&] { reader.LoadItemList(); }), "ms");
    {
        const QString feedFile = bench.dir.filePath(QStringLiteral("feed.xml"));
        QFile out(feedFile);
        out.open(QIODevice::WriteOnly);
        out.write(rss.toUtf8());
        out.close();
        QProcess child;
        // A program of its own, with no widget libraries loaded: the engine's cost, as in
        // marlowin-check.
        child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/refresh_memory_bench"), {feedFile});
        child.waitForFinished(120000);
        const QStringList figures = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
        if (figures.size() == 3) {
            Report("peak memory of a refresh of the 10000-item feed (own process)", figures[1].toDouble(), "MB");
            std::printf("   (the process before it: %s MB; rows added: %s)\n", qPrintable(figures[0]),
                        qPrintable(figures[2].trimmed()));
        }
    }

    const QString atom = AtomFeed(0, 10000);
    const double atomMb = double(atom.toUtf8().size()) / 1e6;
    int atomItems = 0;
    const double atomMs = BestMs(5, [&] { atomItems = int(FeedParser::ParseAtom(atom, english).items.size()); });
    parsed += atomItems;
    Report("ParseAtom throughput (10000 entries, decoded text)", atomMb / (atomMs / 1000.0), "MB/s");
    const QByteArray atomUtf8 = atom.toUtf8();
    const double atomUtf8Ms = BestMs(5, [&] { atomItems = int(FeedParser::ParseAtom(QByteArrayView(atomUtf8), english).items.size()); });
    Report("ParseAtom throughput (10000 entries, UTF-8 as fetched)", atomMb / (atomUtf8Ms / 1000.0), "MB/s");
    if (parsed != 20000)
        std::printf("!! parsers returned %d items instead of 20000\n", parsed);

    {
        QTreeWidget widget;
        platform::QtReportList lstItems(widget);
        lstItems.setColumns({QStringLiteral("Title"), QStringLiteral("Published On"), QStringLiteral("date_sort")}, {400, 200, 0});
        FeedReader window(bench.ctx, lstItems, caption, english);
        window.setFeedID(FeedId(2));
        window.setFeedData(rss);
        window.ParseRss(QString(), false);
        Report("first merge of 10000 items into a window's list (QTreeWidget)",
               TimeMs([&] { window.MergeNewItems(); }), "ms");
        Report("loading the 10000-item list into a window (QTreeWidget)",
               BestMs(3, [&] { window.LoadItemList(); }), "ms");
    }

    QList<QString> feeds;
    for (int feed = 0; feed < 200; ++feed)
        feeds.append(RssFeed(feed + 10, 50));
    Report("200 feeds of 50 items: parse and first merge each", TimeMs([&] {
               for (int feed = 0; feed < feeds.size(); ++feed) {
                   FeedReader one(bench.ctx, counting, caption, english);
                   one.setFeedID(FeedId(100 + feed));
                   one.setFeedData(feeds.at(feed));
                   one.ParseRss(QString(), false);
                   one.MergeNewItems();
               }
           }),
           "ms");

    Report("peak memory of the whole benchmark run", PeakMemoryMb(), "MB");
    if (bench.messages.shown > 0)
        std::printf("!! %d message boxes were shown, last: %s\n", bench.messages.shown,
                    qPrintable(bench.messages.lastTitle));
    return 0;
}
