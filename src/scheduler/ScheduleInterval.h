#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The scheduler timer's period and how the main window starts it and logs it.
namespace ScheduleInterval {

// The timer period of an interval index (Settings::Scheduler::intervalIndex): 0 is every 5 minutes, up to
// 6, every 3 hours. Any other index (-1 when none was chosen, a hand-edited value) has no period:
// the timer then keeps the period it had.
[[nodiscard]] std::optional<int> intervalMs(int index);

// The dialog's interval rows, "Every 5 Min" to "Every 3 Hour"; row i has period intervalMs(i).
[[nodiscard]] QStringList intervalCaptions();

// The period whatever the index when the program runs with the debug switch.
inline constexpr int kDebugIntervalMs = 60000;

// The switches are recognised only as the whole command line: the arguments after the program
// name (arguments[0], as in QCoreApplication::arguments()) joined with single spaces must be
// exactly "-debug" or "-s". Letter case counts, and two switches together match neither.
[[nodiscard]] bool isDebugCommandLine(const QStringList &arguments);
[[nodiscard]] bool isTrayCommandLine(const QStringList &arguments);

// The schedule log lines written when the timer starts and stops, each with its leading CR LF
// (the log shows an empty line before the marked line). dateTime is the caller's formatted now;
// the period shows in minutes, a whole number without decimals ("5", "180"), otherwise with them.
[[nodiscard]] QString timerStartedLogText(const QString &dateTime, int periodMs);
[[nodiscard]] QString timerStoppedLogText(const QString &dateTime);

} // namespace ScheduleInterval
