#pragma once

#include "platform/XmlDocument.h"
#include "reading/ItemDate.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

struct FeedItem;

// The item file of one feed (Data/<feed identifier>.fdb), opened for one load-change-save:
//
//   <data>
//     <items>
//       <item id="<identifier>" status="0|1" utc="yyyyMMddHHmmss">
//         <title/><link/><date/><desc/><media/>
//       </item> ... (the earliest added first)
//     </items>
//     <latest>yyyyMMddHHmmss of the newest item stored</latest>
//     <deleted>
//       <id served="yyyy-MM-dd">identifier</id> ...
//     </deleted>
//   </data>
//
// Readers take the item's children and attributes by position (title, link, date; id, status),
// so the writers here always put them in exactly that order; what earlier versions did not
// write comes after: the utc attribute (only where the date text alone does not give the
// item's time in UTC: a zone other than UTC) and the record of deleted items.
//
// An ItemFile with an empty path (a feed identifier that is not of the 36-character form) never
// reads or writes anything: it is always Missing and every save fails.
class ItemFile {
public:
    enum class State {
        Loaded,  // parsed, with a data/items element
        Missing, // no such file (or no path): nothing was read
        NotXml,  // the file exists but does not parse
        NoItems, // parsed, but without a data/items element
    };

    // The starting point of a file that does not exist yet.
    static constexpr QStringView kNewItemsDocument = u"<data><items/></data>";

    explicit ItemFile(QString path);

    [[nodiscard]] const QString &path() const { return m_path; }
    [[nodiscard]] bool exists() const;

    // Reads and parses the file.
    State load();
    // As load(), but a missing file starts as the given document, in memory: it comes into
    // being with the first save(). With no path the state stays Missing.
    State loadOrStart(QStringView newDocument);
    [[nodiscard]] State state() const { return m_state; }

    // The first data element, and the first items element under a data element; null when the
    // document has none (or nothing was loaded).
    [[nodiscard]] platform::XmlNode data() const;
    [[nodiscard]] platform::XmlNode items() const { return m_items; }

    // Gives a data element without items an empty items element, as its first child.
    void addItemsElement();

    // The latest element under data; null when there is none.
    [[nodiscard]] platform::XmlNode latestNode() const;
    // Writes the stamp as the text of latest, creating the element after items when it is
    // missing (before the record of deleted items). False when the document has no data
    // element.
    bool setLatest(const QString &stamp);

    // Appends an item element (id, status "0"; title, link, date, desc, media) as the last child
    // of items. False when the document has no items element.
    bool appendItem(const FeedItem &item);

    // The text as it is stored: without control characters (strict XML readers refuse even
    // their references), and empty for text of blanks, tabs and line feeds alone, which a parse
    // drops. Files that earlier versions wrote may hold such references; they still read.
    [[nodiscard]] static QString storableText(const QString &text);

    // A stored item element as a FeedItem: its identifier, each child by its name (title, link,
    // date split, desc, media; others are passed over), and its UTC time (the utc attribute, or
    // empty when it has none).
    [[nodiscard]] static FeedItem storedItem(const platform::XmlNode &item);
    // Gives a stored item another identifier; its place among the attributes stays.
    static void setIdentifier(platform::XmlNode item, const QString &id);
    // Rewrites a stored item's title, link, date, desc and media (and utc) from a newer copy
    // of the item; its identifier and status stay. stored is storedItem(item). False when nothing
    // differed. Dates compare by the time they name, so a month written in another language does
    // not count as a change.
    static bool updateItem(platform::XmlNode item, const FeedItem &stored, const FeedItem &from);

    // The record of deleted items: the identifiers of items the user deleted, each with the day
    // its feed last served it, so that a deleted item never comes back while its feed serves it
    // and the record can forget it some time after the feed stopped.
    //
    // A file that an earlier version wrote has no record; there, items the file does not hold
    // and whose date is at or before latest count as deleted too, until the first merge writes
    // them into a complete record. A delete before that first merge starts a record that is not
    // complete yet (legacy="1"), so that the rule for the earlier file still holds.
    struct DeletedItem {
        QString id;
        QDate served;
    };
    struct DeletionRecord {
        bool complete = true;
        QList<DeletedItem> items; // in the order they were recorded
    };
    // nullopt when the file has no record.
    [[nodiscard]] std::optional<DeletionRecord> deletionRecord() const;
    // Writes the record after latest, replacing the one the file holds. False when the document
    // has no data element.
    bool setDeletionRecord(const DeletionRecord &record);
    // Adds the identifier to the record (starting one that is not complete when the file has
    // none), or updates its day when it is there already.
    bool recordDeleted(const QString &id, const QDate &served);

    // The first item element under items whose FIRST attribute equals the identifier, whatever
    // that attribute's name; null when none does. Children of other names are passed over.
    [[nodiscard]] platform::XmlNode findItem(const QString &id) const;

    // Replaces the file with the document, atomically. False (reason in *error) when there is
    // no path, nothing loaded, or the write failed; the old file is then left as it was.
    [[nodiscard]] bool save(QString *error = nullptr) const;

    [[nodiscard]] platform::XmlDocument &document() { return m_doc; }

private:
    State adopt(bool parsed);

    QString m_path;
    platform::XmlDocument m_doc;
    platform::XmlNode m_items;
    State m_state = State::Missing;
};

// The date element's text: Year-Month-DayTTime. The separators stay when pieces are empty, so an
// undated item stores "--T".
[[nodiscard]] QString itemDateText(const FeedItem &item);

// Takes a stored date text apart: before the first "T", split at "-", are the year (piece 0),
// the month (piece 1) and the day (piece 2); everything after the first "T" is the time. Missing
// pieces stay empty.
[[nodiscard]] ItemDate splitItemDate(const QString &dateText);
