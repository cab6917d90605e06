#include "shell/ProgramInfo.h"

#include <QCoreApplication>
#include <QVersionNumber>

namespace ProgramInfo {

ProgramIdentity identity()
{
    ProgramIdentity identity;
    identity.productName = QStringLiteral("Marlowin");
    identity.companyName = QStringLiteral("the Marlowin Project");
    identity.website = QStringLiteral("www.marlowin.org");
    return identity;
}

QString shortVersion()
{
    const QVersionNumber version = QVersionNumber::fromString(QStringLiteral(MARLOWIN_VERSION));
    return QStringLiteral("%1.%2").arg(version.majorVersion()).arg(version.minorVersion());
}

QString websiteUrl(const QString &website)
{
    if (website.contains(u"https://") || website.contains(u"http://"))
        return website;
    return QStringLiteral("http://") + website;
}

QString languagesFolderUrl()
{
    return QStringLiteral("https://www.marlowin.org/languages/");
}

QString supportMailto()
{
    return QStringLiteral("mailto:support@marlowin.org");
}

} // namespace ProgramInfo
