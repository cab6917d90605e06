#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <functional>
#include <optional>

namespace platform {

struct WriteResult {
    bool ok = false;
    int errorNumber = 0; // errno-style number when the write failed
    QString errorText;   // the system's description of the failure
};

// Replaces the file's content as a whole: the bytes go to a temporary file beside it, which is
// renamed over the old file only when everything was written. A crash or a full disk leaves the
// old file as it was. When permissions are given the file gets them; otherwise an existing
// file keeps its own and a new one gets the default.
[[nodiscard]] WriteResult writeFileAtomically(const QString &path, const QByteArray &bytes,
                                              std::optional<QFileDevice::Permissions> permissions
                                              = {});

// The same for content written piece by piece: writeBody writes everything to the device and
// returns false when any write fell short. Nothing replaces the old file unless it returns true.
[[nodiscard]] WriteResult
writeFileAtomically(const QString &path, const std::function<bool(QIODevice &)> &writeBody,
                    std::optional<QFileDevice::Permissions> permissions = {});

} // namespace platform
