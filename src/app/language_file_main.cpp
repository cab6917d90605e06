// marlowin-language-file FOLDER [NAMES]: writes FOLDER/Localization.txt with the English group,
// from the captions every window of the program shows when it opens and from the default
// messages, followed by the translated groups kept in FOLDER/translations/*.txt; with NAMES, also
// the table from each window's and control's object name to the class that implements it. Run it
// when windows or translations change, to regenerate the shipped files:
//
//   build/src/app/marlowin-language-file resources docs/names.md

#include "app/LanguageFile.h"
#include "app/WindowCatalog.h"
#include "localization/Languages.h"
#include "localization/QtTranslatableWindow.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/QSettingsUserSettings.h"
#include "platform/QtDesktopShell.h"
#include "platform/QtMessageBoxes.h"
#include "platform/ResponseBudget.h"
#include "platform/SecretStore.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "shell/AboutDialog.h"
#include "shell/MainWindow.h"
#include "shell/QtProgramDialogs.h"
#include "shell/SplashScreen.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class NoAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &) override { }
};

// The class of ours that a widget belongs to: its own, or its nearest ancestor's that is no Qt
// class.
QString implementingClass(const QObject *object)
{
    for (; object; object = object->parent()) {
        const QString name = QString::fromLatin1(object->metaObject()->className());
        if (!name.startsWith(u'Q'))
            return name;
    }
    return {};
}

// Qt names some parts of its own widgets (a main window's layout, a tab bar's scroll buttons).
bool isOwnName(const QString &name)
{
    return !name.isEmpty() && !name.startsWith(u'_') && !name.startsWith(u"qt_")
        && name != u"ScrollLeftButton" && name != u"ScrollRightButton";
}

// One row per window (a widget of a class of ours with an object name): its object name, the
// class, and the object names of the controls that class holds, as a language file's keys
// combine them ("frmMain_mnuFile").
QString namesTable(const std::vector<QWidget *> &windows)
{
    QMap<QString, QString> classOfWindow; // by object name
    QHash<QString, QStringList> controlsOfClass;
    for (const QWidget *window : windows) {
        QList<const QObject *> objects{window};
        for (const QObject *child : window->findChildren<QObject *>())
            objects << child;
        for (const QObject *object : std::as_const(objects)) {
            if (!isOwnName(object->objectName()))
                continue;
            const QString owner = implementingClass(object);
            if (QString::fromLatin1(object->metaObject()->className()) == owner)
                classOfWindow.insert(object->objectName(), owner);
            else if (!controlsOfClass[owner].contains(object->objectName()))
                controlsOfClass[owner] << object->objectName();
        }
    }
    QString table = QStringLiteral(
        "# Object names and the classes behind them\n\n"
        "The keys of `Localization.txt` are object names: a window's (`frmMain_CAPTION`) or a "
        "window's and a control's joined by `_` (`frmMain_mnuFile`). This table, written by "
        "`marlowin-language-file resources docs/names.md`, tells which class builds each window "
        "and its controls; the class's files carry its name.\n\n"
        "| Window | Class | Controls |\n|---|---|---|\n");
    for (auto row = classOfWindow.cbegin(); row != classOfWindow.cend(); ++row) {
        QStringList controls = controlsOfClass.value(*row);
        controls.sort(Qt::CaseInsensitive);
        table += QStringLiteral("| `%1` | `%2` | %3 |\n")
                     .arg(row.key(), *row,
                          controls.isEmpty() ? QString()
                                             : u'`' + controls.join(QStringLiteral("`, `")) + u'`');
    }
    return table;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr,
                     "usage: marlowin-language-file FOLDER [NAMES]\n"
                     "Writes FOLDER/Localization.txt: the English captions and messages, then the "
                     "groups of\nFOLDER/translations/*.txt.\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();

    platform::QtMessageBoxes messages;
    platform::QSettingsUserSettings userSettings;
    platform::NetworkInformationState connection;
    platform::QtDesktopShell shell;
    platform::NoSecretStore secrets;
    platform::SystemClock clock;
    QNetworkAccessManager network;
    platform::ResponseBudget responseBudget;
    // The windows read feeds.fdb and the configuration from an app folder of their own, so the
    // target folder gets nothing but the language file.
    QTemporaryDir appFolder;
    const platform::Context ctx{messages, userSettings, secrets,        connection,      shell,
                                clock,    network,      responseBudget, appFolder.path()};
    Languages languages(folder, ProgramIdentity{});
    QtProgramDialogs dialogs(ctx, languages); // never opened here
    NoAnnouncement announcement;

    auto windows = createAllWindows(MainWindowServices{ctx, languages, dialogs, announcement, {}});
    const QList<CaptionItem> captions = windowCaptions(windows);
    if (argc == 3) {
        // Windows without captions of their own to translate are named all the same.
        AboutDialog about;
        SplashScreen splash(ctx, [] {});
        std::vector<QWidget *> named{&about, &splash};
        for (const auto &window : windows)
            named.push_back(window.get());
        const QString target = QString::fromLocal8Bit(argv[2]);
        if (!platform::writeFileAtomically(target, namesTable(named).toUtf8()).ok) {
            std::fprintf(stderr, "Could not write %s\n", qPrintable(target));
            return 1;
        }
    }
    while (!windows.empty()) // the main window last: the others refer to it
        windows.pop_back();

    languages.registerDefaultMessages();
    const QStringList groups = translatedGroups(folder + QStringLiteral("/translations"));
    const QByteArray file = languageFile(languages, captions, groups);
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
