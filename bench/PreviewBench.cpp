// Figures for items a feed sends in extreme sizes and shapes: how long a feed window takes to
// list such an item, to show it in its preview (laid out and painted) and, where the preview
// shows it in parts, to show each further part; and how long its tab takes to show a feed name
// of that size. Each figure is one pass of the event loop: the program answers nothing
// meanwhile, the scheduler included.
//
//   build/bench/preview_bench [MAX_KB]      (offscreen; no display needed)
//
// MAX_KB leaves out the sizes above it (64, 256 and 1024 KB are measured).

#include "BenchContext.h"
#include "BenchViews.h"

#include "reading/FeedWindow.h"
#include "reading/FeedWindowHost.h"
#include "reading/ItemIdentifier.h"
#include "reading/ItemStore.h"
#include "subscriptions/FeedsDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Letters without a space or any other break opportunity, size characters long.
QString unbrokenRun(qsizetype size)
{
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    QString run;
    run.reserve(size);
    while (run.size() < size)
        run += letters;
    run.truncate(size);
    return run;
}

// Markup repeated up to about size characters.
QString repeated(const QString &piece, qsizetype size)
{
    QString text;
    text.reserve(size + piece.size());
    while (text.size() < size)
        text += piece;
    return text;
}

struct Shape {
    const char *name;
    std::function<FeedItem(qsizetype size)> make;
};

FeedItem item(const QString &title, const QString &description)
{
    FeedItem made;
    made.title = title;
    made.description = description;
    made.day = QStringLiteral("01");
    made.month = QStringLiteral("May");
    made.year = QStringLiteral("2006");
    made.time = QStringLiteral("08:00:00");
    return made;
}

const QList<Shape> &shapes()
{
    static const QList<Shape> all = {
        {"unbroken title",
         [](qsizetype size) { return item(unbrokenRun(size), QStringLiteral("<p>short</p>")); }},
        {"unbroken description",
         [](qsizetype size) { return item(QStringLiteral("Short"), unbrokenRun(size)); }},
        {"unbroken title and description",
         [](qsizetype size) { return item(unbrokenRun(size), unbrokenRun(size)); }},
        {"description of paragraphs",
         [](qsizetype size) {
             return item(QStringLiteral("Paragraphs"),
                         repeated(QStringLiteral("<p>Some words of an <b>ordinary</b> "
                                                 "paragraph, as feeds send them.</p>\n"),
                                  size));
         }},
        {"description of table rows",
         [](qsizetype size) {
             return item(QStringLiteral("Table"),
                         QStringLiteral("<table>")
                             + repeated(QStringLiteral("<tr><td>cell</td><td>cell</td></tr>"), size)
                             + QStringLiteral("</table>"));
         }},
        {"description of line breaks",
         [](qsizetype size) { return item(QStringLiteral("Breaks"), repeated("line<br>", size)); }},
    };
    return all;
}

double elapsedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void report(const QString &what, double ms)
{
    std::printf("%-60s %9.1f ms%s\n", qPrintable(what), ms, ms > 200 ? "  (over 0.2 s)" : "");
    std::fflush(stdout);
}

