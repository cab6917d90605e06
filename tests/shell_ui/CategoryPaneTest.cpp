#include "shell/CategoryPane.h"

#include "platform/QtTreeView.h"
#include "shell/CategoryTreeWidget.h"

#include "TreePaneSupport.h"

#include <QAbstractItemModelTester>
#include <QDropEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using platform::MessageAnswer;

namespace {

const QString kFeeds = QStringLiteral("feeds.fdb");

class CategoryPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.writeFile(kFeeds, test::kSampleFeeds);
        pane = std::make_unique<CategoryPane>(t.ctx, host);
        tester = std::make_unique<QAbstractItemModelTester>(
            pane->treeWidget().model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        pane->resize(300, 400);
        pane->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
        for (const QString &key : {test::kNewsKey, test::kPodcastsKey})
            pane->tree().setExpanded(key, true);
    }

    QTreeWidget &widget() const { return pane->treeWidget(); }
    CategoryTreeWidget &categoryTree() const { return static_cast<CategoryTreeWidget &>(widget()); }
    QPoint centreOf(const QString &key) const
    {
        QTreeWidgetItem *item = pane->tree().item(key);
        EXPECT_NE(item, nullptr) << key.toStdString();
        return item ? widget().visualItemRect(item).center() : QPoint();
    }
    // The open line editor; a closed one lingers hidden until it is deleted.
    QLineEdit *editor() const
    {
        for (QLineEdit *line : widget().viewport()->findChildren<QLineEdit *>()) {
            if (line->isVisible())
                return line;
        }
        return nullptr;
    }
    void endEdit(const QString &newText)
    {
        editor()->setText(newText);
        QTest::keyClick(editor(), Qt::Key_Return);
        QCoreApplication::processEvents(); // the commit is queued
    }
    QString textOf(const QString &key) const { return pane->tree().node(key)->text; }

    bool pressF2On(const QString &key)
    {
        pane->tree().select(key);
        QTest::keyRelease(&widget(), Qt::Key_F2);
        return editor() != nullptr;
    }

    // Drag events as the window system delivers them while a feed of this tree is dragged: an
    // enter, moves, and a drop, after which only a new enter brings events to the tree.
    bool enter(const QString &key)
    {
        QDragEnterEvent event(centreOf(key), Qt::MoveAction, &dragData, Qt::LeftButton, {});
        QCoreApplication::sendEvent(widget().viewport(), &event);
        return event.isAccepted();
    }
    bool dragOver(const QString &key)
    {
        QDragMoveEvent event(centreOf(key), Qt::MoveAction, &dragData, Qt::LeftButton, {});
        QCoreApplication::sendEvent(widget().viewport(), &event);
        return event.isAccepted();
    }
    bool dropOn(const QString &key)
    {
        QDropEvent event(centreOf(key), Qt::MoveAction, &dragData, Qt::LeftButton, {});
        QCoreApplication::sendEvent(widget().viewport(), &event);
        QCoreApplication::processEvents(); // the move waits for the end of the drag
        return event.isAccepted();
    }
    void startDragging(const QString &feedKey)
    {
        pane->tree().select(feedKey);
        ASSERT_TRUE(categoryTree().captureDraggedFeed());
        dragData.setData(QString::fromLatin1(CategoryTreeWidget::kFeedMimeType), feedKey.toUtf8());
        ASSERT_TRUE(enter(feedKey));
    }

    test::TestContext t;
    test::RecordingTreePaneHost host;
    std::unique_ptr<CategoryPane> pane;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QMimeData dragData;
};

