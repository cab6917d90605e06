// Figures for items a feed sends in extreme sizes and shapes: how long a feed window takes to
// show such an item in its preview (laid out and painted), to list it, and how long its tab takes
// to show a feed name of that size. Each figure is one pass of the event loop: the program
// answers nothing meanwhile, the scheduler included.
//
//   build/bench/preview_bench [MAX_KB]      (offscreen; no display needed)
//
// MAX_KB leaves out the sizes above it (64, 256 and 1024 KB are measured).

#include "BenchContext.h"

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
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

namespace {

class QuietHost final : public FeedWindowHost {
public:
    void itemSelected() override { }
    void showItemMenu(const QPoint &) override { }
    void repaintTabs() override { }
    QString message(const QString &key) const override { return key; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    void showEmailSettings() override { }
    void showSendEmail(const ItemMail &) override { }
    void feedTypeCorrected(const QString &, FeedType) override { }
};

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

// The row whose title starts so.
QTreeWidgetItem *rowStarting(QTreeWidget &list, const QString &start)
{
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        if (list.topLevelItem(i)->text(0).startsWith(start))
            return list.topLevelItem(i);
    }
    return nullptr;
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
    for (const qsizetype kb : {64, 256, 1024}) {
        if (kb > maxKb)
            break;
        const qsizetype size = kb * 1024;
        std::printf("\n%lld KB\n", static_cast<long long>(kb));

        // One feed per size, an item of every shape in it.
        const QString feedId = QStringLiteral("00000000-0000-0000-0000-%1")
                                   .arg(qlonglong(kb), 12, 10, QLatin1Char('0'));
        QList<FeedItem> items;
        QStringList starts;
        for (const Shape &shape : shapes()) {
            FeedItem made = shape.make(size);
            made.link = QStringLiteral("http://example.org/") + QString::fromUtf8(shape.name);
            starts << made.title.left(20);
            items << made;
        }
        ItemIdentifier::assignAll(items);
        (void)ItemStore::merge(Feeds::feedDataPath(bench.ctx, feedId), items,
                               QDateTime::currentDateTime());

        auto *window = new FeedWindow(bench.ctx, host, nullptr, english);
        window->setFeedID(feedId);
        window->setFeedCaption(QStringLiteral("Feed"));
        QMdiSubWindow *sub = area.addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->showMaximized();
        QApplication::processEvents();
        QTreeWidget &list = window->itemList();
        QTextBrowser &preview = window->preview();

        report(QStringLiteral("list the items, painted"), elapsedMs([&] {
                   window->reader().loadItemList();
                   (void)list.grab();
               }));
        for (int i = 0; i < shapes().size(); ++i) {
            QTreeWidgetItem *row = rowStarting(list, starts.at(i));
            if (!row) {
                std::printf("!! no row for %s\n", shapes().at(i).name);
                continue;
            }
            list.setCurrentItem(row);
            report(QStringLiteral("show: ") + QString::fromUtf8(shapes().at(i).name),
                   elapsedMs([&] {
                       window->runItemCommand(ItemCommand::Show);
                       (void)preview.document()->size(); // the whole page laid out
                       (void)preview.grab();
                   }));
        }
        const QString name = unbrokenRun(size);
        report(QStringLiteral("tab caption: unbroken feed name"), elapsedMs([&] {
                   window->setFeedCaption(name);
                   QApplication::processEvents();
                   (void)tabs->grab();
               }));
        sub->close();
        QApplication::processEvents();
    }
    if (bench.messages.shown > 0)
        std::printf("!! %d message boxes were shown, last: %s\n", bench.messages.shown,
                    qPrintable(bench.messages.lastTitle));
    return 0;
}
