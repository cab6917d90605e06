#include "reading/FeedWindow.h"

#include "platform/QtReportList.h"
#include "reading/FeedWindowHost.h"
#include "reading/ItemFile.h"
#include "reading/ItemIdentifier.h"
#include "reading/LongRuns.h"
#include "reading/PreviewBrowser.h"
#include "settings/Settings.h"

#include "support/LocalHttpServer.h"
#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>

namespace {

using platform::MessageAnswer;
using platform::MessageIcon;

const QString kFeedId = QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9");
const QString kCaption = QStringLiteral("Example News");
const QString kMedia = QStringLiteral("https://media.example.org/third.mp3");

class RecordingHost final : public FeedWindowHost {
public:
    void itemSelected() override { ++selected; }
    void showItemMenu(const QPoint &globalPos) override { menus << globalPos; }
    void repaintTabs() override { ++repaints; }
    QString message(const QString &key) const override { return QStringLiteral("text of ") + key; }
    QString saveFileName(const QString &title, const QString &defaultSuffix,
                         const QString &filter) override
    {
        saveDialogs << QStringList{title, defaultSuffix, filter};
        return savePath;
    }
    void showEmailSettings() override { ++emailSettings; }
    void showSendEmail(const ItemMail &mail) override { mails << mail; }
    void feedTypeCorrected(const QString &, FeedType type) override { correctedTypes << type; }

    int selected = 0;
    QList<QPoint> menus;
    int repaints = 0;
    QList<QStringList> saveDialogs;
    QString savePath;
    int emailSettings = 0;
    QList<ItemMail> mails;
    QList<FeedType> correctedTypes;
};

QByteArray storedItem(const QString &title, const QString &link, const QString &date,
                      const QString &status, const QString &desc = QString(),
                      const QString &media = QString())
{
    return QStringLiteral(
               "<item id=\"%1\" status=\"%2\"><title>%3</title><link>%4</link><date>%5</date>"
               "<desc>%6</desc><media>%7</media></item>")
        .arg(ItemIdentifier::digest(link), status, title, link, date, desc.toHtmlEscaped(), media)
        .toUtf8();
}

// In file order: oldest, newest (with a media URL), middle; the middle one is read.
const QByteArray kItemFile = "<data><items>"
    + storedItem("First", "http://example.org/1", "2006-May-01T08:00:00", "0", "one")
    + storedItem("Third", "http://example.org/3", "2006-May-03T08:00:00", "0", "line 1\nline 2",
                 kMedia)
    + storedItem("Second", "http://example.org/2", "2006-May-02T08:00:00", "1",
                 "<p>two <b>bold</b></p>")
    + "</items><latest>20060503080000</latest></data>";

const QByteArray kTemplate
    = "<html><head><title>[[title]]</title></head>\n"
      "<body bgcolor=\"white\"><h1>[[title]]</h1><p><a href=\"[[link]]\">[[title]]</a></p>"
      "<p>[[date]] [[time]] by [[app]]</p><div>[[desc]]</div></body></html>";

class FeedWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
        t.writeFile(itemFileName(), kItemFile);
        t.writeFile(QStringLiteral("view.tpl"), kTemplate);
        window = newWindow();
        // Tests load when they choose: the first load after 400 ms comes only when a test moves
        // the clock, as the test of its own does.
    }

    [[nodiscard]] std::unique_ptr<FeedWindow> newWindow()
    {
        auto feed = std::make_unique<FeedWindow>(t.ctx, host, nullptr,
                                                 QLocale(QLocale::English, QLocale::UnitedStates));
        feed->setFeedID(kFeedId);
        feed->setFeedCaption(kCaption);
        feed->setFeedType(FeedType::Rss);
        return feed;
    }

    [[nodiscard]] static QString itemFileName()
    {
        return QStringLiteral("Data/") + kFeedId + QStringLiteral(".fdb");
    }

    void showWindow(int width = 400, int height = 500)
    {
        window->resize(width, height);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    [[nodiscard]] QTreeWidget &list() const { return window->itemList(); }
    [[nodiscard]] PreviewBrowser &preview() const
    {
        return static_cast<PreviewBrowser &>(window->preview());
    }
    [[nodiscard]] QWidget &splitter() const
    {
        return *window->findChild<QWidget *>(QStringLiteral("picSplitter"));
    }

    [[nodiscard]] QStringList titles() const
    {
        QStringList result;
        for (int i = 0; i < list().topLevelItemCount(); ++i)
            result << list().topLevelItem(i)->text(0);
        return result;
    }
    [[nodiscard]] int rowOf(const QString &title) const { return titles().indexOf(title); }
    void select(const QString &title) const
    {
        list().setCurrentItem(list().topLevelItem(rowOf(title)));
    }
    // A left click on the row, as the user gives it.
    void click(const QString &title) const
    {
        QTreeWidgetItem *item = list().topLevelItem(rowOf(title));
        ASSERT_NE(item, nullptr) << title.toStdString();
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {},
                          list().visualItemRect(item).center());
    }
    // The status attribute the file holds for the item with that link.
    [[nodiscard]] QString storedStatus(const QString &link) const
    {
        ItemFile file(t.path(itemFileName()));
        EXPECT_EQ(file.load(), ItemFile::State::Loaded);
        const platform::XmlNode item = file.findItem(ItemIdentifier::digest(link));
        return item ? item.attributeValue(1) : QStringLiteral("<none>");
    }
    [[nodiscard]] QStringList boxTitles() const
    {
        QStringList result;
        for (const auto &box : t.messages.shown)
            result << box.title;
        return result;
    }

    test::TestContext t;
    RecordingHost host;
    std::unique_ptr<FeedWindow> window;
};

