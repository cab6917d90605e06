#pragma once

#include "reading/FeedItem.h"
#include "reading/ItemMerge.h"

#include <QDateTime>
#include <QList>
#include <QString>

// A feed document's items into the feed's item file, as one load-change-save under the file's
// lock on the file as it is on disk at that moment: a mark or a delete made meanwhile, by a
// window or another program, is kept.
//
// A file that does not parse (or has no data element) is damaged: it is renamed to
// "<name>.damaged-yyyyMMdd-HHmmss" beside itself and the feed starts a new file, in which the
// items the feed still serves are stored again, unread.
namespace ItemStore {

// How long a merge waits for the file's lock while another part of the program or another
// program changes it.
inline constexpr int kLockWaitMs = 5000;

struct MergeOutcome {
    enum class Status {
        Saved,     // the file was written
        Unchanged, // nothing to write
        Failed,    // nothing was written: the lock or the save failed (error says why)
    };
    Status status = Status::Unchanged;
    MergeResult merge;
    QString error;
    QString setAsidePath; // where a damaged file went; empty when none was
};

// path: the item file, non-empty. now: names a damaged file and stamps the record of deleted
// items.
[[nodiscard]] MergeOutcome merge(const QString &path, const QList<FeedItem> &items,
                                 const QDateTime &now);

} // namespace ItemStore
