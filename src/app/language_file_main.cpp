// marlowin-language-file FOLDER: writes FOLDER/Localization.txt with the English group, from the
// captions every window of the program shows when it opens and from the default messages,
// followed by the translated groups kept in FOLDER/translations/*.txt. Run it when windows or
// translations change, to regenerate the shipped resources/Localization.txt:
//
//   build/src/app/marlowin-language-file resources

#include "app/WindowCatalog.h"
#include "localization/QtTranslatableWindow.h"
#include "localization/Languages.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/QSettingsUserSettings.h"
#include "platform/ResponseBudget.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtMessageBoxes.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "shell/QtProgramDialogs.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class NoAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &) override {}
};

// The other languages' groups, one file each (translations/*.txt), in file name order. They are
// kept by hand beside the English group, which is generated.
QStringList translatedGroups(const QString &folder)
{
    QStringList groups;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            groups << QString::fromUtf8(file.readAll());
    }
    return groups;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: marlowin-language-file FOLDER\n"
                             "Writes FOLDER/Localization.txt: the English captions and messages, then the groups of\nFOLDER/translations/*.txt.\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();

    platform::QtMessageBoxes messages;
    platform::QSettingsUserSettings userSettings;
    platform::NetworkInformationState connection;
    platform::QtDesktopShell shell;
    platform::SystemClock clock;
    QNetworkAccessManager network;
    platform::ResponseBudget responseBudget;
    // The windows read feeds.fdb and the configuration from an app folder of their own, so the
    // target folder gets nothing but the language file.
    QTemporaryDir appFolder;
    const platform::Context ctx{messages, userSettings, connection, shell, clock, network, responseBudget,
                                appFolder.path()};
    Languages languages(folder, ProgramIdentity{});
    QtProgramDialogs dialogs(ctx, languages); // never opened here
    NoAnnouncement announcement;

    QList<CaptionItem> captions;
    auto windows = createAllWindows(MainWindowServices{ctx, languages, dialogs, announcement, {}});
    for (const auto &window : windows)
        captions += collectCaptions(QtTranslatableWindow(*window));
    while (!windows.empty()) // the main window last: the others refer to it
        windows.pop_back();

    languages.registerDefaultMessages();
    QByteArray file = languages.localizationFileBytes(captions);
    const QStringList groups = translatedGroups(folder + QStringLiteral("/translations"));
    file.insert(file.lastIndexOf("</XML_DIZ_INFO>"), groups.join(QString()).toUtf8());
    const QString target = folder + QStringLiteral("/Localization.txt");
    if (!platform::writeFileAtomically(target, file).ok) {
        std::fprintf(stderr, "Could not write %s\n", qPrintable(target));
        return 1;
    }
    std::printf("%s: %lld window captions, the default messages and %lld translations\n",
                qPrintable(target), static_cast<long long>(captions.size()),
                static_cast<long long>(groups.size()));
    return 0;
}
