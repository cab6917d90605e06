#pragma once

#include <QIcon>
#include <QString>

namespace platform {

// The program's own icons, drawn as SVG and compiled into the program (":/icons/<name>.svg").
// Names: "marlowin" (the program), "tree-root", "category", "feed-rss", "feed-atom",
// "feed-podcast", "item-read", "item-unread", and the toolbar's "add-feed", "add-category",
// "toggle-panel", "email", "settings", "schedule", "website".
[[nodiscard]] QIcon namedIcon(const QString &name);

} // namespace platform
