#pragma once

#include "reading/FeedUpdate.h"
#include "scheduler/ScheduleLog.h"
#include "settings/Settings.h"

#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class NewItemsAnnouncement;

namespace platform {
class FileLock;
struct Context;
} // namespace platform

// Feeds of one check whose updates run at the same time. Slow servers then hold up only their
// own feeds, while the rest of the schedule is checked; with the response budget shared by all
// of them, memory stays bounded whatever the servers send.
inline constexpr int kMaxFetchesInFlight = 24;

struct CheckOptions {
    int fetchTimeoutMs = kFetchTimeoutMs;
    int maxFetchesInFlight = kMaxFetchesInFlight;
    // Dates in the log, and the month names of Atom dates.
    QLocale locale = QLocale::system();
    // Sees every text written to the log (marlowin-check prints them).
    Schedule::LogObserver logObserver;
};

// One scheduled check of the app folder: every feed of the scheduler settings' schedule (as the
// caller read them from AppCfg.cfg) updated through FeedUpdate, as the feed window updates it; schedule.log told what happened to
// each; the feeds that brought new items announced in one popup.
//
// The updates run side by side and their answers are handled as they arrive, but each feed's
// block of log lines is written only once every feed before it in the schedule is written, so
// the log reads in schedule order whatever order the servers answered in. A schedule entry that
// cannot be read is logged and skipped; the others still run.
//
// One check at a time per app folder, in this program and in any other (marlowin-check from
// cron): a check that finds another running writes one line to the log and ends.
//
// Everything runs on the caller's thread and event loop; nothing waits or polls.
class ScheduledCheck : public QObject {
    Q_OBJECT
public:
    // ctx and announcement must outlive the check.
    ScheduledCheck(const platform::Context &ctx, NewItemsAnnouncement &announcement,
                   Settings::Scheduler settings, CheckOptions options = {},
                   QObject *parent = nullptr);
    ~ScheduledCheck() override;

    // Starts the run and returns; finished() follows, never from inside start().
    void start();
    // Ends a run early: updates still waiting for their servers are abandoned and not logged;
    // the feeds finished so far are logged, the footer is written and their new items are
    // announced. finished() follows.
    void cancel();
    [[nodiscard]] bool isRunning() const { return m_running; }

Q_SIGNALS:
    void finished();

private:
    struct Feed;

    void startFeeds();
    void feedFinished(Feed &feed, const FeedUpdateResult &result);
    void writeFinishedBlocks();
    void end();

    const platform::Context &m_ctx;
    NewItemsAnnouncement &m_announcement;
    Settings::Scheduler m_settings;
    CheckOptions m_options;
    Schedule::ScheduleLog m_log;
    std::unique_ptr<platform::FileLock> m_lock;
    std::vector<std::unique_ptr<Feed>> m_feeds; // in schedule order
    std::size_t m_nextToStart = 0;
    std::size_t m_nextToWrite = 0;
    int m_inFlight = 0;
    QStringList m_announced; // the popup's rows, in schedule order
    bool m_running = false;
};

// Runs one check to its end in an event loop of its own: for a program without windows, for
// benchmarks and for tests. The program's windows use ScheduledCheck itself.
void runScheduledCheck(const platform::Context &ctx, NewItemsAnnouncement &announcement,
                       const Settings::Scheduler &settings, const CheckOptions &options = {});

// The lines a feed's block of the log holds, the per-feed separator excluded, for an update's
// result. Control characters in the name and in error texts become spaces, so that nothing a
// feed or a server says can forge a line of the log.
[[nodiscard]] QStringList feedLogLines(const QString &name, const FeedUpdateResult &result);

// Text as one line of the log: every control character (CR, LF, tab, ...) becomes a space.
[[nodiscard]] QString logLineText(QString text);
