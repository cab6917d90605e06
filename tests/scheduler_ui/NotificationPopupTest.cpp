#include "scheduler/NotificationPopup.h"

#include "localization/Languages.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "scheduler/NotificationAnnouncement.h"
#include "scheduler/PopupGeometry.h"

#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSoundEffect>
#include <QTest>
#include <QToolButton>
#include <QtEndian>

#include <gtest/gtest.h>

#include <memory>

namespace {

using PopupGeometry::twipsToPixels;

const QStringList kRows
    = {QStringLiteral("Alpha News -- 3 New Items"), QStringLiteral("Beta Atom -- 1 New Items")};

QLabel &label(const NotificationPopup &popup, const char *name)
{
    auto *label = popup.findChild<QLabel *>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return *label;
}

QStringList rows(const NotificationPopup &popup)
{
    QStringList rows;
    for (int i = 0; i < popup.lstResult().count(); ++i)
        rows << popup.lstResult().item(i)->text();
    return rows;
}

QRect workArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// A popup that has closed deletes itself once the event loop gets to it.
bool gone(const QPointer<NotificationPopup> &popup)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return popup.isNull();
}

// A short, valid PCM WAV file: 8 kHz, mono, 8 bit, 0.1 s of silence.
QByteArray silentWav()
{
    const QByteArray samples(800, char(0x80));
    auto le32 = [](quint32 v) {
        QByteArray b(4, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    auto le16 = [](quint16 v) {
        QByteArray b(2, 0);
        qToLittleEndian(v, b.data());
        return b;
    };
    return "RIFF" + le32(36 + samples.size()) + "WAVE" + "fmt " + le32(16) + le16(1) + le16(1)
        + le32(8000) + le32(8000) + le16(1) + le16(8) + "data" + le32(samples.size()) + samples;
}

// The popups run on the test's clock: each tick of the slide is one advance by kAnimateMs.
class NotificationPopupTest : public ::testing::Test {
protected:
    void SetUp() override { languages.registerDefaultMessages(); }

    void TearDown() override
    {
        // Popups a failed test left open must not reach into the next test.
        for (const QPointer<NotificationPopup> &popup : std::as_const(opened))
            delete popup.data();
    }

    QPointer<NotificationPopup> open(const PopupProperties &properties,
                                     const QStringList &rows = kRows)
    {
        auto *popup = new NotificationPopup(languages, t.clock);
        popup->setProperties(properties);
        for (const QString &row : rows)
            popup->addRow(row);
        popup->show();
        opened << popup;
        return popup;
    }

    void tick(int ticks = 1) { t.clock.advance(qint64(ticks) * NotificationPopup::kAnimateMs); }

    // Ticks until the popup has reached its design height, then once more: that tick finds it
    // there and ends the slide. Answers the rectangle of the popup after each tick that moved it.
    QList<QRect> slideOpen(const NotificationPopup &popup)
    {
        QList<QRect> places;
        while (popup.heightTwips() < popup.designHeightTwips() && places.size() < 1000) {
            tick();
            places << popup.geometry();
        }
        tick();
        return places;
    }

    // Closes the popup and lets its slide run to the end.
    void closeAndFinish(const QPointer<NotificationPopup> &popup)
    {
        popup->closeWindow();
        t.clock.advance(60000);
        ASSERT_TRUE(gone(popup));
    }

    test::TestContext t;
    Languages languages{t.dir.path(), ProgramIdentity{}};
    QList<QPointer<NotificationPopup>> opened;
};

TEST_F(NotificationPopupTest, SlidesUpOutOfTheBottomRightCornerOfTheWorkArea)
{
    const QPointer<NotificationPopup> popup = open({});
    EXPECT_EQ(popup->heightTwips(), 0) << "it starts flat on the bottom of the work area";
    const QList<QRect> places = slideOpen(*popup);

    const QRect area = workArea();
    ASSERT_GE(places.size(), 3);
    int previousTwips = 0;
    int previousHeight = 0;
    for (const QRect &place : places) {
        SCOPED_TRACE(place.height());
        EXPECT_EQ(place.y() + place.height(), area.y() + area.height());
        EXPECT_EQ(place.x() + place.width(), area.x() + area.width() - 5);
        // 100 twips a tick: 6 or 7 pixels.
        EXPECT_EQ(place.height(), twipsToPixels(previousTwips + 100));
        EXPECT_TRUE(place.height() - previousHeight == 6 || place.height() - previousHeight == 7);
        previousTwips += 100;
        previousHeight = place.height();
    }
    // The design height raised to the next step, and every control in sight.
    EXPECT_EQ(popup->heightTwips(), previousTwips);
    EXPECT_GE(popup->heightTwips(), popup->designHeightTwips());
    EXPECT_LT(popup->heightTwips() - popup->designHeightTwips(), 100);
    EXPECT_EQ(popup->height(), twipsToPixels(popup->heightTwips()));
    const QLabel &close = label(*popup, "lblClose");
    EXPECT_LE(close.mapTo(popup.data(), QPoint(0, close.height())).y(), popup->height());
    EXPECT_EQ(rows(*popup), kRows);
    // The slide has ended: nothing is timed any more.
    EXPECT_EQ(t.clock.activeTimers(), 0);
    EXPECT_EQ(popup->geometry(), places.last());

    const Qt::WindowFlags flags = popup->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(popup->isModal());
}

TEST_F(NotificationPopupTest, WithoutAutoCloseStaysUntilClosedAndOffersCloseWindow)
{
    PopupProperties properties;
    properties.autoClose = false;
    properties.timeToLive = 50;
    const QPointer<NotificationPopup> popup = open(properties);
    slideOpen(*popup);
    const int height = popup->heightTwips();

    t.clock.advance(600000);
    ASSERT_FALSE(gone(popup));
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(popup->isClosing());
    EXPECT_EQ(popup->heightTwips(), height);
    EXPECT_EQ(t.clock.activeTimers(), 0) << "no wait runs";
    EXPECT_TRUE(label(*popup, "lblClose").isVisible());
    EXPECT_EQ(label(*popup, "lblClose").text(), "Close Window");
    EXPECT_EQ(label(*popup, "lblHeader").text(), "New Feed Items Found!!!");
    EXPECT_EQ(label(*popup, "lblFeeds").text(), "Following Feeds Updated:");
}

TEST_F(NotificationPopupTest, WithAutoCloseClosesTimeToLiveAfterItHasOpened)
{
    PopupProperties properties;
    properties.autoClose = true;
    properties.timeToLive = 5000;
    const QPointer<NotificationPopup> popup = open(properties);
    EXPECT_FALSE(label(*popup, "lblClose").isVisible());
    EXPECT_TRUE(popup->findChild<QToolButton *>("picClose")->isVisible());
    // However long the slide takes, the wait starts only once the popup is fully open.
    slideOpen(*popup);
    const int height = popup->heightTwips();

    t.clock.advance(4999);
    ASSERT_FALSE(gone(popup)) << "gone before its time";
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(popup->isClosing());
    EXPECT_EQ(popup->heightTwips(), height);

    t.clock.advance(1);
    EXPECT_TRUE(popup->isClosing());
    // It slides down a step a tick, and unloads at the tick after the last step.
    const int steps = height / 100 - 1;
    tick(steps);
    EXPECT_EQ(popup->heightTwips(), 100);
    EXPECT_TRUE(popup->isVisible());
    tick();
    EXPECT_FALSE(popup->isVisible());
    EXPECT_TRUE(gone(popup));
}

TEST_F(NotificationPopupTest, ClosingWhileStillGrowingShrinksFromThereAndUnloads)
{
    // Enough rows for a tall popup, so that it is caught half-way up.
    QStringList rows;
    for (int i = 1; i <= 8; ++i)
        rows << QStringLiteral("Feed %1 -- %1 New Items").arg(i);
    for (const char *control : {"lblClose", "picClose"}) {
        SCOPED_TRACE(control);
        const QPointer<NotificationPopup> popup = open({}, rows);
        tick(5);
        const int from = popup->heightTwips();
        ASSERT_EQ(from, 500);
        ASSERT_LT(from, popup->designHeightTwips() - 200);

        QTest::mouseClick(popup->findChild<QWidget *>(QString::fromLatin1(control)),
                          Qt::LeftButton);
        EXPECT_TRUE(popup->isClosing());
        QList<int> heights;
        while (popup->isVisible() && heights.size() < 100) {
            tick();
            heights << popup->heightTwips();
        }

        // One step down a tick; the tick that finds one step left hides the popup.
        QList<int> expected;
        for (int height = from - 100; height >= 100; height -= 100)
            expected << height;
        expected << 100;
        EXPECT_EQ(heights, expected);
        EXPECT_TRUE(gone(popup));
    }
}

TEST_F(NotificationPopupTest, TransparencyOnlyWhenMadeTransparent)
{
    const struct {
        bool makeTransparent;
        qint16 percentage;
        int alpha;
    } cases[] = {
        {true, 10, 230}, {true, 0, 255}, {true, 30, 178}, {true, 150, 1}, {false, 50, 255},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.percentage);
        PopupProperties properties;
        properties.makeTransparent = c.makeTransparent;
        properties.transparencyPercentage = c.percentage;
        const QPointer<NotificationPopup> popup = open(properties);
        EXPECT_EQ(qRound(popup->windowOpacity() * 255), c.alpha);
        closeAndFinish(popup);
    }
}

TEST_F(NotificationPopupTest, PlaysAnExistingSoundFileAndOpensSilentlyWithoutOne)
{
    t.writeFile(QStringLiteral("notify.wav"), silentWav());
    const struct {
        bool playSound;
        QString path;
        bool plays;
    } cases[] = {
        {true, t.path("notify.wav"), true},
        {true, t.path("missing.wav"), false},
        {true, QString(), false},
        {true, t.dir.path(), false}, // a folder is no sound file
        {false, t.path("notify.wav"), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString() + (c.playSound ? " play" : " silent"));
        PopupProperties properties;
        properties.playSound = c.playSound;
        properties.soundFilePath = c.path;
        const QPointer<NotificationPopup> popup = open(properties);
        const auto *sound = popup->findChild<QSoundEffect *>();
        EXPECT_EQ(sound != nullptr, c.plays);
        if (sound) {
            EXPECT_EQ(sound->source(), QUrl::fromLocalFile(c.path));
        }
        slideOpen(*popup);
        EXPECT_GE(popup->heightTwips(), popup->designHeightTwips());
        EXPECT_TRUE(t.messages.shown.isEmpty());
        closeAndFinish(popup);
    }
}

TEST_F(NotificationPopupTest, TakesTheFocusOnlyWhenItMay)
{
    for (const bool canGainFocus : {false, true}) {
        SCOPED_TRACE(canGainFocus);
        QWidget editor;
        auto *edit = new QLineEdit(&editor);
        editor.show();
        editor.activateWindow();
        edit->setFocus();
        ASSERT_TRUE(test::waitUntil([&] { return QApplication::focusWidget() == edit; }));

        PopupProperties properties;
        properties.canGainFocus = canGainFocus;
        const QPointer<NotificationPopup> popup = open(properties);
        EXPECT_EQ(popup->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus), !canGainFocus);
        EXPECT_EQ(popup->testAttribute(Qt::WA_ShowWithoutActivating), !canGainFocus);
        slideOpen(*popup);
        // Time for the window system to activate a window, as it would the popup.
        QTest::qWait(50);

        if (canGainFocus) {
            // The offscreen platform activates every window it shows, so there the popup that
            // may take the focus does; this shows that the check below could see a theft.
            // (Without a window manager, under a bare X server, no tool window is activated.)
            if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
                EXPECT_EQ(QApplication::activeWindow(), popup.data());
            }
        } else {
            EXPECT_EQ(QApplication::activeWindow(), &editor);
            // Typing goes on in the field that had the focus.
            QTest::keyClicks(nullptr, QStringLiteral("abc"));
            EXPECT_EQ(edit->text(), "abc");
        }
        closeAndFinish(popup);
    }
}

