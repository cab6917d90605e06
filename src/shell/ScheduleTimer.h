#pragma once

#include <QObject>
#include <QTimer>

namespace platform {
struct Context;
}

// The main window's scheduler timer (tmrSchedule). Each start writes "Scheduler Timer Started"
// with the period to schedule.log and each stop of a running timer "Paused/Stopped", so the log
// shows when checks were due. Stopping a timer that is not running writes nothing.
class ScheduleTimer final : public QObject {
    Q_OBJECT
public:
    explicit ScheduleTimer(const platform::Context &ctx, QObject *parent = nullptr);

    // Starts the period anew. A timer that was never given a period stays stopped: a zero period
    // would run the check back to back.
    void start();
    void stop();
    void setInterval(int milliseconds) { m_timer.setInterval(milliseconds); }
    [[nodiscard]] int interval() const { return m_timer.interval(); }
    [[nodiscard]] bool isActive() const { return m_timer.isActive(); }

Q_SIGNALS:
    void tick();

private:
    const platform::Context &m_ctx;
    QTimer m_timer;
};
