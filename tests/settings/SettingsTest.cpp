#include "settings/Settings.h"

#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace Settings {

bool operator==(const Email &a, const Email &b)
{
    return a.server == b.server && a.port == b.port && a.authenticate == b.authenticate
        && a.user == b.user && a.password == b.password && a.fromName == b.fromName
        && a.fromAddress == b.fromAddress;
}

void PrintTo(const Email &v, std::ostream *out)
{
    *out << '{' << v.server.toStdString() << ", " << v.port.toStdString() << ", " << v.authenticate
         << ", " << v.user.toStdString() << ", " << v.password.toStdString() << ", "
         << v.fromName.toStdString() << ", " << v.fromAddress.toStdString() << '}';
}

} // namespace Settings

namespace {

const QString kConfigName = QStringLiteral("AppCfg.cfg");

class Config : public ::testing::Test {
protected:
    void write(const QByteArray &bytes) { t.writeFile(kConfigName, bytes); }
    [[nodiscard]] QByteArray bytes() const { return t.readFile(kConfigName); }

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

TEST_F(Config, EmailIsWrittenScrambledInItsOrder)
{
    Settings::Email email;
    email.server = "abc";
    email.port = "25";
    email.authenticate = true;
    Settings::saveEmail(t.ctx, email);

    EXPECT_EQ(bytes(),
              "[email]\r\nsv=976068603960\r\npo=05301730\r\nau=3430\r\n"
              "us=\r\npw=\r\nfn=\r\nfe=\r\n");
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(Config, EmailLoadsBackAsSaved)
{
    const Settings::Email cases[] = {
        {"smtp.example.org", "587", true, "ann", "s3cret pass", "Ann Example", "ann@example.org"},
        {"mail.example.org", "25", false, "", "", "", ""},
        {"smtp.example.org", "465", true, "ann", "two\r\nlines", "Zoë Ünal", "zoe@example.org"},
    };
    for (const auto &email : cases) {
        Settings::saveEmail(t.ctx, email);
        EXPECT_EQ(Settings::loadEmail(t.ctx), email);
        // The encoding leaves nothing but digits behind "=", whatever the value holds.
        static const QRegularExpression digitsOnly(
            QStringLiteral("\\A\\[email\\]\r\n((sv|po|au|us|pw|fn|fe)=\\d*\r\n){7}\\z"));
        const QString text = QString::fromUtf8(bytes());
        EXPECT_TRUE(digitsOnly.match(text).hasMatch()) << text.toStdString();
    }
    // An empty password is an empty value on its line.
    Settings::saveEmail(t.ctx, {"x", "25", false, "ann", "", "", ""});
    EXPECT_TRUE(bytes().contains("\r\npw=\r\nfn=\r\n"));
}

TEST_F(Config, HandEditedValuesFallBackToTheirDefaults)
{
    write("[email]\r\nsv=976068603960\r\npo=not digits\r\nau=0480\r\nus=ab\r\npw=\r\n"
          "[app]\r\nautos=yes\r\nclose=\r\nmins=many\r\nconfirm=maybe\r\n");
    // sv unscrambles to "abc"; po does not unscramble; au unscrambles to "x", which is no number.
    EXPECT_EQ(Settings::loadEmail(t.ctx), (Settings::Email{"abc", "", false, "", "", "", ""}));

    const Settings::Closing closing = Settings::loadClosing(t.ctx);
    EXPECT_FALSE(closing.startWithDesktop);
    EXPECT_FALSE(closing.closeCompletely);
    EXPECT_TRUE(closing.minimizeToTray);
    EXPECT_TRUE(Settings::loadConfirmOnClose(t.ctx));
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
