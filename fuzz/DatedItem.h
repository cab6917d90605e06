#pragma once

#include "FuzzCheck.h"
#include "reading/FeedItem.h"
#include "reading/ItemStamp.h"
#include "reading/MonthNames.h"

#include <QLocale>

// What ordering relies on in an item's date: the four fields are set together or not at all, a
// dated item's month is a month name of the locale, and its keys are dates.
inline void CheckDate(const FeedItem &item, const QLocale &locale)
{
    const bool dated = !item.Day.isEmpty() || !item.Month.isEmpty() || !item.Year.isEmpty()
        || !item.Time.isEmpty();
    if (!dated)
        return;
    FUZZ_CHECK(!item.Day.isEmpty() && !item.Month.isEmpty() && !item.Year.isEmpty()
               && !item.Time.isEmpty());
    FUZZ_CHECK(MonthNames::InLocale(item.Month, locale) != 0);
    FUZZ_CHECK(ItemStamp::ChronologicalKey(item).size() == 14);
    FUZZ_CHECK(item.Utc.size() == 14);
}
