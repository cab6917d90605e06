// How long the program takes from its start to the main window on screen, without the splash
// delay: QApplication, the app folder, the main window's load (tree of 1,000 feeds, translation,
// timer) and the first exposure. Runs offscreen unless QT_QPA_PLATFORM says otherwise (run it
// under xvfb-run with QT_QPA_PLATFORM=xcb for a real X server).

#include "BenchContext.h"
#include "localization/Languages.h"
#include "platform/AppFolder.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "shell/MainWindow.h"
#include "shell/ProgramDialogs.h"
#include "shell/ProgramInfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWindow>

#include <cstdio>

namespace {

class NoDialogs final : public ProgramDialogs {
public:
    void showCategory(QWidget *, bool, const QString &) override { }
    void showAddFeed(QWidget *, bool, const QString &, const QString &, const QString &,
                     const QString &) override
    {
    }
    void showEmailSettings(QWidget *) override { }
    void showScheduler(QWidget *) override { }
    void showAppSettings(QWidget *) override { }
    void showLanguage(QWidget *, bool) override { }
    void showSendEmail(QWidget *, const ItemMail &) override { }
};

class NoAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &) override { }
};

QByteArray databaseText(int categories, int feedsPerCategory)
{
    QByteArray xml = "<?xml version=\"1.0\"?>\r\n<categories>";
    for (int c = 0; c < categories; ++c) {
        xml += "<category name=\"Category " + QByteArray::number(c) + "\">";
        for (int f = 0; f < feedsPerCategory; ++f)
            xml += QStringLiteral(
                       "<feed name=\"Feed %1\" type=\"%2\" id=\"%3-0000-0000-0000-000000000000\">"
                       "http://example.org/%3</feed>")
                       .arg(f)
                       .arg(f % 3)
                       .arg(c * 1000 + f, 8, 10, QLatin1Char('0'))
                       .toUtf8();
        xml += "</category>";
    }
    return xml + "</categories>\r\n";
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    BenchContext bench;
    platform::seedAppFolder(bench.ctx.appFolder, platform::shippedFilesFolder());
    QFile database(bench.ctx.appFolder + QStringLiteral("/feeds.fdb"));
    if (!database.open(QIODevice::WriteOnly) || database.write(databaseText(40, 25)) < 0)
        return 1;
    database.close();

    Languages languages(bench.ctx.appFolder, ProgramInfo::identity());
    NoDialogs dialogs;
    NoAnnouncement announcement;

    QElapsedTimer load;
    load.start();
    MainWindow window(
        MainWindowServices{bench.ctx, languages, dialogs, announcement, QApplication::arguments()});
    window.load();
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QApplication::processEvents();

    std::printf("main window with 1,000 feeds: created, loaded and shown in %lld ms\n",
                static_cast<long long>(load.elapsed()));
    std::printf("process start to main window shown (splash delay excluded): %lld ms\n",
                static_cast<long long>(sinceStart.elapsed()));
    return 0;
}
