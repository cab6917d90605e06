#pragma once

#include <QDateTime>

namespace platform {

// Wall-clock time for dates the user sees and a monotonic tick count in milliseconds for
// measuring waits.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual QDateTime now() const = 0;
    [[nodiscard]] virtual qint64 tickCount() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    qint64 tickCount() const override;
};

} // namespace platform
