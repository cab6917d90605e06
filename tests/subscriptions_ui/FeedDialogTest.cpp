#include "subscriptions/FeedDialog.h"

#include "localization/Languages.h"
#include "support/LocalHttpServer.h"

#include "DialogSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>

namespace {

using test::StoredCategory;
using test::StoredFeed;

// Limit for probes whose response does arrive: far beyond what a loaded machine needs.
constexpr int kArrivesMs = 20000;

const char *const kPodcast
    = "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel>"
      "<title>Night Talk</title><itunes:summary>Late</itunes:summary></channel></rss>";
const char *const kAtom
    = "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Atom Weekly</title></feed>";

const StoredFeed kDaily{QStringLiteral("Daily"), QStringLiteral("0"),
                        QStringLiteral("0A1B2C3D-0000-1111-2222-333344445555"),
                        QStringLiteral("http://old.example/rss")};

class FeedDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.writeFile(QStringLiteral("feeds.fdb"), test::kTwoCategories);
        languages.registerDefaultMessages();
        auto serve = [](const char *body, const char *type) {
            return [body, type](const httplib::Request &, httplib::Response &res) {
                res.set_content(body, type);
            };
        };
        server.routes().Get("/podcast", serve(kPodcast, "application/rss+xml"));
        server.routes().Get("/atom", serve(kAtom, "application/atom+xml"));
        server.routes().Get("/html", serve("<html><p>Moved<br></html>", "text/html"));
        server.routes().Get("/held", [this](const httplib::Request &, httplib::Response &res) {
            server.holdRequest();
            res.set_content(kPodcast, "application/rss+xml");
        });
        ASSERT_TRUE(server.start());
    }

    // Opens the dialog as the main window does, shown instead of exec'd.
    FeedDialog &open(bool editing, const QString &category, const QString &url = {},
                     const QString &channel = {}, const QString &feedId = {})
    {
        dialog = std::make_unique<FeedDialog>(t.ctx, languages, [this] { ++reloads; });
        dialog->setProbeTimeout(kArrivesMs);
        dialog->setEditing(editing);
        dialog->setFeedID(feedId);
        dialog->setCategory(category);
        dialog->setChannel(channel);
        dialog->setURL(url);
        dialog->prepare();
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return *dialog;
    }

    template<class Widget> Widget *child(const char *name) const
    {
        auto *widget = dialog->findChild<Widget *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit *txtURL() const { return child<QLineEdit>("txtURL"); }
    QLineEdit *txtChannel() const { return child<QLineEdit>("txtChannel"); }
    QComboBox *cmbCategories() const { return child<QComboBox>("cmbCategories"); }
    QPushButton *btnOK() const { return child<QPushButton>("btnOK"); }
    QPushButton *btnCancel() const { return child<QPushButton>("btnCancel"); }
    QString tag() const { return btnOK()->property("tag").toString(); }
    QString url(const char *path) const { return server.url(QString::fromLatin1(path)); }

    bool inPhaseOne() const
    {
        return btnOK()->text().startsWith(QStringLiteral("Proceed"))
            && tag() == QStringLiteral("proceed") && txtURL()->isVisible() && txtURL()->isEnabled()
            && !txtChannel()->isVisible() && !cmbCategories()->isVisible()
            && !child<QLabel>("lblInfo0")->isVisible();
    }
    bool inPhaseTwo() const
    {
        return btnOK()->text() == QStringLiteral("OK") && tag() == QStringLiteral("ok")
            && !txtURL()->isEnabled() && txtChannel()->isVisible() && cmbCategories()->isVisible()
            && child<QLabel>("lblInfo1")->isVisible();
    }

    // Validates the URL in phase one and arrives in phase two.
    void proceedWith(const char *path)
    {
        txtURL()->setText(url(path));
        btnOK()->click();
        ASSERT_TRUE(inPhaseTwo()) << btnOK()->text().toStdString();
    }

    // Keys as the user types them: into whichever widget has the focus.
    static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    static void type(const QString &text)
    {
        for (QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }

    QStringList boxTitles() const
    {
        QStringList titles;
        for (const auto &box : t.messages.shown)
            titles.append(box.title);
        return titles;
    }

    test::TestContext t;
    Languages languages{t.ctx.appFolder, ProgramIdentity{}};
    test::LocalHttpServer server{&t.network};
    std::unique_ptr<FeedDialog> dialog;
    int reloads = 0;
};

TEST_F(FeedDialogTest, OpensInPhaseOneWithTheModesTitleAndPreselection)
{
    struct Case {
        bool editing;
        QString category;
        QString title;
        int selected;
        QString text;
        bool listEnabled;
    };
    const Case cases[] = {
        {false, QString(), QStringLiteral("Add New Feed ..."), -1, QString(), true},
        {false, QStringLiteral("Podcasts"), QStringLiteral("Add New Feed ..."), 1,
         QStringLiteral("Podcasts"), true},
        // The preselection matches letter case exactly.
        {false, QStringLiteral("podcasts"), QStringLiteral("Add New Feed ..."), -1, QString(),
         true},
        {true, QStringLiteral("News"), QStringLiteral("Edit Feed Details ..."), 0,
         QStringLiteral("News"), false},
        // An edited feed keeps naming its category even when the list lacks it.
        {true, QStringLiteral("news"), QStringLiteral("Edit Feed Details ..."), -1,
         QStringLiteral("news"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.category.toStdString());
        open(c.editing, c.category, QStringLiteral("http://old.example/rss"),
             QStringLiteral("Daily"));

        EXPECT_EQ(dialog->windowTitle(), c.title);
        EXPECT_TRUE(inPhaseOne());
        EXPECT_EQ(btnOK()->text(), QStringLiteral("Proceed ..."));
        EXPECT_EQ(cmbCategories()->count(), 2);
        EXPECT_EQ(cmbCategories()->currentIndex(), c.selected);
        EXPECT_EQ(cmbCategories()->currentText(), c.text);
        EXPECT_EQ(cmbCategories()->isEnabled(), c.listEnabled);
        EXPECT_EQ(dialog->typeOfFeed(), FeedType::Unknown);
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedDialogTest, BlankUrlIsRefusedWithoutFetching)
{
    open(false, QString(), QStringLiteral("   "));

    btnOK()->click();

    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, platform::MessageIcon::Warning);
    EXPECT_EQ(t.messages.shown[0].title, QStringLiteral("Feed URL?"));
    EXPECT_EQ(t.messages.shown[0].text, QStringLiteral("Please specify Feed URL."));
    EXPECT_EQ(QApplication::focusWidget(), txtURL());
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_TRUE(inPhaseOne());
}

TEST_F(FeedDialogTest, FailedProbeReturnsToPhaseOneWithTheUrlSelected)
{
    open(false, QString(), url("/html"), QStringLiteral("Typed name"));

    btnOK()->click();

    EXPECT_EQ(boxTitles(), QStringList{QStringLiteral("Invalid Feed Data Format!")});
    EXPECT_TRUE(inPhaseOne());
    EXPECT_EQ(btnOK()->text(), QStringLiteral("Proceed..."));
    EXPECT_TRUE(btnOK()->isEnabled());
    EXPECT_TRUE(btnCancel()->isEnabled());
    EXPECT_EQ(txtURL()->selectedText(), url("/html"));
    EXPECT_EQ(QApplication::focusWidget(), txtURL());
    EXPECT_EQ(dialog->typeOfFeed(), FeedType::Unknown);

    // Corrected and confirmed with Enter in the URL field, it goes on to phase two.
    txtURL()->setText(url("/podcast"));
    QTest::keyClick(txtURL(), Qt::Key_Return);
    EXPECT_TRUE(inPhaseTwo());
    EXPECT_EQ(dialog->typeOfFeed(), FeedType::Podcast);
    EXPECT_EQ(txtChannel()->text(), QStringLiteral("Night Talk"));
    EXPECT_GE(dialog->height(), dialog->sizeHint().height());
    EXPECT_EQ(server.requestCount(), 2);
    EXPECT_EQ(reloads, 0);
}

TEST_F(FeedDialogTest, NothingReactsWhileValidating)
{
    open(false, QString(), url("/held"));
    struct Seen {
        QString caption;
        bool okEnabled = true;
        bool cancelEnabled = true;
        bool urlEnabled = true;
        QString urlAfterTyping;
        bool openAfterTries = false;
    } seen;
    bool tried = false;
    // Runs inside the probe's wait, once the server holds the request.
    QTimer whileHeld;
    whileHeld.setInterval(10);
    QObject::connect(&whileHeld, &QTimer::timeout, [&] {
        if (tried || server.heldRequests() == 0)
            return;
        tried = true;
        seen.caption = btnOK()->text();
        seen.okEnabled = btnOK()->isEnabled();
        seen.cancelEnabled = btnCancel()->isEnabled();
        seen.urlEnabled = txtURL()->isEnabled();
        QTest::mouseClick(btnOK(), Qt::LeftButton);
        QTest::mouseClick(btnCancel(), Qt::LeftButton);
        QTest::keyClicks(txtURL(), QStringLiteral("typed"));
        seen.urlAfterTyping = txtURL()->text();
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QTest::keyClick(dialog.get(), Qt::Key_Return);
        dialog->close();
        seen.openAfterTries = dialog->isVisible() && dialog->isValidating();
        server.openGate();
    });
    whileHeld.start();

    btnOK()->click();
    whileHeld.stop();

    ASSERT_TRUE(tried);
    EXPECT_EQ(seen.caption, QStringLiteral("Validating..."));
    EXPECT_FALSE(seen.okEnabled);
    EXPECT_FALSE(seen.cancelEnabled);
    EXPECT_FALSE(seen.urlEnabled);
    EXPECT_EQ(seen.urlAfterTyping, url("/held"));
    EXPECT_TRUE(seen.openAfterTries);
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_TRUE(t.messages.shown.isEmpty());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(inPhaseTwo());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(t.readFile(QStringLiteral("feeds.fdb")), test::kTwoCategories);
}

TEST_F(FeedDialogTest, FilesTheFeedUnderTheCategoryTextCreatingItWhenNew)
{
    struct Case {
        const char *what;
        QString typed;
        QList<StoredCategory>
            before; // the stored categories, the new feed to be appended to the last
    };
    const QList<StoredCategory> existing{{QStringLiteral("News"), {kDaily}},
                                         {QStringLiteral("Podcasts"), {}}};
    const Case cases[] = {
        {"a new name", QStringLiteral("Science"),
         existing + QList<StoredCategory>{{QStringLiteral("Science"), {}}}},
        {"an existing name in other case", QStringLiteral("PODCASTS"), existing},
        {"an empty name", QString(), existing + QList<StoredCategory>{{QString(), {}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        t.writeFile(QStringLiteral("feeds.fdb"), test::kTwoCategories);
        reloads = 0;
        open(false, QString());
        proceedWith("/podcast");
        cmbCategories()->setEditText(c.typed);

        btnOK()->click();

        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(reloads, 1);
        const QList<StoredCategory> stored = test::storedCategories(t);
        ASSERT_EQ(stored.size(), c.before.size());
        ASSERT_EQ(stored.last().feeds.size(), 1);
        const StoredFeed &added = stored.last().feeds.first();
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                .match(added.id)
                .hasMatch())
            << added.id.toStdString();
        QList<StoredCategory> expected = c.before;
        expected.last().feeds.append(
            {QStringLiteral("Night Talk"), QStringLiteral("2"), added.id, url("/podcast")});
        EXPECT_EQ(stored, expected);
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedDialogTest, SameUrlTwiceGivesTwoFeeds)
{
    for (int i = 0; i < 2; ++i) {
        open(false, QStringLiteral("Podcasts"));
        proceedWith("/podcast");
        txtChannel()->setText(QStringLiteral("Copy %1").arg(i));
        btnOK()->click();
        ASSERT_EQ(dialog->result(), QDialog::Accepted);
    }

    const QList<StoredCategory> stored = test::storedCategories(t);
    ASSERT_EQ(stored.size(), 2);
    const QList<StoredFeed> feeds = stored[1].feeds;
    ASSERT_EQ(feeds.size(), 2);
    EXPECT_EQ(feeds[0].url, url("/podcast"));
    EXPECT_EQ(feeds[1].url, url("/podcast"));
    EXPECT_EQ(feeds[0].name, QStringLiteral("Copy 0"));
    EXPECT_EQ(feeds[1].name, QStringLiteral("Copy 1"));
    EXPECT_NE(feeds[0].id, feeds[1].id);
    EXPECT_EQ(reloads, 2);
}

TEST_F(FeedDialogTest, EditingKeepsIdentifierAndCategoryAndWritesNameTypeAndUrl)
{
    open(true, QStringLiteral("News"), kDaily.url, kDaily.name, kDaily.id);
    txtURL()->setText(url("/atom"));
    btnOK()->click();
    ASSERT_TRUE(inPhaseTwo());
    // The probe proposes the feed's own title over the current name.
    EXPECT_EQ(txtChannel()->text(), QStringLiteral("Atom Weekly"));
    EXPECT_FALSE(cmbCategories()->isEnabled());
    EXPECT_EQ(cmbCategories()->currentText(), QStringLiteral("News"));

    txtChannel()->setText(QStringLiteral("My Atom"));
    btnOK()->click();

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(reloads, 1);
    const QList<StoredCategory> expected{
        {QStringLiteral("News"),
         {{QStringLiteral("My Atom"), QStringLiteral("1"), kDaily.id, url("/atom")}}},
        {QStringLiteral("Podcasts"), {}}};
    EXPECT_EQ(test::storedCategories(t), expected);
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(FeedDialogTest, CategoryThatCannotBeCreatedKeepsTheDialogOpen)
{
    open(false, QString());
    proceedWith("/podcast");
    const QByteArray broken = "not a database";
    t.writeFile(QStringLiteral("feeds.fdb"), broken);
    cmbCategories()->setEditText(QStringLiteral("Science"));

    btnOK()->click();

    ASSERT_FALSE(t.messages.shown.isEmpty());
    const auto &last = t.messages.shown.last();
    EXPECT_EQ(last.icon, platform::MessageIcon::Warning);
    EXPECT_EQ(last.title, QStringLiteral("Failed to Create Category!"));
    EXPECT_EQ(last.text,
              QStringLiteral("Application failed to create specified Category. Please try "
                             "some other Category name or choose from existing ones."));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(inPhaseTwo());
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(t.readFile(QStringLiteral("feeds.fdb")), broken);
}

TEST_F(FeedDialogTest, CategoryBoxCompletesWhatIsTyped)
{
    open(false, QString());
    proceedWith("/podcast");
    cmbCategories()->setFocus();
    QLineEdit *edit = cmbCategories()->lineEdit();

    type(QStringLiteral("p"));
    EXPECT_EQ(edit->text(), QStringLiteral("Podcasts"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("odcasts"));

    type(QStringLiteral("x")); // no entry begins so: typed over the completed part
    EXPECT_EQ(edit->text(), QStringLiteral("Px"));

    press(Qt::Key_Backspace); // completes again from what is left
    EXPECT_EQ(edit->text(), QStringLiteral("Podcasts"));
    EXPECT_EQ(edit->selectedText(), QStringLiteral("odcasts"));

    type(QStringLiteral(".")); // clears the text
    EXPECT_EQ(edit->text(), QString());

    type(QStringLiteral("Zed"));
    EXPECT_EQ(edit->text(), QStringLiteral("Zed"));
    EXPECT_EQ(cmbCategories()->count(), 2);

    // Enter confirms the dialog with the text as typed.
    press(Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const QList<StoredCategory> stored = test::storedCategories(t);
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored[2].name, QStringLiteral("Zed"));
    EXPECT_EQ(stored[2].feeds.size(), 1);
}

TEST_F(FeedDialogTest, CancelAndEscapeStoreNothing)
{
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        open(false, QStringLiteral("News"));
        proceedWith("/podcast");

        if (escape)
            press(Qt::Key_Escape);
        else
            btnCancel()->click();

        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(t.readFile(QStringLiteral("feeds.fdb")), test::kTwoCategories);
}

TEST_F(FeedDialogTest, LanguageFileTranslatesTheLabelsButNotTheButtonsOrTitle)
{
    t.writeFile(
        QStringLiteral("Localization.txt"),
        test::germanLanguageFile({"<FRMADDFEED_LBLINFO2>Adresse des Feeds:</FRMADDFEED_LBLINFO2>",
                                  "<frmAddFeed_lblInfo0>Kategorie:</frmAddFeed_lblInfo0>",
                                  "<FRMADDFEED_BTNOK>Weiter</FRMADDFEED_BTNOK>",
                                  "<FRMADDFEED_BTNCANCEL>Abbrechen</FRMADDFEED_BTNCANCEL>",
                                  "<FRMADDFEED_CAPTION>Neuer Feed</FRMADDFEED_CAPTION>"}));
    languages.loadLanguage(QStringLiteral("German"));

    open(false, QString());

    EXPECT_EQ(child<QLabel>("lblInfo2")->text(), QStringLiteral("Adresse des Feeds:"));
    EXPECT_EQ(child<QLabel>("lblInfo0")->text(), QStringLiteral("Kategorie:"));
    EXPECT_EQ(child<QLabel>("lblInfo1")->text(), QStringLiteral("Channel Name:"));
    EXPECT_EQ(btnOK()->text(), QStringLiteral("Proceed ..."));
    EXPECT_EQ(btnCancel()->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Add New Feed ..."));
}

} // namespace