TEST_F(FeedWindowTest, TheDelayedFirstLoadListsTheItemsNewestFirstWithUnreadOnesBold)
{
    window = newWindow();
    t.clock.advance(399);
    EXPECT_EQ(list().topLevelItemCount(), 0);

    t.clock.advance(1);
    EXPECT_EQ(list().topLevelItemCount(), 3);
    EXPECT_EQ(titles(), QStringList({"Third", "Second", "First"}));
    const struct {
        const char *date;
        bool bold;
        const char *icon;
    } rows[] = {
        {"03 May 2006 ; 8:00:00 AM", true, "unread"},
        {"02 May 2006 ; 8:00:00 AM", false, "read"},
        {"01 May 2006 ; 8:00:00 AM", true, "unread"},
    };
    for (int i = 0; i < 3; ++i) {
        const QTreeWidgetItem *item = list().topLevelItem(i);
        EXPECT_EQ(item->text(1), QString::fromUtf8(rows[i].date)) << i;
        EXPECT_EQ(item->font(0).bold(), rows[i].bold) << i;
        EXPECT_EQ(item->data(0, platform::QtReportList::IconKeyRole).toString(), rows[i].icon) << i;
        EXPECT_FALSE(item->icon(0).isNull()) << i;
    }
    EXPECT_EQ(list().headerItem()->text(1), QStringLiteral("Published On"));
    EXPECT_TRUE(list().isColumnHidden(2)); // the stamp only orders the rows
    EXPECT_EQ(window->windowTitle(), kCaption);
    EXPECT_GT(host.repaints, 0);
    EXPECT_FALSE(window->stillExecuting());
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedWindowTest, AFeedWithoutItemFileOpensWithAnEmptyListAndNoMessage)
{
    ASSERT_TRUE(QFile::remove(t.path(itemFileName())));
    window->loadFeedData(true);
    EXPECT_EQ(list().topLevelItemCount(), 0);
    EXPECT_TRUE(t.messages.shown.isEmpty());
    EXPECT_EQ(window->windowTitle(), kCaption);
}

