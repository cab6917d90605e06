#include "subscriptions/FeedProbe.h"

#include "platform/XmlDocument.h"
#include "support/AdvanceToLimit.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTcpServer>

#include <gtest/gtest.h>
#include <httplib.h>

#include <string>

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

// Limit for probes whose response does arrive: generous, so that a heavily loaded machine still
// passes; a healthy run never comes near it.
constexpr int kArrivesMs = 20000;

const QString kOldName = QStringLiteral("Name typed before the probe");
const QByteArray kStaleDebug = "left by an earlier fetch";

struct ExpectedBox {
    MessageIcon icon;
    QString title;
    QString text;
};

const ExpectedBox kUnsupported{
    MessageIcon::Information, QStringLiteral("Feed Type Not Supported!"),
    QStringLiteral(
        "Format of data returned by specified Feed URL is not supported by current version "
        "of application. Please specify RSS 2.0 or ATOM 1.0 type Feed that may include "
        "PodCast media information.")};
const ExpectedBox kInvalid{MessageIcon::Warning, QStringLiteral("Invalid Feed Data Format!"),
                           QStringLiteral("Feed data returned by specified URL is not in a valid "
                                          "format. Please check URL and try again ...")};
const ExpectedBox kTimeout{MessageIcon::Information, QStringLiteral("Timeout Error!"),
                           QStringLiteral("Server did not respond in timely manner. Application "
                                          "failed to access Feed data. Server may be down right "
                                          "now, please try again later.")};
const ExpectedBox kOffline{
    MessageIcon::Information, QStringLiteral("Failed to access Internet!"),
    QStringLiteral("Application attempted to fetch Feed data to test Feed URL but failed to access "
                   "Internet connection on this machine. Please make sure that you're connected to "
                   "Internet and Firewall application (if any) is configured properly to grant "
                   "Internet Access for this application.")};

void expectBox(const test::RecordingMessageBoxes::Box &box, const ExpectedBox &expected,
               MessageButtons buttons = MessageButtons::Ok)
{
    EXPECT_EQ(box.icon, expected.icon);
    EXPECT_EQ(box.title, expected.title);
    EXPECT_EQ(box.text, expected.text);
    EXPECT_EQ(box.buttons, buttons);
}

// A response of the local server and what the probe makes of it.
struct ProbeCase {
    const char *what;
    int status;
    std::string contentType;
    std::string body;
    qint16 type;
    QString title;          // the name field afterwards
    const ExpectedBox *box; // null: no box at all
    bool keepsDocument;     // Debug.xml then holds the body and CR LF
};

