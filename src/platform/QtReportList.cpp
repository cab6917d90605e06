#include "platform/QtReportList.h"

#include <QHeaderView>

#include <algorithm>
#include <memory>

namespace platform {
namespace {

// Row text, sub-item 1 and sub-item 2.
constexpr int kTextColumns = 3;

// Rows compare by the sort column's text without regard to case. QTreeWidgetItem::sortChildren
// calls operator< with the widget's sortColumn() set to the column being sorted; the sort is
// stable, so rows of equal text keep their order.
class RowItem final : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 2;

    RowItem()
        : QTreeWidgetItem(Type)
    {
    }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

// True when row a stands before row b in the given sort.
bool before(const QTreeWidgetItem &a, const QTreeWidgetItem &b, int column, bool descending)
{
    const int order = a.text(column).compare(b.text(column), Qt::CaseInsensitive);
    return descending ? order > 0 : order < 0;
}

// A font that sets only the weight, so the row keeps the list's font family and size.
QFont rowFont(bool bold)
{
    QFont font;
    font.setBold(bold);
    return font;
}

} // namespace

QtReportList::QtReportList(QTreeWidget &list)
    : m_list(list)
{
    m_list.setRootIsDecorated(false);
    m_list.setItemsExpandable(false);
    m_list.setUniformRowHeights(true);
    m_list.setSelectionMode(QAbstractItemView::SingleSelection);
    m_list.setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list.setAllColumnsShowFocus(true);
    m_list.setSortingEnabled(false);
    m_list.header()->setSectionsClickable(true);
    setColumns({}, {});
    showSortIndicator();
}

void QtReportList::setIcons(QHash<QString, QIcon> icons)
{
    m_icons = std::move(icons);
    for (int i = 0; i < count(); ++i) {
        QTreeWidgetItem *item = m_list.topLevelItem(i);
        item->setIcon(0, m_icons.value(item->data(0, IconKeyRole).toString()));
    }
}

void QtReportList::setColumns(const QStringList &headers, const QList<int> &widths)
{
    m_headers = headers;
    const int shown = std::max(1, int(headers.size()));
    m_list.setColumnCount(std::max(shown, kTextColumns));
    QTreeWidgetItem *header = m_list.headerItem();
    for (int column = 0; column < m_list.columnCount(); ++column) {
        header->setText(column, headers.value(column));
        m_list.setColumnHidden(column, column >= shown);
        if (column < widths.size())
            m_list.setColumnWidth(column, widths.at(column));
    }
}

int QtReportList::add(const ListRow &row, int position)
{
    auto item = std::make_unique<RowItem>();
    fill(*item, row);
    if (m_sorted)
        position = sortedPosition(*item);
    else if (position < 0 || position > count())
        position = count();
    m_list.insertTopLevelItem(position, item.release()); // the list owns the row
    return position;
}

void QtReportList::remove(int position)
{
    if (!m_list.topLevelItem(position))
        return;
    // The widget would move the selection to a neighbour; the contract leaves none selected.
    if (selectedRow() == position)
        m_list.setCurrentItem(nullptr);
    const std::unique_ptr<QTreeWidgetItem> removed(m_list.takeTopLevelItem(position));
}

void QtReportList::clear()
{
    m_list.clear();
}

int QtReportList::count() const
{
    return m_list.topLevelItemCount();
}

ListRow QtReportList::row(int position) const
{
    const QTreeWidgetItem *item = m_list.topLevelItem(position);
    if (!item)
        return {};
    return {item->text(0),
            item->text(1),
            item->text(2),
            item->data(0, KeyRole).toString(),
            item->data(0, TagRole).toString(),
            item->data(0, IconKeyRole).toString(),
            item->font(0).bold()};
}

void QtReportList::setRow(int position, const ListRow &row)
{
    QTreeWidgetItem *item = m_list.topLevelItem(position);
    if (!item)
        return;
    const QString sortText = item->text(textColumn());
    fill(*item, row);
    if (m_sorted && item->text(textColumn()) != sortText)
        sortRows();
}

int QtReportList::selectedRow() const
{
    const QModelIndex current = m_list.currentIndex();
    return current.isValid() && !current.parent().isValid() ? current.row() : -1;
}

void QtReportList::select(int position)
{
    m_list.setCurrentItem(m_list.topLevelItem(position));
}

void QtReportList::scrollIntoView(int position)
{
    if (QTreeWidgetItem *item = m_list.topLevelItem(position))
        m_list.scrollToItem(item);
}

void QtReportList::setSortColumn(int column)
{
    m_sortColumn = column;
    if (m_sorted)
        sortRows();
    showSortIndicator();
}

void QtReportList::setSortDescending(bool descending)
{
    m_descending = descending;
    if (m_sorted)
        sortRows();
    showSortIndicator();
}

void QtReportList::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (m_sorted)
        sortRows();
    showSortIndicator();
}

int QtReportList::textColumn() const
{
    return m_sortColumn >= 0 && m_sortColumn < kTextColumns ? m_sortColumn : 0;
}

void QtReportList::fill(QTreeWidgetItem &item, const ListRow &row) const
{
    item.setText(0, row.text);
    item.setText(1, row.subItem1);
    item.setText(2, row.subItem2);
    item.setData(0, KeyRole, row.key);
    item.setData(0, TagRole, row.tag);
    item.setData(0, IconKeyRole, row.icon);
    item.setIcon(0, m_icons.value(row.icon));
    const QFont font = rowFont(row.bold);
    for (int column = 0; column < std::max(kTextColumns, m_list.columnCount()); ++column)
        item.setFont(column, font);
}

// The position after every row that does not sort after the new one, as a stable sort of the
// list with the new row last would give.
int QtReportList::sortedPosition(const QTreeWidgetItem &item) const
{
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (before(item, *m_list.topLevelItem(middle), textColumn(), m_descending))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

// Sorting through the model keeps the selected row selected wherever it moves.
void QtReportList::sortRows()
{
    if (count() > 1)
        m_list.invisibleRootItem()->sortChildren(
            textColumn(), m_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void QtReportList::showSortIndicator()
{
    QHeaderView *header = m_list.header();
    header->setSortIndicator(textColumn(), m_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    header->setSortIndicatorShown(m_sorted);
}

} // namespace platform