TEST_F(FeedWindowTest, TheSplitterMovesOnlyBetweenTwentyAndEightyPercentAndResizeCentresIt)
{
    showWindow(400, 500);
    QWidget &bar = splitter();
    const int barHeight = bar.height();
    EXPECT_EQ(bar.cursor().shape(), Qt::SizeVerCursor);
    const auto expectLayout = [&](int barTop) {
        EXPECT_EQ(bar.geometry(), QRect(0, barTop, 400, barHeight));
        EXPECT_EQ(list().geometry(), QRect(0, 0, 400, barTop));
        EXPECT_EQ(preview().geometry(),
                  QRect(0, barTop + barHeight, 400, 500 - barTop - barHeight));
    };
    expectLayout(250);

    const auto send
        = [&bar](QEvent::Type type, qreal y, Qt::MouseButton button, Qt::MouseButtons buttons) {
              QMouseEvent event(type, QPointF(5, y), bar.mapToGlobal(QPointF(5, y)), button,
                                buttons, Qt::NoModifier);
              QApplication::sendEvent(&bar, &event);
          };
    const auto moveTo = [&](qreal y) { send(QEvent::MouseMove, y, Qt::NoButton, Qt::LeftButton); };

    moveTo(-100); // no button down: nothing
    expectLayout(250);
    send(QEvent::MouseButtonPress, 3, Qt::LeftButton, Qt::LeftButton);
    moveTo(3); // the first move takes the grab offset, 3
    expectLayout(250);
    moveTo(-147); // up by 150, to exactly 20 %
    expectLayout(100);
    moveTo(2); // one more up would pass 20 %
    expectLayout(100);
    moveTo(303); // down by 300, to exactly 80 %
    expectLayout(400);
    moveTo(304); // one more down would pass 80 %
    expectLayout(400);
    send(QEvent::MouseButtonRelease, 304, Qt::LeftButton, Qt::NoButton);
    moveTo(-200);
    expectLayout(400);

    // The grab offset stays for the next drag: its first move already moves.
    send(QEvent::MouseButtonPress, 3, Qt::LeftButton, Qt::LeftButton);
    moveTo(-47);
    expectLayout(350);
    send(QEvent::MouseButtonRelease, -47, Qt::LeftButton, Qt::NoButton);

    window->resize(400, 600);
    QTRY_COMPARE(bar.y(), 300);
    EXPECT_EQ(list().height(), 300);
    EXPECT_EQ(list().columnWidth(0), 280);

    // Minimised, the window keeps its layout.
    window->showMinimized();
    window->resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(bar.y(), 300);
    EXPECT_EQ(list().height(), 300);
}

TEST_F(FeedWindowTest, HeaderClicksOnPublishedOnReverseTheDateOrderAndTitleSortsByText)
{
    showWindow(600, 400);
    window->loadFeedData(true);
    QHeaderView *header = list().header();
    const auto clickSection = [header](int section) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
    };
    ASSERT_EQ(titles(), QStringList({"Third", "Second", "First"}));
    clickSection(1);
    EXPECT_EQ(titles(), QStringList({"First", "Second", "Third"}));
    clickSection(1);
    EXPECT_EQ(titles(), QStringList({"Third", "Second", "First"}));
    clickSection(0);
    EXPECT_EQ(titles(), QStringList({"First", "Second", "Third"}));
    clickSection(0);
    EXPECT_EQ(titles(), QStringList({"Third", "Second", "First"}));
}

