#pragma once

#include <QDeadlineTimer>
#include <QTest>

#include <functional>

namespace test {

// Lets the event loop run until the condition holds or the time is up; answers the condition.
inline bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace test
