#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>

namespace platform {
struct Context;
}

// schedule.log in the app folder: the plain-text account of every scheduled check, and the
// main window's timer lines. Each write opens the file for appending, writes in Windows-1252
// (characters it lacks become "?") and closes it again, so the log is complete after every
// line. Before a write, a log larger than kScheduleLogLimit bytes is deleted: the log then
// restarts with that write.
//
// A log that cannot be deleted, opened or written is passed over without a message: the check
// goes on with its feeds either way.
namespace Schedule {

inline constexpr qint64 kScheduleLogLimit = 512000;

// Called with the text of each write, CR LF pairs included but without the final line end,
// whether or not the file could be written.
using LogObserver = std::function<void(const QString &written)>;

// The app folder's schedule.log.
[[nodiscard]] QString scheduleLogPath(const platform::Context &ctx);

// The locale's general date format: short date, a space, long time without its time zone.
[[nodiscard]] QString generalDateTime(const QDateTime &when, const QLocale &locale);

// The log of one app folder, written with the date format of one locale.
class ScheduleLog {
public:
    // ctx must outlive the log. The date and time of the header and footer come from
    // ctx.clock.now().
    explicit ScheduleLog(const platform::Context &ctx, QLocale locale = QLocale::system(),
                         LogObserver observer = {});

    // With isStart: the run header (70 "=", CR LF, "Scheduled Check Started (<date>)", CR LF,
    // CR LF). Otherwise with isFinish: the footer ("Scheduled Check Finished (<date>)", CR LF).
    // Otherwise the text. Each followed by CR LF. text is ignored for a header or footer.
    void write(const QString &text, bool isStart = false, bool isFinish = false) const;
    // Several lines in one append, each seen by the observer as a write of its own.
    void writeLines(const QStringList &lines) const;

private:
    const platform::Context &m_ctx;
    QLocale m_locale;
    LogObserver m_observer;
};

// One write to the app folder's log in the system locale's date format, for callers outside a
// check (the main window's timer lines).
void writeScheduleLog(const platform::Context &ctx, const QString &text, bool isStart,
                      bool isFinish);

} // namespace Schedule