// The link at the end of a part that leads to the rest of the page, if the page has one.
QUrl restLink(const QTextBrowser &preview)
{
    for (QTextBlock block = preview.document()->lastBlock(); block.isValid();
         block = block.previous()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QString href = fragment.fragment().charFormat().anchorHref();
            if (href.startsWith(QLatin1String("marlowin-preview:")))
                return QUrl(href);
        }
    }
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qsizetype maxKb = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1024;

    BenchContext bench;
    QFile tpl(QStringLiteral(MARLOWIN_RESOURCES_DIR "/view.tpl"));
    if (!tpl.copy(bench.dir.filePath(QStringLiteral("view.tpl")))) {
        std::printf("!! cannot copy view.tpl\n");
        return 1;
    }

    // The feed window as the main window holds it: a maximised tab of a tabbed work area.
    QMdiArea area;
    area.setViewMode(QMdiArea::TabbedView);
    area.setTabsClosable(true);
    area.setDocumentMode(true);
    area.resize(1000, 800);
    area.show();
    auto *tabs = area.findChild<QTabBar *>();

    QuietHost host;
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    auto *window = new FeedWindow(bench.ctx, host, nullptr, english);
    window->setFeedCaption(QStringLiteral("Feed"));
    QMdiSubWindow *sub = area.addSubWindow(window);
    sub->showMaximized();
    QApplication::processEvents();
    QTreeWidget &list = window->itemList();
    QTextBrowser &preview = window->preview();

    // Once, what the first item shown sets up (fonts, the first layout), so that it does not
    // count against the first item measured.
    {
        const QString feedId = QStringLiteral("00000000-0000-0000-0000-000000000000");
        QList<FeedItem> items{item(QStringLiteral("Warm-up"), QStringLiteral("<p>short</p>"))};
        items[0].link = QStringLiteral("http://example.org/warm-up");
        ItemIdentifier::assignAll(items);
        (void)ItemStore::merge(Feeds::feedDataPath(bench.ctx, feedId), items,
                               QDateTime::currentDateTime());
        window->setFeedID(feedId);
        window->reader().loadItemList();
        list.setCurrentItem(list.topLevelItem(0));
        window->runItemCommand(ItemCommand::Show);
        (void)preview.grab();
    }

    for (const qsizetype kb : {64, 256, 1024}) {
        if (kb > maxKb)
            break;
        const qsizetype size = kb * 1024;
        std::printf("\n%lld KB\n", static_cast<long long>(kb));
        for (int shape = 0; shape < shapes().size(); ++shape) {
            // A feed of its own for each item: the item file holds it alone.
            const QString feedId = QStringLiteral("00000000-0000-0000-%1-%2")
                                       .arg(shape, 4, 10, QLatin1Char('0'))
                                       .arg(qlonglong(kb), 12, 10, QLatin1Char('0'));
            QList<FeedItem> items{shapes().at(shape).make(size)};
            items[0].link = QStringLiteral("http://example.org/%1").arg(shape);
            ItemIdentifier::assignAll(items);
            (void)ItemStore::merge(Feeds::feedDataPath(bench.ctx, feedId), items,
                                   QDateTime::currentDateTime());
            window->setFeedID(feedId);

            std::printf("%s\n", shapes().at(shape).name);
            report(QStringLiteral("  list it, painted"), elapsedMs([&] {
                       window->reader().loadItemList();
                       (void)list.grab();
                   }));
            list.setCurrentItem(list.topLevelItem(0));
            report(QStringLiteral("  show it (stored as read), laid out and painted"),
                   elapsedMs([&] {
                       window->runItemCommand(ItemCommand::Show);
                       (void)preview.document()->size(); // the whole page laid out
                       (void)preview.grab();
                   }));
            int parts = 1;
            double slowest = 0;
            for (QUrl rest = restLink(preview); !rest.isEmpty(); rest = restLink(preview)) {
                ++parts;
                slowest = std::max(slowest, elapsedMs([&] {
                                       Q_EMIT preview.anchorClicked(rest);
                                       (void)preview.document()->size();
                                       (void)preview.grab();
                                   }));
            }
            if (parts > 1)
                report(QStringLiteral("  the rest, %1 more parts: the slowest").arg(parts - 1),
                       slowest);
        }
        const QString name = unbrokenRun(size);
        report(QStringLiteral("tab caption: unbroken feed name, painted"), elapsedMs([&] {
                   window->setFeedCaption(name);
                   QApplication::processEvents();
                   (void)tabs->grab();
               }));
        window->setFeedCaption(QStringLiteral("Feed"));
    }
    if (bench.messages.shown > 0)
        std::printf("!! %d message boxes were shown, last: %s\n", bench.messages.shown,
                    qPrintable(bench.messages.lastTitle));
    return 0;
}
