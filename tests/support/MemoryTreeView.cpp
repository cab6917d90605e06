#include "support/MemoryTreeView.h"

#include <algorithm>

namespace test {

void MemoryTreeView::clear()
{
    m_nodes.clear();
    m_sorted.clear();
    m_expanded.clear();
    m_selected.clear();
}

bool MemoryTreeView::add(const QString &parentKey, const QString &key, const QString &text,
                         int image, int selectedImage)
{
    if (key.isEmpty() || indexOf(key) >= 0 || (!parentKey.isEmpty() && indexOf(parentKey) < 0))
        return false;
    m_nodes.append({key, text, image, selectedImage, QString(), parentKey});
    return true;
}

void MemoryTreeView::remove(const QString &key)
{
    if (indexOf(key) < 0)
        return;
    for (const QString &child : childKeys(key))
        remove(child);
    m_nodes.removeAt(indexOf(key));
    m_sorted.remove(key);
    m_expanded.remove(key);
    if (m_selected == key)
        m_selected.clear();
}

std::optional<platform::TreeNode> MemoryTreeView::node(const QString &key) const
{
    const int index = indexOf(key);
    if (index < 0)
        return std::nullopt;
    return m_nodes.at(index);
}

QStringList MemoryTreeView::childKeys(const QString &key) const
{
    QList<platform::TreeNode> children;
    for (const auto &n : m_nodes) {
        if (n.parentKey == key)
            children.append(n);
    }
    if (isSorted(key)) {
        std::stable_sort(children.begin(), children.end(), [](const auto &a, const auto &b) {
            return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
        });
    }
    QStringList keys;
    for (const auto &n : children)
        keys.append(n.key);
    return keys;
}

void MemoryTreeView::setText(const QString &key, const QString &text)
{
    if (const int index = indexOf(key); index >= 0)
        m_nodes[index].text = text;
}

void MemoryTreeView::setTag(const QString &key, const QString &tag)
{
    if (const int index = indexOf(key); index >= 0)
        m_nodes[index].tag = tag;
}

void MemoryTreeView::setSorted(const QString &key, bool sorted)
{
    if (key.isEmpty() || indexOf(key) >= 0)
        setFlag(m_sorted, key, sorted);
}

void MemoryTreeView::setExpanded(const QString &key, bool expanded)
{
    if (indexOf(key) >= 0)
        setFlag(m_expanded, key, expanded);
}

void MemoryTreeView::select(const QString &key)
{
    m_selected = indexOf(key) >= 0 ? key : QString();
}

void MemoryTreeView::setFlag(QSet<QString> &set, const QString &key, bool on)
{
    if (on)
        set.insert(key);
    else
        set.remove(key);
}

int MemoryTreeView::indexOf(const QString &key) const
{
    for (int i = 0; i < m_nodes.size(); ++i) {
        if (m_nodes.at(i).key == key)
            return i;
    }
    return -1;
}

} // namespace test
