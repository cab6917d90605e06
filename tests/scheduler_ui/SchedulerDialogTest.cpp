#include "scheduler/SchedulerDialog.h"

#include "localization/Languages.h"
#include "platform/QtReportList.h"
#include "settings/Settings.h"

#include "support/MemoryTreeView.h"
#include "support/TestContext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

const QString kConfig = QStringLiteral("AppCfg.cfg");

const QString kIdA = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000A");
const QString kIdB = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000B");
const QString kIdC = QStringLiteral("0A1B2C3D-0000-4000-8000-00000000000C");
const QString kUrlA = QStringLiteral("https://example.org/a.xml");
const QString kUrlB = QStringLiteral("https://example.org/b.atom");
const QString kUrlC = QStringLiteral("https://example.org/c.rss");

// "<type>\x05<id>\x05<url>\x05<name>", as the schdl section stores an entry.
QByteArray entry(int type, const QString &id, const QString &url, const QString &name)
{
    const QChar sep(0x05);
    return (QString::number(type) + sep + id + sep + url + sep + name).toUtf8();
}

struct Row {
    QString text;
    QString key;
    QString tag;
    QString icon;
    bool operator==(const Row &) const = default;
};

void PrintTo(const Row &row, std::ostream *os)
{
    *os << "{" << row.text.toStdString() << ", " << row.key.toStdString() << ", "
        << row.tag.toStdString() << ", icon " << row.icon.toStdString() << "}";
}

class SchedulerDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        languages.registerDefaultMessages();
        // The main window's tree: root, two categories, three feeds of the three types.
        tree.add({}, QStringLiteral("main"), QStringLiteral("Subscribed Feeds"), 0, 0);
        tree.add(QStringLiteral("main"), QStringLiteral("cat_0"), QStringLiteral("News"), 2, 2);
        tree.add(QStringLiteral("cat_0"), kIdA, QStringLiteral("Alpha News"), 3, 3);
        tree.setTag(kIdA, kUrlA);
        tree.add(QStringLiteral("cat_0"), kIdB, QStringLiteral("Beta Atom"), 4, 4);
        tree.setTag(kIdB, kUrlB);
        tree.add(QStringLiteral("main"), QStringLiteral("cat_1"), QStringLiteral("Podcasts"), 2, 2);
        tree.add(QStringLiteral("cat_1"), kIdC, QStringLiteral("Gamma Cast"), 5, 5);
        tree.setTag(kIdC, kUrlC);
    }

    void writeConfig(const QByteArray &schdl) { t.writeFile(kConfig, "[schdl]\r\n" + schdl); }

    // A schdl section with the scheduler on, every 30 minutes, popup and sound on, and two
    // entries: B (under a name the tree no longer shows) and C.
    void writeEnabledSchedule()
    {
        writeConfig("ena=1\r\nfrq=3\r\nalr=1\r\nsnd=1\r\nsfl=/x/notify.wav\r\ns_1="
                    + entry(1, kIdB, kUrlB, QStringLiteral("Beta (old name)"))
                    + "\r\ns_2=" + entry(2, kIdC, kUrlC, QStringLiteral("Gamma Cast")) + "\r\n");
    }

    void open()
    {
        dialog = std::make_unique<SchedulerDialog>(t.ctx, languages, tree,
                                                   [this] { ++timerRestarts; });
        dialog->prepare();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template<typename T> T *control(const char *name) const
    {
        T *widget = dialog->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QGroupBox *container(int index) const
    {
        for (QGroupBox *frame : dialog->findChildren<QGroupBox *>(QStringLiteral("fmContainer"))) {
            if (frame->property("controlIndex").toInt() == index)
                return frame;
        }
        ADD_FAILURE() << "fmContainer(" << index << ")";
        return nullptr;
    }
    QTreeWidget *sources() const { return control<QTreeWidget>("lstSources"); }
    QTreeWidget *schedule() const { return control<QTreeWidget>("lstSchedule"); }
    QCheckBox *enable() const { return control<QCheckBox>("chkEnableScheduler"); }
    QCheckBox *notify() const { return control<QCheckBox>("chkNotify"); }
    QCheckBox *sound() const { return control<QCheckBox>("chkSound"); }
    QComboBox *interval() const { return control<QComboBox>("cmbInterval"); }

    // Whether the box itself is switched on; its frame may still grey it out.
    bool ownEnabled(QWidget *widget) const { return widget->isEnabledTo(widget->parentWidget()); }

    static QList<Row> rows(QTreeWidget *list)
    {
        QList<Row> result;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = list->topLevelItem(i);
            result.append({item->text(0), item->data(0, platform::QtReportList::KeyRole).toString(),
                           item->data(0, platform::QtReportList::TagRole).toString(),
                           item->data(0, platform::QtReportList::IconKeyRole).toString()});
            EXPECT_FALSE(item->icon(0).isNull()) << item->text(0).toStdString();
        }
        return result;
    }

    static void doubleClick(QTreeWidget *list, int row)
    {
        QTreeWidgetItem *item = list->topLevelItem(row);
        ASSERT_NE(item, nullptr) << row;
        const QPoint centre = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }

    void clickOk() const { control<QPushButton>("btnOK")->click(); }

    void expectOnlyBox(MessageIcon icon, const QString &title, const QString &text) const
    {
        ASSERT_EQ(t.messages.shown.size(), 1);
        EXPECT_EQ(t.messages.shown[0].icon, icon);
        EXPECT_EQ(t.messages.shown[0].title, title);
        EXPECT_EQ(t.messages.shown[0].text, text);
    }

    test::TestContext t;
    Languages languages{t.dir.path(), ProgramIdentity{}};
    test::MemoryTreeView tree;
    int timerRestarts = 0;
    std::unique_ptr<SchedulerDialog> dialog;
};

