#include "shell/mUtil.h"

#include "support/FileSizeLimit.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using platform::MessageIcon;

namespace {

struct PathCase {
    QString in;
    QString out;
};

TEST(AddBackslash, EndsWithExactlyOneSlash)
{
    const PathCase cases[] = {
        {QStringLiteral("/home/ann/Marlowin"), QStringLiteral("/home/ann/Marlowin/")},
        {QStringLiteral("/home/ann/Marlowin/"), QStringLiteral("/home/ann/Marlowin/")},
        {QStringLiteral("Data"), QStringLiteral("Data/")},
        {QStringLiteral("/tmp/x") + QChar(u'\0') + QStringLiteral("junk"), QStringLiteral("/tmp/x/")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(mUtil::AddBackslash(c.in), c.out) << c.in.toStdString();
}

TEST(FileAndFolderExists, TellFilesFromFolders)
{
    test::TestContext t;
    t.writeFile(QStringLiteral("feeds.fdb"), "<categories/>");
    ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));

    EXPECT_TRUE(mUtil::FileExists(t.ctx, t.path(QStringLiteral("feeds.fdb"))));
    EXPECT_FALSE(mUtil::FileExists(t.ctx, t.path(QStringLiteral("Data"))));
    EXPECT_FALSE(mUtil::FileExists(t.ctx, t.path(QStringLiteral("missing.fdb"))));
    EXPECT_FALSE(mUtil::FileExists(t.ctx, t.path(QStringLiteral("feeds.fdb/inside"))));

    EXPECT_TRUE(mUtil::FolderExists(t.ctx, t.path(QStringLiteral("Data/"))));
    EXPECT_TRUE(mUtil::FolderExists(t.ctx, t.path(QStringLiteral("Data"))));
    // Without the trailing slash any entry counts, a file of that name included.
    EXPECT_TRUE(mUtil::FolderExists(t.ctx, t.path(QStringLiteral("feeds.fdb"))));
    EXPECT_FALSE(mUtil::FolderExists(t.ctx, t.path(QStringLiteral("feeds.fdb/"))));
    EXPECT_FALSE(mUtil::FolderExists(t.ctx, t.path(QStringLiteral("Nothing/"))));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST(FileExists, ReportsAFailingTestInItsOwnBox)
{
    test::TestContext t;
    const QString tooLong = t.path(QString(5000, QLatin1Char('a')));

    EXPECT_FALSE(mUtil::FileExists(t.ctx, tooLong));

    ASSERT_EQ(t.messages.shown.size(), 1);
    const auto &box = t.messages.shown.first();
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_EQ(box.title, QStringLiteral("Error ! (Source : FileExists)"));
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("36 : \r\n\r\n"))) << box.text.toStdString();
}

TEST(IsBlank, TrimsWhiteSpace)
{
    EXPECT_TRUE(mUtil::IsBlank(QString()));
    EXPECT_TRUE(mUtil::IsBlank(QStringLiteral("   ")));
    EXPECT_TRUE(mUtil::IsBlank(QStringLiteral(" \t\r\n")));
    EXPECT_FALSE(mUtil::IsBlank(QStringLiteral("  x ")));
}

TEST(TextFiles, WriteAppendsOneLineBreakAndReplaces)
{
    test::TestContext t;
    const QString file = t.path(QStringLiteral("Debug.xml"));

    ASSERT_TRUE(mUtil::WriteTextFile(t.ctx, file, QString()));
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), QByteArray("\r\n"));

    ASSERT_TRUE(mUtil::WriteTextFile(t.ctx, file, QStringLiteral("<rss>Grüße €</rss>")));
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), QStringLiteral("<rss>Grüße €</rss>\r\n").toUtf8());
    EXPECT_EQ(mUtil::ReadTextFile(t.ctx, file), QStringLiteral("<rss>Grüße €</rss>\r\n"));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST(TextFiles, ReadsWindows1252FilesOfEarlierVersions)
{
    test::TestContext t;
    t.writeFile(QStringLiteral("view.tpl"), "<p>caf\xe9 \x80 \x93quoted\x94</p>");
    EXPECT_EQ(mUtil::ReadTextFile(t.ctx, t.path(QStringLiteral("view.tpl"))),
              QStringLiteral("<p>café € “quoted”</p>"));
}

