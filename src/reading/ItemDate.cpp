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

bool isEnglishWeekday(QStringView name)
{
    if (name.endsWith(u'.'))
        name.chop(1);
    for (const std::string_view full : kFullWeekdayNames) {
        if (equalsIgnoringAsciiCase(name, full) || equalsIgnoringAsciiCase(name, full.substr(0, 3)))
            return true;
    }
    return false;
}

// Shared, so that the common case allocates nothing for the month.
const QString &englishAbbreviation(int month)
{
    static const std::array<QString, 12> names = {
        QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"), QStringLiteral("Apr"),
        QStringLiteral("May"), QStringLiteral("Jun"), QStringLiteral("Jul"), QStringLiteral("Aug"),
        QStringLiteral("Sep"), QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};
    return names[static_cast<size_t>(month - 1)];
}

QString textOf(QStringView view, const QString &shared)
{
    return view == shared ? shared : view.toString();
}

bool isDayNumber(QStringView text)
{
    if (text.size() < 1 || text.size() > 2 || !allDigits(text))
        return false;
    const int day = digitsValue(text);
    return day >= 1 && day <= 31;
}

bool isTwoDigitsUpTo(QStringView text, int highest)
{
    return text.size() == 2 && allDigits(text) && digitsValue(text) <= highest;
}

// "hh:mm:ss" or "hh:mm", two digits each, within a day.
bool isClockTime(QStringView text)
{
    if (text.size() != 5 && text.size() != 8)
        return false;
    if (!isTwoDigitsUpTo(text.first(2), 23) || text[2] != u':'
        || !isTwoDigitsUpTo(text.sliced(3, 2), 59))
        return false;
    return text.size() == 5 || (text[5] == u':' && isTwoDigitsUpTo(text.sliced(6, 2), 59));
}

// Writes value as `digits` decimal digits at position at, with leading zeros.
void putDigits(QString &text, qsizetype at, qsizetype digits, int value)
{
    for (qsizetype i = at + digits - 1; i >= at; --i, value /= 10)
        text[i] = QChar(u'0' + value % 10);
}

QString clockText(int hour, int minute, int second)
{
    QString time(8, u':');
    putDigits(time, 0, 2, hour);
    putDigits(time, 3, 2, minute);
    putDigits(time, 6, 2, second);
    return time;
}

