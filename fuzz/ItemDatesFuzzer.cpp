// Any text as an RSS pubDate and as an Atom published date, under an English and a German
// locale (whose month abbreviations differ in form).

#include "DatedItem.h"
#include "reading/FeedItem.h"
#include "reading/ItemDate.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Utc is the date's moment as fourteen digits when the date has fields, and empty when not.
void checkUtc(const ItemDate &date)
{
    const bool dated = !date.year.isEmpty();
    FUZZ_CHECK(date.utc.isEmpty() == !dated);
    FUZZ_CHECK(date.utc.isEmpty() || date.utc.size() == 14);
    FUZZ_CHECK(std::all_of(date.utc.cbegin(), date.utc.cend(),
                           [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }));
}

FeedItem itemDatedBy(const ItemDate &date)
{
    checkUtc(date);
    FeedItem item;
    item.day = date.day;
    item.month = date.month;
    item.year = date.year;
    item.time = date.time;
    item.utc = date.utc;
    return item;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    static const QLocale german(QLocale::German, QLocale::Germany);
    const QString text
        = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    // RSS month names are English whatever the locale.
    checkDate(itemDatedBy(ItemDates::splitPubDate(text)), english);
    checkDate(itemDatedBy(ItemDates::splitPublished(text, english)), english);
    checkDate(itemDatedBy(ItemDates::splitPublished(text, german)), german);
    return 0;
}
