#include "scheduler/ScheduleLog.h"

#include "support/TestContext.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const QString kLogName = QStringLiteral("schedule.log");
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

TEST(ScheduleLogTest, GeneralDateIsShortDateAndLongTimeWithoutZone)
{
    const QDateTime when(QDate(2026, 3, 14), QTime(19, 6, 5));
    EXPECT_EQ(Schedule::generalDateTime(when, kEnglish), QStringLiteral("3/14/26 7:06:05 PM"));
    EXPECT_EQ(Schedule::generalDateTime(when, kGerman), QStringLiteral("14.03.26 19:06:05"));
}

TEST(ScheduleLogTest, HeaderFooterAndTextAreAppendedInWindows1252)
{
    test::TestContext t;
    QStringList observed;
    const Schedule::ScheduleLog log(t.ctx, kGerman,
                                    [&](const QString &written) { observed << written; });
    t.writeFile(kLogName, "earlier\r\n");

    log.write(QStringLiteral("ignored"), true, false);
    log.write(QStringLiteral("Checking Caf\u00e9 \u20ac \u65e5"));
    log.write(QStringLiteral("ignored"), true, true);
    t.clock.current = t.clock.current.addSecs(61);
    log.write(QStringLiteral("ignored"), false, true);

    const QByteArray header
        = QByteArray(70, '=') + "\r\nScheduled Check Started (14.03.26 09:26:53)\r\n\r\n\r\n";
    EXPECT_EQ(t.readFile(kLogName),
              "earlier\r\n" + header + "Checking Caf\xe9 \x80 ?\r\n" + header
                  + "Scheduled Check Finished (14.03.26 09:27:54)\r\n\r\n");
    ASSERT_EQ(observed.size(), 4);
    EXPECT_EQ(observed[1], QStringLiteral("Checking Caf\u00e9 \u20ac \u65e5"));
    EXPECT_EQ(observed[3], QStringLiteral("Scheduled Check Finished (14.03.26 09:27:54)\r\n"));
}

TEST(ScheduleLogTest, LogLargerThanTheLimitRestartsWithTheNextWrite)
{
    struct Case {
        qint64 size;
        bool restarts;
    };
    for (const Case c :
         {Case{Schedule::kScheduleLogLimit, false}, Case{Schedule::kScheduleLogLimit + 1, true}}) {
        SCOPED_TRACE(c.size);
        test::TestContext t;
        t.writeFile(kLogName, QByteArray(c.size, 'x'));
        Schedule::writeScheduleLog(t.ctx, QStringLiteral("line"), false, false);
        const QByteArray log = t.readFile(kLogName);
        EXPECT_EQ(log.size(), c.restarts ? 6 : c.size + 6);
        EXPECT_TRUE(log.endsWith("line\r\n"));
    }
}

TEST(ScheduleLogTest, LogThatCannotBeWrittenIsPassedOver)
{
    test::TestContext t;
    ASSERT_TRUE(QDir(t.dir.path()).mkdir(kLogName)); // a folder where the file belongs
    QStringList observed;
    const Schedule::ScheduleLog log(t.ctx, kEnglish,
                                    [&](const QString &written) { observed << written; });
    log.write(QStringLiteral("line"));
    EXPECT_EQ(observed, QStringList{QStringLiteral("line")});
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

} // namespace
