#include "reading/ItemIdentifier.h"

#include "platform/TextCodec.h"
#include "reading/ItemStamp.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>

#include <vector>

namespace ItemIdentifier {
namespace {

enum class Basis { Guid, Link, Enclosure, Content };

struct Naming {
    Basis basis = Basis::Content;
    QString key;
};

QString dateKey(const FeedItem &item)
{
    return ItemStamp::chronologicalKey(item);
}

Naming namingOf(const FeedItem &item)
{
    if (!item.guid.isEmpty())
        return {Basis::Guid, item.guid};
    if (!item.link.isEmpty())
        return {Basis::Link, item.media.isEmpty() ? item.link : item.link + u'\n' + item.media};
    if (!item.media.isEmpty())
        return {Basis::Enclosure, item.media};
    const QString date = dateKey(item);
    if (item.title.isEmpty() && date.isEmpty())
        return {Basis::Content, u'\n' + item.description};
    return {Basis::Content, item.title + u'\n' + date};
}

// The key of an item that shares its identifier with a different item of the document.
QString distinctKey(const Naming &naming, const FeedItem &item)
{
    return naming.key + u'\n' + item.title + u'\n' + dateKey(item);
}

} // namespace

QString digest(const QString &text)
{
    QByteArray bytes = platform::toWindows1252(text);
    if (platform::fromWindows1252(bytes) != text)
        bytes = text.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

bool isLegacyLinkIdentifier(const QString &id, const QString &link)
{
    return id
        == QLatin1String(
               QCryptographicHash::hash(platform::toWindows1252(link), QCryptographicHash::Md5)
                   .toHex());
}

QString distinctIdentifier(const FeedItem &item)
{
    return digest(distinctKey(namingOf(item), item));
}

QString ownIdentifier(const FeedItem &item)
{
    return digest(namingOf(item).key);
}

void assignAll(QList<FeedItem> &items)
{
    std::vector<Naming> namings;
    namings.reserve(std::size_t(items.size()));
    QHash<QString, qsizetype> firstWithId;
    // Identifiers that items of the document share while being different items.
    QSet<QString> shared;
    for (qsizetype i = 0; i < items.size(); ++i) {
        FeedItem &item = items[i];
        namings.push_back(namingOf(item));
        item.id = digest(namings.back().key);
        const auto first = firstWithId.constFind(item.id);
        if (first == firstWithId.cend()) {
            firstWithId.insert(item.id, i);
            continue;
        }
        const FeedItem &earlier = items.at(*first);
        const bool sameGuid = namings.back().basis == Basis::Guid
            && namings.at(std::size_t(*first)).basis == Basis::Guid;
        const bool alike = earlier.title == item.title && dateKey(earlier) == dateKey(item);
        if (!sameGuid && !alike)
            shared.insert(item.id);
    }
    if (shared.isEmpty())
        return;
    for (qsizetype i = 0; i < items.size(); ++i) {
        FeedItem &item = items[i];
        const Naming &naming = namings.at(std::size_t(i));
        if (shared.contains(item.id) && naming.basis != Basis::Guid)
            item.id = digest(distinctKey(naming, item));
    }
}

} // namespace ItemIdentifier
