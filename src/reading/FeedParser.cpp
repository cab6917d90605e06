#include "reading/FeedParser.h"

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

bool IsBlankText(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

bool IsBlankText(QByteArrayView utf8)
{
    return std::all_of(utf8.cbegin(), utf8.cend(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

// The document, or the status that ends the parse before any element is looked at.
std::optional<ParseStatus> Load(const QString &text, platform::XmlDocument &document)
{
    if (IsBlankText(text))
        return ParseStatus::EmptyStream;
    if (!document.loadXML(text))
        return ParseStatus::InvalidXml;
    return std::nullopt;
}

std::optional<ParseStatus> Load(QByteArrayView utf8, platform::XmlDocument &document)
{
    if (IsBlankText(utf8))
        return ParseStatus::EmptyStream;
    if (!document.loadUtf8(utf8))
        return ParseStatus::InvalidXml;
    return std::nullopt;
}

// Calls visit(child, name) for the first kMaxChildren child nodes in document order.
template <typename Visit>
void ForEachChild(const platform::XmlNode &parent, Visit &&visit)
{
    const int count = std::min(parent.childCount(), kMaxChildren);
    for (int i = 0; i < count; ++i) {
        const platform::XmlNode node = parent.child(i);
        if (node.isElement())
            visit(node, node.name());
    }
}

void SetDate(FeedItem &item, ItemDate date)
{
    item.Day = std::move(date.Day);
    item.Month = std::move(date.Month);
    item.Year = std::move(date.Year);
    item.Time = std::move(date.Time);
    item.Utc = std::move(date.Utc);
}

// Calls read(item element, record) for each direct child named itemName, up to kMaxItems.
template <typename Read>
QList<FeedItem> ReadItems(const platform::XmlNode &container, QLatin1StringView itemName, Read &&read)
{
    // Counted first so that the list is allocated once, not moved as it grows.
    qsizetype count = 0;
    ForEachChild(container, [&](const platform::XmlNode &, const QString &name) {
        count += name == itemName;
    });
    QList<FeedItem> items;
    items.reserve(std::min<qsizetype>(count, kMaxItems));
    ForEachChild(container, [&](const platform::XmlNode &node, const QString &name) {
        if (items.size() < kMaxItems && name == itemName)
            read(node, items.emplaceBack());
    });
    ItemIdentifier::AssignAll(items);
    return items;
}

void ReadRssItem(const platform::XmlNode &element, FeedItem &item)
{
    ForEachChild(element, [&item](const platform::XmlNode &child, const QString &name) {
        if (name == QLatin1StringView("title"))
            item.Title = child.text();
        else if (name == QLatin1StringView("description"))
            item.Description = child.text();
        else if (name == QLatin1StringView("link"))
            item.Link = child.text();
        else if (name == QLatin1StringView("pubDate"))
            SetDate(item, ItemDates::SplitPubDate(child.text()));
        else if (name == QLatin1StringView("enclosure"))
            item.Media = child.attributeValue(0);
        else if (name == QLatin1StringView("guid"))
            item.Guid = child.text().trimmed();
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

void ReadAtomEntry(const platform::XmlNode &element, FeedItem &item, const QLocale &locale)
{
    AtomLinkChoice link;
    ForEachChild(element, [&](const platform::XmlNode &child, const QString &name) {
        if (name == QLatin1StringView("title"))
            item.Title = child.text();
        else if (name == QLatin1StringView("content"))
            item.Description = child.text();
        else if (name == QLatin1StringView("link"))
            link.consider(child);
        else if (name == QLatin1StringView("published"))
            SetDate(item, ItemDates::SplitPublished(child.text(), locale));
        else if (name == QLatin1StringView("id"))
            item.Guid = child.text().trimmed();
    });
    item.Link = link.chosen();
}

} // namespace

namespace {

ParseResult ReadRssDocument(const platform::XmlDocument &document)
{
    const platform::XmlNode channel = document.selectSingleNode(QStringLiteral(".//rss/channel"));
    if (!channel)
        return {ParseStatus::WrongFeedType, {}};
    return {ParseStatus::Ok, ReadItems(channel, QLatin1StringView("item"), ReadRssItem)};
}

ParseResult ReadAtomDocument(const platform::XmlDocument &document, const QLocale &locale)
{
    const platform::XmlNode feed = document.selectSingleNode(QStringLiteral(".//feed"));
    if (!feed)
        return {ParseStatus::WrongFeedType, {}};
    return {ParseStatus::Ok,
            ReadItems(feed, QLatin1StringView("entry"),
                      [&locale](const platform::XmlNode &entry, FeedItem &item) {
                          ReadAtomEntry(entry, item, locale);
                      })};
}

template <typename Text>
ParseResult ReadRss(const Text &text)
{
    platform::XmlDocument document;
    if (const auto failure = Load(text, document))
        return {*failure, {}};
    return ReadRssDocument(document);
}

template <typename Text>
ParseResult ReadAtom(const Text &text, const QLocale &locale)
{
    platform::XmlDocument document;
    if (const auto failure = Load(text, document))
        return {*failure, {}};
    return ReadAtomDocument(document, locale);
}

} // namespace

FailureMessage MessageFor(ParseStatus status, bool atom)
{
    switch (status) {
    case ParseStatus::Ok:
        break;
    case ParseStatus::EmptyStream:
        return {QStringLiteral("Invalid Server Response!"), QStringLiteral("Server returned empty data stream!")};
    case ParseStatus::InvalidXml:
        return {QStringLiteral("Invalid Data Format!"),
                QStringLiteral("Server returned Feed data in invalid XML format!")};
    case ParseStatus::WrongFeedType:
        return {QStringLiteral("Invalid Feed XML!"),
                QStringLiteral("Server returned invalid Feed XML! Either Feed Type is not %1 or Feed XML is "
                               "not well-formed.")
                    .arg(atom ? QStringLiteral("ATOM") : QStringLiteral("RSS"))};
    }
    return {};
}

ParseResult ParseRss(const QString &text)
{
    return ReadRss(text);
}

ParseResult ParseRss(QByteArrayView utf8)
{
    return ReadRss(utf8);
}

ParseResult ParseAtom(const QString &text, const QLocale &locale)
{
    return ReadAtom(text, locale);
}

ParseResult ParseAtom(QByteArrayView utf8, const QLocale &locale)
{
    return ReadAtom(utf8, locale);
}

FeedContent ParseFeed(QByteArrayView utf8, const QLocale &locale)
{
    platform::XmlDocument document;
    if (const auto failure = Load(utf8, document))
        return {*failure, kUnknownType, {}};
    const qint16 type = FeedProbe::DetectFeedType(document, nullptr);
    if (type == kUnknownType)
        return {ParseStatus::WrongFeedType, kUnknownType, {}};
    ParseResult result = type == kAtomType ? ReadAtomDocument(document, locale) : ReadRssDocument(document);
    return {result.status, type, std::move(result.items)};
}

} // namespace FeedParser
