#include "email/SmtpSession.h"

#include "support/LocalSmtpServer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <memory>

namespace {

using test::LocalSmtpServer;
using test::ReceivedAuth;
using test::ReceivedMail;

const QString kRefused = QStringLiteral("refused@example.org");
const QString kUser = QStringLiteral("reader");
const QString kPassword = QStringLiteral("pässwörd€-✓-中文-😀");

// What a session reported, in order.
struct Outcome {
    QList<int> progress;
    QStringList statuses;
    int successes = 0;
    QStringList failures;
    [[nodiscard]] int finals() const { return successes + int(failures.size()); }
};

QString normalized(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

class SmtpSessionTest : public ::testing::Test {
protected:
    // Each server starts on first use: a Python process costs a few tenths of a second.
    static LocalSmtpServer &plain()
    {
        static const std::unique_ptr<LocalSmtpServer> server = started({{}, {}, {kRefused}});
        return *server;
    }
    // Offers no STARTTLS, and takes AUTH in clear.
    static LocalSmtpServer &withAuth()
    {
        static const std::unique_ptr<LocalSmtpServer> server = started({kUser, kPassword, {}});
        return *server;
    }
    static LocalSmtpServer &withStartTls()
    {
        static const std::unique_ptr<LocalSmtpServer> server
            = started({kUser, kPassword, {}, LocalSmtpServer::Tls::StartTls});
        return *server;
    }
    static LocalSmtpServer &withImplicitTls()
    {
        static const std::unique_ptr<LocalSmtpServer> server
            = started({kUser, kPassword, {}, LocalSmtpServer::Tls::Implicit});
        return *server;
    }
    static std::unique_ptr<LocalSmtpServer> started(const LocalSmtpServer::Options &options)
    {
        auto server = std::make_unique<LocalSmtpServer>();
        EXPECT_TRUE(server->start(options)) << "the test SMTP server did not start";
        return server;
    }

    // A session that sends the usual message to the port; tests change what they look at. The
    // connection is not encrypted, since most test servers speak no TLS. Its limits run on the
    // test's clock.
    std::unique_ptr<SmtpSession> sessionTo(int port)
    {
        auto session = std::make_unique<SmtpSession>(m_clock);
        session->setAsHTML(true);
        session->setRecipientSeparator(QStringLiteral(";"));
        session->setSMTPHost(QStringLiteral("127.0.0.1"));
        session->setSMTPPort(port);
        session->setConnectionSecurity(ConnectionSecurity::None);
        session->setRecipient(QStringLiteral("ann@example.org"));
        session->setFrom(QStringLiteral("me@example.com"));
        session->setFromDisplayName(QStringLiteral("Marlowin Reader"));
        session->setSubject(QStringLiteral("An Article from \"Tech News\""));
        session->setMessage(QStringLiteral("<p>Hello</p>"));
        session->setDate(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53), QTimeZone(3600)));
        return session;
    }

    // Sends and waits for the final signal, then a little longer for any signal after it.
    static Outcome Run(SmtpSession &session)
    {
        Outcome outcome;
        QObject::connect(&session, &SmtpSession::progress, [&](int p) { outcome.progress << p; });
        QObject::connect(&session, &SmtpSession::status,
                         [&](const QString &s) { outcome.statuses << s; });
        QObject::connect(&session, &SmtpSession::sendSuccesful, [&] { ++outcome.successes; });
        QObject::connect(&session, &SmtpSession::sendFailed,
                         [&](const QString &e) { outcome.failures << e; });
        session.send();
        EXPECT_EQ(outcome.finals(), 0) << "signals arrive through the event loop only";
        EXPECT_TRUE(test::waitUntil([&] { return outcome.finals() > 0; }, 20000));
        QTest::qWait(50);
        EXPECT_EQ(outcome.finals(), 1);
        return outcome;
    }

    // The messages that reached the server during the test.
    static QList<ReceivedMail> arrived(const LocalSmtpServer &server, qsizetype before)
    {
        return server.messages().mid(before);
    }

    test::FakeClock m_clock;
};

