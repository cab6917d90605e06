#pragma once

#include <QString>

// One item of a feed, as parsed from a document or read from an item file. Every field is text
// and empty when the feed did not supply it. The four date fields keep the form the parser
// produced: Year as four digits, Month as a month name ("May"), Day as delivered ("01" or "1"),
// Time as hh:mm:ss.
struct FeedItem {
    QString title;
    QString link;
    QString day;
    QString month;
    QString year;
    QString time;
    QString description;
    QString media;
    QString id; // the item identifier: see ItemIdentity
    // What the publisher names the item by: the RSS guid or the Atom id, trimmed. Decides the
    // identifier; not stored.
    QString guid;
    // The publication time in UTC as "yyyyMMddHHmmss", the time zone applied; empty when the
    // item has no date. Orders items chronologically whatever zone or language they came in.
    QString utc;
};
