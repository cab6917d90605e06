#include "subscriptions/OpmlReader.h"

#include "common/Text.h"
#include "platform/TextCodec.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>

namespace Opml {
namespace {

QString attributeOf(const pugi::xml_node &node, const char *name)
{
    for (const pugi::xml_attribute &attribute : node.attributes()) {
        if (qstricmp(attribute.name(), name) == 0)
            return QString::fromUtf8(attribute.value());
    }
    return {};
}

bool isOutline(const pugi::xml_node &node)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), "outline") == 0;
}

// The URL of a feed outline; empty for a folder.
QString feedUrlOf(const pugi::xml_node &outline)
{
    return attributeOf(outline, "xmlUrl").trimmed();
}

// Text, else title, else the fallback: readers fill either, and some only the title.
QString nameOf(const pugi::xml_node &outline, const QString &fallback)
{
    for (const char *attribute : {"text", "title"}) {
        const QString name = attributeOf(outline, attribute);
        if (!Text::isBlank(name))
            return name;
    }
    return fallback;
}

FeedType typeOf(const pugi::xml_node &outline)
{
    if (attributeOf(outline, "marlowinType").compare(u"podcast", Qt::CaseInsensitive) == 0)
        return FeedType::Podcast;
    const QString type = attributeOf(outline, "type");
    if (type.compare(u"atom", Qt::CaseInsensitive) == 0)
        return FeedType::Atom;
    if (type.compare(u"podcast", Qt::CaseInsensitive) == 0)
        return FeedType::Podcast;
    return FeedType::Rss;
}

ListedFeed feedOf(const pugi::xml_node &outline, const QString &url)
{
    return {nameOf(outline, url), url, typeOf(outline)};
}

// Collects the feed outlines below a top-level outline. The walk is pugixml's own, which keeps
// no call stack per level: a file nested a million deep is read, not a crash.
class FeedCollector final : public pugi::xml_tree_walker {
public:
    explicit FeedCollector(std::vector<ListedFeed> &feeds)
        : m_feeds(feeds)
    {
    }

    bool for_each(pugi::xml_node &node) override
    {
        if (isOutline(node)) {
            const QString url = feedUrlOf(node);
            if (!url.isEmpty())
                m_feeds.push_back(feedOf(node, url));
        }
        return true;
    }

private:
    std::vector<ListedFeed> &m_feeds;
};

ListedFolder folderOf(pugi::xml_node outline)
{
    ListedFolder folder;
    const QString url = feedUrlOf(outline);
    if (url.isEmpty()) {
        folder.name = nameOf(outline, kLooseFeedsFolder);
    } else {
        folder.name = kLooseFeedsFolder;
        folder.feeds.push_back(feedOf(outline, url));
    }
    FeedCollector collector(folder.feeds);
    outline.traverse(collector);
    return folder;
}

int lineAt(const QByteArray &utf8, ptrdiff_t offset)
{
    const qsizetype end = std::clamp<qsizetype>(offset, 0, utf8.size());
    return int(std::count(utf8.cbegin(), utf8.cbegin() + end, '\n')) + 1;
}

bool isXmlBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

ReadResult refused(const QString &reason)
{
    ReadResult result;
    result.reason = reason;
    return result;
}

} // namespace

ReadResult readOpml(const QByteArray &bytes)
{
    const QByteArray utf8 = platform::decodeDocumentToUtf8(bytes);
    if (std::all_of(utf8.cbegin(), utf8.cend(), isXmlBlank))
        return refused(QStringLiteral("the file is empty"));

    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(
        utf8.constData(), size_t(utf8.size()), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed)
        return refused(QStringLiteral("it is not well-formed XML (%1 on line %2)")
                           .arg(QString::fromUtf8(parsed.description()))
                           .arg(lineAt(utf8, parsed.offset)));

    const pugi::xml_node root = document.document_element();
    if (std::strcmp(root.name(), "opml") != 0)
        return refused(QStringLiteral("its root element is <%1>, not <opml>")
                           .arg(QString::fromUtf8(root.name())));
    const pugi::xml_node body = root.child("body");
    if (!body)
        return refused(QStringLiteral("it has no <body> element"));

    ReadResult result;
    result.ok = true;
    for (const pugi::xml_node &outline : body.children()) {
        if (isOutline(outline))
            result.folders.push_back(folderOf(outline));
    }
    return result;
}

} // namespace Opml
