// Any bytes as a fetched feed: decoded as a response is decoded, recognised as the feed probe
// recognises it, and read by both parsers, from the decoded text and from the same text kept as
// UTF-8, which must give the same result.

#include "DatedItem.h"
#include "FuzzCheck.h"
#include "platform/TextCodec.h"
#include "platform/XmlDocument.h"
#include "reading/FeedParser.h"
#include "subscriptions/FeedProbe.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

void CheckItems(const FeedParser::ParseResult &result, const QLocale &locale)
{
    if (result.status != FeedParser::ParseStatus::Ok)
        return;
    FUZZ_CHECK(result.items.size() <= FeedParser::kMaxItems);
    for (const FeedItem &item : result.items) {
        FUZZ_CHECK(item.ID.size() == 32);
        CheckDate(item, locale);
    }
}

bool SameItem(const FeedItem &a, const FeedItem &b)
{
    return a.Title == b.Title && a.Link == b.Link && a.Day == b.Day && a.Month == b.Month
        && a.Year == b.Year && a.Time == b.Time && a.Description == b.Description
        && a.Media == b.Media && a.ID == b.ID && a.Guid == b.Guid && a.Utc == b.Utc;
}

void CheckSame(const FeedParser::ParseResult &a, const FeedParser::ParseResult &b)
{
    FUZZ_CHECK(a.status == b.status);
    FUZZ_CHECK(a.items.size() == b.items.size());
    for (qsizetype i = 0; i < a.items.size(); ++i)
        FUZZ_CHECK(SameItem(a.items[i], b.items[i]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    const QString text = platform::DecodeDocument(bytes);

    platform::XmlDocument document;
    if (document.loadXML(text)) {
        QString title;
        const qint16 type = FeedProbe::DetectFeedType(document, &title);
        FUZZ_CHECK(type >= -1 && type <= 2);
    }
    const FeedParser::ParseResult rss = FeedParser::ParseRss(text);
    const FeedParser::ParseResult atom = FeedParser::ParseAtom(text, english);
    CheckItems(rss, english);
    CheckItems(atom, english);

    const QByteArray utf8 = text.toUtf8();
    CheckSame(rss, FeedParser::ParseRss(QByteArrayView(utf8)));
    CheckSame(atom, FeedParser::ParseAtom(QByteArrayView(utf8), english));
    return 0;
}
