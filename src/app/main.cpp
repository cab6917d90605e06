#include "app/MainWindow.h"
#include "platform/AppFolder.h"
#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/QSettingsUserSettings.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QNetworkAccessManager>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlowin"));
    QApplication::setOrganizationName(QStringLiteral("Marlowin"));
    QApplication::setApplicationVersion(QStringLiteral(MARLOWIN_VERSION));

    const QString appFolder = platform::ResolveAppFolder();
    platform::SeedAppFolder(appFolder, platform::ShippedFilesFolder());

    platform::QtMessageBoxes messages;
    platform::QSettingsUserSettings userSettings;
    platform::NetworkInformationState connection;
    platform::QtDesktopShell shell;
    platform::SystemClock clock;
    QNetworkAccessManager network;
    platform::Context ctx{messages, userSettings, connection, shell, clock, network, appFolder};

    const auto window = CreateMainWindow(ctx);
    messages.setOwner(window.get());
    window->show();
    return app.exec();
}
