#include "email/EmailSettingsDialog.h"

#include "localization/Languages.h"
#include "settings/Settings.h"
#include "support/TestContext.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

const QString kRequired = QStringLiteral("Required Field is Empty!");
const QString kFromEmailHint = QStringLiteral(
    "Please specify \"From Email\". Recipients will send Reply to this Email address. Make sure "
    "that Email address you specify here is allowed to pass through specified SMTP Server.");
const QString kFromNameHint = QStringLiteral(
    "Please specify \"From Name\". This will appear in Recipients' Inbox as \"Email Sender's "
    "Name\".");
const QString kPasswordHint = QStringLiteral(
    "Please specify Password to Authenticate your SMTP Email account. This is the same Password "
    "that you use to check your Email Inbox online.");
const QString kUsernameHint = QStringLiteral(
    "Please specify User Name to Authenticate your SMTP Email account. This is the same User "
    "name that you use to check your Email Inbox online.");
const QString kPortHint = QStringLiteral("Please specify SMTP Port Number. (Default = 25).");
const QString kSmtpHint = QStringLiteral("Please specify SMTP Email Server Name.");
const QString kPlainLoginTitle = QStringLiteral("Password Sent Unencrypted!");

struct EmailValues {
    QString server, port;
    bool auth;
    QString user, password, fromName, fromEmail;
    ConnectionSecurity security = ConnectionSecurity::StartTls;
    bool operator==(const EmailValues &) const = default;
};

void PrintTo(const EmailValues &v, std::ostream *out)
{
    *out << '{' << v.server.toStdString() << ", " << v.port.toStdString() << ", auth " << v.auth
         << ", " << v.user.toStdString() << ", " << v.password.toStdString() << ", "
         << v.fromName.toStdString() << ", " << v.fromEmail.toStdString() << ", security "
         << int(v.security) << '}';
}

const EmailValues kComplete{"smtp.example.org", "587", true, "ann", "s3cret", "Ann Example",
                            "ann@example.org"};

class EmailSettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        languages.registerDefaultMessages();
        store({});
    }

    // Writes the values as the program stores them; none at all leaves no file.
    void store(const EmailValues &v)
    {
        if (v != EmailValues{})
            Settings::saveEmail(t.ctx,
                                {v.server, v.port, v.auth, v.user, v.password, v.fromName,
                                 v.fromEmail, v.security});
    }
    EmailValues stored() const
    {
        const Settings::Email email = Settings::loadEmail(t.ctx);
        return {email.server,   email.port,     email.authenticate, email.user,
                email.password, email.fromName, email.fromAddress,  email.security};
    }

    // Opens the dialog as the main window does, shown instead of exec()ed.
    std::unique_ptr<EmailSettingsDialog> open()
    {
        auto dialog = std::make_unique<EmailSettingsDialog>(t.ctx, languages);
        dialog->prepare();
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    static QLineEdit *field(QWidget &dialog, const char *name)
    {
        auto *edit = dialog.findChild<QLineEdit *>(QString::fromLatin1(name));
        EXPECT_TRUE(edit) << name;
        return edit;
    }
    static QString text(QWidget &dialog, const char *name) { return field(dialog, name)->text(); }
    static QString label(QWidget &dialog, const char *name)
    {
        return dialog.findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    static QCheckBox *auth(QWidget &dialog)
    {
        return dialog.findChild<QCheckBox *>(QStringLiteral("chkAuth"));
    }
    static QComboBox *security(QWidget &dialog)
    {
        return dialog.findChild<QComboBox *>(QStringLiteral("cmbSecurity"));
    }
    // Picks the choice from the list as the user would.
    static void choose(QWidget &dialog, ConnectionSecurity choice)
    {
        QComboBox *box = security(dialog);
        box->setFocus();
        const int target = box->findData(int(choice));
        while (box->currentIndex() < target)
            QTest::keyClick(box, Qt::Key_Down);
        while (box->currentIndex() > target)
            QTest::keyClick(box, Qt::Key_Up);
    }
    // Types into the field as the user would, after selecting what it holds.
    static void type(QWidget &dialog, const char *name, const QString &value)
    {
        QLineEdit *edit = field(dialog, name);
        edit->selectAll();
        if (value.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, value);
    }
    static void fill(QWidget &dialog, const EmailValues &v)
    {
        type(dialog, "txtSMTP", v.server);
        type(dialog, "txtPort", v.port);
        choose(dialog, v.security);
        auth(dialog)->setChecked(v.auth);
        type(dialog, "txtFromName", v.fromName);
        type(dialog, "txtFromEmail", v.fromEmail);
        // While authentication is off the two fields are disabled and take no typing.
        auth(dialog)->setChecked(true);
        type(dialog, "txtUsername", v.user);
        type(dialog, "txtPassword", v.password);
        auth(dialog)->setChecked(v.auth);
    }
    static void click(QWidget &dialog, const char *buttonName)
    {
        QTest::mouseClick(dialog.findChild<QPushButton *>(QString::fromLatin1(buttonName)),
                          Qt::LeftButton);
    }
    static bool authenticationEnabled(QWidget &dialog)
    {
        const bool enabled = field(dialog, "txtUsername")->isEnabled();
        EXPECT_EQ(dialog.findChild<QLabel *>("lblUsername")->isEnabled(), enabled);
        EXPECT_EQ(dialog.findChild<QLabel *>("lblPassword")->isEnabled(), enabled);
        EXPECT_EQ(field(dialog, "txtPassword")->isEnabled(), enabled);
        return enabled;
    }

    test::TestContext t;
    Languages languages{t.ctx.appFolder, ProgramIdentity{}};
};

TEST_F(EmailSettingsDialogTest, WithoutConfigurationShowsEmptyFieldsAndAuthenticationOff)
{
    auto dialog = open();

    EXPECT_EQ(dialog->objectName(), "frmEmailSettings");
    EXPECT_EQ(dialog->windowTitle(), "Email Settings");
    EXPECT_EQ(label(*dialog, "lblSMTP"), "SMTP Server:");
    EXPECT_EQ(label(*dialog, "lblPort"), "Port:");
    EXPECT_EQ(label(*dialog, "lblSecurity"), "Connection security:");
    EXPECT_EQ(auth(*dialog)->text(), "My Server Requires Authentication.");
    EXPECT_EQ(label(*dialog, "lblUsername"), "User Name:");
    EXPECT_EQ(label(*dialog, "lblPassword"), "Password:");
    EXPECT_EQ(label(*dialog, "lblFromName"), "From-Name:");
    EXPECT_EQ(label(*dialog, "lblFromEmail"), "From-Email:");
    EXPECT_EQ(dialog->findChild<QPushButton *>("btnOK")->text(), "OK");
    EXPECT_EQ(dialog->findChild<QPushButton *>("btnCancel")->text(), "Cancel");
    EXPECT_EQ(field(*dialog, "txtPassword")->echoMode(), QLineEdit::Password);

    for (const char *name :
         {"txtSMTP", "txtPort", "txtUsername", "txtPassword", "txtFromName", "txtFromEmail"})
        EXPECT_EQ(text(*dialog, name), "") << name << ": the stale memory is not shown";
    EXPECT_FALSE(auth(*dialog)->isChecked());
    EXPECT_FALSE(authenticationEnabled(*dialog));
    QStringList choices;
    for (int i = 0; i < security(*dialog)->count(); ++i)
        choices << security(*dialog)->itemText(i);
    EXPECT_EQ(choices, QStringList({"STARTTLS", "SSL/TLS", "None"}));
    EXPECT_EQ(security(*dialog)->currentText(), "STARTTLS") << "encrypted unless told otherwise";

    auth(*dialog)->setChecked(true);
    EXPECT_TRUE(authenticationEnabled(*dialog));
    auth(*dialog)->setChecked(false);
    EXPECT_FALSE(authenticationEnabled(*dialog));
}

TEST_F(EmailSettingsDialogTest, ShowsTheStoredValues)
{
    const EmailValues cases[] = {
        kComplete,
        {"mail.example.net", "25", false, "bob", "hidden", "Bob", "bob@example.net",
         ConnectionSecurity::None},
        {"smtp.example.com", "465", true, "zoë", "pässwörd€-✓-中文-😀", "Zoë 中文", "z@example.com",
         ConnectionSecurity::Tls},
    };
    for (const EmailValues &v : cases) {
        store(v);
        auto dialog = open();

        EXPECT_EQ(text(*dialog, "txtSMTP"), v.server);
        EXPECT_EQ(text(*dialog, "txtPort"), v.port);
        EXPECT_EQ(security(*dialog)->currentData().toInt(), int(v.security));
        EXPECT_EQ(auth(*dialog)->isChecked(), v.auth);
        EXPECT_EQ(authenticationEnabled(*dialog), v.auth) << v.server.toStdString();
        EXPECT_EQ(text(*dialog, "txtUsername"), v.user);
        EXPECT_EQ(text(*dialog, "txtPassword"), v.password);
        EXPECT_EQ(text(*dialog, "txtFromName"), v.fromName);
        EXPECT_EQ(text(*dialog, "txtFromEmail"), v.fromEmail);
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(EmailSettingsDialogTest, OkStoresTheFieldsAsTyped)
{
    const EmailValues cases[] = {
        // Without authentication the user name and password may stay empty.
        {"smtp.example.org", "25", false, "", "", "Ann", "ann@example.org"},
        // Texts keep their surrounding spaces.
        {" smtp.example.org ", "465", true, " ann ", " pass word ", " Ann Example ",
         "ann@example.org ", ConnectionSecurity::Tls},
        // Nothing secret goes over the unencrypted connection: no question.
        {"smtp.example.org", "25", false, "", "", "Ann", "ann@example.org",
         ConnectionSecurity::None},
    };
    for (const EmailValues &v : cases) {
        t.messages.shown.clear();
        store(kComplete);
        auto dialog = open();
        fill(*dialog, v);
        click(*dialog, "btnOK");

        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_FALSE(dialog->isVisible());
        ASSERT_EQ(t.messages.shown.size(), 1);
        EXPECT_EQ(t.messages.shown.at(0).icon, MessageIcon::Information);
        EXPECT_EQ(t.messages.shown.at(0).title, "Done!");
        EXPECT_EQ(t.messages.shown.at(0).text, "Email Settings are Successfully Saved!");
        EXPECT_EQ(stored(), v);
    }
}

struct MissingCase {
    const char *what;
    EmailValues values;
    const char *focus;
    QString hint;
};

TEST_F(EmailSettingsDialogTest, OkNamesTheFirstBlankRequiredField)
{
    const MissingCase cases[] = {
        {"everything empty", {"", "", true, "", "", "", ""}, "txtFromEmail", kFromEmailHint},
        {"sender name and server",
         {"", "25", true, "a", "p", "", "a@b"},
         "txtFromName",
         kFromNameHint},
        {"password", {"s", "25", true, "a", "", "A", "a@b"}, "txtPassword", kPasswordHint},
        {"password of spaces",
         {"s", "25", true, "a", "   ", "A", "a@b"},
         "txtPassword",
         kPasswordHint},
        {"user name and port", {"s", "", true, "", "p", "A", "a@b"}, "txtUsername", kUsernameHint},
        {"port and server", {"", "", true, "a", "p", "A", "a@b"}, "txtPort", kPortHint},
        {"server of spaces", {"  ", "25", true, "a", "p", "A", "a@b"}, "txtSMTP", kSmtpHint},
        {"server, no authentication", {"", "25", false, "", "", "A", "a@b"}, "txtSMTP", kSmtpHint},
    };
    for (const MissingCase &c : cases) {
        t.messages.shown.clear();
        auto dialog = open();
        fill(*dialog, c.values);
        dialog->findChild<QPushButton *>("btnCancel")->setFocus();
        click(*dialog, "btnOK");

        ASSERT_EQ(t.messages.shown.size(), 1) << c.what;
        EXPECT_EQ(t.messages.shown.at(0).icon, MessageIcon::Warning) << c.what;
        EXPECT_EQ(t.messages.shown.at(0).title, kRequired) << c.what;
        EXPECT_EQ(t.messages.shown.at(0).text, c.hint) << c.what;
        EXPECT_EQ(dialog->focusWidget(), field(*dialog, c.focus)) << c.what;
        EXPECT_TRUE(dialog->isVisible()) << c.what;
        EXPECT_EQ(dialog->result(), QDialog::Rejected) << c.what << ": not accepted";
    }
    EXPECT_FALSE(QFileInfo::exists(t.path("AppCfg.cfg"))) << "nothing saved";
}

// Logging in over a connection without encryption is saved only once the user agrees, and the
// question comes once: not again while the stored settings already do so.
TEST_F(EmailSettingsDialogTest, ALoginWithoutEncryptionIsSavedOnlyOnceAgreed)
{
    EmailValues plainLogin = kComplete;
    plainLogin.security = ConnectionSecurity::None;

    auto dialog = open();
    fill(*dialog, plainLogin);
    t.messages.answers = {MessageAnswer::No};
    click(*dialog, "btnOK");

    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(t.messages.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(t.messages.shown[0].title, kPlainLoginTitle);
    EXPECT_TRUE(t.messages.shown[0].text.contains("unencrypted"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), security(*dialog));
    EXPECT_FALSE(QFileInfo::exists(t.path("AppCfg.cfg"))) << "nothing saved";

    t.messages.answers = {MessageAnswer::Yes};
    click(*dialog, "btnOK");
    ASSERT_EQ(t.messages.shown.size(), 3);
    EXPECT_EQ(t.messages.shown[1].title, kPlainLoginTitle);
    EXPECT_EQ(t.messages.shown[2].title, "Done!");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(stored(), plainLogin);

    // Agreed once; the settings keep it.
    t.messages.shown.clear();
    dialog = open();
    click(*dialog, "btnOK");
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].title, "Done!");

    // Switching to it again from an encrypted connection asks again.
    store(kComplete);
    t.messages.shown.clear();
    dialog = open();
    choose(*dialog, ConnectionSecurity::None);
    click(*dialog, "btnOK");
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].title, kPlainLoginTitle);
    EXPECT_EQ(stored(), kComplete);
}

