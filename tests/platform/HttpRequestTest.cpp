#include "platform/HttpRequest.h"

#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/ResponseBudget.h"
#include "support/AdvanceToLimit.h"
#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

using platform::FetchFailure;
using platform::HttpRequest;
using platform::ResponseBudget;
using platform::waitForResponse;
using platform::WaitResult;

namespace {

// Limit for responses that do arrive, on the real clock: generous, so that a heavily loaded
// machine still passes; a healthy run never comes near it.
constexpr int kArrivesMs = 20000;
// Limit for the server that holds a request unanswered, on a fake clock: the caller gives up
// after this.
constexpr int kGivesUpMs = 300;
constexpr qint64 kSmallCap = 64 * 1024;
constexpr qint64 kMiB = 1024 * 1024;
// What the budget tests' server sends before it holds the end of the body back.
constexpr qsizetype kHeldBytes = 300000;

const std::string kFeed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
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
    {"UTF-8 named nowhere", "application/xml",
     "<t>caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D</t>",
     QStringLiteral(u"<t>café € “q”</t>")},
};

std::string gzip(const std::string &plain)
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

std::string filler(size_t size)
{
    return std::string(size, 'x');
}

// A server that answers with raw bytes, for what cpp-httplib will not send: a status line without
// a reason phrase or with control characters in it, a chunked body cut short. Each request gets
// the reply scripted for its path, then the connection is closed. Bytes that are not an HTTP
// request (a TLS handshake) get the answer a plain HTTP server gives them.
class ScriptedServer {
public:
    explicit ScriptedServer(std::map<QByteArray, QByteArray> replies)
        : m_replies(std::move(replies))
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    [[nodiscard]] bool start() { return m_server.listen(QHostAddress::LocalHost); }
    [[nodiscard]] QString url(const QString &scheme, const QString &path) const
    {
        return QStringLiteral("%1://127.0.0.1:%2%3")
            .arg(scheme)
            .arg(m_server.serverPort())
            .arg(path);
    }

private:
    void serve(QTcpSocket *socket)
    {
        auto received = std::make_shared<QByteArray>();
        auto answered = std::make_shared<bool>(false);
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(
            socket, &QTcpSocket::readyRead, socket, [this, socket, received, answered] {
                *received += socket->readAll();
                if (*answered)
                    return;
                const QByteArray get = "GET ";
                const bool http = received->startsWith(get);
                if ((http && !received->contains("\r\n\r\n")) || get.startsWith(*received))
                    return; // the request's head is still arriving
                const QByteArray path = http ? received->split(' ').value(1) : QByteArray();
                const auto reply = m_replies.find(path);
                socket->write(reply != m_replies.end()
                                  ? reply->second
                                  : QByteArray("HTTP/1.1 400 Bad Request\r\n"
                                               "Content-Length: 0\r\nConnection: close\r\n\r\n"));
                socket->disconnectFromHost();
                *answered = true;
            });
    }

    QTcpServer m_server;
    const std::map<QByteArray, QByteArray> m_replies;
};

QByteArray closedResponse(const QByteArray &statusLine, const QByteArray &body)
{
    return statusLine + "\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n\r\n" + body;
}

// Counts finished() of one request for as long as the request lives.
class FinishedCounter {
public:
    explicit FinishedCounter(HttpRequest &request)
    {
        QObject::connect(&request, &HttpRequest::finished, &request, [this] { ++count; });
    }
    int count = 0;
};

// Runs the event loop a little longer, so that a second finished() would have arrived.
void runALittleLonger()
{
    for (int turn = 0; turn < 20; ++turn)
        platform::doEvents(5);
}

