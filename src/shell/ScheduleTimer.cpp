#include "shell/ScheduleTimer.h"

#include "platform/Clock.h"
#include "platform/Context.h"
#include "scheduler/ScheduleInterval.h"
#include "scheduler/ScheduleLog.h"

#include <QLocale>

namespace {

QString now(const platform::Context &ctx)
{
    return Schedule::generalDateTime(ctx.clock.now(), QLocale::system());
}

} // namespace

ScheduleTimer::ScheduleTimer(const platform::Context &ctx, QObject *parent)
    : QObject(parent)
    , m_ctx(ctx)
{
    setObjectName(QStringLiteral("tmrSchedule"));
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ScheduleTimer::tick);
}

void ScheduleTimer::start()
{
    if (m_timer.interval() <= 0)
        return;
    m_timer.start();
    Schedule::writeScheduleLog(
        m_ctx, ScheduleInterval::timerStartedLogText(now(m_ctx), m_timer.interval()), false, false);
}

void ScheduleTimer::stop()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    Schedule::writeScheduleLog(m_ctx, ScheduleInterval::timerStoppedLogText(now(m_ctx)), false,
                               false);
}
