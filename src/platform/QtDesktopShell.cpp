#include "platform/QtDesktopShell.h"

#include <QDesktopServices>

namespace platform {

bool QtDesktopShell::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace platform
