#include "localization/LanguageList.h"

#include "support/AdvanceToLimit.h"
#include "support/LocalHttpServer.h"
#include "support/TestContext.h"

#include <QTcpServer>

#include <gtest/gtest.h>
#include <httplib.h>

#include <mutex>
#include <optional>
#include <string>

namespace {

using LanguageList::DownloadResult;

// Generous, so that a loaded machine still passes; a healthy run never comes near it.
constexpr int kArrivesMs = 20000;

QString group(const QString &name)
{
    return QStringLiteral(
               "<LANGUAGE_GROUP xml:lang=\"xx\">\r\n\t<LANGUAGE_NAME>%1</LANGUAGE_NAME>\r\n"
               "\t<TRANSLATION_ITEMS>\r\n\t\t<MSG_DELETE3>%1?</MSG_DELETE3>\r\n"
               "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n")
        .arg(name);
}

TEST(LanguageGroupNames, ListsEveryNamedGroupInFileOrder)
{
    const QString nameless
        = QStringLiteral("<LANGUAGE_GROUP xml:lang=\"zz\">\r\n\t<TRANSLATION_ITEMS>\r\n"
                         "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n");
    const struct {
        const char *what;
        QString file;
        QStringList names;
    } cases[] = {
        {"two groups", group("English") + group("Deutsch"), {"English", "Deutsch"}},
        {"any case of the group marker",
         group("English")
             + group(QStringLiteral("Français")).replace("<LANGUAGE_GROUP", "<language_Group"),
         {"English", QStringLiteral("Français")}},
        // The next group's name is not taken for the nameless one.
        {"a group without a name",
         group("English") + nameless + group("Deutsch"),
         {"English", "Deutsch"}},
        {"an empty name", group("") + group("Deutsch"), {"Deutsch"}},
        {"a last group left open",
         group("English") + group("Deutsch").remove("</LANGUAGE_GROUP>"),
         {"English", "Deutsch"}},
        {"no groups", QStringLiteral("<XML_DIZ_INFO></XML_DIZ_INFO>"), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LanguageList::groupNames(c.file), c.names);
    }
}

TEST(LanguageFileFromDownload, KeepsALanguageFileFromItsFirstTag)
{
    const QString file = QStringLiteral("<?xml version=\"1.0\"?>\r\n<XML_DIZ_INFO>\r\n")
        + group("English") + QStringLiteral("</XML_DIZ_INFO>");
    const struct {
        const char *what;
        QString body;
        std::optional<QString> stored;
    } cases[] = {
        {"a plain file", file, file},
        {"noise before the first tag", QStringLiteral("garbage\r\n ") + file, file},
        {"the marker in lower case",
         QString(file).replace("TRANSLATION_ITEMS", "translation_items"),
         QString(file).replace("TRANSLATION_ITEMS", "translation_items")},
        {"an error page", QStringLiteral("<html><body>Not Found</body></html>"), std::nullopt},
        {"the marker's name without its tag", QStringLiteral("<p>TRANSLATION_ITEMS</p>"),
         std::nullopt},
        {"an empty answer", QString(), std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LanguageList::languageFileFromDownload(c.body), c.stored);
    }
}

class LanguageDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_server.routes().Get("/languages/0/Localization.txt",
                              [this](const httplib::Request &, httplib::Response &res) {
                                  const std::lock_guard lock(m_mutex);
                                  res.status = m_status;
                                  res.set_content(m_body, "text/plain");
                              });
        m_server.routes().Get("/held/0/Localization.txt",
                              [this](const httplib::Request &, httplib::Response &res) {
                                  m_server.holdRequest();
                                  res.set_content(group("Deutsch").toStdString(), "text/plain");
                              });
        ASSERT_TRUE(m_server.start());
        t.writeFile("Localization.txt", kOldFile);
    }

    void serve(int status, const std::string &body)
    {
        const std::lock_guard lock(m_mutex);
        m_status = status;
        m_body = body;
    }

    [[nodiscard]] QString url(const char *folder) const
    {
        return LanguageList::newestLanguageFileUrl(m_server.url(QString::fromLatin1(folder)));
    }

    const QByteArray kOldFile = group("English").toUtf8();
    test::TestContext t;
    test::LocalHttpServer m_server{&t.network};
    std::mutex m_mutex;
    int m_status = 200;
    std::string m_body;
};

TEST_F(LanguageDownload, StoresTheNewestFileFromItsFirstTagWithALineBreak)
{
    const QByteArray file = ("<XML_DIZ_INFO>\r\n" + group("English")
                             + group(QStringLiteral("Français")) + "</XML_DIZ_INFO>")
                                .toUtf8();
    serve(200, "\xEF\xBB\xBF junk " + file.toStdString());

    EXPECT_EQ(LanguageList::downloadLanguageFile(t.ctx, url("/languages/"), kArrivesMs),
              DownloadResult::Stored);

    EXPECT_EQ(t.readFile("Localization.txt"), file + "\r\n");
    EXPECT_EQ(LanguageList::installedLanguages(t.ctx),
              QStringList({"English", QStringLiteral("Français")}));
    EXPECT_EQ(m_server.lastHeader("User-Agent"), "Mozilla");
    EXPECT_EQ(m_server.lastHeader("Cache-Control"), "no-cache");
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(LanguageDownload, AnythingButALanguageFileLeavesTheOldFile)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close();
    const std::string languageFile = group("Deutsch").toStdString();

    const struct {
        const char *what;
        int status;
        std::string body;
        QString url;
        int timeoutMs;
    } cases[] = {
        {"a page without translation items", 200, "<html>Moved elsewhere</html>",
         url("/languages/"), kArrivesMs},
        {"an error page", 404, languageFile, url("/languages/"), kArrivesMs},
        {"an empty answer", 200, "", url("/languages/"), kArrivesMs},
        {"no server", 200, languageFile, LanguageList::newestLanguageFileUrl(refused), kArrivesMs},
        {"no answer in time", 200, languageFile, url("/held/"), 300},
        {"not a web address", 200, languageFile,
         LanguageList::newestLanguageFileUrl(t.dir.path() + "/"), kArrivesMs},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        serve(c.status, c.body);
        // The held request lets the clock reach its limit while the download waits.
        std::optional<test::AdvanceToLimit> limit;
        const qint64 start = t.clock.tickCount();
        if (c.timeoutMs != kArrivesMs)
            limit.emplace(t.clock, c.timeoutMs, [&] { return m_server.heldRequests() > 0; });
        EXPECT_EQ(LanguageList::downloadLanguageFile(t.ctx, c.url, c.timeoutMs),
                  DownloadResult::NotALanguageFile);
        EXPECT_EQ(t.readFile("Localization.txt"), kOldFile);
        if (limit) {
            EXPECT_EQ(t.clock.tickCount() - start, c.timeoutMs) << "gave up before its limit";
        }
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST(InstalledLanguages, NoneWithoutALanguageFile)
{
    test::TestContext t;
    EXPECT_TRUE(LanguageList::installedLanguages(t.ctx).isEmpty());
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

} // namespace
