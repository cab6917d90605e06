#pragma once

#include "platform/HttpRequest.h"
#include "reading/FeedItem.h"
#include "reading/FeedParser.h"

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QObject>
#include <QString>

#include <memory>
#include <utility>

namespace platform {
class ClockTimer;
struct Context;
} // namespace platform

// How long an update waits for the feed's server, from its request to the complete answer.
inline constexpr int kFetchTimeoutMs = 10000;

// What one update of a feed is asked to do.
struct FeedUpdateRequest {
    QString feedId; // names the item file; anything but a feed identifier stores nothing
    QString url;
    FeedType storedType = FeedType::Rss; // the type the subscription names
    QLocale locale = QLocale::system();  // month names of Atom dates
    int timeoutMs = kFetchTimeoutMs;
    bool keepDebugCopy = false; // writes each complete answer to Debug.xml in the app folder
};

// What one update did, for the feed window to show and the scheduled check to log.
struct FeedUpdateResult {
    enum class Outcome {
        Stored,      // the document was read and its items merged (added/updated may be empty)
        Offline,     // the system reports no connection: nothing was sent
        Refused,     // the address cannot be requested (errorText says why)
        TimedOut,    // no complete answer within the time limit
        FetchFailed, // the server answered with an error or the network failed (errorText)
        ParseFailed, // the answer is no feed document the program reads (parseStatus)
        SaveFailed,  // the item file could not be written (errorText): nothing was stored
    };
    Outcome outcome = Outcome::Stored;
    QString errorText;
    platform::FetchFailure fetchFailure = platform::FetchFailure::None;
    FeedParser::ParseStatus parseStatus = FeedParser::ParseStatus::Ok;

    FeedType storedType = FeedType::Rss; // as the request named it
    FeedType correctedType
        = FeedType::Unknown; // the type now stored for the feed, when the document changed it
    int documentItems = 0;   // items the document holds
    QList<FeedItem> added;   // new items, in the order stored
    QList<FeedItem> updated; // items stored before whose title, text or date changed
    QList<std::pair<QString, QString>> renamed; // stored items' identifiers: before, now
    QString setAsidePath; // a damaged item file was moved here and a new one started
    QByteArray document;  // the answer as UTF-8, when one arrived

    // The parser's failure is told in the words of the type the subscription names.
    [[nodiscard]] bool readAsAtom() const { return storedType == FeedType::Atom; }
};

// The type a feed is stored as after a document of documentType was read for it: the document
// decides, except that a podcast stays a podcast when an RSS document lacks the podcast marks.
[[nodiscard]] FeedType typeToStore(FeedType storedType, FeedType documentType);

// One update of one feed, the same for the feed window, the scheduled check and marlowin-check:
// the connection check, one GET ("Cache-Control: no-cache", at most timeoutMs), the charset,
// the document read as what it is (its stored type corrected once, in feeds.fdb and in the
// schedule, when it says otherwise), the items merged into the item file under its lock
// (ItemStore), and one result.
//
// Everything runs on the caller's thread and event loop, driven by the request's signal and a
// clock timer: nothing waits or polls. Between the stages the update returns to the event loop,
// so a window can paint its caption.
class FeedUpdate : public QObject {
    Q_OBJECT
public:
    enum class Stage { Parsing, Storing };

    // ctx must outlive the update.
    FeedUpdate(const platform::Context &ctx, FeedUpdateRequest request, QObject *parent = nullptr);
    ~FeedUpdate() override;

    // Starts the update and returns; finished() follows, never from inside start().
    void start();
    // Abandons a running update: its request is aborted and nothing more is emitted. What was
    // stored stays stored (a merge is never interrupted).
    void cancel();
    [[nodiscard]] bool isRunning() const { return m_running; }
    [[nodiscard]] const FeedUpdateRequest &request() const { return m_request; }

Q_SIGNALS:
    // The answer arrived and is being read (Parsing), then stored (Storing).
    void stageChanged(FeedUpdate::Stage stage);
    void finished(const FeedUpdateResult &result);

private:
    void answered();
    void timedOut();
    void parse();
    void store();
    void finish(FeedUpdateResult::Outcome outcome);
    void finishLater(FeedUpdateResult::Outcome outcome);
    void continueLater(void (FeedUpdate::*step)());

    const platform::Context &m_ctx;
    FeedUpdateRequest m_request;
    std::unique_ptr<platform::HttpRequest> m_http;
    std::unique_ptr<platform::ClockTimer> m_timer;
    FeedUpdateResult m_result;
    QList<FeedItem> m_items;
    bool m_running = false;
};
