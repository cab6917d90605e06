#pragma once

#include <QWidget>

#include <functional>
#include <memory>

namespace platform {
class ClockTimer;
struct Context;
} // namespace platform

// The splash window: the program's mark while the main window is prepared. It waits 75 ticks of
// a 2 ms timer, then calls ready (which loads and shows the main window) and hides; it stays
// loaded until the main window unloads. With the per-user setting "chkSplash" at "1" it is never
// shown, but the wait still runs. The ticks run on the context's clock.
class SplashScreen final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTickMs = 2;
    static constexpr int kLastCount = 148; // the counter before the 75th tick

    SplashScreen(const platform::Context &ctx, std::function<void()> ready,
                 QWidget *parent = nullptr);
    ~SplashScreen() override;

    // Shows the splash (unless "chkSplash" hides it) and starts the wait.
    void start();
    [[nodiscard]] bool isSuppressed() const { return m_suppressed; }

private:
    void startTick();
    void onTick();

    std::function<void()> m_ready;
    const std::unique_ptr<platform::ClockTimer> m_timer;
    int m_intTemp = 0;
    bool m_suppressed = false;
};
