#include "shell/CategoryTreeWidget.h"

#include "shell/TreePaneCommands.h"
#include "shell/TreePaneHost.h"

#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <functional>

namespace {

// Ends an in-place edit by handing the typed text to the program instead of the model: the
// node's text changes only when the rename is accepted, which sets it through the tree.
class RenameDelegate final : public QStyledItemDelegate {
public:
    using Commit = std::function<void(const QString &key, const QString &newText)>;

    RenameDelegate(Commit commit, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_commit(std::move(commit))
    {
    }

    void setModelData(QWidget *editor, QAbstractItemModel *,
                      const QModelIndex &index) const override
    {
        if (const auto *line = qobject_cast<QLineEdit *>(editor))
            m_commit(index.data(platform::QtTreeView::KeyRole).toString(), line->text());
    }

private:
    Commit m_commit;
};

} // namespace

CategoryTreeWidget::CategoryTreeWidget(const platform::Context &ctx, TreePaneHost &host,
                                       QWidget *parent)
    : QTreeWidget(parent)
    , m_ctx(ctx)
    , m_host(host)
{
    setObjectName(QStringLiteral("tvCategories"));
    // Only F2 edits: a double click opens the feed.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new RenameDelegate(
        [this](const QString &key, const QString &newText) { commitRename(key, newText); }, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::InternalMove);
    // The selected category shows where the feed will land.
    setDropIndicatorShown(false);
    // The right button's release pops the menus; no context menu event may reach the window.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

CategoryTreeWidget::~CategoryTreeWidget() = default;

bool CategoryTreeWidget::startRename()
{
    const QString key = m_view.selectedKey();
    if (!TreePane::canRename(m_view, key))
        return false;
    QTreeWidgetItem *item = m_view.item(key);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    scrollToItem(item);
    editItem(item);
    return state() == QAbstractItemView::EditingState;
}

bool CategoryTreeWidget::captureDraggedFeed()
{
    const QString key = m_view.selectedKey();
    m_dragged = TreePane::canDrag(key) ? TreePane::feedOf(m_view, key) : std::nullopt;
    return m_dragged.has_value();
}

void CategoryTreeWidget::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F2 && !event->isAutoRepeat()) {
        startRename();
        event->accept();
        return;
    }
    QTreeWidget::keyReleaseEvent(event);
}

void CategoryTreeWidget::mousePressEvent(QMouseEvent *event)
{
    m_pressedKey = keyAt(event->position().toPoint());
    if (!m_pressedKey.isEmpty())
        m_view.select(m_pressedKey);
    QTreeWidget::mousePressEvent(event);
}

void CategoryTreeWidget::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    const QPoint pos = event->position().toPoint();
    const QString key = keyAt(pos);
    if (!key.isEmpty() && key == m_pressedKey)
        m_host.nodeClicked(TreePane::kindOf(key) == TreePane::NodeKind::Root);
    m_pressedKey.clear();
    if (event->button() != Qt::RightButton || !viewport()->rect().contains(pos))
        return;
    const QPoint globalPos = event->globalPosition().toPoint();
    switch (TreePane::kindOf(m_view.selectedKey())) {
    case TreePane::NodeKind::Feed:
        m_host.showFeedsMenu(globalPos);
        break;
    case TreePane::NodeKind::Category:
        m_host.showCategoryMenu(globalPos);
        break;
    case TreePane::NodeKind::Root:
    case TreePane::NodeKind::None:
        break;
    }
}

void CategoryTreeWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && !keyAt(event->position().toPoint()).isEmpty())
        TreePane::openSelectedFeed(m_view, m_host);
}

void CategoryTreeWidget::startDrag(Qt::DropActions)
{
    if (!captureDraggedFeed())
        return;
    auto *payload = new QMimeData;
    payload->setData(QString::fromLatin1(kFeedMimeType), m_dragged->id.toUtf8());
    auto *drag = new QDrag(this); // takes the payload
    drag->setMimeData(payload);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    drag->setPixmap(currentItem()->icon(0).pixmap(iconSize));
    drag->exec(Qt::MoveAction);
    m_dragged.reset();
}

void CategoryTreeWidget::dragEnterEvent(QDragEnterEvent *event)
{
    if (!carriesDraggedFeed(*event)) {
        event->ignore();
        return;
    }
    setState(QAbstractItemView::DraggingState);
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CategoryTreeWidget::dragMoveEvent(QDragMoveEvent *event)
{
    // The base class scrolls and unfolds under the pointer; whether a drop is allowed is
    // decided here.
    QTreeWidget::dragMoveEvent(event);
    const QString key = keyAt(event->position().toPoint());
    if (!carriesDraggedFeed(*event) || !TreePane::canDrop(key)) {
        event->ignore();
        return;
    }
    m_view.select(key);
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void CategoryTreeWidget::dropEvent(QDropEvent *event)
{
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    viewport()->update();
    const QString key = keyAt(event->position().toPoint());
    if (!carriesDraggedFeed(*event) || !TreePane::canDrop(key)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    // The question box and the rebuilt tree wait until the drag has ended.
    QMetaObject::invokeMethod(
        this, [this, feed = *m_dragged, key] { TreePane::dropFeed(m_ctx, m_view, feed, key); },
        Qt::QueuedConnection);
}

QString CategoryTreeWidget::keyAt(const QPoint &viewportPos) const
{
    return platform::QtTreeView::keyOf(itemAt(viewportPos));
}

bool CategoryTreeWidget::carriesDraggedFeed(const QDropEvent &event) const
{
    const QMimeData *payload = event.mimeData();
    return m_dragged && payload
        && payload->data(QString::fromLatin1(kFeedMimeType)) == m_dragged->id.toUtf8();
}

void CategoryTreeWidget::commitRename(const QString &key, const QString &newText)
{
    TreePane::renameNode(m_ctx, m_view, key, newText);
}