TEST_F(CategoryPaneTest, ShowsTheDatabaseAsATreeInTheCategoriesGroup)
{
    EXPECT_EQ(pane->objectName(), QStringLiteral("frmOptionBar"));
    EXPECT_EQ(pane->windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(widget().objectName(), QStringLiteral("tvCategories"));
    const auto *group = qobject_cast<QGroupBox *>(widget().parentWidget());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("Categories"));
    EXPECT_TRUE(widget().isHeaderHidden());

    // The root sorts its categories by name; every node shows an icon.
    QTreeWidgetItem *root = widget().topLevelItem(0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0), QStringLiteral("Subscribed Feeds"));
    EXPECT_TRUE(root->isExpanded());
    QStringList categories;
    for (int i = 0; i < root->childCount(); ++i)
        categories.append(root->child(i)->text(0));
    EXPECT_EQ(categories, QStringList({"Blogs", "News", "Podcasts"}));
    for (const QString &key : {QStringLiteral("main"), test::kBlogsKey, test::kTalkId})
        EXPECT_FALSE(pane->tree().item(key)->icon(0).isNull()) << key.toStdString();

    t.writeFile(kFeeds, "<categories><category name=\"Only\"/></categories>");
    pane->reload();
    EXPECT_EQ(pane->tree().nodes().size(), 2);
}

TEST_F(CategoryPaneTest, F2EditsCategoriesAndFeedsOnly)
{
    EXPECT_FALSE(pressF2On(QStringLiteral("main")));
    EXPECT_FALSE(pressF2On(QString()));
    EXPECT_TRUE(pressF2On(test::kTalkId));
    EXPECT_EQ(editor()->text(), QStringLiteral("Talk"));
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_TRUE(pressF2On(test::kNewsKey));
    EXPECT_EQ(editor()->text(), QStringLiteral("News"));
    QTest::keyClick(editor(), Qt::Key_Escape);
    // Neither a double click nor a key press opens an editor.
    QTest::keyClick(&widget(), Qt::Key_F2);
    QTest::mouseDClick(widget().viewport(), Qt::LeftButton, {}, centreOf(test::kBlogsKey));
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(t.readFile(kFeeds), test::kSampleFeeds);
}

TEST_F(CategoryPaneTest, TheEndOfAnEditGoesThroughTheDatabase)
{
    ASSERT_TRUE(pressF2On(test::kWorldId));
    endEdit(QStringLiteral("World Service"));
    EXPECT_EQ(textOf(test::kWorldId), QStringLiteral("World Service"));
    EXPECT_TRUE(t.readFile(kFeeds).contains("<feed name=\"World Service\" type=\"0\""));

    // Refused: the box shows, the node keeps its text and nothing is written.
    const QByteArray before = t.readFile(kFeeds);
    ASSERT_TRUE(pressF2On(test::kNewsKey));
    endEdit(QStringLiteral("PODCASTS"));
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].title, QStringLiteral("Category Exists!"));
    EXPECT_EQ(textOf(test::kNewsKey), QStringLiteral("News"));
    EXPECT_EQ(t.readFile(kFeeds), before);
}

