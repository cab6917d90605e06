#include "scheduler/ScheduleInterval.h"

#include <array>

namespace ScheduleInterval {

namespace {

struct Interval {
    const char *caption;
    int periodMs;
};

// The row order is the stored index: changing it changes every saved configuration.
constexpr std::array<Interval, 7> kIntervals{{
    {"Every 5 Min", 300000},
    {"Every 10 Min", 600000},
    {"Every 15 Min", 900000},
    {"Every 30 Min", 1800000},
    {"Every 45 Min", 2700000},
    {"Every 1 Hour", 3600000},
    {"Every 3 Hour", 10800000},
}};

bool commandLineIs(const QStringList &arguments, QLatin1String expected)
{
    return arguments.mid(1).join(QLatin1Char(' ')) == expected;
}

} // namespace

std::optional<int> intervalMs(int index)
{
    if (index < 0 || index >= static_cast<int>(kIntervals.size()))
        return std::nullopt;
    return kIntervals[static_cast<std::size_t>(index)].periodMs;
}

QStringList intervalCaptions()
{
    QStringList captions;
    for (const Interval &interval : kIntervals)
        captions.append(QString::fromLatin1(interval.caption));
    return captions;
}

bool isDebugCommandLine(const QStringList &arguments)
{
    return commandLineIs(arguments, QLatin1String("-debug"));
}

bool isTrayCommandLine(const QStringList &arguments)
{
    return commandLineIs(arguments, QLatin1String("-s"));
}

QString timerStartedLogText(const QString &dateTime, int periodMs)
{
    // Up to 15 significant digits and no trailing zeros: 300000 ms is "5", 90000 ms is "1.5".
    const QString minutes = QString::number(periodMs / 1000.0 / 60.0, 'g', 15);
    return QStringLiteral("\r\n***** Scheduler Timer Started (") + dateTime
        + QStringLiteral(" --- Interval = ") + minutes + QStringLiteral(" min) *****");
}

QString timerStoppedLogText(const QString &dateTime)
{
    return QStringLiteral("\r\n***** Scheduler Timer Paused/Stopped (") + dateTime
        + QStringLiteral(") *****");
}

} // namespace ScheduleInterval
