#pragma once

#include "reading/FeedItem.h"
#include "scheduler/ScheduleLog.h"
#include "subscriptions/FeedRecord.h"

#include <QList>
#include <QLocale>
#include <QString>

class NewItemsAnnouncement;

namespace platform {
struct Context;
}

// The scheduled check: for every feed of the schedule (mSettings::ScheduleList, re-read from
// AppCfg.cfg at the start of each run) it fetches the feed document, parses it, appends the
// items newer than the newest one stored to the feed's item file, and counts them. The run is
// written to schedule.log; the feeds that brought new items are announced in one popup.
//
// Everything runs on the user-interface thread. Only the fetch wait yields to the event loop
// (10 ms turns), so the windows stay usable and may clear CheckRunning meanwhile.
//
// Feeds take their turns in schedule order; each passes through LoadSourceLatest, the fetch, a
// parse and MergeSourceItems with its own SourceCheck, so nothing but the log and the summary is
// shared between feeds. While a feed waits for its server or is parsed and merged, the requests
// of the feeds after it are already sent (CheckOptions::maxRequestsInFlight), so slow servers
// answer side by side instead of one after the other. Only the network work moves ahead: every
// line of a feed is logged at its turn, its connection check happens at its turn, and its time
// limit runs from its own send, so the log, the item files and the announcement are those of a
// run that sends each request at its turn.
namespace mScheduler {

// How long a fetch waits for the complete response, from its send, in milliseconds.
inline constexpr int kSourceTimeoutMs = 10000;

// Requests of a run running at the same time by default, the current feed's included.
inline constexpr int kMaxRequestsInFlight = 8;

// Set while a run that has feeds is in progress. Clearing it (the main window does when it
// unloads) ends the run after the feed in progress: the requests sent ahead are aborted, the
// footer is still written and the feeds checked so far are still announced.
extern bool CheckRunning;

struct CheckOptions {
    int fetchTimeoutMs = kSourceTimeoutMs;
    // 1 (or less) sends each request at its feed's turn only.
    int maxRequestsInFlight = kMaxRequestsInFlight;
    // Dates in the log, and the month names of Atom dates and of the item stamps.
    QLocale locale = QLocale::system();
    // Sees every text written to the log (marlowin-check prints them).
    LogObserver logObserver;
};

// One feed that brought new items in this run: a row of the announcement.
struct NewItemsCount {
    QString Name;
    qint16 Count = 0;
};

// The state of the feed being checked.
struct SourceCheck {
    FeedRecord CurrentSource;
    QString SourceLatest;          // stamp of the newest item stored for the feed
    QString SourceResponse;        // body of the fetch
    QList<FeedItem> SourceItems;   // parsed from SourceResponse, in document order
};

// One complete run: header, the schedule, every feed, footer, announcement. Writes the
// "No Feed Sources found Configured for Schduled check!" line (and announces nothing) when the
// schedule is empty.
void RunScheduledCheck(const platform::Context &ctx, NewItemsAnnouncement &announcement,
                       const CheckOptions &options = {});

// The text of the first data/latest of the feed's item file; empty when the file is missing,
// does not parse, has no latest, or the feed identifier is not of the 36-character form.
[[nodiscard]] QString LoadSourceLatest(const platform::Context &ctx, const FeedRecord &source);

// GET of the feed's URL with "Cache-Control: no-cache" into check.SourceResponse, whatever the
// HTTP status. False, with its error line logged, when the machine is offline, the URL cannot be
// requested, or no complete response arrived within timeoutMs.
[[nodiscard]] bool FetchSource(const platform::Context &ctx, const ScheduleLog &log,
                               SourceCheck &check, int timeoutMs = kSourceTimeoutMs);

// Parse check.SourceResponse into check.SourceItems: the count of items, or -1 after logging
// what was wrong. The podcast flag does not change how RSS is read.
qint16 ParseSourceRss(const ScheduleLog &log, SourceCheck &check, bool podcast);
qint16 ParseSourceAtom(const ScheduleLog &log, SourceCheck &check,
                       const QLocale &locale = QLocale::system());

// Appends the new items of check.SourceItems to the feed's item file, walking them from the last
// to the first: an item is new when its stamp is newer than SourceLatest, which advances as they
// are added; an undated item whose identifier the file already holds is passed over without
// touching SourceLatest. Logs the count ("    No New Items found!" or "    <n> New Items
// found!"); a count above 0 is added to summary. The file is read once, and written once (items
// and latest together) when anything was added: the bytes that appending item by item and then
// writing latest would leave. Returns the count.
int MergeSourceItems(const platform::Context &ctx, const ScheduleLog &log, SourceCheck &check,
                     QList<NewItemsCount> &summary, const QLocale &locale = QLocale::system());

// Announces the summary in a new popup when it has entries and mSettings::ShowPopup is 1: not
// closing by itself, not taking the focus, 10 % transparent, with SoundFile when PlayPopupSound
// is 1. One row per entry: "<name> -- <count> New Items".
void ShowNewItemsPopup(NewItemsAnnouncement &announcement, const QList<NewItemsCount> &summary);

} // namespace mScheduler