QString yearText(int year)
{
    QString text(4, u'0');
    putDigits(text, 0, 4, year);
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

std::optional<int> namedZoneMinutes(QStringView name)
{
    for (const NamedZone &zone : kNamedZones) {
        if (equalsIgnoringAsciiCase(name, zone.name))
            return zone.minutes;
    }
    return std::nullopt;
}

// "+hh:mm", "+hhmm" or "+hh" (or one hour digit), "-" alike, at the start of the text; anything
// after it that is not one more digit is ignored ("+0200(CEST)").
std::optional<int> numericZoneMinutes(QStringView text)
{
    if (text.isEmpty() || (text[0] != u'+' && text[0] != u'-'))
        return std::nullopt;
    qsizetype end = 1;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    const QStringView number = text.sliced(1, end - 1);
    QStringView hours = number;
    QStringView minutes;
    if (number.size() == 4) {
        hours = number.first(2);
        minutes = number.sliced(2);
    } else if (number.size() == 2 && end + 2 < text.size() && text[end] == u':'
               && isDigit(text[end + 1]) && isDigit(text[end + 2])
               && (end + 3 == text.size() || !isDigit(text[end + 3]))) {
        minutes = text.sliced(end + 1, 2);
    } else if (number.size() < 1 || number.size() > 2) {
        return std::nullopt;
    }
    const int hourValue = digitsValue(hours);
    const int minuteValue = minutes.isEmpty() ? 0 : digitsValue(minutes);
    if (hourValue > 23 || minuteValue > 59)
        return std::nullopt;
    const int offset = hourValue * 60 + minuteValue;
    return text[0] == u'-' ? -offset : offset;
}

// The offset east of UTC of a zone as feeds write it: a name of kNamedZones, a numeric offset, or
// a name of UTC with an offset against it ("GMT+0200", as JavaScript writes dates). None, or one
// not understood, is UTC.
int zoneMinutes(QStringView zone)
{
    if (const auto numeric = numericZoneMinutes(zone))
        return *numeric;
    qsizetype letters = 0;
    while (letters < zone.size() && isAsciiLetter(zone[letters]))
        ++letters;
    const QStringView name = zone.first(letters);
    if (equalsIgnoringAsciiCase(name, "gmt") || equalsIgnoringAsciiCase(name, "utc")
        || equalsIgnoringAsciiCase(name, "ut")) {
        if (const auto offset = numericZoneMinutes(zone.sliced(letters)))
            return *offset;
    }
    return namedZoneMinutes(name).value_or(0);
}

// The first blank-separated word of the text.
QStringView firstWord(QStringView text)
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
QString utcText(const DateParts &date)
{
    using namespace std::chrono;
    const sys_days firstOfMonth
        = year_month_day{year{date.year}, month{static_cast<unsigned>(date.month)}, day{1}};
    const sys_seconds local = firstOfMonth + days{digitsValue(date.day) - 1} + hours{date.hour}
        + minutes{date.minute} + seconds{date.second};
    const sys_seconds moment = local - minutes{date.zoneMinutes};
    const sys_days dayOf = floor<days>(moment);
    const year_month_day calendar{dayOf};
    const int yearValue = static_cast<int>(calendar.year());
    if ((yearValue < 0 || yearValue > 9999) && date.zoneMinutes != 0) {
        DateParts asWritten = date;
        asWritten.zoneMinutes = 0;
        return utcText(asWritten);
    }
    const hh_mm_ss<seconds> clock{moment - dayOf};
    QString text(14, u'0');
    putDigits(text, 0, 4, yearValue);
    putDigits(text, 4, 2, static_cast<int>(static_cast<unsigned>(calendar.month())));
    putDigits(text, 6, 2, static_cast<int>(static_cast<unsigned>(calendar.day())));
    putDigits(text, 8, 2, static_cast<int>(clock.hours().count()));
    putDigits(text, 10, 2, static_cast<int>(clock.minutes().count()));
    putDigits(text, 12, 2, static_cast<int>(clock.seconds().count()));
    return text;
}

// ---- The positional rules for an RFC 822 pubDate ------------------------------------------

// Day, month and year are the pieces 1 to 3 of the text before the time, split at single
// spaces; the time runs from two characters before the first ":" to the last space. The result
// counts only when every field has the form the item stamp needs.
std::optional<ItemDate> splitByPosition(QStringView text)
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
    if (year.size() != 4 || !allDigits(year) || !isDayNumber(day) || !isClockTime(time))
        return std::nullopt;
    const int englishMonth = MonthNames::english(month);
    // Names of the desktop's language count too: the item stamp finds them.
    const int monthNumber = englishMonth ? englishMonth : MonthNames::inLocale(month.toString());
    if (monthNumber == 0)
        return std::nullopt;
    const QString monthText
        = englishMonth ? textOf(month, englishAbbreviation(englishMonth)) : month.toString();
    const DateParts parts{day,
                          monthNumber,
                          digitsValue(year),
                          digitsValue(time.first(2)),
                          digitsValue(time.sliced(3, 2)),
                          time.size() == 8 ? digitsValue(time.sliced(6, 2)) : 0,
                          zoneMinutes(zone)};
    return ItemDate{day.toString(), monthText, year.toString(), time.toString(), utcText(parts)};
}

// ---- The positional rules for an Atom published date --------------------------------------