TEST_F(FeedWindowTest, ClickingAnUnreadItemShowsItAndStoresItAsRead)
{
    showWindow();
    window->loadFeedData(true);
    click(QStringLiteral("Third"));

    EXPECT_EQ(host.selected, 1);
    const QString page = preview().pageText();
    EXPECT_EQ(page.count(QStringLiteral("<h1>Third</h1>")), 1);
    EXPECT_EQ(page.count(QStringLiteral(">Third</a>")), 1); // [[title]] stands three times
    EXPECT_TRUE(
        page.contains(QStringLiteral("<a href=\"") + kMedia + u'"')); // the media URL for [[link]]
    EXPECT_TRUE(page.contains(QStringLiteral("03 May 2006 08:00:00 by Marlowin")));
    EXPECT_TRUE(page.contains(QStringLiteral("line 1\r\nline 2")));
    EXPECT_TRUE(
        preview().toPlainText().contains(QStringLiteral("03 May 2006 08:00:00 by Marlowin")));

    const QTreeWidgetItem *row = list().topLevelItem(rowOf(QStringLiteral("Third")));
    EXPECT_FALSE(row->font(0).bold());
    EXPECT_EQ(row->data(0, platform::QtReportList::IconKeyRole).toString(), QStringLiteral("read"));
    EXPECT_EQ(storedStatus(QStringLiteral("http://example.org/3")), QStringLiteral("1"));
    EXPECT_EQ(storedStatus(QStringLiteral("http://example.org/1")), QStringLiteral("0"));
    // The page file is gone once shown, and the keys go to the list again.
    EXPECT_FALSE(QFile::exists(window->previewFilePath()));
    EXPECT_EQ(window->focusWidget(), &list());

    // Showing a read item writes nothing.
    const QByteArray before = t.readFile(itemFileName());
    click(QStringLiteral("Second"));
    EXPECT_TRUE(preview().toPlainText().contains(QStringLiteral("two bold")));
    EXPECT_EQ(t.readFile(itemFileName()), before);
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedWindowTest, ArrowKeysShowTheRowTheyReachAndAKeyInThePreviewReturnsToTheList)
{
    showWindow();
    window->loadFeedData(true);
    click(QStringLiteral("Third"));
    QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_EQ(host.selected, 2);
    EXPECT_TRUE(preview().pageText().contains(QStringLiteral("<h1>Second</h1>")));
    QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_TRUE(preview().pageText().contains(QStringLiteral("<h1>First</h1>")));
    EXPECT_EQ(storedStatus(QStringLiteral("http://example.org/1")), QStringLiteral("1"));
    QTest::keyClick(&list(), Qt::Key_Down); // already on the last row: nothing new
    EXPECT_EQ(host.selected, 3);

    preview().setFocus();
    EXPECT_EQ(window->focusWidget(), &preview());
    QTest::keyClick(&preview(), Qt::Key_A);
    EXPECT_EQ(window->focusWidget(), &list());
}

TEST_F(FeedWindowTest, TheRightButtonOverTheSelectedRowOpensTheItemMenu)
{
    showWindow();
    window->loadFeedData(true);
    click(QStringLiteral("Second"));
    const QPoint over
        = list().visualItemRect(list().topLevelItem(rowOf(QStringLiteral("Second")))).center();
    QTest::mouseClick(list().viewport(), Qt::RightButton, {}, over);
    ASSERT_EQ(host.menus.size(), 1);
    EXPECT_EQ(host.menus.first(), list().viewport()->mapToGlobal(over));

    // Below the rows no item is under the pointer.
    QTest::mouseRelease(list().viewport(), Qt::RightButton, {},
                        QPoint(10, list().viewport()->height() - 2));
    EXPECT_EQ(host.menus.size(), 1);
}

TEST_F(FeedWindowTest, ABadTemplateWarnsAndLeavesThePreviewAsItWas)
{
    const struct {
        const char *name;
        std::optional<QByteArray> tpl;
        const char *title;
    } cases[] = {
        {"empty", QByteArray(" \r\n "), "Invalid Preview data object!"},
        {"missing", std::nullopt, "Error!"},
    };
    showWindow();
    window->loadFeedData(true);
    click(QStringLiteral("Second"));
    const QString shown = preview().pageText();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        t.messages.shown.clear();
        if (c.tpl)
            t.writeFile(QStringLiteral("view.tpl"), *c.tpl);
        else
            ASSERT_TRUE(QFile::remove(t.path(QStringLiteral("view.tpl"))));
        select(QStringLiteral("First"));
        window->runItemCommand(ItemCommand::Show);
        EXPECT_EQ(boxTitles(), QStringList({QString::fromUtf8(c.title)}));
        EXPECT_EQ(preview().pageText(), shown);
        EXPECT_EQ(storedStatus(QStringLiteral("http://example.org/1")), QStringLiteral("0"));
    }
    EXPECT_EQ(t.messages.shown.first().text,
              QStringLiteral(
                  "Required Preview object file is missing or hidden. Please reinstall application "
                  "to resolve this issue."));
}

