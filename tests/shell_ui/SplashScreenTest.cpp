#include "shell/SplashScreen.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

namespace test {
namespace {

TEST(Splash, LoadsTheMainWindowOnceAfterItsWaitAndHidesWhenAsked)
{
    constexpr int kWaitMs = 75 * SplashScreen::kTickMs;
    for (const char *chkSplash : {"0", "1"}) {
        SCOPED_TRACE(chkSplash);
        TestContext t;
        t.userSettings.setValue(QStringLiteral("Settings"), QStringLiteral("chkSplash"),
                                QString::fromLatin1(chkSplash));
        int ready = 0;
        bool visibleWhenReady = true;
        SplashScreen splash(t.ctx, [&] {
            ++ready;
            visibleWhenReady = splash.isVisible();
        });
        splash.start();
        EXPECT_EQ(splash.isVisible(), *chkSplash == '0');

        t.clock.advance(kWaitMs - 1);
        EXPECT_EQ(ready, 0);
        EXPECT_EQ(splash.isVisible(), *chkSplash == '0');
        t.clock.advance(1);
        EXPECT_EQ(ready, 1);
        EXPECT_FALSE(visibleWhenReady) << "out of the way before the main window loads";
        t.clock.advance(10 * kWaitMs);
        EXPECT_EQ(ready, 1);
        EXPECT_FALSE(splash.isVisible());
    }
}

} // namespace
} // namespace test