// Exactly YYYY-MM-DDThh:mm:ss, an optional fraction, and "Z" as the last character.
std::optional<DateParts> splitUtcTimestamp(QStringView text)
{
    if (text.size() < 20 || !text.endsWith(u'Z'))
        return std::nullopt;
    const QStringView year = text.first(4);
    if (!allDigits(year) || text[4] != u'-' || text[7] != u'-' || text[10] != u'T'
        || !isClockTime(text.sliced(11, 8)))
        return std::nullopt;
    const QStringView month = text.sliced(5, 2);
    const QStringView day = text.sliced(8, 2);
    if (!allDigits(month) || !isDayNumber(day))
        return std::nullopt;
    const QStringView rest = text.sliced(19, text.size() - 20);
    if (!rest.isEmpty() && (rest.size() < 2 || rest[0] != u'.' || !allDigits(rest.sliced(1))))
        return std::nullopt;
    const int monthNumber = digitsValue(month);
    if (monthNumber < 1 || monthNumber > 12)
        return std::nullopt;
    return DateParts{day,
                     monthNumber,
                     digitsValue(year),
                     digitsValue(text.sliced(11, 2)),
                     digitsValue(text.sliced(14, 2)),
                     digitsValue(text.sliced(17, 2))};
}

// ---- The tolerant reader --------------------------------------------------------------------

