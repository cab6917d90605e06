#include "app/BringForward.h"
#include "localization/Languages.h"
#include "platform/AppFolder.h"
#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/Icons.h"
#include "platform/KeychainSecretStore.h"
#include "platform/QSettingsUserSettings.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtMessageBoxes.h"
#include "platform/ResponseBudget.h"
#include "platform/SingleInstance.h"
#include "scheduler/NotificationAnnouncement.h"
#include "scheduler/ScheduleInterval.h"
#include "shell/MainWindow.h"
#include "shell/ProgramInfo.h"
#include "shell/QtProgramDialogs.h"
#include "shell/SplashScreen.h"

#include <QApplication>
#include <QNetworkAccessManager>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlowin"));
    QApplication::setOrganizationName(QStringLiteral("Marlowin"));
    QApplication::setApplicationVersion(QStringLiteral(MARLOWIN_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("marlowin"));
    QApplication::setWindowIcon(platform::namedIcon(QStringLiteral("marlowin")));

    const QString appFolder = platform::resolveAppFolder();
    platform::seedAppFolder(appFolder, platform::shippedFilesFolder());

    // One run per app folder: two would each run the scheduler and store every item twice. A
    // later start hands its wish to the running one (show the window, or with -s leave it be) and
    // ends. When the running one cannot be reached the start still ends; only when that run has
    // ended meanwhile does this one take over.
    platform::SingleInstance instance(appFolder);
    if (!instance.claim()) {
        const bool raise = !ScheduleInterval::isTrayCommandLine(QApplication::arguments());
        if (instance.tellFirst(raise))
            return 0;
        const QString why = instance.errorString();
        if (!instance.claim()) {
            std::fprintf(stderr, "marlowin: %s\n", qPrintable(why));
            return 0;
        }
    }

    platform::QtMessageBoxes messages;
    platform::QSettingsUserSettings userSettings;
    platform::NetworkInformationState connection;
    platform::QtDesktopShell shell;
    platform::SystemClock clock;
    platform::KeychainSecretStore secrets(clock, QStringLiteral("Marlowin"));
    QNetworkAccessManager network;
    platform::ResponseBudget responseBudget;
    const platform::Context ctx{messages, userSettings, secrets,        connection, shell,
                                clock,    network,      responseBudget, appFolder};

    Languages languages(appFolder, ProgramInfo::identity());
    QtProgramDialogs dialogs(ctx, languages);
    NotificationAnnouncement announcement(languages, clock);

    std::unique_ptr<MainWindow> window;
    // A later start may ask for the window while this one is still preparing it.
    bool windowReady = false;
    bool raisePending = false;
    QObject::connect(&instance, &platform::SingleInstance::raiseRequested, &app, [&] {
        if (windowReady)
            bringForward(*window);
        else
            raisePending = true;
    });
    SplashScreen splash(ctx, [&] {
        window = std::make_unique<MainWindow>(
            MainWindowServices{ctx, languages, dialogs, announcement, QApplication::arguments()});
        dialogs.setMainWindow(window.get());
        messages.setOwner(window.get());
        window->load();
        if (!window->wentToTray())
            window->show();
        windowReady = true;
        if (raisePending)
            bringForward(*window);
    });
    splash.start();
    return app.exec();
}
