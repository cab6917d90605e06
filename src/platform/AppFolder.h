#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The folder that holds all of a user's state: $MARLOWIN_HOME when set, otherwise
// ~/.local/share/Marlowin.
[[nodiscard]] QString resolveAppFolder();

// The folder of the files shipped with the program: <prefix>/share/marlowin beside an
// installed binary, otherwise the source tree's resources/ (a run from the build tree).
[[nodiscard]] QString shippedFilesFolder();

// The shipped files that belong in the app folder.
[[nodiscard]] const QStringList &shippedFileNames();

// Creates the app folder when missing and copies in each shipped file that it lacks.
// A file already in the app folder is never overwritten. Returns the names copied.
QStringList seedAppFolder(const QString &appFolder, const QString &shippedFolder);

} // namespace platform
