#include "common/Files.h"

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

TEST(WithTrailingSlash, EndsWithExactlyOneSlash)
{
    const PathCase cases[] = {
        {QStringLiteral("/home/ann/Marlowin"), QStringLiteral("/home/ann/Marlowin/")},
        {QStringLiteral("/home/ann/Marlowin/"), QStringLiteral("/home/ann/Marlowin/")},
        {QStringLiteral("Data"), QStringLiteral("Data/")},
        {QStringLiteral("/tmp/x") + QChar(u'\0') + QStringLiteral("junk"),
         QStringLiteral("/tmp/x/")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Files::withTrailingSlash(c.in), c.out) << c.in.toStdString();
}

TEST(FileAndFolderExists, TellFilesFromFolders)
{
    test::TestContext t;
    t.writeFile(QStringLiteral("feeds.fdb"), "<categories/>");
    ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));

    EXPECT_TRUE(Files::fileExists(t.ctx, t.path(QStringLiteral("feeds.fdb"))));
    EXPECT_FALSE(Files::fileExists(t.ctx, t.path(QStringLiteral("Data"))));
    EXPECT_FALSE(Files::fileExists(t.ctx, t.path(QStringLiteral("missing.fdb"))));
    EXPECT_FALSE(Files::fileExists(t.ctx, t.path(QStringLiteral("feeds.fdb/inside"))));

    EXPECT_TRUE(Files::folderExists(t.ctx, t.path(QStringLiteral("Data/"))));
    EXPECT_TRUE(Files::folderExists(t.ctx, t.path(QStringLiteral("Data"))));
    // Without the trailing slash any entry counts, a file of that name included.
    EXPECT_TRUE(Files::folderExists(t.ctx, t.path(QStringLiteral("feeds.fdb"))));
    EXPECT_FALSE(Files::folderExists(t.ctx, t.path(QStringLiteral("feeds.fdb/"))));
    EXPECT_FALSE(Files::folderExists(t.ctx, t.path(QStringLiteral("Nothing/"))));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST(FileExists, ReportsAFailingTestInItsOwnBox)
{
    test::TestContext t;
    const QString tooLong = t.path(QString(5000, QLatin1Char('a')));

    EXPECT_FALSE(Files::fileExists(t.ctx, tooLong));

    ASSERT_EQ(t.messages.shown.size(), 1);
    const auto &box = t.messages.shown.first();
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_EQ(box.title, QStringLiteral("Error ! (Source : FileExists)"));
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("36 : \r\n\r\n"))) << box.text.toStdString();
}

TEST(TextFiles, WriteAppendsOneLineBreakAndReplaces)
{
    test::TestContext t;
    const QString file = t.path(QStringLiteral("Debug.xml"));

    ASSERT_TRUE(Files::writeText(t.ctx, file, QString()));
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), QByteArray("\r\n"));

    ASSERT_TRUE(Files::writeText(t.ctx, file, QStringLiteral("<rss>Grüße €</rss>")));
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")),
              QStringLiteral("<rss>Grüße €</rss>\r\n").toUtf8());
    EXPECT_EQ(Files::readText(t.ctx, file), QStringLiteral("<rss>Grüße €</rss>\r\n"));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST(TextFiles, ReadsWindows1252FilesOfEarlierVersions)
{
    test::TestContext t;
    t.writeFile(QStringLiteral("view.tpl"), "<p>caf\xe9 \x80 \x93quoted\x94</p>");
    EXPECT_EQ(Files::readText(t.ctx, t.path(QStringLiteral("view.tpl"))),
              QStringLiteral("<p>café € “quoted”</p>"));
}

TEST(TextFiles, FailuresShowTheErrorBoxAndGiveTheNeutralResult)
{
    test::TestContext t;

    EXPECT_EQ(Files::readText(t.ctx, t.path(QStringLiteral("missing.tpl"))), QString());
    EXPECT_FALSE(Files::writeText(t.ctx, t.path(QStringLiteral("no/such/folder/x.txt")),
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
    ASSERT_TRUE(Files::writeText(t.ctx, file, QStringLiteral("old")));
    {
        test::FileSizeLimit diskFull(16);
        EXPECT_FALSE(Files::writeText(t.ctx, file, QString(100, QLatin1Char('n'))));
    }
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), QByteArray("old\r\n"));
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_TRUE(t.messages.shown.first().text.startsWith(QStringLiteral("27 : "))) // EFBIG
        << t.messages.shown.first().text.toStdString();
}

} // namespace