TEST_F(FeedWindowTest, AnItemGoneFromTheFileCannotBeShown)
{
    window->loadFeedData(true);
    t.writeFile(itemFileName(), "<data><items/></data>");
    select(QStringLiteral("First"));
    window->runItemCommand(ItemCommand::Show);
    EXPECT_EQ(boxTitles(), QStringList({"Failed to locate item in Feed Data File!"}));
    EXPECT_TRUE(list().topLevelItem(rowOf(QStringLiteral("First")))->font(0).bold());
}

TEST_F(FeedWindowTest, SaveAsWritesThePreviewsBodyTextOrInnerHtmlAndNothingWhenCancelled)
{
    showWindow();
    window->loadFeedData(true);
    click(QStringLiteral("Second"));

    const QString target = t.path(QStringLiteral("saved.out"));
    window->runItemCommand(ItemCommand::ExportText); // the dialog gives no path: cancelled
    EXPECT_FALSE(QFile::exists(target));

    host.savePath = target;
    window->runItemCommand(ItemCommand::ExportText);
    const QString text = QString::fromUtf8(t.readFile(QStringLiteral("saved.out")));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Second\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("two bold")));
    EXPECT_FALSE(text.contains(u'<'));

    window->runItemCommand(ItemCommand::ExportHtml);
    EXPECT_EQ(t.readFile(QStringLiteral("saved.out")),
              "<h1>Second</h1><p><a href=\"http://example.org/2\">Second</a></p>"
              "<p>02 May 2006 08:00:00 by Marlowin</p><div><p>two <b>bold</b></p></div>\r\n");

    EXPECT_EQ(host.saveDialogs,
              (QList<QStringList>{{"Save As ...", "txt", "Text Files|*.txt"},
                                  {"Save As ...", "txt", "Text Files|*.txt"},
                                  {"Save As ...", "html", "HTML Files|*.htm;*.html"}}));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedWindowTest, DeleteRemovesTheRowAndTheStoredItem)
{
    showWindow();
    window->loadFeedData(true);
    click(QStringLiteral("Second"));
    window->runItemCommand(ItemCommand::Delete);
    EXPECT_EQ(titles(), QStringList({"Third", "First"}));
    EXPECT_EQ(storedStatus(QStringLiteral("http://example.org/2")), QStringLiteral("<none>"));
    EXPECT_EQ(storedStatus(QStringLiteral("http://example.org/3")), QStringLiteral("0"));
    EXPECT_TRUE(preview().toPlainText().isEmpty());

    // No row selected now: nothing more goes.
    window->runItemCommand(ItemCommand::Delete);
    EXPECT_EQ(titles(), QStringList({"Third", "First"}));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedWindowTest, EmailWithoutAServerAsksForTheSettings)
{
    window->loadFeedData(true);
    select(QStringLiteral("Third"));
    const struct {
        MessageAnswer answer;
        QStringList boxes;
        int settingsShown;
    } cases[] = {
        {MessageAnswer::No, {"Email Server Settings not configured!", "Cannot Send Email!"}, 0},
        {MessageAnswer::Yes, {"Email Server Settings not configured!"}, 1},
    };
    for (const auto &c : cases) {
        t.messages.shown.clear();
        t.messages.answers = {c.answer};
        host.emailSettings = 0;
        window->runItemCommand(ItemCommand::Email);
        EXPECT_EQ(boxTitles(), c.boxes);
        EXPECT_EQ(t.messages.shown.first().icon, MessageIcon::Question);
        EXPECT_EQ(host.emailSettings, c.settingsShown);
        EXPECT_TRUE(host.mails.isEmpty());
    }
}

