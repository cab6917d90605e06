#include "platform/HttpRequest.h"

#include "platform/EventPump.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <string>

using platform::HttpRequest;
using platform::WaitResult;
using platform::WaitForResponse;

namespace {

// Limit for responses that do arrive: generous, so that a heavily loaded machine still passes;
// a healthy run never comes near it.
constexpr int kArrivesMs = 20000;
// Limit for the server that holds a request unanswered: the caller gives up after this.
constexpr int kGivesUpMs = 300;
constexpr qint64 kSmallCap = 64 * 1024;

const std::string kFeed =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<rss version=\"2.0\"><channel><title>Caf\xC3\xA9 news</title>"
    "<item><title>First</title></item></channel></rss>\n";

struct CharsetCase {
    const char *what;
    std::string contentType;
    std::string body;
    QString text;
};

// The ISO-8859-1 row carries Windows-1252 characters too: documents that name Latin-1 use them.
const CharsetCase kCharsetCases[] = {
    {"ISO-8859-1 from Content-Type", "application/rss+xml; charset=ISO-8859-1",
     "<?xml version=\"1.0\"?><t>caf\xE9 \x80 \x93q\x94</t>",
     QStringLiteral(u"<?xml version=\"1.0\"?><t>café € “q”</t>")},
    {"Windows-1252 from the XML declaration only", "application/xml",
     "<?xml version=\"1.0\" encoding=\"windows-1252\"?><t>\x93q\x94 \x80 caf\xE9</t>",
     QStringLiteral(u"<?xml version=\"1.0\" encoding=\"windows-1252\"?><t>“q” € café</t>")},
    {"KOI8-R from Content-Type only", "text/xml; charset=koi8-r", "<t>\xF0\xD2\xC9\xD7\xC5\xD4</t>",
     QStringLiteral(u"<t>Привет</t>")},
    {"Content-Type beats a wrong declaration", "text/xml; charset=windows-1252",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><t>caf\xE9 \x80</t>",
     QStringLiteral(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?><t>café €</t>")},
    {"UTF-8 named nowhere", "application/xml", "<t>caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D</t>",
     QStringLiteral(u"<t>café € “q”</t>")},
};

std::string Gzip(const std::string &plain)
{
    httplib::detail::gzip_compressor compressor;
    std::string packed;
    const bool ok = compressor.compress(plain.data(), plain.size(), true,
                                        [&packed](const char *data, size_t size) {
                                            packed.append(data, size);
                                            return true;
                                        });
    EXPECT_TRUE(ok);
    return packed;
}

std::string Filler(size_t size)
{
    return std::string(size, 'x');
}

class HttpRequestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addRoutes(m_server.routes());
        ASSERT_TRUE(m_server.start());
    }

    void TearDown() override { m_server.stop(); }

    [[nodiscard]] QString url(const QString &path) const { return m_server.url(path); }

    // Opens and sends a GET the way the program's callers do.
    void get(HttpRequest &request, const QString &path)
    {
        ASSERT_TRUE(request.open(QStringLiteral("GET"), url(path), true)) << request.errorString().toStdString();
        request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
        request.send();
    }

    void addRoutes(httplib::Server &routes)
    {
        routes.Get("/feed.xml", [](const httplib::Request &, httplib::Response &res) {
            res.set_content(kFeed, "application/rss+xml");
        });
        routes.Get(R"(/status/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            res.status = std::stoi(req.matches[1]);
            res.set_content("<html>status " + std::string(req.matches[1]) + "</html>", "text/html");
        });
        routes.Get("/moved", [](const httplib::Request &, httplib::Response &res) {
            res.set_redirect("/feed.xml", 302);
            res.set_content("<html>moved</html>", "text/html");
        });
        routes.Get(R"(/chain/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            const int left = std::stoi(req.matches[1]);
            if (left == 0)
                res.set_redirect("/feed.xml", 307);
            else
                res.set_redirect("/chain/" + std::to_string(left - 1), 301);
        });
        routes.Get("/loop", [](const httplib::Request &, httplib::Response &res) {
            res.set_redirect("/loop", 302);
        });
        routes.Get("/gzip.xml", [](const httplib::Request &, httplib::Response &res) {
            // A feed type that the server does not compress by itself: the test's bytes go out.
            res.set_header("Content-Encoding", "gzip");
            res.set_content(Gzip(kFeed + Filler(100000)), "application/rss+xml");
        });
        routes.Get(R"(/bytes/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            const size_t size = std::stoul(req.matches[1]);
            if (!req.has_param("chunked")) {
                res.set_content(Filler(size), "application/xml");
                return;
            }
            auto sent = std::make_shared<size_t>(0);
            res.set_chunked_content_provider("application/xml", [size, sent](size_t, httplib::DataSink &sink) {
                const size_t piece = std::min<size_t>(16 * 1024, size - *sent);
                if (piece > 0 && !sink.write(Filler(piece).data(), piece))
                    return false;
                *sent += piece;
                if (*sent == size)
                    sink.done();
                return true;
            });
        });
        routes.Get("/truncated", [](const httplib::Request &, httplib::Response &res) {
            // Announces 1000 bytes, sends half of them and drops the connection.
            res.set_content_provider(1000, "application/xml", [](size_t offset, size_t, httplib::DataSink &sink) {
                if (offset > 0)
                    return false;
                sink.write(Filler(500).data(), 500);
                return true;
            });
        });
        routes.Get(R"(/charset/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            const CharsetCase &c = kCharsetCases[std::stoul(req.matches[1])];
            res.set_content(c.body, c.contentType);
        });
        routes.Get("/headers", [](const httplib::Request &, httplib::Response &res) {
            res.set_content(kFeed, "application/rss+xml");
        });
        routes.Get("/silent", [this](const httplib::Request &, httplib::Response &res) {
            m_server.holdRequest();
            res.set_content("<late/>", "application/xml");
        });
    }

    // Runs the event loop until the server holds a request (bounded: the request must get there).
    [[nodiscard]] bool serverHoldsARequest()
    {
        const QDeadlineTimer deadline(kArrivesMs);
        while (m_server.heldRequests() == 0 && !deadline.hasExpired())
            platform::DoEvents(5);
        return m_server.heldRequests() > 0;
    }

    QNetworkAccessManager m_network;
    test::LocalHttpServer m_server{&m_network};
};

