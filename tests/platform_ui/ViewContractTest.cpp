// The tree, report list and drop-down list contracts, checked the same way against the in-memory
// views that logic tests use and the Qt views the windows use, so the two cannot drift apart.
// The Qt-only checks at the end look at what a user would see.

#include "platform/QtComboBoxView.h"
#include "platform/QtReportList.h"
#include "platform/QtTreeView.h"

#include "support/MemoryComboBox.h"
#include "support/MemoryReportList.h"
#include "support/MemoryTreeView.h"
#include "support/QtPrinters.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;
using platform::ListRow;
using platform::TreeNode;

namespace {

// Every view under test, owning the widget it wraps; the Qt ones also run a model tester, which
// stops the program when an operation leaves the model behind the widget inconsistent.
struct MemoryTree {
    static constexpr const char *name = "Memory";
    test::MemoryTreeView view;
};

struct QtTree {
    static constexpr const char *name = "Qt";
    QTreeWidget widget;
    platform::QtTreeView view{widget};
    QAbstractItemModelTester tester{widget.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
};

struct MemoryList {
    static constexpr const char *name = "Memory";
    test::MemoryReportList view;
};

struct QtList {
    static constexpr const char *name = "Qt";
    QTreeWidget widget;
    platform::QtReportList view{widget};
    QAbstractItemModelTester tester{widget.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
};

struct MemoryCombo {
    static constexpr const char *name = "Memory";
    test::MemoryComboBox view;
};

struct QtCombo {
    static constexpr const char *name = "Qt";
    QtCombo() { widget.setEditable(true); }
    QComboBox widget;
    platform::QtComboBoxView view{widget};
};

struct ImplementationName {
    template<typename T> static std::string GetName(int) { return T::name; }
};

QString describe(const TreeNode &node)
{
    return u"%1 '%2' %3/%4 tag=%5 parent=%6"_s.arg(node.key, node.text)
        .arg(node.image)
        .arg(node.selectedImage)
        .arg(node.tag, node.parentKey);
}

QStringList describe(const QList<TreeNode> &nodes)
{
    QStringList lines;
    for (const TreeNode &node : nodes)
        lines.append(describe(node));
    return lines;
}

QString describe(const ListRow &row)
{
    return u"'%1' '%2' '%3' key=%4 tag=%5 icon=%6 %7"_s.arg(row.text, row.subItem1, row.subItem2,
                                                            row.key, row.tag, row.icon,
                                                            row.bold ? u"bold"_s : u"normal"_s);
}

QStringList keys(const QList<TreeNode> &nodes)
{
    QStringList keys;
    for (const TreeNode &node : nodes)
        keys.append(node.key);
    return keys;
}

QStringList keys(const platform::ReportList &list)
{
    QStringList keys;
    for (int i = 0; i < list.count(); ++i)
        keys.append(list.row(i).key);
    return keys;
}

// The category tree as the program builds it: a sorted, expanded root, categories under it and
// feeds keyed by identifier (which contain "-") under the categories.
void addCategoryTree(platform::TreeView &tree)
{
    ASSERT_TRUE(tree.add({}, u"main"_s, u"Subscribed Feeds"_s, 1, 1));
    tree.setSorted(u"main"_s, true);
    tree.setExpanded(u"main"_s, true);
    ASSERT_TRUE(tree.add(u"main"_s, u"cat_1"_s, u"News"_s, 2, 2));
    ASSERT_TRUE(tree.add(u"main"_s, u"cat_2"_s, u"Blogs"_s, 2, 2));
    ASSERT_TRUE(tree.add(u"cat_1"_s, u"a-1"_s, u"Wire"_s, 3, 3));
    ASSERT_TRUE(tree.add(u"cat_1"_s, u"a-2"_s, u"Daily"_s, 4, 4));
    ASSERT_TRUE(tree.add(u"cat_2"_s, u"b-1"_s, u"Notes"_s, 5, 5));
}

// ---------------------------------------------------------------------------------------------
// Tree

template<typename T> class TreeViewContract : public ::testing::Test {
};
using TreeViews = ::testing::Types<MemoryTree, QtTree>;
TYPED_TEST_SUITE(TreeViewContract, TreeViews, ImplementationName);

TYPED_TEST(TreeViewContract, AddRefusesTakenKeysAndMissingParents)
{
    TypeParam holder;
    platform::TreeView &tree = holder.view;
    const struct {
        const char *parent, *key, *text;
        int image, selectedImage;
        bool added;
    } adds[] = {
        {"", "main", "Subscribed Feeds", 1, 1, true},
        {"main", "cat_1", "News", 2, 2, true},
        {"cat_1", "a-1", "Wire", 4, 4, true},
        {"main", "cat_1", "Other", 2, 2, false}, // key taken by a sibling
        {"a-1", "main", "Other", 2, 2, false},   // key taken by the root
        {"cat_9", "cat_2", "Orphan", 2, 2, false},
        {"main", "cat_2", "Blogs", 2, 7, true},
    };
    for (const auto &a : adds) {
        EXPECT_EQ(tree.add(QString::fromUtf8(a.parent), QString::fromUtf8(a.key),
                           QString::fromUtf8(a.text), a.image, a.selectedImage),
                  a.added)
            << a.key << " under " << a.parent;
    }

    EXPECT_EQ(describe(tree.nodes()),
              QStringList(
                  {"main 'Subscribed Feeds' 1/1 tag= parent=", "cat_1 'News' 2/2 tag= parent=main",
                   "a-1 'Wire' 4/4 tag= parent=cat_1", "cat_2 'Blogs' 2/7 tag= parent=main"}));
    ASSERT_TRUE(tree.node(u"a-1"_s).has_value());
    EXPECT_EQ(describe(*tree.node(u"a-1"_s)), u"a-1 'Wire' 4/4 tag= parent=cat_1"_s);
    EXPECT_FALSE(tree.node(u"cat_9"_s).has_value());
    EXPECT_EQ(tree.childKeys(QString()), QStringList({"main"}));
}

TYPED_TEST(TreeViewContract, SortedNodesOrderChildrenByTextWithoutRegardToCase)
{
    // Children added in this order; "alpha" ties with "Alpha" and stays after it.
    const QStringList added = {"k1", "k2", "k3", "k4"};
    const QStringList texts = {"beta", "Alpha", "gamma", "alpha"};
    const QStringList byText = {"k2", "k4", "k1", "k3"};
    enum class Sorting { Never, BeforeAdding, AfterAdding };
    const struct {
        Sorting sorting;
        QStringList shown;
    } cases[] = {
        {Sorting::Never, added},
        {Sorting::BeforeAdding, byText},
        {Sorting::AfterAdding, byText},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.sorting));
        TypeParam holder;
        platform::TreeView &tree = holder.view;
        ASSERT_TRUE(tree.add({}, u"main"_s, u"Subscribed Feeds"_s, 1, 1));
        tree.setSorted(u"main"_s, c.sorting == Sorting::BeforeAdding);
        for (int i = 0; i < added.size(); ++i)
            ASSERT_TRUE(tree.add(u"main"_s, added[i], texts[i], 2, 2));
        if (c.sorting == Sorting::AfterAdding)
            tree.setSorted(u"main"_s, true);

