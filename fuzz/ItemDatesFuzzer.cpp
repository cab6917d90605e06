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
void CheckUtc(const ItemDate &date)
{
    const bool dated = !date.Year.isEmpty();
    FUZZ_CHECK(date.Utc.isEmpty() == !dated);
    FUZZ_CHECK(date.Utc.isEmpty() || date.Utc.size() == 14);
    FUZZ_CHECK(std::all_of(date.Utc.cbegin(), date.Utc.cend(),
                           [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }));
}

FeedItem Dated(const ItemDate &date)
{
    CheckUtc(date);
    FeedItem item;
    item.Day = date.Day;
    item.Month = date.Month;
    item.Year = date.Year;
    item.Time = date.Time;
    item.Utc = date.Utc;
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
    CheckDate(Dated(ItemDates::SplitPubDate(text)), english);
    CheckDate(Dated(ItemDates::SplitPublished(text, english)), english);
    CheckDate(Dated(ItemDates::SplitPublished(text, german)), german);
    return 0;
}