TEST_F(HttpRequestTest, AnyStatusIsACompleteResponseWithItsBody)
{
    for (const int status : {200, 404, 500}) {
        SCOPED_TRACE(status);
        HttpRequest request(m_network);
        get(request, QStringLiteral("/status/%1").arg(status));

        ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);
        EXPECT_EQ(request.readyState(), HttpRequest::Done);
        EXPECT_EQ(request.status(), status);
        EXPECT_EQ(request.responseText(), QStringLiteral("<html>status %1</html>").arg(status));
        EXPECT_FALSE(request.failed());
    }
}

TEST_F(HttpRequestTest, FollowsRedirectsToTheFinalBody)
{
    for (const char *path : {"/moved", "/chain/3"}) {
        SCOPED_TRACE(path);
        HttpRequest request(m_network);
        get(request, QString::fromLatin1(path));

        ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);
        EXPECT_EQ(request.status(), 200);
        EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed));
    }
}

TEST_F(HttpRequestTest, NetworkFailuresCompleteWithAnEmptyBody)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(closed.serverPort());
    closed.close();

    for (const QString &address : {refused, url(QStringLiteral("/loop")), url(QStringLiteral("/truncated"))}) {
        SCOPED_TRACE(address.toStdString());
        HttpRequest request(m_network);
        ASSERT_TRUE(request.open(QStringLiteral("GET"), address));
        request.send();

        ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);
        EXPECT_EQ(request.readyState(), HttpRequest::Done);
        EXPECT_TRUE(request.responseBody().isEmpty());
        EXPECT_TRUE(request.responseText().isEmpty());
        EXPECT_FALSE(request.errorString().isEmpty());
        EXPECT_FALSE(request.failed());
    }
}

