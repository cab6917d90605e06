#pragma once

#include "platform/TreeView.h"

#include <QSet>

namespace test {

// A tree control as plain data, for logic tests.
class MemoryTreeView final : public platform::TreeView {
public:
    void clear() override;
    bool add(const QString &parentKey, const QString &key, const QString &text, int image,
             int selectedImage) override;
    void remove(const QString &key) override;
    std::optional<platform::TreeNode> node(const QString &key) const override;
    QList<platform::TreeNode> nodes() const override { return m_nodes; }
    QStringList childKeys(const QString &key) const override;
    void setText(const QString &key, const QString &text) override;
    void setTag(const QString &key, const QString &tag) override;
    // The empty key stands for the top level.
    void setSorted(const QString &key, bool sorted) override;
    bool isSorted(const QString &key) const override { return m_sorted.contains(key); }
    void setExpanded(const QString &key, bool expanded) override;
    bool isExpanded(const QString &key) const override { return m_expanded.contains(key); }
    QString selectedKey() const override { return m_selected; }
    void select(const QString &key) override;

private:
    static void setFlag(QSet<QString> &set, const QString &key, bool on);
    int indexOf(const QString &key) const;

    QList<platform::TreeNode> m_nodes;
    QSet<QString> m_sorted;
    QSet<QString> m_expanded;
    QString m_selected;
};

} // namespace test
