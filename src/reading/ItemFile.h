#pragma once

#include "platform/XmlDocument.h"
#include "reading/ItemDate.h"

#include <QSet>
#include <QString>
#include <QStringView>

struct FeedItem;

// The item file of one feed (Data/<feed identifier>.fdb), opened for one load-change-save:
//
//   <data>
//     <items>
//       <item id="<MD5 of the link>" status="0|1">
//         <title/><link/><date/><desc/><media/>
//       </item> ... (the earliest added first)
//     </items>
//     <latest>stamp of the newest item ever merged</latest>
//   </data>
//
// Readers take the item's children and attributes by position (title, link, date; id, status),
// so the writers here always put them in exactly that order.
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

    // The starting points of a file that does not exist yet: a file for new items, or just a
    // data element to hold the newest stamp.
    static constexpr QStringView kNewItemsDocument = u"<data><items/></data>";
    static constexpr QStringView kNewLatestDocument = u"<data/>";

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

    // The latest element under data; null when there is none.
    [[nodiscard]] platform::XmlNode latestNode() const;
    // Writes the stamp as the text of latest, creating the element as the last child of data
    // when it is missing. False when the document has no data element.
    bool setLatest(const QString &stamp);

    // Appends an item element (id, status "0"; title, link, date, desc, media) as the last child
    // of items. False when the document has no items element.
    bool appendItem(const FeedItem &item);

    // The first item element under items whose FIRST attribute equals the identifier, whatever
    // that attribute's name; null when none does. Children of other names are passed over.
    [[nodiscard]] platform::XmlNode findItem(const QString &id) const;

    // The first attribute of every item element under items: what findItem() would find.
    [[nodiscard]] QSet<QString> identifiers() const;

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
[[nodiscard]] QString ItemDateText(const FeedItem &item);

// Takes a stored date text apart: before the first "T", split at "-", are the year (piece 0),
// the month (piece 1) and the day (piece 2); everything after the first "T" is the time. Missing
// pieces stay empty.
[[nodiscard]] ItemDate SplitItemDate(const QString &dateText);
