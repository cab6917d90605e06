// The mail account from end to end: typed into the settings dialog, kept in the file or in the
// desktop's keyring, and given to a real SMTP server by the send dialog.

#include "email/EmailSettingsDialog.h"
#include "email/SendEmailDialog.h"

#include "localization/Languages.h"
#include "platform/AppFolder.h"
#include "platform/Clock.h"
#include "platform/KeychainSecretStore.h"
#include "settings/Settings.h"
#include "support/LocalSmtpServer.h"
#include "support/PrivateKeyring.h"
#include "support/TestContext.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using platform::MessageAnswer;
using test::LocalSmtpServer;

const QString kUser = QStringLiteral("zoë@example.org");
const QString kPassword = QStringLiteral("pässwörd€-✓-中文-😀");

template<typename T> T *child(QWidget &dialog, const char *name)
{
    T *widget = dialog.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Pasted, as a password often is; typing sends the emoji as two halves.
void paste(QWidget &dialog, const char *name, const QString &text)
{
    auto *field = child<QLineEdit>(dialog, name);
    field->selectAll();
    QApplication::clipboard()->setText(text);
    field->paste();
}

// Runs on a session bus with a keyring of its own (private_keyring.sh).
class MailAccountTest : public test::PrivateKeyringTest {
protected:
    static LocalSmtpServer &server()
    {
        static const std::unique_ptr<LocalSmtpServer> server = [] {
            auto started = std::make_unique<LocalSmtpServer>();
            EXPECT_TRUE(started->start({kUser, kPassword, {}}))
                << "the test SMTP server did not start";
            return started;
        }();
        return *server;
    }
};

TEST_F(MailAccountTest, AUnicodePasswordReachesTheServerFromTheFileOrTheKeyring)
{
    const struct {
        const char *name;
        platform::SecretStore *store; // null: no keyring answers
        Settings::PasswordPlace place;
    } cases[] = {
        {"file", nullptr, Settings::PasswordPlace::File},
        {"keyring", &keyring, Settings::PasswordPlace::Keyring},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        test::TestContext t(c.store);
        Languages languages(t.ctx.appFolder, ProgramIdentity{});
        languages.registerDefaultMessages();
        ASSERT_TRUE(QFile::copy(platform::shippedFilesFolder() + QStringLiteral("/email.tpl"),
                                t.path(QStringLiteral("email.tpl"))));

        {
            EmailSettingsDialog settings(t.ctx, languages);
            settings.prepare();
            settings.show();
            paste(settings, "txtSMTP", QStringLiteral("127.0.0.1"));
            paste(settings, "txtPort", QString::number(server().port()));
            // The test server speaks no TLS; logging in without it is agreed to below.
            auto *security = child<QComboBox>(settings, "cmbSecurity");
            security->setCurrentIndex(security->findText(QStringLiteral("None")));
            child<QCheckBox>(settings, "chkAuth")->setChecked(true);
            paste(settings, "txtUsername", kUser);
            paste(settings, "txtPassword", kPassword);
            paste(settings, "txtFromName", QStringLiteral("Zoë 中文"));
            paste(settings, "txtFromEmail", QStringLiteral("zoe@example.org"));
            t.messages.answers = {MessageAnswer::Yes};
            QTest::mouseClick(child<QPushButton>(settings, "btnOK"), Qt::LeftButton);
            ASSERT_EQ(settings.result(), QDialog::Accepted);
        }
        const QByteArray config = t.readFile(QStringLiteral("AppCfg.cfg"));
        const QByteArray storedPassword = kPassword.toUtf8().toPercentEncoding();
        EXPECT_EQ(config.contains(storedPassword), c.place == Settings::PasswordPlace::File);

        const qsizetype before = server().messages().size();
        t.messages.shown.clear();
        SendEmailDialog send(t.ctx, languages);
        send.setChannelName(QStringLiteral("Tech News"));
        send.setFeedTitle(QStringLiteral("An item"));
        send.setItemLink(QStringLiteral("https://example.org/items/42"));
        send.prepare();
        send.show();
        child<QLineEdit>(send, "txtTo")->setText(QStringLiteral("ann@example.org"));
        QTest::mouseClick(child<QPushButton>(send, "btnOK"), Qt::LeftButton);

        ASSERT_EQ(t.messages.shown.size(), 1);
        EXPECT_EQ(t.messages.shown[0].text, "Email Successfully Sent!");
        const QList<test::ReceivedMail> mails = server().messages().mid(before);
        ASSERT_EQ(mails.size(), 1);
        EXPECT_TRUE(mails[0].authenticated) << "the server took the user name and password";
        EXPECT_EQ(mails[0].from, "Zoë 中文 <zoe@example.org>");
    }
}

} // namespace
