#include "reading/ItemMerge.h"

#include "reading/ItemFile.h"
#include "reading/ItemIdentifier.h"
#include "reading/ItemStamp.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <vector>

namespace {

struct StoredEntry {
    platform::XmlNode node;
    FeedItem item;
    bool claimed = false;
};

// The stored items, and the positions of those under each identifier and each link.
class StoredItems {
public:
    explicit StoredItems(const ItemFile &file)
    {
        if (!file.items())
            return;
        for (const platform::XmlNode &node : file.items().children()) {
            if (node.name() != u"item")
                continue;
            m_byId[node.attributeValue(0)].append(m_entries.size());
            m_entries.push_back({node, ItemFile::storedItem(node)});
            m_byLink[ItemFile::storableText(m_entries.back().item.link)].append(m_entries.size()
                                                                                - 1);
        }
    }

    // The first unclaimed entry under the identifier; null when there is none.
    [[nodiscard]] StoredEntry *withId(const QString &id)
    {
        return firstUnclaimed(m_byId.value(id));
    }
    [[nodiscard]] QList<StoredEntry *> withLink(const QString &link)
    {
        QList<StoredEntry *> found;
        for (const qsizetype index : m_byLink.value(link)) {
            if (!m_entries[std::size_t(index)].claimed)
                found.append(&m_entries[std::size_t(index)]);
        }
        return found;
    }

private:
    StoredEntry *firstUnclaimed(const QList<qsizetype> &indexes)
    {
        for (const qsizetype index : indexes) {
            if (!m_entries[std::size_t(index)].claimed)
                return &m_entries[std::size_t(index)];
        }
        return nullptr;
    }

    std::vector<StoredEntry> m_entries;
    QHash<QString, QList<qsizetype>> m_byId;
    QHash<QString, QList<qsizetype>> m_byLink;
};

bool sameTitleAndDate(const FeedItem &stored, const FeedItem &served)
{
    return ItemFile::storableText(stored.title) == ItemFile::storableText(served.title)
        && ItemStamp::chronologicalKey(stored) == ItemStamp::chronologicalKey(served);
}

// The record of deleted items as the merge keeps it, with the days it notes.
class Record {
public:
    Record(const ItemFile &file, const QDate &today)
        : m_today(today)
    {
        const std::optional<ItemFile::DeletionRecord> record = file.deletionRecord();
        m_legacy = !record || !record->complete;
        m_changed = m_legacy; // the first merge completes the record
        if (record)
            m_record = *record;
        m_record.complete = true;
        for (qsizetype i = 0; i < m_record.items.size(); ++i)
            m_index.insert(m_record.items.at(i).id, i);
    }

    // Whether the file was written by an earlier version (or a delete before its first merge).
    [[nodiscard]] bool legacy() const { return m_legacy; }
    [[nodiscard]] bool contains(const QString &id) const { return m_index.contains(id); }

    void add(const QString &id)
    {
        m_index.insert(id, m_record.items.size());
        m_record.items.append({id, m_today});
        m_changed = true;
    }

    // Notes which deleted items the feed still serves, and forgets those it has not served for
    // long.
    void review(const QSet<QString> &served)
    {
        QList<ItemFile::DeletedItem> kept;
        for (ItemFile::DeletedItem item : std::as_const(m_record.items)) {
            const bool stale
                = !item.served.isValid() || item.served.daysTo(m_today) >= kNoteServedEveryDays;
            if (served.contains(item.id)) {
                if (stale) {
                    item.served = m_today;
                    m_changed = true;
                }
            } else if (!item.served.isValid()
                       || item.served.daysTo(m_today) > kForgetDeletedAfterDays) {
                m_changed = true;
                continue;
            }
            kept.append(item);
        }
        m_record.items = kept;
    }

