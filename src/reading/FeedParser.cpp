#include "reading/FeedParser.h"

#include "common/Text.h"
#include "platform/XmlDocument.h"
#include "reading/ItemDate.h"
#include "reading/ItemIdentifier.h"
#include "subscriptions/FeedProbe.h"

#include <QLatin1StringView>

#include <algorithm>
#include <optional>

namespace FeedParser {
namespace {

// Positions in the item list are 16-bit, and so are the child counts that a document can hold
// under the channel, the feed or one item: children past this many are not looked at.
constexpr int kMaxChildren = 32767;

// Nothing but the white space XML knows: an empty answer, whichever form the text comes in.
// Other spaces (no-break, em) are text, so a document of them alone is no XML.
bool isXmlSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isBlankText(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return isXmlSpace(c.unicode()); });
}

bool isBlankText(QByteArrayView utf8)
{
    return std::all_of(utf8.cbegin(), utf8.cend(), [](char c) { return isXmlSpace(char16_t(c)); });
}

// The document, or the status that ends the parse before any element is looked at.
std::optional<ParseStatus> load(const QString &text, platform::XmlDocument &document)
{
    if (isBlankText(text))
        return ParseStatus::EmptyStream;
    if (!document.loadXML(text))
        return ParseStatus::InvalidXml;
    return std::nullopt;
}

std::optional<ParseStatus> load(QByteArrayView utf8, platform::XmlDocument &document)
{
    if (isBlankText(utf8))
        return ParseStatus::EmptyStream;
    if (!document.loadUtf8(utf8))
        return ParseStatus::InvalidXml;
    return std::nullopt;
}

// Calls visit(child, name) for the first kMaxChildren child nodes in document order.
template<typename Visit> void forEachChild(const platform::XmlNode &parent, Visit &&visit)
{
    const int count = std::min(parent.childCount(), kMaxChildren);
    for (int i = 0; i < count; ++i) {
        const platform::XmlNode node = parent.child(i);
        if (node.isElement())
            visit(node, node.name());
    }
}

void setDate(FeedItem &item, ItemDate date)
{
    item.day = std::move(date.day);
    item.month = std::move(date.month);
    item.year = std::move(date.year);
    item.time = std::move(date.time);
    item.utc = std::move(date.utc);
}

// Calls read(item element, record) for each direct child named itemName, up to kMaxItems.
template<typename Read>
QList<FeedItem> readItems(const platform::XmlNode &container, QLatin1StringView itemName,
                          Read &&read)
{
    // Counted first so that the list is allocated once, not moved as it grows.
    qsizetype count = 0;
    forEachChild(container, [&](const platform::XmlNode &, const QString &name) {
        count += name == itemName;
    });
    QList<FeedItem> items;
    items.reserve(std::min<qsizetype>(count, kMaxItems));
    forEachChild(container, [&](const platform::XmlNode &node, const QString &name) {
        if (items.size() < kMaxItems && name == itemName)
            read(node, items.emplaceBack());
    });
    ItemIdentifier::assignAll(items);
    return items;
}

// The text of an element that is shown and stored. A guid is neither: it only names its item,
// and keeps every character so that its item keeps its identifier.
QString shownText(const platform::XmlNode &element)
{
    return Text::withoutControlCharacters(element.text());
}

void readRssItem(const platform::XmlNode &element, FeedItem &item)
{
    static const QString url = QStringLiteral("url");
    forEachChild(element, [&item](const platform::XmlNode &child, const QString &name) {
        if (name == QLatin1StringView("title"))
            item.title = shownText(child);
        else if (name == QLatin1StringView("description"))
            item.description = shownText(child);
        else if (name == QLatin1StringView("link"))
            item.link = shownText(child);
        else if (name == QLatin1StringView("pubDate"))
            setDate(item, ItemDates::splitPubDate(child.text()));
        else if (name == QLatin1StringView("enclosure"))
            item.media = Text::withoutControlCharacters(child.attribute(url));
        else if (name == QLatin1StringView("guid"))
            item.guid = child.text().trimmed();
    });
}