// Runs the event loop until the network holds no reply any more, then handles what is still
// posted. A request lets go of its reply before it signals its end, and nothing else can make it
// signal: whatever a finished request still had to say has then been said.
void runUntilTheRepliesAreGone(QNetworkAccessManager &network)
{
    EXPECT_TRUE(test::waitUntil([&] { return network.findChildren<QNetworkReply *>().isEmpty(); },
                                kArrivesMs));
    QCoreApplication::processEvents();
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
    void get(HttpRequest &request, const QString &path) { getAddress(request, url(path)); }

    void getAddress(HttpRequest &request, const QString &address)
    {
        ASSERT_TRUE(request.open(QStringLiteral("GET"), address, true))
            << request.errorString().toStdString();
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
        routes.Get(R"(/feed-with-status/(\d+))",
                   [](const httplib::Request &req, httplib::Response &res) {
                       res.status = std::stoi(req.matches[1]);
                       res.set_content(kFeed, "application/rss+xml");
                   });
        routes.Get("/redirect", [](const httplib::Request &req, httplib::Response &res) {
            res.set_redirect(req.get_param_value("to"), 302);
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
            res.set_content(gzip(kFeed + filler(100000)), "application/rss+xml");
        });
        routes.Get(R"(/bytes/(\d+))", [](const httplib::Request &req, httplib::Response &res) {
            const size_t size = std::stoul(req.matches[1]);
            if (!req.has_param("chunked")) {
                res.set_content(filler(size), "application/xml");
                return;
            }
            auto sent = std::make_shared<size_t>(0);
            res.set_chunked_content_provider(
                "application/xml", [size, sent](size_t, httplib::DataSink &sink) {
                    const size_t piece = std::min<size_t>(16 * 1024, size - *sent);
                    if (piece > 0 && !sink.write(filler(piece).data(), piece))
                        return false;
                    *sent += piece;
                    if (*sent == size)
                        sink.done();
                    return true;
                });
        });
        // The next two send a feed type, which the server does not compress: their bytes go out
        // as they are written, not when the body ends.
        routes.Get("/endless", [](const httplib::Request &, httplib::Response &res) {
            res.set_chunked_content_provider("application/rss+xml",
                                             [](size_t, httplib::DataSink &sink) {
                                                 const std::string piece = filler(64 * 1024);
                                                 return sink.write(piece.data(), piece.size());
                                             });
        });
        routes.Get(R"(/held/(\d+))", [this](const httplib::Request &req, httplib::Response &res) {
            // Sends its bytes, then holds the end of the body back until the gate opens.
            const size_t size = std::stoul(req.matches[1]);
            res.set_chunked_content_provider(
                "application/rss+xml", [this, size](size_t offset, httplib::DataSink &sink) {
                    if (offset < size) {
                        const std::string piece = filler(size - offset);
                        return sink.write(piece.data(), piece.size());
                    }
                    m_server.holdRequest();
                    sink.done();
                    return true;
                });
        });
        routes.Get("/truncated", [](const httplib::Request &, httplib::Response &res) {
            // Announces 1000 bytes, sends half of them and drops the connection.
            res.set_content_provider(1000, "application/xml",
                                     [](size_t offset, size_t, httplib::DataSink &sink) {
                                         if (offset > 0)
                                             return false;
                                         sink.write(filler(500).data(), 500);
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
            platform::doEvents(5);
        return m_server.heldRequests() > 0;
    }

    platform::SystemClock m_clock;
    QNetworkAccessManager m_network;
    test::LocalHttpServer m_server{&m_network};
};

TEST_F(HttpRequestTest, AnyStatusIsACompleteResponseWithItsBody)
{
    for (const int status : {200, 404, 500}) {
        SCOPED_TRACE(status);
        HttpRequest request(m_network);
        get(request, QStringLiteral("/status/%1").arg(status));

        ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);
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

        ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);
        EXPECT_EQ(request.status(), 200);
        EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed));
    }
}

