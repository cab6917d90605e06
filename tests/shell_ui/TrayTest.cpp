#include "MainWindowSupport.h"

#include "platform/QtTreeView.h"
#include "platform/TrayIcon.h"
#include "scheduler/NotificationPopup.h"
#include "shell/CategoryPane.h"
#include "support/WaitUntil.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

namespace test {
namespace {

using TrayTest = MainWindowTest;

TEST_F(TrayTest, TheFirstTripShowsTheIconWithABalloonLaterOnesDoNot)
{
    MainWindow &main = loadWithTray();
    main.showMinimized();
    ASSERT_TRUE(waitUntil([&] { return !main.isVisible(); }));
    ASSERT_NE(tray, nullptr);
    EXPECT_TRUE(tray->shown);
    EXPECT_EQ(tray->toolTip, u"Marlowin");
    EXPECT_EQ(tray->balloons,
              QStringList{QStringLiteral("Marlowin %1|%2|5000")
                              .arg(languages.getMessages(QStringLiteral("MSG_MINIMIZED")),
                                   languages.getMessages(QStringLiteral("MSG_TRAY")))});

    main.runTrayCommand(TrayCommand::ShowOrHide);
    EXPECT_TRUE(main.isVisible());
    main.addToSystemTray();
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(tray->balloons.size(), 1);
    EXPECT_EQ(main.menus().mnuSysTrayShow->text(), u"Show");
}

TEST_F(TrayTest, DoubleClickShowsThenHides)
{
    MainWindow &main = loadWithTray(true, {QStringLiteral("-s")});
    ASSERT_FALSE(main.isVisible());
    tray->doubleClicked();
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.menus().mnuSysTrayShow->text(), u"Hide");
    tray->doubleClicked();
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(main.menus().mnuSysTrayShow->text(), u"Show");
}

TEST_F(TrayTest, TheMenuOffersAddNewFeedOnlyWithANodeSelected)
{
    MainWindow &main = loadWithTray(true, {QStringLiteral("-s")});
    ASSERT_EQ(tray->menu, main.menus().mnuSysTray);
    Q_EMIT tray->menu->aboutToShow();
    EXPECT_FALSE(main.menus().mnuSysTrayAddFeed->isEnabled());
    EXPECT_EQ(tray->menu->defaultAction(), main.menus().mnuSysTrayShow);

    main.optionBar()->tree().select(QStringLiteral("cat_1"));
    Q_EMIT tray->menu->aboutToShow();
    EXPECT_TRUE(main.menus().mnuSysTrayAddFeed->isEnabled());
    main.menus().mnuSysTrayAddFeed->trigger();
    main.menus().mnuSysTraySchedule->trigger();
    main.menus().mnuSysTrayContactUs->trigger();
    EXPECT_EQ(dialogs.calls,
              (QStringList{QStringLiteral("feed 0 '' 'Tech' '' ''"), QStringLiteral("scheduler")}));
    ASSERT_EQ(t.shell.opened.size(), 1);
    EXPECT_EQ(t.shell.opened[0].scheme(), u"mailto");
}

TEST_F(TrayTest, CloseAsksAndKeepRunningStaysInTheTray)
{
    MainWindow &main = loadWithTray(true, {QStringLiteral("-s")});
    NotificationPopup popup(languages, t.clock);
    popup.show();
    whenModalShows([](QDialog &dialog) {
        dialog.findChild<QPushButton *>(QStringLiteral("cmdKeepRunning"))->click();
    });
    main.menus().mnuSysTrayExit->trigger();
    ASSERT_NE(main.confirmClose(), nullptr);
    EXPECT_FALSE(popup.isVisible()) << "the tray's Close closes the popups first";
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(tray->shown);
    EXPECT_EQ(main.trayIcon(), tray);
}

TEST_F(TrayTest, WithoutATrayTheWindowStaysMinimisedOnTheTaskBar)
{
    MainWindow &main = loadWithTray(false);
    main.showMinimized();
    QTest::qWait(20);
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.isMinimized());
    EXPECT_FALSE(tray->shown);
    EXPECT_TRUE(tray->balloons.isEmpty());
    EXPECT_TRUE(main.statusText().contains(u"No system tray"));
}

} // namespace
} // namespace test