const ProbeCase kProbeCases[] = {
    {"podcast: itunes:summary under the channel, non-ASCII title", 200, "application/rss+xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
     "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\n"
     "<channel>\n<title>Caf\xC3\xA9 \xE2\x80\x9CNachtfunk\xE2\x80\x9D "
     "\xE6\x97\xA5\xE6\x9C\xAC</title>\n"
     "<itunes:summary>Late talk</itunes:summary>\n"
     "<item><title>Episode 1</title></item>\n</channel>\n</rss>\n",
     2, QString::fromUtf8("Caf\xC3\xA9 \xE2\x80\x9CNachtfunk\xE2\x80\x9D \xE6\x97\xA5\xE6\x9C\xAC"),
     nullptr, true},
    {"RSS whose items alone carry itunes:summary; a title's control characters dropped", 200,
     "application/rss+xml",
     "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel>"
     "<title>Plain\x01 news&#7;</title><item><title>One</title><itunes:summary>Item only"
     "</itunes:summary></item></channel></rss>",
     0, QStringLiteral("Plain news"), nullptr, true},
    {"Atom with a default namespace, an entry before the feed's title", 200, "application/atom+xml",
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<feed "
     "xmlns=\"http://www.w3.org/2005/Atom\">\r\n"
     "<entry><title>Entry title</title></entry>\r\n<title>Atom Weekly</title>\r\n"
     "<entry><title>Second entry</title></entry>\r\n</feed>\r\n",
     1, QStringLiteral("Atom Weekly"), nullptr, true},
    {"RDF root written rdf:RDF", 200, "application/rdf+xml",
     "<?xml version=\"1.0\"?><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
     "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>RDF site</title></channel>"
     "<item><title>One</title></item></rdf:RDF>",
     -1, kOldName, &kUnsupported, true},
    {"RSS without a channel title", 200, "application/rss+xml",
     "<rss version=\"2.0\"><channel><link>http://example.org/</link>"
     "<item><title>Not the channel's</title></item></channel></rss>",
     0, kOldName, nullptr, true},
    {"404 page that is XML without feed elements", 404, "application/xml",
     "<?xml version=\"1.0\"?><error><code>404</code><title>Not Found</title></error>", -1, kOldName,
     &kUnsupported, true},
    {"404 page that is not XML", 404, "text/html", "<html><body><p>Not found<br></body></html>", -1,
     kOldName, &kInvalid, false},
    {"feed served with an error status", 500, "application/rss+xml",
     "<rss><channel><title>Still a feed</title></channel></rss>", 0, QStringLiteral("Still a feed"),
     nullptr, true},
    {"empty body", 200, "application/rss+xml", "", -1, kOldName, &kInvalid, false},
};

class FeedProbeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_server.routes().Get(R"(/case/(\d+))",
                              [](const httplib::Request &req, httplib::Response &res) {
                                  const ProbeCase &c = kProbeCases[std::stoul(req.matches[1])];
                                  res.status = c.status;
                                  res.set_content(c.body, c.contentType);
                              });
        m_server.routes().Get("/silent", [this](const httplib::Request &, httplib::Response &res) {
            m_server.holdRequest();
            res.set_content("<rss><channel><title>Too late</title></channel></rss>",
                            "application/rss+xml");
        });
        ASSERT_TRUE(m_server.start());
        t.writeFile(QStringLiteral("Debug.xml"), kStaleDebug);
    }

    [[nodiscard]] QString url(const QString &path) const { return m_server.url(path); }

    test::TestContext t;
    test::LocalHttpServer m_server{&t.network};
};

TEST_F(FeedProbeTest, JudgesEachResponseByItsTextAlone)
{
    for (size_t i = 0; i < std::size(kProbeCases); ++i) {
        const ProbeCase &c = kProbeCases[i];
        SCOPED_TRACE(c.what);
        t.messages.shown.clear();
        t.writeFile(QStringLiteral("Debug.xml"), kStaleDebug);
        QString title = kOldName;

        EXPECT_EQ(storedNumber(FeedProbe::checkFeed(t.ctx, url(QStringLiteral("/case/%1").arg(i)),
                                                    title, kArrivesMs)),
                  c.type);

        EXPECT_EQ(title, c.title);
        if (c.box) {
            ASSERT_EQ(t.messages.shown.size(), 1);
            expectBox(t.messages.shown.first(), *c.box);
        } else {
            EXPECT_TRUE(t.messages.shown.isEmpty()) << t.messages.shown.first().title.toStdString();
        }
        const QByteArray debug
            = c.keepsDocument ? QByteArray::fromStdString(c.body) + "\r\n" : kStaleDebug;
        EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), debug);
        EXPECT_EQ(m_server.lastHeader("Cache-Control"), "no-cache");
    }
    EXPECT_EQ(m_server.requestCount(), static_cast<int>(std::size(kProbeCases)));
}

