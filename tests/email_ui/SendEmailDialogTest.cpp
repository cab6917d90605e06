#include "email/SendEmailDialog.h"

#include "common/Scramble.h"
#include "localization/Languages.h"
#include "platform/AppFolder.h"
#include "settings/Settings.h"
#include "support/LocalSmtpServer.h"
#include "support/TestContext.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

using platform::MessageIcon;
using test::LocalSmtpServer;
using test::ReceivedMail;

const QString kRefused = QStringLiteral("refused@example.org");
const QString kFailurePrefix
    = QStringLiteral("Failed to Send Email due to following error: \r\n\r\n");

QString normalized(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

class SendEmailDialogTest : public ::testing::Test {
protected:
    // Started on first use: a Python process costs a few tenths of a second.
    static LocalSmtpServer &server()
    {
        static const std::unique_ptr<LocalSmtpServer> server = [] {
            auto started = std::make_unique<LocalSmtpServer>();
            EXPECT_TRUE(started->start({{}, {}, {kRefused}}))
                << "the test SMTP server did not start";
            return started;
        }();
        return *server;
    }
    // Takes AUTH in clear and offers no STARTTLS.
    static LocalSmtpServer &withAuth()
    {
        static const std::unique_ptr<LocalSmtpServer> server = [] {
            auto started = std::make_unique<LocalSmtpServer>();
            EXPECT_TRUE(started->start({QStringLiteral("reader"), QStringLiteral("s3cret"), {}}))
                << "the test SMTP server did not start";
            return started;
        }();
        return *server;
    }

    void SetUp() override
    {
        languages.registerDefaultMessages();
        ASSERT_TRUE(QFile::copy(platform::shippedFilesFolder() + QStringLiteral("/email.tpl"),
                                t.path(QStringLiteral("email.tpl"))));
        useServerAt(25);
    }

    void useServerAt(int port)
    {
        Settings::Email email;
        email.server = QStringLiteral("127.0.0.1");
        email.port = QString::number(port);
        email.fromName = QStringLiteral("Marlowin Reader");
        email.fromAddress = QStringLiteral("me@example.com");
        // The test servers speak no TLS; without a login nothing secret goes over the connection.
        email.security = ConnectionSecurity::None;
        Settings::saveEmail(t.ctx, email);
    }

    // Opens the dialog as the feed window's command does, shown instead of exec()ed.
    std::unique_ptr<SendEmailDialog> open(const QString &channel = QStringLiteral("Tech News"))
    {
        auto dialog = std::make_unique<SendEmailDialog>(t.ctx, languages);
        dialog->setChannelName(channel);
        dialog->setFeedTitle(QStringLiteral("Rust & C++ <compared>"));
        dialog->setItemLink(QStringLiteral("https://example.org/items/42"));
        dialog->setItemDescription(QStringLiteral("<p>The <b>whole</b> story.</p>"));
        dialog->prepare();
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    template<typename T> static T *child(QWidget &dialog, const char *name)
    {
        T *widget = dialog.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static QRadioButton *option(QWidget &dialog, int index)
    {
        for (QRadioButton *button :
             dialog.findChildren<QRadioButton *>(QStringLiteral("optSend"))) {
            if (button->property("controlIndex").toInt() == index)
                return button;
        }
        ADD_FAILURE() << "no optSend(" << index << ")";
        return nullptr;
    }
    static QString status(QWidget &dialog)
    {
        return child<QStatusBar>(dialog, "ucStatus")->currentMessage();
    }
    // Returns once the send has ended: OK waits for the outcome in its own event loop.
    static void send(QWidget &dialog, const QString &to)
    {
        child<QLineEdit>(dialog, "txtTo")->setText(to);
        QTest::mouseClick(child<QPushButton>(dialog, "btnOK"), Qt::LeftButton);
    }

    static QList<ReceivedMail> arrived(qsizetype before) { return server().messages().mid(before); }

    test::TestContext t;
    Languages languages{t.ctx.appFolder, ProgramIdentity{}};
};

TEST_F(SendEmailDialogTest, OpensReadyToSendTheLink)
{
    auto dialog = open();

    EXPECT_EQ(dialog->objectName(), "frmSendEmail");
    EXPECT_EQ(dialog->windowTitle(), "Send Email");
    EXPECT_EQ(child<QLineEdit>(*dialog, "txtSubject")->text(), "An Article from \"Tech News\"");
    EXPECT_EQ(child<QLineEdit>(*dialog, "txtTo")->text(), "");
    EXPECT_EQ(child<QPlainTextEdit>(*dialog, "txtMessage")->toPlainText(),
              "Hello,\n\nI have found an interesting article that you may want to look at, which "
              "is attached below.\n");
    EXPECT_EQ(child<QLabel>(*dialog, "lblToNote")->text(),
              "Seperate Multiple Recipients by semi-colon (;) character.");
    EXPECT_FALSE(option(*dialog, 0)->isChecked());
    EXPECT_EQ(option(*dialog, 0)->text(), "Send Complete Item Description.");
    EXPECT_TRUE(option(*dialog, 1)->isChecked());
    EXPECT_EQ(option(*dialog, 1)->text(), "Just Send Item Link.");
    EXPECT_EQ(status(*dialog), "Idle.");
    for (const char *name : {"btnOK", "btnCancel"})
        EXPECT_TRUE(child<QPushButton>(*dialog, name)->property("untranslated").toBool()) << name;
    EXPECT_TRUE(child<QPushButton>(*dialog, "btnOK")->isDefault());
}

TEST_F(SendEmailDialogTest, SendsTheItemAndStaysOpenForTheNextRecipient)
{
    const struct {
        const char *name;
        int option;
        QString message;
        QStringList bodyParts;
    } cases[] = {
        {"link and a two-line message",
         1,
         "First line\nsecond line",
         {"First line\n<br>\nsecond line",
          "View Online: <a href='https://example.org/items/42'>https://example.org/items/42</a>"}},
        {"description and no message", 0, "  \n ", {"- None -", "<p>The <b>whole</b> story.</p>"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        useServerAt(server().port());
        const qsizetype before = server().messages().size();
        t.messages.shown.clear();
        auto dialog = open();
        option(*dialog, c.option)->setChecked(true);
        child<QPlainTextEdit>(*dialog, "txtMessage")->setPlainText(c.message);

        send(*dialog, QStringLiteral("ann@example.org; bob@example.net"));

        ASSERT_EQ(t.messages.shown.size(), 1);
        EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Information);
        EXPECT_EQ(t.messages.shown[0].title, "Done!");
        EXPECT_EQ(t.messages.shown[0].text, "Email Successfully Sent!");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(status(*dialog), "Idle.");
        auto *to = child<QLineEdit>(*dialog, "txtTo");
        EXPECT_EQ(to->selectedText(), "ann@example.org; bob@example.net");
        EXPECT_TRUE(to->hasFocus());
        EXPECT_TRUE(child<QPushButton>(*dialog, "btnOK")->isEnabled());
        EXPECT_TRUE(child<QPushButton>(*dialog, "btnCancel")->isEnabled());

        const QList<ReceivedMail> mails = arrived(before);
        ASSERT_EQ(mails.size(), 1);
        EXPECT_EQ(mails[0].recipients, QStringList({"ann@example.org", "bob@example.net"}));
        EXPECT_EQ(mails[0].subject, "An Article from \"Tech News\"");
        EXPECT_EQ(mails[0].from, "Marlowin Reader <me@example.com>");
        EXPECT_EQ(mails[0].header("Date").value(0).left(25), "Sat, 14 Mar 2026 09:26:53");
        const QString body = normalized(mails[0].body);
        QStringList expected = c.bodyParts;
        expected << "Marlowin Reader"
                 << "Rust &amp; C++ &lt;compared&gt;"
                 << "This Email is manually sent using Marlowin.";
        for (const QString &part : expected)
            EXPECT_TRUE(body.contains(part)) << part.toStdString() << "\n" << body.toStdString();
        EXPECT_TRUE(body.trimmed().endsWith("<hr size='1' color='#666666'>")) << body.toStdString();
    }
}

// A channel name is feed text: it reaches the subject, never a header of its own.
TEST_F(SendEmailDialogTest, ChannelNameCannotAddHeadersOrRecipients)
{
    useServerAt(server().port());
    const qsizetype before = server().messages().size();
    auto dialog = open(QStringLiteral("News\r\nBcc: eve@example.org"));

    send(*dialog, QStringLiteral("ann@example.org"));

    const QList<ReceivedMail> mails = arrived(before);
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0].recipients, QStringList({"ann@example.org"}));
    EXPECT_EQ(mails[0].header("Bcc"), QStringList());
    EXPECT_FALSE(mails[0].subject.contains(QLatin1Char('\n')));
}

TEST_F(SendEmailDialogTest, FailureIsReportedAndKeepsWhatWasEntered)
{
    const struct {
        const char *name;
        int port; // 0: the test server
        QString to;
        QString explanationPart;
    } cases[] = {
        {"refused recipient", 0, "ann@example.org;" + kRefused, "550"},
        {"closed port", LocalSmtpServer::closedPort(), "ann@example.org", "Failed to connect"},
        {"no recipient", 0, "  ", "No recipient address is given."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        useServerAt(c.port ? c.port : server().port());
        const qsizetype before = server().messages().size();
        t.messages.shown.clear();
        auto dialog = open();

        send(*dialog, c.to);

        ASSERT_EQ(t.messages.shown.size(), 1);
        const auto &box = t.messages.shown[0];
        EXPECT_EQ(box.title, "");
        EXPECT_EQ(box.buttons, platform::MessageButtons::Ok);
        EXPECT_TRUE(box.text.startsWith(kFailurePrefix)) << box.text.toStdString();
        EXPECT_TRUE(box.text.contains(c.explanationPart)) << box.text.toStdString();
        EXPECT_EQ(status(*dialog), "Error: Failed to send Email!");
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(child<QLineEdit>(*dialog, "txtTo")->text(), c.to);
        EXPECT_TRUE(child<QPushButton>(*dialog, "btnOK")->isEnabled());
        EXPECT_TRUE(arrived(before).isEmpty());
    }
}

// Settings saved before there was a choice of connection security insist on STARTTLS: a server
// that does not offer it gets no password, and the failure says why and where to change it.
TEST_F(SendEmailDialogTest, EarlierSettingsInsistOnAnEncryptedConnection)
{
    QByteArray config = "[email]\r\n";
    for (const auto &[key, value] : {std::pair{"sv", QStringLiteral("127.0.0.1")},
                                     {"po", QString::number(withAuth().port())},
                                     {"au", QStringLiteral("1")},
                                     {"us", QStringLiteral("reader")},
                                     {"pw", QStringLiteral("s3cret")},
                                     {"fn", QStringLiteral("Marlowin Reader")},
                                     {"fe", QStringLiteral("me@example.com")}})
        config += key + ("=" + Scramble::scramble(value).toLatin1()) + "\r\n";
    t.writeFile(QStringLiteral("AppCfg.cfg"), config);
    const qsizetype mailsBefore = withAuth().messages().size();
    const qsizetype authBefore = withAuth().authCommands().size();
    auto dialog = open();

    send(*dialog, QStringLiteral("ann@example.org"));

    ASSERT_EQ(t.messages.shown.size(), 1);
    const QString text = t.messages.shown[0].text;
    EXPECT_TRUE(text.startsWith(kFailurePrefix
                                + "The server does not offer an encrypted "
                                  "connection (STARTTLS)"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Email Settings, Connection security")) << text.toStdString();
    EXPECT_EQ(withAuth().messages().size(), mailsBefore);
    EXPECT_EQ(withAuth().authCommands().size(), authBefore);
}

// A password the keyring holds but does not give is not replaced by none at all.
TEST_F(SendEmailDialogTest, APasswordTheKeyringDoesNotGiveStopsTheSend)
{
    t.secrets.available = true;
    Settings::Email email = Settings::loadEmail(t.ctx);
    email.port = QString::number(withAuth().port());
    email.authenticate = true;
    email.user = QStringLiteral("reader");
    email.password = QStringLiteral("s3cret");
    ASSERT_EQ(Settings::saveEmail(t.ctx, email), Settings::PasswordPlace::Keyring);
    t.secrets.available = false;
    const qsizetype authBefore = withAuth().authCommands().size();
    auto dialog = open();

    send(*dialog, QStringLiteral("ann@example.org"));

    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].text,
              kFailurePrefix
                  + "The password could not be read from the desktop's keyring: No keyring\r\n"
                    "Enter it again under Email Settings.");
    EXPECT_EQ(status(*dialog), "Error: Failed to send Email!");
    EXPECT_EQ(withAuth().authCommands().size(), authBefore);
}

TEST_F(SendEmailDialogTest, OfflineSendsNothing)
{
    t.connection.connected = false;
    auto dialog = open();

    send(*dialog, QStringLiteral("ann@example.org"));

    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(t.messages.shown[0].title, "Working Offline?");
    EXPECT_EQ(t.messages.shown[0].text,
              "Application faled to access Internet connection on this machine. Please make sure "
              "you're connected to Internet and try again ...");
    EXPECT_EQ(status(*dialog), "Idle.");
}

// While the server keeps the message waiting, the program goes on handling events, the buttons
// are disabled and neither Cancel nor Escape closes the dialog. Dropping the connection ends it.
TEST_F(SendEmailDialogTest, StaysOpenWhileSending)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    useServerAt(silent.serverPort());
    auto dialog = open();
    bool sawSending = false;
    QTimer::singleShot(300, dialog.get(), [&] {
        QWidget &d = *dialog;
        sawSending = true;
        EXPECT_FALSE(child<QPushButton>(d, "btnOK")->isEnabled());
        EXPECT_FALSE(child<QPushButton>(d, "btnCancel")->isEnabled());
        EXPECT_TRUE(status(d).startsWith("Connecting to 127.0.0.1:")) << status(d).toStdString();
        QTest::keyClick(&d, Qt::Key_Escape);
        dialog->reject();
        dialog->close();
        EXPECT_TRUE(d.isVisible());
        ASSERT_TRUE(silent.hasPendingConnections());
        silent.nextPendingConnection()->abort();
    });

    send(*dialog, QStringLiteral("ann@example.org"));

    EXPECT_TRUE(sawSending);
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_TRUE(t.messages.shown[0].text.startsWith(kFailurePrefix));
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
}

} // namespace
