#include "reading/ItemStamp.h"
#include "reading/MonthNames.h"

#include "reading/FeedItem.h"
#include "reading/ItemDate.h"
#include "support/QtPrinters.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

FeedItem itemOf(const ItemDate &date)
{
    FeedItem item;
    item.day = date.day;
    item.month = date.month;
    item.year = date.year;
    item.time = date.time;
    item.utc = date.utc;
    return item;
}

// Restores the default locale when a test has changed it.
class DefaultLocale {
public:
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(m_saved); }
    DefaultLocale(const DefaultLocale &) = delete;
    DefaultLocale &operator=(const DefaultLocale &) = delete;

private:
    QLocale m_saved;
};

TEST(ChronologicalKey, ReadsTheFieldsAsWrittenInAnyLanguage)
{
    const struct {
        ItemDate date; // Day, Month, Year, Time
        const char *key;
    } cases[] = {
        {{"01", "May", "2006", "12:34:56"}, "20060501123456"},
        {{"5", "May", "2006", "08:00:00"}, "20060505080000"},
        {{"5", "MAY", "2006", "9:05:00"}, "20060505090500"},
        {{"05", "Sept.", "2007", "10:00"}, "20070905100000"},
        {{"31", "December", "1999", "23:59:59"}, "19991231235959"},
        // Other languages, whatever the desktop's: long and short, format and standalone names.
        {{"5", "Mai", "2006", "08:00:00"}, "20060505080000"},
        {{"01", "févr.", "2006", "12:34:56"}, "20060201123456"},
        {{"01", "FÉVRIER", "2006", "12:34:56"}, "20060201123456"},
        {{"01", "März", "2006", "12:34:56"}, "20060301123456"},
        {{"01", "мая", "2006", "12:34:56"}, "20060501123456"},
        {{"01", "май", "2006", "12:34:56"}, "20060501123456"},
        // The Utc of a date plays no part.
        {{"01", "May", "2006", "12:34:56", "20060501103456"}, "20060501123456"},
        // A field missing or out of range.
        {{"", "May", "2006", "12:34:56"}, ""},
        {{"01", "Foo", "2006", "12:34:56"}, ""},
        {{"0", "May", "2006", "12:34:56"}, ""},
        {{"32", "May", "2006", "12:34:56"}, ""},
        {{"001", "May", "2006", "12:34:56"}, ""},
        {{"01", "May", "06", "12:34:56"}, ""},
        {{"01", "May", "2006", "24:00:00"}, ""},
        {{"01", "May", "2006", "12:60:00"}, ""},
        {{"01", "May", "2006", "12:34:60"}, ""},
        {{"01", "May", "2006", "12:3"}, ""},
        {{"01", "May", "2006", ""}, ""},
        {{"", "", "", "", "20060501123456"}, ""},
    };
    const QLocale locales[] = {QLocale(QLocale::German, QLocale::Germany), QLocale::c()};
    for (const QLocale &locale : locales) {
        const DefaultLocale scope(locale);
        for (const auto &c : cases) {
            SCOPED_TRACE(locale.name().toStdString() + ": " + c.date.day.toStdString() + '-'
                         + c.date.month.toStdString() + '-' + c.date.year.toStdString() + 'T'
                         + c.date.time.toStdString());
            EXPECT_EQ(ItemStamp::chronologicalKey(c.date), QString::fromUtf8(c.key));
            EXPECT_EQ(ItemStamp::chronologicalKey(itemOf(c.date)), QString::fromUtf8(c.key));
        }
    }
}

// Whatever locale an Atom feed was read in, the month name stored for it reads back as the
// month it came from.
TEST(ChronologicalKey, ReadsBackTheMonthsAtomDatesAreStoredWith)
{
    const QLocale locales[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                               QLocale(QLocale::German, QLocale::Germany),
                               QLocale(QLocale::French, QLocale::France),
                               QLocale(QLocale::Spanish, QLocale::Spain),
                               QLocale(QLocale::Russian, QLocale::Russia),
                               QLocale::c()};
    for (const QLocale &locale : locales) {
        for (int month = 1; month <= 12; ++month) {
            const QString text
                = QStringLiteral("2006-%1-15T10:20:30Z").arg(month, 2, 10, QLatin1Char('0'));
            const ItemDate date = ItemDates::splitPublished(text, locale);
            EXPECT_EQ(ItemStamp::chronologicalKey(date), date.utc)
                << locale.name().toStdString() << ' ' << date.month.toStdString();
        }
    }
}

