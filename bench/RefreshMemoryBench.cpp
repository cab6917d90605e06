// The update of one feed as the program runs it, from the fetched bytes on (read, merged,
// stored), in a process of its own with no widget libraries: its peak memory is the engine's.
// Prints the peak before and after and the items added. Started by reading_bench.
//
//   refresh_memory_bench FEED.xml

#include "BenchContext.h"
#include "GeneratedFeeds.h"

#include "platform/TextCodec.h"
#include "reading/FeedParser.h"
#include "reading/ItemStore.h"
#include "subscriptions/FeedsDatabase.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const double before = GeneratedFeeds::peakMemoryMb();
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    BenchContext bench;
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QString path = Feeds::feedDataPath(bench.ctx, GeneratedFeeds::feedId(1));
    const QByteArray document
        = platform::decodeDocumentToUtf8(file.readAll()); // as a fetch keeps it
    qsizetype added = 0;
    for (int pass = 0; pass < 2; ++pass) {
        const FeedParser::FeedContent content
            = FeedParser::parseFeed(QByteArrayView(document), english);
        added += ItemStore::merge(path, content.items, QDateTime::currentDateTime())
                     .merge.added.size();
    }
    std::printf("%.1f %.1f %lld\n", before, GeneratedFeeds::peakMemoryMb(),
                static_cast<long long>(added));
    return 0;
}
