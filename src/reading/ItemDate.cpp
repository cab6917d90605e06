#include "reading/ItemDate.h"

#include "reading/DateText.h"
#include "reading/MonthNames.h"

#include <QStringView>

#include <array>
#include <chrono>
#include <optional>
#include <string_view>

namespace ItemDates {
namespace {

using namespace DateText;

// A date as a reader understood it. Day keeps the digits as written.
struct DateParts {
    QStringView day;
    int month = 0; // 1..12
    int year = 0;  // four digits
    int hour = 0;
    int minute = 0;
    int second = 0;
    int zoneMinutes = 0; // the written zone's offset east of UTC
};

constexpr std::array<std::string_view, 7> kFullWeekdayNames
    = {"monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};

bool IsEnglishWeekday(QStringView name)
{
    if (name.endsWith(u'.'))
        name.chop(1);
    for (const std::string_view full : kFullWeekdayNames) {
        if (EqualsIgnoringAsciiCase(name, full) || EqualsIgnoringAsciiCase(name, full.substr(0, 3)))
            return true;
    }
    return false;
}

// Shared, so that the common case allocates nothing for the month.
const QString &EnglishAbbreviation(int month)
{
    static const std::array<QString, 12> names = {
        QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"), QStringLiteral("Apr"),
        QStringLiteral("May"), QStringLiteral("Jun"), QStringLiteral("Jul"), QStringLiteral("Aug"),
        QStringLiteral("Sep"), QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};
    return names[static_cast<size_t>(month - 1)];
}

QString TextOf(QStringView view, const QString &shared)
{
    return view == shared ? shared : view.toString();
}

bool IsDayNumber(QStringView text)
{
    if (text.size() < 1 || text.size() > 2 || !AllDigits(text))
        return false;
    const int day = DigitsValue(text);
    return day >= 1 && day <= 31;
}

bool IsTwoDigitsUpTo(QStringView text, int highest)
{
    return text.size() == 2 && AllDigits(text) && DigitsValue(text) <= highest;
}

// "hh:mm:ss" or "hh:mm", two digits each, within a day.
bool IsClockTime(QStringView text)
{
    if (text.size() != 5 && text.size() != 8)
        return false;
    if (!IsTwoDigitsUpTo(text.first(2), 23) || text[2] != u':'
        || !IsTwoDigitsUpTo(text.sliced(3, 2), 59))
        return false;
    return text.size() == 5 || (text[5] == u':' && IsTwoDigitsUpTo(text.sliced(6, 2), 59));
}

// Writes value as `digits` decimal digits at position at, with leading zeros.
void PutDigits(QString &text, qsizetype at, qsizetype digits, int value)
{
    for (qsizetype i = at + digits - 1; i >= at; --i, value /= 10)
        text[i] = QChar(u'0' + value % 10);
}

QString ClockText(int hour, int minute, int second)
{
    QString time(8, u':');
    PutDigits(time, 0, 2, hour);
    PutDigits(time, 3, 2, minute);
    PutDigits(time, 6, 2, second);
    return time;
}

QString YearText(int year)
{
    QString text(4, u'0');
    PutDigits(text, 0, 4, year);
    return text;
}

// ---- Time zones ----------------------------------------------------------------------------

struct NamedZone {
    std::string_view name; // lower case
    int minutes;           // east of UTC
};

// The names of RFC 822 (UTC and the US zones; of its military letters only "Z", since the others
// were given with the wrong sign and feeds do not agree on them), then a few that feeds write and
// that mean one zone only in practice: western, central and eastern Europe with their summer
// times, British summer time, Moscow, Japan, Korea, Hong Kong, Singapore, western and eastern
// Australia, New Zealand, Hawaii and Alaska. Names that mean several zones (IST, a Chinese CST)
// are left out: guessing wrong would misplace an item by hours.
constexpr NamedZone kNamedZones[] = {
    {"z", 0},       {"gmt", 0},     {"ut", 0},     {"utc", 0},    {"est", -300}, {"edt", -240},
    {"cst", -360},  {"cdt", -300},  {"mst", -420}, {"mdt", -360}, {"pst", -480}, {"pdt", -420},
    {"wet", 0},     {"west", 60},   {"cet", 60},   {"cest", 120}, {"eet", 120},  {"eest", 180},
    {"bst", 60},    {"msk", 180},   {"jst", 540},  {"kst", 540},  {"hkt", 480},  {"sgt", 480},
    {"awst", 480},  {"aest", 600},  {"aedt", 660}, {"nzst", 720}, {"nzdt", 780}, {"hst", -600},
    {"akst", -540}, {"akdt", -480},
};

std::optional<int> NamedZoneMinutes(QStringView name)
{
    for (const NamedZone &zone : kNamedZones) {
        if (EqualsIgnoringAsciiCase(name, zone.name))
            return zone.minutes;
    }
    return std::nullopt;
}

// "+hh:mm", "+hhmm" or "+hh" (or one hour digit), "-" alike, at the start of the text; anything
// after it that is not one more digit is ignored ("+0200(CEST)").
std::optional<int> NumericZoneMinutes(QStringView text)
{
    if (text.isEmpty() || (text[0] != u'+' && text[0] != u'-'))
        return std::nullopt;
    qsizetype end = 1;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    const QStringView number = text.sliced(1, end - 1);
    QStringView hours = number;
    QStringView minutes;
    if (number.size() == 4) {
        hours = number.first(2);
        minutes = number.sliced(2);
    } else if (number.size() == 2 && end + 2 < text.size() && text[end] == u':'
               && IsDigit(text[end + 1]) && IsDigit(text[end + 2])
               && (end + 3 == text.size() || !IsDigit(text[end + 3]))) {
        minutes = text.sliced(end + 1, 2);
    } else if (number.size() < 1 || number.size() > 2) {
        return std::nullopt;
    }
    const int hourValue = DigitsValue(hours);
    const int minuteValue = minutes.isEmpty() ? 0 : DigitsValue(minutes);
    if (hourValue > 23 || minuteValue > 59)
        return std::nullopt;
    const int offset = hourValue * 60 + minuteValue;
    return text[0] == u'-' ? -offset : offset;
}

// The offset east of UTC of a zone as feeds write it: a name of kNamedZones, a numeric offset, or
// a name of UTC with an offset against it ("GMT+0200", as JavaScript writes dates). None, or one
// not understood, is UTC.
int ZoneMinutes(QStringView zone)
{
    if (const auto numeric = NumericZoneMinutes(zone))
        return *numeric;
    qsizetype letters = 0;
    while (letters < zone.size() && IsAsciiLetter(zone[letters]))
        ++letters;
    const QStringView name = zone.first(letters);
    if (EqualsIgnoringAsciiCase(name, "gmt") || EqualsIgnoringAsciiCase(name, "utc")
        || EqualsIgnoringAsciiCase(name, "ut")) {
        if (const auto offset = NumericZoneMinutes(zone.sliced(letters)))
            return *offset;
    }
    return NamedZoneMinutes(name).value_or(0);
}

// The first blank-separated word of the text.
QStringView FirstWord(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    qsizetype end = start;
    while (end < text.size() && !text[end].isSpace())
        ++end;
    return text.sliced(start, end - start);
}

// The moment in UTC as "yyyyMMddHHmmss". A day past the end of its month runs on into the next
// one, as the positional rules let "31 Feb" through. Should the zone carry the moment out of
// four-digit years, the time is taken as written instead.
QString UtcText(const DateParts &date)
{
    using namespace std::chrono;
    const sys_days firstOfMonth
        = year_month_day{year{date.year}, month{static_cast<unsigned>(date.month)}, day{1}};
    const sys_seconds local = firstOfMonth + days{DigitsValue(date.day) - 1} + hours{date.hour}
        + minutes{date.minute} + seconds{date.second};
    const sys_seconds moment = local - minutes{date.zoneMinutes};
    const sys_days dayOf = floor<days>(moment);
    const year_month_day calendar{dayOf};
    const int yearValue = static_cast<int>(calendar.year());
    if ((yearValue < 0 || yearValue > 9999) && date.zoneMinutes != 0) {
        DateParts asWritten = date;
        asWritten.zoneMinutes = 0;
        return UtcText(asWritten);
    }
    const hh_mm_ss<seconds> clock{moment - dayOf};
    QString text(14, u'0');
    PutDigits(text, 0, 4, yearValue);
    PutDigits(text, 4, 2, static_cast<int>(static_cast<unsigned>(calendar.month())));
    PutDigits(text, 6, 2, static_cast<int>(static_cast<unsigned>(calendar.day())));
    PutDigits(text, 8, 2, static_cast<int>(clock.hours().count()));
    PutDigits(text, 10, 2, static_cast<int>(clock.minutes().count()));
    PutDigits(text, 12, 2, static_cast<int>(clock.seconds().count()));
    return text;
}

// ---- The positional rules for an RFC 822 pubDate ------------------------------------------

// Day, month and year are the pieces 1 to 3 of the text before the time, split at single
// spaces; the time runs from two characters before the first ":" to the last space. The result
// counts only when every field has the form the item stamp needs.
std::optional<ItemDate> SplitByPosition(QStringView text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 2)
        return std::nullopt;
    const QStringView head = text.first(colon - 2);
    const QStringView tail = text.sliced(colon - 2);
    const qsizetype lastSpace = tail.lastIndexOf(u' ');
    if (lastSpace < 0)
        return std::nullopt;
    const QStringView time = tail.first(lastSpace);
    const QStringView zone = tail.sliced(lastSpace + 1);

    std::array<QStringView, 4> pieces;
    qsizetype count = 0;
    qsizetype start = 0;
    while (count < 4) {
        const qsizetype space = head.indexOf(u' ', start);
        pieces[static_cast<size_t>(count++)]
            = head.sliced(start, (space < 0 ? head.size() : space) - start);
        if (space < 0)
            break;
        start = space + 1;
    }
    if (count < 4)
        return std::nullopt;
    const QStringView day = pieces[1];
    const QStringView month = pieces[2];
    const QStringView year = pieces[3];
    if (year.size() != 4 || !AllDigits(year) || !IsDayNumber(day) || !IsClockTime(time))
        return std::nullopt;
    const int englishMonth = MonthNames::English(month);
    // Names of the desktop's language count too: the item stamp finds them.
    const int monthNumber
        = englishMonth ? englishMonth : MonthNames::InLocale(month.toString());
    if (monthNumber == 0)
        return std::nullopt;
    const QString monthText
        = englishMonth ? TextOf(month, EnglishAbbreviation(englishMonth)) : month.toString();
    const DateParts parts{day,
                          monthNumber,
                          DigitsValue(year),
                          DigitsValue(time.first(2)),
                          DigitsValue(time.sliced(3, 2)),
                          time.size() == 8 ? DigitsValue(time.sliced(6, 2)) : 0,
                          ZoneMinutes(zone)};
    return ItemDate{day.toString(), monthText, year.toString(), time.toString(), UtcText(parts)};
}

// ---- The positional rules for an Atom published date --------------------------------------

// Exactly YYYY-MM-DDThh:mm:ss, an optional fraction, and "Z" as the last character.
std::optional<DateParts> SplitUtcTimestamp(QStringView text)
{
    if (text.size() < 20 || !text.endsWith(u'Z'))
        return std::nullopt;
    const QStringView year = text.first(4);
    if (!AllDigits(year) || text[4] != u'-' || text[7] != u'-' || text[10] != u'T'
        || !IsClockTime(text.sliced(11, 8)))
        return std::nullopt;
    const QStringView month = text.sliced(5, 2);
    const QStringView day = text.sliced(8, 2);
    if (!AllDigits(month) || !IsDayNumber(day))
        return std::nullopt;
    const QStringView rest = text.sliced(19, text.size() - 20);
    if (!rest.isEmpty() && (rest.size() < 2 || rest[0] != u'.' || !AllDigits(rest.sliced(1))))
        return std::nullopt;
    const int monthNumber = DigitsValue(month);
    if (monthNumber < 1 || monthNumber > 12)
        return std::nullopt;
    return DateParts{day,
                     monthNumber,
                     DigitsValue(year),
                     DigitsValue(text.sliced(11, 2)),
                     DigitsValue(text.sliced(14, 2)),
                     DigitsValue(text.sliced(17, 2))};
}

// ---- The tolerant reader --------------------------------------------------------------------

// h:mm, hh:mm, h:mm:ss or hh:mm:ss, an optional fraction of a second (dropped); rest receives
// what follows, a zone written against the time or after it. Null when the text does not start
// with a time.
std::optional<DateParts> ReadClock(QStringView text, DateParts date, QStringView &rest)
{
    qsizetype at = 0;
    const auto number = [&text, &at](qsizetype minDigits, qsizetype maxDigits) -> int {
        qsizetype length = 0;
        while (at + length < text.size() && length < maxDigits && IsDigit(text[at + length]))
            ++length;
        if (length < minDigits)
            return -1;
        const int value = DigitsValue(text.sliced(at, length));
        at += length;
        return value;
    };
    date.hour = number(1, 2);
    if (date.hour < 0 || date.hour > 23 || at >= text.size() || text[at] != u':')
        return std::nullopt;
    ++at;
    date.minute = number(2, 2);
    if (date.minute < 0 || date.minute > 59)
        return std::nullopt;
    date.second = 0;
    if (at < text.size() && text[at] == u':') {
        ++at;
        date.second = number(2, 2);
        if (date.second < 0 || date.second > 59)
            return std::nullopt;
    }
    if (at < text.size() && IsDigit(text[at]))
        return std::nullopt;
    if (at + 1 < text.size() && text[at] == u'.' && IsDigit(text[at + 1])) {
        for (++at; at < text.size() && IsDigit(text[at]);)
            ++at;
    }
    rest = text.sliced(at);
    return date;
}

// YYYY-MM-DD (or YYYY/M/D), then nothing, or "T" or a space and a time, and the zone after the
// time ("Z", "+02:00", " -0800"); a date alone is midnight UTC.
std::optional<DateParts> ReadIsoDate(QStringView text)
{
    const QChar dateSeparator = text[4];
    DateParts date;
    date.year = DigitsValue(text.first(4));
    qsizetype at = 5;
    const auto field = [&text, &at]() -> QStringView {
        qsizetype length = 0;
        while (at + length < text.size() && length < 2 && IsDigit(text[at + length]))
            ++length;
        const QStringView digits = text.sliced(at, length);
        at += length;
        return digits;
    };
    const QStringView month = field();
    if (month.isEmpty() || at >= text.size() || text[at] != dateSeparator)
        return std::nullopt;
    ++at;
    date.day = field();
    date.month = DigitsValue(month);
    if (date.month < 1 || date.month > 12 || !IsDayNumber(date.day))
        return std::nullopt;
    if (at == text.size())
        return date;
    const QChar separator = text[at];
    if (separator != u'T' && separator != u't' && separator != u' ')
        return std::nullopt;
    QStringView rest;
    auto withTime = ReadClock(text.sliced(at + 1), date, rest);
    if (withTime)
        withTime->zoneMinutes = ZoneMinutes(FirstWord(rest));
    return withTime;
}

// Splits at blanks and commas; "01-May-2006" gives three tokens. Only the first few tokens can
// matter, so a long text costs no more than a short one.
class Tokens {
public:
    explicit Tokens(QStringView text)
    {
        qsizetype at = 0;
        while (m_count < kCapacity && at < text.size()) {
            while (at < text.size() && IsSeparator(text[at]))
                ++at;
            qsizetype end = at;
            while (end < text.size() && !IsSeparator(text[end]))
                ++end;
            if (end > at)
                add(text.sliced(at, end - at));
            at = end;
        }
    }