// A server that takes the request and never answers; the clock reaches the limit while the probe
// waits.
TEST_F(FeedProbeTest, SilentServerEndsInTimeoutAfterTheDefaultLimit)
{
    QString title = kOldName;
    const test::AdvanceToLimit limit(t.clock, FeedProbe::kProbeTimeoutMs,
                                     [&] { return m_server.heldRequests() > 0; });

    EXPECT_EQ(storedNumber(FeedProbe::checkFeed(t.ctx, url(QStringLiteral("/silent")), title)), -1);

    EXPECT_EQ(t.clock.tickCount(), 6000) << "the probe gave up before its limit";
    EXPECT_EQ(m_server.heldRequests(), 1);
    ASSERT_EQ(t.messages.shown.size(), 1);
    expectBox(t.messages.shown.first(), kTimeout);
    EXPECT_EQ(title, kOldName);
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), kStaleDebug);
}

TEST_F(FeedProbeTest, RefusedConnectionIsNoFeedData)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(closed.serverPort());
    closed.close();
    QString title = kOldName;

    EXPECT_EQ(storedNumber(FeedProbe::checkFeed(t.ctx, refused, title, kArrivesMs)), -1);

    ASSERT_EQ(t.messages.shown.size(), 1);
    expectBox(t.messages.shown.first(), kInvalid);
    EXPECT_EQ(title, kOldName);
}

TEST_F(FeedProbeTest, OfflineAsksUntilCancelledWithoutFetching)
{
    t.connection.connected = false;
    t.messages.answers = {MessageAnswer::Retry, MessageAnswer::Retry, MessageAnswer::Cancel};
    QString title = kOldName;

    EXPECT_EQ(storedNumber(
                  FeedProbe::checkFeed(t.ctx, url(QStringLiteral("/case/0")), title, kArrivesMs)),
              -1);

    ASSERT_EQ(t.messages.shown.size(), 3);
    for (const auto &box : t.messages.shown)
        expectBox(box, kOffline, MessageButtons::RetryCancel);
    EXPECT_EQ(m_server.requestCount(), 0);
    EXPECT_EQ(title, kOldName);
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), kStaleDebug);
}

// Answers Retry to every box and reports a connection from the second box on, as if the user
// plugged the cable in while the box was up.
class ReconnectingBoxes final : public platform::MessageBoxes {
public:
    explicit ReconnectingBoxes(test::FakeConnection &connection)
        : m_connection(connection)
    {
    }

    MessageAnswer show(MessageIcon, const QString &title, const QString &, MessageButtons) override
    {
        titles.append(title);
        if (titles.size() == 2)
            m_connection.connected = true;
        return MessageAnswer::Retry;
    }

    QStringList titles;

private:
    test::FakeConnection &m_connection;
};

TEST_F(FeedProbeTest, RetryAfterTheConnectionReturnsGoesOnToFetch)
{
    t.connection.connected = false;
    ReconnectingBoxes boxes(t.connection);
    const platform::Context ctx{boxes,   t.userSettings, t.secrets,        t.connection,   t.shell,
                                t.clock, t.network,      t.responseBudget, t.ctx.appFolder};
    QString title = kOldName;

    EXPECT_EQ(
        storedNumber(FeedProbe::checkFeed(ctx, url(QStringLiteral("/case/1")), title, kArrivesMs)),
        0);

    EXPECT_EQ(boxes.titles, QStringList(2, kOffline.title));
    EXPECT_EQ(m_server.requestCount(), 1);
    EXPECT_EQ(title, QStringLiteral("Plain news"));
}

