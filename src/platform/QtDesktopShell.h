#pragma once

#include "platform/DesktopShell.h"

namespace platform {

// Opens addresses and files with the desktop's default handler (xdg-open and its kin).
class QtDesktopShell final : public DesktopShell {
public:
    bool openUrl(const QUrl &url) override;
};

} // namespace platform
