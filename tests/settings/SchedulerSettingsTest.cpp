#include "settings/mSettings.h"

#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <tuple>

using platform::MessageIcon;

namespace {

const QString kConfigName = QStringLiteral("AppCfg.cfg");

auto Fields(const FeedRecord &f)
{
    return std::tie(f.Category, f.URL, f.FeedType, f.ID, f.Name);
}

// Field by field, so that a failure names the entry and the field that differs.
void ExpectSameList(const QList<FeedRecord> &actual, const QList<FeedRecord> &expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(actual[i].Category, expected[i].Category);
        EXPECT_EQ(actual[i].URL, expected[i].URL);
        EXPECT_EQ(actual[i].FeedType, expected[i].FeedType);
        EXPECT_EQ(actual[i].ID, expected[i].ID);
        EXPECT_EQ(actual[i].Name, expected[i].Name);
        if (Fields(actual[i]) != Fields(expected[i]))
            return;
    }
}

FeedRecord Feed(int n, qint16 type = 0)
{
    FeedRecord feed;
    feed.FeedType = type;
    feed.ID = QStringLiteral("{00000000-0000-0000-0000-%1}").arg(n, 12, 10, QLatin1Char('0'));
    feed.URL = QStringLiteral("https://example.org/feed/%1.xml").arg(n);
    feed.Name = QStringLiteral("Feed number %1").arg(n);
    return feed;
}

QList<FeedRecord> Feeds(int count)
{
    QList<FeedRecord> feeds;
    for (int n = 1; n <= count; ++n)
        feeds.append(Feed(n, static_cast<qint16>(n % 3)));
    return feeds;
}

// Values that no load gives, so that a load which skips a variable shows.
void Scribble()
{
    mSettings::SchedulerEnabled = 7;
    mSettings::IntervalIndex = 7;
    mSettings::ShowPopup = 7;
    mSettings::PlayPopupSound = 7;
    mSettings::SoundFile = QStringLiteral("junk");
    FeedRecord junk;
    junk.Category = QStringLiteral("junk");
    mSettings::ScheduleList = {junk};
}

void SetScheduler(qint16 enabled, qint16 interval, qint16 popup, qint16 sound,
                  const QString &soundFile, const QList<FeedRecord> &list)
{
    mSettings::SchedulerEnabled = enabled;
    mSettings::IntervalIndex = interval;
    mSettings::ShowPopup = popup;
    mSettings::PlayPopupSound = sound;
    mSettings::SoundFile = soundFile;
    mSettings::ScheduleList = list;
}

class SchedulerSettings : public ::testing::Test {
protected:
    void SetUp() override { Scribble(); }
    void write(const QByteArray &bytes) { t.writeFile(kConfigName, bytes); }
    [[nodiscard]] QByteArray bytes() const { return t.readFile(kConfigName); }
    [[nodiscard]] QString defaultSound() const { return t.dir.path() + "/notify.wav"; }

    void expectDefaults() const
    {
        EXPECT_EQ(mSettings::SchedulerEnabled, 0);
        EXPECT_EQ(mSettings::IntervalIndex, -1);
        EXPECT_EQ(mSettings::ShowPopup, 1);
        EXPECT_EQ(mSettings::PlayPopupSound, 0);
        EXPECT_EQ(mSettings::SoundFile, defaultSound());
    }

    test::TestContext t;
};

