#pragma once

#include <QLocale>
#include <QString>

struct FeedItem;
struct ItemDate;

// Orders items by date.
//
// Keys ("yyyyMMddHHmmss", fourteen digits) compare as text, so that every date of four-digit
// years takes its place whatever the length of its day or the language of its month.
//
// The item stamp of earlier versions, still found in the latest element of their item files: Year,
// the two-digit month number of Month, Day as written and Time without its colons, e.g.
// "20060501123456" or "2006051080000". Compared as numbers, it put a one-digit day below every
// two-digit one; keyOfStamp turns such a stamp into a key. The program now writes keys there.
namespace ItemStamp {

// The date as written, no zone applied, as a key: Year (four digits), the number of Month read by
// MonthNames::anyLanguage (any language, any case, "Sept", a trailing "."), Day (one or two
// digits) and Time ("h:mm", "hh:mm", "h:mm:ss" or "hh:mm:ss"). Empty when a field is missing or
// out of range (day 1..31, hour below 24, minute and second below 60).
[[nodiscard]] QString chronologicalKey(const FeedItem &item);
// The same for the four fields; the date's Utc plays no part.
[[nodiscard]] QString chronologicalKey(const ItemDate &date);

// A stamp as earlier versions stored it: four-digit year, two-digit month, a day of one or two
// digits and hhmm or hhmmss, so 11 to 14 digits (blanks around them ignored). The key of the same
// moment, or empty text for anything else (other lengths, other characters, values out of range).
[[nodiscard]] QString keyOfStamp(const QString &stamp);

// What the item list sorts its date column by: Utc when the item has it, else its date as written
// (a date stored without its zone is taken as UTC), else "0", which sorts undated items below
// every dated one, as the oldest.
[[nodiscard]] QString sortKey(const FeedItem &item);

} // namespace ItemStamp
