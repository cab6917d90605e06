#include "shell/frmSplash.h"
#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace test {
namespace {

TEST(Splash, LoadsTheMainWindowOnceAfterItsWaitAndHidesWhenAsked)
{
    for (const char *chkSplash : {"0", "1"}) {
        TestContext t;
        t.userSettings.setValue(QStringLiteral("Settings"), QStringLiteral("chkSplash"), QString::fromLatin1(chkSplash));
        int ready = 0;
        QElapsedTimer waited;
        qint64 readyAfter = 0;
        frmSplash splash(t.ctx, [&] {
            ++ready;
            readyAfter = waited.elapsed();
        });
        waited.start();
        splash.start();
        EXPECT_EQ(splash.isVisible(), *chkSplash == '0');
        ASSERT_TRUE(WaitUntil([&] { return ready == 1; }));
        QTest::qWait(30);
        EXPECT_EQ(ready, 1);
        EXPECT_GE(readyAfter, 75 * frmSplash::kTickMs - 10); // 75 ticks, timers may fire a little early
        EXPECT_FALSE(splash.isVisible());
    }
}

} // namespace
} // namespace test
