#include "settings/Settings.h"

#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <tuple>

namespace {

const QString kConfigName = QStringLiteral("AppCfg.cfg");

auto fields(const FeedRecord &f)
{
    return std::tie(f.category, f.url, f.feedType, f.id, f.name);
}

// Field by field, so that a failure names the entry and the field that differs.
void expectSameList(const QList<FeedRecord> &actual, const QList<FeedRecord> &expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(actual[i].category, expected[i].category);
        EXPECT_EQ(actual[i].url, expected[i].url);
        EXPECT_EQ(actual[i].feedType, expected[i].feedType);
        EXPECT_EQ(actual[i].id, expected[i].id);
        EXPECT_EQ(actual[i].name, expected[i].name);
        if (fields(actual[i]) != fields(expected[i]))
            return;
    }
}

FeedRecord feed(int n, FeedType type = FeedType::Rss)
{
    FeedRecord feed;
    feed.feedType = type;
    feed.id = QStringLiteral("{00000000-0000-0000-0000-%1}").arg(n, 12, 10, QLatin1Char('0'));
    feed.url = QStringLiteral("https://example.org/feed/%1.xml").arg(n);
    feed.name = QStringLiteral("Feed number %1").arg(n);
    return feed;
}

QList<FeedRecord> feeds(int count)
{
    QList<FeedRecord> feeds;
    for (int n = 1; n <= count; ++n)
        feeds.append(feed(n, feedTypeFromNumber(n % 3)));
    return feeds;
}

Settings::Scheduler scheduler(bool enabled, int interval, bool popup, bool sound,
                              const QString &soundFile, const QList<FeedRecord> &feeds)
{
    Settings::Scheduler scheduler;
    scheduler.enabled = enabled;
    scheduler.intervalIndex = interval;
    scheduler.showPopup = popup;
    scheduler.playPopupSound = sound;
    scheduler.soundFile = soundFile;
    for (const FeedRecord &feed : feeds)
        scheduler.schedule.append({{}, feed, {}});
    return scheduler;
}

class SchedulerSettings : public ::testing::Test {
protected:
    void write(const QByteArray &bytes) { t.writeFile(kConfigName, bytes); }
    [[nodiscard]] QByteArray bytes() const { return t.readFile(kConfigName); }
    [[nodiscard]] QString defaultSound() const { return t.dir.path() + "/notify.wav"; }

    void expectDefaults(const Settings::Scheduler &loaded) const
    {
        EXPECT_FALSE(loaded.enabled);
        EXPECT_EQ(loaded.intervalIndex, -1);
        EXPECT_TRUE(loaded.showPopup);
        EXPECT_FALSE(loaded.playPopupSound);
        EXPECT_EQ(loaded.soundFile, defaultSound());
    }

    test::TestContext t;
};

