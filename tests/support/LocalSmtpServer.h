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

// A real SMTP server (aiosmtpd, tests/support/smtp_server.py) on a free 127.0.0.1 port, in a
// process of its own from start() until destruction. It accepts every message and keeps it for
// messages(); it can insist on one user and password, and refuse given recipients with 550.
class LocalSmtpServer {
public:
    struct Options {
        QString user; // when set, AUTH with this user and password is required
        QString password;
        QStringList refusedRecipients;
    };

    LocalSmtpServer() = default;
    ~LocalSmtpServer();
    LocalSmtpServer(const LocalSmtpServer &) = delete;
    LocalSmtpServer &operator=(const LocalSmtpServer &) = delete;

    // Starts the server and waits until it accepts connections; false when it does not come up.
    [[nodiscard]] bool start(const Options &options = {});

    [[nodiscard]] int port() const { return m_port; }

    // The messages received so far, in order of arrival.
    [[nodiscard]] QList<ReceivedMail> messages() const;

    // A port on 127.0.0.1 where nothing listens (a connection is refused).
    [[nodiscard]] static int closedPort();

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
};

} // namespace test
