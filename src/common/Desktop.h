#pragma once

#include <QString>

namespace platform {
struct Context;
}

namespace Desktop {

// Opens an http, https or mailto address, or an existing local file, with the desktop's default
// handler. Anything else (javascript:, file: URLs from feeds, custom schemes) is ignored.
void open(const platform::Context &ctx, const QString &target);

} // namespace Desktop
