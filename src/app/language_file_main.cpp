// marlowin-language-file FOLDER: writes FOLDER/Localization.txt with the English group, from the
// captions every window of the program shows when it opens and from the default messages. Run
// it when windows change, to regenerate the shipped resources/Localization.txt:
//
//   build/src/app/marlowin-language-file resources

#include "app/WindowCatalog.h"
#include "localization/QtTranslatableWindow.h"
#include "localization/clsLanguages.h"
#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/QSettingsUserSettings.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QNetworkAccessManager>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: marlowin-language-file FOLDER\n"
                             "Writes FOLDER/Localization.txt with the English captions and messages.\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();

    platform::QtMessageBoxes messages;
    platform::QSettingsUserSettings userSettings;
    platform::NetworkInformationState connection;
    platform::QtDesktopShell shell;
    platform::SystemClock clock;
    QNetworkAccessManager network;
    const platform::Context ctx{messages, userSettings, connection, shell, clock, network, folder};

    QList<CaptionItem> captions;
    for (const auto &window : CreateAllWindows(ctx))
        captions += CollectCaptions(QtTranslatableWindow(*window));

    clsLanguages languages(folder, ProgramIdentity{});
    languages.RegisterDefaultMessages();
    if (!languages.makeLocalizationFile(captions)) {
        std::fprintf(stderr, "Could not write %s/Localization.txt\n", qPrintable(folder));
        return 1;
    }
    std::printf("%s/Localization.txt: %lld window captions and the default messages\n",
                qPrintable(folder), static_cast<long long>(captions.size()));
    return 0;
}
