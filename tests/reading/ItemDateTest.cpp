#include "reading/ItemDate.h"

#include "reading/MonthNames.h"
#include "support/QtPrinters.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <string>

namespace {

struct DateCase {
    const char *text;
    const char *day;
    const char *month;
    const char *year;
    const char *time;
};

std::string fields(const ItemDate &date)
{
    return (date.day + u'|' + date.month + u'|' + date.year + u'|' + date.time).toStdString();
}

std::string fields(const DateCase &c)
{
    return std::string(c.day) + '|' + c.month + '|' + c.year + '|' + c.time;
}

TEST(SplitPubDate, KeepsWhatThePositionalRulesGiveForTheUsualForm)
{
    const DateCase cases[] = {
        {"Mon, 01 May 2006 12:34:56 GMT", "01", "May", "2006", "12:34:56"},
        {"Mon, 1 May 2006 12:34:56 GMT", "1", "May", "2006", "12:34:56"},
        {"Tue, 31 Dec 2024 23:59:59 +0100", "31", "Dec", "2024", "23:59:59"},
        // Sound results are stored exactly as written, so that stamps stay what files hold.
        {"Mon, 01 January 2006 12:34:56 GMT", "01", "January", "2006", "12:34:56"},
        {"mon, 01 MAY 2006 12:34:56 GMT", "01", "MAY", "2006", "12:34:56"},
        {"Mon, 01 May 2006 12:34 GMT", "01", "May", "2006", "12:34"},
        {"Mon 01 May 2006 12:34:56 EST", "01", "May", "2006", "12:34:56"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fields(ItemDates::splitPubDate(QString::fromUtf8(c.text))), fields(c)) << c.text;
}

TEST(SplitPubDate, ReadsTheCommonFormsThePositionalRulesCannotTakeApart)
{
    const DateCase cases[] = {
        {"2006-05-01T12:34:56Z", "01", "May", "2006", "12:34:56"},
        {"2006-05-01T12:34:56.123+02:00", "01", "May", "2006", "12:34:56"},
        {"2006-05-01 12:34:56 -0800", "01", "May", "2006", "12:34:56"},
        {"2006-05-01T12:34", "01", "May", "2006", "12:34:00"},
        {"2006-05-01", "01", "May", "2006", "00:00:00"},
        {"2020/1/10 14:03:00", "10", "Jan", "2020", "14:03:00"},
        {"1 May 2006 12:34:56 +0200", "1", "May", "2006", "12:34:56"},
        {"Monday, 01 May 2006 12:34:56 GMT", "01", "May", "2006", "12:34:56"},
        {"Mon,01 May 2006 12:34:56 GMT", "01", "May", "2006", "12:34:56"},
        {"Mon, 01 May 2006 12:34:56", "01", "May", "2006", "12:34:56"},
        {"Mon, 01 May 2006 12:34:56 +0200 (CEST)", "01", "May", "2006", "12:34:56"},
        {"Fri,  3 Mar 2006 08:00:00 -0800", "3", "Mar", "2006", "08:00:00"},
        {"1 January 2006 12:34:56", "1", "Jan", "2006", "12:34:56"},
        {"05 Sept 2007 10:00:00 GMT", "05", "Sep", "2007", "10:00:00"},
        {" \n\t Mon, 01 May 2006 12:34:56 GMT \n", "01", "May", "2006", "12:34:56"},
        {"Mon, 01 May 06 12:34:56 GMT", "01", "May", "2006", "12:34:56"},
        {"Sat, 01 May 99 12:34:56 GMT", "01", "May", "1999", "12:34:56"},
        {"Monday, 01-May-06 12:34:56 GMT", "01", "May", "2006", "12:34:56"},
        {"Mon, 01 May 2006 1:34:56 GMT", "01", "May", "2006", "01:34:56"},
        {"Mon, 21 Jan 2008 8:56 am PST", "21", "Jan", "2008", "08:56:00"},
        {"Sun, 20 Apr 2014 12:19 pm CEST", "20", "Apr", "2014", "12:19:00"},
        {"May 1, 2006 1:34 PM", "1", "May", "2006", "13:34:00"},
        {"Mon May  1 12:34:56 2006", "1", "May", "2006", "12:34:56"},
        {"Mon May 01 2006 12:34:56 GMT+0200 (Central European Summer Time)", "01", "May", "2006",
         "12:34:56"},
        {"01 May 2006", "01", "May", "2006", "00:00:00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(fields(ItemDates::splitPubDate(QString::fromUtf8(c.text))), fields(c)) << c.text;
}

TEST(SplitPubDate, LeavesEveryFieldEmptyForWhatIsNoDate)
{
    const char *const cases[] = {
        "",
        "   ",
        "garbage",
        "yesterday at noon",
        "12:34:56",
        ":::::",
        "Mon, 01 Foo 2006 12:34:56 GMT",
        "Mon, 32 May 2006 12:34:56 GMT",
        "Mon, 001 May 2006 12:34:56 GMT",
        "Mon, 01 May 2006 25:00:00 GMT",
        "Mon, 01 May 2006 12:60:00 GMT",
        "Mon, 01 May 123 12:34:56 GMT",
        "Mon, 01 May 2006 12:34:5 GMT",
        "2006-13-01T00:00:00Z",
        "2006-05-00",
        "2006-05-01Tnoon",
        "2006-05-01X12:34:56",
        "2006-05",
        "5/1/2006 12:34:56 PM",
        "01 May 2006 13:34 PM",
    };
    for (const char *text : cases)
        EXPECT_EQ(fields(ItemDates::splitPubDate(QString::fromUtf8(text))), "|||") << text;
}

TEST(SplitPublished, NamesTheMonthInTheLocalesAbbreviation)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    ASSERT_NE(german.monthName(5, QLocale::ShortFormat), QStringLiteral("May"));
    for (const QLocale &locale : {english, german}) {
        const std::string may = locale.monthName(5, QLocale::ShortFormat).toStdString();
        const std::string december = locale.monthName(12, QLocale::ShortFormat).toStdString();
        const struct {
            const char *text;
            std::string fields;
        } cases[] = {
            {"2006-05-01T12:34:56Z", "01|" + may + "|2006|12:34:56"},
            {"2006-12-31T23:59:59Z", "31|" + december + "|2006|23:59:59"},
            // A fraction of a second is dropped: a stamp with a "." is no number.
            {"2006-05-01T12:34:56.123Z", "01|" + may + "|2006|12:34:56"},
            {"2006-05-01T12:34:56+02:00", "01|" + may + "|2006|12:34:56"},
            {"2006-05-01T12:34:56", "01|" + may + "|2006|12:34:56"},
            {"2006-05-01", "01|" + may + "|2006|00:00:00"},
            {"\n  2006-05-01T12:34:56Z  \n", "01|" + may + "|2006|12:34:56"},
            {"Mon, 1 May 2006 12:34:56 GMT", "1|" + may + "|2006|12:34:56"},
            {"2006-13-01T12:34:56Z", "|||"},
            {"2006-00-01T12:34:56Z", "|||"},
            {"T", "|||"},
            {"", "|||"},
        };
        for (const auto &c : cases) {
            EXPECT_EQ(fields(ItemDates::splitPublished(QString::fromUtf8(c.text), locale)),
                      c.fields)
                << c.text << " in " << locale.name().toStdString();
        }
    }
}

// The fields keep the time as written; Utc is the moment with the written zone applied, on the
// positional path and the tolerant one alike.
TEST(ItemDates, ApplyTheWrittenZoneToUtc)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const struct {
        bool atom; // splitPublished, else splitPubDate
        const char *text;
        const char *utc;
    } cases[] = {
        {false, "Mon, 01 May 2006 12:34:56 GMT", "20060501123456"},
        {false, "Mon, 01 May 2006 23:30:00 -0500", "20060502043000"},
        {false, "Mon, 01 May 2006 12:34:56 +05:30", "20060501070456"},
        {false, "Mon, 01 May 2006 12:34:56 +0530", "20060501070456"},
        {false, "Mon, 01 May 2006 12:34:56 EST", "20060501173456"},
        {false, "Mon, 01 May 2006 12:34:56 pdt", "20060501193456"},
        {false, "Mon, 01 May 2006 12:34 CEST", "20060501103400"},
        {false, "Mon, 01 May 2006 12:34:56 JST", "20060501033456"},
        {false, "Mon, 01 May 2006 12:34:56 AEDT", "20060501013456"},
        {false, "Mon, 1 May 2006 12:34:56 +0200", "20060501103456"},
        // Across midnight, the end of a month and of a year, both ways; February by leap years.
        {false, "Sat, 31 Dec 2005 23:00:00 -0200", "20060101010000"},
        {false, "Sun, 1 Jan 2006 00:30:00 +0100", "20051231233000"},
        {false, "Wed, 01 Mar 2006 01:00:00 +0200", "20060228230000"},
        {false, "Mon, 01 Mar 2004 01:00:00 +0200", "20040229230000"},
        // No zone, or one that is not understood, is UTC.
        {false, "Mon, 01 May 2006 12:34:56", "20060501123456"},
        {false, "Mon, 01 May 2006 12:34:56 XYZ", "20060501123456"},
        {false, "Mon, 01 May 2006 12:34:56 +9900", "20060501123456"},
        {false, "01 May 2006", "20060501000000"},
        // The tolerant reader: zones after "PM", with a name in brackets, against "GMT".
        {false, "Mon, 01 May 2006 12:34:56 +0200 (CEST)", "20060501103456"},
        {false, "Mon, 21 Jan 2008 8:56 pm PST", "20080122045600"},
        {false, "Mon May 01 2006 12:34:56 GMT+0200 (Central European Summer Time)",
         "20060501103456"},
        {false, "2006-05-01 12:34:56 -0800", "20060501203456"},
        {false, "garbage", ""},
        {true, "2006-05-01T12:34:56Z", "20060501123456"},
        {true, "2006-05-01T12:34:56+02:00", "20060501103456"},
        {true, "2006-05-01T12:34:56.789-0700", "20060501193456"},
        {true, "2006-05-01T22:00:00-03:00", "20060502010000"},
        {true, "2006-05-01T12:34:56", "20060501123456"},
        {true, "2006-05-01", "20060501000000"},
        {true, "", ""},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const ItemDate date
            = c.atom ? ItemDates::splitPublished(text, english) : ItemDates::splitPubDate(text);
        EXPECT_EQ(date.utc, QString::fromUtf8(c.utc)) << c.text;
    }
}

// Every cut of a date, and every date with one character replaced, gives all four fields in
// the forms the item stamp needs and a Utc of fourteen digits, or nothing: never a half-filled
// date.
TEST(ItemDates, GiveAllFieldsOrNoneForDamagedDates)
{
    static const QRegularExpression year(QStringLiteral("^\\d{4}$"));
    static const QRegularExpression day(QStringLiteral("^\\d{1,2}$"));
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d(:\\d\\d)?$"));
    static const QRegularExpression utc(QStringLiteral("^[0-9]{14}$"));
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const auto check = [&](const ItemDate &date, const QString &text) {
        if (date.day.isEmpty() && date.month.isEmpty() && date.year.isEmpty()
            && date.time.isEmpty()) {
            EXPECT_TRUE(date.utc.isEmpty())
                << text.toStdString() << " -> " << date.utc.toStdString();
            return;
        }
        EXPECT_TRUE(utc.match(date.utc).hasMatch())
            << text.toStdString() << " -> " << date.utc.toStdString();
        EXPECT_TRUE(year.match(date.year).hasMatch())
            << text.toStdString() << " -> " << fields(date);
        EXPECT_TRUE(day.match(date.day).hasMatch()) << text.toStdString() << " -> " << fields(date);
        EXPECT_TRUE(time.match(date.time).hasMatch())
            << text.toStdString() << " -> " << fields(date);
        EXPECT_NE(MonthNames::inLocale(date.month, english), 0)
            << text.toStdString() << " -> " << fields(date);
    };
    const QString samples[] = {
        QStringLiteral("Mon, 01 May 2006 12:34:56 GMT"),
        QStringLiteral("Monday, 01-May-06 1:34 pm +0200"),
        QStringLiteral("2006-05-01T12:34:56.123+02:00"),
        QStringLiteral("Mon May  1 12:34:56 2006"),
        QStringLiteral("Sat, 31 Dec 2005 23:00:00 -02:00"),
    };
    const QString replacements = QStringLiteral(" :-T,0a\t");
    for (const QString &sample : samples) {
        for (qsizetype n = 0; n <= sample.size(); ++n) {
            check(ItemDates::splitPubDate(sample.left(n)), sample.left(n));
            check(ItemDates::splitPublished(sample.left(n), english), sample.left(n));
            for (const QChar replacement : replacements) {
                if (n == sample.size())
                    break;
                QString damaged = sample;
                damaged[n] = replacement;
                check(ItemDates::splitPubDate(damaged), damaged);
                check(ItemDates::splitPublished(damaged, english), damaged);
            }
        }
    }
}

} // namespace
