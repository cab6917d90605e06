#pragma once

#include "platform/HttpRequest.h"
#include "subscriptions/FeedRecord.h"

#include <QElapsedTimer>
#include <QList>

#include <map>
#include <memory>

namespace platform {
struct Context;
}

namespace mScheduler {

// The request of one feed and the moment it was sent: its time limit runs from there, whether
// it was sent at the feed's turn or ahead of it.
struct SentRequest {
    explicit SentRequest(QNetworkAccessManager &network) : request(network) {}

    [[nodiscard]] bool isDone() const
    {
        return request.readyState() == platform::HttpRequest::Done;
    }
    // Not complete and unable to complete in time: it gave up, was aborted, or its limit passed.
    [[nodiscard]] bool isLost(int timeoutMs) const
    {
        return !isDone() && (!request.isRunning() || sinceSend.elapsed() >= timeoutMs);
    }

    platform::HttpRequest request;
    QElapsedTimer sinceSend;
};

// Opens the feed's GET with "Cache-Control: no-cache", sends it and starts its clock. Null when
// the URL cannot be requested; the reason is then in *refusal.
[[nodiscard]] std::unique_ptr<SentRequest> SendSourceRequest(const platform::Context &ctx,
                                                             const QString &url,
                                                             QString *refusal = nullptr);

// The requests of the feeds after the current one, sent before their turn so that the servers
// answer while the run logs, parses and merges the current feed. Nothing of a feed's account
// (log lines, connection check, time-out, item file) happens here: the run does all of it at
// the feed's turn, so a run with requests sent ahead leaves what a sequential run leaves.
//
// Entries without a feed identifier, and entries met while the machine is offline or whose URL
// cannot be requested, are not sent ahead: their turn does what it always does.
class SourcePrefetch {
public:
    // schedule must outlive the object. maxInFlight counts the current feed's request as well.
    SourcePrefetch(const platform::Context &ctx, const QList<FeedRecord> &schedule,
                   int maxInFlight, int timeoutMs);
    SourcePrefetch(const SourcePrefetch &) = delete;
    SourcePrefetch &operator=(const SourcePrefetch &) = delete;
    // Aborts whatever is still running.
    ~SourcePrefetch();

    // Called between event-loop turns while feed `current` is at its turn. Aborts the requests
    // ahead whose time ran out, so that a late answer cannot turn a time-out into a success,
    // then sends ahead while fewer than maxInFlight requests run (currentRunning: the current
    // feed's own request is one of them).
    void advance(qsizetype current, bool currentRunning);

    // Between two feeds: gives up the requests ahead whose time ran out, then takes in, without
    // waiting, the answers that came while the feed was parsed and merged. So no stretch without
    // event processing spans more than one feed's work, as in a run without requests ahead.
    void takeAnswers();

    // One turn of the event loop: returns when any request of the network manager completes,
    // or after maxWaitMs. Sleeps in the event loop, as DoEvents does.
    void waitForAnswer(int maxWaitMs);

    // The request sent ahead for entry index, if any; the caller owns it from now on.
    [[nodiscard]] std::unique_ptr<SentRequest> take(qsizetype index);

private:
    void abortExpired();
    [[nodiscard]] int running() const;
    [[nodiscard]] bool worthSending(const FeedRecord &entry) const;

    const platform::Context &m_ctx;
    const QList<FeedRecord> &m_schedule;
    const int m_maxInFlight;
    const int m_timeoutMs;
    qsizetype m_next = 0; // first entry not yet considered for sending ahead
    std::map<qsizetype, std::unique_ptr<SentRequest>> m_ahead;
};

} // namespace mScheduler