TEST_F(FeedWindowTest, EmailWithAServerHandsTheItemWithItsMediaUrlToTheSendDialog)
{
    Settings::Email email;
    email.server = QStringLiteral("smtp.example.org");
    Settings::saveEmail(t.ctx, email);

    showWindow();
    window->loadFeedData(true);
    click(QStringLiteral("Third"));
    window->runItemCommand(ItemCommand::Email);
    EXPECT_EQ(boxTitles(), QStringList({"Error!"})); // no email.tpl yet
    EXPECT_TRUE(host.mails.isEmpty());

    t.messages.shown.clear();
    t.writeFile(QStringLiteral("email.tpl"), "<p>[[desc]]</p>");
    window->runItemCommand(ItemCommand::Email);
    ASSERT_EQ(host.mails.size(), 1);
    EXPECT_EQ(host.mails[0].channelName, kCaption);
    EXPECT_EQ(host.mails[0].feedTitle, QStringLiteral("Third"));
    EXPECT_EQ(host.mails[0].itemLink, kMedia);
    EXPECT_EQ(host.mails[0].itemDescription, QStringLiteral("line 1\nline 2"));

    // A row selected but not shown yet (the item menu over it) mails that row's item.
    select(QStringLiteral("First"));
    window->runItemCommand(ItemCommand::Email);
    ASSERT_EQ(host.mails.size(), 2);
    EXPECT_EQ(host.mails[1].feedTitle, QStringLiteral("First"));
    EXPECT_EQ(host.mails[1].itemLink, QStringLiteral("http://example.org/1"));
    EXPECT_EQ(storedStatus(QStringLiteral("http://example.org/1")), QStringLiteral("0"));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedWindowTest, ViewOnlineOpensOnlyWebAddresses)
{
    const struct {
        const char *link;
        const char *media;
        const char *opened; // empty: nothing opened
    } cases[] = {
        {"http://example.org/a", "", "http://example.org/a"},
        {"http://example.org/b", "https://example.org/b.mp3", "https://example.org/b.mp3"},
        {"mailto:someone@example.org", "", ""},
        {"file:///etc/passwd", "", ""},
        {"/etc/passwd", "", ""},
        {"javascript:alert(1)", "", ""},
        {"http://example.org/c", "ftp://example.org/c.mp3", ""},
    };
    QByteArray items;
    for (const auto &c : cases)
        items += storedItem(QString::fromUtf8(c.link), QString::fromUtf8(c.link),
                            "2006-May-01T08:00:00", "0", QString(), QString::fromUtf8(c.media));
    t.writeFile(itemFileName(), "<data><items>" + items + "</items></data>");
    window->loadFeedData(true);

    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        t.shell.opened.clear();
        select(QString::fromUtf8(c.link));
        window->runItemCommand(ItemCommand::ViewOnline);
        if (*c.opened)
            EXPECT_EQ(t.shell.opened, QList<QUrl>({QUrl(QString::fromUtf8(c.opened))}));
        else
            EXPECT_TRUE(t.shell.opened.isEmpty());
        EXPECT_EQ(storedStatus(QString::fromUtf8(c.link)), QStringLiteral("0")); // not marked read
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedWindowTest, ThePreviewNeverLoadsRemoteOrLocalResourcesButShowsDataUrls)
{
    test::LocalHttpServer server(&t.network);
    server.routes().Get("/.*", [](const httplib::Request &, httplib::Response &res) {
        res.set_content("x", "image/png");
    });
    ASSERT_TRUE(server.start());

    QImage pixel(4, 4, QImage::Format_RGB32);
    pixel.fill(Qt::red);
    const QString localImage = t.path(QStringLiteral("local.png"));
    ASSERT_TRUE(pixel.save(localImage));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(pixel.save(&buffer, "PNG"));
    const QString dataUrl
        = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());

    const QString remote = server.url(QStringLiteral("/pixel.png"));
    const QString desc
        = QStringLiteral("<link rel=\"stylesheet\" href=\"%1\"><img src=\"%1\"><img src=\"%2\">"
                         "<img src=\"%3\"><img src=\"local.png\">")
              .arg(remote, QUrl::fromLocalFile(localImage).toString(), dataUrl);
    t.writeFile(
        itemFileName(),
        "<data><items>"
            + storedItem("Pictures", "http://example.org/p", "2006-May-01T08:00:00", "0", desc)
            + "</items></data>");
    showWindow();
    window->loadFeedData(true);
    click(QStringLiteral("Pictures"));
    ASSERT_TRUE(preview().pageText().contains(remote));
    preview().grab(); // lays the page out and paints it, images included
    QTest::qWait(200);

    EXPECT_EQ(server.requestCount(), 0);
    QTextDocument &page = *preview().document();
    const QUrl local = QUrl::fromLocalFile(localImage);
    // What the page's layout loaded (the document caches it): a picture only from the data: URL.
    for (const QUrl &url : {local, QUrl(QStringLiteral("local.png")), QUrl(remote)})
        EXPECT_TRUE(page.resource(QTextDocument::ImageResource, url).value<QPixmap>().isNull())
            << url.toString().toStdString();
    EXPECT_EQ(page.resource(QTextDocument::ImageResource, QUrl(dataUrl)).value<QPixmap>().size(),
              QSize(4, 4));
}