        EXPECT_EQ(tree.isSorted(u"main"_s), c.sorting != Sorting::Never);
        EXPECT_EQ(tree.childKeys(u"main"_s), c.shown);
        EXPECT_EQ(keys(tree.nodes()), QStringList({"main", "k1", "k2", "k3", "k4"}));
    }
}

TYPED_TEST(TreeViewContract, RenamingInASortedNodeMovesTheChildAndKeepsItsState)
{
    TypeParam holder;
    platform::TreeView &tree = holder.view;
    ASSERT_TRUE(tree.add({}, u"main"_s, u"Subscribed Feeds"_s, 1, 1));
    tree.setSorted(u"main"_s, true);
    const QStringList texts = {"beta", "Alpha", "gamma", "alpha"};
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(tree.add(u"main"_s, u"k%1"_s.arg(i + 1), texts[i], 2, 2));
    ASSERT_TRUE(tree.add(u"k3"_s, u"f-1"_s, u"Feed"_s, 3, 3));
    tree.setExpanded(u"k3"_s, true);
    tree.select(u"k3"_s);

    const struct {
        const char *key, *text;
        QStringList shown;
    } renames[] = {
        {"k3", "aardvark", {"k3", "k2", "k4", "k1"}},
        {"k2", "BETA", {"k3", "k4", "k1", "k2"}}, // ties with "beta", which was added first
        {"k1", "zulu", {"k3", "k4", "k2", "k1"}},
    };
    for (const auto &r : renames) {
        tree.setText(QString::fromUtf8(r.key), QString::fromUtf8(r.text));
        EXPECT_EQ(tree.childKeys(u"main"_s), r.shown) << r.key << " -> " << r.text;
    }
    EXPECT_TRUE(tree.isExpanded(u"k3"_s));
    EXPECT_EQ(tree.childKeys(u"k3"_s), QStringList({"f-1"}));
    EXPECT_EQ(tree.selectedKey(), u"k3"_s);

    tree.setSorted(u"main"_s, false);
    EXPECT_EQ(tree.childKeys(u"main"_s), QStringList({"k1", "k2", "k3", "k4"}));
}

TYPED_TEST(TreeViewContract, RemoveTakesTheSubtreeAndASelectionInIt)
{
    const struct {
        const char *selected, *removed, *selectedAfter;
        QStringList left;
    } cases[] = {
        {"a-2", "cat_1", "", {"main", "cat_2", "b-1"}},
        {"cat_1", "cat_1", "", {"main", "cat_2", "b-1"}},
        {"b-1", "cat_1", "b-1", {"main", "cat_2", "b-1"}},
        {"cat_1", "a-1", "cat_1", {"main", "cat_1", "cat_2", "a-2", "b-1"}},
        {"main", "unknown", "main", {"main", "cat_1", "cat_2", "a-1", "a-2", "b-1"}},
        {"a-1", "main", "", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.removed);
        TypeParam holder;
        platform::TreeView &tree = holder.view;
        addCategoryTree(tree);
        tree.select(QString::fromUtf8(c.selected));

        tree.remove(QString::fromUtf8(c.removed));

        EXPECT_EQ(keys(tree.nodes()), c.left);
        EXPECT_EQ(tree.selectedKey(), QString::fromUtf8(c.selectedAfter));
        // Every removed key is free again.
        for (const QString key : {"main", "cat_1", "cat_2", "a-1", "a-2", "b-1"}) {
            if (c.left.contains(key))
                continue;
            EXPECT_FALSE(tree.node(key).has_value()) << key.toStdString();
            EXPECT_TRUE(tree.add({}, key, u"again"_s, 1, 1)) << key.toStdString();
        }
    }
}

TYPED_TEST(TreeViewContract, ClearForgetsNodesFlagsAndSelection)
{
    TypeParam holder;
    platform::TreeView &tree = holder.view;
    addCategoryTree(tree);
    tree.select(u"a-2"_s);

    tree.clear();

    EXPECT_TRUE(tree.nodes().isEmpty());
    EXPECT_TRUE(tree.childKeys(QString()).isEmpty());
    EXPECT_EQ(tree.selectedKey(), QString());
    EXPECT_FALSE(tree.node(u"a-2"_s).has_value());
    ASSERT_TRUE(tree.add({}, u"main"_s, u"Subscribed Feeds"_s, 1, 1));
    EXPECT_FALSE(tree.isSorted(u"main"_s));
    EXPECT_FALSE(tree.isExpanded(u"main"_s));
    EXPECT_TRUE(tree.add(u"main"_s, u"a-2"_s, u"Daily"_s, 4, 4));
}

TYPED_TEST(TreeViewContract, TextTagExpansionAndSelectionRoundTrip)
{
    TypeParam holder;
    platform::TreeView &tree = holder.view;
    addCategoryTree(tree);
    EXPECT_EQ(tree.childKeys(u"main"_s), QStringList({"cat_2", "cat_1"}));
    EXPECT_TRUE(tree.isExpanded(u"main"_s));

    tree.setTag(u"a-1"_s, u"http://example.org/wire.xml"_s);
    tree.setText(u"a-1"_s, u"Wire Service"_s);
    tree.setExpanded(u"cat_1"_s, true);
    tree.setExpanded(u"main"_s, false);
    tree.select(u"a-1"_s);
    // Unknown keys change nothing.
    tree.setText(u"x-9"_s, u"Ghost"_s);
    tree.setTag(u"x-9"_s, u"http://ghost"_s);
    tree.setExpanded(u"x-9"_s, true);

    EXPECT_EQ(describe(*tree.node(u"a-1"_s)),
              u"a-1 'Wire Service' 3/3 tag=http://example.org/wire.xml parent=cat_1"_s);
    EXPECT_TRUE(tree.isExpanded(u"cat_1"_s));
    EXPECT_FALSE(tree.isExpanded(u"main"_s));
    EXPECT_FALSE(tree.isExpanded(u"x-9"_s));
    EXPECT_EQ(tree.selectedKey(), u"a-1"_s);
    EXPECT_EQ(tree.nodes().size(), 6);

    tree.select(u"x-9"_s);
    EXPECT_EQ(tree.selectedKey(), QString());
}

// ---------------------------------------------------------------------------------------------
// Report list

template<typename T> class ReportListContract : public ::testing::Test {
};
using ReportLists = ::testing::Types<MemoryList, QtList>;
TYPED_TEST_SUITE(ReportListContract, ReportLists, ImplementationName);

ListRow row(const char *key, const char *text, const char *subItem1 = "", const char *subItem2 = "")
{
    return {QString::fromUtf8(text),
            QString::fromUtf8(subItem1),
            QString::fromUtf8(subItem2),
            QString::fromUtf8(key),
            u"http://example.org/"_s + QString::fromUtf8(key),
            u"unread"_s,
            true};
}

void addRows(platform::ReportList &list, const QList<ListRow> &rows)
{
    for (const ListRow &row : rows)
        list.add(row);
}

TYPED_TEST(ReportListContract, ColumnsRoundTrip)
{
    TypeParam holder;
    platform::ReportList &list = holder.view;
    const QStringList item = {"Title", "Published On", "date_sort"};
    list.setColumns(item, {300, 120, 0});
    EXPECT_EQ(list.columns(), item);
    list.setColumns({"Feed Source"}, {200});
    EXPECT_EQ(list.columns(), QStringList({"Feed Source"}));
}

TYPED_TEST(ReportListContract, AddPutsRowsWhereAsked)
{
    TypeParam holder;
    platform::ReportList &list = holder.view;
    const struct {
        const char *key;
        int position, placed;
    } adds[] = {
        {"a", -1, 0}, {"b", -1, 1}, {"c", 0, 0}, {"d", 2, 2}, {"e", 99, 4}, {"f", 5, 5},
    };
    for (const auto &a : adds)
        EXPECT_EQ(list.add(row(a.key, a.key), a.position), a.placed) << a.key;
    EXPECT_EQ(keys(list), QStringList({"c", "a", "d", "b", "e", "f"}));
    EXPECT_EQ(list.count(), 6);
}

TYPED_TEST(ReportListContract, RowsRoundTrip)
{
    TypeParam holder;
    platform::ReportList &list = holder.view;
    list.setColumns({"Title", "Published On", "date_sort"}, {300, 120, 0});
    const QList<ListRow> rows = {
        {"New item", "15 Mar 2024 ; 08:00:00", "20240315080000", "", "http://example.org/1",
         "unread", true},
        {"Old item", "", "", "", "http://example.org/2", "read", false},
        {"Wire", "", "", "3f2504e0-4f89-11d3-9a0c-0305e82c3301", "http://example.org/wire.xml", "3",
         false},
        {"", "", "", "", "", "", false},
    };
    addRows(list, rows);
    ASSERT_EQ(list.count(), rows.size());
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(describe(list.row(i)), describe(rows[i]));

    // Every field is replaced, the bold flag and icon in both directions.
    list.setRow(0, rows[1]);
    list.setRow(1, rows[0]);
    EXPECT_EQ(describe(list.row(0)), describe(rows[1]));
    EXPECT_EQ(describe(list.row(1)), describe(rows[0]));
    EXPECT_EQ(list.count(), rows.size());
}

TYPED_TEST(ReportListContract, RemoveAndClearKeepTheSelectionOnItsRow)
{
    const struct {
        int selected, removed, selectedAfter;
        QStringList left;
    } cases[] = {
        {2, 0, 1, {"b", "c", "d"}},
        {1, 1, -1, {"a", "c", "d"}},
        {1, 3, 1, {"a", "b", "c"}},
        {-1, 2, -1, {"a", "b", "d"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.removed);
        TypeParam holder;
        platform::ReportList &list = holder.view;
        addRows(list, {row("a", "a"), row("b", "b"), row("c", "c"), row("d", "d")});
        list.select(c.selected);

        list.remove(c.removed);

        EXPECT_EQ(keys(list), c.left);
        EXPECT_EQ(list.selectedRow(), c.selectedAfter);
        list.clear();
        EXPECT_EQ(list.count(), 0);
        EXPECT_EQ(list.selectedRow(), -1);
    }
}

TYPED_TEST(ReportListContract, SelectionFollowsItsRowThroughInsertsAndSorting)
{
    TypeParam holder;
    platform::ReportList &list = holder.view;
    addRows(list, {row("a", "b"), row("b", "d"), row("c", "f")});
    list.select(1);

    list.add(row("x", "z"), 0);
    EXPECT_EQ(list.selectedRow(), 2);
    list.add(row("y", "a"));
    EXPECT_EQ(list.selectedRow(), 2);

    list.setSortDescending(true);
    list.setSorted(true);
    EXPECT_EQ(keys(list), QStringList({"x", "c", "b", "a", "y"}));
    ASSERT_EQ(list.selectedRow(), 2);

    // A row whose sort text changes takes its new place; the selection goes with it.
    list.setRow(2, row("b", "0"));
    EXPECT_EQ(keys(list), QStringList({"x", "c", "a", "y", "b"}));
    ASSERT_EQ(list.selectedRow(), 4);
    EXPECT_EQ(list.row(list.selectedRow()).key, u"b"_s);

    list.add(row("w", "e"), 4); // the position is ignored while sorted
    EXPECT_EQ(list.row(list.selectedRow()).key, u"b"_s);
    EXPECT_EQ(keys(list), QStringList({"x", "c", "w", "a", "y", "b"}));

    // Turning sorting off leaves the rows where they stand.
    list.setSorted(false);
    EXPECT_EQ(list.add(row("v", "m"), 0), 0);
    EXPECT_EQ(keys(list), QStringList({"v", "x", "c", "w", "a", "y", "b"}));
}

TYPED_TEST(ReportListContract, SortedRowsStandInTextOrderOfTheSortColumn)
{
    // Sub-item 2 holds stamps of unequal length: text order, not numeric order.
    const QList<ListRow> rows = {
        row("r1", "banana", "9", "20240101120000"),
        row("r2", "Apple", "10", "2023123123"),
        row("r3", "apple", "1", "20240315080000"),
        row("r4", "cherry", "", "20231231235959"),
    };
    const ListRow added = row("r5", "APPLE", "2", "20240101");
    const struct {
        int column;
        bool descending;
        QStringList sorted;
        int placed;
        QStringList afterAdd;
    } cases[] = {
        {0, false, {"r2", "r3", "r1", "r4"}, 2, {"r2", "r3", "r5", "r1", "r4"}},
        {0, true, {"r4", "r1", "r2", "r3"}, 4, {"r4", "r1", "r2", "r3", "r5"}},
        {1, false, {"r4", "r3", "r2", "r1"}, 3, {"r4", "r3", "r2", "r5", "r1"}},
        {1, true, {"r1", "r2", "r3", "r4"}, 1, {"r1", "r5", "r2", "r3", "r4"}},
        {2, false, {"r2", "r4", "r1", "r3"}, 2, {"r2", "r4", "r5", "r1", "r3"}},
        {2, true, {"r3", "r1", "r4", "r2"}, 2, {"r3", "r1", "r5", "r4", "r2"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "column " << c.column << (c.descending ? " descending" : " ascending"));
        TypeParam holder;
        platform::ReportList &list = holder.view;
        list.setColumns({"Title", "Published On", "date_sort"}, {300, 120, 0});
        addRows(list, rows);
        list.setSortColumn(c.column);
        list.setSortDescending(c.descending);
        EXPECT_EQ(keys(list), QStringList({"r1", "r2", "r3", "r4"})); // not sorted yet

        list.setSorted(true);
        EXPECT_EQ(keys(list), c.sorted);
        EXPECT_EQ(list.add(added, 0), c.placed);
        EXPECT_EQ(keys(list), c.afterAdd);
        EXPECT_EQ(list.sortColumn(), c.column);
        EXPECT_EQ(list.isSortDescending(), c.descending);
        EXPECT_TRUE(list.isSorted());
    }
}

TYPED_TEST(ReportListContract, ChangingTheSortWhileSortedReordersAtOnce)
{
    TypeParam holder;
    platform::ReportList &list = holder.view;
    addRows(list, {row("a", "b", "3"), row("b", "a", "1"), row("c", "c", "2")});
    list.setSorted(true);
    EXPECT_EQ(keys(list), QStringList({"b", "a", "c"}));
    list.setSortColumn(1);
    EXPECT_EQ(keys(list), QStringList({"b", "c", "a"}));
    list.setSortDescending(true);
    EXPECT_EQ(keys(list), QStringList({"a", "c", "b"}));
}

// ---------------------------------------------------------------------------------------------
// Drop-down list

template<typename T> class ComboBoxViewContract : public ::testing::Test {
};
using ComboBoxViews = ::testing::Types<MemoryCombo, QtCombo>;
TYPED_TEST_SUITE(ComboBoxViewContract, ComboBoxViews, ImplementationName);

const QStringList kIntervals = {"Every 5 Min", "Every 10 Min", "Every 15 Min"};

TYPED_TEST(ComboBoxViewContract, FillingSelectsNoEntryAndKeepsTheText)
{
    TypeParam holder;
    platform::ComboBoxView &combo = holder.view;
    combo.setText(u"Ev"_s);
    for (const QString &entry : kIntervals)
        combo.addItem(entry);

    EXPECT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(1), u"Every 10 Min"_s);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.text(), u"Ev"_s);
    EXPECT_EQ(combo.selectionStart(), 2);

    combo.setCurrentIndex(2);
    combo.clear();
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.text(), QString());
    combo.addItem(u"Every 1 Hour"_s);
    EXPECT_EQ(combo.currentIndex(), -1);
}

