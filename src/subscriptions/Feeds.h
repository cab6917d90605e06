#pragma once

#include "subscriptions/FeedRecord.h"
#include "subscriptions/FeedsDatabase.h"

namespace platform {
struct Context;
}

// The feeds of the feeds database. A feed element holds its attributes in the order name, type,
// id and the URL as its text; readers take the attributes by position. Every operation first
// finds the record's category (first match of the lower-cased name) and warns when there is
// none. Identifiers compare exactly; names and URLs after lower-casing.
namespace Feeds {

// True when the record's category holds a feed with the same URL or the same name.
[[nodiscard]] bool feedExists(const platform::Context &ctx, const FeedRecord &feed);

// Appends the feed as the last of its category (no duplicate check).
bool addFeed(const platform::Context &ctx, const FeedRecord &feed);

// Finds the feed by identifier in the record's category. Without move, takes the record's name,
// type and URL; with move, moves the feed unchanged to the end of targetCategory. False without
// a message when the feed is not there.
bool editFeed(const platform::Context &ctx, const FeedRecord &feed, bool move,
              const QString &targetCategory);

// Removes the feed found by identifier in the record's category, and then its item file. A
// failure to save is not reported here: it is handed to the caller in *failure.
bool deleteFeed(const platform::Context &ctx, const FeedRecord &feed, QString *failure = nullptr);

// Sets the type of the feed with this identifier, in whatever category it stands, when it holds
// another: under the database's lock, without any box, so that a check without windows may call
// it. True when the database was changed; false when the feed is not there, already has the
// type, or the database cannot be read or written (*failure then says why).
bool correctFeedType(const platform::Context &ctx, const QString &feedId, FeedType type,
                     QString *failure = nullptr);

// Deletes the feed's item file when there is one; does nothing for anything but a feed
// identifier. Failures are ignored.
void deleteFeedData(const platform::Context &ctx, const QString &id);

} // namespace Feeds
