#pragma once

#include "platform/ReportList.h"

#include <QHash>
#include <QIcon>
#include <QTreeWidget>

namespace platform {

// The report list contract over a QTreeWidget whose top-level items are the rows: no root
// decoration, rows of one height, one row selected at a time. The widget belongs to the window;
// this binding must not outlive it.
//
// A row's three texts live in the first three columns even when fewer are shown (the columns
// past the headers are hidden), so any of them can be the sort column. Sorting is done here, not
// by QTreeWidget's sorting (which would place added rows only later, from the event loop): while
// sorted, a new row is put at its place by a binary search and add() returns that place. The
// header's sort indicator shows the sort column and order while sorting is on; clicks on the
// header only emit QHeaderView::sectionClicked for the window to act on.
class QtReportList final : public ReportList {
public:
    // Item data roles (column 0) through which window code reads a row from a QTreeWidgetItem.
    static constexpr int KeyRole = Qt::UserRole;
    static constexpr int TagRole = Qt::UserRole + 1;
    static constexpr int IconKeyRole = Qt::UserRole + 2;

    explicit QtReportList(QTreeWidget &list);

    // The small icons rows name by key ("read", "unread", a feed image number as text). Rows
    // already in the list take the new icons; an unknown key shows no icon.
    void setIcons(QHash<QString, QIcon> icons);

    void setColumns(const QStringList &headers, const QList<int> &widths) override;
    [[nodiscard]] QStringList columns() const override { return m_headers; }
    int add(const ListRow &row, int position = -1) override;
    void remove(int position) override;
    void clear() override;
    [[nodiscard]] int count() const override;
    // An empty row for a position that holds none.
    [[nodiscard]] ListRow row(int position) const override;
    void setRow(int position, const ListRow &row) override;
    [[nodiscard]] int selectedRow() const override;
    // A position that holds no row (-1 included) leaves no row selected.
    void select(int position) override;
    void scrollIntoView(int position) override;
    void setSortColumn(int column) override;
    [[nodiscard]] int sortColumn() const override { return m_sortColumn; }
    void setSortDescending(bool descending) override;
    [[nodiscard]] bool isSortDescending() const override { return m_descending; }
    void setSorted(bool sorted) override;
    [[nodiscard]] bool isSorted() const override { return m_sorted; }

private:
    // The column sorted by: the sort column, or the row text for a column that holds none.
    [[nodiscard]] int textColumn() const;
    void fill(QTreeWidgetItem &item, const ListRow &row) const;
    [[nodiscard]] int sortedPosition(const QTreeWidgetItem &item) const;
    void sortRows();
    void showSortIndicator();

    QTreeWidget &m_list;
    QStringList m_headers;
    QHash<QString, QIcon> m_icons;
    int m_sortColumn = 0;
    bool m_descending = false;
    bool m_sorted = false;
};

} // namespace platform
