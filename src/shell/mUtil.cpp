#include "shell/mUtil.h"

#include "platform/AtomicFile.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/DesktopShell.h"
#include "platform/MessageBoxes.h"
#include "platform/TextCodec.h"

#include <QAbstractNetworkCache>
#include <QFile>
#include <QNetworkAccessManager>
#include <QUrl>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace mUtil {
namespace {

const QString kErrorTitle = QStringLiteral("Error !");
const QString kCrLf = QStringLiteral("\r\n");

void ShowError(const platform::Context &ctx, const QString &title, int number,
               const QString &description)
{
    ctx.messages.information(title, QString::number(number) + QStringLiteral(" : ") + kCrLf
                                        + kCrLf + description);
}

// "Does not exist" is an answer, not a failure of the test.
bool IsMissingEntry(const std::error_code &ec)
{
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

std::filesystem::path FsPath(const QString &path)
{
    return std::filesystem::path(path.toStdString());
}

QString Reversed(QString text)
{
    std::reverse(text.begin(), text.end());
    return text;
}

} // namespace

QString AddBackslash(const QString &path)
{
    const QString upToNul = path.left(path.indexOf(QChar(u'\0')));
    return upToNul.endsWith(QLatin1Char('/')) ? upToNul : upToNul + QLatin1Char('/');
}

bool FileExists(const platform::Context &ctx, const QString &path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(FsPath(path), ec);
    if (ec && !IsMissingEntry(ec)) {
        ShowError(ctx, QStringLiteral("Error ! (Source : FileExists)"), ec.value(),
                  QString::fromStdString(ec.message()));
        return false;
    }
    return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool FolderExists(const platform::Context &ctx, const QString &path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(FsPath(path), ec);
    if (ec && !IsMissingEntry(ec)) {
        ShowError(ctx, kErrorTitle, ec.value(), QString::fromStdString(ec.message()));
        return false;
    }
    if (ec)
        return false;
    return path.endsWith(QLatin1Char('/')) ? std::filesystem::is_directory(status)
                                           : std::filesystem::exists(status);
}

bool IsBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

bool WriteTextFile(const platform::Context &ctx, const QString &path, const QString &text)
{
    return WriteTextFile(ctx, path, text.toUtf8());
}

bool WriteTextFile(const platform::Context &ctx, const QString &path, const QByteArray &utf8)
{
    const auto result = platform::WriteFileAtomically(path, [&utf8](QIODevice &file) {
        return file.write(utf8) == utf8.size() && file.write("\r\n", 2) == 2;
    });
    if (!result.ok)
        ShowError(ctx, kErrorTitle, result.errorNumber, result.errorText);
    return result.ok;
}

QString ReadTextFile(const platform::Context &ctx, const QString &path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        ShowError(ctx, kErrorTitle, errno != 0 ? errno : EIO, file.errorString());
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ShowError(ctx, kErrorTitle, errno != 0 ? errno : EIO, file.errorString());
        return {};
    }
    return platform::DecodeTextFile(bytes);
}

void ShellOpen(const platform::Context &ctx, const QString &target)
{
    const QString trimmed = target.trimmed();
    for (const auto scheme : {QLatin1String("http://"), QLatin1String("https://"),
                              QLatin1String("mailto:")}) {
        if (trimmed.startsWith(scheme, Qt::CaseInsensitive)) {
            const QUrl url(trimmed, QUrl::TolerantMode);
            if (url.isValid())
                ctx.shell.openUrl(url);
            return;
        }
    }
    std::error_code ec;
    if (std::filesystem::is_regular_file(FsPath(trimmed), ec))
        ctx.shell.openUrl(QUrl::fromLocalFile(trimmed));
}

bool IsConnected(const platform::Context &ctx)
{
    return ctx.connection.isConnected();
}

bool WaitForConnection(const platform::Context &ctx, platform::MessageIcon icon, const QString &title,
                       const QString &text)
{
    while (!IsConnected(ctx)) {
        if (!ctx.messages.retry(icon, title, text))
            return false;
    }
    return true;
}

QStringList UrlCacheAddresses(const QString &url)
{
    QString address = QStringLiteral("http://") + QString(url).remove(QStringLiteral("http://"));
    QStringList addresses{address};
    if (!address.endsWith(QLatin1Char('/')))
        addresses << address + QLatin1Char('/');
    return addresses;
}

void ClearUrlCache(const platform::Context &ctx, const QString &url)
{
    QAbstractNetworkCache *cache = ctx.network.cache();
    if (!cache)
        return;
    QStringList addresses = UrlCacheAddresses(url);
    addresses << url; // the address as it is fetched, which differs for https
    for (const QString &address : addresses)
        cache->remove(QUrl(address));
}

QString NewGuid()
{
    const QString digits = QString::fromLatin1(QUuid::createUuid().toRfc4122().toHex().toUpper());
    if (digits.size() != 32)
        return {};
    return digits.mid(0, 8) + QLatin1Char('-') + digits.mid(8, 4) + QLatin1Char('-')
           + digits.mid(12, 4) + QLatin1Char('-') + digits.mid(16, 4) + QLatin1Char('-')
           + digits.mid(20, 12);
}

namespace {

// The lower-cased month names of a locale, full and abbreviated, January first. Looking them
// up is slow next to comparing them, and every item's date needs them.
struct MonthNames {
    QString localeName;
    QStringList full;
    QStringList abbreviated;
};

MonthNames NamesOf(const QLocale &locale)
{
    MonthNames names{locale.name(), {}, {}};
    for (int month = 1; month <= 12; ++month) {
        names.full << locale.monthName(month, QLocale::LongFormat).toLower();
        names.abbreviated << locale.monthName(month, QLocale::ShortFormat).toLower();
    }
    return names;
}

int FindMonth(const MonthNames &names, const QString &fullName, const QString &abbreviation)
{
    for (int month = 0; month < 12; ++month) {
        if (fullName == names.full.at(month) || abbreviation == names.abbreviated.at(month))
            return month + 1;
    }
    return 0;
}

} // namespace

QString MonthNumber(const QString &name, const QLocale &locale)
{
    // Feed dates are English whatever the desktop's language, so English names always count.
    static const MonthNames english = NamesOf(QLocale(QLocale::English, QLocale::UnitedStates));
    thread_local MonthNames local;
    if (local.localeName != locale.name() || local.full.isEmpty())
        local = NamesOf(locale);

    const QString fullName = name.trimmed().toLower();
    const QString abbreviation = name.toLower();
    int month = FindMonth(local, fullName, abbreviation);
    if (month == 0)
        month = FindMonth(english, fullName, abbreviation);
    if (month == 0)
        return {};
    return QString::number(month).rightJustified(2, QLatin1Char('0'));
}

QString ScrambleText(const QString &text, bool scramble, bool *ok)
{
    if (ok)
        *ok = true;
    if (IsBlank(text))
        return {};
    const QString reversed = Reversed(text);
    if (scramble) {
        QString groups;
        groups.reserve(reversed.size() * 4);
        for (const char code : platform::ToWindows1252(reversed))
            groups += QStringLiteral("%1").arg(uchar(code) * 7, 4, 10, QLatin1Char('0'));
        return Reversed(groups);
    }
    QByteArray codes;
    for (qsizetype at = 0; at < reversed.size(); at += 4) {
        bool isNumber = false;
        const int product = reversed.mid(at, 4).toInt(&isNumber);
        const int code = qRound(product / 7.0);
        if (!isNumber || code < 0 || code > 255) {
            if (ok)
                *ok = false;
            return {};
        }
        codes.append(char(code));
    }
    return Reversed(platform::FromWindows1252(codes));
}

} // namespace mUtil
