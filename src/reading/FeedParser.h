#pragma once

#include "common/FeedType.h"
#include "reading/FeedItem.h"

#include <QByteArrayView>
#include <QList>
#include <QLocale>
#include <QString>

// Feed documents in, items out: no window, no network, no message boxes. The refresh wraps these
// with its boxes and the scheduled check with its log lines, so both read feeds the same way.
namespace FeedParser {

// Items beyond this many are not read (counts and positions are 16-bit in the item list). For
// the same reason only the first 32767 child nodes of the channel, the feed or an item are read.
inline constexpr int kMaxItems = 32767;

enum class ParseStatus {
    Ok,
    EmptyStream,   // the text is blank
    InvalidXml,    // the text is not well-formed XML
    WrongFeedType, // no rss/channel (RSS) or no feed element (Atom)
};

struct ParseResult {
    ParseStatus status = ParseStatus::Ok;
    QList<FeedItem> items; // in document order
};

// How the program states a failed parse: the title and text of the refresh's warning box, which
// the scheduled check and the command line repeat. For Ok both are empty.
struct FailureMessage {
    QString title;
    QString text;
};
[[nodiscard]] FailureMessage messageFor(ParseStatus status, bool atom);

// The direct item children of the first rss/channel: title, description, link, guid, pubDate
// split into the date fields, and the first attribute of enclosure as Media; each item gets its
// identifier (ItemIdentifier::assignAll). A child that occurs twice overwrites the earlier value.
[[nodiscard]] ParseResult parseRss(const QString &text);
// The same for a document kept as UTF-8 text, without decoding it first.
[[nodiscard]] ParseResult parseRss(QByteArrayView utf8);

// The entry children of the first feed element: title, content as Description, the link (href of
// the first link whose rel is "alternate" or absent, else of the first link; empty when no link
// has an href), id as Guid, published split into the date fields with the locale's month
// abbreviation; each entry gets its identifier. Media stays empty.
[[nodiscard]] ParseResult parseAtom(const QString &text, const QLocale &locale = QLocale::system());
[[nodiscard]] ParseResult parseAtom(QByteArrayView utf8, const QLocale &locale = QLocale::system());

struct FeedContent {
    ParseStatus status = ParseStatus::Ok;
    FeedType type
        = FeedType::Unknown; // what the document is: RSS, Atom or podcast; unknown on failure
    QList<FeedItem> items;   // in document order
};

// A fetched document read as what it is, whatever type its subscription names: an rss element
// makes it RSS (a podcast when its channel has itunes:summary) and a feed element Atom, as the
// feed probe decides; WrongFeedType when it has neither.
[[nodiscard]] FeedContent parseFeed(QByteArrayView utf8, const QLocale &locale = QLocale::system());

} // namespace FeedParser