TYPED_TEST(ComboBoxViewContract, SelectingAnEntryShowsItsTextWithTheCaretAtTheEnd)
{
    TypeParam holder;
    platform::ComboBoxView &combo = holder.view;
    for (const QString &entry : kIntervals)
        combo.addItem(entry);

    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(combo.text(), u"Every 10 Min"_s);
    EXPECT_EQ(combo.selectionStart(), 12);

    // Typing over the selected entry and selecting it again brings its text back.
    combo.setText(u"Every 1"_s);
    EXPECT_EQ(combo.selectionStart(), 7);
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.text(), u"Every 10 Min"_s);
}

TYPED_TEST(ComboBoxViewContract, SelectionStartsAtTheCaret)
{
    TypeParam holder;
    platform::ComboBoxView &combo = holder.view;
    combo.setText(u"Every 10 Min"_s);
    const struct {
        int start, length;
    } selections[] = {{7, 5}, {0, 12}, {4, 0}, {12, 0}};
    for (const auto &s : selections) {
        combo.setSelection(s.start, s.length);
        EXPECT_EQ(combo.selectionStart(), s.start) << s.start << "+" << s.length;
        EXPECT_EQ(combo.text(), u"Every 10 Min"_s);
    }
}

// ---------------------------------------------------------------------------------------------
// What the Qt views show

