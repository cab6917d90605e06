#include "settings/mSettings.h"

#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using platform::MessageIcon;

namespace {

const QString kConfigName = QStringLiteral("AppCfg.cfg");

struct EmailValues {
    QString server, port;
    qint16 auth = 0;
    QString user, password, fromName, fromEmail;
    bool operator==(const EmailValues &) const = default;
};

void PrintTo(const EmailValues &v, std::ostream *out)
{
    *out << '{' << v.server.toStdString() << ", " << v.port.toStdString() << ", " << v.auth << ", "
         << v.user.toStdString() << ", " << v.password.toStdString() << ", "
         << v.fromName.toStdString() << ", " << v.fromEmail.toStdString() << '}';
}

void SetEmail(const EmailValues &v)
{
    mSettings::SmtpServer = v.server;
    mSettings::SmtpPort = v.port;
    mSettings::SmtpAuth = v.auth;
    mSettings::SmtpUser = v.user;
    mSettings::SmtpPassword = v.password;
    mSettings::FromName = v.fromName;
    mSettings::FromEmail = v.fromEmail;
}

EmailValues Email()
{
    return {mSettings::SmtpServer, mSettings::SmtpPort, mSettings::SmtpAuth, mSettings::SmtpUser,
            mSettings::SmtpPassword, mSettings::FromName, mSettings::FromEmail};
}

// Values that no load gives, so that a load which skips a variable shows.
void Scribble()
{
    SetEmail({"junk", "junk", 7, "junk", "junk", "junk", "junk"});
    mSettings::StartWithWindows = 7;
    mSettings::CloseCompletely = 7;
    mSettings::MinimizeToTray = 7;
}

class Config : public ::testing::Test {
protected:
    void SetUp() override { Scribble(); }
    void write(const QByteArray &bytes) { t.writeFile(kConfigName, bytes); }
    [[nodiscard]] QByteArray bytes() const { return t.readFile(kConfigName); }