TEST_F(NotificationPopupTest, CaptionsFollowTheCurrentLanguageWhenShown)
{
    t.writeFile("Localization.txt",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n"
                "<LANGUAGE_GROUP xml:lang=\"de\">\r\n"
                "\t<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n\t<TRANSLATION_ITEMS>\r\n"
                "\t\t<frmNotification_lblHeader>Neue Beiträge!</frmNotification_lblHeader>\r\n"
                "\t\t<FRMNOTIFICATION_LBLFEEDS>Aktualisiert:</FRMNOTIFICATION_LBLFEEDS>\r\n"
                "\t\t<frmNotification_lblClose>fenster schließen</frmNotification_lblClose>\r\n"
                "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n");
    languages.setCurrentLanguage(QStringLiteral("Deutsch"));
    auto popup = std::make_unique<NotificationPopup>(languages, t.clock);
    EXPECT_EQ(label(*popup, "lblClose").text(), "Close Window") << "translated when shown";
    popup->show();

    EXPECT_EQ(label(*popup, "lblHeader").text(), "Neue Beiträge!");
    EXPECT_EQ(label(*popup, "lblFeeds").text(), "Aktualisiert:");
    EXPECT_EQ(label(*popup, "lblClose").text(), "Fenster schließen");
    EXPECT_EQ(popup->findChild<QToolButton *>("picClose")->toolTip(), "Fenster schließen");
}