TEST_F(HttpRequestTest, EachWayOfEndingHasItsFailureAndText)
{
    ScriptedServer scripted({
        {"/no-reason", closedResponse("HTTP/1.1 404", "nope")},
        {"/unknown-status", closedResponse("HTTP/1.1 599 ", "nope")},
        {"/control-reason", closedResponse("HTTP/1.1 503 Back\x01 soon\x85later\t", "nope")},
        {"/utf8-reason", closedResponse("HTTP/1.1 410 Caf\xC3\xA9 ferm\xC3\xA9", "nope")},
        {"/cut-chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: "
         "close\r\n\r\n5\r\n<rss>\r\n"},
    });
    ASSERT_TRUE(scripted.start());
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(closed.serverPort());
    closed.close();

    struct FailureCase {
        const char *what;
        QString address;
        FetchFailure failure;
        QString text; // the whole failureText(), or its part before Qt's own words
        QByteArray body = {};
        bool qtWordsFollow = false;
        qint64 cap = platform::kDefaultResponseCap;
    };
    const QString http = QStringLiteral("http");
    const QByteArray feed = QByteArray::fromStdString(kFeed);
    const FailureCase cases[] = {
        {"2xx", url(QStringLiteral("/feed.xml")), FetchFailure::None, QString(), feed},
        {"404 with the server's reason phrase", url(QStringLiteral("/status/404")),
         FetchFailure::HttpStatus, QStringLiteral("Server answered 404 Not Found"),
         "<html>status 404</html>"},
        {"404 without a reason phrase", scripted.url(http, QStringLiteral("/no-reason")),
         FetchFailure::HttpStatus, QStringLiteral("Server answered 404 Not Found"), "nope"},
        {"unknown status without a reason phrase",
         scripted.url(http, QStringLiteral("/unknown-status")), FetchFailure::HttpStatus,
         QStringLiteral("Server answered 599"), "nope"},
        {"reason phrase with control characters",
         scripted.url(http, QStringLiteral("/control-reason")), FetchFailure::HttpStatus,
         QStringLiteral("Server answered 503 Back  soon later"), "nope"},
        {"reason phrase in UTF-8", scripted.url(http, QStringLiteral("/utf8-reason")),
         FetchFailure::HttpStatus, QStringLiteral(u"Server answered 410 Café fermé"), "nope"},
        {"500 whose body is a valid feed", url(QStringLiteral("/feed-with-status/500")),
         FetchFailure::HttpStatus, QStringLiteral("Server answered 500 Internal Server Error"),
         feed},
        {"redirect loop", url(QStringLiteral("/loop")), FetchFailure::TooManyRedirects,
         QStringLiteral("Server redirected the request too many times!")},
        {"redirect to ftp:", url(QStringLiteral("/redirect?to=ftp://127.0.0.1/feed.xml")),
         FetchFailure::RefusedRedirect,
         QStringLiteral(
             "Server redirected the request to an address the application does not follow!")},
        {"redirect to file:", url(QStringLiteral("/redirect?to=file:///etc/passwd")),
         FetchFailure::RefusedRedirect,
         QStringLiteral(
             "Server redirected the request to an address the application does not follow!")},
        {"connection closed mid-body", url(QStringLiteral("/truncated")),
         FetchFailure::ConnectionReset,
         QStringLiteral("Connection was reset before the server's answer was complete!")},
        {"connection closed mid-chunk", scripted.url(http, QStringLiteral("/cut-chunked")),
         FetchFailure::ConnectionReset,
         QStringLiteral("Connection was reset before the server's answer was complete!")},
        {"unused port", refused, FetchFailure::ConnectionRefused,
         QStringLiteral("Server refused the connection!")},
        {"https to a plain HTTP server",
         scripted.url(QStringLiteral("https"), QStringLiteral("/")),
         FetchFailure::Tls,
         QStringLiteral("Secure connection to the server failed: "),
         {},
         true},
        {"unknown host", QStringLiteral("http://nonexistent.invalid/feed.xml"),
         FetchFailure::HostNotFound, QStringLiteral("Server nonexistent.invalid was not found!")},
        {"body over the cap",
         url(QStringLiteral("/bytes/%1").arg(2 * kMiB)),
         FetchFailure::TooLarge,
         QStringLiteral("Server sent more than 1 MB! Application did not read the Feed."),
         {},
         false,
         kMiB},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        HttpRequest request(m_network, nullptr, c.cap);
        const FinishedCounter finished(request);
        getAddress(request, c.address);
        EXPECT_EQ(finished.count, 0); // never from inside send()

        ASSERT_TRUE(test::waitUntil([&] { return finished.count > 0; }, kArrivesMs));
        runUntilTheRepliesAreGone(m_network);
        EXPECT_EQ(finished.count, 1);
        EXPECT_EQ(request.failure(), c.failure);
        EXPECT_EQ(request.failureText(), c.qtWordsFollow ? c.text + request.errorString() : c.text);
        EXPECT_TRUE(!c.qtWordsFollow || !request.errorString().isEmpty());
        EXPECT_EQ(request.responseBody(), c.body);
        // The failures that end the request on its own look like a time-out to a waiting caller.
        const bool givesUp = c.failure == FetchFailure::TooLarge;
        EXPECT_EQ(request.failed(), givesUp);
        EXPECT_EQ(request.readyState() == HttpRequest::Done, !givesUp);
        EXPECT_EQ(waitForResponse(request, m_clock, kArrivesMs),
                  givesUp ? WaitResult::TimedOut : WaitResult::Complete);
    }
}

