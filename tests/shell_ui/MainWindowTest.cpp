#include "MainWindowSupport.h"

#include "platform/QtTreeView.h"
#include "reading/FeedWindow.h"
#include "settings/Settings.h"
#include "shell/CategoryPane.h"
#include "shell/ScheduleTimer.h"
#include "support/WaitUntil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMdiArea>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>

namespace test {
namespace {

void click(QDialog &dialog, const char *button)
{
    dialog.findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

void setScheduler(const platform::Context &ctx, bool enabled, int intervalIndex)
{
    Settings::Scheduler scheduler;
    scheduler.enabled = enabled;
    scheduler.intervalIndex = intervalIndex;
    Settings::saveScheduler(ctx, scheduler);
}

TEST_F(MainWindowTest, OnlyTheExactSwitchStartsInTheTray)
{
    const struct {
        QStringList switches;
        bool tray;
    } cases[] = {
        {{QStringLiteral("-s")}, true},
        {{QStringLiteral("-S")}, false},
        {{QStringLiteral("-s"), QStringLiteral("-debug")}, false},
        {{}, false},
    };
    for (const auto &c : cases) {
        MainWindow &main = load(c.switches);
        EXPECT_EQ(main.wentToTray(), c.tray) << c.switches.join(u' ').toStdString();
        EXPECT_EQ(main.isMinimized(), c.tray);
        window.reset();
    }
}

TEST_F(MainWindowTest, LoadSeedsDataAndDatabaseWithoutTouchingWhatExists)
{
    QFile::remove(t.path(QStringLiteral("feeds.fdb")));
    t.writeFile(
        QStringLiteral("default.fdb"),
        "<?xml version=\"1.0\"?>\r\n<categories><category name=\"Seed\"/></categories>\r\n");
    load();
    EXPECT_TRUE(QFileInfo(t.path(QStringLiteral("Data"))).isDir());
    EXPECT_EQ(t.readFile(QStringLiteral("feeds.fdb")), t.readFile(QStringLiteral("default.fdb")));
    window.reset();

    t.writeFile(QStringLiteral("feeds.fdb"), kDatabase);
    t.writeFile(QStringLiteral("Data/0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9.fdb"), "kept");
    MainWindow &main = load();
    EXPECT_EQ(t.readFile(QStringLiteral("feeds.fdb")), QByteArray(kDatabase));
    EXPECT_EQ(t.readFile(QStringLiteral("Data/0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9.fdb")), "kept");
    EXPECT_EQ(main.optionBar()->tree().node(QStringLiteral("cat_1"))->text, u"Tech");
    EXPECT_EQ(main.windowTitle(), u"Marlowin by the Marlowin Project");
    EXPECT_EQ(main.statusText(), u"Status: Ready!");
}

TEST_F(MainWindowTest, FirstRunAsksForALanguageAndOpensTheHelpOnce)
{
    t.userSettings.values.clear();
    t.writeFile(QStringLiteral("Help.html"), "<html></html>");
    load();
    EXPECT_EQ(dialogs.calls, QStringList{QStringLiteral("language modal")});
    EXPECT_EQ(t.userSettings.value(QStringLiteral("Settings"), QStringLiteral("Language"), {}),
              u"English");
    ASSERT_EQ(t.shell.opened.size(), 1);
    EXPECT_EQ(t.shell.opened[0].toLocalFile(), t.path(QStringLiteral("Help.html")));
    EXPECT_EQ(t.userSettings.value(QStringLiteral("Settings"), QStringLiteral("showHelp"), {}),
              u"0");
    window.reset();

    dialogs.calls.clear();
    load();
    EXPECT_TRUE(dialogs.calls.isEmpty());
    EXPECT_EQ(t.shell.opened.size(), 1);
}

TEST_F(MainWindowTest, SchedulerTimerFollowsTheSettingsAndTheDebugSwitch)
{
    setScheduler(t.ctx, true, 3);
    EXPECT_EQ(load().scheduleTimer().interval(), 1800000);
    EXPECT_TRUE(window->scheduleTimer().isActive());
    window.reset();
    EXPECT_EQ(load({QStringLiteral("-debug")}).scheduleTimer().interval(), 60000);
    window.reset();

    setScheduler(t.ctx, false, 3);
    EXPECT_FALSE(load({QStringLiteral("-debug")}).scheduleTimer().isActive());

    const QString log = QString::fromLatin1(t.readFile(QStringLiteral("schedule.log")));
    EXPECT_TRUE(log.contains(u" --- Interval = 30 min) *****")) << log.toStdString();
    EXPECT_TRUE(log.contains(u" --- Interval = 1 min) *****"));
}

TEST_F(MainWindowTest, ExecuteScheduleNowRestartsTheTimerOnlyWhenTheSchedulerIsOn)
{
    setScheduler(t.ctx, false, 0);
    MainWindow &main = load();
    main.menus().mnuToolsExecuteSchedule->trigger();
    // The check runs from the event loop; meanwhile the command waits for it.
    EXPECT_FALSE(main.menus().mnuToolsExecuteSchedule->isEnabled());
    ASSERT_TRUE(test::waitUntil([&] { return !main.isCheckRunning(); }));
    EXPECT_FALSE(main.scheduleTimer().isActive());
    EXPECT_TRUE(main.menus().mnuToolsExecuteSchedule->isEnabled());
    EXPECT_EQ(main.statusText(), u"Status: Ready.");
    EXPECT_TRUE(
        t.readFile(QStringLiteral("schedule.log")).contains("No Feed Sources found Configured"));
    window.reset();

    setScheduler(t.ctx, true, 0);
    load().menus().mnuToolsExecuteSchedule->trigger();
    ASSERT_TRUE(test::waitUntil([&] { return !window->isCheckRunning(); }));
    EXPECT_TRUE(window->scheduleTimer().isActive());
    EXPECT_EQ(window->scheduleTimer().interval(), 300000);
    const QString log = QString::fromLatin1(t.readFile(QStringLiteral("schedule.log")));
    const qsizetype stopped = log.lastIndexOf(u"***** Scheduler Timer Paused/Stopped (");
    EXPECT_GT(stopped, 0);
    EXPECT_GT(log.lastIndexOf(u" --- Interval = 5 min) *****"), stopped);
}

TEST_F(MainWindowTest, KeepRunningMinimisesAndCloseNowWithDontShowEndsWithoutAskingAgain)
{
    MainWindow &main = load();
    whenModalShows([](QDialog &dialog) { click(dialog, "cmdKeepRunning"); });
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(main.isMinimized());
    EXPECT_TRUE(Settings::loadConfirmOnClose(t.ctx));

    whenModalShows([](QDialog &dialog) {
        dialog.findChild<QCheckBox *>(QStringLiteral("chkDontShow"))->setChecked(true);
        click(dialog, "cmdCloseNow");
    });
    EXPECT_TRUE(main.close());
    EXPECT_FALSE(Settings::loadConfirmOnClose(t.ctx));
    window.reset();

    MainWindow &again = load();
    again.requestClose();
    EXPECT_FALSE(again.isVisible());
    EXPECT_EQ(again.confirmClose(), nullptr);
}

TEST_F(MainWindowTest, TheConfirmationsOwnCloseBoxSavesNothingAndKeepsRunning)
{
    MainWindow &main = load();
    whenModalShows([](QDialog &dialog) { dialog.close(); });
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(main.isMinimized());
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("AppCfg.cfg"))));
}