    test::TestContext t;
};

TEST_F(Config, LivesInTheAppFolder)
{
    EXPECT_EQ(mSettings::ConfigPath(t.ctx), t.dir.path() + "/AppCfg.cfg");
}

TEST_F(Config, WithoutAFileEveryValueIsItsDefault)
{
    mSettings::LoadAppSettings(t.ctx);
    EXPECT_EQ(mSettings::StartWithWindows, 0);
    EXPECT_EQ(mSettings::CloseCompletely, 0);
    EXPECT_EQ(mSettings::MinimizeToTray, 1);
    // A missing close key reads as "exit" here, unlike in the settings load above.
    EXPECT_TRUE(mSettings::ReadClose(t.ctx));
    EXPECT_TRUE(mSettings::CloseOnRequest);
    EXPECT_EQ(mSettings::CloseCompletely, 0);
    EXPECT_TRUE(mSettings::ReadConfirm(t.ctx));
    EXPECT_TRUE(mSettings::ConfirmOnClose);

    mSettings::LoadEmailSettings(t.ctx);
    EXPECT_EQ(Email(), EmailValues{});

    EXPECT_FALSE(QFileInfo::exists(t.path(kConfigName)));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(Config, SaveEmailSettingsWritesEveryValueScrambledInItsOrder)
{
    SetEmail({"abc", "25", 1, "", "", "", ""});
    mSettings::SaveEmailSettings(t.ctx, true);

    EXPECT_EQ(bytes(), "[email]\r\nsv=976068603960\r\npo=05301730\r\nau=3430\r\n"
                       "us=\r\npw=\r\nfn=\r\nfe=\r\n");
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(t.messages.shown[0].title, "Done!");
    EXPECT_EQ(t.messages.shown[0].text, "Email Settings are Successfully Saved!");

    mSettings::SaveEmailSettings(t.ctx, false);
    EXPECT_EQ(t.messages.shown.size(), 1);
}

TEST_F(Config, EmailSettingsLoadBackAsSaved)
{
    const EmailValues cases[] = {
        {"smtp.example.org", "587", 1, "ann", "s3cret pass", "Ann Example", "ann@example.org"},
        {"mail.example.org", "25", 0, "", "", "", ""},
        {"smtp.example.org", "465", 1, "ann", "two\r\nlines", "Zoë Ünal", "zoe@example.org"},
    };
    for (const auto &values : cases) {
        SetEmail(values);
        mSettings::SaveEmailSettings(t.ctx, false);
        Scribble();
        mSettings::LoadEmailSettings(t.ctx);
        EXPECT_EQ(Email(), values);
        // The encoding leaves nothing but digits behind "=", whatever the value holds.
        static const QRegularExpression digitsOnly(
            QStringLiteral("\\A\\[email\\]\r\n((sv|po|au|us|pw|fn|fe)=\\d*\r\n){7}\\z"));
        const QString text = QString::fromUtf8(bytes());
        EXPECT_TRUE(digitsOnly.match(text).hasMatch()) << text.toStdString();
    }
    // An empty password is an empty value on its line.
    SetEmail({"x", "25", 0, "ann", "", "", ""});
    mSettings::SaveEmailSettings(t.ctx, false);
    EXPECT_TRUE(bytes().contains("\r\npw=\r\nfn=\r\n"));
}

TEST_F(Config, HandEditedValuesFallBackToTheirDefaults)
{
    write("[email]\r\nsv=976068603960\r\npo=not digits\r\nau=0480\r\nus=ab\r\npw=\r\n"
          "[app]\r\nautos=yes\r\nclose=\r\nmins=many\r\nconfirm=maybe\r\n");
    mSettings::LoadEmailSettings(t.ctx);
    // sv unscrambles to "abc"; po does not unscramble; au unscrambles to "x", which is no number.
    EXPECT_EQ(Email(), (EmailValues{"abc", "", 0, "", "", "", ""}));

    mSettings::LoadAppSettings(t.ctx);
    EXPECT_EQ(mSettings::StartWithWindows, 0);
    EXPECT_EQ(mSettings::CloseCompletely, 0);
    EXPECT_EQ(mSettings::MinimizeToTray, 1);
    EXPECT_TRUE(mSettings::ReadConfirm(t.ctx));
    EXPECT_TRUE(mSettings::ReadClose(t.ctx));
}

TEST_F(Config, AppSettingsAreWrittenAndReadKeyByKey)
{
    mSettings::StartWithWindows = 1;
    mSettings::CloseCompletely = 1;
    mSettings::MinimizeToTray = 0;
    mSettings::SaveAppSettings(t.ctx, true);

    EXPECT_EQ(bytes(), "[app]\r\nautos=1\r\nclose=1\r\nmins=0\r\n");
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(t.messages.shown[0].title, "Done!");
    EXPECT_EQ(t.messages.shown[0].text,
              "Application Settings successfully saved to Application Configuration File.");

    Scribble();
    mSettings::LoadAppSettings(t.ctx);
    EXPECT_EQ(mSettings::StartWithWindows, 1);
    EXPECT_EQ(mSettings::CloseCompletely, 1);
    EXPECT_EQ(mSettings::MinimizeToTray, 0);
    EXPECT_TRUE(mSettings::ReadClose(t.ctx));

    mSettings::CloseCompletely = 0;
    mSettings::SaveAppSettings(t.ctx, false);
    EXPECT_EQ(t.messages.shown.size(), 1);
    EXPECT_FALSE(mSettings::ReadClose(t.ctx));
    EXPECT_FALSE(mSettings::CloseOnRequest);
}

TEST_F(Config, ConfirmIsWrittenAsOneOrZero)
{
    write("[email]\r\nsv=976068603960\r\n");
    mSettings::WriteConfirm(t.ctx, false);
    EXPECT_FALSE(mSettings::ConfirmOnClose);
    EXPECT_EQ(bytes(), "[email]\r\nsv=976068603960\r\n\r\n[app]\r\nconfirm=0\r\n");
    mSettings::ConfirmOnClose = true;
    EXPECT_FALSE(mSettings::ReadConfirm(t.ctx));
    EXPECT_FALSE(mSettings::ConfirmOnClose);

    mSettings::WriteConfirm(t.ctx, true);
    EXPECT_EQ(bytes(), "[email]\r\nsv=976068603960\r\n\r\n[app]\r\nconfirm=1\r\n");
    EXPECT_TRUE(mSettings::ReadConfirm(t.ctx));
}

} // namespace