TEST_F(HttpRequestTest, RespondingInTheFinishedHandlerIsSafe)
{
    // The feed update retries from its handler and drops the request once it has the answer.
    auto request = std::make_unique<HttpRequest>(m_network);
    int finishes = 0;
    QObject::connect(request.get(), &HttpRequest::finished, request.get(), [&] {
        if (++finishes == 1) {
            EXPECT_EQ(request->failure(), FetchFailure::HttpStatus);
            EXPECT_TRUE(request->open(QStringLiteral("GET"), url(QStringLiteral("/feed.xml"))));
            request->send();
            return;
        }
        EXPECT_EQ(request->failure(), FetchFailure::None);
        EXPECT_EQ(request->responseBody(), QByteArray::fromStdString(kFeed));
        request.reset();
    });
    get(*request, QStringLiteral("/status/404"));

    ASSERT_TRUE(test::waitUntil([&] { return !request; }, kArrivesMs));
    runUntilTheRepliesAreGone(m_network);
    EXPECT_EQ(finishes, 2);
}

TEST_F(HttpRequestTest, AbortedRequestNeverSignalsFinished)
{
    HttpRequest request(m_network);
    const FinishedCounter finished(request);
    get(request, QStringLiteral("/silent"));
    ASSERT_TRUE(serverHoldsARequest());

    request.abort();
    m_server.openGate();
    runALittleLonger();
    EXPECT_EQ(finished.count, 0);
    EXPECT_EQ(request.failure(), FetchFailure::None);
    EXPECT_TRUE(request.failureText().isEmpty());
}

TEST_F(HttpRequestTest, SharedBudgetStopsTheBodiesThatOutgrowIt)
{
    const QString overBudget = QStringLiteral(
        "Feeds fetched at the same time exceeded 1 MB! Application did not read the Feed.");
    ResponseBudget budget(kMiB);

    // A body that would fit alone does not fit beside one that holds most of the budget; the
    // one already holding its bytes completes.
    HttpRequest holding(m_network, &budget);
    get(holding, QStringLiteral("/held/700000"));
    ASSERT_TRUE(
        test::waitUntil([&] { return holding.responseBody().size() == 700000; }, kArrivesMs));
    HttpRequest late(m_network, &budget);
    const FinishedCounter lateFinished(late);
    get(late, QStringLiteral("/bytes/700000"));
    ASSERT_TRUE(test::waitUntil([&] { return lateFinished.count > 0; }, kArrivesMs));
    EXPECT_TRUE(late.failed());
    EXPECT_EQ(late.failure(), FetchFailure::OverBudget);
    EXPECT_EQ(late.failureText(), overBudget);
    EXPECT_TRUE(late.responseBody().isEmpty());
    EXPECT_EQ(waitForResponse(late, m_clock, kArrivesMs), WaitResult::TimedOut);

    EXPECT_TRUE(holding.isRunning());
    m_server.openGate();
    ASSERT_EQ(waitForResponse(holding, m_clock, kArrivesMs), WaitResult::Complete);
    EXPECT_EQ(holding.failure(), FetchFailure::None);
    EXPECT_EQ(holding.responseBody().size(), 700000);
    EXPECT_EQ(budget.available(), budget.total());

    // Endless bodies all stop, and the budget comes back whole. On a busy machine Qt may
    // hold more than the cap of one reply before it is read, which then stops it first.
    HttpRequest first(m_network, &budget);
    HttpRequest second(m_network, &budget);
    const FinishedCounter firstFinished(first);
    const FinishedCounter secondFinished(second);
    get(first, QStringLiteral("/endless"));
    get(second, QStringLiteral("/endless"));
    ASSERT_TRUE(test::waitUntil([&] { return firstFinished.count > 0 && secondFinished.count > 0; },
                                kArrivesMs));
    for (const HttpRequest *request : {&first, &second}) {
        EXPECT_THAT(request->failure(),
                    ::testing::AnyOf(FetchFailure::OverBudget, FetchFailure::TooLarge));
        if (request->failure() == FetchFailure::OverBudget) {
            EXPECT_EQ(request->failureText(), overBudget);
        }
    }
    EXPECT_EQ(budget.available(), budget.total());
}

