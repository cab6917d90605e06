#include "settings/Autostart.h"

#include "settings/DesktopEntry.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString kExe = QStringLiteral("marlowin");
const QString kAllUsersText = QStringLiteral("(Enabled - All Users)");
const QString kThisUserText = QStringLiteral("(Enabled - This User)");
const QString kDisabledText = QStringLiteral("(Disabled - Run Manually)");

const QByteArray kOurs
    = "[Desktop Entry]\nType=Application\nName=Marlowin\nExec=/usr/bin/MARLOWIN\n";
const QByteArray kOursQuoted
    = "[Desktop Entry]\nType=Application\nExec=\"/opt/My Apps/Marlowin\" -s\n";
const QByteArray kForeign = "[Desktop Entry]\nType=Application\nExec=/usr/bin/other-reader\n";
const QByteArray kHidden = kOurs + "Hidden=true\n";
const QByteArray kSwitchedOff = kOurs + "X-GNOME-Autostart-enabled=false\n";
const QByteArray kLink = "[Desktop Entry]\nType=Link\nURL=file:///usr/bin/marlowin\n";
const QByteArray kScript = "#!/bin/sh\nexec /usr/bin/marlowin -s\n";
const QByteArray kExecElsewhere
    = "[Desktop Entry]\nType=Application\nExec=true\n[Desktop Action Run]\nExec=marlowin\n";

class AutostartFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Writes the file, or leaves it absent for a null text.
    static void put(const QString &path, const QByteArray &bytes)
    {
        if (bytes.isNull())
            return;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    static QByteArray read(const QString &path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }

    QTemporaryDir dir;
    Autostart::Locations locations{{dir.filePath("etc/xdg/autostart/marlowin.desktop"),
                                    dir.filePath("usr/share/xdg/autostart/marlowin.desktop")},
                                   dir.filePath("home/.config/autostart/marlowin.desktop")};
    const QString &user = locations.thisUser;
    const QString &system1 = locations.allUsers.at(0);
};

TEST_F(AutostartFiles, StateFollowsTheEntriesThatStartTheProgram)
{
    struct Case {
        const char *name;
        QByteArray user, system1, system2;
        QString expected;
    };
    const QByteArray none;
    const QList<Case> cases{
        {"no entry anywhere", none, none, none, kDisabledText},
        {"user entry in other letter case", kOurs, none, none, kThisUserText},
        {"user entry with a quoted path", kOursQuoted, none, none, kThisUserText},
        {"system-wide entry", none, kOurs, none, kAllUsersText},
        {"system-wide entry in a later folder", none, none, kOurs, kAllUsersText},
        {"both: all users wins", kOurs, kOurs, none, kAllUsersText},
        {"user entry runs something else", kForeign, none, none, kDisabledText},
        {"user entry hidden", kHidden, none, none, kDisabledText},
        {"user entry switched off", kSwitchedOff, none, none, kDisabledText},
        {"user entry is a link", kLink, none, none, kDisabledText},
        {"user file is a script", kScript, none, none, kDisabledText},
        {"program only in another group", kExecElsewhere, none, none, kDisabledText},
        {"hidden user entry hides the system one", kHidden, kOurs, none, kDisabledText},
        {"foreign user entry hides the system one", kForeign, kOurs, none, kDisabledText},
        {"a script hides nothing", kScript, kOurs, none, kAllUsersText},
        {"first system folder hides the later", none, kHidden, kOurs, kDisabledText},
        {"our own entries, foreign system one", kOurs, kForeign, none, kThisUserText},
    };
    for (const Case &c : cases) {
        QTemporaryDir caseDir;
        ASSERT_TRUE(caseDir.isValid());
        const Autostart::Locations here{
            {caseDir.filePath("a/marlowin.desktop"), caseDir.filePath("b/marlowin.desktop")},
            caseDir.filePath("u/marlowin.desktop")};
        put(here.thisUser, c.user);
        put(here.allUsers.at(0), c.system1);
        put(here.allUsers.at(1), c.system2);
        EXPECT_EQ(Autostart::stateText(here, kExe), c.expected) << c.name;
    }
}

TEST_F(AutostartFiles, NoExecutableNameMatchesNothing)
{
    put(user, kForeign);
    put(system1, kOurs);
    EXPECT_EQ(Autostart::stateText(locations, QString()), kDisabledText);
    EXPECT_FALSE(Autostart::isProgramEntry(user, QString()));
}