TEST_F(HttpRequestTest, GzipBodyArrivesDecoded)
{
    HttpRequest request(m_network);
    get(request, QStringLiteral("/gzip.xml"));

    ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);
    EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed + Filler(100000)));
    EXPECT_TRUE(request.responseText().startsWith(QStringLiteral(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>Café news")));
}

TEST_F(HttpRequestTest, SendsTheCallersAndTheProgramsHeaders)
{
    HttpRequest request(m_network);
    get(request, QStringLiteral("/headers"));
    ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);

    EXPECT_EQ(m_server.lastHeader("Cache-Control"), "no-cache");
    EXPECT_EQ(m_server.lastHeader("User-Agent").rfind("Marlowin", 0), 0u) << m_server.lastHeader("User-Agent");
    EXPECT_EQ(m_server.lastHeader("Accept").rfind("application/rss+xml", 0), 0u) << m_server.lastHeader("Accept");
    EXPECT_NE(m_server.lastHeader("Accept-Encoding").find("gzip"), std::string::npos);
}

TEST_F(HttpRequestTest, DecodesEachDeclaredCharset)
{
    for (size_t i = 0; i < std::size(kCharsetCases); ++i) {
        const CharsetCase &c = kCharsetCases[i];
        SCOPED_TRACE(c.what);
        HttpRequest request(m_network);
        get(request, QStringLiteral("/charset/%1").arg(i));

        ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);
        EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(c.body));
        EXPECT_EQ(request.responseText(), c.text);
    }
}

TEST_F(HttpRequestTest, BodyOverTheCapFailsLikeATimeOut)
{
    struct CapCase {
        qint64 size;
        bool chunked;
        bool fits;
    };
    const CapCase cases[] = {
        {kSmallCap, false, true},
        {kSmallCap, true, true},
        {kSmallCap + 1, false, false},
        {kSmallCap + 1, true, false},
        {1024 * 1024, false, false},
        {1024 * 1024, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << (c.chunked ? " bytes, chunked" : " bytes"));
        HttpRequest request(m_network, kSmallCap);
        get(request, QStringLiteral("/bytes/%1%2").arg(c.size).arg(c.chunked ? "?chunked" : ""));

        const WaitResult result = WaitForResponse(request, kArrivesMs);
        if (c.fits) {
            EXPECT_EQ(result, WaitResult::Complete);
            EXPECT_EQ(request.responseBody().size(), c.size);
            EXPECT_FALSE(request.failed());
            continue;
        }
        EXPECT_EQ(result, WaitResult::TimedOut);
        EXPECT_TRUE(request.failed());
        EXPECT_NE(request.readyState(), HttpRequest::Done);
        EXPECT_FALSE(request.isRunning());
        EXPECT_TRUE(request.responseBody().isEmpty());
    }
}

TEST_F(HttpRequestTest, UnansweredRequestIsAbortedAtTheLimitAndTheObjectServesAgain)
{
    HttpRequest request(m_network);
    get(request, QStringLiteral("/silent"));

    EXPECT_EQ(WaitForResponse(request, kGivesUpMs), WaitResult::TimedOut);
    EXPECT_EQ(request.readyState(), HttpRequest::Unsent);
    EXPECT_FALSE(request.isRunning());

    // The late answer must not complete the abandoned request.
    m_server.openGate();
    for (int turn = 0; turn < 20; ++turn)
        platform::DoEvents(5);
    EXPECT_EQ(request.readyState(), HttpRequest::Unsent);
    EXPECT_TRUE(request.responseBody().isEmpty());

    // A retry runs the same object again, as the refresh's Retry does.
    request.abort();
    get(request, QStringLiteral("/feed.xml"));
    ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);
    EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed));
}

