#include "support/TestContext.h"

#include <QFile>

#include <algorithm>

#include <gtest/gtest.h>

namespace test {

class FakeClock::Timer final : public platform::ClockTimer {
public:
    explicit Timer(FakeClock &clock)
        : m_clock(clock)
    {
        m_clock.m_timers.push_back(this);
    }
    ~Timer() override { std::erase(m_clock.m_timers, this); }

    void start(int milliseconds, std::function<void()> onTimeout) override
    {
        due = m_clock.ticks + std::max(milliseconds, 0);
        callback = std::move(onTimeout);
        active = true;
    }
    void stop() override
    {
        active = false;
        callback = nullptr;
    }
    bool isActive() const override { return active; }

    qint64 due = 0;
    bool active = false;
    std::function<void()> callback;

private:
    FakeClock &m_clock;
};

std::unique_ptr<platform::ClockTimer> FakeClock::createTimer()
{
    return std::make_unique<Timer>(*this);
}

void FakeClock::advance(qint64 milliseconds)
{
    const qint64 until = ticks + milliseconds;
    for (;;) {
        // A callback may start, stop or destroy timers: look for the next due one afresh.
        Timer *next = nullptr;
        for (Timer *timer : m_timers) {
            if (timer->active && timer->due <= until && (!next || timer->due < next->due))
                next = timer;
        }
        if (!next)
            break;
        current = current.addMSecs(next->due - ticks);
        ticks = next->due;
        next->active = false;
        const std::function<void()> callback = std::move(next->callback);
        next->callback = nullptr;
        if (callback)
            callback();
    }
    current = current.addMSecs(until - ticks);
    ticks = until;
}

int FakeClock::activeTimers() const
{
    return int(std::count_if(m_timers.begin(), m_timers.end(),
                             [](const Timer *timer) { return timer->active; }));
}

TestContext::TestContext(platform::SecretStore *keyring)
    : ctx{messages,   userSettings,   keyring ? *keyring : secrets,
          connection, shell,          clock,
          network,    responseBudget, dir.path()}
{
    EXPECT_TRUE(dir.isValid());
}

void TestContext::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray TestContext::readFile(const QString &name) const
{
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

} // namespace test
