#pragma once

#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>

namespace test {

// Lets the event loop run until the condition holds or the time is up; answers the condition.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

// Runs action once from the event loop, on the first turn at which condition holds, for as long
// as this object lives. A test whose own code is held in a modal wait acts through it, for
// example moves a fake clock once the server holds the request the wait is for.
class RunWhen {
public:
    RunWhen(std::function<bool()> condition, std::function<void()> action)
        : m_condition(std::move(condition))
        , m_action(std::move(action))
    {
        m_poll.setInterval(1);
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] {
            if (!m_condition())
                return;
            m_poll.stop();
            m_action();
        });
        m_poll.start();
    }

private:
    std::function<bool()> m_condition;
    std::function<void()> m_action;
    QTimer m_poll;
};

} // namespace test