// The href of the first link that points at the entry itself (rel "alternate" or none), else of
// the first link of any kind; links without an href do not count.
class AtomLinkChoice {
public:
    void consider(const platform::XmlNode &link)
    {
        static const QString href = QStringLiteral("href");
        static const QString rel = QStringLiteral("rel");
        if (m_haveAlternate)
            return;
        QString target = link.attribute(href);
        if (target.isEmpty())
            return;
        const QString relation = link.attribute(rel);
        if (relation.isEmpty() || relation == QLatin1StringView("alternate")) {
            m_chosen = std::move(target);
            m_haveAlternate = true;
        } else if (m_chosen.isEmpty()) {
            m_chosen = std::move(target);
        }
    }

    [[nodiscard]] QString chosen() const { return m_chosen; }

private:
    QString m_chosen;
    bool m_haveAlternate = false;
};

void readAtomEntry(const platform::XmlNode &element, FeedItem &item, const QLocale &locale)
{
    AtomLinkChoice link;
    forEachChild(element, [&](const platform::XmlNode &child, const QString &name) {
        if (name == QLatin1StringView("title"))
            item.title = shownText(child);
        else if (name == QLatin1StringView("content"))
            item.description = shownText(child);
        else if (name == QLatin1StringView("link"))
            link.consider(child);
        else if (name == QLatin1StringView("published"))
            setDate(item, ItemDates::splitPublished(child.text(), locale));
        else if (name == QLatin1StringView("id"))
            item.guid = child.text().trimmed();
    });
    item.link = Text::withoutControlCharacters(link.chosen());
}

} // namespace

namespace {

ParseResult readRssDocument(const platform::XmlDocument &document)
{
    const platform::XmlNode channel = document.selectSingleNode(QStringLiteral(".//rss/channel"));
    if (!channel)
        return {ParseStatus::WrongFeedType, {}};
    return {ParseStatus::Ok, readItems(channel, QLatin1StringView("item"), readRssItem)};
}

ParseResult readAtomDocument(const platform::XmlDocument &document, const QLocale &locale)
{
    const platform::XmlNode feed = document.selectSingleNode(QStringLiteral(".//feed"));
    if (!feed)
        return {ParseStatus::WrongFeedType, {}};
    return {ParseStatus::Ok,
            readItems(feed, QLatin1StringView("entry"),
                      [&locale](const platform::XmlNode &entry, FeedItem &item) {
                          readAtomEntry(entry, item, locale);
                      })};
}

template<typename Text> ParseResult readRss(const Text &text)
{
    platform::XmlDocument document;
    if (const auto failure = load(text, document))
        return {*failure, {}};
    return readRssDocument(document);
}

template<typename Text> ParseResult readAtom(const Text &text, const QLocale &locale)
{
    platform::XmlDocument document;
    if (const auto failure = load(text, document))
        return {*failure, {}};
    return readAtomDocument(document, locale);
}

} // namespace

FailureMessage messageFor(ParseStatus status, bool atom)
{
    switch (status) {
    case ParseStatus::Ok:
        break;
    case ParseStatus::EmptyStream:
        return {QStringLiteral("Invalid Server Response!"),
                QStringLiteral("Server returned empty data stream!")};
    case ParseStatus::InvalidXml:
        return {QStringLiteral("Invalid Data Format!"),
                QStringLiteral("Server returned Feed data in invalid XML format!")};
    case ParseStatus::WrongFeedType:
        return {QStringLiteral("Invalid Feed XML!"),
                QStringLiteral(
                    "Server returned invalid Feed XML! Either Feed Type is not %1 or Feed XML is "
                    "not well-formed.")
                    .arg(atom ? QStringLiteral("ATOM") : QStringLiteral("RSS"))};
    }
    return {};
}

ParseResult parseRss(const QString &text)
{
    return readRss(text);
}

ParseResult parseRss(QByteArrayView utf8)
{
    return readRss(utf8);
}

ParseResult parseAtom(const QString &text, const QLocale &locale)
{
    return readAtom(text, locale);
}

ParseResult parseAtom(QByteArrayView utf8, const QLocale &locale)
{
    return readAtom(utf8, locale);
}

FeedContent parseFeed(QByteArrayView utf8, const QLocale &locale)
{
    platform::XmlDocument document;
    if (const auto failure = load(utf8, document))
        return {*failure, FeedType::Unknown, {}};
    const FeedType type = FeedProbe::detectFeedType(document, nullptr);
    if (type == FeedType::Unknown)
        return {ParseStatus::WrongFeedType, FeedType::Unknown, {}};
    ParseResult result
        = type == FeedType::Atom ? readAtomDocument(document, locale) : readRssDocument(document);
    return {result.status, type, std::move(result.items)};
}

} // namespace FeedParser
