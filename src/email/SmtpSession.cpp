#include "email/SmtpSession.h"

#include "email/MailMessage.h"
#include "platform/Clock.h"

#include <QMetaObject>

#include <curl/curl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr int DefaultPort = 25;
constexpr int ImplicitTlsPort = 465;
// libcurl's own limit for connecting, kept when the session is given none.
constexpr int DefaultConnectSeconds = 300;
// Longest sleep of the worker between two looks at its transfer, for libcurl's own timing; the
// connection's traffic, libcurl's timers and the session's wake-up end it earlier.
constexpr int PollMs = 1000;

// libcurl's global set-up is not meant to race with transfers, so it runs once, on the thread
// that creates the first session, before any worker starts.
void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QString hostForUrl(const QString &typed)
{
    QString host = MailFormat::headerText(typed);
    host.removeIf([](QChar c) { return c.isSpace(); });
    if (host.count(QLatin1Char(':')) > 1 && !host.startsWith(QLatin1Char('[')))
        host = QLatin1Char('[') + host + QLatin1Char(']'); // an IPv6 literal
    return host;
}

// A server reply that refuses something: three digits starting with 4 or 5.
bool isRefusal(const QString &line)
{
    return line.size() >= 3 && (line[0] == QLatin1Char('4') || line[0] == QLatin1Char('5'))
        && line[1].isDigit() && line[2].isDigit();
}

std::string envelope(const QString &address)
{
    return ('<' + MailFormat::bareAddress(address) + '>').toStdString();
}

// Said instead of libcurl's "STARTTLS not supported.", which tells the user neither what did not
// happen nor what to do.
const QString NoStartTls = QStringLiteral(
    "The server does not offer an encrypted connection (STARTTLS), so Marlowin sent it nothing, "
    "not even the password. Change this under Email Settings, Connection security: \"SSL/TLS\" "
    "if the server expects encryption from the first byte (usually on port 465), or \"None\" "
    "only if you trust every network between you and the server.");

} // namespace

// Everything the worker needs, copied out of the session before the thread starts, so that the
// worker never reads the session's members.
struct SmtpSession::Job {
    std::string url;
    QString hostLabel;
    std::string mailFrom;
    std::vector<std::string> recipients;
    QByteArray payload;
    bool authenticate = false;
    std::string username;
    std::string password;
    long useSsl = CURLUSESSL_ALL;
    bool requireStartTls = false;
    std::string caFile; // empty: the system's certificate authorities
};

// Where the session's thread wakes the worker while it waits on libcurl (curl_multi_wakeup may be
// called from any thread), to stop the transfer or because a limit ran out. The worker's multi
// handle is published here only while it lives.
struct SmtpSession::Waker {
    void wake()
    {
        const std::lock_guard lock(m_mutex);
        if (m_multi)
            curl_multi_wakeup(m_multi);
    }
    void publish(CURLM *multi)
    {
        const std::lock_guard lock(m_mutex);
        m_multi = multi;
    }

private:
    std::mutex m_mutex;
    CURLM *m_multi = nullptr;
};

// One libcurl transfer on the worker thread. It talks back to the session only by posting to
// it, which Qt drops when the session is gone.
class SmtpSession::Transfer {
public:
    Transfer(SmtpSession &session, std::unique_ptr<Job> job)
        : m_session(&session)
        , m_abort(session.m_abort)
        , m_expiredAfterMs(session.m_expiredAfterMs)
        , m_waker(*session.m_waker)
        , m_job(std::move(job))
    {
    }

