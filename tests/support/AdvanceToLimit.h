#pragma once

#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <functional>
#include <optional>
#include <utility>

namespace test {

// Moves a fake clock to a time limit from inside the event loop of a wait that the test's own
// code is held in (a modal wait for a server that never answers): once ready holds, to one
// millisecond before the limit, then, at a later turn of the loop, to the limit itself. A wait
// that ends at its limit and not before runs through both steps, so the clock has moved by the
// whole limit when the wait returns; one that ends early leaves it one millisecond short.
class AdvanceToLimit {
public:
    AdvanceToLimit(FakeClock &clock, qint64 limitMs, std::function<bool()> ready)
        : m_clock(clock)
        , m_limitMs(limitMs)
        , m_start(std::move(ready), [this] {
            m_clock.advance(m_limitMs - 1);
            m_last.emplace([] { return true; }, [this] { m_clock.advance(1); });
        })
    {
    }

private:
    FakeClock &m_clock;
    const qint64 m_limitMs;
    std::optional<RunWhen> m_last; // started by the first step, so it runs at a later turn
    RunWhen m_start;
};

} // namespace test
