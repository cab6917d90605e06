#include "platform/HttpRequest.h"

#include "platform/Clock.h"
#include "platform/ResponseBudget.h"
#include "platform/TextCodec.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>

#include <algorithm>

namespace platform {
namespace {

// Feed types first; servers that negotiate on Accept then send the feed rather than a web page.
constexpr auto kAcceptFeeds
    = "application/rss+xml, application/atom+xml, application/rdf+xml;q=0.9, "
      "application/xml;q=0.8, text/xml;q=0.8, */*;q=0.5";

// Bytes the network stack may hold for one reply before the body takes them. Without a limit it
// reads as fast as the server sends, whatever the event loop takes in, and such bytes count in no
// budget.
constexpr qint64 kReplyBufferBytes = 1024 * 1024;

QByteArray userAgent()
{
    QByteArray agent = "Marlowin";
    const QString version = QCoreApplication::applicationVersion();
    if (!version.isEmpty())
        agent += '/' + version.toUtf8();
    return agent + " (Linux) Qt/" + qVersion();
}

bool isWebUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

// Qt reports 4xx and 5xx statuses as content and server errors, yet their body is a complete
// response like any other. Every other error (connection, proxy, TLS, redirect, protocol) leaves
// no usable body, at most a fragment of one.
bool bodyIsComplete(QNetworkReply::NetworkError error, int status)
{
    if (error == QNetworkReply::NoError)
        return true;
    const bool contentError = error >= QNetworkReply::ContentAccessDenied
        && error <= QNetworkReply::UnknownContentError;
    const bool serverError
        = error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError;
    return status >= 400 && (contentError || serverError);
}

FetchFailure failureOfError(QNetworkReply::NetworkError error, int status)
{
    switch (error) {
    case QNetworkReply::SslHandshakeFailedError:
        return FetchFailure::Tls;
    case QNetworkReply::TooManyRedirectsError:
        return FetchFailure::TooManyRedirects;
    case QNetworkReply::InsecureRedirectError:
        return FetchFailure::RefusedRedirect;
    case QNetworkReply::ProtocolUnknownError:
        // Only http and https are ever requested, so an unknown scheme came with a redirect (to
        // file:, ftp:, or no address at all).
        return status >= 300 && status < 400 ? FetchFailure::RefusedRedirect
                                             : FetchFailure::Network;
    case QNetworkReply::RemoteHostClosedError:
        // Qt reports a connection closed before the announced end of the body this way too.
        return FetchFailure::ConnectionReset;
    case QNetworkReply::HostNotFoundError:
        return FetchFailure::HostNotFound;
    case QNetworkReply::ConnectionRefusedError:
        return FetchFailure::ConnectionRefused;
    default:
        return FetchFailure::Network;
    }
}

struct StatusPhrase {
    int status;
    const char *phrase;
};

// The registered reason phrases, for servers that send none.
constexpr StatusPhrase kStandardPhrases[] = {
    {200, "OK"},
    {201, "Created"},
    {202, "Accepted"},
    {203, "Non-Authoritative Information"},
    {204, "No Content"},
    {205, "Reset Content"},
    {206, "Partial Content"},
    {300, "Multiple Choices"},
    {301, "Moved Permanently"},
    {302, "Found"},
    {303, "See Other"},
    {304, "Not Modified"},
    {305, "Use Proxy"},
    {307, "Temporary Redirect"},
    {308, "Permanent Redirect"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {402, "Payment Required"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {406, "Not Acceptable"},
    {407, "Proxy Authentication Required"},
    {408, "Request Timeout"},
    {409, "Conflict"},
    {410, "Gone"},
    {411, "Length Required"},
    {412, "Precondition Failed"},
    {413, "Content Too Large"},
    {414, "URI Too Long"},
    {415, "Unsupported Media Type"},
    {416, "Range Not Satisfiable"},
    {417, "Expectation Failed"},
    {421, "Misdirected Request"},
    {422, "Unprocessable Content"},
    {426, "Upgrade Required"},
    {428, "Precondition Required"},
    {429, "Too Many Requests"},
    {431, "Request Header Fields Too Large"},
    {451, "Unavailable For Legal Reasons"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
    {504, "Gateway Timeout"},
    {505, "HTTP Version Not Supported"},
    {511, "Network Authentication Required"},
};

QString standardReasonPhrase(int status)
{
    for (const StatusPhrase &known : kStandardPhrases) {
        if (known.status == status)
            return QString::fromLatin1(known.phrase);
    }
    return {};
}

// Qt hands the reason phrase over as Latin-1 text (or bytes); servers that send UTF-8 get their
// text back as they meant it.
QString reasonPhrase(const QVariant &attribute)
{
    QByteArray bytes;
    if (attribute.typeId() == QMetaType::QString) {
        const QString text = attribute.toString();
        const bool latin1
            = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
        if (!latin1)
            return text;
        bytes = text.toLatin1();
    } else {
        bytes = attribute.toByteArray();
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// Control characters (CR, LF, tab, C1 controls) and line separators become spaces: a failure text
// is one line in a box or in the log, whatever a server put into it.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            c = u' ';
    }
    return text.trimmed();
}

qint64 roundedMebibytes(qint64 bytes)
{
    return qRound64(double(bytes) / (1024.0 * 1024.0));
}

} // namespace

HttpRequest::HttpRequest(QNetworkAccessManager &network, ResponseBudget *budget, qint64 responseCap,
                         QObject *parent)
    : QObject(parent)
    , m_network(network)
    , m_budget(budget)
    , m_responseCap(responseCap)
{
}

HttpRequest::~HttpRequest()
{
    releaseReply();
    releaseBudget();
}

bool HttpRequest::open(const QString &method, const QString &url, bool asynchronous)
{
    reset();
    if (method.compare(u"GET", Qt::CaseInsensitive) != 0) {
        m_errorString = QStringLiteral("Only GET requests are supported, not \"%1\".").arg(method);
        return false;
    }
    if (!asynchronous) {
        m_errorString = QStringLiteral("Only asynchronous requests are supported.");
        return false;
    }
    const QUrl parsed(url.trimmed(), QUrl::TolerantMode);
    if (!isWebUrl(parsed)) {
        m_errorString = QStringLiteral("\"%1\" is not a valid http or https address.").arg(url);
        return false;
    }
    m_url = parsed;
    m_state = Opened;
    return true;
}

void HttpRequest::setRequestHeader(const QString &name, const QString &value)
{
    if (m_state != Opened || m_sent)
        return;
    const QByteArray key = name.trimmed().toLatin1();
    const auto sameName = [&key](const auto &header) {
        return header.first.compare(key, Qt::CaseInsensitive) == 0;
    };
    m_headers.erase(std::remove_if(m_headers.begin(), m_headers.end(), sameName), m_headers.end());
    m_headers.append({key, value.toLatin1()});
}

void HttpRequest::send()
{
    if (m_state != Opened || m_sent)
        return;
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setRawHeader("User-Agent", userAgent());
    request.setRawHeader("Accept", kAcceptFeeds);
    for (const auto &[name, value] : std::as_const(m_headers))
        request.setRawHeader(name, value);

    m_sent = true;
    m_reply = m_network.get(request);
    m_reply->setReadBufferSize(kReplyBufferBytes);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpRequest::onMetaDataChanged);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpRequest::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpRequest::onFinished);
}

void HttpRequest::abort()
{
    reset();
}

QString HttpRequest::responseText() const
{
    return decodeDocument(m_body, charsetOfContentType(m_contentType));
}

QByteArray HttpRequest::responseUtf8() const
{
    return decodeDocumentToUtf8(m_body, charsetOfContentType(m_contentType));
}

QString HttpRequest::failureText() const
{
    switch (m_failure) {
    case FetchFailure::None:
        return {};
    case FetchFailure::HttpStatus: {
        const QString phrase = oneLine(m_reasonPhrase);
        const QString shown = phrase.isEmpty() ? standardReasonPhrase(m_status) : phrase;
        return oneLine(QStringLiteral("Server answered %1 %2").arg(m_status).arg(shown));
    }
    case FetchFailure::Tls:
        return oneLine(QStringLiteral("Secure connection to the server failed: ") + m_errorString);
    case FetchFailure::TooManyRedirects:
        return QStringLiteral("Server redirected the request too many times!");
    case FetchFailure::RefusedRedirect:
        return QStringLiteral(
            "Server redirected the request to an address the application does not follow!");
    case FetchFailure::ConnectionReset:
        return QStringLiteral("Connection was reset before the server's answer was complete!");
    case FetchFailure::HostNotFound:
        return oneLine(QStringLiteral("Server %1 was not found!").arg(m_host));
    case FetchFailure::ConnectionRefused:
        return QStringLiteral("Server refused the connection!");
    case FetchFailure::TooLarge:
        return QStringLiteral("Server sent more than %1 MB! Application did not read the Feed.")
            .arg(roundedMebibytes(m_responseCap));
    case FetchFailure::OverBudget:
        return QStringLiteral("Feeds fetched at the same time exceeded %1 MB! Application did not "
                              "read the Feed.")
            .arg(roundedMebibytes(m_budget ? m_budget->total() : 0));
    case FetchFailure::Network:
        return oneLine(QStringLiteral("Network error: ") + m_errorString);
    }
    return {};
}

void HttpRequest::reset()
{
    releaseReply();
    m_url.clear();
    m_headers.clear();
    m_body.clear();
    releaseBudget();
    m_contentType.clear();
    m_errorString.clear();
    m_reasonPhrase.clear();
    m_host.clear();
    m_failure = FetchFailure::None;
    m_state = Unsent;
    m_status = 0;
    m_sent = false;
    m_failed = false;
}

// Disconnects before aborting: QNetworkReply::abort() emits finished() at once, which must not
// complete a request that the caller has given up on. deleteLater() because this may run inside
// one of the reply's own signals.
void HttpRequest::releaseReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply.clear();
    reply->disconnect(this);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}

void HttpRequest::onMetaDataChanged()
{
    if (m_state < HeadersReceived)
        m_state = HeadersReceived;
}

void HttpRequest::onReadyRead()
{
    if (!takeAvailableBytes())
        return;
    if (m_state < Loading)
        m_state = Loading;
}

void HttpRequest::onFinished()
{
    if (!takeAvailableBytes())
        return;
    m_status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_contentType = m_reply->rawHeader("Content-Type");
    m_host = m_reply->url().host();
    const QNetworkReply::NetworkError error = m_reply->error();
    if (error != QNetworkReply::NoError)
        m_errorString = m_reply->errorString();
    if (bodyIsComplete(error, m_status)) {
        const bool success = m_status >= 200 && m_status < 300;
        m_failure = success ? FetchFailure::None : FetchFailure::HttpStatus;
        if (!success)
            m_reasonPhrase
                = reasonPhrase(m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute));
    } else {
        m_failure = failureOfError(error, m_status);
        m_body.clear();
    }
    releaseReply();
    releaseBudget();
    m_state = Done;
    Q_EMIT finished(); // last: the receiver may destroy this object
}

