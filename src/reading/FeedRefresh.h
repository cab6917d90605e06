#pragma once

#include "reading/FeedItem.h"
#include "reading/FeedUpdate.h"

#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace platform {
struct Context;
struct ListRow;
class ReportList;
} // namespace platform

// How a feed window shows the progress of a refresh: its own caption, and the main window's tab
// strip, which repaints the tab captions when asked.
class CaptionSink {
public:
    virtual ~CaptionSink() = default;
    virtual void setCaption(const QString &caption) = 0;
    virtual void repaintTabs() = 0;
};

// The logic of one feed window (FeedWindow): its item list filled from the feed's item file,
// the refresh from the network through the program's one feed update (FeedUpdate), and the
// lookups and changes of single items, which find an item by its identifier (the row's key).
// The window owns the list and the caption; this class fills them.
//
// Everything runs on the user-interface thread. A refresh starts an update and returns; the
// update's result arrives later from the event loop, and refreshFinished() tells the end of the
// refresh. Only the boxes that ask the user (offline, time-out) wait, as modal boxes do.
// What FeedReader::processItem does with the item it finds.
enum class ItemAction {
    Find,     // nothing: tells whether it is there
    Delete,   // removes it and records it as deleted, so that no refresh brings it back
    MarkRead, // sets its status
    MarkUnread,
    Load, // copies it into currentItem
};

class FeedReader : public QObject {
    Q_OBJECT
public:
    // ctx and both references must outlive the reader. The locale decides month names and the
    // time format of the list (the user's locale in the program; fixed ones in tests).
    FeedReader(const platform::Context &ctx, platform::ReportList &lstItems, CaptionSink &caption,
               QLocale locale = QLocale::system(), QObject *parent = nullptr);
    ~FeedReader() override;

    // ---- the window's properties --------------------------------------------------------------
    [[nodiscard]] const QString &feedId() const { return m_feedId; }
    void setFeedID(const QString &id) { m_feedId = id; }
    [[nodiscard]] const QString &feedUrl() const { return m_feedUrl; }
    void setFeedURL(const QString &url) { m_feedUrl = url; }
    // 0 RSS, 1 Atom, 2 RSS podcast; a refresh reads the document as what it is and corrects it.
    [[nodiscard]] FeedType feedType() const { return m_feedType; }
    void setFeedType(FeedType type) { m_feedType = type; }
    [[nodiscard]] const QString &feedCaption() const { return m_feedCaption; }
    void setFeedCaption(const QString &caption) { m_feedCaption = caption; }
    [[nodiscard]] bool checkForNewItems() const { return m_checkForNewItems; }
    void setCheckForNewItems(bool check) { m_checkForNewItems = check; }
    // The text of the last fetched feed document, kept as UTF-8.
    [[nodiscard]] QString feedData() const { return QString::fromUtf8(m_feedData); }
    // True while the list is loaded or a refresh runs.
    [[nodiscard]] bool stillExecuting() const { return m_loadingList || isRefreshing(); }

    // Time a refresh waits for a complete response, in milliseconds.
    [[nodiscard]] int fetchTimeout() const { return m_fetchTimeoutMs; }
    void setFetchTimeout(int milliseconds) { m_fetchTimeoutMs = milliseconds; }

    // ---- the refresh --------------------------------------------------------------------------

    // Loads the list from the item file when loadList is true; then, when checkForNewItems is
    // true, makes sure the machine is online (asking Retry/Cancel while it is not) and starts
    // the feed's update. The caption shows each stage (" (loading ...)", " (checking ...)",
    // " (parsing ...)", " (updating ...)") and ends as feedCaption, with " [new]" when the last
    // merge added items; new items go to the top of the list in bold. A time-out asks
    // Retry/Cancel; every other failure is told in its box. A call while a refresh runs is
    // dropped: the running one brings the list up to date.
    void loadFeedData(bool loadList);
    [[nodiscard]] bool isRefreshing() const { return m_refreshing; }
    // Abandons a running refresh (the window closes): nothing more happens to the list.
    void cancelRefresh();

    // ---- the item file ------------------------------------------------------------------------

    // Fills the list from the item file: one row per stored item (title; date " ; " time; the
    // date's sort key; the identifier as the row's key and the link as its tag), unread items
    // bold with the "unread" icon. A missing file leaves the list empty without a message; a
    // file that does not parse or has no items gets a warning box.
    void loadItemList();

    // Finds the stored item with this identifier and applies the action (Load also marks it read
    // when markRead is true). True when the item was found. A change is one load-change-save
    // under the file's lock. A missing or unreadable file gets a warning box.
    bool processItem(const QString &id, ItemAction action, bool markRead);

    // ---- state ----------------------------------------------------------------------------------

    // The item last read with ItemAction::Load.
    [[nodiscard]] const FeedItem &currentItem() const { return m_currentItem; }
    // The newest item date stored (the item file's latest), as last read.
    [[nodiscard]] const QString &latestStamp() const { return m_latestStamp; }
    // Whether the last merge added at least one item.
    [[nodiscard]] bool hasNewItems() const { return m_hasNewItems; }

Q_SIGNALS:
    void refreshFinished();
    // The document showed the feed to be of another type, which is now stored.
    void feedTypeCorrected(FeedType type);

private:
    [[nodiscard]] QString itemFilePath() const;
    // The feed's name as one line shows it (LongRuns::shortLine), then the stage.
    void showCaption(const QString &stage);
    [[nodiscard]] bool waitForConnection();
    void startUpdate();
    void updateFinished(const FeedUpdateResult &result);
    void showResult(const FeedUpdateResult &result);
    void showStoredItems(const FeedUpdateResult &result);
    void finishRefresh();
    enum class RowSource { Fetched, Stored };
    [[nodiscard]] platform::ListRow rowOf(const FeedItem &item, bool read, RowSource source) const;

    const platform::Context &m_ctx;
    platform::ReportList &m_list;
    CaptionSink &m_caption;
    QLocale m_locale;
    QString m_timeFormat; // the locale's long time format without zone
    int m_fetchTimeoutMs = kFetchTimeoutMs;

    QString m_feedId;
    QString m_feedUrl;
    FeedType m_feedType = FeedType::Rss;
    QString m_feedCaption;
    bool m_checkForNewItems = false;
    QByteArray m_feedData; // UTF-8
    bool m_loadingList = false;
    bool m_refreshing = false;

    FeedUpdate *m_update = nullptr; // a child; deleted once it has finished
    QString m_latestStamp;
    bool m_hasNewItems = false;
    FeedItem m_currentItem;
};

// The locale's long time format without its time-zone letters ("t") and what only framed them
// (blanks, a comma, brackets): stored times carry no zone. "h:mm:ss AP t" -> "h:mm:ss AP",
// "HH:mm:ss (t)" -> "HH:mm:ss". Quoted literal text is kept as it is.
[[nodiscard]] QString timeFormatWithoutZone(const QString &format);

// A stored time (hh:mm:ss or hh:mm) in the locale's long time format without zone; nothing when
// the text is blank or no time of day.
[[nodiscard]] std::optional<QString> formatItemTime(const QString &time, const QLocale &locale);
