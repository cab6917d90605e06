#include "reading/ItemFile.h"

#include "common/Text.h"
#include "reading/FeedItem.h"
#include "reading/ItemStamp.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace {

const QString kData = QStringLiteral(".//data");
const QString kItems = QStringLiteral(".//data/items");
const QString kItem = QStringLiteral("item");
const QString kLatest = QStringLiteral("latest");
const QString kDeleted = QStringLiteral("deleted");
const QString kUtc = QStringLiteral("utc");
const QString kServedFormat = QStringLiteral("yyyy-MM-dd");

// Positions of an item's children, as every reader takes them.
enum Child { Title, Link, Date, Desc, Media };

// Whether the date text alone, read back, would not give the item's UTC time: the zone was
// other than UTC.
bool needsUtc(const FeedItem &item)
{
    return !item.utc.isEmpty() && item.utc != ItemStamp::chronologicalKey(item);
}

void appendTextChild(platform::XmlDocument &doc, platform::XmlNode parent, const QString &name,
                     const QString &text)
{
    platform::XmlNode child = doc.createElement(name);
    child.setText(ItemFile::storableText(text));
    parent.appendChild(child);
}

} // namespace

ItemFile::ItemFile(QString path)
    : m_path(std::move(path))
{
}

bool ItemFile::exists() const
{
    return !m_path.isEmpty() && QFileInfo(m_path).isFile();
}

ItemFile::State ItemFile::load()
{
    m_items = {};
    if (!exists()) {
        m_state = State::Missing;
        return m_state;
    }
    return adopt(m_doc.load(m_path));
}

ItemFile::State ItemFile::loadOrStart(QStringView newDocument)
{
    if (m_path.isEmpty() || exists())
        return load();
    m_items = {};
    return adopt(m_doc.loadXML(newDocument.toString()));
}

ItemFile::State ItemFile::adopt(bool parsed)
{
    if (!parsed) {
        m_state = State::NotXml;
        return m_state;
    }
    m_items = m_doc.selectSingleNode(kItems);
    m_state = m_items ? State::Loaded : State::NoItems;
    return m_state;
}

platform::XmlNode ItemFile::data() const
{
    return m_doc.selectSingleNode(kData);
}

void ItemFile::addItemsElement()
{
    platform::XmlNode parent = data();
    if (!parent || m_items)
        return;
    const std::vector<platform::XmlNode> others = parent.children();
    m_items = parent.appendChild(m_doc.createElement(QStringLiteral("items")));
    for (const platform::XmlNode &other : others)
        parent.appendChild(other);
    m_state = State::Loaded;
}

platform::XmlNode ItemFile::latestNode() const
{
    return m_doc.selectSingleNode(QStringLiteral(".//data/latest"));
}

bool ItemFile::setLatest(const QString &stamp)
{
    platform::XmlNode latest = latestNode();
    if (!latest) {
        platform::XmlNode parent = data();
        if (!parent)
            return false;
        latest = parent.appendChild(m_doc.createElement(kLatest));
        // The record of deleted items stays after latest.
        if (platform::XmlNode record = m_doc.selectSingleNode(QStringLiteral(".//data/deleted")))
            parent.appendChild(record);
    }
    latest.setText(stamp);
    return true;
}

bool ItemFile::appendItem(const FeedItem &item)
{
    if (!m_items)
        return false;
    platform::XmlNode element = m_doc.createElement(kItem);
    element.setAttribute(QStringLiteral("id"), item.id);
    element.setAttribute(QStringLiteral("status"), QStringLiteral("0"));
    appendTextChild(m_doc, element, QStringLiteral("title"), item.title);
    appendTextChild(m_doc, element, QStringLiteral("link"), item.link);
    appendTextChild(m_doc, element, QStringLiteral("date"), itemDateText(item));
    appendTextChild(m_doc, element, QStringLiteral("desc"), item.description);
    appendTextChild(m_doc, element, QStringLiteral("media"), item.media);
    if (needsUtc(item))
        element.setAttribute(kUtc, item.utc);
    m_items.appendChild(element);
    return true;
}

// A carriage return is written as a reference and survives a parse, so only blanks, tabs and
// line feeds count.
QString ItemFile::storableText(const QString &text)
{
    QString storable = Text::withoutControlCharacters(text);
    const bool dropped = std::all_of(storable.cbegin(), storable.cend(),
                                     [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; });
    return dropped ? QString() : storable;
}

