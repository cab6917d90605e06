#pragma once

#include "platform/QtTreeView.h"
#include "subscriptions/FeedRecord.h"

#include <QTreeWidget>

#include <optional>

class TreePaneHost;

namespace platform {
struct Context;
}

// tvCategories: the category tree with the pane's mouse and keyboard handling. A mouse button
// (any) selects the node under the pointer; a click tells the host whether the root was hit;
// a left double click opens the selected feed; the right button's release pops the host's menu
// for the selected node. F2, on release, edits the selected category or feed in place; the edit
// is committed through the database and cancelled when refused. Feeds are dragged onto
// categories; the items never move by themselves, the tree is rebuilt after the move.
class CategoryTreeWidget final : public QTreeWidget {
    Q_OBJECT
public:
    // The type of the drag data: the dragged feed's identifier, UTF-8.
    static constexpr const char *kFeedMimeType = "application/x-marlowin-feed";

    CategoryTreeWidget(const platform::Context &ctx, TreePaneHost &host, QWidget *parent = nullptr);
    ~CategoryTreeWidget() override;

    [[nodiscard]] platform::QtTreeView &view() { return m_view; }

    // F2: opens the line editor on the selected node unless it may not be renamed. True when
    // the editor opened.
    bool startRename();
    // The start of a drag: takes the selected node as the dragged feed. False, and no feed,
    // for any other node.
    bool captureDraggedFeed();
    [[nodiscard]] const std::optional<FeedRecord> &draggedFeed() const { return m_dragged; }

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    [[nodiscard]] QString keyAt(const QPoint &viewportPos) const;
    [[nodiscard]] bool carriesDraggedFeed(const QDropEvent &event) const;
    void commitRename(const QString &key, const QString &newText);

    const platform::Context &m_ctx;
    TreePaneHost &m_host;
    platform::QtTreeView m_view{*this};
    std::optional<FeedRecord> m_dragged;
    QString m_pressedKey;
};