TEST_F(SchedulerSettings, WithoutKeysTheListLoadStopsWithDefaults)
{
    const struct {
        const char *what;
        QByteArray file; // empty: no file at all
    } cases[] = {
        {"no file", {}},
        {"other sections only", "[app]\r\nclose=1\r\n"},
        {"empty schdl section", "[schdl]\r\n[app]\r\nclose=1\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(t.path(kConfigName));
        if (!c.file.isEmpty())
            write(c.file);

        Scribble();
        EXPECT_FALSE(mSettings::LoadSchedulerSettings(t.ctx, true));
        expectDefaults();
        EXPECT_TRUE(mSettings::ScheduleList.isEmpty());

        // Without the list (start-up) the same file is a complete load.
        Scribble();
        EXPECT_TRUE(mSettings::LoadSchedulerSettings(t.ctx, false));
        expectDefaults();
        EXPECT_TRUE(mSettings::ScheduleList.isEmpty());
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(SchedulerSettings, SaveWritesTheSectionWholeAndDropsRemovedEntries)
{
    write("[schdl]\r\nena=0\r\nzz_stale=1\r\n");
    SetScheduler(1, 3, 0, 1, "/sounds/ding.wav", Feeds(5));
    mSettings::SaveSchedulerSettings(t.ctx, false);
    ASSERT_TRUE(bytes().contains("s_5="));

    SetScheduler(1, -1, 1, 0, "/sounds/ding.wav", {Feed(1, 2), Feed(2, 0), Feed(3, 1)});
    mSettings::SaveSchedulerSettings(t.ctx, false);
    EXPECT_EQ(bytes(), "[schdl]\r\nena=1\r\nfrq=-1\r\nalr=1\r\nsnd=0\r\nsfl=/sounds/ding.wav\r\n"
                       "s_1=2\x05{00000000-0000-0000-0000-000000000001}\x05"
                       "https://example.org/feed/1.xml\x05" "Feed number 1\r\n"
                       "s_2=0\x05{00000000-0000-0000-0000-000000000002}\x05"
                       "https://example.org/feed/2.xml\x05" "Feed number 2\r\n"
                       "s_3=1\x05{00000000-0000-0000-0000-000000000003}\x05"
                       "https://example.org/feed/3.xml\x05" "Feed number 3\r\n");
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(SchedulerSettings, ListsOfAnyLengthLoadBackAsSaved)
{
    // 96 entries fill 101 keys; one more used to be read as "no list".
    for (const int count : {0, 1, 96, 97, 200}) {
        SCOPED_TRACE(count);
        const QList<FeedRecord> saved = Feeds(count);
        SetScheduler(1, 6, 0, 1, "/home/zoë/sounds/new item.wav", saved);
        mSettings::SaveSchedulerSettings(t.ctx, false);

        Scribble();
        EXPECT_TRUE(mSettings::LoadSchedulerSettings(t.ctx, true));
        EXPECT_EQ(mSettings::SchedulerEnabled, 1);
        EXPECT_EQ(mSettings::IntervalIndex, 6);
        EXPECT_EQ(mSettings::ShowPopup, 0);
        EXPECT_EQ(mSettings::PlayPopupSound, 1);
        EXPECT_EQ(mSettings::SoundFile, "/home/zoë/sounds/new item.wav");
        ExpectSameList(mSettings::ScheduleList, saved);
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(SchedulerSettings, TheListEndsAtTheFirstMissingKey)
{
    // Empty values and hand-added keys do not end the list; a gap does. Integer keys that are no
    // number read as their defaults.
    write("[schdl]\r\nena=on\r\nfrq=\r\nnote_1=x\r\n"
          "s_1=2\x05id-1\x05http://a.example/\x05\r\n"
          "s_2= 1 \x05\x05\x05\r\n"
          "s_4=0\x05id-4\x05http://d.example/\x05" "D\r\n");
    EXPECT_TRUE(mSettings::LoadSchedulerSettings(t.ctx, true));
    EXPECT_EQ(mSettings::SchedulerEnabled, 0);
    EXPECT_EQ(mSettings::IntervalIndex, -1);

    FeedRecord first;
    first.FeedType = 2;
    first.ID = "id-1";
    first.URL = "http://a.example/";
    FeedRecord blank;
    blank.FeedType = 1;
    ExpectSameList(mSettings::ScheduleList, {first, blank});
}

TEST_F(SchedulerSettings, ADamagedEntryIsReportedAndKeepsTheEntriesBeforeIt)
{
    const struct {
        const char *what;
        QByteArray entry;
    } cases[] = {
        {"three fields", "0\x05id-2\x05http://b.example/"},
        {"empty value", ""},
        {"type no number", "rss\x05id-2\x05http://b.example/\x05" "B"},
        {"empty type", "\x05id-2\x05http://b.example/\x05" "B"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        write("[schdl]\r\nena=1\r\nfrq=2\r\nalr=0\r\nsnd=1\r\nsfl=/s.wav\r\n"
              "s_1=1\x05id-1\x05http://a.example/\x05" "A\r\n"
              "s_2=" + c.entry + "\r\n"
              "s_3=0\x05id-3\x05http://c.example/\x05" "C\r\n");
        t.messages.shown.clear();
        Scribble();

        EXPECT_FALSE(mSettings::LoadSchedulerSettings(t.ctx, true));
        ASSERT_EQ(t.messages.shown.size(), 1);
        EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(t.messages.shown[0].title, "LoadSchedulerSettings Function");
        const QString prefix = QStringLiteral("Error on Line 0\r\n\r\n");
        EXPECT_TRUE(t.messages.shown[0].text.startsWith(prefix)) << t.messages.shown[0].text.toStdString();
        EXPECT_GT(t.messages.shown[0].text.size(), prefix.size());

        EXPECT_EQ(mSettings::SchedulerEnabled, 1);
        EXPECT_EQ(mSettings::IntervalIndex, 2);
        EXPECT_EQ(mSettings::SoundFile, "/s.wav");
        FeedRecord first;
        first.FeedType = 1;
        first.ID = "id-1";
        first.URL = "http://a.example/";
        first.Name = "A";
        ExpectSameList(mSettings::ScheduleList, {first});
    }
}

TEST_F(SchedulerSettings, ASeparatorInANameIsNotGuarded)
{
    FeedRecord feed = Feed(1);
    feed.Name = QStringLiteral("Left") + QChar(0x05) + QStringLiteral("Right");
    SetScheduler(1, 0, 1, 0, defaultSound(), {feed});
    mSettings::SaveSchedulerSettings(t.ctx, false);
    ASSERT_TRUE(mSettings::LoadSchedulerSettings(t.ctx, true));
    ASSERT_EQ(mSettings::ScheduleList.size(), 1);
    // The stored entry has five fields; the name is the fourth and the rest is lost.
    EXPECT_EQ(mSettings::ScheduleList[0].Name, "Left");
}

TEST_F(SchedulerSettings, SaveConfirmsThenRestartsTheScheduleFromTheSavedFile)
{
    SetScheduler(1, 4, 1, 0, defaultSound(), Feeds(2));
    for (const bool showMessage : {true, false}) {
        SCOPED_TRACE(showMessage);
        t.messages.shown.clear();
        QFile::remove(t.path(kConfigName));
        int calls = 0;
        qsizetype boxesAtCall = -1;
        QByteArray fileAtCall;
        mSettings::SaveSchedulerSettings(t.ctx, showMessage, [&] {
            ++calls;
            boxesAtCall = t.messages.shown.size();
            fileAtCall = bytes();
        });

        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(fileAtCall.endsWith("Feed number 2\r\n"));
        EXPECT_EQ(boxesAtCall, showMessage ? 1 : 0);
        ASSERT_EQ(t.messages.shown.size(), boxesAtCall);
        if (showMessage) {
            EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Information);
            EXPECT_EQ(t.messages.shown[0].title, "Done!");
            EXPECT_EQ(t.messages.shown[0].text,
                      "Scheduler Settings are Successfully saved to Application Configuration "
                      "file!");
        }
    }
    // Without a callback the save is complete on its own.
    mSettings::SaveSchedulerSettings(t.ctx, false);
    EXPECT_TRUE(QFileInfo::exists(t.path(kConfigName)));
}

} // namespace
