#pragma once

#include "platform/ReportList.h"

#include <QList>

namespace test {

// A report list as plain data, for logic tests. Sorting compares the sort column's text.
class MemoryReportList final : public platform::ReportList {
public:
    void setColumns(const QStringList &headers, const QList<int> &widths) override;
    QStringList columns() const override { return m_columns; }
    int add(const platform::ListRow &row, int position = -1) override;
    void remove(int position) override;
    void clear() override;
    int count() const override { return int(m_rows.size()); }
    platform::ListRow row(int position) const override { return m_rows.at(position); }
    void setRow(int position, const platform::ListRow &row) override;
    int selectedRow() const override { return m_selected; }
    void select(int position) override { m_selected = position; }
    void scrollIntoView(int position) override { m_scrolledTo = position; }
    void setSortColumn(int column) override;
    int sortColumn() const override { return m_sortColumn; }
    void setSortDescending(bool descending) override;
    bool isSortDescending() const override { return m_descending; }
    void setSorted(bool sorted) override;
    bool isSorted() const override { return m_sorted; }

    int scrolledTo() const { return m_scrolledTo; }
    QList<int> widths() const { return m_widths; }

private:
    QString sortText(const platform::ListRow &row) const;
    bool before(const platform::ListRow &a, const platform::ListRow &b) const;
    void sort();

    QStringList m_columns;
    QList<int> m_widths;
    QList<platform::ListRow> m_rows;
    int m_selected = -1;
    int m_scrolledTo = -1;
    int m_sortColumn = 0;
    bool m_descending = false;
    bool m_sorted = false;
};

} // namespace test