TEST_F(CategoryPaneTest, MouseButtonsSelectTheNodeAndPopTheMenuOfItsKind)
{
    const struct {
        QString key;
        Qt::MouseButton button;
        QStringList calls;
    } cases[] = {
        {test::kTalkId, Qt::RightButton, {"nodeClicked 0", "showFeedsMenu"}},
        {test::kNewsKey, Qt::RightButton, {"nodeClicked 0", "showCategoryMenu"}},
        {QStringLiteral("main"), Qt::RightButton, {"nodeClicked 1"}},
        {test::kTechId, Qt::LeftButton, {"nodeClicked 0"}},
        {QStringLiteral("main"), Qt::LeftButton, {"nodeClicked 1"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(
            (c.key + QStringLiteral(" button ") + QString::number(c.button)).toStdString());
        pane->tree().select(test::kBlogsKey);
        host.calls.clear();
        QTest::mouseClick(widget().viewport(), c.button, {}, centreOf(c.key));
        EXPECT_EQ(pane->tree().selectedKey(), c.key);
        EXPECT_EQ(host.calls, c.calls);
    }
}

TEST_F(CategoryPaneTest, DoubleClickOpensAFeedOrBringsItsWindowForward)
{
    QTest::mouseDClick(widget().viewport(), Qt::LeftButton, {}, centreOf(test::kTalkId));
    EXPECT_TRUE(host.calls.contains(
        "OpenFeedWindow Talk AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE http://example.org/talk 2 1"))
        << host.calls.join('\n').toStdString();

    host.calls.clear();
    host.openUrl = QStringLiteral("HTTP://EXAMPLE.ORG/TALK");
    QTest::mouseDClick(widget().viewport(), Qt::LeftButton, {}, centreOf(test::kTalkId));
    EXPECT_TRUE(host.calls.contains("IsFeedWindowOpen http://example.org/talk 1"));
    EXPECT_FALSE(host.calls.join('\n').contains("OpenFeedWindow"));

    host.calls.clear();
    QTest::mouseDClick(widget().viewport(), Qt::LeftButton, {}, centreOf(test::kNewsKey));
    EXPECT_FALSE(host.calls.join('\n').contains("FeedWindow"));
}

TEST_F(CategoryPaneTest, OnlyFeedsDragAndOnlyCategoriesTakeThem)
{
    for (const QString &key : {QStringLiteral("main"), test::kNewsKey}) {
        pane->tree().select(key);
        EXPECT_FALSE(categoryTree().captureDraggedFeed()) << key.toStdString();
        EXPECT_FALSE(categoryTree().draggedFeed().has_value());
    }

    startDragging(test::kWorldId);
    EXPECT_FALSE(dragOver(QStringLiteral("main")));
    EXPECT_FALSE(dragOver(test::kTalkId));
    EXPECT_EQ(pane->tree().selectedKey(), test::kWorldId);
    EXPECT_TRUE(dragOver(test::kBlogsKey));
    EXPECT_EQ(pane->tree().selectedKey(), test::kBlogsKey);
    EXPECT_FALSE(dropOn(test::kTalkId));

    startDragging(test::kWorldId);
    EXPECT_FALSE(dropOn(QStringLiteral("main")));
    EXPECT_TRUE(t.messages.shown.isEmpty());
    EXPECT_EQ(pane->tree().node(test::kWorldId)->parentKey, test::kNewsKey);

    // Data that is not the feed this tree is dragging does not enter.
    dragData.setData(QString::fromLatin1(CategoryTreeWidget::kFeedMimeType), "other");
    EXPECT_FALSE(enter(test::kBlogsKey));
}

TEST_F(CategoryPaneTest, ADropAsksAndMovesTheFeedThroughTheDatabase)
{
    // No: the tree stays as it was, Qt moved no item.
    startDragging(test::kTalkId);
    t.messages.answers = {MessageAnswer::No};
    EXPECT_TRUE(dragOver(test::kNewsKey));
    EXPECT_TRUE(dropOn(test::kNewsKey));
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].title, QStringLiteral("Change Category?"));
    EXPECT_EQ(pane->tree().node(test::kTalkId)->parentKey, test::kPodcastsKey);
    EXPECT_EQ(t.readFile(kFeeds), test::kSampleFeeds);

    startDragging(test::kTalkId);
    t.messages.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(dropOn(test::kNewsKey));
    ASSERT_EQ(t.messages.shown.size(), 2);
    const std::optional<platform::TreeNode> talk = pane->tree().node(test::kTalkId);
    ASSERT_TRUE(talk.has_value());
    EXPECT_EQ(talk->parentKey, test::kNewsKey);
    EXPECT_EQ(talk->image, 5);
    EXPECT_FALSE(pane->tree().item(test::kTalkId)->icon(0).isNull());
    EXPECT_TRUE(t.readFile(kFeeds).contains(
        "http://example.org/tech</feed><feed name=\"Talk\" type=\"2\""));
}

} // namespace
