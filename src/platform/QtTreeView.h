#pragma once

#include "platform/TreeView.h"

#include <QHash>
#include <QIcon>
#include <QMetaObject>
#include <QTreeWidget>

namespace platform {

// The tree contract over a one-column QTreeWidget with its header hidden. The widget belongs to
// the window; this binding must not outlive it. Nodes are found by key through a hash, so adding,
// looking up and removing stay cheap in trees of thousands of nodes.
//
// Sorting is per node and done here rather than by QTreeWidget's sorting (which applies to the
// whole tree): a sorted node keeps its children ordered by text without regard to case, ties in
// the order the children were added; an unsorted node keeps the order of adding.
class QtTreeView final : public TreeView {
public:
    // Item data roles (column 0) through which window code reads a node from a QTreeWidgetItem,
    // e.g. in a double-click or drag handler.
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int TagRole = Qt::UserRole + 1;

    explicit QtTreeView(QTreeWidget &tree);
    ~QtTreeView() override;
    Q_DISABLE_COPY_MOVE(QtTreeView)

    // The image list node images index: image 1 is images[0]; 0 or an index past the list shows
    // no icon. Nodes already in the tree take the new icons.
    void setImages(QList<QIcon> images);

    // The item showing the node, or nullptr: for window code that edits labels or hit-tests.
    [[nodiscard]] QTreeWidgetItem *item(const QString &key) const { return m_items.value(key); }
    [[nodiscard]] static QString keyOf(const QTreeWidgetItem *item);

    void clear() override;
    bool add(const QString &parentKey, const QString &key, const QString &text, int image,
             int selectedImage) override;
    void remove(const QString &key) override;
    [[nodiscard]] std::optional<TreeNode> node(const QString &key) const override;
    [[nodiscard]] QList<TreeNode> nodes() const override;
    [[nodiscard]] QStringList childKeys(const QString &key) const override;
    void setText(const QString &key, const QString &text) override;
    void setTag(const QString &key, const QString &tag) override;
    void setSorted(const QString &key, bool sorted) override;
    [[nodiscard]] bool isSorted(const QString &key) const override;
    void setExpanded(const QString &key, bool expanded) override;
    [[nodiscard]] bool isExpanded(const QString &key) const override;
    [[nodiscard]] QString selectedKey() const override;
    void select(const QString &key) override;

private:
    // The item whose children a key names: the invisible root for the empty key.
    [[nodiscard]] QTreeWidgetItem *container(const QString &key) const;
    [[nodiscard]] bool sortsChildren(const QTreeWidgetItem *container) const;
    void placeChildren(QTreeWidgetItem *container);
    [[nodiscard]] int insertionIndex(const QTreeWidgetItem *container,
                                     const QTreeWidgetItem *child) const;
    void showImage(QTreeWidgetItem *item, bool current) const;
    void forgetSubtree(const QTreeWidgetItem *item);
    [[nodiscard]] TreeNode toNode(const QTreeWidgetItem *item) const;

    QTreeWidget &m_tree;
    QHash<QString, QTreeWidgetItem *> m_items;
    QList<QIcon> m_images;
    quint64 m_nextSequence = 0;
    bool m_topLevelSorted = false;
    QMetaObject::Connection m_currentChanged;
};

} // namespace platform