TEST(TextFiles, FailuresShowTheErrorBoxAndGiveTheNeutralResult)
{
    test::TestContext t;

    EXPECT_EQ(mUtil::ReadTextFile(t.ctx, t.path(QStringLiteral("missing.tpl"))), QString());
    EXPECT_FALSE(mUtil::WriteTextFile(t.ctx, t.path(QStringLiteral("no/such/folder/x.txt")),
                                      QStringLiteral("x")));

    ASSERT_EQ(t.messages.shown.size(), 2);
    for (const auto &box : t.messages.shown) {
        EXPECT_EQ(box.icon, MessageIcon::Information);
        EXPECT_EQ(box.title, QStringLiteral("Error !"));
        EXPECT_TRUE(box.text.contains(QRegularExpression(QStringLiteral("^\\d+ : \r\n\r\n\\S"))))
            << box.text.toStdString();
    }
    EXPECT_TRUE(t.messages.shown.first().text.startsWith(QStringLiteral("2 : ")));
}

TEST(TextFiles, AFailedWriteLeavesTheOldFile)
{
    test::TestContext t;
    const QString file = t.path(QStringLiteral("Debug.xml"));
    ASSERT_TRUE(mUtil::WriteTextFile(t.ctx, file, QStringLiteral("old")));
    {
        test::FileSizeLimit diskFull(16);
        EXPECT_FALSE(mUtil::WriteTextFile(t.ctx, file, QString(100, QLatin1Char('n'))));
    }
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), QByteArray("old\r\n"));
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_TRUE(t.messages.shown.first().text.startsWith(QStringLiteral("27 : "))) // EFBIG
        << t.messages.shown.first().text.toStdString();
}

TEST(ShellOpen, OpensWebAndMailAddressesAndExistingFilesOnly)
{
    test::TestContext t;
    t.writeFile(QStringLiteral("Help.html"), "<html/>");

    for (const char *target : {"http://example.org/a?b=1", "HTTPS://example.org/", "mailto:ann@example.org",
                               "javascript:alert(1)", "file:///etc/passwd", "ftp://example.org/",
                               "smb://host/share", "/no/such/file.html", ""})
        mUtil::ShellOpen(t.ctx, QString::fromLatin1(target));
    mUtil::ShellOpen(t.ctx, t.path(QStringLiteral("Help.html")));
    mUtil::ShellOpen(t.ctx, t.dir.path());

    ASSERT_EQ(t.shell.opened.size(), 4);
    EXPECT_EQ(t.shell.opened[0], QUrl(QStringLiteral("http://example.org/a?b=1")));
    EXPECT_EQ(t.shell.opened[1].scheme(), QStringLiteral("https"));
    EXPECT_EQ(t.shell.opened[2], QUrl(QStringLiteral("mailto:ann@example.org")));
    EXPECT_EQ(t.shell.opened[3], QUrl::fromLocalFile(t.path(QStringLiteral("Help.html"))));
}

TEST(IsConnected, FollowsTheSystemState)
{
    test::TestContext t;
    EXPECT_TRUE(mUtil::IsConnected(t.ctx));
    t.connection.connected = false;
    EXPECT_FALSE(mUtil::IsConnected(t.ctx));
}

TEST(UrlCacheAddresses, PrefixWithHttpAndAddTheSlashedForm)
{
    EXPECT_EQ(mUtil::UrlCacheAddresses(QStringLiteral("http://example.org/feed")),
              (QStringList{QStringLiteral("http://example.org/feed"),
                           QStringLiteral("http://example.org/feed/")}));
    EXPECT_EQ(mUtil::UrlCacheAddresses(QStringLiteral("example.org/news/")),
              QStringList{QStringLiteral("http://example.org/news/")});
    EXPECT_EQ(mUtil::UrlCacheAddresses(QStringLiteral("http://http://example.org/")),
              QStringList{QStringLiteral("http://example.org/")});
}