TEST_F(MainWindowTest, TheConfirmationKeepsItsChoicesForTheRun)
{
    MainWindow &main = load();
    whenModalShows([](QDialog &dialog) {
        dialog.findChild<QCheckBox *>(QStringLiteral("chkCloseCompletely"))->setChecked(true);
        click(dialog, "cmdKeepRunning");
    });
    main.close();
    bool ticked = false;
    whenModalShows([&ticked](QDialog &dialog) {
        ticked = dialog.findChild<QCheckBox *>(QStringLiteral("chkCloseCompletely"))->isChecked();
        click(dialog, "cmdKeepRunning");
    });
    main.close();
    EXPECT_TRUE(ticked);
    const Settings::Closing closing = Settings::loadClosing(t.ctx);
    EXPECT_TRUE(closing.closeCompletely);
    EXPECT_FALSE(closing.minimizeToTray);
}

TEST_F(MainWindowTest, WithoutConfirmationTheCloseBoxFollowsTheCloseSettingButExitEnds)
{
    Settings::saveConfirmOnClose(t.ctx, false);
    Settings::saveClosing(t.ctx, {false, false, true});
    MainWindow &main = load();
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(main.isMinimized());
    main.menus().mnuFileItem->trigger();
    EXPECT_FALSE(main.isVisible());

    Settings::saveClosing(t.ctx, {false, true, false});
    window.reset();
    EXPECT_TRUE(load().close());
}

TEST_F(MainWindowTest, OpeningAFeedReusesTheWindowOfItsUrlInAnyCase)
{
    MainWindow &main = load();
    main.openFeedWindow(QStringLiteral("World"),
                        QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"),
                        QStringLiteral("http://127.0.0.1:9/World"), FeedType::Rss, false);
    main.openFeedWindow(QStringLiteral("Talk"),
                        QStringLiteral("AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE"),
                        QStringLiteral("http://127.0.0.1:9/talk"), FeedType::Podcast, false);
    main.openFeedWindow(QStringLiteral("World again"),
                        QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"),
                        QStringLiteral("HTTP://127.0.0.1:9/WORLD"), FeedType::Rss, false);
    ASSERT_EQ(main.feedWindows().size(), 2);
    EXPECT_EQ(main.activeFeedWindow(), main.feedWindows().constFirst());
    EXPECT_EQ(main.activeFeedWindow()->feedCaption(), u"World again");
    EXPECT_TRUE(main.isFeedWindowOpen(QStringLiteral("http://127.0.0.1:9/TALK"), false));
    EXPECT_FALSE(main.isFeedWindowOpen(QStringLiteral("http://127.0.0.1:9/other"), false));
}