// h:mm, hh:mm, h:mm:ss or hh:mm:ss, an optional fraction of a second (dropped); rest receives
// what follows, a zone written against the time or after it. Null when the text does not start
// with a time.
std::optional<DateParts> readClock(QStringView text, DateParts date, QStringView &rest)
{
    qsizetype at = 0;
    const auto number = [&text, &at](qsizetype minDigits, qsizetype maxDigits) -> int {
        qsizetype length = 0;
        while (at + length < text.size() && length < maxDigits && isDigit(text[at + length]))
            ++length;
        if (length < minDigits)
            return -1;
        const int value = digitsValue(text.sliced(at, length));
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
    if (at < text.size() && isDigit(text[at]))
        return std::nullopt;
    if (at + 1 < text.size() && text[at] == u'.' && isDigit(text[at + 1])) {
        for (++at; at < text.size() && isDigit(text[at]);)
            ++at;
    }
    rest = text.sliced(at);
    return date;
}

// YYYY-MM-DD (or YYYY/M/D), then nothing, or "T" or a space and a time, and the zone after the
// time ("Z", "+02:00", " -0800"); a date alone is midnight UTC.
std::optional<DateParts> readIsoDate(QStringView text)
{
    const QChar dateSeparator = text[4];
    DateParts date;
    date.year = digitsValue(text.first(4));
    qsizetype at = 5;
    const auto field = [&text, &at]() -> QStringView {
        qsizetype length = 0;
        while (at + length < text.size() && length < 2 && isDigit(text[at + length]))
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
    date.month = digitsValue(month);
    if (date.month < 1 || date.month > 12 || !isDayNumber(date.day))
        return std::nullopt;
    if (at == text.size())
        return date;
    const QChar separator = text[at];
    if (separator != u'T' && separator != u't' && separator != u' ')
        return std::nullopt;
    QStringView rest;
    auto withTime = readClock(text.sliced(at + 1), date, rest);
    if (withTime)
        withTime->zoneMinutes = zoneMinutes(firstWord(rest));
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
            while (at < text.size() && isSeparator(text[at]))
                ++at;
            qsizetype end = at;
            while (end < text.size() && !isSeparator(text[end]))
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

    static bool isSeparator(QChar c) { return c.isSpace() || c == u','; }

    void add(QStringView token)
    {
        const qsizetype dash = token.indexOf(u'-');
        if (dash > 0 && isDigit(token[0]) && !token.contains(u':')) {
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
int yearOf(QStringView token)
{
    if (!allDigits(token))
        return -1;
    if (token.size() == 4)
        return digitsValue(token);
    if (token.size() == 2) {
        const int year = digitsValue(token);
        return year < 50 ? 2000 + year : 1900 + year;
    }
    return -1;
}

bool isMeridiem(QStringView token)
{
    return equalsIgnoringAsciiCase(token, "am") || equalsIgnoringAsciiCase(token, "pm");
}

// "AM" or "PM" after a time turns a twelve-hour clock into a twenty-four-hour one.
bool applyMeridiem(QStringView token, DateParts &date)
{
    if (!isMeridiem(token))
        return true;
    const bool pm = equalsIgnoringAsciiCase(token, "pm");
    if (date.hour < 1 || date.hour > 12)
        return false;
    date.hour = (date.hour % 12) + (pm ? 12 : 0);
    return true;
}

// [weekday] day month year [time], [weekday] month day year [time] or the C library's
// [weekday] month day time year. The token after those (after "AM" or "PM", if one follows) is
// the zone, unless one is written against the time; what follows the zone (its name in
// brackets) is ignored. A date without a time is taken at midnight UTC.
std::optional<DateParts> readWrittenDate(QStringView text)
{
    const Tokens tokens(text);
    qsizetype i = 0;
    if (isEnglishWeekday(tokens[0]))
        ++i;
    DateParts date;
    QStringView yearToken;
    qsizetype timeAt = -1;
    if (isDayNumber(tokens[i]) && MonthNames::looseEnglish(tokens[i + 1])) {
        date.day = tokens[i];
        date.month = MonthNames::looseEnglish(tokens[i + 1]);
        yearToken = tokens[i + 2];
        timeAt = i + 3;
    } else if (MonthNames::looseEnglish(tokens[i]) && isDayNumber(tokens[i + 1])) {
        date.month = MonthNames::looseEnglish(tokens[i]);
        date.day = tokens[i + 1];
        const bool timeBeforeYear = tokens[i + 2].contains(u':');
        yearToken = tokens[timeBeforeYear ? i + 3 : i + 2];
        timeAt = timeBeforeYear ? i + 2 : i + 3;
    } else {
        return std::nullopt;
    }
    date.year = yearOf(yearToken);
    if (date.year < 0)
        return std::nullopt;
    const QStringView time = tokens[timeAt];
    if (time.isEmpty() || !isDigit(time[0]) || !time.contains(u':'))
        return date;
    QStringView attachedZone;
    const auto withTime = readClock(time, date, attachedZone);
    if (!withTime)
        return std::nullopt;
    DateParts result = *withTime;
    // Day (or month), month (or day), year and time take four tokens in every order.
    if (!applyMeridiem(tokens[i + 4], result))
        return std::nullopt;
    const qsizetype zoneAt = isMeridiem(tokens[i + 4]) ? i + 5 : i + 4;
    result.zoneMinutes = zoneMinutes(attachedZone.isEmpty() ? tokens[zoneAt] : attachedZone);
    return result;
}

bool startsWithIsoYear(QStringView text)
{
    return text.size() >= 5 && allDigits(text.first(4)) && (text[4] == u'-' || text[4] == u'/');
}

std::optional<DateParts> readTolerantly(QStringView text)
{
    text = text.trimmed();
    if (startsWithIsoYear(text))
        return readIsoDate(text);
    return readWrittenDate(text);
}

ItemDate toItemDate(const DateParts &date, QString month)
{
    return ItemDate{date.day.toString(), std::move(month), yearText(date.year),
                    clockText(date.hour, date.minute, date.second), utcText(date)};
}

// The locale's abbreviations, kept for the last locale asked: an Atom feed asks for the same
// one for every entry.
QString localeMonthAbbreviation(const QLocale &locale, int month)
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

ItemDate splitPubDate(const QString &text)
{
    if (auto exact = splitByPosition(text))
        return *std::move(exact);
    if (const auto date = readTolerantly(text))
        return toItemDate(*date, englishAbbreviation(date->month));
    return {};
}

ItemDate splitPublished(const QString &text, const QLocale &locale)
{
    auto date = splitUtcTimestamp(text);
    if (!date)
        date = readTolerantly(text);
    if (!date)
        return {};
    return toItemDate(*date, localeMonthAbbreviation(locale, date->month));
}

} // namespace ItemDates
