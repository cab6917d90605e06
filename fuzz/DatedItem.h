#pragma once

#include "FuzzCheck.h"
#include "reading/FeedItem.h"
#include "reading/ItemStamp.h"
#include "reading/MonthNames.h"

#include <QLocale>

// What ordering relies on in an item's date: the four fields are set together or not at all, a
// dated item's month is a month name of the locale, and its keys are dates.
inline void checkDate(const FeedItem &item, const QLocale &locale)
{
    const bool dated = !item.day.isEmpty() || !item.month.isEmpty() || !item.year.isEmpty()
        || !item.time.isEmpty();
    if (!dated)
        return;
    FUZZ_CHECK(!item.day.isEmpty() && !item.month.isEmpty() && !item.year.isEmpty()
               && !item.time.isEmpty());
    FUZZ_CHECK(MonthNames::inLocale(item.month, locale) != 0);
    FUZZ_CHECK(ItemStamp::chronologicalKey(item).size() == 14);
    FUZZ_CHECK(item.utc.size() == 14);
}