// Moves what the reply holds into the body. The cap is checked on the bytes as received after
// decompression, whatever Content-Length announced, so neither a lying header nor a compressed
// bomb gets past it. The bytes are read straight into the body's own buffer, so no second copy
// of them exists. Returns false when the request failed on its own; finished() has then been
// emitted and the object may be gone.
bool HttpRequest::takeAvailableBytes()
{
    const qint64 available = m_reply->bytesAvailable();
    if (available <= 0)
        return true;
    const qint64 size = m_body.size();
    if (available > m_responseCap - size) {
        failOnItsOwn(FetchFailure::TooLarge);
        return false;
    }
    if (!makeRoom(size + available)) {
        failOnItsOwn(FetchFailure::OverBudget);
        return false;
    }
    m_body.resize(size + available);
    const qint64 read = m_reply->read(m_body.data() + size, available);
    m_body.resize(size + std::max<qint64>(read, 0));
    // data() copies a buffer shared with a caller's copy of the body: count the copy.
    if (!holdInBudget(m_body.capacity())) {
        failOnItsOwn(FetchFailure::OverBudget);
        return false;
    }
    return true;
}

// Grows the body's buffer to hold at least `needed` bytes, by half again when the budget allows
// (so a long body is copied a few times, not once per piece), never beyond the cap.
bool HttpRequest::makeRoom(qint64 needed)
{
    const qint64 capacity = m_body.capacity();
    if (needed <= capacity)
        return true;
    qint64 target = std::min(std::max(needed, capacity + capacity / 2), m_responseCap);
    if (!holdInBudget(target)) {
        target = needed;
        if (!holdInBudget(target))
            return false;
    }
    m_body.reserve(target);
    return holdInBudget(m_body.capacity());
}