FeedItem ItemFile::storedItem(const platform::XmlNode &item)
{
    FeedItem stored;
    stored.id = item.attributeValue(0);
    stored.utc = item.attribute(kUtc);
    for (const platform::XmlNode &child : item.children()) {
        const QString name = child.name();
        if (name == u"title") {
            stored.title = child.text();
        } else if (name == u"link") {
            stored.link = child.text();
        } else if (name == u"desc") {
            stored.description = child.text();
        } else if (name == u"media") {
            stored.media = child.text();
        } else if (name == u"date") {
            const ItemDate date = splitItemDate(child.text());
            stored.year = date.year;
            stored.month = date.month;
            stored.day = date.day;
            stored.time = date.time;
        }
    }
    return stored;
}

void ItemFile::setIdentifier(platform::XmlNode item, const QString &id)
{
    item.setAttribute(item.attributeName(0), id);
}

bool ItemFile::updateItem(platform::XmlNode item, const FeedItem &stored, const FeedItem &from)
{
    bool changed = false;
    const auto update = [&](Child position, const QString &text) {
        platform::XmlNode child = item.child(position);
        const QString storable = storableText(text);
        if (child && child.text() != storable) {
            child.setText(storable);
            changed = true;
        }
    };
    update(Title, from.title);
    update(Link, from.link);
    if (ItemStamp::sortKey(stored) != ItemStamp::sortKey(from)) {
        update(Date, itemDateText(from));
        if (needsUtc(from))
            item.setAttribute(kUtc, from.utc);
        else
            item.removeAttribute(kUtc);
        changed = true;
    }
    update(Desc, from.description);
    update(Media, from.media);
    return changed;
}

std::optional<ItemFile::DeletionRecord> ItemFile::deletionRecord() const
{
    const platform::XmlNode element = m_doc.selectSingleNode(QStringLiteral(".//data/deleted"));
    if (!element)
        return std::nullopt;
    DeletionRecord record;
    record.complete = element.attribute(QStringLiteral("legacy")).isEmpty();
    for (const platform::XmlNode &entry : element.children()) {
        if (entry.isElement())
            record.items.append(
                {entry.text(),
                 QDate::fromString(entry.attribute(QStringLiteral("served")), kServedFormat)});
    }
    return record;
}

bool ItemFile::setDeletionRecord(const DeletionRecord &record)
{
    platform::XmlNode parent = data();
    if (!parent)
        return false;
    if (platform::XmlNode old = m_doc.selectSingleNode(QStringLiteral(".//data/deleted")))
        old.parent().removeChild(old);
    platform::XmlNode element = parent.appendChild(m_doc.createElement(kDeleted));
    if (!record.complete)
        element.setAttribute(QStringLiteral("legacy"), QStringLiteral("1"));
    for (const DeletedItem &item : record.items) {
        platform::XmlNode entry = element.appendChild(m_doc.createElement(QStringLiteral("id")));
        entry.setAttribute(QStringLiteral("served"), item.served.toString(kServedFormat));
        entry.setText(item.id);
    }
    return true;
}

bool ItemFile::recordDeleted(const QString &id, const QDate &served)
{
    DeletionRecord record = deletionRecord().value_or(DeletionRecord{false, {}});
    const auto known = std::find_if(record.items.begin(), record.items.end(),
                                    [&id](const DeletedItem &item) { return item.id == id; });
    if (known != record.items.end())
        known->served = served;
    else
        record.items.append({id, served});
    return setDeletionRecord(record);
}

platform::XmlNode ItemFile::findItem(const QString &id) const
{
    if (!m_items)
        return {};
    for (const platform::XmlNode &child : m_items.children()) {
        if (child.name() == kItem && child.attributeValue(0) == id)
            return child;
    }
    return {};
}

bool ItemFile::save(QString *error) const
{
    if (m_path.isEmpty()) {
        if (error)
            *error = QStringLiteral("The feed has no item file.");
        return false;
    }
    return m_doc.save(m_path, error);
}

QString itemDateText(const FeedItem &item)
{
    return item.year + u'-' + item.month + u'-' + item.day + u'T' + item.time;
}

ItemDate splitItemDate(const QString &dateText)
{
    // The "T" that ends the date is looked for after the second "-": a month name may hold a
    // capital T of its own (Turkish "Tem", for one).
    const qsizetype firstDash = dateText.indexOf(u'-');
    const qsizetype secondDash = firstDash < 0 ? -1 : dateText.indexOf(u'-', firstDash + 1);
    const qsizetype separator
        = secondDash < 0 ? dateText.indexOf(u'T') : dateText.indexOf(u'T', secondDash + 1);

    const QString datePart = separator < 0 ? dateText : dateText.left(separator);
    const QStringList pieces = datePart.split(u'-');
    ItemDate date;
    date.year = pieces.value(0);
    date.month = pieces.value(1);
    date.day = pieces.value(2);
    if (separator >= 0)
        date.time = dateText.mid(separator + 1);
    return date;
}
