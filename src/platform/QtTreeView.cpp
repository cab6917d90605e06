#include "platform/QtTreeView.h"

#include <algorithm>
#include <memory>

namespace platform {
namespace {

// A node as the tree widget holds it. Its place among its siblings is decided by operator<,
// which QTreeWidgetItem::sortChildren uses: by text when the parent sorts its children, else by
// the order of adding. Sorting through the model keeps the current item and the expanded state
// of moved subtrees.
class NodeItem final : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;

    NodeItem(const QString &key, const QString &text, int image, int selectedImage,
             quint64 sequence)
        : QTreeWidgetItem(Type)
        , m_image(image)
        , m_selectedImage(selectedImage)
        , m_sequence(sequence)
    {
        setText(0, text);
        setData(0, QtTreeView::KeyRole, key);
    }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const auto &sibling = static_cast<const NodeItem &>(other);
        if (m_placedByText) {
            const int order = text(0).compare(sibling.text(0), Qt::CaseInsensitive);
            if (order != 0)
                return order < 0;
        }
        return m_sequence < sibling.m_sequence;
    }

    int m_image = 0;
    int m_selectedImage = 0;
    quint64 m_sequence = 0; // order of adding, unique in the tree
    bool m_sortsChildren = false;
    bool m_placedByText = false; // the parent sorts its children
};

NodeItem *asNode(QTreeWidgetItem *item)
{
    return item && item->type() == NodeItem::Type ? static_cast<NodeItem *>(item) : nullptr;
}

const NodeItem *asNode(const QTreeWidgetItem *item)
{
    return item && item->type() == NodeItem::Type ? static_cast<const NodeItem *>(item) : nullptr;
}

bool isWithin(const QTreeWidgetItem *item, const QTreeWidgetItem *subtree)
{
    for (; item; item = item->parent()) {
        if (item == subtree)
            return true;
    }
    return false;
}

} // namespace

QtTreeView::QtTreeView(QTreeWidget &tree)
    : m_tree(tree)
{
    m_tree.setColumnCount(1);
    m_tree.setHeaderHidden(true);
    m_tree.setSortingEnabled(false);
    m_currentChanged
        = QObject::connect(&m_tree, &QTreeWidget::currentItemChanged, &m_tree,
                           [this](QTreeWidgetItem *current, QTreeWidgetItem *previous) {
                               showImage(previous, false);
                               showImage(current, true);
                           });
}

QtTreeView::~QtTreeView()
{
    QObject::disconnect(m_currentChanged);
}

void QtTreeView::setImages(QList<QIcon> images)
{
    m_images = std::move(images);
    const QTreeWidgetItem *current = m_tree.currentItem();
    for (QTreeWidgetItem *item : std::as_const(m_items))
        showImage(item, item == current);
}

QString QtTreeView::keyOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}

void QtTreeView::clear()
{
    // Leaving no current item first keeps the image update away from items being deleted.
    m_tree.setCurrentItem(nullptr);
    m_tree.clear();
    m_items.clear();
    m_topLevelSorted = false;
}

bool QtTreeView::add(const QString &parentKey, const QString &key, const QString &text, int image,
                     int selectedImage)
{
    QTreeWidgetItem *parent = container(parentKey);
    if (!parent || key.isEmpty() || m_items.contains(key))
        return false;
    auto *node = new NodeItem(key, text, image, selectedImage, m_nextSequence++);
    node->m_placedByText = sortsChildren(parent);
    showImage(node, false);
    parent->insertChild(insertionIndex(parent, node), node); // the parent owns the node
    m_items.insert(key, node);
    return true;
}

void QtTreeView::remove(const QString &key)
{
    QTreeWidgetItem *item = m_items.value(key);
    if (!item)
        return;
    // The widget would move the current item to a neighbour; the contract leaves none selected.
    if (isWithin(m_tree.currentItem(), item))
        m_tree.setCurrentItem(nullptr);
    forgetSubtree(item);
    QTreeWidgetItem *parent = item->parent() ? item->parent() : m_tree.invisibleRootItem();
    const std::unique_ptr<QTreeWidgetItem> removed(parent->takeChild(parent->indexOfChild(item)));
}

std::optional<TreeNode> QtTreeView::node(const QString &key) const
{
    const QTreeWidgetItem *item = m_items.value(key);
    if (!item)
        return std::nullopt;
    return toNode(item);
}

