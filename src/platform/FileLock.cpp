#include "platform/FileLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// How often a waiting lock looks again.
constexpr int kRetryMs = 5;

bool sameFile(int fd, const QByteArray &path)
{
    struct stat held { };
    struct stat named { };
    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0
        && held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

} // namespace

FileLock::FileLock(const QString &path)
    : m_path(path)
    , m_lockPath(QFile::encodeName(path + QStringLiteral(".lock")))
{
}

FileLock::~FileLock()
{
    release();
}

bool FileLock::acquire(int timeoutMs)
{
    if (isHeld())
        return true;
    m_error.clear();
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    for (;;) {
        const int fd = ::open(m_lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            m_error = QStringLiteral("\"%1\" cannot be locked: %2")
                          .arg(QDir::toNativeSeparators(m_path),
                               QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before removes the file as it lets go: a lock on a file that is no
            // longer there locks nothing, so try again on the one that is.
            if (sameFile(fd, m_lockPath)) {
                m_fd = fd;
                return true;
            }
            ::close(fd);
            continue;
        }
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK) {
            m_error = QStringLiteral("\"%1\" cannot be locked: %2")
                          .arg(QDir::toNativeSeparators(m_path),
                               QString::fromLocal8Bit(std::strerror(error)));
            return false;
        }
        if (deadline.hasExpired()) {
            m_error = QStringLiteral(
                          "\"%1\" is in use by another part of the program or another program.")
                          .arg(QDir::toNativeSeparators(m_path));
            return false;
        }
        QThread::msleep(kRetryMs);
    }
}

void FileLock::release()
{
    if (!isHeld())
        return;
    ::unlink(m_lockPath.constData());
    ::close(m_fd);
    m_fd = -1;
}

} // namespace platform