TEST_F(AutostartFiles, WrittenEntryStartsTheProgramInTheTray)
{
    const QStringList executables{QStringLiteral("/opt/My $Apps \"new\"/marlowin"),
                                  QStringLiteral("relative/bin/marlowin")};
    for (const QString &executable : executables) {
        ASSERT_TRUE(Autostart::writeUserEntry(locations, executable)) << executable.toStdString();

        const auto entry = DesktopEntry::readMainGroup(user);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->value("Type"), "Application");
        EXPECT_EQ(entry->value("Name"), "Marlowin");
        EXPECT_FALSE(entry->value("Comment").isEmpty());
        EXPECT_EQ(entry->value("Icon"), "marlowin");
        EXPECT_EQ(entry->value("Terminal"), "false");
        EXPECT_EQ(entry->value("Categories"), "Network;News;");
        EXPECT_EQ(entry->value("X-GNOME-Autostart-enabled"), "true");
        const QStringList expected{QDir::current().absoluteFilePath(executable), "-s"};
        EXPECT_EQ(DesktopEntry::execArguments(entry->value("Exec")), expected);
        EXPECT_EQ(Autostart::stateText(locations, kExe), kThisUserText);
    }
}

TEST_F(AutostartFiles, WritingReplacesOnlyTheProgramsOwnFile)
{
    put(user, kHidden);
    EXPECT_TRUE(Autostart::writeUserEntry(locations, "/usr/bin/marlowin"));
    EXPECT_TRUE(Autostart::isProgramEntry(user, kExe)) << "switched back on";

    for (const QByteArray &other : {kForeign, kScript}) {
        put(user, other);
        EXPECT_FALSE(Autostart::writeUserEntry(locations, "/usr/bin/marlowin"));
        EXPECT_EQ(read(user), other);
    }
}

TEST_F(AutostartFiles, WriteFailuresAreReported)
{
    put(dir.filePath("blocker"), "a file where a folder should be");
    const Autostart::Locations blocked{{}, dir.filePath("blocker/autostart/marlowin.desktop")};
    EXPECT_FALSE(Autostart::writeUserEntry(blocked, "/usr/bin/marlowin"));

    ASSERT_TRUE(QDir().mkpath(user)); // a folder in the file's place
    EXPECT_FALSE(Autostart::writeUserEntry(locations, "/usr/bin/marlowin"));

    EXPECT_FALSE(
        Autostart::writeUserEntry(Autostart::Locations{{}, dir.filePath("x.desktop")}, QString()));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("x.desktop")));
}

TEST_F(AutostartFiles, RemovingTakesOnlyTheProgramsEnabledUserEntry)
{
    EXPECT_TRUE(Autostart::removeUserEntry(locations, kExe)) << "nothing to remove";

    put(system1, kOurs);
    put(user, kOurs);
    EXPECT_TRUE(Autostart::removeUserEntry(locations, kExe));
    EXPECT_FALSE(QFileInfo::exists(user));
    EXPECT_TRUE(QFileInfo::exists(system1));

    for (const QByteArray &other : {kForeign, kHidden, kScript}) {
        put(user, other);
        EXPECT_TRUE(Autostart::removeUserEntry(locations, kExe));
        EXPECT_EQ(read(user), other);
    }
    put(user, kForeign);
    EXPECT_TRUE(Autostart::removeUserEntry(locations, QString()));
    EXPECT_EQ(read(user), kForeign);
}

// Sets environment variables for one scope (a null value unsets) and restores them after.
class ScopedEnvironment {
public:
    void set(const char *name, const QByteArray &value)
    {
        m_saved.append(
            {name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->second)
                qputenv(it->first, *it->second);
            else
                qunsetenv(it->first);
        }
    }

private:
    QList<std::pair<const char *, std::optional<QByteArray>>> m_saved;
};

TEST(AutostartLocations, FollowTheXdgBaseDirectories)
{
    struct Case {
        QByteArray configHome, configDirs;
        QStringList allUsers;
        QString thisUser;
    };
    const QByteArray unset;
    const QString homeEntry = QStringLiteral("/home/ann/.config/autostart/marlowin.desktop");
    const QStringList etcEntry{QStringLiteral("/etc/xdg/autostart/marlowin.desktop")};
    const QList<Case> cases{
        {unset, unset, etcEntry, homeEntry},
        {"", "", etcEntry, homeEntry},
        {"/cfg/",
         "/a:/b/",
         {"/a/autostart/marlowin.desktop", "/b/autostart/marlowin.desktop"},
         "/cfg/autostart/marlowin.desktop"},
        {"relative/cfg", "relative::/c", {"/c/autostart/marlowin.desktop"}, homeEntry},
        {unset, "relative", etcEntry, homeEntry},
    };
    for (const Case &c : cases) {
        ScopedEnvironment environment;
        environment.set("HOME", "/home/ann");
        environment.set("XDG_CONFIG_HOME", c.configHome);
        environment.set("XDG_CONFIG_DIRS", c.configDirs);
        const Autostart::Locations locations = Autostart::defaultLocations();
        EXPECT_EQ(locations.allUsers, c.allUsers) << c.configDirs.toStdString();
        EXPECT_EQ(locations.thisUser, c.thisUser) << c.configHome.toStdString();
    }
}

} // namespace
