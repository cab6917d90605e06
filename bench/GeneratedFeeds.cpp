#include "GeneratedFeeds.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

namespace GeneratedFeeds {
namespace {

const char *const kMonths[]
    = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char *const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

// Deterministic filler text of about the length of a real item's description.
QString paragraph(int seed, int length)
{
    static const QStringList words
        = QStringLiteral(
              "feed reader news update release council market weather science report city "
              "harbour river station research museum library festival season garden engine")
              .split(QLatin1Char(' '));
    QString text;
    quint32 state = quint32(seed) * 2654435761u + 1u;
    while (text.size() < length) {
        state = state * 1664525u + 1013904223u;
        text += words.at(int(state >> 16) % words.size()) + QLatin1Char(' ');
    }
    return text;
}

// Item i of a feed, newest first: item 0 is the newest.
struct Generated {
    QString title, link, description, pubDate, isoDate;
};

Generated item(int feed, int i, int count)
{
    // One item an hour, the newest on the first of December 2026.
    const QDateTime published
        = QDateTime(QDate(2026, 12, 1), QTime(12, (feed * 7) % 60, 7), Qt::UTC)
              .addSecs(-3600LL * i);
    const QDate date = published.date();
    const QTime time = published.time();
    Generated g;
    g.title = QStringLiteral("Item %1 of feed %2: %3")
                  .arg(count - i)
                  .arg(feed)
                  .arg(paragraph(i, 40).trimmed());
    g.link = QStringLiteral("https://news%1.example.org/%2/story-%3.html")
                 .arg(feed)
                 .arg(date.year())
                 .arg(count - i);
    g.description
        = QStringLiteral(
              "&lt;p&gt;%1&lt;/p&gt;&lt;p&gt;&lt;a href=\"%2\"&gt;Read more&lt;/a&gt;&lt;/p&gt;")
              .arg(paragraph(i + feed * 1000, 330).trimmed(), g.link);
    g.pubDate = QStringLiteral("%1, %2 %3 %4 %5 GMT")
                    .arg(QLatin1String(kDays[date.dayOfWeek() - 1]))
                    .arg(date.day(), 2, 10, QLatin1Char('0'))
                    .arg(QLatin1String(kMonths[date.month() - 1]))
                    .arg(date.year())
                    .arg(time.toString(QStringLiteral("HH:mm:ss")));
    g.isoDate = published.toString(Qt::ISODate);
    return g;
}

} // namespace

QString rssFeed(int feed, int count)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
                                 "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel>\n"
                                 "<title>Feed %1</title><link>https://news%1.example.org/</link>"
                                 "<description>Generated</description>\n")
                      .arg(feed);
    for (int i = 0; i < count; ++i) {
        const Generated g = item(feed, i, count);
        xml += QStringLiteral(
                   "<item>\n  <title>%1</title>\n  <link>%2</link>\n"
                   "  <guid isPermaLink=\"true\">%2</guid>\n  <dc:creator>Desk</dc:creator>\n"
                   "  <category>News</category>\n  <pubDate>%3</pubDate>\n"
                   "  <description>%4</description>\n</item>\n")
                   .arg(g.title, g.link, g.pubDate, g.description);
    }
    return xml + QStringLiteral("</channel></rss>\n");
}

QString atomFeed(int feed, int count)
{
    QString xml
        = QStringLiteral(
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed "
              "xmlns=\"http://www.w3.org/2005/Atom\">\n"
              "<title>Feed %1</title><id>urn:feed:%1</id><updated>2026-12-01T00:00:00Z</updated>\n")
              .arg(feed);
    for (int i = 0; i < count; ++i) {
        const Generated g = item(feed, i, count);
        xml += QStringLiteral(
                   "<entry>\n  <title>%1</title>\n  <link rel=\"alternate\" type=\"text/html\" "
                   "href=\"%2\"/>\n"
                   "  <id>%2</id>\n  <published>%3</published>\n  <updated>%3</updated>\n"
                   "  <author><name>Desk</name></author>\n  <content "
                   "type=\"html\">%4</content>\n</entry>\n")
                   .arg(g.title, g.link, g.isoDate, g.description);
    }
    return xml + QStringLiteral("</feed>\n");
}

QString feedId(int n)
{
    return QStringLiteral("00000000-0000-0000-0000-%1").arg(n, 12, 10, QLatin1Char('0'));
}

double peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

} // namespace GeneratedFeeds
