#pragma once

#include "subscriptions/FeedRecord.h"

#include <QString>

#include <optional>

class TreePaneHost;

namespace platform {
struct Context;
class TreeView;
} // namespace platform

// What the category tree pane does with its nodes, free of widgets: telling node kinds apart,
// building a feed record from a feed node, opening a feed, renaming in place and moving a feed
// by drag and drop. The pane calls these with its tree; tests call them with an in-memory tree.
namespace TreePane {

enum class NodeKind { None, Root, Category, Feed };

// Root: key "main"; feed: a key holding "-"; category: any other key; None for an empty key.
[[nodiscard]] NodeKind kindOf(const QString &key);

// The record of a feed node: its parent's text, tag, image less 3, key and text. Nothing for a
// key that is no feed node of the tree.
[[nodiscard]] std::optional<FeedRecord> feedOf(const platform::TreeView &tree, const QString &key);

// The double click: when the selected node is a feed, brings the open window of its URL to the
// front or, when none is open, opens one that checks for new items. Nothing for any other node.
void openSelectedFeed(const platform::TreeView &tree, TreePaneHost &host);

// Whether F2 may start editing the node: not on an empty tree, nothing selected or the root.
[[nodiscard]] bool canRename(const platform::TreeView &tree, const QString &key);

// The end of an in-place edit of the node: true when the node takes the new text (the call has
// then stored it in the database and set the node's text), false when the edit is cancelled.
// Refuses blanks and the old name in any case silently, and any name a category has with the
// box "Category Exists!"; a category that cannot be renamed gets the box "Alert!". The new text
// is stored as typed.
bool renameNode(const platform::Context &ctx, platform::TreeView &tree, const QString &key,
                const QString &newText);

// Whether a drag may start from the node (feed nodes only) and a drop land on it (category
// nodes only).
[[nodiscard]] bool canDrag(const QString &key);
[[nodiscard]] bool canDrop(const QString &targetKey);

// The drop of the dragged feed on a category node: asks "Change Category?", refuses a URL the
// category holds already ("Feed already Exists!"), moves the feed and reloads the tree. Does
// nothing on the feed's own category (the same node, or a name equal but for letter case,
// which the database takes for the same category). True when the feed moved; the reloaded tree
// then keeps the categories that were open, opens the target and selects the moved feed.
bool dropFeed(const platform::Context &ctx, platform::TreeView &tree, const FeedRecord &dragged,
              const QString &targetKey);

} // namespace TreePane
