#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace platform {

// A response body larger than this is refused: the fetch fails as if its time limit had passed.
inline constexpr qint64 kDefaultResponseCap = 64 * 1024 * 1024;

// Redirects followed for one request before it ends as a network failure.
inline constexpr int kMaxRedirects = 10;

// One HTTP GET of a feed document over the program's shared QNetworkAccessManager.
//
// Life of a request: open() -> setRequestHeader() -> send() -> poll readyState() between
// DoEvents() turns until it is Done -> read responseText(). Nothing blocks: the body arrives
// while the caller's wait loop runs the event loop. The object may be used again: open() (or
// abort()) discards everything of the previous request.
//
// Done means "a response is complete", not "it succeeded". Error statuses (404, 500) are Done
// with their body; network failures (connection refused, host not found, a connection closed
// mid-body, too many redirects, TLS errors) are Done with an empty body. status() and
// errorString() tell them apart for diagnostics.
//
// failed(): the request gave up on its own while running, because the body grew beyond the
// cap given at construction. It then never becomes Done and its body is discarded. A caller
// treats failed() exactly like its own time limit passing (abort, time-out report), so a wait
// loop must stop on readyState() == Done, on failed() or on its time limit; WaitForResponse()
// does so.
//
// Destroying a running request aborts it; the reply never outlives the object.
class HttpRequest : public QObject {
    Q_OBJECT

public:
    enum ReadyState : int {
        Unsent = 0,          // before open(), after abort(), or after a refused open()
        Opened = 1,          // opened; also while sent and waiting for the response's headers
        HeadersReceived = 2, // a status line and headers have arrived
        Loading = 3,         // body bytes are arriving
        Done = 4,            // the response is complete (whatever its status) or the network failed
    };

    explicit HttpRequest(QNetworkAccessManager &network, qint64 responseCap = kDefaultResponseCap,
                         QObject *parent = nullptr);
    ~HttpRequest() override;

    // Starts a new request, abandoning any previous one. Only asynchronous "GET" (any case) of
    // an absolute http or https URL with a host is accepted. Anything else returns false, leaves
    // the object Unsent with a reason in errorString(), and makes send() do nothing: the caller
    // reports it as an unexpected failure of its own operation.
    [[nodiscard]] bool open(const QString &method, const QString &url, bool asynchronous = true);

    // Adds or replaces a header of the opened request; takes effect at send(). Headers set here
    // win over the defaults (User-Agent, Accept). Setting Accept-Encoding turns off the
    // automatic decoding of compressed bodies, so callers leave it alone.
    void setRequestHeader(const QString &name, const QString &value);

    // Starts the GET of the opened request and returns at once. Does nothing unless the object
    // is Opened and not yet sent.
    void send();

    // Cancels a running request and returns the object to Unsent with no body; harmless on an
    // idle or completed object. An aborted request never becomes Done.
    void abort();

    [[nodiscard]] int readyState() const { return m_state; }
    [[nodiscard]] bool failed() const { return m_failed; }
    // Sent and neither Done, failed nor aborted: only a running request can still become Done.
    [[nodiscard]] bool isRunning() const { return !m_reply.isNull(); }

    // The body received so far (all of it once Done), as Unicode text: a byte-order mark, the
    // Content-Type charset, the XML declaration, then UTF-8 when valid, else Windows-1252.
    [[nodiscard]] QString responseText() const;
    [[nodiscard]] QByteArray responseBody() const { return m_body; }
    // The same text as responseText() in UTF-8; a UTF-8 body comes back as it is, uncopied.
    [[nodiscard]] QByteArray responseUtf8() const;

    // The HTTP status of the final response, or 0 when none arrived. For diagnostics only.
    [[nodiscard]] int status() const { return m_status; }

    // Why the request was refused, failed or reached Done without a successful response;
    // empty otherwise. For diagnostics only.
    [[nodiscard]] QString errorString() const { return m_errorString; }

private:
    void reset();
    void releaseReply();
    void onMetaDataChanged();
    void onReadyRead();
    void onFinished();
    [[nodiscard]] bool takeAvailableBytes();
    void failOverCap();

    QNetworkAccessManager &m_network;
    const qint64 m_responseCap;
    QPointer<QNetworkReply> m_reply;
    QUrl m_url;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_body;
    QByteArray m_contentType;
    QString m_errorString;
    int m_state = Unsent;
    int m_status = 0;
    bool m_sent = false;
    bool m_failed = false;
};

enum class WaitResult { Complete, TimedOut };

// Waits for the request's response, running the event loop a few milliseconds per turn so the
// windows stay usable and no core spins. Complete when the request is Done within timeoutMs.
// TimedOut when the limit passes first (the time-out wins when both happen in the same turn;
// the request is then aborted), when the request failed (failed() stays true), or when it can
// never complete because it is not running (never sent, refused at open, aborted).
[[nodiscard]] WaitResult WaitForResponse(HttpRequest &request, int timeoutMs);

} // namespace platform
