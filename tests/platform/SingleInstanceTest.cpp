#include "platform/SingleInstance.h"

#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// A later start of the program on a folder, run on a thread of its own the way a second process
// would run it, so that this thread's event loop is free to let the first run answer.
class LaterStart {
public:
    LaterStart(const QString &folder, bool raise, std::chrono::milliseconds patience = 5s)
        : m_thread([this, folder, raise, patience] {
            platform::SingleInstance instance(folder);
            instance.setPatience(patience);
            claimed = instance.claim();
            refused = !claimed;
            if (!claimed) {
                told = instance.tellFirst(raise);
                error = instance.errorString();
            }
            done = true;
        })
    {
    }
    ~LaterStart()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    // Runs this thread's event loop until the later start has ended.
    void finish()
    {
        EXPECT_TRUE(test::waitUntil([this] { return done.load(); }, 20000));
        m_thread.join();
    }
    // Waits for the later start without running the event loop: a first run on this thread
    // cannot answer meanwhile.
    void finishUnanswered() { m_thread.join(); }

    std::atomic<bool> refused{false};
    std::atomic<bool> done{false};
    bool claimed = false;
    bool told = false;
    QString error;

private:
    std::thread m_thread; // last: the members above exist before it starts
};

TEST(SingleInstance, ALaterStartIsTurnedAwayAndOnlyItsRaiseReachesTheFirst)
{
    const struct {
        bool raise;
        int raisesSeen;
    } cases[] = {{true, 1}, {false, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.raise ? "raise" : "none");
        QTemporaryDir folder;
        platform::SingleInstance first(folder.path());
        ASSERT_TRUE(first.claim());
        QSignalSpy raised(&first, &platform::SingleInstance::raiseRequested);

        LaterStart later(folder.path(), c.raise);
        later.finish();

        EXPECT_FALSE(later.claimed);
        EXPECT_TRUE(later.told) << later.error.toStdString();
        // The first acknowledges only after it has acted on the request.
        EXPECT_EQ(raised.count(), c.raisesSeen);
    }
}

TEST(SingleInstance, EveryNameOfAFolderLeadsToTheSameFirst)
{
    QTemporaryDir scratch;
    const QString folder = scratch.filePath(QStringLiteral("Marlowin"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString link = scratch.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(folder, link));
    platform::SingleInstance first(folder);
    ASSERT_TRUE(first.claim());
    QSignalSpy raised(&first, &platform::SingleInstance::raiseRequested);

    const QString names[] = {link, folder + QStringLiteral("/"),
                             scratch.filePath(QStringLiteral("link/../Marlowin"))};
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        LaterStart later(name, true);
        later.finish();
        EXPECT_FALSE(later.claimed);
        EXPECT_TRUE(later.told) << later.error.toStdString();
    }
    EXPECT_EQ(raised.count(), 3);
}

TEST(SingleInstance, RunsOnDifferentFoldersAreIndependent)
{
    QTemporaryDir one;
    QTemporaryDir other;
    platform::SingleInstance onOne(one.path());
    platform::SingleInstance onOther(other.path());
    ASSERT_TRUE(onOne.claim());
    ASSERT_TRUE(onOther.claim());
    QSignalSpy oneRaised(&onOne, &platform::SingleInstance::raiseRequested);
    QSignalSpy otherRaised(&onOther, &platform::SingleInstance::raiseRequested);

    LaterStart later(other.path(), true);
    later.finish();

    EXPECT_TRUE(later.told) << later.error.toStdString();
    EXPECT_EQ(oneRaised.count(), 0);
    EXPECT_EQ(otherRaised.count(), 1);
}

TEST(SingleInstance, TheFolderIsFreeOnceTheFirstHasEnded)
{
    QTemporaryDir folder;
    {
        platform::SingleInstance first(folder.path());
        ASSERT_TRUE(first.claim());
    }
    platform::SingleInstance next(folder.path());
    ASSERT_TRUE(next.claim());
    QSignalSpy raised(&next, &platform::SingleInstance::raiseRequested);

    LaterStart later(folder.path(), true);
    later.finish();

    EXPECT_TRUE(later.told) << later.error.toStdString();
    EXPECT_EQ(raised.count(), 1);
}

// A run killed with SIGKILL leaves its lock file and its socket file behind.
TEST(SingleInstance, ALockLeftByAKilledRunIsRecovered)
{
    QTemporaryDir folder;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        platform::SingleInstance owner(folder.path());
        const char claimed = owner.claim() ? '1' : '0';
        if (write(ready[1], &claimed, 1) != 1)
            _exit(1);
        for (;;)
            pause();
    }
    struct Reaper {
        pid_t pid;
        void kill()
        {
            if (pid > 0) {
                ::kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
                pid = 0;
            }
        }
        ~Reaper() { kill(); }
    } owner{child};
    close(ready[1]);
    char claimed = 0;
    ASSERT_EQ(read(ready[0], &claimed, 1), 1);
    close(ready[0]);
    ASSERT_EQ(claimed, '1');
    {
        platform::SingleInstance whileTheOwnerLives(folder.path());
        EXPECT_FALSE(whileTheOwnerLives.claim());
    }

    owner.kill();
    ASSERT_TRUE(QFileInfo::exists(folder.filePath(QStringLiteral("marlowin.lock"))));

    platform::SingleInstance next(folder.path());
    ASSERT_TRUE(next.claim()) << next.errorString().toStdString();
    QSignalSpy raised(&next, &platform::SingleInstance::raiseRequested);
    LaterStart later(folder.path(), true);
    later.finish();
    EXPECT_TRUE(later.told) << later.error.toStdString();
    EXPECT_EQ(raised.count(), 1);
}

TEST(SingleInstance, ALaterStartWaitsForAFirstThatIsNotListeningYet)
{
    QTemporaryDir folder;
    // The first run between taking the lock and listening.
    QLockFile taken(folder.filePath(QStringLiteral("marlowin.lock")));
    ASSERT_TRUE(taken.tryLock(0));
    LaterStart later(folder.path(), true);
    ASSERT_TRUE(test::waitUntil([&] { return later.refused.load(); }));

    taken.unlock();
    platform::SingleInstance first(folder.path());
    ASSERT_TRUE(first.claim());
    QSignalSpy raised(&first, &platform::SingleInstance::raiseRequested);
    later.finish();

    EXPECT_TRUE(later.told) << later.error.toStdString();
    EXPECT_EQ(raised.count(), 1);
}

// Without patience the later start gives up on its first attempt, down the path that a run out of
// patience takes, so the test need not wait for the patience to run out.
TEST(SingleInstance, ALaterStartGivesUpOnAFirstThatNeverAnswers)
{
    // Nobody listens behind the lock; or the first listens but is too busy to answer.
    for (const bool listening : {false, true}) {
        SCOPED_TRACE(listening ? "listening" : "not listening");
        QTemporaryDir folder;
        QLockFile taken(folder.filePath(QStringLiteral("marlowin.lock")));
        platform::SingleInstance first(folder.path());
        if (listening)
            ASSERT_TRUE(first.claim());
        else
            ASSERT_TRUE(taken.tryLock(0));

        LaterStart later(folder.path(), true, 0ms);
        later.finishUnanswered();

        EXPECT_FALSE(later.told);
        EXPECT_TRUE(later.error.contains(QFileInfo(folder.path()).canonicalFilePath()))
            << later.error.toStdString();
        EXPECT_TRUE(later.error.contains(listening ? u"did not answer" : u"cannot be reached"))
            << later.error.toStdString();
    }
}

} // namespace
