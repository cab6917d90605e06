#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

struct TreeNode {
    QString key; // unique in the tree
    QString text;
    int image = 0;
    int selectedImage = 0;
    QString tag;
    QString parentKey; // empty for a top-level node
};

// What logic needs of a tree control: keyed nodes with text, images and a tag, kept in the order
// they were added. A sorted node shows its children ordered by text; an expanded one shows them
// at all. Implemented over QTreeWidget for windows and in memory for tests.
class TreeView {
public:
    virtual ~TreeView() = default;

    virtual void clear() = 0;
    // Adds a node under parentKey (empty: a top-level node). False when the key is taken or the
    // parent does not exist; nothing is added then.
    virtual bool add(const QString &parentKey, const QString &key, const QString &text, int image,
                     int selectedImage)
        = 0;
    // Removes the node and its whole subtree; an unknown key is ignored.
    virtual void remove(const QString &key) = 0;

    [[nodiscard]] virtual std::optional<TreeNode> node(const QString &key) const = 0;
    // Every node, in the order in which the nodes were added.
    [[nodiscard]] virtual QList<TreeNode> nodes() const = 0;
    // The keys of a node's children as shown: ordered by text when the node is sorted, else in
    // the order they were added.
    [[nodiscard]] virtual QStringList childKeys(const QString &key) const = 0;

    virtual void setText(const QString &key, const QString &text) = 0;
    virtual void setTag(const QString &key, const QString &tag) = 0;
    virtual void setSorted(const QString &key, bool sorted) = 0;
    [[nodiscard]] virtual bool isSorted(const QString &key) const = 0;
    virtual void setExpanded(const QString &key, bool expanded) = 0;
    [[nodiscard]] virtual bool isExpanded(const QString &key) const = 0;

    // The key of the node last selected, or empty text when none is.
    [[nodiscard]] virtual QString selectedKey() const = 0;
    virtual void select(const QString &key) = 0;
};

} // namespace platform
