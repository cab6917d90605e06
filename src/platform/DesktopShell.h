#pragma once

#include <QUrl>

namespace platform {

// Opens a document or address with the desktop's default handler.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    virtual bool openUrl(const QUrl &url) = 0;
};

} // namespace platform
