#include "localization/clsLanguages.h"
#include "platform/AppFolder.h"
#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/Icons.h"
#include "platform/QSettingsUserSettings.h"
#include "platform/ResponseBudget.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtMessageBoxes.h"
#include "scheduler/NotificationAnnouncement.h"
#include "shell/ProgramInfo.h"
#include "shell/QtProgramDialogs.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"

#include <QApplication>
#include <QNetworkAccessManager>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlowin"));
    QApplication::setOrganizationName(QStringLiteral("Marlowin"));
    QApplication::setApplicationVersion(QStringLiteral(MARLOWIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("marlowin"));
    QApplication::setWindowIcon(platform::NamedIcon(QStringLiteral("marlowin")));

    const QString appFolder = platform::ResolveAppFolder();
    platform::SeedAppFolder(appFolder, platform::ShippedFilesFolder());

    platform::QtMessageBoxes messages;
    platform::QSettingsUserSettings userSettings;
    platform::NetworkInformationState connection;
    platform::QtDesktopShell shell;
    platform::SystemClock clock;
    QNetworkAccessManager network;
    platform::ResponseBudget responseBudget;
    const platform::Context ctx{messages,   userSettings, connection,     shell,
                                clock,      network,      responseBudget, appFolder};

    clsLanguages languages(appFolder, ProgramInfo::Identity());
    QtProgramDialogs dialogs(ctx, languages);
    NotificationAnnouncement announcement(languages);

    std::unique_ptr<frmMain> window;
    frmSplash splash(ctx, [&] {
        window = std::make_unique<frmMain>(
            MainWindowServices{ctx, languages, dialogs, announcement, QApplication::arguments()});
        dialogs.setMainWindow(window.get());
        messages.setOwner(window.get());
        window->Load();
        if (!window->wentToTray())
            window->show();
    });
    splash.start();
    return app.exec();
}