    void run()
    {
        CURLM *multi = curl_multi_init();
        CURL *curl = multi ? curl_easy_init() : nullptr;
        if (!curl) {
            if (multi)
                curl_multi_cleanup(multi);
            postFailure(QStringLiteral("The mail transfer could not be started."));
            return;
        }
        char errors[CURL_ERROR_SIZE] = {};
        curl_slist *recipients = nullptr;
        for (const std::string &recipient : m_job->recipients)
            recipients = curl_slist_append(recipients, recipient.c_str());
        configure(curl, recipients, errors);

        postStatus(QStringLiteral("Connecting to %1 ...").arg(m_job->hostLabel));
        m_waker.publish(multi);
        const CURLcode result = perform(multi, curl, errors);
        const QString failure = result == CURLE_OK ? QString() : explanation(curl, result, errors);
        m_waker.publish(nullptr);
        // Cleaning up says QUIT to the server, unless the transfer was cut; done before the final
        // signal, so that the session's owner may destroy it as soon as that signal arrives.
        curl_multi_cleanup(multi);
        curl_easy_cleanup(curl);
        curl_slist_free_all(recipients);

        if (result == CURLE_OK) {
            postStatus(QStringLiteral("Message sent."));
            post([](SmtpSession &s) {
                s.stopLimits();
                Q_EMIT s.sendSuccesful();
            });
        } else {
            postFailure(failure);
        }
    }

private:
    // Runs the transfer until it ends, the session stops it or one of its limits runs out. In
    // between, the worker sleeps until the connection, libcurl's timers or the session wake it.
    CURLcode perform(CURLM *multi, CURL *curl, char *errors)
    {
        CURLcode result = CURLE_OK;
        CURLMcode code = curl_multi_add_handle(multi, curl);
        while (code == CURLM_OK) {
            int running = 0;
            code = curl_multi_perform(multi, &running);
            if (code != CURLM_OK)
                break;
            if (running == 0) {
                int queued = 0;
                while (const CURLMsg *message = curl_multi_info_read(multi, &queued)) {
                    if (message->msg == CURLMSG_DONE)
                        result = message->data.result;
                }
                break;
            }
            if (m_abort || m_expiredAfterMs > 0) {
                cutConnections();
                result = m_abort ? CURLE_ABORTED_BY_CALLBACK : CURLE_OPERATION_TIMEDOUT;
                break;
            }
            code = curl_multi_poll(multi, nullptr, 0, PollMs, nullptr);
        }
        if (code != CURLM_OK) {
            std::snprintf(errors, CURL_ERROR_SIZE, "%s", curl_multi_strerror(code));
            result = CURLE_FAILED_INIT;
        }
        curl_multi_remove_handle(multi, curl);
        return result;
    }

    // A transfer removed while connected says QUIT and waits for the answer, which a server that
    // has stopped answering never gives. Once its connections are cut, the QUIT fails at once.
    void cutConnections()
    {
        for (const curl_socket_t socket : m_sockets)
            ::shutdown(socket, SHUT_RDWR);
    }

    static int socketCreated(void *self, curl_socket_t socket, curlsocktype)
    {
        static_cast<Transfer *>(self)->m_sockets.push_back(socket);
        return CURL_SOCKOPT_OK;
    }

    static int socketClosing(void *self, curl_socket_t socket)
    {
        std::erase(static_cast<Transfer *>(self)->m_sockets, socket);
        return ::close(socket);
    }

