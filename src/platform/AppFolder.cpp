#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

QString resolveAppFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("MARLOWIN_HOME");
    if (!fromEnvironment.isEmpty())
        return QDir(fromEnvironment).absolutePath();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .absoluteFilePath(QStringLiteral("Marlowin"));
}

QString shippedFilesFolder()
{
    const QDir binary(QCoreApplication::applicationDirPath());
    const QString installed = binary.absoluteFilePath(QStringLiteral("../share/marlowin"));
    if (QFileInfo(installed).isDir())
        return QDir::cleanPath(installed);
    return QStringLiteral(MARLOWIN_RESOURCES_DIR);
}

const QStringList &shippedFileNames()
{
    static const QStringList names{
        QStringLiteral("default.fdb"), QStringLiteral("view.tpl"),
        QStringLiteral("email.tpl"),   QStringLiteral("Localization.txt"),
        QStringLiteral("notify.wav"),  QStringLiteral("Help.html"),
    };
    return names;
}

QStringList seedAppFolder(const QString &appFolder, const QString &shippedFolder)
{
    QDir().mkpath(appFolder);
    QStringList copied;
    for (const QString &name : shippedFileNames()) {
        const QString target = QDir(appFolder).filePath(name);
        const QString source = QDir(shippedFolder).filePath(name);
        if (QFileInfo::exists(target) || !QFileInfo(source).isFile())
            continue;
        if (QFile::copy(source, target)) {
            // Installed files are read-only; the user's copy must stay editable.
            QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                         | QFile::ReadOther);
            copied << name;
        }
    }
    return copied;
}

} // namespace platform