TEST_F(FeedWindowTest, AClickedLinkOpensOnlyWebAndMailAddresses)
{
    const struct {
        const char *href;
        bool opened;
    } cases[] = {
        {"https://example.org/a", true},
        {"mailto:someone@example.org", true},
        {"file:///etc/passwd", false},
        {"ftp://example.org/a", false},
        {"#top", false},
    };
    for (const auto &c : cases) {
        t.shell.opened.clear();
        Q_EMIT preview().anchorClicked(QUrl(QString::fromUtf8(c.href)));
        EXPECT_EQ(t.shell.opened.size(), c.opened ? 1 : 0) << c.href;
    }
}

// A feed may send anything, and everything shows at once. A title of a megabyte without a space
// shows cut with "…" in its row, and in the preview, where it wraps; so does a feed's name in the
// caption. A description of a megabyte without a space shows in parts, each ending with "…" and
// the link to the rest, which shows the next part, and so on to the end. What is saved or copied
// is the text without the breaks the preview put into it, and a save takes the whole item.
TEST_F(FeedWindowTest, ItemsOfAMegabyteWithoutASpaceShowAtOnceAndTheLinkShowsTheRest)
{
    const QString huge = QStringLiteral("abcdefghij").repeated(105000);
    const QString cutHuge = huge.left(64) + QChar(0x2026);
    t.writeFile(itemFileName(),
                "<data><items>"
                    + storedItem(huge, "http://example.org/title", "2006-May-01T08:00:00", "0",
                                 "<p>short</p>")
                    + storedItem("Long description", "http://example.org/desc",
                                 "2006-May-02T08:00:00", "0", "<p>" + huge + " the end</p>")
                    + "</items></data>");
    window->setFeedCaption(huge);
    EXPECT_EQ(window->windowTitle(), cutHuge);
    showWindow(700, 600);
    window->loadFeedData(true);
    EXPECT_EQ(titles(), QStringList({"Long description", cutHuge}));
    EXPECT_EQ(window->windowTitle(), cutHuge);

    const auto shownText = [this] {
        (void)preview().document()->size(); // the whole part laid out
        return preview().toPlainText();
    };
    // Clicks the link at the end of the part shown, as the user does.
    const auto clickRestLink = [this] {
        const QTextCursor link = preview().document()->find(PreviewBrowser::kRestText);
        ASSERT_FALSE(link.isNull());
        QTextCursor inside(preview().document());
        inside.setPosition(link.selectionStart() + 2);
        preview().setTextCursor(inside);
        preview().ensureCursorVisible();
        QTest::mouseClick(preview().viewport(), Qt::LeftButton, {},
                          preview().cursorRect(inside).center());
    };

    click(cutHuge);
    QString shown = shownText();
    EXPECT_TRUE(shown.contains(QChar(0x200B))); // the title wraps
    EXPECT_TRUE(LongRuns::withoutBreaks(shown).startsWith(huge.left(1024) + QChar(0x2026) + u'\n'));
    EXPECT_FALSE(preview().hasRest());

    click(QStringLiteral("Long description"));
    shown = shownText();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026) + QStringLiteral("\nShow the rest")));
    EXPECT_TRUE(LongRuns::withoutBreaks(shown).contains(huge.left(20000)));
    clickRestLink();
    shown = shownText();
    EXPECT_TRUE(shown.startsWith(QChar(0x2026)));
    EXPECT_TRUE(huge.contains(LongRuns::withoutBreaks(shown).mid(1, 20000)));

    preview().selectAll();
    preview().copy();
    const QString copied = QApplication::clipboard()->text();
    EXPECT_FALSE(copied.contains(QChar(0x200B)));
    EXPECT_TRUE(huge.contains(copied.mid(1, 20000)));

    host.savePath = t.path(QStringLiteral("saved.txt"));
    window->runItemCommand(ItemCommand::ExportText);
    const QString saved = QString::fromUtf8(t.readFile(QStringLiteral("saved.txt")));
    const qsizetype end = saved.indexOf(QStringLiteral(" the end"));
    ASSERT_GE(end, huge.size());
    EXPECT_EQ(QStringView(saved).sliced(end - huge.size(), huge.size()), huge);
    EXPECT_FALSE(saved.contains(QChar(0x200B)));

    int parts = 2;
    for (; parts < 100 && preview().hasRest(); ++parts)
        clickRestLink();
    shown = shownText();
    EXPECT_GT(parts, 10);
    EXPECT_TRUE(shown.trimmed().endsWith(QStringLiteral(" the end")));
    EXPECT_FALSE(shown.contains(PreviewBrowser::kRestText));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

