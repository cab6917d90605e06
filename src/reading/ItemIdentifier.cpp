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

QString DateKey(const FeedItem &item)
{
    return ItemStamp::ChronologicalKey(item);
}

Naming NamingOf(const FeedItem &item)
{
    if (!item.Guid.isEmpty())
        return {Basis::Guid, item.Guid};
    if (!item.Link.isEmpty())
        return {Basis::Link, item.Media.isEmpty() ? item.Link : item.Link + u'\n' + item.Media};
    if (!item.Media.isEmpty())
        return {Basis::Enclosure, item.Media};
    const QString date = DateKey(item);
    if (item.Title.isEmpty() && date.isEmpty())
        return {Basis::Content, u'\n' + item.Description};
    return {Basis::Content, item.Title + u'\n' + date};
}

// The key of an item that shares its identifier with a different item of the document.
QString DistinctKey(const Naming &naming, const FeedItem &item)
{
    return naming.key + u'\n' + item.Title + u'\n' + DateKey(item);
}

} // namespace

QString Digest(const QString &text)
{
    QByteArray bytes = platform::ToWindows1252(text);
    if (platform::FromWindows1252(bytes) != text)
        bytes = text.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

bool IsLegacyLinkIdentifier(const QString &id, const QString &link)
{
    return id
        == QLatin1String(
               QCryptographicHash::hash(platform::ToWindows1252(link), QCryptographicHash::Md5)
                   .toHex());
}

QString DistinctIdentifier(const FeedItem &item)
{
    return Digest(DistinctKey(NamingOf(item), item));
}

void AssignAll(QList<FeedItem> &items)
{
    std::vector<Naming> namings;
    namings.reserve(std::size_t(items.size()));
    QHash<QString, qsizetype> firstWithId;
    // Identifiers that items of the document share while being different items.
    QSet<QString> shared;
    for (qsizetype i = 0; i < items.size(); ++i) {
        FeedItem &item = items[i];
        namings.push_back(NamingOf(item));
        item.ID = Digest(namings.back().key);
        const auto first = firstWithId.constFind(item.ID);
        if (first == firstWithId.cend()) {
            firstWithId.insert(item.ID, i);
            continue;
        }
        const FeedItem &earlier = items.at(*first);
        const bool sameGuid = namings.back().basis == Basis::Guid
            && namings.at(std::size_t(*first)).basis == Basis::Guid;
        const bool alike = earlier.Title == item.Title && DateKey(earlier) == DateKey(item);
        if (!sameGuid && !alike)
            shared.insert(item.ID);
    }
    if (shared.isEmpty())
        return;
    for (qsizetype i = 0; i < items.size(); ++i) {
        FeedItem &item = items[i];
        const Naming &naming = namings.at(std::size_t(i));
        if (shared.contains(item.ID) && naming.basis != Basis::Guid)
            item.ID = Digest(DistinctKey(naming, item));
    }
}

} // namespace ItemIdentifier
