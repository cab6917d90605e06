#pragma once

#include "common/FeedType.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The subscriptions of an OPML file as plain values, in the order the file lists them, for
// reading (OpmlReader) and writing (OpmlWriter) without the feeds database.
namespace Opml {

// Where a list's feeds that stand outside any folder are filed.
inline const QString kLooseFeedsFolder = QStringLiteral("Imported");

struct ListedFeed {
    QString name;
    QString url;
    FeedType type = FeedType::Rss;
};

struct ListedFolder {
    QString name;
    std::vector<ListedFeed> feeds;
};

struct ReadResult {
    bool ok = false;
    QString reason; // why the bytes are no subscription list, as the end of a sentence
    std::vector<ListedFolder> folders;
};

// Reads an OPML document: one folder per top-level outline of its body, in document order.
// A folder outline (one without an xmlUrl) holds every feed below it, however deep, and is
// named by its text, else its title. A feed outline at the top, and an unnamed folder, become a
// folder named "Imported" with the feeds they hold. Folder names are not merged here: two
// folders may carry the same name.
//
// The charset is the one the bytes declare; a DOCTYPE is skipped unread, so no entity is
// expanded and nothing outside the bytes is read. Attribute names compare without regard to
// case, since readers write "xmlUrl", "xmlurl" and "xmlURL" alike.
[[nodiscard]] ReadResult readOpml(const QByteArray &bytes);

} // namespace Opml
