#include "platform/AtomicFile.h"

#include <QSaveFile>

#include <cerrno>

namespace platform {
namespace {

WriteResult failure(const QSaveFile &file)
{
    const int number = errno != 0 ? errno : EIO;
    return {false, number, file.errorString()};
}

} // namespace

WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes,
                                std::optional<QFileDevice::Permissions> permissions)
{
    return writeFileAtomically(
        path, [&bytes](QIODevice &file) { return file.write(bytes) == bytes.size(); }, permissions);
}

WriteResult writeFileAtomically(const QString &path,
                                const std::function<bool(QIODevice &)> &writeBody,
                                std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    errno = 0;
    // Unbuffered, so that a short write (full disk, size limit) shows in write()'s result
    // instead of being lost in a buffered flush that commit() does not check.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(file);
    if (permissions)
        file.setPermissions(*permissions);
    if (!writeBody(file)) {
        WriteResult result = failure(file);
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        return failure(file);
    return {true, 0, {}};
}

} // namespace platform
