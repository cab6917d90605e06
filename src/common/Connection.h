#pragma once

#include "platform/MessageBoxes.h"

#include <QString>

namespace platform {
struct Context;
}

namespace Connection {

// Shows the Retry/Cancel box for as long as the system reports no connection; false when the
// user cancels.
[[nodiscard]] bool waitFor(const platform::Context &ctx, platform::MessageIcon icon,
                           const QString &title, const QString &text);

} // namespace Connection
