#include "scheduler/ScheduleInterval.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(ScheduleInterval, EachRowHasItsCaptionAndPeriod)
{
    const struct {
        int index;
        const char *caption; // nullptr: no row
        std::optional<int> periodMs;
    } cases[] = {
        {-1, nullptr, std::nullopt},    {0, "Every 5 Min", 300000},    {1, "Every 10 Min", 600000},
        {2, "Every 15 Min", 900000},    {3, "Every 30 Min", 1800000},  {4, "Every 45 Min", 2700000},
        {5, "Every 1 Hour", 3600000},   {6, "Every 3 Hour", 10800000}, {7, nullptr, std::nullopt},
        {32767, nullptr, std::nullopt},
    };
    const QStringList captions = ScheduleInterval::intervalCaptions();
    EXPECT_EQ(captions.size(), 7);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(ScheduleInterval::intervalMs(c.index), c.periodMs);
        if (c.caption) {
            EXPECT_EQ(captions.value(c.index), c.caption);
        }
    }
}

TEST(ScheduleInterval, SwitchesCountOnlyAsTheWholeCommandLine)
{
    const struct {
        QStringList arguments; // program name first
        bool tray;
        bool debug;
    } cases[] = {
        {{"marlowin", "-s"}, true, false},
        {{"marlowin", "-debug"}, false, true},
        {{"marlowin", "-S"}, false, false},
        {{"marlowin", "-DEBUG"}, false, false},
        {{"marlowin", "-s", "-debug"}, false, false},
        {{"marlowin", "-debug", "-s"}, false, false},
        {{"marlowin", "-s "}, false, false},
        {{"marlowin"}, false, false},
        {{"marlowin", ""}, false, false},
        {{}, false, false},
        // The program's own name is never part of the command line.
        {{"-s"}, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char('|')).toStdString());
        EXPECT_EQ(ScheduleInterval::isTrayCommandLine(c.arguments), c.tray);
        EXPECT_EQ(ScheduleInterval::isDebugCommandLine(c.arguments), c.debug);
    }
}

TEST(ScheduleInterval, TimerLogLinesShowThePeriodInMinutes)
{
    const QString when = QStringLiteral("3/14/2026 9:26:53 AM");
    const struct {
        int periodMs;
        const char *minutes;
    } cases[] = {
        {300000, "5"},
        {10800000, "180"},
        {ScheduleInterval::kDebugIntervalMs, "1"},
        {90000, "1.5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.periodMs);
        EXPECT_EQ(ScheduleInterval::timerStartedLogText(when, c.periodMs),
                  QStringLiteral("\r\n***** Scheduler Timer Started (3/14/2026 9:26:53 AM --- "
                                 "Interval = %1 min) *****")
                      .arg(QLatin1String(c.minutes)));
    }
    EXPECT_EQ(ScheduleInterval::timerStoppedLogText(when),
              "\r\n***** Scheduler Timer Paused/Stopped (3/14/2026 9:26:53 AM) *****");
}

} // namespace
