#include "app/BringForward.h"

#include "platform/TrayIcon.h"
#include "shell_ui/MainWindowSupport.h"

#include <QAction>

namespace test {
namespace {

using BringForwardTest = MainWindowTest;

TEST_F(BringForwardTest, FromTheTrayAsTheTraysShowBringsIt)
{
    MainWindow &main = loadWithTray(true, {QStringLiteral("-s")});
    ASSERT_FALSE(main.isVisible());

    bringForward(main);

    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(main.isMinimized());
    // The tray's Show/Hide entry follows, so its next use sends the window back.
    ASSERT_NE(tray, nullptr);
    tray->doubleClicked();
    EXPECT_FALSE(main.isVisible());
}

TEST_F(BringForwardTest, AWindowOnScreenStaysOnScreen)
{
    // Shown at the start, and back from the tray through the tray itself (its entry then reads
    // Hide: used blindly, it would hide the window).
    for (const bool viaTray : {false, true}) {
        SCOPED_TRACE(viaTray ? "back from the tray" : "shown at the start");
        MainWindow &main
            = loadWithTray(true, viaTray ? QStringList{QStringLiteral("-s")} : QStringList{});
        if (viaTray)
            main.runTrayCommand(TrayCommand::ShowOrHide);
        ASSERT_TRUE(main.isVisible());

        bringForward(main);

        EXPECT_TRUE(main.isVisible());
        EXPECT_FALSE(main.isMinimized());
        if (viaTray) {
            tray->doubleClicked();
            EXPECT_FALSE(main.isVisible()) << "the tray's Show/Hide entry is out of step";
        }
        window.reset();
    }
}

TEST_F(BringForwardTest, OutOfMinimisedKeepingMaximised)
{
    // Without a tray a minimised window stays on the task bar.
    for (const bool maximised : {false, true}) {
        SCOPED_TRACE(maximised ? "maximised" : "normal");
        MainWindow &main = loadWithTray(false);
        if (maximised)
            main.showMaximized();
        main.showMinimized();
        ASSERT_TRUE(main.isMinimized());

        bringForward(main);

        EXPECT_TRUE(main.isVisible());
        EXPECT_FALSE(main.isMinimized());
        EXPECT_EQ(main.isMaximized(), maximised);
        window.reset();
    }
}

} // namespace
} // namespace test
