#pragma once

#include <QString>
#include <QStringList>

// Whether the program starts with the desktop session, following the freedesktop.org autostart
// rules: a desktop entry named marlowin.desktop in an "autostart" folder of the XDG configuration
// directories. The user's own folder comes first: a file there replaces the system-wide files of
// the same name, so a user entry that is hidden or runs something else switches the system-wide
// entry off.
namespace Autostart {

// The paths of marlowin.desktop that are looked at. allUsers holds the system-wide ones, the most
// important first; thisUser is the current user's.
struct Locations {
    QStringList allUsers;
    QString thisUser;
};

// From the XDG base directories: every absolute directory of $XDG_CONFIG_DIRS (default /etc/xdg)
// and $XDG_CONFIG_HOME (default $HOME/.config), each followed by "/autostart/marlowin.desktop".
[[nodiscard]] Locations defaultLocations();

// True when the file is a desktop entry of Type=Application that is neither hidden nor switched
// off (Hidden=true, X-GNOME-Autostart-enabled=false) and whose command line contains the
// executable's file name, compared without regard to case.
[[nodiscard]] bool isProgramEntry(const QString &path, const QString &executableName);

// "(Enabled - All Users)" when a system-wide entry starts the program, otherwise
// "(Enabled - This User)" when the user's entry does, otherwise "(Disabled - Run Manually)".
[[nodiscard]] QString stateText(const Locations &locations, const QString &executableName);

// The user's entry for the executable (its absolute path, run with -s so that the program starts
// in the tray), written atomically into a folder created when missing. A file already there is
// replaced only when it is an entry that runs the program; false for any other file and for a
// failed write.
[[nodiscard]] bool writeUserEntry(const Locations &locations, const QString &executablePath);

// Removes the user's entry when it is an enabled entry of the program; a missing file and any
// other file (someone else's entry of the same name, or one that switches the program off) are
// left as they are. False only when the removal failed.
[[nodiscard]] bool removeUserEntry(const Locations &locations, const QString &executableName);

// The bytes writeUserEntry writes.
[[nodiscard]] QByteArray entryBytes(const QString &absoluteExecutablePath);

} // namespace Autostart