// A feed's name may come from the feed: the tab shows a run of a megabyte cut with "…".
TEST_F(MainWindowTest, ATabShowsALongRunOfAFeedsNameCut)
{
    MainWindow &main = load();
    const QString name = QStringLiteral("N").repeated(1 << 20);
    main.openFeedWindow(name, QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"),
                        QStringLiteral("http://127.0.0.1:9/World"), FeedType::Rss, false);
    const auto *tabs = main.findChild<QTabBar *>(QStringLiteral("oTabs"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), name.left(64) + QChar(0x2026));
}

TEST_F(MainWindowTest, CommandsActOnTheKindOfNodeSelected)
{
    MainWindow &main = load();
    platform::QtTreeView &tree = main.optionBar()->tree();
    const MainMenus &m = main.menus();

    tree.select(QStringLiteral("main"));
    m.mnuCatEdit->trigger();
    m.mnuCatDel->trigger();
    m.mnuFeedsEdit->trigger();
    m.mnuCatNewFeed->trigger();
    tree.select(QStringLiteral("AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE"));
    m.mnuFeedsAdd->trigger();
    m.mnuFeedsEdit->trigger();
    m.mnuCatEdit->trigger();
    tree.select(QStringLiteral("cat_0"));
    m.cmdAddFeed->click();
    m.mnuCatEdit->trigger();
    m.mnuCatNew->trigger();

    EXPECT_EQ(
        dialogs.calls,
        (QStringList{QStringLiteral("feed 0 '' '' '' ''"), QStringLiteral("feed 0 '' 'Tech' '' ''"),
                     QStringLiteral("feed 1 'AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE' 'Tech' 'Talk' "
                                    "'http://127.0.0.1:9/talk'"),
                     QStringLiteral("feed 0 '' 'News' '' ''"), QStringLiteral("category 1 'News'"),
                     QStringLiteral("category 0 ''")}));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(MainWindowTest, DeletingACategoryAsksFirst)
{
    MainWindow &main = load();
    main.optionBar()->tree().select(QStringLiteral("cat_0"));
    t.messages.answers = {platform::MessageAnswer::No};
    main.menus().mnuCatDel->trigger();
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].title,
              languages.getMessages(QStringLiteral("MSG_DELETE4")) + QStringLiteral("News"));
    EXPECT_TRUE(t.messages.shown[0].text.contains(u"News"));
    EXPECT_EQ(t.readFile(QStringLiteral("feeds.fdb")), QByteArray(kDatabase));

    t.messages.answers = {platform::MessageAnswer::Yes};
    main.menus().mnuCatDel->trigger();
    EXPECT_FALSE(main.optionBar()->tree().node(QStringLiteral("cat_0")));
    EXPECT_FALSE(t.readFile(QStringLiteral("feeds.fdb")).contains("News"));
}

TEST_F(MainWindowTest, TheOptionBarTickFollowsThePane)
{
    MainWindow &main = load();
    main.menus().cmdToggle->click();
    EXPECT_FALSE(main.menus().mnuToolsOptionBar->isChecked());
    EXPECT_FALSE(main.optionBar()->isVisible());
    main.menus().mnuToolsOptionBar->trigger();
    EXPECT_TRUE(main.menus().mnuToolsOptionBar->isChecked());
    EXPECT_TRUE(waitUntil([&] { return main.optionBar()->isVisible(); }));
}

} // namespace
} // namespace test

namespace test {
namespace {

// The menu shortcuts work from the tree, where the focus usually is.
TEST_F(MainWindowTest, ShortcutsReachTheirCommandsFromTheTree)
{
    MainWindow &main = load();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTreeWidget &tree = main.optionBar()->treeWidget();
    main.optionBar()->tree().select(QStringLiteral("cat_0"));
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(&tree, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(&tree, Qt::Key_F4, Qt::ControlModifier);
    QTest::keyClick(&tree, Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(
        dialogs.calls,
        (QStringList{QStringLiteral("category 0 ''"), QStringLiteral("feed 0 '' 'News' '' ''"),
                     QStringLiteral("scheduler"), QStringLiteral("email settings")}));
}

} // namespace
} // namespace test

namespace test {
namespace {

TEST_F(MainWindowTest, OpmlExportAndImportGoThroughTheDatabaseAndTheTree)
{
    MainWindow &main = load();
    const QString opml = t.path(QStringLiteral("subscriptions.opml"));
    main.exportOpml(opml);
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_TRUE(t.messages.shown[0].text.startsWith(u"Exported 2 feeds in 2 categories"))
        << t.messages.shown[0].text.toStdString();

    t.writeFile(QStringLiteral("feeds.fdb"), "<?xml version=\"1.0\"?>\r\n<categories/>\r\n");
    main.importOpml(opml);
    ASSERT_EQ(t.messages.shown.size(), 2);
    EXPECT_EQ(t.messages.shown[1].icon, platform::MessageIcon::Information);
    EXPECT_EQ(main.optionBar()->tree().nodes().size(), 5); // root, two categories, two feeds

    main.importOpml(t.path(QStringLiteral("feeds.fdb")));
    ASSERT_EQ(t.messages.shown.size(), 3);
    EXPECT_EQ(t.messages.shown[2].icon, platform::MessageIcon::Warning);
}

} // namespace
} // namespace test
