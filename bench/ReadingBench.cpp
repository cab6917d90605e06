// Figures for the reading engine: parse throughput, merging into item files, refreshing a large
// feed, and peak memory. Feeds are generated deterministically, so runs compare.
//
//   build/bench/reading_bench            (offscreen; no display needed)

#include "BenchContext.h"
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

// A list that only counts rows: the engine's own cost, without any widget.
class CountingList final : public platform::ReportList {
public:
    void setColumns(const QStringList &, const QList<int> &) override {}
    QStringList columns() const override { return {}; }
    int add(const platform::ListRow &, int) override
    {
        ++m_rows;
        return 0;
    }
    void remove(int) override { --m_rows; }
    void clear() override { m_rows = 0; }
    int count() const override { return int(m_rows); }
    platform::ListRow row(int) const override { return {}; }
    void setRow(int, const platform::ListRow &) override {}
    int selectedRow() const override { return -1; }
    void select(int) override {}
    void scrollIntoView(int) override {}
    void setSortColumn(int) override {}
    int sortColumn() const override { return 2; }
    void setSortDescending(bool) override {}
    bool isSortDescending() const override { return true; }
    void setSorted(bool) override {}
    bool isSorted() const override { return false; }

private:
    qsizetype m_rows = 0;
};

class NoCaption final : public CaptionSink {
public:
    void setCaption(const QString &) override {}
    void repaintTabs() override {}
};

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

// The refresh of one feed as the program runs it, from the fetched bytes on: decoding, parsing,
// merging into an empty item file, then a refresh that finds nothing new. Run in a process of
// its own so that its peak memory is its own.
int MeasureRefreshMemory(const QString &feedFile)
{
    const double before = PeakMemoryMb();
    QFile file(feedFile);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    BenchContext bench;
    NoCaption caption;
    CountingList counting;
    FeedReader reader(bench.ctx, counting, caption, QLocale(QLocale::English, QLocale::UnitedStates));
    reader.setFeedID(FeedId(1));
    reader.setFeedDataUtf8(platform::DecodeDocumentToUtf8(file.readAll())); // as a fetch keeps it
    for (int pass = 0; pass < 2; ++pass) {
        reader.ParseRss(QString(), false);
        reader.MergeNewItems();
    }
    std::printf("%.1f %.1f %d\n", before, PeakMemoryMb(), counting.count());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--refresh-memory") == 0) {
        QCoreApplication core(argc, argv);
        return MeasureRefreshMemory(QString::fromLocal8Bit(argv[2]));
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QLocale english(QLocale::English, QLocale::UnitedStates);

    const QString rss = RssFeed(0, 10000);
    const double rssMb = double(rss.toUtf8().size()) / 1e6;
    std::printf("RSS feed: 10000 items, %.1f MB\n\n", rssMb);

    int parsed = 0;
    const double rssMs = BestMs(5, [&] { parsed = int(FeedParser::ParseRss(rss).items.size()); });
    Report("ParseRss throughput (10000 items)", rssMb / (rssMs / 1000.0), "MB/s");

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
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--refresh-memory"), feedFile});
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
    Report("ParseAtom throughput (10000 entries)", atomMb / (atomMs / 1000.0), "MB/s");
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