TEST_F(HttpRequestTest, BudgetCountsTheBodysBufferAndGetsItBackHoweverTheRequestEnds)
{
    ResponseBudget budget(4 * kMiB);
    const auto holdsItsBody = [&](std::unique_ptr<HttpRequest> &request) {
        request = std::make_unique<HttpRequest>(m_network, &budget);
        get(*request, QStringLiteral("/held/%1").arg(kHeldBytes));
        EXPECT_TRUE(test::waitUntil([&] { return request->responseBody().size() == kHeldBytes; },
                                    kArrivesMs));
        // The whole buffer counts, spare capacity included.
        EXPECT_GE(budget.total() - budget.available(), request->responseBody().capacity());
    };

    using End = std::function<void(std::unique_ptr<HttpRequest> &)>;
    const std::pair<const char *, End> ends[] = {
        {"abort", [](auto &request) { request->abort(); }},
        {"reopen",
         [this](auto &request) {
             EXPECT_TRUE(request->open(QStringLiteral("GET"), url(QStringLiteral("/feed.xml"))));
         }},
        {"destroy", [](auto &request) { request.reset(); }},
        {"done",
         [this](auto &request) {
             m_server.openGate();
             EXPECT_EQ(waitForResponse(*request, m_clock, kArrivesMs), WaitResult::Complete);
             EXPECT_EQ(request->responseBody().size(), kHeldBytes);
         }},
    };
    for (const auto &[what, end] : ends) {
        SCOPED_TRACE(what);
        std::unique_ptr<HttpRequest> request;
        holdsItsBody(request);
        end(request);
        EXPECT_EQ(budget.available(), budget.total());
    }
}

TEST_F(HttpRequestTest, GzipBodyArrivesDecoded)
{
    HttpRequest request(m_network);
    get(request, QStringLiteral("/gzip.xml"));

    ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);
    EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed + filler(100000)));
    EXPECT_TRUE(request.responseText().startsWith(
        QStringLiteral(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss "
                       u"version=\"2.0\"><channel><title>Café news")));
}

TEST_F(HttpRequestTest, SendsTheCallersAndTheProgramsHeaders)
{
    HttpRequest request(m_network);
    get(request, QStringLiteral("/headers"));
    ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);

    EXPECT_EQ(m_server.lastHeader("Cache-Control"), "no-cache");
    EXPECT_EQ(m_server.lastHeader("User-Agent").rfind("Marlowin", 0), 0u)
        << m_server.lastHeader("User-Agent");
    EXPECT_EQ(m_server.lastHeader("Accept").rfind("application/rss+xml", 0), 0u)
        << m_server.lastHeader("Accept");
    EXPECT_NE(m_server.lastHeader("Accept-Encoding").find("gzip"), std::string::npos);
}

