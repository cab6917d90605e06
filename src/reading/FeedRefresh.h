#pragma once

#include "reading/FeedItem.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

namespace platform {
struct Context;
struct ListRow;
class ReportList;
class XmlNode;
} // namespace platform

namespace FeedParser {
enum class ParseStatus;
}

// How a feed window shows the progress of a refresh: its own caption, and the main window's tab
// strip, which repaints the tab captions when asked.
class CaptionSink {
public:
    virtual ~CaptionSink() = default;
    virtual void setCaption(const QString &caption) = 0;
    virtual void repaintTabs() = 0;
};

// How long a refresh waits for the feed's server before it asks whether to try again.
inline constexpr int kFetchTimeoutMs = 10000;

// The logic of one feed window (frmViewFeed): its item list filled from the feed's item file,
// the refresh from the network (fetch, parse, merge of the new items) and the lookups and
// changes of single items. The window owns the list and the caption; this class fills them.
//
// Every operation runs on the user-interface thread. A fetch keeps the event loop running while
// it waits, so other events (including calls into this object) can happen meanwhile;
// StillExecuting is true for as long as a fetch waits or the list is being loaded.
class FeedReader {
public:
    // ctx and both references must outlive the reader. The locale decides month names and the
    // time format of the list (the user's locale in the program; fixed ones in tests).
    FeedReader(const platform::Context &ctx, platform::ReportList &lstItems, CaptionSink &caption,
               QLocale locale = QLocale::system());

    // ---- the window's properties --------------------------------------------------------------
    [[nodiscard]] const QString &FeedID() const { return m_feedId; }
    void setFeedID(const QString &id) { m_feedId = id; }
    [[nodiscard]] const QString &FeedURL() const { return m_feedUrl; }
    void setFeedURL(const QString &url) { m_feedUrl = url; }
    // 0 RSS, 1 Atom, 2 RSS podcast; any other value parses and merges nothing.
    [[nodiscard]] qint16 FeedType() const { return m_feedType; }
    void setFeedType(qint16 type) { m_feedType = type; }
    [[nodiscard]] const QString &FeedCaption() const { return m_feedCaption; }
    void setFeedCaption(const QString &caption) { m_feedCaption = caption; }
    [[nodiscard]] bool CheckForNewItems() const { return m_checkForNewItems; }
    void setCheckForNewItems(bool check) { m_checkForNewItems = check; }
    // The text of the last fetched feed document. Kept as UTF-8, half the size of the decoded
    // text, since a large feed is held for as long as its window is open.
    [[nodiscard]] QString FeedData() const { return QString::fromUtf8(m_feedData); }
    void setFeedData(const QString &data) { m_feedData = data.toUtf8(); }
    void setFeedDataUtf8(const QByteArray &utf8) { m_feedData = utf8; }
    [[nodiscard]] bool StillExecuting() const { return m_stillExecuting; }
    void setStillExecuting(bool busy) { m_stillExecuting = busy; }

    // Time FetchFeedData waits for a complete response, in milliseconds.
    [[nodiscard]] int fetchTimeout() const { return m_fetchTimeoutMs; }
    void setFetchTimeout(int milliseconds) { m_fetchTimeoutMs = milliseconds; }

    // ---- the refresh --------------------------------------------------------------------------

    // Loads the list from the item file when loadList is true; then, when CheckForNewItems is
    // true, makes sure the machine is online (asking Retry/Cancel while it is not), fetches,
    // parses and merges. The caption shows each stage (" (loading ...)", " (checking ...)",
    // " (parsing ...)", " (updating ...)") and ends as FeedCaption, with " [new]" when the last
    // merge added items.
    void LoadFeedData(bool loadList);

    // One GET of FeedURL with "Cache-Control: no-cache", waiting at most fetchTimeout(). The
    // response text, whatever its HTTP status, goes to FeedData and to Debug.xml in the app
    // folder. After a time-out the user may retry (the same request again) or give up: false,
    // and FeedData keeps what it held.
    bool FetchFeedData();

    // Parse the document (xml, or FeedData when xml is blank) into Items; the count of items, or
    // -1 after a warning box saying what was wrong. Items is emptied first either way. The
    // podcast flag does not change how RSS is read.
    qint16 ParseRss(const QString &xml, bool podcast);
    qint16 ParseAtom(const QString &xml);