// The refresh waits for its server without holding the event loop: closing the window then
// abandons it, and nothing of it reaches the file.
TEST_F(FeedWindowTest, ClosingWhileARefreshWaitsAbandonsIt)
{
    test::LocalHttpServer server(&t.network);
    server.routes().Get("/feed", [&server](const httplib::Request &, httplib::Response &res) {
        server.holdRequest();
        res.set_content("<rss><channel><item><title>Fourth</title><link>http://example.org/4</link>"
                        "<pubDate>Thu, 04 May 2006 08:00:00 GMT</pubDate></item></channel></rss>",
                        "application/rss+xml");
    });
    ASSERT_TRUE(server.start());
    window->setFeedURL(server.url(QStringLiteral("/feed")));
    window->setCheckForNewItems(true);
    showWindow();

    window->loadFeedData(true);
    ASSERT_TRUE(test::waitUntil([&] { return server.heldRequests() == 1; }));
    EXPECT_TRUE(window->stillExecuting());
    EXPECT_EQ(window->windowTitle(), kCaption + QStringLiteral(" (checking ...)"));

    EXPECT_TRUE(window->close());
    server.openGate();

    EXPECT_FALSE(window->stillExecuting());
    QTest::qWait(50);
    EXPECT_EQ(storedStatus(QStringLiteral("http://example.org/4")), QStringLiteral("<none>"));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedWindowTest, ARefreshAddsItsNewItemsAtTheTopAndATypeCorrectionReachesTheHost)
{
    test::LocalHttpServer server(&t.network);
    server.routes().Get("/feed", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(
            "<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry><title>Fourth</title><id>urn:4</id>"
            "<link href=\"http://example.org/4\"/><published>2006-05-04T08:00:00Z</published>"
            "</entry></feed>",
            "application/atom+xml");
    });
    ASSERT_TRUE(server.start());
    window->setFeedURL(server.url(QStringLiteral("/feed")));
    window->setCheckForNewItems(true);
    showWindow();

    window->loadFeedData(true);
    ASSERT_TRUE(test::waitUntil([&] { return !window->stillExecuting(); }));

    EXPECT_EQ(titles(), QStringList({"Fourth", "Third", "Second", "First"}));
    EXPECT_TRUE(list().topLevelItem(0)->font(0).bold());
    EXPECT_EQ(window->windowTitle(), kCaption + QStringLiteral(" [new]"));
    EXPECT_EQ(host.correctedTypes, QList<FeedType>{FeedType::Atom});
    EXPECT_EQ(window->feedType(), FeedType::Atom);
    click(QStringLiteral("Fourth"));
    EXPECT_EQ(storedStatus(QStringLiteral("urn:4")), QStringLiteral("1"));
}

} // namespace