TEST(NewGuid, HasTheFeedIdentifierForm)
{
    const QRegularExpression form(QStringLiteral(
        "^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    QSet<QString> seen;
    for (int i = 0; i < 50; ++i) {
        const QString id = mUtil::NewGuid();
        EXPECT_EQ(id.size(), 36);
        EXPECT_TRUE(form.match(id).hasMatch()) << id.toStdString();
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 50);
}

struct MonthCase {
    const char *locale;
    QString name;
    QString number;
};

TEST(MonthNumber, MatchesFullNamesTrimmedAndAbbreviationsAsGiven)
{
    const MonthCase cases[] = {
        {"en_US", QStringLiteral("  March "), QStringLiteral("03")},
        {"en_US", QStringLiteral("MAR"), QStringLiteral("03")},
        {"en_US", QStringLiteral("mar"), QStringLiteral("03")},
        {"en_US", QStringLiteral(" Mar"), QString()},
        {"en_US", QStringLiteral("Dec"), QStringLiteral("12")},
        {"en_US", QStringLiteral("january"), QStringLiteral("01")},
        {"en_US", QStringLiteral("Monday"), QString()},
        {"en_US", QString(), QString()},
        // English names count whatever the desktop's language, since feed dates are English.
        {"de_DE", QStringLiteral("Oct"), QStringLiteral("10")},
        {"de_DE", QStringLiteral("März"), QStringLiteral("03")},
        {"de_DE", QStringLiteral(" Dezember "), QStringLiteral("12")},
        {"fr_FR", QStringLiteral("May"), QStringLiteral("05")},
        {"fr_FR", QStringLiteral("février"), QStringLiteral("02")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(mUtil::MonthNumber(c.name, QLocale(QLatin1String(c.locale))), c.number)
            << c.locale << " " << c.name.toStdString();
}

struct ScrambleCase {
    QString plain;
    QString scrambled;
};

TEST(ScrambleText, EncodesToDigitsAndBack)
{
    const ScrambleCase cases[] = {
        {QStringLiteral("abc"), QStringLiteral("976068603960")},
        {QStringLiteral("0"), QStringLiteral("6330")},
        {QStringLiteral("1"), QStringLiteral("3430")},
        {QStringLiteral("é"), QStringLiteral("1361")},           // 233 * 7 = 1631
        {QStringLiteral("€"), QStringLiteral("6980")},           // 128 * 7 = 896
        {QStringLiteral("line\r\nbreak"), QString()},             // round trip only
        {QStringLiteral(" padded "), QString()},
    };
    for (const auto &c : cases) {
        const QString scrambled = mUtil::ScrambleText(c.plain, true);
        if (!c.scrambled.isEmpty()) {
            EXPECT_EQ(scrambled, c.scrambled) << c.plain.toStdString();
        }
        EXPECT_TRUE(scrambled.contains(QRegularExpression(QStringLiteral("^[0-9]+$"))));
        bool ok = false;
        EXPECT_EQ(mUtil::ScrambleText(scrambled, false, &ok), c.plain);
        EXPECT_TRUE(ok);
    }
}

TEST(ScrambleText, BlankAndBrokenText)
{
    for (bool scramble : {true, false}) {
        EXPECT_EQ(mUtil::ScrambleText(QString(), scramble), QString());
        EXPECT_EQ(mUtil::ScrambleText(QStringLiteral("   "), scramble), QString());
    }
    // Characters the code page lacks are stored as "?".
    EXPECT_EQ(mUtil::ScrambleText(mUtil::ScrambleText(QStringLiteral("a\u0100b"), true), false),
              QStringLiteral("a?b"));

    bool ok = true;
    EXPECT_EQ(mUtil::ScrambleText(QStringLiteral("97x068603960"), false, &ok), QString());
    EXPECT_FALSE(ok);
}

} // namespace
