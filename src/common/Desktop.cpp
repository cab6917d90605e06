#include "common/Desktop.h"

#include "platform/Context.h"
#include "platform/DesktopShell.h"

#include <QUrl>

#include <filesystem>
#include <system_error>

namespace Desktop {

void open(const platform::Context &ctx, const QString &target)
{
    const QString trimmed = target.trimmed();
    for (const auto scheme :
         {QLatin1String("http://"), QLatin1String("https://"), QLatin1String("mailto:")}) {
        if (trimmed.startsWith(scheme, Qt::CaseInsensitive)) {
            const QUrl url(trimmed, QUrl::TolerantMode);
            if (url.isValid())
                ctx.shell.openUrl(url);
            return;
        }
    }
    std::error_code ec;
    if (std::filesystem::is_regular_file(std::filesystem::path(trimmed.toStdString()), ec))
        ctx.shell.openUrl(QUrl::fromLocalFile(trimmed));
}

} // namespace Desktop
