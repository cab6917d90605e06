#include "localization/LanguageList.h"

#include "platform/AtomicFile.h"
#include "platform/Context.h"
#include "platform/HttpRequest.h"
#include "shell/mUtil.h"

#include <QFile>

namespace LanguageList
{
namespace
{

const QString kGroupOpen = QStringLiteral("<LANGUAGE_GROUP");
const QString kGroupClose = QStringLiteral("</LANGUAGE_GROUP>");
const QString kNameOpen = QStringLiteral("<LANGUAGE_NAME>");
const QString kNameClose = QStringLiteral("</LANGUAGE_NAME>");

// The name inside one group's text, or empty when the group has none.
QString NameOfGroup(const QString &group)
{
    const qsizetype open = group.indexOf(kNameOpen);
    if (open < 0)
        return {};
    const qsizetype start = open + kNameOpen.size();
    const qsizetype end = group.indexOf(kNameClose, start);
    return end < 0 ? QString() : group.mid(start, end - start);
}

bool IsSuccess(int status)
{
    return status >= 200 && status < 300;
}

} // namespace

QStringList GroupNames(const QString &fileText)
{
    QStringList names;
    qsizetype pos = 0;
    while (true) {
        const qsizetype start = fileText.indexOf(kGroupOpen, pos, Qt::CaseInsensitive);
        if (start < 0)
            break;
        const qsizetype end = fileText.indexOf(kGroupClose, start);
        const QString name
            = NameOfGroup(end < 0 ? fileText.mid(start) : fileText.mid(start, end - start));
        if (!name.isEmpty())
            names.append(name);
        if (end < 0)
            break;
        pos = end + kGroupClose.size();
    }
    return names;
}

QString LanguageFilePath(const platform::Context &ctx)
{
    return ctx.appFolder + QStringLiteral("/Localization.txt");
}

// Read as clsLanguages reads it, so that every name listed is one it can load.
QStringList InstalledLanguages(const platform::Context &ctx)
{
    const QString path = LanguageFilePath(ctx);
    if (!mUtil::FileExists(ctx, path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return GroupNames(QString::fromUtf8(file.readAll()));
}

std::optional<QString> LanguageFileFromDownload(const QString &body)
{
    if (!body.contains(QStringLiteral("<TRANSLATION_ITEMS>"), Qt::CaseInsensitive))
        return std::nullopt;
    return body.mid(body.indexOf(QLatin1Char('<')));
}

DownloadResult DownloadLanguageFile(const platform::Context &ctx, const QString &url, int timeoutMs)
{
    platform::HttpRequest request(ctx.network);
    if (!request.open(QStringLiteral("GET"), url))
        return DownloadResult::NotALanguageFile;
    request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
    request.setRequestHeader(QStringLiteral("User-Agent"), QStringLiteral("Mozilla"));
    request.setRequestHeader(QStringLiteral("Accept"), QStringLiteral("*/*"));
    request.send();
    if (platform::WaitForResponse(request, timeoutMs) != platform::WaitResult::Complete)
        return DownloadResult::NotALanguageFile;
    // An error page never replaces the file, whatever it happens to contain.
    if (!IsSuccess(request.status()))
        return DownloadResult::NotALanguageFile;
    const std::optional<QString> text = LanguageFileFromDownload(request.responseText());
    if (!text)
        return DownloadResult::NotALanguageFile;
    const QByteArray bytes = (*text + QStringLiteral("\r\n")).toUtf8();
    return platform::WriteFileAtomically(LanguageFilePath(ctx), bytes).ok
        ? DownloadResult::Stored
        : DownloadResult::WriteFailed;
}

QString NewestLanguageFileUrl(const QString &languagesFolderUrl)
{
    return languagesFolderUrl + QStringLiteral("0/Localization.txt");
}

} // namespace LanguageList
