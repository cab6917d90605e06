#include "common/Files.h"

#include "platform/AtomicFile.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "platform/TextCodec.h"

#include <QFile>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace Files {
namespace {

const QString kErrorTitle = QStringLiteral("Error !");

void showError(const platform::Context &ctx, const QString &title, int number,
               const QString &description)
{
    ctx.messages.information(title,
                             QString::number(number) + QStringLiteral(" : \r\n\r\n") + description);
}

// "Does not exist" is an answer, not a failure of the test.
bool isMissingEntry(const std::error_code &ec)
{
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

std::filesystem::path fsPath(const QString &path)
{
    return std::filesystem::path(path.toStdString());
}

} // namespace

QString withTrailingSlash(const QString &path)
{
    const QString upToNul = path.left(path.indexOf(QChar(u'\0')));
    return upToNul.endsWith(QLatin1Char('/')) ? upToNul : upToNul + QLatin1Char('/');
}

bool fileExists(const platform::Context &ctx, const QString &path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(fsPath(path), ec);
    if (ec && !isMissingEntry(ec)) {
        showError(ctx, QStringLiteral("Error ! (Source : FileExists)"), ec.value(),
                  QString::fromStdString(ec.message()));
        return false;
    }
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool folderExists(const platform::Context &ctx, const QString &path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(fsPath(path), ec);
    if (ec && !isMissingEntry(ec)) {
        showError(ctx, kErrorTitle, ec.value(), QString::fromStdString(ec.message()));
        return false;
    }
    if (ec)
        return false;
    return path.endsWith(QLatin1Char('/')) ? std::filesystem::is_directory(status)
                                           : std::filesystem::exists(status);
}

bool writeText(const platform::Context &ctx, const QString &path, const QString &text)
{
    return writeText(ctx, path, text.toUtf8());
}

bool writeText(const platform::Context &ctx, const QString &path, const QByteArray &utf8)
{
    const auto result = platform::writeFileAtomically(path, [&utf8](QIODevice &file) {
        return file.write(utf8) == utf8.size() && file.write("\r\n", 2) == 2;
    });
    if (!result.ok)
        showError(ctx, kErrorTitle, result.errorNumber, result.errorText);
    return result.ok;
}

QString readText(const platform::Context &ctx, const QString &path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        showError(ctx, kErrorTitle, errno != 0 ? errno : EIO, file.errorString());
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        showError(ctx, kErrorTitle, errno != 0 ? errno : EIO, file.errorString());
        return {};
    }
    return platform::decodeTextFile(bytes);
}

} // namespace Files
