#pragma once

#include <QLocale>
#include <QString>

// The four date fields of an item as the parsers produce them and the item file stores them.
struct ItemDate {
    QString day;   // as delivered: "01" or "1"
    QString month; // a month name: the English abbreviation for RSS, the locale's for Atom
    QString year;  // four digits
    QString time;  // hh:mm:ss, no zone
    // The same moment in UTC as "yyyyMMddHHmmss", the zone that was written applied (none
    // written: UTC); empty when the other fields are. Initialised so that code that spells out
    // the four fields alone stays free of missing-initialiser warnings.
    QString utc{};
};

namespace ItemDates {

// An RSS pubDate ("Mon, 01 May 2006 12:34:56 GMT"): the weekday, day, month and year before
// the time, the time up to the zone. When those positional rules give a sound date (four-digit
// year, a month name the item stamp knows, a day of one or two digits, hh:mm:ss or hh:mm) it is
// kept exactly as written, so that stamps stay what existing item files hold. Otherwise a
// tolerant parser reads the common forms (ISO 8601, full month names, missing comma or weekday,
// numeric zones, two-digit years, times without seconds or with am/pm, surrounding blanks):
// Month becomes the English abbreviation, Time hh:mm:ss (midnight for a date without a time).
// The four fields keep the time as written; Utc has the zone applied: "Z", GMT, UT, UTC, the US
// zones, numeric offsets and a few common names (kNamedZones in ItemDate.cpp); none, or one not
// understood, is UTC. What no common form matches leaves every field empty.
[[nodiscard]] ItemDate splitPubDate(const QString &text);

// An Atom published date ("2006-05-01T12:34:56Z"): Month is the locale's abbreviated name of
// the month number, Day the two digits, Time hh:mm:ss as written (a fraction of a second is
// dropped, since a stamp with a "." is no number), Utc with the zone applied. Other forms
// (numeric zone "+hh:mm" or "+hhmm", no zone = UTC, date only = midnight UTC) go through the same
// tolerant parser; otherwise every field stays empty.
[[nodiscard]] ItemDate splitPublished(const QString &text,
                                      const QLocale &locale = QLocale::system());

} // namespace ItemDates