const Row kRowA{QStringLiteral("Alpha News"), kIdA, kUrlA, QStringLiteral("3")};
const Row kRowB{QStringLiteral("Beta Atom"), kIdB, kUrlB, QStringLiteral("4")};
const Row kRowC{QStringLiteral("Gamma Cast"), kIdC, kUrlC, QStringLiteral("5")};

TEST_F(SchedulerDialogTest, OpensInItsDesignStateWithoutScheduleSection)
{
    open();

    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Scheduler"));
    EXPECT_EQ(rows(sources()), (QList<Row>{kRowA, kRowB, kRowC}));
    EXPECT_EQ(schedule()->topLevelItemCount(), 0);
    for (QTreeWidget *list : {sources(), schedule()}) {
        EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Feed Source"));
        EXPECT_EQ(list->header()->sectionSize(0), list->viewport()->width());
    }
    EXPECT_FALSE(enable()->isChecked());
    EXPECT_FALSE(notify()->isChecked());
    EXPECT_FALSE(sound()->isChecked());
    EXPECT_FALSE(container(0)->isEnabled());
    EXPECT_FALSE(container(1)->isEnabled());
    EXPECT_TRUE(container(2)->isEnabled());
    EXPECT_FALSE(ownEnabled(sound()));
    EXPECT_EQ(interval()->currentIndex(), -1);
    EXPECT_EQ(interval()->count(), 7);
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(SchedulerDialogTest, LoadingSavedScheduleFillsTheControls)
{
    writeEnabledSchedule();
    open();

    EXPECT_TRUE(enable()->isChecked());
    EXPECT_EQ(interval()->currentIndex(), 3);
    EXPECT_EQ(interval()->currentText(), QStringLiteral("Every 30 Min"));
    EXPECT_TRUE(notify()->isChecked());
    EXPECT_TRUE(sound()->isChecked());
    EXPECT_TRUE(container(0)->isEnabled());
    EXPECT_TRUE(container(1)->isEnabled());
    EXPECT_TRUE(sound()->isEnabled());
    // The schedule holds copies: a feed renamed in the tree keeps the name it was scheduled under.
    EXPECT_EQ(
        rows(schedule()),
        (QList<Row>{{QStringLiteral("Beta (old name)"), kIdB, kUrlB, QStringLiteral("4")}, kRowC}));
    EXPECT_EQ(rows(sources()), (QList<Row>{kRowA, kRowB, kRowC}));
}

TEST_F(SchedulerDialogTest, DamagedEntryKeepsControlsAsDesignedAndShowsEntriesBeforeIt)
{
    writeConfig("ena=1\r\nfrq=2\r\nalr=1\r\nsnd=1\r\nsfl=/x/notify.wav\r\ns_1="
                + entry(0, kIdA, kUrlA, QStringLiteral("Alpha News")) + "\r\ns_2=broken\r\n");
    open();

    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].title, QStringLiteral("LoadSchedulerSettings Function"));
    EXPECT_EQ(rows(schedule()), (QList<Row>{kRowA}));
    EXPECT_FALSE(enable()->isChecked());
    EXPECT_EQ(interval()->currentIndex(), -1);
    EXPECT_FALSE(container(0)->isEnabled());
}