TEST_F(SchedulerSettings, WithoutKeysEveryValueIsItsDefault)
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

        const Settings::Scheduler loaded = Settings::loadScheduler(t.ctx);
        expectDefaults(loaded);
        EXPECT_FALSE(loaded.listed);
        EXPECT_TRUE(loaded.schedule.isEmpty());
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(SchedulerSettings, SaveWritesTheSectionWholeAndDropsRemovedEntries)
{
    write("[schdl]\r\nena=0\r\nzz_stale=1\r\n");
    Settings::saveScheduler(t.ctx, scheduler(true, 3, false, true, "/sounds/ding.wav", feeds(5)));
    ASSERT_TRUE(bytes().contains("s_5="));

    Settings::saveScheduler(
        t.ctx,
        scheduler(true, -1, true, false, "/sounds/ding.wav",
                  {feed(1, FeedType::Podcast), feed(2, FeedType::Rss), feed(3, FeedType::Atom)}));
    EXPECT_EQ(bytes(),
              "[schdl]\r\nena=1\r\nfrq=-1\r\nalr=1\r\nsnd=0\r\nsfl=/sounds/ding.wav\r\n"
              "s_1=2\x05{00000000-0000-0000-0000-000000000001}\x05"
              "https://example.org/feed/1.xml\x05"
              "Feed number 1\r\n"
              "s_2=0\x05{00000000-0000-0000-0000-000000000002}\x05"
              "https://example.org/feed/2.xml\x05"
              "Feed number 2\r\n"
              "s_3=1\x05{00000000-0000-0000-0000-000000000003}\x05"
              "https://example.org/feed/3.xml\x05"
              "Feed number 3\r\n");
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(SchedulerSettings, ListsOfAnyLengthLoadBackAsSaved)
{
    // 96 entries fill 101 keys; one more used to be read as "no list".
    for (const int count : {0, 1, 96, 97, 200}) {
        SCOPED_TRACE(count);
        const QList<FeedRecord> saved = feeds(count);
        Settings::saveScheduler(
            t.ctx, scheduler(true, 6, false, true, "/home/zoë/sounds/new item.wav", saved));

        const Settings::Scheduler loaded = Settings::loadScheduler(t.ctx);
        EXPECT_TRUE(loaded.listed);
        EXPECT_TRUE(loaded.enabled);
        EXPECT_EQ(loaded.intervalIndex, 6);
        EXPECT_FALSE(loaded.showPopup);
        EXPECT_TRUE(loaded.playPopupSound);
        EXPECT_EQ(loaded.soundFile, "/home/zoë/sounds/new item.wav");
        EXPECT_EQ(loaded.firstProblem(), nullptr);
        expectSameList(loaded.feedsBeforeProblem(), saved);
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
          "s_4=0\x05id-4\x05http://d.example/\x05"
          "D\r\n");
    const Settings::Scheduler loaded = Settings::loadScheduler(t.ctx);
    EXPECT_FALSE(loaded.enabled);
    EXPECT_EQ(loaded.intervalIndex, -1);

    FeedRecord first;
    first.feedType = FeedType::Podcast;
    first.id = "id-1";
    first.url = "http://a.example/";
    FeedRecord blank;
    blank.feedType = FeedType::Atom;
    expectSameList(loaded.feedsBeforeProblem(), {first, blank});
    EXPECT_EQ(loaded.schedule.size(), 2);
}

TEST_F(SchedulerSettings, ADamagedEntryKeepsItsPlaceWithItsProblem)
{
    const struct {
        const char *what;
        QByteArray entry;
    } cases[] = {
        {"three fields", "0\x05id-2\x05http://b.example/"},
        {"empty value", ""},
        {"type no number",
         "rss\x05id-2\x05http://b.example/\x05"
         "B"},
        {"empty type",
         "\x05id-2\x05http://b.example/\x05"
         "B"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        write("[schdl]\r\nena=1\r\nfrq=2\r\nalr=0\r\nsnd=1\r\nsfl=/s.wav\r\n"
              "s_1=1\x05id-1\x05http://a.example/\x05"
              "A\r\n"
              "s_2="
              + c.entry
              + "\r\n"
                "s_3=0\x05id-3\x05http://c.example/\x05"
                "C\r\n");

        const Settings::Scheduler loaded = Settings::loadScheduler(t.ctx);
        EXPECT_TRUE(loaded.enabled);
        EXPECT_EQ(loaded.intervalIndex, 2);
        EXPECT_EQ(loaded.soundFile, "/s.wav");
        ASSERT_EQ(loaded.schedule.size(), 3);
        const Settings::ScheduleEntry *damaged = loaded.firstProblem();
        ASSERT_NE(damaged, nullptr);
        EXPECT_EQ(damaged->key, "s_2");
        EXPECT_TRUE(damaged->problem.contains("s_2")) << damaged->problem.toStdString();
        EXPECT_TRUE(loaded.schedule[2].feed.has_value());

        FeedRecord first;
        first.feedType = FeedType::Atom;
        first.id = "id-1";
        first.url = "http://a.example/";
        first.name = "A";
        expectSameList(loaded.feedsBeforeProblem(), {first});
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(SchedulerSettings, ASeparatorInANameIsNotGuarded)
{
    FeedRecord named = feed(1);
    named.name = QStringLiteral("Left") + QChar(0x05) + QStringLiteral("Right");
    Settings::saveScheduler(t.ctx, scheduler(true, 0, true, false, defaultSound(), {named}));
    const QList<FeedRecord> loaded = Settings::loadScheduler(t.ctx).feedsBeforeProblem();
    ASSERT_EQ(loaded.size(), 1);
    // The stored entry has five fields; the name is the fourth and the rest is lost.
    EXPECT_EQ(loaded[0].name, "Left");
}

TEST_F(SchedulerSettings, AFeedTypeIsCorrectedInItsEntriesOnly)
{
    write("[schdl]\r\nena=1\r\n"
          "s_1=0\x05id-1\x05http://a.example/\x05"
          "A\x05extra\r\n"
          "s_2=0\x05id-2\x05http://b.example/\x05"
          "B\r\n"
          "s_3=bad\r\n"
          "s_4=2\x05id-1\x05http://a.example/\x05"
          "A again\r\n");
    EXPECT_TRUE(Settings::correctScheduledFeedType(t.ctx, "id-1", FeedType::Podcast));
    EXPECT_EQ(bytes(),
              "[schdl]\r\nena=1\r\n"
              "s_1=2\x05id-1\x05http://a.example/\x05"
              "A\x05extra\r\n"
              "s_2=0\x05id-2\x05http://b.example/\x05"
              "B\r\n"
              "s_3=bad\r\n"
              "s_4=2\x05id-1\x05http://a.example/\x05"
              "A again\r\n");
    EXPECT_FALSE(Settings::correctScheduledFeedType(t.ctx, "id-1", FeedType::Podcast));
    EXPECT_FALSE(Settings::correctScheduledFeedType(t.ctx, "id-9", FeedType::Atom));
}

} // namespace
