#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

namespace platform {

// A one-shot timer made by a Clock. Its callback runs on the event loop of the thread that
// started it, never from inside start(). Destroying the timer stops it.
class ClockTimer {
public:
    virtual ~ClockTimer() = default;
    // Calls onTimeout once, milliseconds from now; a running timer starts over.
    virtual void start(int milliseconds, std::function<void()> onTimeout) = 0;
    virtual void stop() = 0;
    [[nodiscard]] virtual bool isActive() const = 0;
};

// Wall-clock time for dates the user sees, a monotonic tick count in milliseconds for measuring
// waits, and the timers that logic's time limits run on, so that tests move time instead of
// sleeping.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual QDateTime now() const = 0;
    [[nodiscard]] virtual qint64 tickCount() const = 0;
    [[nodiscard]] virtual std::unique_ptr<ClockTimer> createTimer() = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    qint64 tickCount() const override;
    std::unique_ptr<ClockTimer> createTimer() override;
};

} // namespace platform