TEST_F(SmtpSessionTest, DeliversOneMessageToEveryListedRecipient)
{
    const qsizetype before = plain().messages().size();
    auto session = sessionTo(plain().port());
    session->setRecipient(QStringLiteral(" ann@example.org ;Bob <bob@example.net>; ;"));

    const Outcome outcome = Run(*session);

    ASSERT_EQ(outcome.failures, QStringList());
    EXPECT_EQ(outcome.progress.last(), 100);
    EXPECT_EQ(outcome.statuses.first(),
              QStringLiteral("Connecting to 127.0.0.1:%1 ...").arg(plain().port()));
    EXPECT_TRUE(outcome.statuses.contains(QStringLiteral("Sending message ...")));
    EXPECT_EQ(outcome.statuses.last(), QStringLiteral("Message sent."));

    const QList<ReceivedMail> mails = arrived(plain(), before);
    ASSERT_EQ(mails.size(), 1);
    const ReceivedMail &mail = mails.first();
    EXPECT_EQ(mail.mailFrom, "me@example.com");
    EXPECT_EQ(mail.recipients, QStringList({"ann@example.org", "bob@example.net"}));
    EXPECT_EQ(mail.header("To"), QStringList({"ann@example.org, bob@example.net"}));
    EXPECT_EQ(mail.from, "Marlowin Reader <me@example.com>");
    EXPECT_EQ(mail.subject, "An Article from \"Tech News\"");
    EXPECT_EQ(mail.header("Date"), QStringList({"Sat, 14 Mar 2026 09:26:53 +0100"}));
    EXPECT_TRUE(mail.header("Message-ID").value(0).endsWith("@example.com>"));
    EXPECT_EQ(mail.header("Content-Type"), QStringList({"text/html; charset=\"UTF-8\""}));
    EXPECT_EQ(normalized(mail.body), "<p>Hello</p>\n");
}

// Feed text reaches the subject and the sender name; neither can add a header or a recipient.
TEST_F(SmtpSessionTest, LineBreaksInHeaderValuesAddNoHeaderAndNoRecipient)
{
    const qsizetype before = plain().messages().size();
    auto session = sessionTo(plain().port());
    session->setSubject(QStringLiteral("An Article from \"News\r\nBcc: eve@example.org\""));
    session->setFromDisplayName(QStringLiteral("Me\nBcc: mallory@example.org\r\nX-Evil: 1"));

    ASSERT_EQ(Run(*session).successes, 1);

    const QList<ReceivedMail> mails = arrived(plain(), before);
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0].recipients, QStringList({"ann@example.org"}));
    EXPECT_EQ(mails[0].header("Bcc"), QStringList());
    EXPECT_EQ(mails[0].header("X-Evil"), QStringList());
    EXPECT_EQ(mails[0].subject, "An Article from \"News Bcc: eve@example.org\"");
    EXPECT_EQ(mails[0].from, "\"Me Bcc: mallory@example.org X-Evil: 1\" <me@example.com>");
}

// Encoded headers, quoted-printable lines and dot-stuffing together must give back the text.
TEST_F(SmtpSessionTest, NonAsciiTextAndLeadingDotsArriveIntact)
{
    const qsizetype before = plain().messages().size();
    const QString subject = QStringLiteral(
        "An Article from \"Ünïcödé Nëws — 日本語のニュース、とても長い題名です 😀\"");
    const QString body = QStringLiteral("<p>Café “quoted” — 😀</p>\r\n.\r\n..leading dots\r\n")
        + QString(200, QChar(0x00E9)) + QStringLiteral("\r\n=3D is not encoded\r\n");
    auto session = sessionTo(plain().port());
    session->setSubject(subject);
    session->setFromDisplayName(QStringLiteral("Zoë Ångström"));
    session->setMessage(body);

    ASSERT_EQ(Run(*session).successes, 1);

    const QList<ReceivedMail> mails = arrived(plain(), before);
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0].subject, subject);
    EXPECT_EQ(mails[0].from, "Zoë Ångström <me@example.com>");
    EXPECT_EQ(normalized(mails[0].body), normalized(body));
    for (const QByteArray &line : mails[0].raw.split('\n'))
        EXPECT_LE(line.size(), 77) << line.toStdString(); // 76 and the CR
}