TEST(KeyOfStamp, ReadsTheStampsOfEarlierVersions)
{
    const struct {
        const char *stamp;
        const char *key;
    } cases[] = {
        {"20060501123456", "20060501123456"}, // two-digit day, seconds
        {"2006055123456", "20060505123456"},  // one-digit day, seconds
        {"200605011234", "20060501123400"},   // two-digit day, no seconds
        {"20060551234", "20060505123400"},    // one-digit day, no seconds
        {" 20060501123456\n", "20060501123456"},
        {"", ""},
        {"garbage", ""},
        {"2006050112345x", ""},
        {"2006-05-01T12:34", ""},
        {"2006050", ""},
        {"200605011234567", ""},
        {"20061301123456", ""},
        {"20060001123456", ""},
        {"20060500123456", ""},
        {"20060532123456", ""},
        {"20060501243456", ""},
        {"20060501126056", ""},
        {"20060501123460", ""},
        {"2006 0501123456", ""},
        {"٢٠٠٦٠٥٠١١٢٣٤٥٦", ""}, // digits of another script
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ItemStamp::keyOfStamp(QString::fromUtf8(c.stamp)), QString::fromUtf8(c.key))
            << c.stamp;
    }
}

// Items from feeds in several zones, with one- and two-digit days, and items stored before their
// zone was kept, sort as the moments they were published.
TEST(SortKey, OrdersItemsAsTheMomentsTheyWerePublished)
{
    const struct {
        const char *name;
        FeedItem item;
    } published[] = {
        {"undated", {}},
        // Stored without Utc: the date as written, taken as UTC.
        {"stored 30 Apr", itemOf({"30", "Apr", "2006", "08:00:00"})},
        {"stored 1 May", itemOf({"1", "Mai", "2006", "08:00:00"})},
        {"01 May 12:00 UTC", itemOf(ItemDates::splitPubDate("Mon, 01 May 2006 12:00:00 GMT"))},
        {"02 May 03:00 UTC", itemOf(ItemDates::splitPubDate("Tue, 02 May 2006 03:00:00 GMT"))},
        {"02 May 04:00 UTC", itemOf(ItemDates::splitPubDate("Tue, 2 May 2006 06:00:00 +0200"))},
        {"02 May 04:30 UTC", itemOf(ItemDates::splitPubDate("Mon, 01 May 2006 23:30:00 -0500"))},
        {"02 May 05:00 UTC",
         itemOf(ItemDates::splitPublished("2006-05-02T07:00:00+02:00",
                                          QLocale(QLocale::German, QLocale::Germany)))},
    };
    std::vector<std::string> expected;
    std::vector<std::pair<QString, std::string>> keyed;
    for (const auto &p : published) {
        expected.emplace_back(p.name);
        keyed.emplace_back(ItemStamp::sortKey(p.item), p.name);
    }
    std::reverse(keyed.begin(), keyed.end());
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<std::string> sorted;
    for (const auto &k : keyed)
        sorted.push_back(k.second);
    EXPECT_EQ(sorted, expected);
}

struct MonthCase {
    const char *locale;
    QString name;
    int number;
};

TEST(MonthNamesInLocale, MatchesFullNamesTrimmedAndAbbreviationsAsGiven)
{
    const MonthCase cases[] = {
        {"en_US", QStringLiteral("  March "), 3},
        {"en_US", QStringLiteral("MAR"), 3},
        {"en_US", QStringLiteral("mar"), 3},
        {"en_US", QStringLiteral(" Mar"), 0},
        {"en_US", QStringLiteral("Dec"), 12},
        {"en_US", QStringLiteral("january"), 1},
        {"en_US", QStringLiteral("Monday"), 0},
        {"en_US", QString(), 0},
        // English names count whatever the desktop's language, since feed dates are English.
        {"de_DE", QStringLiteral("Oct"), 10},
        {"de_DE", QStringLiteral("März"), 3},
        {"de_DE", QStringLiteral(" Dezember "), 12},
        {"fr_FR", QStringLiteral("May"), 5},
        {"fr_FR", QStringLiteral("février"), 2},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MonthNames::inLocale(c.name, QLocale(QLatin1String(c.locale))), c.number)
            << c.locale << " " << c.name.toStdString();
}

} // namespace