TEST_F(FeedProbeTest, AddressTheRequestRefusesIsReportedAsAFailureOfTheProbe)
{
    const QString refused[] = {
        QString(),
        QStringLiteral("feeds.example.org/rss"),
        QStringLiteral("ftp://127.0.0.1/feed.xml"),
        QStringLiteral("file:///etc/passwd"),
    };
    for (const QString &address : refused) {
        SCOPED_TRACE(address.toStdString());
        t.messages.shown.clear();
        QString title = kOldName;

        EXPECT_EQ(storedNumber(FeedProbe::checkFeed(t.ctx, address, title, kArrivesMs)), -1);

        ASSERT_EQ(t.messages.shown.size(), 1);
        const auto &box = t.messages.shown.first();
        EXPECT_EQ(box.icon, MessageIcon::Error);
        EXPECT_EQ(box.title, QStringLiteral("CheckFeed Function"));
        const QString lead = QStringLiteral("Error on Line 4\r\n\r\n");
        EXPECT_TRUE(box.text.startsWith(lead)) << box.text.toStdString();
        EXPECT_GT(box.text.size(), lead.size()) << "the reason is missing";
        EXPECT_EQ(title, kOldName);
    }
    EXPECT_EQ(m_server.requestCount(), 0);
    EXPECT_EQ(t.readFile(QStringLiteral("Debug.xml")), kStaleDebug);
}

// Detection rules on parsed documents, without the network.
TEST(DetectFeedType, FirstFeedElementByItsNameAsWrittenDecides)
{
    struct DetectCase {
        const char *what;
        const char *xml;
        qint16 type;
        QString title;
    };
    const DetectCase cases[] = {
        {"rss and feed both present: rss wins, whichever comes first",
         "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Outer</title>"
         "<rss><channel><title>Inner</title></channel></rss></feed>",
         0, QStringLiteral("Inner")},
        {"rss at any depth",
         "<page><body><rss><channel><title>Deep</title></channel></rss></body></page>", 0,
         QStringLiteral("Deep")},
        {"itunes:summary beside the channel is no podcast",
         "<rss><itunes:summary>x</itunes:summary><channel><title>T</title></channel></rss>", 0,
         QStringLiteral("T")},
        {"podcast without a title",
         "<rss><channel><itunes:summary>x</itunes:summary></channel></rss>", 2, kOldName},
        {"title text joined from text and CDATA, untrimmed",
         "<rss><channel><title> Tom <![CDATA[& <Jerry>]]></title></channel></rss>", 0,
         QStringLiteral(" Tom & <Jerry>")},
        {"Atom without a title", "<feed><entry><title>Entry</title></entry></feed>", 1, kOldName},
        {"Atom written with a prefix is not found",
         "<a:feed xmlns:a=\"http://www.w3.org/2005/Atom\"><a:title>Prefixed</a:title></a:feed>", -1,
         kOldName},
        {"element names are case-sensitive", "<RSS><channel><title>Upper</title></channel></RSS>",
         -1, kOldName},
        {"an element named rdf is RSS", "<rdf><channel><title>Bare rdf</title></channel></rdf>", 0,
         QStringLiteral("Bare rdf")},
        {"an element named rdf with a podcast channel",
         "<rdf><channel><title>Bare cast</title><itunes:summary>x</itunes:summary></channel></rdf>",
         2, QStringLiteral("Bare cast")},
        {"feed beats rdf",
         "<rdf><channel><title>R</title></channel><feed><title>F</title></feed></rdf>", 1,
         QStringLiteral("F")},
        {"rss:channel written with a prefix holds no title",
         "<rss><r:channel xmlns:r=\"urn:r\"><r:title>P</r:title></r:channel></rss>", 0, kOldName},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        platform::XmlDocument doc;
        ASSERT_TRUE(doc.loadXML(QString::fromUtf8(c.xml)));
        QString title = kOldName;

        EXPECT_EQ(storedNumber(FeedProbe::detectFeedType(doc, &title)), c.type);
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(storedNumber(FeedProbe::detectFeedType(doc, nullptr)), c.type);
    }

    const platform::XmlDocument empty;
    QString title = kOldName;
    EXPECT_EQ(storedNumber(FeedProbe::detectFeedType(empty, &title)), -1);
    EXPECT_EQ(title, kOldName);
}

