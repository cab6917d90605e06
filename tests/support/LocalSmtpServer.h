#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace test {

// One message as the server received it, decoded by Python's email package.
struct ReceivedMail {
    QString mailFrom;                       // envelope sender
    QStringList recipients;                 // envelope recipients
    QByteArray raw;                         // the message's bytes as they arrived
    QList<QPair<QString, QString>> headers; // name and decoded value, in order
    QString subject;                        // decoded
    QString from;                           // the From header, decoded
    QString body;                           // the text of the body, transfer encoding undone
    bool authenticated = false;

    // The decoded values of every header with this name (case-insensitive).
    [[nodiscard]] QStringList header(const QString &name) const;
};

// An AUTH command as the server received it, before it was judged.
struct ReceivedAuth {
    QString mechanism; // PLAIN, LOGIN ...
    bool encrypted = false;
};

// A real SMTP server (aiosmtpd, tests/support/smtp_server.py) on a free 127.0.0.1 port, in a
// process of its own from start() until destruction. It accepts every message and keeps it for
// messages(); it can insist on one user and password (compared as UTF-8 bytes), refuse given
// recipients with 550, and speak TLS with a certificate of its own, signed by an authority that
// it makes for the purpose (caFile()).
class LocalSmtpServer {
public:
    enum class Tls {
        None,     // STARTTLS is not offered; AUTH is allowed in clear
        StartTls, // offered, and required before AUTH
        Implicit, // TLS from the first byte
    };
    struct Options {
        QString user; // when set, AUTH with this user and password is required
        QString password;
        QStringList refusedRecipients;
        Tls tls = Tls::None;
    };

    LocalSmtpServer() = default;
    ~LocalSmtpServer();
    LocalSmtpServer(const LocalSmtpServer &) = delete;
    LocalSmtpServer &operator=(const LocalSmtpServer &) = delete;

    // Starts the server and waits until it accepts connections; false when it does not come up.
    [[nodiscard]] bool start(const Options &options);
    [[nodiscard]] bool start() { return start(Options()); }

    [[nodiscard]] int port() const { return m_port; }

    // The messages received so far, in order of arrival.
    [[nodiscard]] QList<ReceivedMail> messages() const;
    // The AUTH commands received so far, in order of arrival.
    [[nodiscard]] QList<ReceivedAuth> authCommands() const;
    // The authority that signed the server's certificate (PEM); with Tls::None, no file.
    [[nodiscard]] QString caFile() const { return m_folder.filePath(QStringLiteral("ca.pem")); }

    // A port on 127.0.0.1 where nothing listens (a connection is refused).
    [[nodiscard]] static int closedPort();

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
};

} // namespace test
