#include "localization/LanguageList.h"

#include "common/Files.h"
#include "platform/AtomicFile.h"
#include "platform/Context.h"
#include "platform/HttpRequest.h"

#include <QFile>
#include <QRegularExpression>

namespace LanguageList {
namespace {

const QString kGroupOpen = QStringLiteral("<LANGUAGE_GROUP");
const QString kGroupClose = QStringLiteral("</LANGUAGE_GROUP>");
const QString kNameOpen = QStringLiteral("<LANGUAGE_NAME>");
const QString kNameClose = QStringLiteral("</LANGUAGE_NAME>");

// The name inside one group's text, or empty when the group has none.
QString nameOfGroup(const QString &group)
{
    const qsizetype open = group.indexOf(kNameOpen);
    if (open < 0)
        return {};
    const qsizetype start = open + kNameOpen.size();
    const qsizetype end = group.indexOf(kNameClose, start);
    return end < 0 ? QString() : group.mid(start, end - start);
}

// The text of every language group, from its "<LANGUAGE_GROUP" (any case) to its closing tag
// or the end of the text.
QStringList groupTexts(const QString &fileText)
{
    QStringList groups;
    qsizetype pos = 0;
    while (true) {
        const qsizetype start = fileText.indexOf(kGroupOpen, pos, Qt::CaseInsensitive);
        if (start < 0)
            break;
        const qsizetype end = fileText.indexOf(kGroupClose, start);
        groups.append(end < 0 ? fileText.mid(start) : fileText.mid(start, end - start));
        if (end < 0)
            break;
        pos = end + kGroupClose.size();
    }
    return groups;
}

bool isSuccess(int status)
{
    return status >= 200 && status < 300;
}

} // namespace

QStringList groupNames(const QString &fileText)
{
    QStringList names;
    for (const QString &group : groupTexts(fileText)) {
        const QString name = nameOfGroup(group);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

QString groupLanguageCode(const QString &fileText, const QString &name)
{
    static const QRegularExpression code(
        QStringLiteral("^<LANGUAGE_GROUP[^>]*xml:lang\\s*=\\s*\"([^\"]*)\""),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString &group : groupTexts(fileText))
        if (nameOfGroup(group).compare(name, Qt::CaseInsensitive) == 0)
            return code.match(group).captured(1).trimmed();
    return {};
}

QString languageFilePath(const platform::Context &ctx)
{
    return ctx.appFolder + QStringLiteral("/Localization.txt");
}

QString installedLanguageCode(const platform::Context &ctx, const QString &name)
{
    QFile file(languageFilePath(ctx));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return groupLanguageCode(QString::fromUtf8(file.readAll()), name);
}

// Read as Languages reads it, so that every name listed is one it can load.
QStringList installedLanguages(const platform::Context &ctx)
{
    const QString path = languageFilePath(ctx);
    if (!Files::fileExists(ctx, path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return groupNames(QString::fromUtf8(file.readAll()));
}

std::optional<QString> languageFileFromDownload(const QString &body)
{
    if (!body.contains(QStringLiteral("<TRANSLATION_ITEMS>"), Qt::CaseInsensitive))
        return std::nullopt;
    return body.mid(body.indexOf(QLatin1Char('<')));
}

DownloadResult downloadLanguageFile(const platform::Context &ctx, const QString &url, int timeoutMs)
{
    platform::HttpRequest request(ctx.network, &ctx.responseBudget);
    if (!request.open(QStringLiteral("GET"), url))
        return DownloadResult::NotALanguageFile;
    request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
    request.setRequestHeader(QStringLiteral("User-Agent"), QStringLiteral("Mozilla"));
    request.setRequestHeader(QStringLiteral("Accept"), QStringLiteral("*/*"));
    request.send();
    if (platform::waitForResponse(request, ctx.clock, timeoutMs) != platform::WaitResult::Complete)
        return DownloadResult::NotALanguageFile;
    // An error page never replaces the file, whatever it happens to contain.
    if (!isSuccess(request.status()))
        return DownloadResult::NotALanguageFile;
    const std::optional<QString> text = languageFileFromDownload(request.responseText());
    if (!text)
        return DownloadResult::NotALanguageFile;
    const QByteArray bytes = (*text + QStringLiteral("\r\n")).toUtf8();
    return platform::writeFileAtomically(languageFilePath(ctx), bytes).ok
        ? DownloadResult::Stored
        : DownloadResult::WriteFailed;
}

QString newestLanguageFileUrl(const QString &languagesFolderUrl)
{
    return languagesFolderUrl + QStringLiteral("0/Localization.txt");
}

} // namespace LanguageList