    // Writes the record when it changed; whether it did.
    bool writeTo(ItemFile &file) const { return m_changed && file.setDeletionRecord(m_record); }

private:
    QDate m_today;
    ItemFile::DeletionRecord m_record;
    QHash<QString, qsizetype> m_index;
    bool m_legacy = false;
    bool m_changed = false;
};

// The newest of the stored latest and the dates of the items, as latest holds it.
QString newestKey(const QString &latest, const QList<FeedItem> &added,
                  const QList<FeedItem> &updated)
{
    QString newest = ItemStamp::keyOfStamp(latest);
    for (const QList<FeedItem> *items : {&added, &updated}) {
        for (const FeedItem &item : *items)
            newest = std::max(newest, ItemStamp::chronologicalKey(item));
    }
    return newest;
}

} // namespace

MergeResult mergeItems(ItemFile &file, const QList<FeedItem> &items, const QDate &today)
{
    MergeResult result;
    StoredItems stored(file);
    Record record(file, today);
    const platform::XmlNode latestNode = file.latestNode();
    const QString latest = latestNode ? latestNode.text() : QString();
    // Items an earlier version's file lacks that are no newer than its latest were deleted.
    const QString deletedUpTo = record.legacy() ? ItemStamp::keyOfStamp(latest) : QString();

    const auto keep = [&](StoredEntry &entry, const FeedItem &item) {
        entry.claimed = true;
        if (entry.item.id != item.id) {
            ItemFile::setIdentifier(entry.node, item.id);
            result.renamed.append({entry.item.id, item.id});
            result.changed = true;
        }
        if (ItemFile::updateItem(entry.node, entry.item, item)) {
            result.updated.append(ItemFile::storedItem(entry.node));
            result.changed = true;
        }
    };

    // The document's items, each identifier once, in document order.
    QSet<QString> served;
    QList<const FeedItem *> unmatched;
    for (const FeedItem &item : items) {
        if (served.contains(item.id))
            continue;
        served.insert(item.id);
        if (StoredEntry *entry = stored.withId(item.id))
            keep(*entry, item);
        else
            unmatched.append(&item);
    }

    QHash<QString, int> unmatchedPerLink;
    for (const FeedItem *item : std::as_const(unmatched))
        ++unmatchedPerLink[item->link];

    QList<const FeedItem *> fresh;
    for (const FeedItem *item : std::as_const(unmatched)) {
        if (record.contains(item->id))
            continue;
        // Stored under a name the document no longer gives it?
        StoredEntry *match = nullptr;
        const QList<StoredEntry *> sameLink = stored.withLink(ItemFile::storableText(item->link));
        for (StoredEntry *entry : sameLink) {
            const bool linkDigest
                = ItemIdentifier::isLegacyLinkIdentifier(entry->item.id, entry->item.link);
            const bool onlyPair = record.legacy() && linkDigest && sameLink.size() == 1
                && unmatchedPerLink.value(item->link) == 1;
            const bool renamable = linkDigest
                || entry->item.id == ItemIdentifier::distinctIdentifier(entry->item)
                || entry->item.id == ItemIdentifier::ownIdentifier(entry->item);
            if (onlyPair || (renamable && sameTitleAndDate(entry->item, *item))) {
                match = entry;
                break;
            }
        }
        if (match) {
            keep(*match, *item);
            continue;
        }
        const QString date = ItemStamp::chronologicalKey(*item);
        if (!deletedUpTo.isEmpty() && !date.isEmpty() && date <= deletedUpTo) {
            record.add(item->id);
            ++result.deletedByLatest;
            continue;
        }
        fresh.append(item);
    }

    for (auto it = fresh.crbegin(); it != fresh.crend(); ++it) {
        if (file.appendItem(**it))
            result.added.append(**it);
    }
    result.changed = result.changed || !result.added.isEmpty();

    record.review(served);
    result.changed = record.writeTo(file) || result.changed;

    const QString newest = newestKey(latest, result.added, result.updated);
    if ((!latestNode && !result.added.isEmpty())
        || (newest != ItemStamp::keyOfStamp(latest) && !newest.isEmpty())) {
        file.setLatest(newest);
        result.changed = true;
    }
    return result;
}