// The server compares the user name and password it got, as UTF-8, with its own.
TEST_F(SmtpSessionTest, AuthenticatesWithTheConfiguredAccount)
{
    const struct {
        bool useAuthentication;
        QString password;
        const char *failure; // part of the explanation; null for success
    } cases[] = {
        {true, kPassword, nullptr},
        {true, QStringLiteral("pässwörd€-✓-中文-😁"), "Login denied"},
        {false, QString(), "530"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.password.toStdString());
        const qsizetype before = withAuth().messages().size();
        auto session = sessionTo(withAuth().port());
        session->setUseAuthentication(c.useAuthentication);
        session->setUsername(kUser);
        session->setPassword(c.password);

        const Outcome outcome = Run(*session);

        const QList<ReceivedMail> mails = arrived(withAuth(), before);
        if (!c.failure) {
            EXPECT_EQ(outcome.successes, 1);
            EXPECT_TRUE(outcome.statuses.contains(QStringLiteral("Logging in ...")));
            ASSERT_EQ(mails.size(), 1);
            EXPECT_TRUE(mails[0].authenticated);
        } else {
            ASSERT_EQ(outcome.failures.size(), 1);
            EXPECT_TRUE(outcome.failures[0].contains(QLatin1String(c.failure)))
                << outcome.failures[0].toStdString();
            EXPECT_TRUE(mails.isEmpty());
        }
    }
}

// The password never travels in clear unless None is chosen: STARTTLS is a condition, and the
// server's certificate must come from a trusted authority (the test's own, or else the system's).
TEST_F(SmtpSessionTest, ThePasswordTravelsOnlyAsTheConnectionSecuritySays)
{
    const QStringList noStartTls{
        "The server does not offer an encrypted connection (STARTTLS), so Marlowin sent it "
        "nothing, not even the password.",
        "Email Settings, Connection security"};
    const struct {
        const char *name;
        LocalSmtpServer &server;
        ConnectionSecurity security;
        bool trustTheTestAuthority;
        QStringList failure;  // parts of the explanation; empty for delivered
        bool passwordInClear; // when delivered
    } cases[] = {
        {"STARTTLS, offered", withStartTls(), ConnectionSecurity::StartTls, true, {}, false},
        {"STARTTLS, not offered", withAuth(), ConnectionSecurity::StartTls, true, noStartTls, {}},
        {"SSL/TLS", withImplicitTls(), ConnectionSecurity::Tls, true, {}, false},
        {"SSL/TLS, certificate of an unknown authority",
         withImplicitTls(),
         ConnectionSecurity::Tls,
         false,
         {"SSL certificate problem"},
         {}},
        {"None", withAuth(), ConnectionSecurity::None, false, {}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype mailsBefore = c.server.messages().size();
        const qsizetype authBefore = c.server.authCommands().size();
        auto session = sessionTo(c.server.port());
        session->setConnectionSecurity(c.security);
        if (c.trustTheTestAuthority)
            session->setCaFile(c.server.caFile());
        session->setUseAuthentication(true);
        session->setUsername(kUser);
        session->setPassword(kPassword);

        const Outcome outcome = Run(*session);

        const QList<ReceivedMail> mails = arrived(c.server, mailsBefore);
        const QList<ReceivedAuth> auth = c.server.authCommands().mid(authBefore);
        if (c.failure.isEmpty()) {
            ASSERT_EQ(outcome.failures, QStringList());
            ASSERT_EQ(mails.size(), 1);
            EXPECT_TRUE(mails[0].authenticated);
            ASSERT_EQ(auth.size(), 1);
            EXPECT_EQ(auth[0].encrypted, !c.passwordInClear);
        } else {
            ASSERT_EQ(outcome.failures.size(), 1);
            for (const QString &part : c.failure)
                EXPECT_TRUE(outcome.failures[0].contains(part))
                    << outcome.failures[0].toStdString();
            EXPECT_TRUE(mails.isEmpty());
            EXPECT_TRUE(auth.isEmpty()) << "the server never saw AUTH";
        }
    }
}

// The explanation says what went wrong in words a user can pass on: libcurl's message and,
// when the server refused something, the server's own reply.
TEST_F(SmtpSessionTest, FailuresExplainThemselves)
{
    const struct {
        const char *name;
        QString host;
        int port;
        QString recipients;
        QStringList explanationParts;
    } cases[] = {
        {"refused recipient",
         "127.0.0.1",
         plain().port(),
         "ann@example.org;" + kRefused,
         {"RCPT failed: 550",
          "The server answered: 550 5.1.1 <refused@example.org>: Recipient address rejected"}},
        {"closed port",
         "127.0.0.1",
         LocalSmtpServer::closedPort(),
         "ann@example.org",
         {"Failed to connect to 127.0.0.1 port"}},
        {"no server", " ", plain().port(), "ann@example.org", {"No SMTP server is set."}},
        {"no recipient", "127.0.0.1", plain().port(), " ; ; ", {"No recipient address is given."}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype before = plain().messages().size();
        auto session = sessionTo(c.port);
        session->setSMTPHost(c.host);
        session->setRecipient(c.recipients);

        const Outcome outcome = Run(*session);

        ASSERT_EQ(outcome.failures.size(), 1);
        for (const QString &part : c.explanationParts)
            EXPECT_TRUE(outcome.failures[0].contains(part)) << outcome.failures[0].toStdString();
        EXPECT_TRUE(arrived(plain(), before).isEmpty());
    }
}

// A server that stops answering at a chosen point of the conversation: before its greeting, or
// once the client has sent the envelope's first line (it answers EHLO, offering nothing).
class SilentServer {
public:
    enum class Until { Greeting, Envelope };

    explicit SilentServer(Until until = Until::Greeting)
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, until] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            ++m_connections;
            if (until == Until::Greeting)
                return;
            socket->write("220 test ESMTP\r\n");
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                while (socket->canReadLine()) {
                    if (socket->readLine().toUpper().startsWith("EHLO"))
                        socket->write("250 test\r\n");
                }
            });
        });
    }
    [[nodiscard]] int port() const { return m_server.serverPort(); }
    [[nodiscard]] int connections() const { return m_connections; }