// The type a document of a manifest kind must get; -2 where any result will do. Names count as
// written, so an Atom document whose root carries a prefix ("atom:feed") is not recognised.
qint16 expectedType(const QString &kind, const QString &rootName)
{
    if (kind == u"atom")
        return rootName == u"feed" ? 1 : -1;
    if (kind == u"rss2")
        return 0;
    if (kind == u"podcast")
        return 2;
    if (kind == u"rdf")
        return -1; // rdf:RDF roots
    return -2;
}

struct CorpusEntry {
    QString file;
    QString kind;
    bool wellFormed;
};

// The manifest's rows, each with the file of the corpus folder it describes: the one its
// local_file names, or else the one file whose name ends in its path_in_repo with every "/" as
// "_" (a few rows misspell local_file). Rows without such a file are left out.
QList<CorpusEntry> readManifest(QFile &manifest, const QStringList &files)
{
    const QStringList header = QString::fromUtf8(manifest.readLine()).trimmed().split(u'\t');
    const qsizetype fileColumn = header.indexOf(QStringLiteral("local_file"));
    const qsizetype pathColumn = header.indexOf(QStringLiteral("path_in_repo"));
    const qsizetype kindColumn = header.indexOf(QStringLiteral("kind"));
    const qsizetype wellFormedColumn = header.indexOf(QStringLiteral("well_formed"));
    EXPECT_TRUE(fileColumn >= 0 && pathColumn >= 0 && kindColumn >= 0 && wellFormedColumn >= 0)
        << "unexpected manifest columns";

    QList<CorpusEntry> entries;
    while (!manifest.atEnd()) {
        const QStringList row = QString::fromUtf8(manifest.readLine()).trimmed().split(u'\t');
        if (row.size() != header.size())
            continue;
        QString file = row[fileColumn];
        if (!files.contains(file)) {
            const QString flatPath = QString(row[pathColumn]).replace(u'/', u'_');
            const QStringList candidates = files.filter(
                QRegularExpression(QRegularExpression::escape(flatPath) + QStringLiteral("$")));
            if (candidates.size() != 1)
                continue;
            file = candidates.first();
        }
        entries.append({file, row[kindColumn], row[wellFormedColumn] == u"yes"});
    }
    return entries;
}

TEST(DetectFeedType, RealWorldFeedsGetTheirKindsType)
{
    const QDir corpus(QStringLiteral(MARLOWIN_CORPUS_DIR));
    QFile manifest(corpus.filePath(QStringLiteral("manifest.tsv")));
    if (!manifest.exists())
        GTEST_SKIP() << "no feed corpus at " << MARLOWIN_CORPUS_DIR;
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
    const QDir feeds(corpus.filePath(QStringLiteral("feeds")));
    const QStringList files = feeds.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());

    // Every document, listed or not, malformed or not: nothing may crash.
    struct Outcome {
        qint16 type;
        QString rootName;
    };
    QHash<QString, Outcome> loaded;
    for (const QString &file : files) {
        platform::XmlDocument doc;
        const bool ok = doc.load(feeds.filePath(file));
        QString title = kOldName;
        const qint16 type = storedNumber(FeedProbe::detectFeedType(doc, &title));
        EXPECT_TRUE(type >= -1 && type <= 2) << file.toStdString();
        if (ok)
            loaded.insert(file, {type, doc.documentElement().name()});
    }

    const QList<CorpusEntry> entries = readManifest(manifest, files);
    EXPECT_FALSE(entries.isEmpty()) << "the manifest describes no file of the corpus";
    for (const CorpusEntry &entry : entries) {
        SCOPED_TRACE((entry.file + u' ' + entry.kind).toStdString());
        if (entry.wellFormed) {
            EXPECT_TRUE(loaded.contains(entry.file));
        }
        const auto outcome = loaded.constFind(entry.file);
        if (outcome == loaded.cend())
            continue;
        const qint16 expected = expectedType(entry.kind, outcome->rootName);
        if (expected != -2) {
            EXPECT_EQ(outcome->type, expected);
        }
    }
}

} // namespace
