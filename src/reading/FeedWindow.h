#pragma once

#include "reading/FeedRefresh.h"

#include <QLocale>
#include <QWidget>

#include <memory>

class FeedWindowHost;
class QTextBrowser;
class QTreeWidget;

namespace platform {
struct Context;
class QtReportList;
} // namespace platform

// The commands of an item's context menu (and of the main window's item menu).
enum class ItemCommand { Show, ViewOnline, Delete, ExportText, ExportHtml, Email };

// The window of one subscribed feed, shown as a tab of the main window: the item list lstItems
// above, the preview ucPreview below, the splitter bar picSplitter between them. 400 ms after it
// is created (on the context's clock) it loads its list from the item file and, when
// checkForNewItems is set, refreshes the feed from the network. The item commands of the main
// window arrive through runItemCommand.
//
// The preview is a QTextBrowser that never runs scripts and never fetches anything: remote
// images and style sheets of an item stay unloaded, and a clicked link is opened by the desktop
// only when it is an http, https or mailto address.
class FeedWindow : public QWidget, private CaptionSink {
    Q_OBJECT
public:
    static constexpr int kFirstLoadDelayMs = 400;

    FeedWindow(const platform::Context &ctx, FeedWindowHost &host, QWidget *parent = nullptr,
               const QLocale &locale = QLocale::system());
    ~FeedWindow() override;

    // ---- properties -----------------------------------------------------------------------------
    [[nodiscard]] QString feedId() const;
    void setFeedID(const QString &id);
    [[nodiscard]] QString feedUrl() const;
    void setFeedURL(const QString &url);
    [[nodiscard]] FeedType feedType() const;
    void setFeedType(FeedType type);
    [[nodiscard]] QString feedCaption() const;
    void setFeedCaption(const QString &caption);
    [[nodiscard]] bool checkForNewItems() const;
    void setCheckForNewItems(bool check);
    // True from the start to the end of every loadFeedData (the list load, the connection
    // question, the fetch and the merge). Closing the window meanwhile abandons the refresh,
    // except while a box about it waits for the user.
    [[nodiscard]] bool stillExecuting() const;

    // Loads the list from the item file when loadList is true, then refreshes from the network
    // when checkForNewItems is set; the caption shows each stage.
    void loadFeedData(bool loadList);
    // Runs the command on the selected row.
    void runItemCommand(ItemCommand command);

    // ---- for the main window and tests ------------------------------------------------------------
    [[nodiscard]] FeedReader &reader();
    [[nodiscard]] QTreeWidget &itemList() const;
    [[nodiscard]] QTextBrowser &preview() const;
    // The path of the page last shown in the preview (~preview.tmp in the app folder).
    [[nodiscard]] QString previewFilePath() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setCaption(const QString &caption) override;
    void repaintTabs() override;

    struct Private;
    std::unique_ptr<Private> d;
};
