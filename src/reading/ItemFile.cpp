#include "reading/ItemFile.h"

#include "reading/FeedItem.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace {

const QString kData = QStringLiteral(".//data");
const QString kItems = QStringLiteral(".//data/items");
const QString kItem = QStringLiteral("item");
const QString kLatest = QStringLiteral("latest");

// Text made of blanks, tabs and line feeds alone is dropped when a document is parsed (a
// carriage return is written as a reference and survives). Storing such text as empty makes a
// saved file read back exactly as written, so saving it again gives the same bytes.
QString StorableText(const QString &text)
{
    const bool dropped = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\n';
    });
    return dropped ? QString() : text;
}

void AppendTextChild(platform::XmlDocument &doc, platform::XmlNode parent, const QString &name,
                     const QString &text)
{
    platform::XmlNode child = doc.createElement(name);
    child.setText(StorableText(text));
    parent.appendChild(child);
}

} // namespace

ItemFile::ItemFile(QString path) : m_path(std::move(path)) {}

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
    }
    latest.setText(stamp);
    return true;
}

bool ItemFile::appendItem(const FeedItem &item)
{
    if (!m_items)
        return false;
    platform::XmlNode element = m_doc.createElement(kItem);
    element.setAttribute(QStringLiteral("id"), item.ID);
    element.setAttribute(QStringLiteral("status"), QStringLiteral("0"));
    AppendTextChild(m_doc, element, QStringLiteral("title"), item.Title);
    AppendTextChild(m_doc, element, QStringLiteral("link"), item.Link);
    AppendTextChild(m_doc, element, QStringLiteral("date"), ItemDateText(item));
    AppendTextChild(m_doc, element, QStringLiteral("desc"), item.Description);
    AppendTextChild(m_doc, element, QStringLiteral("media"), item.Media);
    m_items.appendChild(element);
    return true;
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

QSet<QString> ItemFile::identifiers() const
{
    QSet<QString> ids;
    if (!m_items)
        return ids;
    for (const platform::XmlNode &child : m_items.children()) {
        if (child.name() == kItem)
            ids.insert(child.attributeValue(0));
    }
    return ids;
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

QString ItemDateText(const FeedItem &item)
{
    return item.Year + u'-' + item.Month + u'-' + item.Day + u'T' + item.Time;
}

ItemDate SplitItemDate(const QString &dateText)
{
    // The "T" that ends the date is looked for after the second "-": a month name may hold a
    // capital T of its own (Turkish "Tem", for one).
    const qsizetype firstDash = dateText.indexOf(u'-');
    const qsizetype secondDash = firstDash < 0 ? -1 : dateText.indexOf(u'-', firstDash + 1);
    const qsizetype separator = secondDash < 0 ? dateText.indexOf(u'T')
                                               : dateText.indexOf(u'T', secondDash + 1);

    const QString datePart = separator < 0 ? dateText : dateText.left(separator);
    const QStringList pieces = datePart.split(u'-');
    ItemDate date;
    date.Year = pieces.value(0);
    date.Month = pieces.value(1);
    date.Day = pieces.value(2);
    if (separator >= 0)
        date.Time = dateText.mid(separator + 1);
    return date;
}