QList<TreeNode> QtTreeView::nodes() const
{
    QList<const NodeItem *> items;
    items.reserve(m_items.size());
    for (const QTreeWidgetItem *item : m_items)
        items.append(asNode(item));
    std::sort(items.begin(), items.end(),
              [](const NodeItem *a, const NodeItem *b) { return a->m_sequence < b->m_sequence; });
    QList<TreeNode> result;
    result.reserve(items.size());
    for (const NodeItem *item : std::as_const(items))
        result.append(toNode(item));
    return result;
}

QStringList QtTreeView::childKeys(const QString &key) const
{
    QStringList keys;
    if (const QTreeWidgetItem *parent = container(key)) {
        keys.reserve(parent->childCount());
        for (int i = 0; i < parent->childCount(); ++i)
            keys.append(keyOf(parent->child(i)));
    }
    return keys;
}

void QtTreeView::setText(const QString &key, const QString &text)
{
    QTreeWidgetItem *item = m_items.value(key);
    if (!item || item->text(0) == text)
        return;
    item->setText(0, text);
    QTreeWidgetItem *parent = item->parent() ? item->parent() : m_tree.invisibleRootItem();
    if (sortsChildren(parent))
        placeChildren(parent);
}

void QtTreeView::setTag(const QString &key, const QString &tag)
{
    if (QTreeWidgetItem *item = m_items.value(key))
        item->setData(0, TagRole, tag);
}

void QtTreeView::setSorted(const QString &key, bool sorted)
{
    QTreeWidgetItem *parent = container(key);
    if (!parent || sortsChildren(parent) == sorted)
        return;
    if (parent == m_tree.invisibleRootItem())
        m_topLevelSorted = sorted;
    else
        asNode(parent)->m_sortsChildren = sorted;
    placeChildren(parent);
}

bool QtTreeView::isSorted(const QString &key) const
{
    const QTreeWidgetItem *parent = container(key);
    return parent && sortsChildren(parent);
}

void QtTreeView::setExpanded(const QString &key, bool expanded)
{
    if (QTreeWidgetItem *item = m_items.value(key))
        item->setExpanded(expanded);
}

bool QtTreeView::isExpanded(const QString &key) const
{
    const QTreeWidgetItem *item = m_items.value(key);
    return item && item->isExpanded();
}

QString QtTreeView::selectedKey() const
{
    return keyOf(m_tree.currentItem());
}

void QtTreeView::select(const QString &key)
{
    m_tree.setCurrentItem(m_items.value(key));
}

QTreeWidgetItem *QtTreeView::container(const QString &key) const
{
    return key.isEmpty() ? m_tree.invisibleRootItem() : m_items.value(key);
}

bool QtTreeView::sortsChildren(const QTreeWidgetItem *container) const
{
    if (container == m_tree.invisibleRootItem())
        return m_topLevelSorted;
    const NodeItem *node = asNode(container);
    return node && node->m_sortsChildren;
}

// Puts the children in the order the container's sorted flag asks for (a stable sort, so an
// already ordered list stays as it is).
void QtTreeView::placeChildren(QTreeWidgetItem *container)
{
    const bool byText = sortsChildren(container);
    for (int i = 0; i < container->childCount(); ++i) {
        if (NodeItem *child = asNode(container->child(i)))
            child->m_placedByText = byText;
    }
    if (container->childCount() > 1)
        container->sortChildren(0, Qt::AscendingOrder);
}

// Where a new child goes so that the children stay in order: a binary search in a sorted
// container, the end otherwise (the newest child is last in the order of adding).
int QtTreeView::insertionIndex(const QTreeWidgetItem *container, const QTreeWidgetItem *child) const
{
    int low = 0;
    int high = container->childCount();
    if (!sortsChildren(container))
        return high;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (*child < *container->child(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

void QtTreeView::showImage(QTreeWidgetItem *item, bool current) const
{
    if (NodeItem *node = asNode(item))
        node->setIcon(0, m_images.value((current ? node->m_selectedImage : node->m_image) - 1));
}

void QtTreeView::forgetSubtree(const QTreeWidgetItem *item)
{
    m_items.remove(keyOf(item));
    for (int i = 0; i < item->childCount(); ++i)
        forgetSubtree(item->child(i));
}

TreeNode QtTreeView::toNode(const QTreeWidgetItem *item) const
{
    const NodeItem *node = asNode(item);
    return {keyOf(item),
            item->text(0),
            node ? node->m_image : 0,
            node ? node->m_selectedImage : 0,
            item->data(0, TagRole).toString(),
            keyOf(item->parent())};
}

} // namespace platform