TEST_F(HttpRequestTest, DecodesEachDeclaredCharset)
{
    for (size_t i = 0; i < std::size(kCharsetCases); ++i) {
        const CharsetCase &c = kCharsetCases[i];
        SCOPED_TRACE(c.what);
        HttpRequest request(m_network);
        get(request, QStringLiteral("/charset/%1").arg(i));

        ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);
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
        {kSmallCap, false, true},     {kSmallCap, true, true},     {kSmallCap + 1, false, false},
        {kSmallCap + 1, true, false}, {1024 * 1024, false, false}, {1024 * 1024, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << (c.chunked ? " bytes, chunked" : " bytes"));
        ResponseBudget budget;
        HttpRequest request(m_network, &budget, kSmallCap);
        get(request, QStringLiteral("/bytes/%1%2").arg(c.size).arg(c.chunked ? "?chunked" : ""));

        const WaitResult result = waitForResponse(request, m_clock, kArrivesMs);
        if (c.fits) {
            EXPECT_EQ(result, WaitResult::Complete);
            EXPECT_EQ(request.responseBody().size(), c.size);
            EXPECT_FALSE(request.failed());
            EXPECT_EQ(budget.available(), budget.total());
            continue;
        }
        EXPECT_EQ(result, WaitResult::TimedOut);
        EXPECT_TRUE(request.failed());
        EXPECT_EQ(request.failure(), FetchFailure::TooLarge);
        EXPECT_NE(request.readyState(), HttpRequest::Done);
        EXPECT_FALSE(request.isRunning());
        EXPECT_TRUE(request.responseBody().isEmpty());
        EXPECT_EQ(budget.available(), budget.total());
    }
}

TEST_F(HttpRequestTest, UnansweredRequestIsAbortedAtTheLimitAndTheObjectServesAgain)
{
    HttpRequest request(m_network);
    get(request, QStringLiteral("/silent"));
    test::FakeClock clock;
    const test::AdvanceToLimit limit(clock, kGivesUpMs,
                                     [&] { return m_server.heldRequests() > 0; });

    EXPECT_EQ(waitForResponse(request, clock, kGivesUpMs), WaitResult::TimedOut);
    EXPECT_EQ(clock.tickCount(), kGivesUpMs) << "it gave up before its limit";
    EXPECT_EQ(request.readyState(), HttpRequest::Unsent);
    EXPECT_FALSE(request.isRunning());

    // The late answer must not complete the abandoned request.
    m_server.openGate();
    for (int turn = 0; turn < 20; ++turn)
        platform::doEvents(5);
    EXPECT_EQ(request.readyState(), HttpRequest::Unsent);
    EXPECT_TRUE(request.responseBody().isEmpty());

    // A retry runs the same object again, as the refresh's Retry does.
    request.abort();
    get(request, QStringLiteral("/feed.xml"));
    ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);
    EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed));
}

TEST_F(HttpRequestTest, ReopeningStartsFromAnEmptyResponse)
{
    HttpRequest request(m_network);
    get(request, QStringLiteral("/status/404"));
    ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);

    get(request, QStringLiteral("/feed.xml"));
    EXPECT_EQ(request.readyState(), HttpRequest::Opened);
    EXPECT_TRUE(request.responseBody().isEmpty());
    EXPECT_EQ(request.status(), 0);
    ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);
    EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed));
    EXPECT_EQ(request.status(), 200);
}

TEST_F(HttpRequestTest, AbortIsHarmlessWhenIdleAndForgetsACompletedResponse)
{
    HttpRequest request(m_network);
    request.abort();
    EXPECT_EQ(request.readyState(), HttpRequest::Unsent);
    EXPECT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::TimedOut);

    get(request, QStringLiteral("/feed.xml"));
    ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);
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
        platform::doEvents(5);
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
        EXPECT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::TimedOut);
    }

    const OpenCase accepted[] = {
        {QStringLiteral("get"), feed, true},
        {QStringLiteral("GET"),
         QStringLiteral(" %1 ").arg(
             QString(feed).replace(QStringLiteral("http:"), QStringLiteral("HTTP:"))),
         true},
    };
    for (const auto &c : accepted) {
        SCOPED_TRACE((c.method + u' ' + c.address).toStdString());
        HttpRequest request(m_network);
        ASSERT_TRUE(request.open(c.method, c.address, c.asynchronous))
            << request.errorString().toStdString();
        EXPECT_EQ(request.readyState(), HttpRequest::Opened);
        request.send();
        ASSERT_EQ(waitForResponse(request, m_clock, kArrivesMs), WaitResult::Complete);
        EXPECT_EQ(request.responseBody(), QByteArray::fromStdString(kFeed));
    }
}

} // namespace