TEST_F(SchedulerDialogTest, EnableStateFollowsTheBoxes)
{
    open();

    enable()->click();
    EXPECT_TRUE(container(0)->isEnabled());
    EXPECT_TRUE(container(1)->isEnabled());
    EXPECT_FALSE(sound()->isEnabled());

    notify()->click();
    EXPECT_TRUE(sound()->isEnabled());
    notify()->click();
    EXPECT_FALSE(sound()->isEnabled());

    notify()->click();
    enable()->click();
    EXPECT_FALSE(container(0)->isEnabled());
    EXPECT_FALSE(container(1)->isEnabled());
    EXPECT_TRUE(ownEnabled(sound())); // greyed by its frame only: it follows chkNotify
}

TEST_F(SchedulerDialogTest, DoubleClickAddsASourceOnceAndWarnsAboutTheSecond)
{
    open();
    enable()->click();

    doubleClick(sources(), 2);
    doubleClick(sources(), 0);
    EXPECT_TRUE(t.messages.shown.isEmpty());
    doubleClick(sources(), 2);

    EXPECT_EQ(rows(schedule()), (QList<Row>{kRowC, kRowA}));
    expectOnlyBox(MessageIcon::Warning, QStringLiteral("Source already in Schedule List!"),
                  QStringLiteral("Selected Source is already added to the Schedule List."));
    EXPECT_EQ(sources()->topLevelItemCount(), 3);
}

TEST_F(SchedulerDialogTest, RemovingAsksAndOnlyYesRemoves)
{
    writeEnabledSchedule();
    open();
    t.messages.answers = {MessageAnswer::No, MessageAnswer::Yes};

    doubleClick(schedule(), 1);
    EXPECT_EQ(schedule()->topLevelItemCount(), 2);
    doubleClick(schedule(), 1);

    EXPECT_EQ(rows(schedule()),
              (QList<Row>{{QStringLiteral("Beta (old name)"), kIdB, kUrlB, QStringLiteral("4")}}));
    ASSERT_EQ(t.messages.shown.size(), 2);
    for (const auto &box : t.messages.shown) {
        EXPECT_EQ(box.icon, MessageIcon::Question);
        EXPECT_EQ(box.buttons, MessageButtons::YesNo);
        EXPECT_EQ(box.title, QStringLiteral("Remove from Schedule List?"));
        EXPECT_EQ(
            box.text,
            QStringLiteral("Are you sure you want to Remove \"Gamma Cast\" from Schedule List?"));
    }
}

