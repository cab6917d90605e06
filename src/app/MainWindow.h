#pragma once

#include <QMainWindow>

#include <memory>

namespace platform {
struct Context;
}

// The main window as far as it exists yet: the frame that the tree pane, the feed tabs and the
// menus will fill.
[[nodiscard]] std::unique_ptr<QMainWindow> CreateMainWindow(const platform::Context &ctx);
