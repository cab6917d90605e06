// Figures for the feed window: how long a window takes to list a 10000-item feed from its item
// file (the list filled and sorted newest first), and how long one header click takes to sort it.
//
//   build/bench/feed_window_bench            (offscreen; no display needed)

#include "BenchContext.h"
#include "BenchViews.h"
#include "GeneratedFeeds.h"

#include "reading/FeedParser.h"
#include "reading/FeedRefresh.h"
#include "reading/FeedWindow.h"
#include "reading/FeedWindowHost.h"
#include "reading/ItemStore.h"
#include "subscriptions/FeedsDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kItems = 10000;
constexpr int kRuns = 5;

struct Timing {
    double first = 0; // the first run, on a window that never did the work before
    double best = 1e300;
};

// Several runs, in milliseconds; before runs the preparation that is not measured.
Timing measure(int runs, const std::function<void()> &before, const std::function<void()> &work)
{
    Timing timing;
    for (int run = 0; run < runs; ++run) {
        before();
        QElapsedTimer timer;
        timer.start();
        work();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (run == 0)
            timing.first = ms;
        timing.best = std::min(timing.best, ms);
    }
    return timing;
}

void report(const char *what, const Timing &timing)
{
    std::printf("%-66s %8.1f ms (first run %.1f ms)\n", what, timing.best, timing.first);
}

bool newestFirst(const QTreeWidget &list)
{
    for (int i = 1; i < list.topLevelItemCount(); ++i) {
        if (list.topLevelItem(i - 1)->text(2) < list.topLevelItem(i)->text(2))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QLocale english(QLocale::English, QLocale::UnitedStates);

    // The item file: a first update of a 10000-item feed stores every item, oldest first.
    BenchContext bench;
    const QString feedId = GeneratedFeeds::feedId(1);
    {
        const FeedParser::FeedContent content = FeedParser::parseFeed(
            QByteArrayView(GeneratedFeeds::rssFeed(1, kItems).toUtf8()), english);
        const ItemStore::MergeOutcome stored = ItemStore::merge(
            Feeds::feedDataPath(bench.ctx, feedId), content.items, QDateTime::currentDateTime());
        std::printf("item file: %lld items\n\n", static_cast<long long>(stored.merge.added.size()));
    }

    QuietHost host;
    FeedWindow window(bench.ctx, host, nullptr, english);
    window.setFeedID(feedId);
    window.setFeedCaption(QStringLiteral("Generated"));
    window.resize(900, 700);
    window.show();
    QApplication::processEvents();
    QTreeWidget &list = window.itemList();
    const auto nothing = [] {};

    report("list the 10000-item file in a shown window (LoadItemList + sort)",
           measure(kRuns, nothing, [&] { window.reader().loadItemList(); }));
    if (list.topLevelItemCount() != kItems || !newestFirst(list))
        std::printf("!! the list holds %d rows, newest first: %d\n", list.topLevelItemCount(),
                    newestFirst(list));
    report("the same, through LoadFeedData(true) (captions, events)",
           measure(kRuns, nothing, [&] { window.loadFeedData(true); }));
    report("the same, then the window painted", measure(kRuns, nothing, [&] {
               window.loadFeedData(true);
               (void)window.grab();
           }));

    QHeaderView *header = list.header();
    report("header click on \"Published On\" (10000 rows by stamp)",
           measure(kRuns, nothing, [&] { Q_EMIT header->sectionClicked(1); }));
    report("header click on \"Title\" (10000 rows by title)",
           measure(
               kRuns, [&] { Q_EMIT header->sectionClicked(1); },
               [&] { Q_EMIT header->sectionClicked(0); }));

    list.setCurrentItem(list.topLevelItem(kItems / 2));
    report("LoadItemList with a row selected (selection dropped by the reload)",
           measure(
               kRuns, [&] { list.setCurrentItem(list.topLevelItem(kItems / 2)); },
               [&] { window.reader().loadItemList(); }));

    if (bench.messages.shown > 0)
        std::printf("!! %d message boxes were shown, last: %s\n", bench.messages.shown,
                    qPrintable(bench.messages.lastTitle));
    return 0;
}
