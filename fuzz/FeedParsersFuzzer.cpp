// Any bytes as a fetched feed: decoded as a response is decoded, recognised as the feed probe
// recognises it, and read by both parsers, from the decoded text and from the same text kept as
// UTF-8, which must give the same result, as must reading it as a fetch reads it. What is shown
// of an item holds no control characters.

#include "DatedItem.h"
#include "FuzzCheck.h"
#include "common/FeedType.h"
#include "common/Text.h"
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

void checkItems(const FeedParser::ParseResult &result, const QLocale &locale)
{
    if (result.status != FeedParser::ParseStatus::Ok)
        return;
    FUZZ_CHECK(result.items.size() <= FeedParser::kMaxItems);
    for (const FeedItem &item : result.items) {
        FUZZ_CHECK(item.id.size() == 32);
        checkDate(item, locale);
        for (const QString *shown : {&item.title, &item.link, &item.description, &item.media})
            FUZZ_CHECK(*shown == Text::withoutControlCharacters(*shown));
    }
}

bool sameItem(const FeedItem &a, const FeedItem &b)
{
    return a.title == b.title && a.link == b.link && a.day == b.day && a.month == b.month
        && a.year == b.year && a.time == b.time && a.description == b.description
        && a.media == b.media && a.id == b.id && a.guid == b.guid && a.utc == b.utc;
}

void checkSame(const FeedParser::ParseResult &a, const FeedParser::ParseResult &b)
{
    FUZZ_CHECK(a.status == b.status);
    FUZZ_CHECK(a.items.size() == b.items.size());
    for (qsizetype i = 0; i < a.items.size(); ++i)
        FUZZ_CHECK(sameItem(a.items[i], b.items[i]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    const QString text = platform::decodeDocument(bytes);

    platform::XmlDocument document;
    if (document.loadXML(text)) {
        QString title;
        const FeedType type = FeedProbe::detectFeedType(document, &title);
        FUZZ_CHECK(storedNumber(type) >= -1 && storedNumber(type) <= 2);
    }
    const FeedParser::ParseResult rss = FeedParser::parseRss(text);
    const FeedParser::ParseResult atom = FeedParser::parseAtom(text, english);
    checkItems(rss, english);
    checkItems(atom, english);

    const QByteArray utf8 = text.toUtf8();
    checkSame(rss, FeedParser::parseRss(QByteArrayView(utf8)));
    checkSame(atom, FeedParser::parseAtom(QByteArrayView(utf8), english));

    // What a fetch does: the kind the document says it is, read by its parser.
    const FeedParser::FeedContent content = FeedParser::parseFeed(QByteArrayView(utf8), english);
    if (content.type == FeedType::Atom)
        checkSame(atom, {content.status, content.items});
    else if (content.type != FeedType::Unknown)
        checkSame(rss, {content.status, content.items});
    return 0;
}
