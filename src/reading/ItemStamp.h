#pragma once

#include <QLocale>
#include <QString>

struct FeedItem;

// The item stamp orders items by date: Year, the two-digit month number of Month (empty when
// Month is no month name), Day and Time without its colons, e.g. "20060501123456". Stamps are
// compared as numbers.
namespace ItemStamp {

[[nodiscard]] QString StampOf(const FeedItem &item, const QLocale &locale = QLocale::system());

// Whether an item with this stamp is newer than the newest seen so far; advances latest when it
// is. A blank latest, or a stamp or latest that is no number, counts as newer.
[[nodiscard]] bool IsNewerItem(QString &latest, const QString &stamp);

} // namespace ItemStamp
