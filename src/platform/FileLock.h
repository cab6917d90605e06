#pragma once

#include <QString>

namespace platform {

// An exclusive lock on a shared file, held for one load-change-save, so that the windows, a
// scheduled check and marlowin-check never undo each other's saves. The lock is an advisory
// lock (flock) on a file of its own, "<path>.lock", which the holder removes when it lets go.
// The system drops the lock of a process that dies, so a killed process never leaves a lock
// behind that holds others up; its leftover file is simply taken over. Locks are per process:
// a second lock on the same path in one process is refused like one in another process.
// Released when the object dies.
class FileLock {
public:
    explicit FileLock(const QString &path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Waits at most timeoutMs (0: not at all) for the lock; true when it is held. On failure
    // errorText() says why.
    [[nodiscard]] bool acquire(int timeoutMs);
    void release();
    [[nodiscard]] bool isHeld() const { return m_fd >= 0; }
    [[nodiscard]] QString errorText() const { return m_error; }

private:
    QString m_path;
    QByteArray m_lockPath;
    int m_fd = -1;
    QString m_error;
};

} // namespace platform
