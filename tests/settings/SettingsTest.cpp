#include "settings/Settings.h"

#include "platform/Clock.h"
#include "platform/KeychainSecretStore.h"
#include "support/PrivateKeyring.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace Settings {

bool operator==(const Email &a, const Email &b)
{
    return a.server == b.server && a.port == b.port && a.authenticate == b.authenticate
        && a.user == b.user && a.password == b.password && a.fromName == b.fromName
        && a.fromAddress == b.fromAddress && a.security == b.security
        && a.passwordProblem == b.passwordProblem;
}

void PrintTo(const Email &v, std::ostream *out)
{
    *out << '{' << v.server.toStdString() << ", " << v.port.toStdString() << ", " << v.authenticate
         << ", " << v.user.toStdString() << ", " << v.password.toStdString() << ", "
         << v.fromName.toStdString() << ", " << v.fromAddress.toStdString() << ", security "
         << int(v.security) << ", " << v.passwordProblem.toStdString() << '}';
}

} // namespace Settings

namespace {

using Settings::PasswordPlace;

const QString kConfigName = QStringLiteral("AppCfg.cfg");
const QString kUnicodePassword = QStringLiteral("pässwörd€-✓-中文-😀");

Settings::Email account(const QString &password)
{
    return {"smtp.example.org", "587", true, "änn", password, "Änn Example", "ann@example.org"};
}

class Config : public ::testing::Test {
protected:
    void write(const QByteArray &bytes) { t.writeFile(kConfigName, bytes); }
    [[nodiscard]] QByteArray bytes() const { return t.readFile(kConfigName); }
    // The permission bits of the file.
    [[nodiscard]] unsigned mode() const
    {
        struct stat status { };
        EXPECT_EQ(::stat(QFile::encodeName(t.path(kConfigName)).constData(), &status), 0);
        return status.st_mode & 07777;
    }
    // The values stored under the key in section email, as the file holds them.
    [[nodiscard]] QString stored(const QString &key) const
    {
        const QRegularExpression line(QStringLiteral("\\[email\\][^[]*\\n%1=([^\r\n]*)").arg(key));
        return line.match(QString::fromUtf8(bytes())).captured(1);
    }