QIcon swatch(Qt::GlobalColor color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QImage shown(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(QtTreeViewShows, TheSelectedImageOnlyOnTheCurrentNode)
{
    QTreeWidget widget;
    platform::QtTreeView tree(widget);
    addCategoryTree(tree);
    const QList<QIcon> images
        = {swatch(Qt::red), swatch(Qt::green), swatch(Qt::blue), swatch(Qt::yellow)};
    tree.setImages(images); // after the nodes: they take the icons too
    ASSERT_TRUE(tree.add(u"cat_2"_s, u"b-2"_s, u"Log"_s, 3, 4));

    EXPECT_TRUE(widget.isHeaderHidden());
    EXPECT_EQ(widget.columnCount(), 1);
    EXPECT_EQ(tree.item(u"a-1"_s)->text(0), u"Wire"_s);
    EXPECT_TRUE(tree.item(u"main"_s)->isExpanded());
    EXPECT_EQ(shown(tree.item(u"main"_s)->icon(0)), shown(images[0]));
    EXPECT_EQ(shown(tree.item(u"cat_1"_s)->icon(0)), shown(images[1]));
    EXPECT_TRUE(tree.item(u"b-1"_s)->icon(0).isNull()); // image 5: past the list

    tree.select(u"b-2"_s);
    EXPECT_EQ(shown(tree.item(u"b-2"_s)->icon(0)), shown(images[3]));
    widget.setCurrentItem(tree.item(u"a-1"_s)); // as a click would
    EXPECT_EQ(tree.selectedKey(), u"a-1"_s);
    EXPECT_EQ(shown(tree.item(u"b-2"_s)->icon(0)), shown(images[2]));
    EXPECT_EQ(platform::QtTreeView::keyOf(widget.currentItem()), u"a-1"_s);
}

TEST(QtReportListShows, BoldUnreadRowsAndTheirIcons)
{
    QTreeWidget widget;
    platform::QtReportList list(widget);
    list.setColumns({"Title", "Published On", "date_sort"}, {300, 120, 0});
    const QHash<QString, QIcon> icons = {{"read", swatch(Qt::gray)}, {"unread", swatch(Qt::blue)}};
    list.setIcons(icons);
    list.add({"New", "15 Mar 2024", "20240315", "", "http://example.org/1", "unread", true});
    list.add({"Old", "14 Mar 2024", "20240314", "", "http://example.org/2", "read", false});

    for (int column = 0; column < 3; ++column) {
        EXPECT_TRUE(widget.topLevelItem(0)->font(column).bold()) << column;
        EXPECT_FALSE(widget.topLevelItem(1)->font(column).bold()) << column;
    }
    EXPECT_EQ(shown(widget.topLevelItem(0)->icon(0)), shown(icons["unread"]));
    EXPECT_EQ(shown(widget.topLevelItem(1)->icon(0)), shown(icons["read"]));
    EXPECT_EQ(widget.topLevelItem(0)->data(0, platform::QtReportList::TagRole).toString(),
              u"http://example.org/1"_s);

    // Marking the first row read, then handing over a new icon table.
    ListRow read = list.row(0);
    read.icon = u"read"_s;
    read.bold = false;
    list.setRow(0, read);
    EXPECT_FALSE(widget.topLevelItem(0)->font(0).bold());
    EXPECT_EQ(shown(widget.topLevelItem(0)->icon(0)), shown(icons["read"]));
    list.setIcons({{"read", swatch(Qt::black)}});
    EXPECT_EQ(shown(widget.topLevelItem(1)->icon(0)), shown(swatch(Qt::black)));
}

TEST(QtReportListShows, HeaderLabelsWidthsAndHiddenTextColumns)
{
    QTreeWidget widget;
    platform::QtReportList list(widget);
    list.setColumns({"Title", "Published On", "date_sort"}, {300, 120, 40});
    EXPECT_FALSE(widget.rootIsDecorated());
    for (int column = 0; column < 3; ++column) {
        EXPECT_FALSE(widget.isColumnHidden(column));
        EXPECT_EQ(widget.columnWidth(column), QList<int>({300, 120, 40})[column]);
    }
    EXPECT_EQ(widget.headerItem()->text(1), u"Published On"_s);

    // A one-column list still keeps and sorts by the sub-items, which are not shown.
    list.setColumns({"Feed Source"}, {200});
    EXPECT_EQ(widget.headerItem()->text(0), u"Feed Source"_s);
    EXPECT_FALSE(widget.isColumnHidden(0));
    EXPECT_TRUE(widget.isColumnHidden(1));
    EXPECT_TRUE(widget.isColumnHidden(2));
    list.add(row("a", "a", "", "2"));
    list.add(row("b", "b", "", "1"));
    list.setSortColumn(2);
    list.setSorted(true);
    EXPECT_EQ(keys(list), QStringList({"b", "a"}));
}

// The window's handler turns sorting off, picks the column, reverses the order and turns sorting
// on again; the header's indicator must show that sort, not the header's own guess.
TEST(QtReportListShows, TheSortIndicatorOfTheSortTheWindowChose)
{
    QTreeWidget widget;
    platform::QtReportList list(widget);
    list.setColumns({"Title", "Published On", "date_sort"}, {200, 120, 100});
    addRows(
        list,
        {row("a", "b", "2 Jan", "2"), row("b", "a", "3 Jan", "3"), row("c", "c", "1 Jan", "1")});
    QObject::connect(widget.header(), &QHeaderView::sectionClicked, &widget, [&list](int section) {
        list.setSorted(false);
        if (section == 1)
            list.setSortColumn(2);
        else if (section == 0)
            list.setSortColumn(0);
        list.setSortDescending(!list.isSortDescending());
        list.setSorted(true);
    });
    EXPECT_FALSE(widget.header()->isSortIndicatorShown());
    widget.resize(500, 300);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QHeaderView *header = widget.header();
    const auto clickSection = [header](int section) {
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(section) + 10, header->height() / 2));
    };

    const struct {
        int clicked, indicatorSection;
        Qt::SortOrder order;
        QStringList keys;
    } clicks[] = {
        {1, 2, Qt::DescendingOrder, {"b", "a", "c"}}, {1, 2, Qt::AscendingOrder, {"c", "a", "b"}},
        {2, 2, Qt::DescendingOrder, {"b", "a", "c"}}, {0, 0, Qt::AscendingOrder, {"b", "a", "c"}},
        {0, 0, Qt::DescendingOrder, {"c", "a", "b"}},
    };
    for (const auto &c : clicks) {
        clickSection(c.clicked);
        EXPECT_TRUE(header->isSortIndicatorShown()) << c.clicked;
        EXPECT_EQ(header->sortIndicatorSection(), c.indicatorSection) << c.clicked;
        EXPECT_EQ(header->sortIndicatorOrder(), c.order) << c.clicked;
        EXPECT_EQ(keys(list), c.keys) << c.clicked;
    }
    list.setSorted(false);
    EXPECT_FALSE(header->isSortIndicatorShown());
}

// Lists as long as a feed's item file can make stay in order when every row arrives while sorted.
TEST(QtReportListShows, ALongSortedListInOrder)
{
    QTreeWidget widget;
    platform::QtReportList list(widget);
    list.setColumns({"Title", "Published On", "date_sort"}, {300, 120, 0});
    list.setSortColumn(2);
    list.setSortDescending(true);
    list.setSorted(true);
    constexpr int rows = 32767;
    for (int i = 0; i < rows; ++i) {
        // Stamps in a scrambled order (7919 is prime, so every stamp comes once).
        const QString stamp = QString::number(20240101000000LL + (qint64(i) * 7919) % rows);
        list.add({u"Item"_s, QString(), stamp, QString(), stamp, "unread", true});
    }
    ASSERT_EQ(list.count(), rows);
    for (int i = 1; i < rows; ++i)
        ASSERT_GT(list.row(i - 1).subItem2, list.row(i).subItem2) << i;
}

} // namespace