    [[nodiscard]] qsizetype size() const { return m_count; }
    [[nodiscard]] QStringView operator[](qsizetype i) const
    {
        return i < m_count ? m_tokens[static_cast<size_t>(i)] : QStringView();
    }

private:
    static constexpr qsizetype kCapacity = 8;

    static bool IsSeparator(QChar c) { return c.isSpace() || c == u','; }

    void add(QStringView token)
    {
        const qsizetype dash = token.indexOf(u'-');
        if (dash > 0 && IsDigit(token[0]) && !token.contains(u':')) {
            const qsizetype secondDash = token.indexOf(u'-', dash + 1);
            if (secondDash > dash + 1 && secondDash + 1 < token.size()) {
                push(token.first(dash));
                push(token.sliced(dash + 1, secondDash - dash - 1));
                push(token.sliced(secondDash + 1));
                return;
            }
        }
        push(token);
    }

    void push(QStringView token)
    {
        if (m_count < kCapacity)
            m_tokens[static_cast<size_t>(m_count++)] = token;
    }

    std::array<QStringView, kCapacity> m_tokens;
    qsizetype m_count = 0;
};

// Four digits as written, two digits as a year of RFC 822 (00-49 this century, 50-99 the last).
int YearOf(QStringView token)
{
    if (!AllDigits(token))
        return -1;
    if (token.size() == 4)
        return DigitsValue(token);
    if (token.size() == 2) {
        const int year = DigitsValue(token);
        return year < 50 ? 2000 + year : 1900 + year;
    }
    return -1;
}

bool IsMeridiem(QStringView token)
{
    return EqualsIgnoringAsciiCase(token, "am") || EqualsIgnoringAsciiCase(token, "pm");
}

// "AM" or "PM" after a time turns a twelve-hour clock into a twenty-four-hour one.
bool ApplyMeridiem(QStringView token, DateParts &date)
{
    if (!IsMeridiem(token))
        return true;
    const bool pm = EqualsIgnoringAsciiCase(token, "pm");
    if (date.hour < 1 || date.hour > 12)
        return false;
    date.hour = (date.hour % 12) + (pm ? 12 : 0);
    return true;
}

// [weekday] day month year [time], [weekday] month day year [time] or the C library's
// [weekday] month day time year. The token after those (after "AM" or "PM", if one follows) is
// the zone, unless one is written against the time; what follows the zone (its name in
// brackets) is ignored. A date without a time is taken at midnight UTC.
std::optional<DateParts> ReadWrittenDate(QStringView text)
{
    const Tokens tokens(text);
    qsizetype i = 0;
    if (IsEnglishWeekday(tokens[0]))
        ++i;
    DateParts date;
    QStringView yearToken;
    qsizetype timeAt = -1;
    if (IsDayNumber(tokens[i]) && MonthNames::LooseEnglish(tokens[i + 1])) {
        date.day = tokens[i];
        date.month = MonthNames::LooseEnglish(tokens[i + 1]);
        yearToken = tokens[i + 2];
        timeAt = i + 3;
    } else if (MonthNames::LooseEnglish(tokens[i]) && IsDayNumber(tokens[i + 1])) {
        date.month = MonthNames::LooseEnglish(tokens[i]);
        date.day = tokens[i + 1];
        const bool timeBeforeYear = tokens[i + 2].contains(u':');
        yearToken = tokens[timeBeforeYear ? i + 3 : i + 2];
        timeAt = timeBeforeYear ? i + 2 : i + 3;
    } else {
        return std::nullopt;
    }
    date.year = YearOf(yearToken);
    if (date.year < 0)
        return std::nullopt;
    const QStringView time = tokens[timeAt];
    if (time.isEmpty() || !IsDigit(time[0]) || !time.contains(u':'))
        return date;
    QStringView attachedZone;
    const auto withTime = ReadClock(time, date, attachedZone);
    if (!withTime)
        return std::nullopt;
    DateParts result = *withTime;
    // Day (or month), month (or day), year and time take four tokens in every order.
    if (!ApplyMeridiem(tokens[i + 4], result))
        return std::nullopt;
    const qsizetype zoneAt = IsMeridiem(tokens[i + 4]) ? i + 5 : i + 4;
    result.zoneMinutes = ZoneMinutes(attachedZone.isEmpty() ? tokens[zoneAt] : attachedZone);
    return result;
}

bool StartsWithIsoYear(QStringView text)
{
    return text.size() >= 5 && AllDigits(text.first(4)) && (text[4] == u'-' || text[4] == u'/');
}

std::optional<DateParts> ReadTolerantly(QStringView text)
{
    text = text.trimmed();
    if (StartsWithIsoYear(text))
        return ReadIsoDate(text);
    return ReadWrittenDate(text);
}

ItemDate ToItemDate(const DateParts &date, QString month)
{
    return ItemDate{date.day.toString(), std::move(month), YearText(date.year),
                    ClockText(date.hour, date.minute, date.second), UtcText(date)};
}

// The locale's abbreviations, kept for the last locale asked: an Atom feed asks for the same
// one for every entry.
QString LocaleMonthAbbreviation(const QLocale &locale, int month)
{
    struct Names {
        QLocale locale;
        std::array<QString, 12> abbreviations;
    };
    thread_local std::optional<Names> cache;
    if (!cache || !(cache->locale == locale)) {
        cache.emplace(Names{locale, {}});
        for (int i = 0; i < 12; ++i)
            cache->abbreviations[static_cast<size_t>(i)]
                = locale.monthName(i + 1, QLocale::ShortFormat);
    }
    return cache->abbreviations[static_cast<size_t>(month - 1)];
}

} // namespace

ItemDate SplitPubDate(const QString &text)
{
    if (auto exact = SplitByPosition(text))
        return *std::move(exact);
    if (const auto date = ReadTolerantly(text))
        return ToItemDate(*date, EnglishAbbreviation(date->month));
    return {};
}

ItemDate SplitPublished(const QString &text, const QLocale &locale)
{
    auto date = SplitUtcTimestamp(text);
    if (!date)
        date = ReadTolerantly(text);
    if (!date)
        return {};
    return ToItemDate(*date, LocaleMonthAbbreviation(locale, date->month));
}

} // namespace ItemDates