// Takes from the budget what it takes for this request to hold `bytes` in all.
bool HttpRequest::holdInBudget(qint64 bytes)
{
    if (!m_budget || bytes <= m_budgetTaken)
        return true;
    if (!m_budget->take(bytes - m_budgetTaken))
        return false;
    m_budgetTaken = bytes;
    return true;
}

void HttpRequest::releaseBudget()
{
    if (m_budget && m_budgetTaken > 0)
        m_budget->giveBack(m_budgetTaken);
    m_budgetTaken = 0;
}

void HttpRequest::failOnItsOwn(FetchFailure failure)
{
    const qint64 received = m_body.size();
    releaseReply();
    m_body.clear();
    m_body.squeeze();
    releaseBudget();
    m_failed = true;
    m_failure = failure;
    m_errorString = failure == FetchFailure::TooLarge
        ? QStringLiteral("The response exceeded %1 bytes (%2 received); the request was abandoned.")
              .arg(m_responseCap)
              .arg(received)
        : QStringLiteral("The responses in flight exceeded their budget of %1 bytes (%2 received "
                         "for this one); the request was abandoned.")
              .arg(m_budget ? m_budget->total() : 0)
              .arg(received);
    Q_EMIT finished(); // last: the receiver may destroy this object
}

WaitResult waitForResponse(HttpRequest &request, Clock &clock, int timeoutMs)
{
    bool timedOut = false;
    QEventLoop loop;
    const std::unique_ptr<ClockTimer> limit = clock.createTimer();
    limit->start(std::max(timeoutMs, 0), [&] {
        timedOut = true;
        loop.quit();
    });
    QObject::connect(&request, &HttpRequest::finished, &loop, &QEventLoop::quit);
    // A receiver of finished() may have sent the request again: the wait then goes on.
    while (!timedOut && request.readyState() != HttpRequest::Done && request.isRunning())
        loop.exec();
    if (timedOut) {
        request.abort();
        return WaitResult::TimedOut;
    }
    // Not Done: failed, or never sent; it cannot complete any more.
    return request.readyState() == HttpRequest::Done ? WaitResult::Complete : WaitResult::TimedOut;
}

} // namespace platform