    test::TestContext t;
};

TEST_F(Config, LivesInTheAppFolder)
{
    EXPECT_EQ(Settings::configPath(t.ctx), t.dir.path() + "/AppCfg.cfg");
}

TEST_F(Config, WithoutAFileEveryValueIsItsDefault)
{
    const Settings::Closing closing = Settings::loadClosing(t.ctx);
    EXPECT_FALSE(closing.startWithDesktop);
    EXPECT_FALSE(closing.closeCompletely);
    EXPECT_TRUE(closing.minimizeToTray);
    EXPECT_TRUE(Settings::loadConfirmOnClose(t.ctx));
    EXPECT_EQ(Settings::loadEmail(t.ctx), Settings::Email{});

    EXPECT_FALSE(QFileInfo::exists(t.path(kConfigName)));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(Config, EmailIsWrittenMarkedInItsOrder)
{
    Settings::Email email;
    email.server = "abc";
    email.port = "25";
    email.authenticate = true;
    EXPECT_EQ(Settings::saveEmail(t.ctx, email), PasswordPlace::Nowhere);

    EXPECT_EQ(bytes(),
              "[email]\r\nsv=u8:abc\r\npo=u8:25\r\nau=u8:1\r\nus=\r\npw=\r\npk=\r\nfn=\r\nfe=\r\n"
              "cs=u8:starttls\r\n");
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

// Without a keyring the file keeps the password, readable by its owner alone.
TEST_F(Config, EmailLoadsBackAsSaved)
{
    const Settings::Email cases[] = {
        account(kUnicodePassword),
        {"mail.example.org", "25", false, "", "", "", "", ConnectionSecurity::None},
        {"smtp.example.org", "465", true, "ann", " two\r\nlines ", "Zoë Ünal", "zoe@example.org",
         ConnectionSecurity::Tls},
        {"中文.example", "2525", true, "😀", "=;\"", " ", "x@中文.example"},
    };
    write("[email]\r\nsv=1\r\n");
    ASSERT_TRUE(QFile::setPermissions(t.path(kConfigName),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                          | QFile::ReadOther));
    for (const auto &email : cases) {
        SCOPED_TRACE(email.server.toStdString());
        EXPECT_EQ(Settings::saveEmail(t.ctx, email),
                  email.password.isEmpty() ? PasswordPlace::Nowhere : PasswordPlace::File);
        EXPECT_EQ(Settings::loadEmail(t.ctx), email);
        EXPECT_EQ(stored("pw"),
                  email.password.isEmpty()
                      ? QString()
                      : "u8:" + QString::fromLatin1(email.password.toUtf8().toPercentEncoding()));
        EXPECT_EQ(stored("pk"), "");
        EXPECT_EQ(mode(), 0600u);
        // Every value is marked, or empty.
        static const QRegularExpression marked(QStringLiteral(
            "\\A\\[email\\]\r\n((sv|po|au|us|pw|pk|fn|fe|cs)=(u8:[A-Za-z0-9._~%-]*)?\r\n){9}\\z"));
        const QString text = QString::fromUtf8(bytes());
        EXPECT_TRUE(marked.match(text).hasMatch()) << text.toStdString();
    }
    EXPECT_EQ(t.secrets.calls, 3) << "each password was offered to the keyring first";
}

// Settings saved in the scrambled form keep working, and the next save leaves none of it.
TEST_F(Config, ScrambledSettingsAreReadAndRewrittenMarked)
{
    const struct {
        QByteArray port;
        ConnectionSecurity security;
    } cases[] = {
        {"05301730", ConnectionSecurity::StartTls}, // 25
        {"463087301730", ConnectionSecurity::Tls},  // 465, which such settings used TLS on
    };
    for (const auto &c : cases) {
        write("[email]\r\nsv=976068603960\r\npo=" + c.port
              + "\r\nau=3430\r\nus=976007700770\r\npw=508075303960897070702180\r\nfn=\r\nfe=\r\n");
        const Settings::Email email = Settings::loadEmail(t.ctx);
        EXPECT_EQ(email.server, "abc");
        EXPECT_TRUE(email.authenticate);
        EXPECT_EQ(email.user, "ann");
        EXPECT_EQ(email.password, "s3cret");
        EXPECT_EQ(email.security, c.security) << email.port.toStdString();

        Settings::saveEmail(t.ctx, email);
        EXPECT_EQ(Settings::loadEmail(t.ctx), email);
        EXPECT_EQ(stored("sv"), "u8:abc");
        EXPECT_EQ(stored("pw"), "u8:s3cret");
        EXPECT_FALSE(
            QString::fromUtf8(bytes()).contains(QRegularExpression(QStringLiteral("=\\d"))));
    }
}

TEST_F(Config, HandEditedValuesFallBackToTheirDefaults)
{
    write("[email]\r\nsv=976068603960\r\npo=not digits\r\nau=0480\r\nus=ab\r\npw=\r\n"
          "fn=u8:%ZZ\r\ncs=u8:plain\r\n"
          "[app]\r\nautos=yes\r\nclose=\r\nmins=many\r\nconfirm=maybe\r\n");
    // sv unscrambles to "abc"; po does not unscramble; au unscrambles to "x", which is no number;
    // fn is marked but no encoding; cs names no choice, which never means none.
    EXPECT_EQ(Settings::loadEmail(t.ctx),
              (Settings::Email{"abc", "", false, "", "", "", "", ConnectionSecurity::StartTls}));

    const Settings::Closing closing = Settings::loadClosing(t.ctx);
    EXPECT_FALSE(closing.startWithDesktop);
    EXPECT_FALSE(closing.closeCompletely);
    EXPECT_TRUE(closing.minimizeToTray);
    EXPECT_TRUE(Settings::loadConfirmOnClose(t.ctx));
}

TEST_F(Config, PasswordLivesInTheKeyringWhereOneAnswers)
{
    t.secrets.available = true;
    const Settings::Email email = account(kUnicodePassword);
    EXPECT_EQ(Settings::saveEmail(t.ctx, email), PasswordPlace::Keyring);

    const QString entry = "smtp:" + t.ctx.appFolder;
    EXPECT_EQ(t.secrets.secrets, (QHash<QString, QString>{{entry, kUnicodePassword}}));
    EXPECT_EQ(stored("pw"), "");
    EXPECT_EQ(stored("pk"), "u8:" + QString::fromLatin1(entry.toUtf8().toPercentEncoding()));
    EXPECT_EQ(Settings::loadEmail(t.ctx), email);
    EXPECT_EQ(Settings::loadEmailServer(t.ctx), email.server);

    // The keyring goes away: the password is missing, and the settings say why.
    t.secrets.available = false;
    Settings::Email unread = email;
    unread.password.clear();
    unread.passwordProblem = "No keyring";
    EXPECT_EQ(Settings::loadEmail(t.ctx), unread);
    const int calls = t.secrets.calls;
    EXPECT_EQ(Settings::loadEmailServer(t.ctx), email.server);
    EXPECT_EQ(t.secrets.calls, calls) << "the server alone needs no keyring";

    // A save meanwhile keeps the password in the file; once the keyring is back, in the keyring.
    EXPECT_EQ(Settings::saveEmail(t.ctx, email), PasswordPlace::File);
    EXPECT_EQ(stored("pk"), "");
    EXPECT_EQ(Settings::loadEmail(t.ctx), email);
    t.secrets.available = true;
    EXPECT_EQ(Settings::saveEmail(t.ctx, account("new")), PasswordPlace::Keyring);
    EXPECT_EQ(stored("pw"), "");
    EXPECT_EQ(Settings::loadEmail(t.ctx).password, "new");

    // An entry the keyring lost reads as no password.
    t.secrets.secrets.clear();
    EXPECT_EQ(Settings::loadEmail(t.ctx).passwordProblem,
              "The keyring holds no password for Marlowin.");

    // No password any more: the entry goes, and nothing names it.
    t.secrets.secrets.insert(entry, "old");
    EXPECT_EQ(Settings::saveEmail(t.ctx, account("")), PasswordPlace::Nowhere);
    EXPECT_TRUE(t.secrets.secrets.isEmpty());
    EXPECT_EQ(stored("pk"), "");
    EXPECT_EQ(Settings::loadEmail(t.ctx), account(""));
}

// The entry's name is the one the file gives, so a folder that moved keeps its password.
TEST_F(Config, TheFileNamesTheKeyringEntry)
{
    t.secrets.available = true;
    write("[email]\r\nau=u8:1\r\npw=\r\npk=u8:smtp%3A%2Fold%2Ffolder\r\n");
    t.secrets.secrets.insert("smtp:/old/folder", "s3cret");
    EXPECT_EQ(Settings::loadEmail(t.ctx).password, "s3cret");

    EXPECT_EQ(Settings::saveEmail(t.ctx, account("changed")), PasswordPlace::Keyring);
    EXPECT_EQ(t.secrets.secrets,
              (QHash<QString, QString>{{QStringLiteral("smtp:/old/folder"), "changed"}}));
}

// The real keyring: on a session bus of the test's own, or where no bus runs (private_keyring.sh).
class RealKeyring : public test::PrivateKeyringTest {
protected:
    test::TestContext t{&keyring};
};
class EmailInKeyring : public RealKeyring { };
class EmailWithoutKeyring : public RealKeyring { };

TEST_F(EmailInKeyring, TheFileHoldsNoPassword)
{
    const Settings::Email email = account(kUnicodePassword);
    ASSERT_EQ(Settings::saveEmail(t.ctx, email), PasswordPlace::Keyring);

    const QByteArray file = t.readFile(kConfigName);
    EXPECT_FALSE(file.contains(kUnicodePassword.toUtf8()));
    EXPECT_FALSE(file.contains(kUnicodePassword.toUtf8().toPercentEncoding()));
    EXPECT_TRUE(file.contains("\r\npw=\r\n"));
    EXPECT_EQ(Settings::loadEmail(t.ctx), email);

    // Another store of the program finds it too, as the next start does.
    platform::KeychainSecretStore later(clock, QStringLiteral("Marlowin"));
    EXPECT_EQ(later.read("smtp:" + t.ctx.appFolder).secret, kUnicodePassword);

    ASSERT_EQ(Settings::saveEmail(t.ctx, account("")), PasswordPlace::Nowhere);
    EXPECT_EQ(later.read("smtp:" + t.ctx.appFolder).outcome,
              platform::SecretStore::Outcome::NotFound);
}

// Where no keyring answers, the file keeps the password, for its owner only.
TEST_F(EmailWithoutKeyring, TheFileKeepsThePasswordForItsOwner)
{
    const Settings::Email email = account(kUnicodePassword);
    ASSERT_EQ(Settings::saveEmail(t.ctx, email), PasswordPlace::File);

    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(t.path(kConfigName)).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_TRUE(t.readFile(kConfigName).contains("\r\npk=\r\n"));
    EXPECT_EQ(Settings::loadEmail(t.ctx), email);
}

TEST_F(Config, ClosingIsWrittenAndReadKeyByKey)
{
    Settings::saveClosing(t.ctx, {true, true, false});
    EXPECT_EQ(bytes(), "[app]\r\nautos=1\r\nclose=1\r\nmins=0\r\n");
    const Settings::Closing closing = Settings::loadClosing(t.ctx);
    EXPECT_TRUE(closing.startWithDesktop);
    EXPECT_TRUE(closing.closeCompletely);
    EXPECT_FALSE(closing.minimizeToTray);
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(Config, ConfirmIsWrittenAsOneOrZero)
{
    write("[email]\r\nsv=976068603960\r\n");
    Settings::saveConfirmOnClose(t.ctx, false);
    EXPECT_EQ(bytes(), "[email]\r\nsv=976068603960\r\n\r\n[app]\r\nconfirm=0\r\n");
    EXPECT_FALSE(Settings::loadConfirmOnClose(t.ctx));

    Settings::saveConfirmOnClose(t.ctx, true);
    EXPECT_EQ(bytes(), "[email]\r\nsv=976068603960\r\n\r\n[app]\r\nconfirm=1\r\n");
    EXPECT_TRUE(Settings::loadConfirmOnClose(t.ctx));
}

} // namespace
