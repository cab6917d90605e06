#include "support/MemoryReportList.h"

#include <algorithm>
#include <numeric>

namespace test {

void MemoryReportList::setColumns(const QStringList &headers, const QList<int> &widths)
{
    m_columns = headers;
    m_widths = widths;
}

int MemoryReportList::add(const platform::ListRow &row, int position)
{
    if (m_sorted)
        position
            = int(std::upper_bound(m_rows.cbegin(), m_rows.cend(), row,
                                   [this](const auto &a, const auto &b) { return before(a, b); })
                  - m_rows.cbegin());
    else if (position < 0 || position > count())
        position = count();
    m_rows.insert(position, row);
    if (m_selected >= position)
        ++m_selected;
    return position;
}

void MemoryReportList::remove(int position)
{
    m_rows.removeAt(position);
    if (m_selected == position)
        m_selected = -1;
    else if (m_selected > position)
        --m_selected;
}

void MemoryReportList::clear()
{
    m_rows.clear();
    m_selected = -1;
}

void MemoryReportList::setRow(int position, const platform::ListRow &row)
{
    m_rows[position] = row;
    if (m_sorted)
        sort();
}

void MemoryReportList::setSortColumn(int column)
{
    m_sortColumn = column;
    if (m_sorted)
        sort();
}

void MemoryReportList::setSortDescending(bool descending)
{
    m_descending = descending;
    if (m_sorted)
        sort();
}

void MemoryReportList::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (m_sorted)
        sort();
}

QString MemoryReportList::sortText(const platform::ListRow &row) const
{
    switch (m_sortColumn) {
    case 1:
        return row.subItem1;
    case 2:
        return row.subItem2;
    default:
        return row.text;
    }
}

bool MemoryReportList::before(const platform::ListRow &a, const platform::ListRow &b) const
{
    const int order = sortText(a).compare(sortText(b), Qt::CaseInsensitive);
    return m_descending ? order > 0 : order < 0;
}

void MemoryReportList::sort()
{
    QList<int> order(count());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return before(m_rows.at(a), m_rows.at(b)); });
    QList<platform::ListRow> sorted;
    for (int index : order)
        sorted.append(m_rows.at(index));
    m_rows = sorted;
    if (m_selected >= 0)
        m_selected = int(order.indexOf(m_selected));
}

} // namespace test
