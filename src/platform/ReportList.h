#pragma once

#include <QString>
#include <QStringList>

namespace platform {

struct ListRow {
    QString text;     // column 1
    QString subItem1; // column 2
    QString subItem2; // column 3
    QString key;
    QString tag;
    QString icon; // key of the small icon ("read", "unread", or a number as text)
    bool bold = false;
};

// What logic needs of a list in report mode. Rows are addressed by position from 0 (the top).
// While sorting is on, the rows stand in the order of the sort column's text, compared as text
// (not as numbers), and a row added anywhere takes its sorted place.
class ReportList {
public:
    virtual ~ReportList() = default;

    virtual void setColumns(const QStringList &headers, const QList<int> &widths) = 0;
    [[nodiscard]] virtual QStringList columns() const = 0;

    // Inserts the row at position (0 = top); a position past the end, or -1, appends.
    // Returns the row's position after insertion.
    virtual int add(const ListRow &row, int position = -1) = 0;
    virtual void remove(int position) = 0;
    virtual void clear() = 0;
    [[nodiscard]] virtual int count() const = 0;
    [[nodiscard]] virtual ListRow row(int position) const = 0;
    virtual void setRow(int position, const ListRow &row) = 0;

    // The selected row's position, or -1.
    [[nodiscard]] virtual int selectedRow() const = 0;
    virtual void select(int position) = 0;
    virtual void scrollIntoView(int position) = 0;

    // column is 0 for the row text, 1 and 2 for the sub-items.
    virtual void setSortColumn(int column) = 0;
    [[nodiscard]] virtual int sortColumn() const = 0;
    virtual void setSortDescending(bool descending) = 0;
    [[nodiscard]] virtual bool isSortDescending() const = 0;
    virtual void setSorted(bool sorted) = 0;
    [[nodiscard]] virtual bool isSorted() const = 0;
};

} // namespace platform
