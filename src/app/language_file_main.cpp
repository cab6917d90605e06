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
#include "scheduler/NewItemsAnnouncement.h"
#include "shell/PendingDialogs.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class NoAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &) override {}
};

} // namespace

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
    // The windows read feeds.fdb and the configuration from an app folder of their own, so the
    // target folder gets nothing but the language file.
    QTemporaryDir appFolder;
    const platform::Context ctx{messages, userSettings, connection, shell, clock, network,
                                appFolder.path()};
    clsLanguages languages(folder, ProgramIdentity{});
    PendingDialogs dialogs(messages);
    NoAnnouncement announcement;

    QList<CaptionItem> captions;
    auto windows = CreateAllWindows(MainWindowServices{ctx, languages, dialogs, announcement, {}});
    for (const auto &window : windows)
        captions += CollectCaptions(QtTranslatableWindow(*window));
    while (!windows.empty()) // the main window last: the others refer to it
        windows.pop_back();

    languages.RegisterDefaultMessages();
    if (!languages.makeLocalizationFile(captions)) {
        std::fprintf(stderr, "Could not write %s/Localization.txt\n", qPrintable(folder));
        return 1;
    }
    std::printf("%s/Localization.txt: %lld window captions and the default messages\n",
                qPrintable(folder), static_cast<long long>(captions.size()));
    return 0;
}
