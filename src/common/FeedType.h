#pragma once

#include <QtGlobal>

// What a feed document is. The numbers are the ones the feeds database, the scheduler's
// settings and exported subscriptions store, so they never change.
enum class FeedType : qint16 { Unknown = -1, Rss = 0, Atom = 1, Podcast = 2 };

// The number a type is stored as.
constexpr int storedNumber(FeedType type)
{
    return static_cast<int>(type);
}

// A stored number as a type. A number no type has is kept as it was read, as the stored
// files hold it.
constexpr FeedType feedTypeFromNumber(int number)
{
    return static_cast<FeedType>(number);
}
