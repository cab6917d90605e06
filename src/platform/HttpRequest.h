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

class Clock;
class ResponseBudget;

// A response body larger than this is refused: the fetch fails with FetchFailure::TooLarge.
inline constexpr qint64 kDefaultResponseCap = 64 * 1024 * 1024;

// Redirects followed for one request before it ends with FetchFailure::TooManyRedirects.
inline constexpr int kMaxRedirects = 10;

// Why a fetch did not bring a usable answer; callers tell the user with failureText() and may
// match on the kind. Every failure but HttpStatus leaves no body.
enum class FetchFailure {
    None,              // a complete response with a 2xx status
    HttpStatus,        // a complete response with any other final status; its body is kept
    Tls,               // the TLS handshake failed or the certificate was refused
    TooManyRedirects,  // more than kMaxRedirects redirects
    RefusedRedirect,   // redirected to an address that is not followed (https to http, file:, ftp:)
    ConnectionReset,   // the server closed the connection before the answer was complete
    HostNotFound,      // the host name did not resolve
    ConnectionRefused, // nothing listens on the server's port
    TooLarge,          // the body grew beyond the request's cap
    OverBudget,        // the bodies in flight together outgrew the shared ResponseBudget
    Network,           // any other network, proxy or protocol failure
};

// One HTTP GET of a feed document over the program's shared QNetworkAccessManager.
//
// Life of a request: open() -> setRequestHeader() -> send() -> finished() -> read failure() and
// responseText(). Nothing blocks: the body arrives while the event loop runs. A modal caller may
// instead run the event loop until finished() or its time limit (waitForResponse() does). The
// object may be used again: open() (or abort()) discards everything of the previous request.
//
// Done means "a response is complete", not "it succeeded". Error statuses (404, 500) are Done
// with their body; network failures (connection refused, host not found, a connection closed
// mid-body, too many redirects, TLS errors) are Done with an empty body. failure() tells them
// apart.
//
// failed(): the request gave up on its own while running, because its body grew beyond the cap
// given at construction (TooLarge) or the shared budget had no room left for it (OverBudget). It
// then never becomes Done and its body is discarded, and finished() is emitted all the same, so a
// wait that ends on finished() or its time limit ends in either case.
//
// Memory: the bytes of the body buffer (its capacity, not only its size) are taken from the
// budget given at construction while the body arrives, and all of them are given back when the
// request ends in any way: Done, failed, aborted, reopened or destroyed. A Done body stays
// readable but no longer counts against the budget.
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

    // budget: shared by the requests in flight, or null for none; it must outlive the request.
    // responseCap: the most body bytes one response may have.
    explicit HttpRequest(QNetworkAccessManager &network, ResponseBudget *budget = nullptr,
                         qint64 responseCap = kDefaultResponseCap, QObject *parent = nullptr);
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
    // idle or completed object. An aborted request never becomes Done and never emits finished().
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

    // The HTTP status of the final response, or 0 when none arrived.
    [[nodiscard]] int status() const { return m_status; }

    // How the request ended, valid from finished() on: None for a complete 2xx response, else the
    // kind of failure. None as well while the request is unsent, running or aborted.
    [[nodiscard]] FetchFailure failure() const { return m_failure; }
    // failure() as one English sentence for a message box or a log line: "Server answered 404
    // Not Found", "Server refused the connection!" ... Empty for None. Never holds a control
    // character (CR, LF, tab ...), whatever the server sent.
    [[nodiscard]] QString failureText() const;

    // Why the request was refused, failed or reached Done without a successful response, in
    // Qt's words; empty otherwise. For diagnostics only: it may carry what the server sent.
    [[nodiscard]] QString errorString() const { return m_errorString; }

Q_SIGNALS:
    // Emitted once per sent request, on the event loop, when it becomes Done or fails on its own
    // (failed()); never from inside send(), never after abort() or destruction. A receiver may
    // reopen, abort or destroy the request.
    void finished();

private:
    void reset();
    void releaseReply();
    void onMetaDataChanged();
    void onReadyRead();
    void onFinished();
    [[nodiscard]] bool takeAvailableBytes();
    [[nodiscard]] bool makeRoom(qint64 needed);
    [[nodiscard]] bool holdInBudget(qint64 bytes);
    void releaseBudget();
    void failOnItsOwn(FetchFailure failure);

    QNetworkAccessManager &m_network;
    ResponseBudget *const m_budget;
    const qint64 m_responseCap;
    QPointer<QNetworkReply> m_reply;
    QUrl m_url;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_body;
    QByteArray m_contentType;
    QString m_errorString;
    QString m_reasonPhrase; // as the server sent it, for HttpStatus
    QString m_host;         // of the last address requested, for HostNotFound
    qint64 m_budgetTaken = 0;
    FetchFailure m_failure = FetchFailure::None;
    int m_state = Unsent;
    int m_status = 0;
    bool m_sent = false;
    bool m_failed = false;
};

enum class WaitResult { Complete, TimedOut };

// Waits for the request's response in a local event loop, so the windows stay usable and no core
// spins; the loop ends on finished() or when a timer of the clock, started at the call, reaches
// timeoutMs. Complete when the request is Done first. TimedOut when the limit passes first (the
// request is then aborted), when the request failed (failed() stays true), or when it can never
// complete because it is not running (never sent, refused at open, aborted).
[[nodiscard]] WaitResult waitForResponse(HttpRequest &request, Clock &clock, int timeoutMs);

} // namespace platform
