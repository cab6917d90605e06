#pragma once

#include "reading/FeedItem.h"

#include <QList>
#include <QString>

// The identifier under which an item is stored, found again, marked and deleted: 32 lower-case
// hexadecimal digits of an MD5 digest.
//
// An item is named by what its publisher names it by, as far as the document says:
//   its guid (RSS) or id (Atom);
//   else its link, together with its enclosure when it has one (podcasts often give every
//   episode the show's page as link);
//   else its enclosure;
//   else its title and date (else its description, for an item with nothing else).
// The identifier depends on the item alone, so it stays the same from check to check whatever
// other items come and go. Only when several items of one document would share an identifier
// while they differ in title or date (no guid, and the same link) do those items take their
// title and date into the identifier as well; a guid keeps its identifier whatever shares it,
// since the publisher says it is one item. An item whose guid is its link (the common case),
// and an item without guid or enclosure, keeps the identifier earlier versions gave it: the
// digest of its link.
namespace ItemIdentifier {

// MD5 of the text in Windows-1252 when that code page has every character of it (which
// reproduces the identifiers of existing item files), else of its UTF-8 bytes (so that links
// in other scripts no longer collapse into "?").
[[nodiscard]] QString digest(const QString &text);

// Gives every item of one document its identifier, in place. Items that are the same item (the
// same guid, or nothing that tells them apart) get the same identifier.
void assignAll(QList<FeedItem> &items);

// What a stored item may have been named by before its document named it otherwise, so that
// it is recognised rather than stored twice: the digest earlier versions made of its link (its
// Windows-1252 text, "?" for what that code page lacks), or the identifier it took while it
// shared its link with a different item. Neither uses the guid, which item files do not keep.
[[nodiscard]] bool isLegacyLinkIdentifier(const QString &id, const QString &link);
[[nodiscard]] QString distinctIdentifier(const FeedItem &item);
// The identifier a stored item's own values give it (it was served without a guid). A stored
// item that holds it, but is no longer served under it, was named by values the document now
// gives otherwise: an enclosure read from the wrong attribute, control characters since dropped.
[[nodiscard]] QString ownIdentifier(const FeedItem &item);

} // namespace ItemIdentifier
