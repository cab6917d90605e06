#include "platform/AppFolder.h"
#include "platform/AtomicFile.h"

#include "support/FileSizeLimit.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(AppFolder, MarlowinHomeWins)
{
    const QByteArray previous = qgetenv("MARLOWIN_HOME");
    qputenv("MARLOWIN_HOME", "/tmp/marlowin-home");
    EXPECT_EQ(platform::resolveAppFolder(), QStringLiteral("/tmp/marlowin-home"));
    qunsetenv("MARLOWIN_HOME");
    EXPECT_TRUE(platform::resolveAppFolder().endsWith(QStringLiteral("/Marlowin")));
    if (!previous.isEmpty())
        qputenv("MARLOWIN_HOME", previous);
}

TEST(AppFolder, SeedingCopiesMissingFilesAndNeverOverwrites)
{
    test::TestContext shipped;
    for (const QString &name : platform::shippedFileNames())
        shipped.writeFile(name, "shipped " + name.toUtf8());
    test::TestContext user;
    const QString appFolder = user.path(QStringLiteral("Marlowin"));
    ASSERT_TRUE(QDir().mkpath(appFolder));
    user.writeFile(QStringLiteral("Marlowin/view.tpl"), "my own template");

    const QStringList copied = platform::seedAppFolder(appFolder, shipped.dir.path());

    EXPECT_EQ(copied.size(), platform::shippedFileNames().size() - 1);
    EXPECT_FALSE(copied.contains(QStringLiteral("view.tpl")));
    EXPECT_EQ(user.readFile(QStringLiteral("Marlowin/view.tpl")), "my own template");
    EXPECT_EQ(user.readFile(QStringLiteral("Marlowin/default.fdb")), "shipped default.fdb");
    EXPECT_TRUE(QFileInfo(user.path(QStringLiteral("Marlowin/email.tpl"))).isWritable());
    EXPECT_TRUE(platform::seedAppFolder(appFolder, shipped.dir.path()).isEmpty());
}

TEST(AppFolder, TheSourceTreeShipsItsFiles)
{
    // Run from the build tree, the program finds resources/ in the source tree.
    EXPECT_TRUE(QFileInfo(platform::shippedFilesFolder()).isDir());
}

TEST(WriteFileAtomically, ReplacesWholeOrNotAtAll)
{
    test::TestContext t;
    const QString file = t.path(QStringLiteral("AppCfg.cfg"));
    ASSERT_TRUE(platform::writeFileAtomically(file, "first").ok);
    {
        test::FileSizeLimit diskFull(3);
        const auto result = platform::writeFileAtomically(file, "second, longer");
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.errorNumber, EFBIG);
        EXPECT_FALSE(result.errorText.isEmpty());
    }
    EXPECT_EQ(t.readFile(QStringLiteral("AppCfg.cfg")), "first");
    EXPECT_EQ(QDir(t.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("AppCfg.cfg")});

    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    ASSERT_TRUE(platform::writeFileAtomically(file, "third", ownerOnly).ok);
    const auto ownerGroupOther = QFileDevice::Permissions::fromInt(0xF0FF); // not the "user" bits
    EXPECT_EQ(QFile::permissions(file) & ownerGroupOther, ownerOnly);
    EXPECT_EQ(t.readFile(QStringLiteral("AppCfg.cfg")), "third");
}

} // namespace