TEST_F(HttpRequestTest, ReopeningStartsFromAnEmptyResponse)
{
    HttpRequest request(m_network);
    get(request, QStringLiteral("/status/404"));
    ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);

    get(request, QStringLiteral("/feed.xml"));
    EXPECT_EQ(request.readyState(), HttpRequest::Opened);
    EXPECT_TRUE(request.responseBody().isEmpty());
    EXPECT_EQ(request.status(), 0);
    ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);
    EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed));
    EXPECT_EQ(request.status(), 200);
}

TEST_F(HttpRequestTest, AbortIsHarmlessWhenIdleAndForgetsACompletedResponse)
{
    HttpRequest request(m_network);
    request.abort();
    EXPECT_EQ(request.readyState(), HttpRequest::Unsent);
    EXPECT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::TimedOut);

    get(request, QStringLiteral("/feed.xml"));
    ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);
    request.abort();
    EXPECT_EQ(request.readyState(), HttpRequest::Unsent);
    EXPECT_TRUE(request.responseBody().isEmpty());
    request.abort();
    EXPECT_EQ(request.readyState(), HttpRequest::Unsent);
}

TEST_F(HttpRequestTest, DestroyingARunningRequestLeavesNoReplyBehind)
{
    auto request = std::make_unique<HttpRequest>(m_network);
    get(*request, QStringLiteral("/silent"));
    ASSERT_TRUE(serverHoldsARequest());

    request.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_network.findChildren<QNetworkReply *>().isEmpty());

    // The server's late answer reaches nobody.
    m_server.openGate();
    for (int turn = 0; turn < 20; ++turn)
        platform::DoEvents(5);
}

TEST_F(HttpRequestTest, OpenAcceptsOnlyAsynchronousGetOfWebAddresses)
{
    struct OpenCase {
        QString method;
        QString address;
        bool asynchronous;
    };
    const QString feed = url(QStringLiteral("/feed.xml"));
    const OpenCase refused[] = {
        {QStringLiteral("GET"), QString(), true},
        {QStringLiteral("GET"), QStringLiteral("not an address"), true},
        {QStringLiteral("GET"), QStringLiteral("http://"), true},
        {QStringLiteral("GET"), QStringLiteral("http://[::1/feed.xml"), true},
        {QStringLiteral("GET"), QStringLiteral("file:///etc/passwd"), true},
        {QStringLiteral("GET"), QStringLiteral("ftp://127.0.0.1/feed.xml"), true},
        {QStringLiteral("GET"), QStringLiteral("javascript:alert(1)"), true},
        {QStringLiteral("POST"), feed, true},
        {QStringLiteral("GET"), feed, false},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE((c.method + u' ' + c.address).toStdString());
        HttpRequest request(m_network);
        EXPECT_FALSE(request.open(c.method, c.address, c.asynchronous));
        EXPECT_FALSE(request.errorString().isEmpty());
        request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
        request.send();
        EXPECT_EQ(request.readyState(), HttpRequest::Unsent);
        EXPECT_FALSE(request.isRunning());
        EXPECT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::TimedOut);
    }

    const OpenCase accepted[] = {
        {QStringLiteral("get"), feed, true},
        {QStringLiteral("GET"), QStringLiteral(" %1 ").arg(QString(feed).replace(QStringLiteral("http:"), QStringLiteral("HTTP:"))), true},
    };
    for (const auto &c : accepted) {
        SCOPED_TRACE((c.method + u' ' + c.address).toStdString());
        HttpRequest request(m_network);
        ASSERT_TRUE(request.open(c.method, c.address, c.asynchronous)) << request.errorString().toStdString();
        EXPECT_EQ(request.readyState(), HttpRequest::Opened);
        request.send();
        ASSERT_EQ(WaitForResponse(request, kArrivesMs), WaitResult::Complete);
        EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed));
    }
}

} // namespace