    // Adds the new elements of Items, walking them from the last to the first (oldest first in
    // the usual newest-first feed): to the end of the item file and to the top of the list, in
    // bold with the "unread" icon. An item is new when IsNewerItem says so; an undated item whose
    // identifier the file already holds is passed over without touching LatestStamp. The file
    // is read once and, when anything was added, written once with the items and the new latest
    // stamp together: the same bytes that AddItemToFile for each item and SaveLatest would leave.
    // Leaves the list sorted by the stamp column, descending.
    void MergeNewItems();

    // Whether an item with this stamp is newer than LatestStamp; advances LatestStamp when it is.
    // A blank LatestStamp, or a stamp that is no number, counts as newer.
    bool IsNewerItem(const QString &stamp);

    // ---- the item file ------------------------------------------------------------------------

    // Fills the list from the item file: one row per stored item (title; date " ; " time; the
    // stamp as the hidden sort key; the link as the row's tag), unread items bold with the
    // "unread" icon. A missing file leaves the list empty without a message; a file that does
    // not parse or has no items gets a warning box. Reads LatestStamp from the file.
    void LoadItemList();

    // Append one item to the item file, or write LatestStamp into it, each as one
    // load-change-save; a missing file is created.
    void AddItemToFile(const FeedItem &item);
    void SaveLatest();

    // Finds the first stored item whose identifier is the digest of link and applies the
    // action: "check" (nothing), "del" (remove it), "read" / "unread" (set its status), "getinfo"
    // (copy it into CurrentItem, and mark it read when markRead is true). Any other action finds
    // and changes nothing else. True when the item was found. The file is saved only when the
    // action changed it. A missing or unreadable file gets a warning box.
    bool ProcessItem(const QString &link, const QString &action, bool markRead);

    // ---- state ----------------------------------------------------------------------------------

    // The item last read with "getinfo".
    [[nodiscard]] const FeedItem &CurrentItem() const { return m_currentItem; }
    // The items of the last parse, in document order. setItems replaces them, for a merge of
    // items that were read elsewhere.
    [[nodiscard]] const QList<FeedItem> &Items() const { return m_items; }
    void setItems(QList<FeedItem> items) { m_items = std::move(items); }
    // The stamp of the newest item stored, as last read from the file or advanced by a merge.
    [[nodiscard]] const QString &LatestStamp() const { return m_latestStamp; }
    // Whether the last merge added at least one item.
    [[nodiscard]] bool HasNewItems() const { return m_hasNewItems; }

private:
    [[nodiscard]] QString itemFilePath() const;
    void showSuffix(const QString &suffix);
    void showCaption(const QString &caption);
    [[nodiscard]] bool waitForConnection();
    void finishRefresh();
    [[nodiscard]] qint16 adoptParse(FeedParser::ParseStatus status, QList<FeedItem> items, bool atom);
    [[nodiscard]] platform::ListRow mergedRow(const FeedItem &item, const QString &stamp) const;
    [[nodiscard]] platform::ListRow storedRow(const platform::XmlNode &item) const;

    const platform::Context &m_ctx;
    platform::ReportList &m_list;
    CaptionSink &m_caption;
    QLocale m_locale;
    QString m_timeFormat; // the locale's long time format without zone
    int m_fetchTimeoutMs = kFetchTimeoutMs;

    QString m_feedId;
    QString m_feedUrl;
    qint16 m_feedType = 0;
    QString m_feedCaption;
    bool m_checkForNewItems = false;
    QByteArray m_feedData; // UTF-8
    bool m_stillExecuting = false;

    QList<FeedItem> m_items;
    QString m_latestStamp;
    bool m_hasNewItems = false;
    FeedItem m_currentItem;
};

// The locale's long time format without its time-zone letters ("t") and what only framed them
// (blanks, a comma, brackets): stored times carry no zone. "h:mm:ss AP t" -> "h:mm:ss AP",
// "HH:mm:ss (t)" -> "HH:mm:ss". Quoted literal text is kept as it is.
[[nodiscard]] QString TimeFormatWithoutZone(const QString &format);

// A stored time (hh:mm:ss or hh:mm) in the locale's long time format without zone; nothing when
// the text is blank or no time of day.
[[nodiscard]] std::optional<QString> FormatItemTime(const QString &time, const QLocale &locale);
