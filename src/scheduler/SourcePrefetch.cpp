#include "scheduler/SourcePrefetch.h"

#include "platform/Context.h"
#include "scheduler/mScheduler.h"
#include "shell/mUtil.h"
#include "subscriptions/FeedsDatabase.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

#include <algorithm>

namespace mScheduler {

namespace {

// Answers waiting for their turn are held in memory; this bounds them when a slow server holds
// up the turn while the fast ones behind it keep answering.
constexpr std::size_t kMaxHeldAhead = 128;

} // namespace

std::unique_ptr<SentRequest> SendSourceRequest(const platform::Context &ctx, const QString &url,
                                               QString *refusal)
{
    auto sent = std::make_unique<SentRequest>(ctx.network);
    sent->request.abort();
    if (!sent->request.open(QStringLiteral("GET"), url, true)) {
        if (refusal)
            *refusal = sent->request.errorString();
        return nullptr;
    }
    sent->request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
    sent->request.send();
    sent->sinceSend.start();
    return sent;
}

SourcePrefetch::SourcePrefetch(const platform::Context &ctx, const QList<FeedRecord> &schedule,
                               int maxInFlight, int timeoutMs)
    : m_ctx(ctx), m_schedule(schedule), m_maxInFlight(maxInFlight), m_timeoutMs(timeoutMs)
{
}

SourcePrefetch::~SourcePrefetch() = default; // each HttpRequest aborts itself when destroyed

void SourcePrefetch::advance(qsizetype current, bool currentRunning)
{
    abortExpired();
    // A run that is being ended sends nothing more.
    if (!CheckRunning)
        return;
    m_next = std::max(m_next, current + 1);
    int inFlight = running() + (currentRunning ? 1 : 0);
    while (inFlight < m_maxInFlight && m_next < m_schedule.size()
           && m_ahead.size() < kMaxHeldAhead) {
        const qsizetype index = m_next++;
        const FeedRecord &entry = m_schedule.at(index);
        if (!worthSending(entry))
            continue;
        mUtil::ClearUrlCache(m_ctx, entry.URL);
        if (std::unique_ptr<SentRequest> sent = SendSourceRequest(m_ctx, entry.URL)) {
            m_ahead.emplace(index, std::move(sent));
            ++inFlight;
        }
    }
}

void SourcePrefetch::takeAnswers()
{
    abortExpired();
    QCoreApplication::processEvents();
}

void SourcePrefetch::waitForAnswer(int maxWaitMs)
{
    QEventLoop turn;
    QTimer::singleShot(maxWaitMs, &turn, &QEventLoop::quit);
    // The manager signals a completed reply before the request object sees it in the same
    // emission, so the request is Done by the time the loop has returned.
    const QMetaObject::Connection answered =
        QObject::connect(&m_ctx.network, &QNetworkAccessManager::finished, &turn, &QEventLoop::quit);
    turn.exec();
    QObject::disconnect(answered);
}

std::unique_ptr<SentRequest> SourcePrefetch::take(qsizetype index)
{
    const auto found = m_ahead.find(index);
    if (found == m_ahead.end())
        return nullptr;
    std::unique_ptr<SentRequest> sent = std::move(found->second);
    m_ahead.erase(found);
    return sent;
}

void SourcePrefetch::abortExpired()
{
    for (auto &[index, sent] : m_ahead) {
        if (sent->request.isRunning() && sent->isLost(m_timeoutMs))
            sent->request.abort();
    }
}

int SourcePrefetch::running() const
{
    return int(std::count_if(m_ahead.begin(), m_ahead.end(),
                             [](const auto &held) { return held.second->request.isRunning(); }));
}

bool SourcePrefetch::worthSending(const FeedRecord &entry) const
{
    return mFeeds::IsFeedIdentifier(entry.ID) && mUtil::IsConnected(m_ctx);
}

} // namespace mScheduler
