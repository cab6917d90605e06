#include "platform/HttpRequest.h"

#include "platform/EventPump.h"
#include "platform/TextCodec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

namespace platform {
namespace {

// Feed types first; servers that negotiate on Accept then send the feed rather than a web page.
constexpr auto kAcceptFeeds = "application/rss+xml, application/atom+xml, application/rdf+xml;q=0.9, "
                              "application/xml;q=0.8, text/xml;q=0.8, */*;q=0.5";

// Longest single turn of the event loop while waiting: short enough that the time limit is kept
// to within a few milliseconds, long enough not to spin.
constexpr int kWaitTurnMs = 5;

QByteArray UserAgent()
{
    QByteArray agent = "Marlowin";
    const QString version = QCoreApplication::applicationVersion();
    if (!version.isEmpty())
        agent += '/' + version.toUtf8();
    return agent + " (Linux) Qt/" + qVersion();
}

bool IsWebUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

// Qt reports 4xx and 5xx statuses as content and server errors, yet their body is a complete
// response like any other. Every other error (connection, proxy, TLS, redirect, protocol) leaves
// no usable body, at most a fragment of one.
bool BodyIsComplete(QNetworkReply::NetworkError error, int status)
{
    if (error == QNetworkReply::NoError)
        return true;
    const bool contentError =
        error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError;
    const bool serverError =
        error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError;
    return status >= 400 && (contentError || serverError);
}

} // namespace

HttpRequest::HttpRequest(QNetworkAccessManager &network, qint64 responseCap, QObject *parent)
    : QObject(parent), m_network(network), m_responseCap(responseCap)
{
}

HttpRequest::~HttpRequest()
{
    releaseReply();
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
    if (!IsWebUrl(parsed)) {
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
    request.setRawHeader("User-Agent", UserAgent());
    request.setRawHeader("Accept", kAcceptFeeds);
    for (const auto &[name, value] : std::as_const(m_headers))
        request.setRawHeader(name, value);

    m_sent = true;
    m_reply = m_network.get(request);
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
    return DecodeDocument(m_body, CharsetOfContentType(m_contentType));
}

QByteArray HttpRequest::responseUtf8() const
{
    return DecodeDocumentToUtf8(m_body, CharsetOfContentType(m_contentType));
}

void HttpRequest::reset()
{
    releaseReply();
    m_url.clear();
    m_headers.clear();
    m_body.clear();
    m_contentType.clear();
    m_errorString.clear();
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
    const QNetworkReply::NetworkError error = m_reply->error();
    if (error != QNetworkReply::NoError)
        m_errorString = m_reply->errorString();
    if (!BodyIsComplete(error, m_status))
        m_body.clear();
    releaseReply();
    m_state = Done;
}

// Appends what the reply holds to the body. The cap is checked on the bytes as received after
// decompression, whatever Content-Length announced, so neither a lying header nor a compressed
// bomb gets past it. Returns false when the request failed over the cap.
bool HttpRequest::takeAvailableBytes()
{
    m_body += m_reply->readAll();
    if (m_body.size() <= m_responseCap)
        return true;
    failOverCap();
    return false;
}

void HttpRequest::failOverCap()
{
    const qint64 received = m_body.size();
    releaseReply();
    m_body.clear();
    m_body.squeeze();
    m_failed = true;
    m_errorString = QStringLiteral("The response exceeded %1 bytes (%2 received); the request was abandoned.")
                        .arg(m_responseCap)
                        .arg(received);
}

WaitResult WaitForResponse(HttpRequest &request, int timeoutMs)
{
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    for (;;) {
        const bool done = request.readyState() == HttpRequest::Done;
        if (!done && !request.isRunning())
            return WaitResult::TimedOut; // failed, or never sent: it cannot complete any more
        if (deadline.hasExpired()) {
            request.abort();
            return WaitResult::TimedOut;
        }
        if (done)
            return WaitResult::Complete;
        DoEvents(static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 1, kWaitTurnMs)));
    }
}

} // namespace platform