    void configure(CURL *curl, curl_slist *recipients, char *errors)
    {
        curl_easy_setopt(curl, CURLOPT_URL, m_job->url.c_str());
        curl_easy_setopt(curl, CURLOPT_MAIL_FROM, m_job->mailFrom.c_str());
        curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
        curl_easy_setopt(curl, CURLOPT_USE_SSL, m_job->useSsl);
        if (!m_job->caFile.empty())
            curl_easy_setopt(curl, CURLOPT_CAINFO, m_job->caFile.c_str());
        if (m_job->authenticate) {
            curl_easy_setopt(curl, CURLOPT_USERNAME, m_job->username.c_str());
            curl_easy_setopt(curl, CURLOPT_PASSWORD, m_job->password.c_str());
        }
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, &Transfer::read);
        curl_easy_setopt(curl, CURLOPT_READDATA, this);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE,
                         static_cast<curl_off_t>(m_job->payload.size()));
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L); // signals and threads do not mix
        curl_easy_setopt(curl, CURLOPT_SOCKOPTFUNCTION, &Transfer::socketCreated);
        curl_easy_setopt(curl, CURLOPT_SOCKOPTDATA, this);
        curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &Transfer::socketClosing);
        curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errors);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Transfer::progress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
        // The protocol lines feed the status texts and the failure explanation; the debug
        // function keeps libcurl from printing them.
        curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &Transfer::protocolLine);
        curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
    }

    static size_t read(char *buffer, size_t size, size_t count, void *self)
    {
        auto &transfer = *static_cast<Transfer *>(self);
        if (transfer.m_abort)
            return CURL_READFUNC_ABORT;
        const QByteArray &payload = transfer.m_job->payload;
        const size_t left = static_cast<size_t>(payload.size()) - transfer.m_offset;
        const size_t chunk = std::min(left, size * count);
        std::copy_n(payload.constData() + transfer.m_offset, chunk, buffer);
        transfer.m_offset += chunk;
        return chunk;
    }

    static int progress(void *self, curl_off_t, curl_off_t, curl_off_t total, curl_off_t sent)
    {
        auto &transfer = *static_cast<Transfer *>(self);
        if (transfer.m_abort)
            return 1;
        if (total > 0 && sent > 0) {
            const int percent = static_cast<int>(std::min<curl_off_t>(100, sent * 100 / total));
            if (percent != transfer.m_percent) {
                transfer.m_percent = percent;
                transfer.post([percent](SmtpSession &s) { Q_EMIT s.progress(percent); });
            }
        }
        return 0;
    }

    static int protocolLine(CURL *, curl_infotype type, char *data, size_t size, void *self)
    {
        auto &transfer = *static_cast<Transfer *>(self);
        const QString line = QString::fromUtf8(data, static_cast<qsizetype>(size)).trimmed();
        if (type == CURLINFO_HEADER_IN)
            transfer.serverSaid(line);
        else if (type == CURLINFO_HEADER_OUT)
            transfer.clientSaid(line);
        return 0;
    }

    void serverSaid(const QString &line)
    {
        if (!m_greeted) {
            m_greeted = true;
            postStatus(QStringLiteral("Connected to %1.").arg(m_job->hostLabel));
        }
        if (isRefusal(line))
            m_refusal = line;
    }

    // Only the command word is looked at: the AUTH line carries the credentials.
    void clientSaid(const QString &line)
    {
        if (line.startsWith(QLatin1String("STARTTLS"), Qt::CaseInsensitive))
            postStatus(QStringLiteral("Starting a secure connection ..."));
        else if (line.startsWith(QLatin1String("AUTH "), Qt::CaseInsensitive))
            postStatus(QStringLiteral("Logging in ..."));
        else if (line.startsWith(QLatin1String("MAIL FROM"), Qt::CaseInsensitive))
            sendingStarted();
    }

    // The envelope starts: connecting, greeting, TLS and logging in are over.
    void sendingStarted()
    {
        post([](SmtpSession &s) { s.m_connectLimit->stop(); });
        postStatus(QStringLiteral("Sending message ..."));
    }

    // A limit that ran out is told in libcurl's words for its own limits.
    QString explanation(CURL *curl, CURLcode result, const char *errors) const
    {
        QString text = QString::fromUtf8(errors).trimmed();
        if (result == CURLE_USE_SSL_FAILED && m_job->requireStartTls)
            text = NoStartTls;
        if (const long limitMs = m_expiredAfterMs;
            result == CURLE_OPERATION_TIMEDOUT && limitMs > 0)
            text = timedOut(curl, limitMs);
        if (text.isEmpty())
            text = QString::fromUtf8(curl_easy_strerror(result));
        if (!m_refusal.isEmpty() && !text.contains(m_refusal))
            text += QStringLiteral("\r\nThe server answered: ") + m_refusal;
        return text;
    }

    static QString timedOut(CURL *curl, long limitMs)
    {
        curl_off_t connectedAfter = 0;
        curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connectedAfter);
        if (connectedAfter == 0)
            return QStringLiteral("Connection timed out after %1 milliseconds").arg(limitMs);
        curl_off_t received = 0;
        curl_easy_getinfo(curl, CURLINFO_SIZE_DOWNLOAD_T, &received);
        return QStringLiteral("Operation timed out after %1 milliseconds with %2 bytes received")
            .arg(limitMs)
            .arg(received);
    }

    template<typename Emit> void post(Emit emit)
    {
        SmtpSession *session = m_session;
        QMetaObject::invokeMethod(
            session, [session, emit] { emit(*session); }, Qt::QueuedConnection);
    }
    void postStatus(const QString &text)
    {
        post([text](SmtpSession &s) { Q_EMIT s.status(text); });
    }
    void postFailure(const QString &text)
    {
        post([text](SmtpSession &s) {
            s.stopLimits();
            Q_EMIT s.sendFailed(text);
        });
    }

    SmtpSession *m_session;
    std::atomic<bool> &m_abort;
    std::atomic<long> &m_expiredAfterMs;
    Waker &m_waker;
    std::unique_ptr<Job> m_job;
    std::vector<curl_socket_t> m_sockets; // open, in the order libcurl made them
    size_t m_offset = 0;
    int m_percent = -1;
    bool m_greeted = false;
    QString m_refusal; // the last reply that refused something
};

