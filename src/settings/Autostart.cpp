#include "settings/Autostart.h"

#include "platform/AtomicFile.h"
#include "settings/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Autostart {
namespace {

const QString kEntryPath = QStringLiteral("/autostart/marlowin.desktop");

enum class EntryKind {
    None,    // no file, or a file that is no desktop entry: it hides nothing
    Program, // an enabled entry that starts the program
    Other,   // a desktop entry that does not start the program: it hides entries of its name
};

QString absoluteDirectory(const QString &path)
{
    return QDir::isAbsolutePath(path) ? QDir::cleanPath(path) : QString();
}

bool isTrue(const QString &value)
{
    return value == QLatin1String("true") || value == QLatin1String("1");
}

bool isFalse(const QString &value)
{
    return value == QLatin1String("false") || value == QLatin1String("0");
}

bool runsProgram(const DesktopEntry::Group &entry, const QString &executableName)
{
    if (executableName.isEmpty())
        return false;
    const std::optional<QStringList> arguments
        = DesktopEntry::execArguments(entry.value(QStringLiteral("Exec")));
    return arguments
        && arguments->join(QLatin1Char(' ')).contains(executableName, Qt::CaseInsensitive);
}

bool isEnabledApplication(const DesktopEntry::Group &entry)
{
    return entry.value(QStringLiteral("Type")) == QLatin1String("Application")
        && !isTrue(entry.value(QStringLiteral("Hidden")))
        && !isFalse(entry.value(QStringLiteral("X-GNOME-Autostart-enabled")));
}

EntryKind kindOf(const QString &path, const QString &executableName)
{
    if (!QFileInfo(path).isFile())
        return EntryKind::None;
    const std::optional<DesktopEntry::Group> entry = DesktopEntry::readMainGroup(path);
    if (!entry)
        return EntryKind::None;
    return isEnabledApplication(*entry) && runsProgram(*entry, executableName) ? EntryKind::Program
                                                                               : EntryKind::Other;
}

// The system-wide file that counts is the first one found, in order of importance.
EntryKind allUsersKind(const QStringList &paths, const QString &executableName)
{
    for (const QString &path : paths) {
        const EntryKind kind = kindOf(path, executableName);
        if (kind != EntryKind::None)
            return kind;
    }
    return EntryKind::None;
}

// A user file may be replaced when there is none or when it is an entry of the program (also a
// hidden one: writing it again is how the user switches the program back on).
bool mayReplace(const QString &path, const QString &executableName)
{
    if (!QFileInfo::exists(path))
        return true;
    const std::optional<DesktopEntry::Group> entry = DesktopEntry::readMainGroup(path);
    return entry && runsProgram(*entry, executableName);
}

} // namespace

Locations defaultLocations()
{
    QString configHome = absoluteDirectory(qEnvironmentVariable("XDG_CONFIG_HOME"));
    if (configHome.isEmpty())
        configHome = QDir::homePath() + QStringLiteral("/.config");

    QStringList configDirs;
    const QStringList listed = qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'));
    for (const QString &dir : listed) {
        const QString absolute = absoluteDirectory(dir);
        if (!absolute.isEmpty())
            configDirs.append(absolute);
    }
    if (configDirs.isEmpty())
        configDirs.append(QStringLiteral("/etc/xdg"));

    Locations locations;
    for (const QString &dir : configDirs)
        locations.allUsers.append(QDir::cleanPath(dir + kEntryPath));
    locations.thisUser = QDir::cleanPath(configHome + kEntryPath);
    return locations;
}

bool isProgramEntry(const QString &path, const QString &executableName)
{
    return kindOf(path, executableName) == EntryKind::Program;
}

QString stateText(const Locations &locations, const QString &executableName)
{
    const EntryKind user = kindOf(locations.thisUser, executableName);
    const EntryKind allUsers = allUsersKind(locations.allUsers, executableName);
    if (user != EntryKind::Other && allUsers == EntryKind::Program)
        return QStringLiteral("(Enabled - All Users)");
    if (user == EntryKind::Program)
        return QStringLiteral("(Enabled - This User)");
    return QStringLiteral("(Disabled - Run Manually)");
}

QByteArray entryBytes(const QString &absoluteExecutablePath)
{
    const QString exec
        = DesktopEntry::quotedExecArgument(absoluteExecutablePath) + QStringLiteral(" -s");
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Marlowin\n"
                                        "Comment=Read web feeds and podcasts\n"
                                        "Exec=%1\n"
                                        "Icon=marlowin\n"
                                        "Terminal=false\n"
                                        "Categories=Network;News;\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(DesktopEntry::escapedValue(exec));
    return text.toUtf8();
}

bool writeUserEntry(const Locations &locations, const QString &executablePath)
{
    if (executablePath.isEmpty() || locations.thisUser.isEmpty())
        return false;
    const QFileInfo executable(executablePath);
    if (!mayReplace(locations.thisUser, executable.fileName()))
        return false;
    if (!QDir().mkpath(QFileInfo(locations.thisUser).absolutePath()))
        return false;
    return platform::writeFileAtomically(locations.thisUser,
                                         entryBytes(executable.absoluteFilePath()))
        .ok;
}

bool removeUserEntry(const Locations &locations, const QString &executableName)
{
    if (!isProgramEntry(locations.thisUser, executableName))
        return true;
    return QFile::remove(locations.thisUser);
}

} // namespace Autostart
