#include "subscriptions/OpmlWriter.h"

#include <QLocale>

#include <pugixml.hpp>

#include <cstdlib>

namespace Opml {
namespace {

class ByteArrayWriter final : public pugi::xml_writer {
public:
    void write(const void *data, size_t size) override
    {
        bytes.append(static_cast<const char *>(data), qsizetype(size));
    }
    QByteArray bytes;
};

void setAttribute(pugi::xml_node &node, const char *name, const QString &value)
{
    node.append_attribute(name).set_value(value.toUtf8().constData());
}

void setText(pugi::xml_node node, const QString &text)
{
    node.append_child(pugi::node_pcdata).set_value(text.toUtf8().constData());
}

void appendFeed(pugi::xml_node &folder, const ListedFeed &feed)
{
    pugi::xml_node outline = folder.append_child("outline");
    setAttribute(outline, "text", feed.name);
    setAttribute(outline, "title", feed.name);
    outline.append_attribute("type").set_value(feed.type == FeedType::Atom ? "atom" : "rss");
    setAttribute(outline, "xmlUrl", feed.url);
    // OPML knows no podcast type; readers that do not know this attribute see an RSS feed,
    // which is what a podcast is.
    if (feed.type == FeedType::Podcast)
        outline.append_attribute("marlowinType").set_value("podcast");
}

void appendFolder(pugi::xml_node &body, const ListedFolder &folder)
{
    pugi::xml_node outline = body.append_child("outline");
    setAttribute(outline, "text", folder.name);
    setAttribute(outline, "title", folder.name);
    for (const ListedFeed &feed : folder.feeds)
        appendFeed(outline, feed);
}

} // namespace

QString rfc822Date(const QDateTime &date)
{
    const int offsetMinutes = date.offsetFromUtc() / 60;
    const int magnitude = std::abs(offsetMinutes);
    return QLocale::c().toString(date, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss "))
        + (offsetMinutes < 0 ? u'-' : u'+')
        + QStringLiteral("%1%2")
              .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
              .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

QByteArray writeOpml(const std::vector<ListedFolder> &folders, const QDateTime &created)
{
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");

    pugi::xml_node opml = document.append_child("opml");
    opml.append_attribute("version").set_value("2.0");
    pugi::xml_node head = opml.append_child("head");
    setText(head.append_child("title"), QStringLiteral("Marlowin subscriptions"));
    setText(head.append_child("dateCreated"), rfc822Date(created));
    pugi::xml_node body = opml.append_child("body");
    for (const ListedFolder &folder : folders)
        appendFolder(body, folder);

    ByteArrayWriter writer;
    document.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
    return writer.bytes;
}

} // namespace Opml
