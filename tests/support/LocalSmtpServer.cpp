#include "support/LocalSmtpServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>

#include <algorithm>

namespace test {
namespace {

// Another python without aiosmtpd may come first on PATH.
const QString Python = QStringLiteral("/usr/bin/python3");

int messageNumber(const QString &fileName)
{
    return fileName.section(QLatin1Char('-'), 1).section(QLatin1Char('.'), 0, 0).toInt();
}

ReceivedMail fromJson(const QJsonObject &record)
{
    ReceivedMail mail;
    mail.mailFrom = record.value(QStringLiteral("mail_from")).toString();
    for (const QJsonValue &recipient : record.value(QStringLiteral("rcpt_tos")).toArray())
        mail.recipients.append(recipient.toString());
    mail.raw = QByteArray::fromBase64(record.value(QStringLiteral("raw")).toString().toLatin1());
    for (const QJsonValue &pair : record.value(QStringLiteral("headers")).toArray())
        mail.headers.append({pair.toArray().at(0).toString(), pair.toArray().at(1).toString()});
    mail.subject = record.value(QStringLiteral("subject")).toString();
    mail.from = record.value(QStringLiteral("from")).toString();
    mail.body = record.value(QStringLiteral("body")).toString();
    mail.authenticated = record.value(QStringLiteral("authenticated")).toBool();
    return mail;
}

} // namespace

QStringList ReceivedMail::header(const QString &name) const
{
    QStringList values;
    for (const auto &[headerName, value] : headers) {
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            values.append(value);
    }
    return values;
}

LocalSmtpServer::~LocalSmtpServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool LocalSmtpServer::start(const Options &options)
{
    if (!m_folder.isValid())
        return false;
    QStringList arguments{QStringLiteral(MARLOWIN_SMTP_SERVER_SCRIPT), QStringLiteral("--port"),
                          QStringLiteral("0"), QStringLiteral("--out"), m_folder.path()};
    if (!options.user.isEmpty())
        arguments << QStringLiteral("--user") << options.user << QStringLiteral("--password")
                  << options.password;
    for (const QString &refused : options.refusedRecipients)
        arguments << QStringLiteral("--refuse") << refused;
    if (options.tls == Tls::StartTls)
        arguments << QStringLiteral("--tls") << QStringLiteral("starttls");
    else if (options.tls == Tls::Implicit)
        arguments << QStringLiteral("--tls") << QStringLiteral("implicit");
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(Python, arguments);
    if (!m_process.waitForStarted(5000))
        return false;

    const QDeadlineTimer deadline(10000);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(100);
    }
    m_port = m_process.readLine().trimmed().toInt();
    return m_port > 0;
}

QList<ReceivedMail> LocalSmtpServer::messages() const
{
    QDir folder(m_folder.path());
    QStringList names = folder.entryList({QStringLiteral("msg-*.json")}, QDir::Files);
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return messageNumber(a) < messageNumber(b);
    });
    QList<ReceivedMail> mails;
    for (const QString &name : names) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            mails.append(fromJson(QJsonDocument::fromJson(file.readAll()).object()));
    }
    return mails;
}

QList<ReceivedAuth> LocalSmtpServer::authCommands() const
{
    QList<ReceivedAuth> commands;
    QFile file(QDir(m_folder.path()).filePath(QStringLiteral("auth.jsonl")));
    if (!file.open(QIODevice::ReadOnly))
        return commands;
    while (!file.atEnd()) {
        const QJsonObject record = QJsonDocument::fromJson(file.readLine()).object();
        commands.append({record.value(QStringLiteral("mechanism")).toString(),
                         record.value(QStringLiteral("encrypted")).toBool()});
    }
    return commands;
}

int LocalSmtpServer::closedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 1;
    const int port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace test
