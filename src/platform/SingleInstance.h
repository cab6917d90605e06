#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <chrono>

class QLocalServer;
class QLocalSocket;

namespace platform {

// One running Marlowin per app folder. The first start takes the lock file marlowin.lock in the
// app folder and listens on a local socket named after the folder; a later start on the same
// folder fails to take the lock, hands its request to the first over that socket and ends.
//
// The lock is held for the whole run and goes stale only when its owner is dead (never through
// age: the program runs for days), so a run killed without cleaning up does not block the next.
// The socket lives in $XDG_RUNTIME_DIR (the temporary folder without one), readable by the user
// only; its name is a hash of the canonical app folder path and the user, so any folder path
// fits and two names of one folder meet.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &appFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the app folder's lock and starts answering later starts. False when a live process
    // holds the lock, or when the lock file cannot be created (errorString() says which). A run
    // that holds the lock but cannot listen still returns true: it owns the folder, later starts
    // just cannot reach it (a warning says so on stderr).
    [[nodiscard]] bool claim();

    // For a start whose claim() failed: asks the first process to bring its window forward
    // (raise) or to do nothing, and waits for its acknowledgement. While the first is starting
    // and not yet listening, it tries again until patience runs out. It never sends twice: a
    // request delivered but not acknowledged in time counts as failed. False with errorString()
    // when the first could not be reached or did not answer.
    [[nodiscard]] bool tellFirst(bool raise);

    // How long tellFirst() waits in all; 5 s unless set.
    void setPatience(std::chrono::milliseconds patience) { m_patience = patience; }

    // One line on why the last claim() or tellFirst() failed.
    [[nodiscard]] QString errorString() const { return m_error; }

Q_SIGNALS:
    // A later start without -s asked for the window. Emitted from the event loop of this
    // object's thread, before the request is acknowledged.
    void raiseRequested();

private:
    void accept();
    void answer(QLocalSocket *socket);

    QString m_appFolder;
    QString m_serverName;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
    std::chrono::milliseconds m_patience{5000};
    QString m_error;
};

} // namespace platform
