// The main window's entry points open the real dialogs, and what the dialogs change reaches the
// main window: its tree and its scheduler timer.

#include "MainWindowSupport.h"

#include "platform/QtTreeView.h"
#include "settings/Settings.h"
#include "shell/CategoryPane.h"
#include "shell/QtProgramDialogs.h"
#include "shell/ScheduleTimer.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace test {
namespace {

class ProgramDialogsTest : public MainWindowTest {
protected:
    MainWindow &loadWithRealDialogs()
    {
        window = std::make_unique<MainWindow>(MainWindowServices{
            t.ctx, languages, real, announcement, QStringList{QStringLiteral("marlowin")},
            QLocale(QLocale::English, QLocale::UnitedStates)});
        real.setMainWindow(window.get());
        window->load();
        window->show();
        return *window;
    }

    QtProgramDialogs real{t.ctx, languages};
};

TEST_F(ProgramDialogsTest, AddNewCategoryStoresItAndTheTreeShowsIt)
{
    MainWindow &main = loadWithRealDialogs();
    QString title;
    whenModalShows([&title](QDialog &dialog) {
        title = dialog.objectName();
        dialog.findChild<QLineEdit *>(QStringLiteral("txtCategoryName"))
            ->setText(QStringLiteral("Science"));
        dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    main.menus().mnuCatNew->trigger();
    EXPECT_EQ(title, u"frmCategory");
    bool listed = false;
    for (const auto &node : main.optionBar()->tree().nodes())
        listed = listed || node.text == u"Science";
    EXPECT_TRUE(listed);
    EXPECT_TRUE(t.readFile(QStringLiteral("feeds.fdb")).contains("name=\"Science\""));
}

TEST_F(ProgramDialogsTest, DisablingTheSchedulerWithYesStopsTheTimer)
{
    Settings::Scheduler scheduler;
    scheduler.enabled = true;
    scheduler.intervalIndex = 0;
    scheduler.schedule
        = {{{},
            FeedRecord{QString(), QStringLiteral("http://127.0.0.1:9/world"), FeedType::Rss,
                       QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9"),
                       QStringLiteral("World")},
            {}}};
    Settings::saveScheduler(t.ctx, scheduler);
    MainWindow &main = loadWithRealDialogs();
    ASSERT_TRUE(main.scheduleTimer().isActive());

    t.messages.answers = {platform::MessageAnswer::Yes, platform::MessageAnswer::Ok};
    whenModalShows([](QDialog &dialog) {
        dialog.findChild<QCheckBox *>(QStringLiteral("chkEnableScheduler"))->setChecked(false);
        dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    main.menus().cmdSchedule->click();

    ASSERT_GE(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].title, u"Disable Scheduler?");
    EXPECT_FALSE(main.scheduleTimer().isActive());
    const Settings::Scheduler saved = Settings::loadScheduler(t.ctx);
    EXPECT_FALSE(saved.enabled);
    EXPECT_EQ(saved.schedule.size(), 1);
}

TEST_F(ProgramDialogsTest, EveryOtherEntryPointOpensItsDialog)
{
    MainWindow &main = loadWithRealDialogs();
    main.optionBar()->tree().select(QStringLiteral("cat_0"));
    QStringList opened;
    const auto open = [&opened](QAction *entry) {
        whenModalShows([&opened](QDialog &dialog) {
            opened << dialog.objectName();
            dialog.reject();
        });
        entry->trigger();
    };
    open(main.menus().mnuToolsEmailSettings);
    open(main.menus().mnuToolsAppSettings);
    open(main.menus().mnuCatNewFeed);
    open(main.menus().mnuCatEdit);
    EXPECT_EQ(opened,
              (QStringList{QStringLiteral("frmEmailSettings"), QStringLiteral("frmAppSettings"),
                           QStringLiteral("frmAddFeed"), QStringLiteral("frmCategory")}));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

} // namespace
} // namespace test