private:
    QTcpServer m_server;
    int m_connections = 0;
};

// Whichever limit applies ends the transfer, at that limit and not before: connecting lasts
// until the envelope starts, the whole transfer from send() on.
TEST_F(SmtpSessionTest, GivesUpOnASilentServerAfterTheTimeout)
{
    using Until = SilentServer::Until;
    const struct {
        Until silentFrom;
        int connectSeconds;
        int transferSeconds;
        qint64 failsAfterMs;
    } cases[] = {
        {Until::Greeting, 15, 60, 15000}, // the defaults
        {Until::Greeting, 30, 1, 1000},
        {Until::Envelope, 15, 60, 60000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.failsAfterMs);
        SilentServer silent(c.silentFrom);
        auto session = sessionTo(silent.port());
        session->setConnectTimeout(c.connectSeconds);
        session->setTimeout(c.transferSeconds);
        QStringList statuses;
        QStringList failures;
        QObject::connect(session.get(), &SmtpSession::status,
                         [&](const QString &s) { statuses << s; });
        QObject::connect(session.get(), &SmtpSession::sendFailed,
                         [&](const QString &e) { failures << e; });
        const qint64 start = m_clock.tickCount();
        session->send();
        ASSERT_TRUE(test::waitUntil([&] {
            return c.silentFrom == Until::Greeting
                ? silent.connections() == 1
                : statuses.contains(QStringLiteral("Sending message ..."));
        }));

        m_clock.advance(c.failsAfterMs - 1);
        // Time for a wrong failure to arrive; none may.
        QTest::qWait(20);
        EXPECT_TRUE(failures.isEmpty());
        m_clock.advance(1);
        ASSERT_TRUE(test::waitUntil([&] { return !failures.isEmpty(); }));
        EXPECT_EQ(m_clock.tickCount() - start, c.failsAfterMs);
        EXPECT_EQ(failures,
                  QStringList(QStringLiteral("Operation timed out after %1 milliseconds "
                                             "with 0 bytes received")
                                  .arg(c.failsAfterMs)));
        EXPECT_EQ(m_clock.activeTimers(), 0) << "the other limit stops with the transfer";
    }
}

// With limits far beyond the test's own, only the stop request can end the transfer in time,
// before or after the server has greeted.
TEST_F(SmtpSessionTest, DestroyingTheSessionStopsATransferInProgress)
{
    for (const SilentServer::Until until :
         {SilentServer::Until::Greeting, SilentServer::Until::Envelope}) {
        SilentServer silent(until);
        auto session = sessionTo(silent.port());
        session->setConnectTimeout(600);
        session->setTimeout(600);
        QStringList statuses;
        QObject::connect(session.get(), &SmtpSession::status,
                         [&](const QString &s) { statuses << s; });
        session->send();
        ASSERT_TRUE(test::waitUntil([&] {
            return until == SilentServer::Until::Greeting
                ? !statuses.isEmpty()
                : statuses.contains(QStringLiteral("Sending message ..."));
        }));
        const qsizetype seen = statuses.size();

        session.reset();
        QTest::qWait(20);
        EXPECT_EQ(statuses.size(), seen);
    }
}

} // namespace
