// The refresh of one feed as the program runs it, from the fetched bytes on, in a process of its
// own with no widget libraries: its peak memory is the engine's. Prints the peak before and
// after and the rows added. Started by reading_bench.
//
//   refresh_memory_bench FEED.xml

#include "BenchContext.h"
#include "BenchViews.h"
#include "GeneratedFeeds.h"

#include "platform/TextCodec.h"
#include "reading/FeedRefresh.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const double before = GeneratedFeeds::PeakMemoryMb();
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    BenchContext bench;
    NoCaption caption;
    CountingList counting;
    FeedReader reader(bench.ctx, counting, caption, QLocale(QLocale::English, QLocale::UnitedStates));
    reader.setFeedID(GeneratedFeeds::FeedId(1));
    reader.setFeedDataUtf8(platform::DecodeDocumentToUtf8(file.readAll())); // as a fetch keeps it
    for (int pass = 0; pass < 2; ++pass) {
        reader.ParseRss(QString(), false);
        reader.MergeNewItems();
    }
    std::printf("%.1f %.1f %d\n", before, GeneratedFeeds::PeakMemoryMb(), counting.count());
    return 0;
}
