#pragma once

#include "reading/FeedItem.h"

#include <QDate>
#include <QList>
#include <QString>

#include <utility>

class ItemFile;

// What one feed document does to the item file of its feed. The document's items carry their
// identifiers (ItemIdentifier::assignAll).
//
// An item is new when the file holds no item under its identifier and the user has not deleted
// it; dates never decide. New items are appended in the reverse of their document order, which
// for the usual newest-first feed is oldest first. An item the file holds already is never
// stored twice: one served again with a changed title, link, date, description or enclosure is
// updated in place and keeps its read state. A stored item whose identifier the document names
// differently (a file that earlier versions wrote, where the identifier was the digest of the
// link alone, or of an enclosure read from the wrong attribute, or of text with control
// characters) is recognised by its link (and, where several share a link, by its title and
// date) and takes its new identifier.
struct MergeResult {
    QList<FeedItem> added;   // in the order they were appended
    QList<FeedItem> updated; // as they are stored now
    // Stored items that took the identifier the document gives them: the one they had, and the
    // one they have now.
    QList<std::pair<QString, QString>> renamed;
    // Identifiers the first merge of an earlier version's file took into the record of deleted
    // items (items the file lacks, dated at or before its latest).
    int deletedByLatest = 0;
    bool changed = false; // the document in memory differs from the file: it needs a save
};

// Merges the document's items into the loaded file in memory; the caller saves. today stamps
// the record of deleted items: it tells how long ago a feed last served a deleted item.
[[nodiscard]] MergeResult mergeItems(ItemFile &file, const QList<FeedItem> &items,
                                     const QDate &today);

// How long the record keeps a deleted item that its feed no longer serves, and how often a
// feed that still serves one has that noted (each note costs a save).
inline constexpr int kForgetDeletedAfterDays = 90;
inline constexpr int kNoteServedEveryDays = 7;