TEST_F(EmailSettingsDialogTest, PortFieldKeepsOnlyDigits)
{
    auto dialog = open();
    QLineEdit *port = field(*dialog, "txtPort");

    QTest::keyClicks(port, QStringLiteral("2a5 -x"));
    EXPECT_EQ(port->text(), "25") << "letters, signs and spaces dropped";
    QTest::keyClick(port, Qt::Key_Backspace);
    EXPECT_EQ(port->text(), "2");

    // Other scripts' digits are no port digits either.
    QApplication::clipboard()->setText(QStringLiteral(" 5x8\r\n\u06637"));
    port->paste();
    EXPECT_EQ(port->text(), "2587");
    EXPECT_EQ(port->cursorPosition(), 4);

    port->setCursorPosition(1);
    QTest::keyClicks(port, QStringLiteral("b9"));
    EXPECT_EQ(port->text(), "29587");
    EXPECT_EQ(port->cursorPosition(), 2) << "the cursor stays behind the typed digit";
}

TEST_F(EmailSettingsDialogTest, CancelAndEscapeSaveNothing)
{
    store(kComplete);
    const QByteArray before = t.readFile(QStringLiteral("AppCfg.cfg"));
    for (const bool escape : {false, true}) {
        auto dialog = open();
        fill(*dialog, {"other.example", "2525", false, "", "", "Other", "other@example"});
        if (escape)
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else
            click(*dialog, "btnCancel");

        EXPECT_EQ(dialog->result(), QDialog::Rejected) << "escape " << escape;
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_EQ(t.readFile(QStringLiteral("AppCfg.cfg")), before);
    EXPECT_EQ(stored(), kComplete);
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(EmailSettingsDialogTest, CaptionsFollowTheCurrentLanguage)
{
    t.writeFile(
        "Localization.txt",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n"
        "<LANGUAGE_GROUP xml:lang=\"de\">\r\n"
        "\t<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n\t<TRANSLATION_ITEMS>\r\n"
        "\t\t<frmEmailSettings_lblSMTP>SMTP-Server:</frmEmailSettings_lblSMTP>\r\n"
        "\t\t<FRMEMAILSETTINGS_LBLUSERNAME>Benutzer:</FRMEMAILSETTINGS_LBLUSERNAME>\r\n"
        "\t\t<frmEmailSettings_lblFromEmail>Absender:</frmEmailSettings_lblFromEmail>\r\n"
        "\t\t<frmEmailSettings_chkAuth>Anmeldung nötig.</frmEmailSettings_chkAuth>\r\n"
        "\t\t<frmEmailSettings_lblSecurity>Verschlüsselung:</frmEmailSettings_lblSecurity>\r\n"
        "\t\t<frmEmailSettings_btnOK>Jawohl</frmEmailSettings_btnOK>\r\n"
        "\t\t<CAPTION_FRMEMAILSETTINGS>E-Mail-Server</CAPTION_FRMEMAILSETTINGS>\r\n"
        "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n");
    languages.setCurrentLanguage(QStringLiteral("Deutsch"));
    auto dialog = open();

    EXPECT_EQ(dialog->windowTitle(), "E-Mail-Server");
    EXPECT_EQ(label(*dialog, "lblSMTP"), "SMTP-Server:");
    EXPECT_EQ(label(*dialog, "lblUsername"), "Benutzer:");
    EXPECT_EQ(label(*dialog, "lblFromEmail"), "Absender:");
    EXPECT_EQ(auth(*dialog)->text(), "Anmeldung nötig.");
    EXPECT_EQ(label(*dialog, "lblSecurity"), "Verschlüsselung:");
    EXPECT_EQ(label(*dialog, "lblPort"), "Port:") << "no translation, no change";
    EXPECT_EQ(dialog->findChild<QPushButton *>("btnOK")->text(), "OK");
}

} // namespace
