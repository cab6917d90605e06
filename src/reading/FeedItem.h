#pragma once

#include <QString>

// One item of a feed, as parsed from a document or read from an item file. Every field is text
// and empty when the feed did not supply it. The four date fields keep the form the parser
// produced: Year as four digits, Month as a month name ("May"), Day as delivered ("01" or "1"),
// Time as hh:mm:ss.
struct FeedItem {
    QString Title;
    QString Link;
    QString Day;
    QString Month;
    QString Year;
    QString Time;
    QString Description;
    QString Media;
    QString ID; // clsMD5::GetMD5(Link)
};
