#include "platform/Clock.h"

#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>

namespace platform {
namespace {

// Each start makes a new context object for QTimer::singleShot: destroying it drops the pending
// shot, and a callback that destroys the timer (and so its context) is safe, since the shot's
// own timer object outlives the call.
class QtClockTimer final : public ClockTimer {
public:
    void start(int milliseconds, std::function<void()> onTimeout) override
    {
        m_context = std::make_unique<QObject>();
        QTimer::singleShot(std::max(milliseconds, 0), m_context.get(),
                           [this, onTimeout = std::move(onTimeout)] {
                               m_context.release()->deleteLater();
                               onTimeout(); // may start this timer again, or destroy it
                           });
    }
    void stop() override { m_context.reset(); }
    bool isActive() const override { return m_context != nullptr; }

private:
    std::unique_ptr<QObject> m_context;
};

} // namespace

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::tickCount() const
{
    return QDeadlineTimer::current().deadline();
}

std::unique_ptr<ClockTimer> SystemClock::createTimer()
{
    return std::make_unique<QtClockTimer>();
}

} // namespace platform