std::vector<NotificationPopup *> openPopups()
{
    std::vector<NotificationPopup *> popups;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *popup = qobject_cast<NotificationPopup *>(widget); popup && popup->isVisible())
            popups.push_back(popup);
    return popups;
}

TEST(NotificationAnnouncement, OpensOnePopupPerAnnouncementWithItsRowsAndProperties)
{
    test::TestContext t;
    Languages languages(t.dir.path(), ProgramIdentity{});
    languages.registerDefaultMessages();
    auto announcement = std::make_unique<NotificationAnnouncement>(languages, t.clock);

    PopupProperties first; // as the scheduled check sets them
    first.autoClose = false;
    first.canGainFocus = false;
    first.makeTransparent = true;
    first.transparencyPercentage = 10;
    PopupProperties second;
    second.autoClose = true;
    second.timeToLive = 60000;
    announcement->announce(first, kRows);
    announcement->announce(second, {QStringLiteral("Gamma Cast -- 2 New Items")});

    const std::vector<NotificationPopup *> popups = openPopups();
    ASSERT_EQ(popups.size(), 2u);
    for (NotificationPopup *popup : popups) {
        const bool isFirst = rows(*popup) == kRows;
        SCOPED_TRACE(isFirst);
        if (!isFirst) {
            EXPECT_EQ(rows(*popup), QStringList{"Gamma Cast -- 2 New Items"});
        }
        EXPECT_EQ(popup->autoClose(), !isFirst);
        EXPECT_EQ(qRound(popup->windowOpacity() * 255), isFirst ? 230 : 255);
        EXPECT_EQ(popup->timeToLive(), isFirst ? 0 : 60000);
        EXPECT_FALSE(popup->canGainFocus());
    }

    // Each slides and waits on the clock it was given: only the one that closes by itself goes.
    t.clock.advance(10000);
    EXPECT_EQ(openPopups().size(), 2u);
    t.clock.advance(60000);
    ASSERT_EQ(openPopups().size(), 1u);
    EXPECT_EQ(rows(*openPopups().front()), kRows);

    // Popups still open go with the announcement, before the language service can.
    const QPointer<NotificationPopup> any = openPopups().front();
    announcement.reset();
    EXPECT_TRUE(any.isNull());
    EXPECT_TRUE(openPopups().empty());
}

} // namespace