SmtpSession::SmtpSession(platform::Clock &clock, QObject *parent)
    : QObject(parent)
    , m_connectLimit(clock.createTimer())
    , m_transferLimit(clock.createTimer())
    , m_waker(std::make_unique<Waker>())
{
    initCurlOnce();
}

SmtpSession::~SmtpSession()
{
    m_abort = true;
    wakeWorker();
    if (m_worker.joinable())
        m_worker.join();
}

void SmtpSession::send()
{
    if (m_started)
        return;
    m_started = true;

    std::unique_ptr<Job> job = makeJob();
    if (job->url.empty())
        return fail(QStringLiteral("No SMTP server is set."));
    if (job->recipients.empty())
        return fail(QStringLiteral("No recipient address is given."));
    startLimit(*m_connectLimit, m_connectTimeout > 0 ? m_connectTimeout : DefaultConnectSeconds);
    if (m_timeout > 0)
        startLimit(*m_transferLimit, m_timeout);
    m_worker = std::thread(
        [this, job = std::move(job)]() mutable { Transfer(*this, std::move(job)).run(); });
}

std::unique_ptr<SmtpSession::Job> SmtpSession::makeJob() const
{
    auto job = std::make_unique<Job>();
    const QString host = hostForUrl(m_host);
    const bool implicitTls = m_security == ConnectionSecurity::Tls;
    const int port = m_port > 0 ? m_port : implicitTls ? ImplicitTlsPort : DefaultPort;
    if (!host.isEmpty()) {
        const QString scheme = implicitTls ? QStringLiteral("smtps") : QStringLiteral("smtp");
        job->url = QStringLiteral("%1://%2:%3").arg(scheme, host).arg(port).toStdString();
    }
    // ALL makes STARTTLS a condition: without it libcurl stops after EHLO.
    job->useSsl = m_security == ConnectionSecurity::None ? CURLUSESSL_NONE : CURLUSESSL_ALL;
    job->requireStartTls = m_security == ConnectionSecurity::StartTls;
    job->caFile = m_caFile.toStdString();
    job->hostLabel = QStringLiteral("%1:%2").arg(host).arg(port);
    job->mailFrom = envelope(m_from);
    const QStringList recipients = MailFormat::recipients(m_recipients, m_separator);
    for (const QString &recipient : recipients)
        job->recipients.push_back(envelope(recipient));

    MailMessage message;
    message.fromAddress = m_from;
    message.fromName = m_fromName;
    message.recipients = recipients;
    message.subject = m_subject;
    message.body = m_message;
    message.html = m_asHtml;
    message.date = m_date;
    job->payload = MailFormat::compose(message);

    job->authenticate = m_useAuthentication;
    job->username = m_username.toStdString();
    job->password = m_password.toStdString();
    return job;
}

void SmtpSession::startLimit(platform::ClockTimer &timer, int seconds)
{
    const long milliseconds = std::min<long>(static_cast<long>(seconds) * 1000, INT_MAX);
    timer.start(static_cast<int>(milliseconds), [this, milliseconds] {
        m_expiredAfterMs = milliseconds;
        wakeWorker();
    });
}

void SmtpSession::stopLimits()
{
    m_connectLimit->stop();
    m_transferLimit->stop();
}

void SmtpSession::wakeWorker()
{
    m_waker->wake();
}

void SmtpSession::fail(const QString &explanation)
{
    QMetaObject::invokeMethod(
        this, [this, explanation] { Q_EMIT sendFailed(explanation); }, Qt::QueuedConnection);
}
