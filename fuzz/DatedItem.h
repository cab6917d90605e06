#pragma once

#include "FuzzCheck.h"
#include "reading/FeedItem.h"
#include "reading/ItemStamp.h"
#include "shell/mUtil.h"

#include <QLocale>

#include <algorithm>

// What the merge relies on in an item's date: the four fields are set together or not at all,
// and a dated item's month is a month name of the locale and its stamp is a number, so that
// newness compares dates rather than treating the item as always new.
inline void CheckDate(const FeedItem &item, const QLocale &locale)
{
    const bool dated = !item.Day.isEmpty() || !item.Month.isEmpty() || !item.Year.isEmpty()
                       || !item.Time.isEmpty();
    if (!dated)
        return;
    FUZZ_CHECK(!item.Day.isEmpty() && !item.Month.isEmpty() && !item.Year.isEmpty()
               && !item.Time.isEmpty());
    FUZZ_CHECK(!mUtil::MonthNumber(item.Month, locale).isEmpty());
    const QString stamp = ItemStamp::StampOf(item, locale);
    FUZZ_CHECK(std::all_of(stamp.cbegin(), stamp.cend(), [](QChar c) { return c.isDigit(); }));
}