TEST_F(SchedulerDialogTest, SuccessfulOkWritesTheScheduleInRowOrder)
{
    // A previous, longer schedule: its entries must not outlive the save.
    writeConfig("ena=0\r\nfrq=-1\r\nalr=0\r\nsnd=0\r\nsfl=/elsewhere/ding.wav\r\ns_1="
                + entry(0, kIdA, kUrlA, QStringLiteral("Alpha News"))
                + "\r\ns_2=" + entry(1, kIdB, kUrlB, QStringLiteral("Beta Atom"))
                + "\r\ns_3=" + entry(2, kIdC, kUrlC, QStringLiteral("Gamma Cast")) + "\r\n");
    open();
    enable()->click();
    t.messages.answers = {MessageAnswer::Yes};
    doubleClick(schedule(), 0); // Alpha goes ...
    doubleClick(sources(), 0);  // ... and comes back last
    interval()->setCurrentIndex(2);
    notify()->click();
    sound()->click();
    t.messages.shown.clear();

    clickOk();

    const QString folder = t.dir.path();
    EXPECT_EQ(QString::fromUtf8(t.readFile(kConfig)),
              QStringLiteral("[schdl]\r\nena=1\r\nfrq=2\r\nalr=1\r\nsnd=1\r\nsfl=") + folder
                  + QStringLiteral("/notify.wav\r\ns_1=")
                  + QString::fromUtf8(entry(1, kIdB, kUrlB, QStringLiteral("Beta Atom")))
                  + QStringLiteral("\r\ns_2=")
                  + QString::fromUtf8(entry(2, kIdC, kUrlC, QStringLiteral("Gamma Cast")))
                  + QStringLiteral("\r\ns_3=")
                  + QString::fromUtf8(entry(0, kIdA, kUrlA, QStringLiteral("Alpha News")))
                  + QStringLiteral("\r\n"));
    expectOnlyBox(
        MessageIcon::Information, QStringLiteral("Done!"),
        QStringLiteral(
            "Scheduler Settings are Successfully saved to Application Configuration file!"));
    EXPECT_EQ(timerRestarts, 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SchedulerDialogTest, DisablingWithYesSavesTheListAndIntervalSwitchedOff)
{
    writeEnabledSchedule();
    open();
    enable()->click();
    t.messages.answers = {MessageAnswer::Yes};

    clickOk();

    ASSERT_EQ(t.messages.shown.size(), 2);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(t.messages.shown[0].title, QStringLiteral("Disable Scheduler?"));
    EXPECT_EQ(t.messages.shown[0].text,
              QStringLiteral("You've selected to Disable Scheduler. Continue?"));
    EXPECT_EQ(t.messages.shown[1].title, QStringLiteral("Done!"));
    EXPECT_EQ(timerRestarts, 1);
    EXPECT_FALSE(dialog->isVisible());

    const Settings::Scheduler saved = Settings::loadScheduler(t.ctx);
    EXPECT_FALSE(saved.enabled);
    EXPECT_EQ(saved.intervalIndex, 3);
    const QList<FeedRecord> feeds = saved.feedsBeforeProblem();
    ASSERT_EQ(feeds.size(), 2);
    EXPECT_EQ(feeds[0].name, QStringLiteral("Beta (old name)"));
    EXPECT_EQ(feeds[1].feedType, FeedType::Podcast);
}

// Each refusal leaves the dialog open and the file and the timer untouched.
TEST_F(SchedulerDialogTest, OkRefusesToSaveWhatCannotRun)
{
    struct Case {
        const char *name;
        bool enable;
        bool addSource;
        bool focusOnInterval;
        MessageIcon icon;
        QString title;
        QString text;
    };
    const QList<Case> cases{
        {"disabling answered No", false, false, false, MessageIcon::Question,
         QStringLiteral("Disable Scheduler?"),
         QStringLiteral("You've selected to Disable Scheduler. Continue?")},
        {"enabled without sources", true, false, false, MessageIcon::Warning,
         QStringLiteral("No Sources Selected!"),
         QStringLiteral("You've enabled Scheduler, but no Feed Sources are configured for "
                        "Scheduled check.")},
        {"enabled without interval", true, true, true, MessageIcon::Warning,
         QStringLiteral("Execution Frequency?"),
         QStringLiteral("Please set Schedule Execution Interval.")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        t.messages.shown.clear();
        open();
        QApplication::setActiveWindow(dialog.get());
        if (c.enable)
            enable()->click();
        if (c.addSource)
            doubleClick(sources(), 1);
        control<QPushButton>("btnOK")->setFocus();

        clickOk();

        expectOnlyBox(c.icon, c.title, c.text);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_FALSE(QFile::exists(t.path(kConfig)));
        EXPECT_EQ(timerRestarts, 0);
        EXPECT_EQ(QApplication::focusWidget() == interval(), c.focusOnInterval);
    }
}

TEST_F(SchedulerDialogTest, CancelSavesNothing)
{
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        writeEnabledSchedule();
        const QByteArray before = t.readFile(kConfig);
        open();
        enable()->click();
        notify()->click();
        interval()->setCurrentIndex(0);
        doubleClick(sources(), 0);

        if (escape)
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else
            control<QPushButton>("btnCancel")->click();

        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(t.readFile(kConfig), before);
        EXPECT_TRUE(t.messages.shown.isEmpty());
        EXPECT_EQ(timerRestarts, 0);
    }
}

TEST_F(SchedulerDialogTest, OpensInTheCurrentLanguage)
{
    t.writeFile(QStringLiteral("Localization.txt"),
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n"
                "<LANGUAGE_GROUP xml:lang=\"de\">\r\n\t<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n"
                "\t<DESCRIPTION>x</DESCRIPTION>\r\n\t<TRANSLATION_ITEMS>\r\n"
                "\t\t<FRMSCHEDULER_CHKNOTIFY>Benachrichtigung zeigen.</FRMSCHEDULER_CHKNOTIFY>\r\n"
                "\t\t<frmScheduler_fmScheduleOpt>Schritt 1</frmScheduler_fmScheduleOpt>\r\n"
                "\t\t<FRMSCHEDULER_LSTSCHEDULE_COL1>Feedquelle</FRMSCHEDULER_LSTSCHEDULE_COL1>\r\n"
                "\t\t<FRMSCHEDULER_BTNOK>Jawohl</FRMSCHEDULER_BTNOK>\r\n"
                "\t\t<CAPTION_FRMSCHEDULER>Zeitplaner</CAPTION_FRMSCHEDULER>\r\n"
                "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n");
    languages.setCurrentLanguage(QStringLiteral("Deutsch"));

    open();

    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Zeitplaner"));
    EXPECT_EQ(notify()->text(), QStringLiteral("Benachrichtigung zeigen."));
    EXPECT_EQ(control<QGroupBox>("fmScheduleOpt")->title(), QStringLiteral("Schritt 1"));
    EXPECT_EQ(schedule()->headerItem()->text(0), QStringLiteral("Feedquelle"));
    EXPECT_EQ(control<QPushButton>("btnOK")->text(), QStringLiteral("OK"));
}

} // namespace
