#pragma once

#include "settings/ConnectionSecurity.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

namespace platform {
class Clock;
class ClockTimer;
} // namespace platform

// The SMTP component: one instance sends one message. Set the properties, call send(), and
// the session delivers on its own thread's behalf, through queued signals in the thread that
// owns it: Progress and Status while the transfer runs, then exactly one of sendSuccesful or
// sendFailed. send() never blocks on the network.
//
// The transfer is libcurl's SMTP client, protected as ConnectionSecurity says: with STARTTLS the
// session insists on it, and a server that does not offer it gets nothing beyond EHLO, the
// password least of all; with TLS the connection is encrypted from the first byte. The server's
// certificate is checked against the system's certificate authorities. AUTH with the user name
// and password (UTF-8) when UseAuthentication is set.
// Its time limits run on the clock given at construction, in the thread that owns the session;
// one that runs out stops the transfer, which then fails with a "timed out" explanation.
// Destroying the session stops a transfer still running, waking its thread at once, and waits
// for that thread; after the final signal it is always safe to destroy.
class SmtpSession final : public QObject {
    Q_OBJECT
public:
    // The clock must outlive the session.
    explicit SmtpSession(platform::Clock &clock, QObject *parent = nullptr);
    ~SmtpSession() override;
    SmtpSession(const SmtpSession &) = delete;
    SmtpSession &operator=(const SmtpSession &) = delete;

    void setAsHTML(bool html) { m_asHtml = html; }
    void setRecipientSeparator(const QString &separator) { m_separator = separator; }
    void setSMTPHost(const QString &host) { m_host = host; }
    void setSMTPPort(int port) { m_port = port; } // 0 or less: 465 with Tls, else 25
    void setConnectionSecurity(ConnectionSecurity security) { m_security = security; }
    // A PEM file of certificate authorities to trust instead of the system's (a test server's).
    void setCaFile(const QString &path) { m_caFile = path; }
    void setUseAuthentication(bool use) { m_useAuthentication = use; }
    void setUsername(const QString &user) { m_username = user; }
    void setPassword(const QString &password) { m_password = password; }
    // The recipients as typed, split at RecipientSeparator; blank parts are dropped.
    void setRecipient(const QString &recipients) { m_recipients = recipients; }
    void setFrom(const QString &address) { m_from = address; }
    void setFromDisplayName(const QString &name) { m_fromName = name; }
    void setSubject(const QString &subject) { m_subject = subject; }
    void setMessage(const QString &body) { m_message = body; }
    // The Date header; the current time when not set.
    void setDate(const QDateTime &date) { m_date = date; }
    // Limits in seconds, from send() on: connecting, which ends when the message's envelope
    // starts (default 15; 0 or less: 300), and the whole transfer (default 60; 0 or less: none).
    void setConnectTimeout(int seconds) { m_connectTimeout = seconds; }
    void setTimeout(int seconds) { m_timeout = seconds; }

    // Starts the transfer. A session sends once: later calls are ignored.
    void send();

Q_SIGNALS:
    void progress(int percent);
    void status(const QString &text);
    void sendSuccesful();
    void sendFailed(const QString &explanation);

private:
    struct Job;
    struct Waker;
    class Transfer;

    [[nodiscard]] std::unique_ptr<Job> makeJob() const;
    void fail(const QString &explanation);
    void startLimit(platform::ClockTimer &timer, int seconds);
    void stopLimits();
    void wakeWorker();

    bool m_asHtml = true;
    QString m_separator = QStringLiteral(";");
    QString m_host;
    int m_port = 25;
    ConnectionSecurity m_security = ConnectionSecurity::StartTls;
    QString m_caFile;
    bool m_useAuthentication = false;
    QString m_username;
    QString m_password;
    QString m_recipients;
    QString m_from;
    QString m_fromName;
    QString m_subject;
    QString m_message;
    QDateTime m_date;
    int m_connectTimeout = 15;
    int m_timeout = 60;

    bool m_started = false;
    std::atomic<bool> m_abort{false};
    // The limit that ran out, in milliseconds; 0 while none has.
    std::atomic<long> m_expiredAfterMs{0};
    const std::unique_ptr<platform::ClockTimer> m_connectLimit;
    const std::unique_ptr<platform::ClockTimer> m_transferLimit;
    // Wakes the worker from this thread; it outlives the worker.
    const std::unique_ptr<Waker> m_waker;
    std::thread m_worker;
};
