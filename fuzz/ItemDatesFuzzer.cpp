// Any text as an RSS pubDate and as an Atom published date, under an English and a German
// locale (whose month abbreviations differ in form).

#include "DatedItem.h"
#include "reading/FeedItem.h"
#include "reading/ItemDate.h"

#include <QLocale>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

FeedItem Dated(const ItemDate &date)
{
    FeedItem item;
    item.Day = date.Day;
    item.Month = date.Month;
    item.Year = date.Year;
    item.Time = date.Time;
    return item;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    static const QLocale german(QLocale::German, QLocale::Germany);
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    // RSS month names are English whatever the locale.
    CheckDate(Dated(ItemDates::SplitPubDate(text)), english);
    CheckDate(Dated(ItemDates::SplitPublished(text, english)), english);
    CheckDate(Dated(ItemDates::SplitPublished(text, german)), german);
    return 0;
}
