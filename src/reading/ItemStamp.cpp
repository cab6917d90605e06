#include "reading/ItemStamp.h"

#include "reading/DateText.h"
#include "reading/FeedItem.h"
#include "reading/ItemDate.h"
#include "reading/MonthNames.h"

#include <QStringView>

#include <algorithm>

namespace ItemStamp {
namespace {

using namespace DateText;

struct Moment {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The key of a moment whose fields are in range; empty text otherwise.
QString keyOf(const Moment &m)
{
    if (m.month < 1 || m.month > 12 || m.day < 1 || m.day > 31 || m.hour > 23 || m.minute > 59
        || m.second > 59)
        return {};
    QString key(14, u'0');
    const auto put = [&key](qsizetype at, qsizetype digits, int value) {
        for (qsizetype i = at + digits - 1; i >= at; --i, value /= 10)
            key[i] = QChar(u'0' + value % 10);
    };
    put(0, 4, m.year);
    put(4, 2, m.month);
    put(6, 2, m.day);
    put(8, 2, m.hour);
    put(10, 2, m.minute);
    put(12, 2, m.second);
    return key;
}

// "h:mm", "hh:mm", "h:mm:ss" or "hh:mm:ss" into the moment; false for anything else.
bool readTime(QStringView time, Moment &m)
{
    const qsizetype colon = time.indexOf(u':');
    if (colon < 1 || colon > 2)
        return false;
    const QStringView hour = time.first(colon);
    const QStringView rest = time.sliced(colon + 1);
    const QStringView minute = rest.first(std::min<qsizetype>(rest.size(), 2));
    if (!allDigits(hour) || minute.size() != 2 || !allDigits(minute))
        return false;
    if (rest.size() == 2) {
        m.second = 0;
    } else if (rest.size() == 5 && rest[2] == u':' && allDigits(rest.sliced(3))) {
        m.second = digitsValue(rest.sliced(3));
    } else {
        return false;
    }
    m.hour = digitsValue(hour);
    m.minute = digitsValue(minute);
    return true;
}

QString keyOfFields(QStringView day, QStringView month, QStringView year, QStringView time)
{
    day = day.trimmed();
    year = year.trimmed();
    if (year.size() != 4 || !allDigits(year) || day.size() > 2 || !allDigits(day))
        return {};
    Moment m;
    m.year = digitsValue(year);
    m.day = digitsValue(day);
    m.month = MonthNames::anyLanguage(month);
    if (!readTime(time.trimmed(), m))
        return {};
    return keyOf(m);
}

} // namespace

QString chronologicalKey(const FeedItem &item)
{
    return keyOfFields(item.day, item.month, item.year, item.time);
}

QString chronologicalKey(const ItemDate &date)
{
    return keyOfFields(date.day, date.month, date.year, date.time);
}

QString keyOfStamp(const QString &stamp)
{
    const QStringView digits = QStringView(stamp).trimmed();
    if (digits.size() < 11 || digits.size() > 14 || !allDigits(digits))
        return {};
    // The day has one digit in 11 and 13 digits; the time has seconds in 13 and 14.
    const qsizetype dayDigits = digits.size() % 2 == 0 ? 2 : 1;
    const bool withSeconds = digits.size() >= 13;
    const QStringView time = digits.sliced(6 + dayDigits);
    Moment m;
    m.year = digitsValue(digits.first(4));
    m.month = digitsValue(digits.sliced(4, 2));
    m.day = digitsValue(digits.sliced(6, dayDigits));
    m.hour = digitsValue(time.first(2));
    m.minute = digitsValue(time.sliced(2, 2));
    m.second = withSeconds ? digitsValue(time.sliced(4, 2)) : 0;
    return keyOf(m);
}

QString sortKey(const FeedItem &item)
{
    if (!item.utc.isEmpty())
        return item.utc;
    QString key = chronologicalKey(item);
    return key.isEmpty() ? QStringLiteral("0") : key;
}

} // namespace ItemStamp
