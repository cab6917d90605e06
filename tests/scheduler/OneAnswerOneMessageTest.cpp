#include "reading/FeedRefresh.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "scheduler/ScheduledCheck.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

#include "support/LocalHttpServer.h"
#include "support/MemoryReportList.h"
#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <httplib.h>

#include <string>
#include <vector>

// The feed window and the scheduled check tell the user the same thing about the same answer.

namespace {

struct Answer {
    const char *what;
    int status;
    std::string contentType;
    std::string body;
};

const std::string kRss = "<rss version=\"2.0\"><channel><item><title>T</title>"
                         "<link>http://example.org/1</link></item></channel></rss>";

const std::vector<Answer> kAnswers = {
    {"an RSS feed", 200, "application/rss+xml", kRss},
    {"an Atom feed", 200, "application/atom+xml",
     "<feed xmlns=\"http://www.w3.org/2005/Atom\"><entry><title>A</title></entry></feed>"},
    {"a feed without items", 200, "application/rss+xml", "<rss><channel/></rss>"},
    {"nothing", 200, "application/rss+xml", ""},
    {"XML white space", 200, "text/xml", " \r\n\t"},
    {"an em space: text, not white space", 200, "text/xml", "\xE2\x80\x83"},
    {"no-break spaces", 200, "text/xml; charset=utf-8", "\xC2\xA0\xC2\xA0"},
    {"a byte order mark alone", 200, "text/xml", "\xEF\xBB\xBF"},
    {"a declaration alone", 200, "text/xml", "<?xml version=\"1.0\"?>"},
    {"NUL bytes", 200, "text/xml", std::string("\0\0\0", 3)},
    {"plain text", 200, "text/plain", "Service Unavailable"},
    {"broken XML", 200, "text/xml", "<rss><channel><item>"},
    {"an HTML page", 200, "text/html", "<html><body><p>Moved<br></p></body></html>"},
    {"RDF", 200, "application/rdf+xml",
     "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><item/></rdf:RDF>"},
    {"Latin-1 declared, UTF-16 sent", 200, "text/xml", std::string("\xFF\xFE<\0r\0s\0s\0>\0", 10)},
    {"not found", 404, "text/html", "<html><body>Not Found</body></html>"},
    {"a server error with a feed", 500, "application/rss+xml", kRss},
};

class NoAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &) override { }
};

class OneAnswerOneMessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
        m_server.routes().Get(R"(/answer/(\d+))",
                              [](const httplib::Request &req, httplib::Response &res) {
                                  const Answer &answer = kAnswers.at(std::stoul(req.matches[1]));
                                  res.status = answer.status;
                                  res.set_content(answer.body, answer.contentType);
                              });
        ASSERT_TRUE(m_server.start());
    }

    [[nodiscard]] QString url(std::size_t i) const
    {
        return m_server.url(QStringLiteral("/answer/%1").arg(i));
    }
    [[nodiscard]] static QString feedId(std::size_t i)
    {
        return QStringLiteral("%1-AAAA-BBBB-CCCC-DDDDEEEEFFFF").arg(i, 8, 10, QLatin1Char('0'));
    }

    // What the window told: its box, or how many items it listed.
    QString windowVerdict(std::size_t i)
    {
        test::MemoryReportList list;
        class : public CaptionSink {
            void setCaption(const QString &) override { }
            void repaintTabs() override { }
        } caption;
        FeedReader reader(t.ctx, list, caption, QLocale::c());
        reader.setFeedID(feedId(i));
        reader.setFeedURL(url(i));
        reader.setFeedType(FeedType::Rss);
        reader.setFeedCaption(QStringLiteral("Feed"));
        reader.setCheckForNewItems(true);
        t.messages.shown.clear();
        reader.loadFeedData(false);
        EXPECT_TRUE(test::waitUntil([&] { return !reader.isRefreshing(); }, 20000));
        if (!t.messages.shown.isEmpty())
            return t.messages.shown.constFirst().text;
        return QStringLiteral("%1 items").arg(list.count());
    }

    // What the log told about each feed of one scheduled check of them all: its error, or how
    // many items were new.
    QStringList logVerdicts()
    {
        const IniFile config(Settings::configPath(t.ctx), 5000);
        const QString section = QStringLiteral("schdl");
        config.write(section, QStringLiteral("ena"), QStringLiteral("1"));
        for (std::size_t i = 0; i < kAnswers.size(); ++i)
            config.write(section, QStringLiteral("s_%1").arg(i + 1),
                         QStringLiteral("0") + QChar(5) + feedId(i) + QChar(5) + url(i) + QChar(5)
                             + QStringLiteral("Feed %1").arg(i));
        NoAnnouncement announcement;
        ScheduledCheck check(t.ctx, announcement, Settings::loadScheduler(t.ctx), CheckOptions{});
        bool finished = false;
        QObject::connect(&check, &ScheduledCheck::finished, [&] { finished = true; });
        check.start();
        EXPECT_TRUE(test::waitUntil([&] { return finished; }, 20000));

        QStringList verdicts;
        const QString log = QString::fromUtf8(t.readFile(QStringLiteral("schedule.log")));
        for (const QString &line : log.split(QStringLiteral("\r\n"))) {
            static const QRegularExpression error(QStringLiteral("^--> ?Error: (.*)$"));
            static const QRegularExpression count(QStringLiteral("^    (\\d+) New Items found!$"));
            if (line.startsWith(QLatin1String("Checking ")))
                verdicts << QStringLiteral("0 items");
            else if (const auto failure = error.match(line); failure.hasMatch())
                verdicts.last() = failure.captured(1);
            else if (const auto match = count.match(line); match.hasMatch())
                verdicts.last() = match.captured(1) + QStringLiteral(" items");
        }
        return verdicts;
    }

    test::TestContext t;
    test::LocalHttpServer m_server{&t.network};
};

TEST_F(OneAnswerOneMessageTest, TheWindowAndTheScheduledCheckTellTheSameAboutEveryAnswer)
{
    const QStringList logged = logVerdicts();
    ASSERT_EQ(logged.size(), qsizetype(kAnswers.size()));
    QDir(t.path(QStringLiteral("Data"))).removeRecursively();
    ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));

    for (std::size_t i = 0; i < kAnswers.size(); ++i) {
        SCOPED_TRACE(kAnswers[i].what);
        EXPECT_EQ(windowVerdict(i), logged.at(qsizetype(i)));
    }
    EXPECT_EQ(logged.at(0), QStringLiteral("1 items"));
    EXPECT_EQ(logged.at(3), QStringLiteral("Server returned empty data stream!"));
    EXPECT_EQ(logged.at(5), QStringLiteral("Server returned Feed data in invalid XML format!"));
}

} // namespace
