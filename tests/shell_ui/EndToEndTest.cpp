// A user's path through the real main window: real HTTP to a local server, real files in a
// prepared app folder, the real tree pane and feed window.

#include "MainWindowSupport.h"

#include "platform/AppFolder.h"
#include "platform/QtTreeView.h"
#include "reading/FeedWindow.h"
#include "shell/CategoryPane.h"
#include "support/LocalHttpServer.h"
#include "support/WaitUntil.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

namespace test {
namespace {

const QString kFeedId = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");

const char *const kRss
    = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>World</title>\n"
      "<item><title>Newest</title><link>http://example.org/3</link>"
      "<pubDate>Wed, 03 May 2006 08:00:00 GMT</pubDate><description>Third "
      "&lt;b&gt;story&lt;/b&gt;</description></item>\n"
      "<item><title>Middle</title><link>http://example.org/2</link>"
      "<pubDate>Tue, 02 May 2006 08:00:00 GMT</pubDate><description>Second "
      "story</description></item>\n"
      "<item><title>Oldest</title><link>http://example.org/1</link>"
      "<pubDate>Mon, 01 May 2006 08:00:00 GMT</pubDate><description>First "
      "story</description></item>\n"
      "</channel></rss>\n";

class EndToEndTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        server.routes().Get("/world", [this](const httplib::Request &, httplib::Response &res) {
            if (holdFeed)
                server.holdRequest();
            res.set_content(kRss, "application/rss+xml");
        });
        ASSERT_TRUE(server.start());
        platform::seedAppFolder(t.ctx.appFolder, platform::shippedFilesFolder());
        t.writeFile(QStringLiteral("feeds.fdb"),
                    "<?xml version=\"1.0\"?>\r\n<categories><category name=\"News\">"
                    "<feed name=\"World\" type=\"0\" id=\""
                        + kFeedId.toUtf8() + "\">" + server.url(QStringLiteral("/world")).toUtf8()
                        + "</feed></category></categories>\r\n");
    }

    void doubleClickFeed(MainWindow &main)
    {
        QTreeWidget &tree = main.optionBar()->treeWidget();
        QTreeWidgetItem *item = main.optionBar()->tree().item(kFeedId);
        ASSERT_NE(item, nullptr);
        tree.scrollToItem(item);
        const QPoint at = tree.visualItemRect(item).center();
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, at);
    }

    LocalHttpServer server{&t.network};
    bool holdFeed = false;
};

TEST_F(EndToEndTest, DoubleClickFetchesShowsNewestFirstAndAClickedRowIsRead)
{
    MainWindow &main = load();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    doubleClickFeed(main);
    // The feed window's first load, which fetches the feed, comes after its delay.
    t.clock.advance(FeedWindow::kFirstLoadDelayMs);

    ASSERT_TRUE(waitUntil([&] {
        return main.activeFeedWindow() && main.activeFeedWindow()->windowTitle() == u"World [new]";
    }));
    FeedWindow &feed = *main.activeFeedWindow();
    auto *tabs = main.findChild<QTabBar *>(QStringLiteral("oTabs"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), u"World [new]");

    QTreeWidget &list = feed.itemList();
    ASSERT_EQ(list.topLevelItemCount(), 3);
    EXPECT_EQ(list.topLevelItem(0)->text(0), u"Newest");
    EXPECT_EQ(list.topLevelItem(2)->text(0), u"Oldest");
    EXPECT_TRUE(list.topLevelItem(0)->font(0).bold());

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.topLevelItem(0)).center());
    EXPECT_TRUE(waitUntil([&] { return feed.preview().toPlainText().contains(u"Third"); }));
    EXPECT_TRUE(feed.preview().toPlainText().contains(u"Newest"));
    EXPECT_FALSE(list.topLevelItem(0)->font(0).bold());
    const QByteArray stored
        = t.readFile(QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb"));
    const qsizetype newest = stored.indexOf("<title>Newest</title>");
    const qsizetype item = stored.lastIndexOf("<item ", newest);
    ASSERT_GE(item, 0);
    EXPECT_TRUE(stored.mid(item, newest - item).contains("status=\"1\"")) << stored.toStdString();
    EXPECT_TRUE(main.menus().mnuToolsSendByEmail->isEnabled());
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(EndToEndTest, ClosingATabWhoseFetchWaitsAbandonsTheFetch)
{
    holdFeed = true;
    MainWindow &main = load();
    main.openFeedWindow(QStringLiteral("World"), kFeedId, server.url(QStringLiteral("/world")),
                        FeedType::Rss, true);
    t.clock.advance(FeedWindow::kFirstLoadDelayMs);
    ASSERT_TRUE(waitUntil([&] { return server.heldRequests() == 1; }, 8000));
    EXPECT_EQ(main.activeFeedWindow()->windowTitle(), u"World (checking ...)");

    main.workArea().currentSubWindow()->close();
    server.openGate();

    EXPECT_TRUE(waitUntil([&] { return main.feedWindows().isEmpty(); }));
    QTest::qWait(50);
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb"))));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

} // namespace
} // namespace test
