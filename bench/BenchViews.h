#pragma once

#include "platform/ReportList.h"
#include "reading/FeedRefresh.h"
#include "reading/FeedWindowHost.h"

// A list that only counts rows: the engine's own cost, without any widget.
class CountingList final : public platform::ReportList {
public:
    void setColumns(const QStringList &, const QList<int> &) override { }
    QStringList columns() const override { return {}; }
    int add(const platform::ListRow &, int) override
    {
        ++m_rows;
        return 0;
    }
    void remove(int) override { --m_rows; }
    void clear() override { m_rows = 0; }
    int count() const override { return int(m_rows); }
    platform::ListRow row(int) const override { return {}; }
    void setRow(int, const platform::ListRow &) override { }
    int selectedRow() const override { return -1; }
    void select(int) override { }
    void scrollIntoView(int) override { }
    void setSortColumn(int) override { }
    int sortColumn() const override { return 2; }
    void setSortDescending(bool) override { }
    bool isSortDescending() const override { return true; }
    void setSorted(bool) override { }
    bool isSorted() const override { return false; }

private:
    qsizetype m_rows = 0;
};

class NoCaption final : public CaptionSink {
public:
    void setCaption(const QString &) override { }
    void repaintTabs() override { }
};

// A feed window's host that asks nothing and shows nothing.
class QuietHost final : public FeedWindowHost {
public:
    void itemSelected() override { }
    void showItemMenu(const QPoint &) override { }
    void repaintTabs() override { }
    QString message(const QString &key) const override { return key; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
    void showEmailSettings() override { }
    void showSendEmail(const ItemMail &) override { }
    void feedTypeCorrected(const QString &, FeedType) override { }
};
