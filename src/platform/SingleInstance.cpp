#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <unistd.h>

namespace platform {

namespace {

// The whole conversation: one line from the later start, one line back.
constexpr char kRaise[] = "raise";
constexpr char kNone[] = "none";
constexpr char kAcknowledged[] = "ok";
constexpr qint64 kLongestRequest = 16;
// A caller that connects and says nothing is dropped after this long.
constexpr int kRequestTimeoutMs = 10000;
// Between two attempts to reach a first process that is not listening yet.
constexpr qint64 kRetryMs = 100;

QString canonicalFolder(const QString &appFolder)
{
    const QFileInfo folder(appFolder);
    const QString canonical = folder.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder.absoluteFilePath()) : canonical;
}

// A full path, so that QLocalServer does not put it in the shared temporary folder. The hash
// keeps it short whatever the folder's path (a socket path holds at most 107 bytes); the user id
// keeps two users with one MARLOWIN_HOME apart in a shared temporary folder.
QString serverName(const QString &canonicalFolder)
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!QDir::isAbsolutePath(folder) || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    const QByteArray key = QByteArray::number(getuid()) + '\n' + QFile::encodeName(canonicalFolder);
    const QByteArray digest
        = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
    return QDir(folder).absoluteFilePath(
        QStringLiteral("marlowin-%1.socket").arg(QString::fromLatin1(digest)));
}

int remainingMs(const QDeadlineTimer &deadline)
{
    return static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
}

} // namespace

SingleInstance::SingleInstance(const QString &appFolder, QObject *parent)
    : QObject(parent)
    , m_appFolder(canonicalFolder(appFolder))
    , m_serverName(serverName(m_appFolder))
    , m_lock(QDir(m_appFolder).filePath(QStringLiteral("marlowin.lock")))
{
    // Only a dead owner makes the lock stale; a run of several days keeps it.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    // Before the lock goes: closing removes the socket file, which by then could already be the
    // next run's.
    if (m_server)
        m_server->close();
}

bool SingleInstance::claim()
{
    m_error.clear();
    if (m_lock.isLocked())
        return true;
    if (!m_lock.tryLock(0)) {
        // QLockFile has already removed a lock whose owner is dead; what is left is a live one.
        switch (m_lock.error()) {
        case QLockFile::LockFailedError:
            m_error = QStringLiteral("Marlowin is already running on %1").arg(m_appFolder);
            break;
        case QLockFile::PermissionError:
            m_error = QStringLiteral("cannot create the lock file in %1: permission denied")
                          .arg(m_appFolder);
            break;
        default:
            m_error = QStringLiteral("cannot create the lock file in %1").arg(m_appFolder);
            break;
        }
        return false;
    }

    // With the lock held no other run can be listening on this name: a socket file there was
    // left by a run that died.
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    if (!m_server->listen(m_serverName))
        qWarning("Marlowin: later starts on %s cannot reach this one: %s", qPrintable(m_appFolder),
                 qPrintable(m_server->errorString()));
    return true;
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kRequestTimeoutMs, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            answer(socket);
    }
}

void SingleInstance::answer(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestRequest)
            socket->abort();
        return;
    }
    const QByteArray request = socket->readLine(kLongestRequest + 1).trimmed();
    if (request != kRaise && request != kNone) {
        socket->abort();
        return;
    }
    QPointer<QLocalSocket> alive(socket);
    if (request == kRaise)
        Q_EMIT raiseRequested();
    if (!alive)
        return;
    socket->write(kAcknowledged);
    socket->write("\n");
    socket->disconnectFromServer();
}

bool SingleInstance::tellFirst(bool raise)
{
    // When the lock file could not even be created, that is the more useful thing to report.
    const bool lockUnwritable
        = m_lock.error() == QLockFile::PermissionError || m_lock.error() == QLockFile::UnknownError;
    const QString claimProblem = m_error;
    m_error.clear();
    const QDeadlineTimer deadline(m_patience);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(remainingMs(deadline)))
            break;
        // Nobody listens yet (the first run is between taking the lock and listening) or the
        // socket file is a dead run's that the next owner has not removed yet.
        if (deadline.hasExpired()) {
            m_error = lockUnwritable
                ? QStringLiteral("%1, and no running Marlowin answers for it").arg(claimProblem)
                : QStringLiteral("Marlowin is already running on %1 but cannot be reached (%2)")
                      .arg(m_appFolder, socket.errorString());
            return false;
        }
        QThread::msleep(
            static_cast<unsigned long>(std::min<qint64>(kRetryMs, remainingMs(deadline))));
    }

    socket.write(raise ? kRaise : kNone);
    socket.write("\n");
    socket.flush();
    while (!socket.canReadLine() && socket.waitForReadyRead(remainingMs(deadline))) { }
    if (socket.canReadLine() && socket.readLine(kLongestRequest + 1).trimmed() == kAcknowledged)
        return true;
    m_error = QStringLiteral("the Marlowin running on %1 did not answer").arg(m_appFolder);
    return false;
}

} // namespace platform
