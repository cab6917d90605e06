#pragma once

#include "subscriptions/OpmlReader.h"

#include <QByteArray>
#include <QDateTime>

namespace Opml {

// The folders as an OPML 2.0 document in UTF-8, indented by two spaces, "\n" line ends: a head
// with the title "Marlowin subscriptions" and dateCreated = created in RFC 822 form, then one
// outline per folder (text and title = its name) holding one outline per feed: text and title =
// its name, type "rss" (RSS and podcast) or "atom", xmlUrl = its URL, and marlowinType="podcast"
// for a podcast. readOpml reads the result back to the same folders.
[[nodiscard]] QByteArray writeOpml(const std::vector<ListedFolder> &folders,
                                   const QDateTime &created);

// The date as RFC 822 writes it, in English whatever the locale: "Sat, 14 Mar 2026 09:26:53
// +0000", the offset being the date's own.
[[nodiscard]] QString rfc822Date(const QDateTime &date);

} // namespace Opml
