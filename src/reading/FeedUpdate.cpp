#include "reading/FeedUpdate.h"

#include "common/Files.h"
#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "reading/ItemStore.h"
#include "settings/Settings.h"
#include "subscriptions/Feeds.h"
#include "subscriptions/FeedsDatabase.h"

#include <utility>

FeedType typeToStore(FeedType storedType, FeedType documentType)
{
    if (documentType == FeedType::Rss && storedType == FeedType::Podcast)
        return FeedType::Podcast;
    return documentType;
}

FeedUpdate::FeedUpdate(const platform::Context &ctx, FeedUpdateRequest request, QObject *parent)
    : QObject(parent)
    , m_ctx(ctx)
    , m_request(std::move(request))
{
}

FeedUpdate::~FeedUpdate() = default; // the request aborts itself, the timer stops

void FeedUpdate::start()
{
    m_running = true;
    m_result = FeedUpdateResult{};
    m_result.storedType = m_request.storedType;
    if (!m_ctx.connection.isConnected()) {
        finishLater(FeedUpdateResult::Outcome::Offline);
        return;
    }
    m_http = std::make_unique<platform::HttpRequest>(m_ctx.network, &m_ctx.responseBudget);
    if (!m_http->open(QStringLiteral("GET"), m_request.url, true)) {
        m_result.errorText = m_http->errorString();
        finishLater(FeedUpdateResult::Outcome::Refused);
        return;
    }
    m_http->setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
    connect(m_http.get(), &platform::HttpRequest::finished, this, &FeedUpdate::answered);
    m_timer = m_ctx.clock.createTimer();
    m_timer->start(m_request.timeoutMs, [this] { timedOut(); });
    m_http->send();
}

void FeedUpdate::cancel()
{
    m_running = false;
    m_timer.reset();
    m_http.reset();
}

void FeedUpdate::timedOut()
{
    m_http->abort();
    finish(FeedUpdateResult::Outcome::TimedOut);
}

void FeedUpdate::answered()
{
    m_timer.reset();
    m_result.fetchFailure = m_http->failure();
    const bool complete = m_http->readyState() == platform::HttpRequest::Done;
    if (complete) {
        m_result.document = m_http->responseUtf8();
        if (m_request.keepDebugCopy) {
            // A failed write has shown its own box; the update goes on.
            Files::writeText(
                m_ctx, Files::withTrailingSlash(m_ctx.appFolder) + QStringLiteral("Debug.xml"),
                m_result.document);
        }
    }
    if (m_result.fetchFailure != platform::FetchFailure::None) {
        m_result.errorText = m_http->failureText();
        m_result.document.clear(); // an error page is never read as the feed
        m_http.reset();
        finish(FeedUpdateResult::Outcome::FetchFailed);
        return;
    }
    m_http.reset();
    Q_EMIT stageChanged(Stage::Parsing);
    continueLater(&FeedUpdate::parse);
}

void FeedUpdate::parse()
{
    FeedParser::FeedContent content
        = FeedParser::parseFeed(QByteArrayView(m_result.document), m_request.locale);
    if (content.status != FeedParser::ParseStatus::Ok) {
        m_result.parseStatus = content.status;
        finish(FeedUpdateResult::Outcome::ParseFailed);
        return;
    }
    const FeedType type = typeToStore(m_request.storedType, content.type);
    if (type != m_request.storedType && Feeds::isFeedIdentifier(m_request.feedId)) {
        // Both places are corrected; where the feed is not (only scheduled, or only
        // subscribed), nothing changes there.
        (void)Feeds::correctFeedType(m_ctx, m_request.feedId, type);
        (void)Settings::correctScheduledFeedType(m_ctx, m_request.feedId, type);
        m_result.correctedType = type;
    }
    m_items = std::move(content.items);
    m_result.documentItems = int(m_items.size());
    Q_EMIT stageChanged(Stage::Storing);
    continueLater(&FeedUpdate::store);
}

void FeedUpdate::store()
{
    if (m_items.isEmpty()) {
        finish(FeedUpdateResult::Outcome::Stored);
        return;
    }
    const QString path = Feeds::feedDataPath(m_ctx, m_request.feedId);
    if (path.isEmpty()) {
        // A feed without an identifier of its own has no item file: its items are only shown.
        m_result.added = m_items;
        finish(FeedUpdateResult::Outcome::Stored);
        return;
    }
    ItemStore::MergeOutcome outcome = ItemStore::merge(path, m_items, m_ctx.clock.now());
    m_result.setAsidePath = outcome.setAsidePath;
    if (outcome.status == ItemStore::MergeOutcome::Status::Failed) {
        m_result.errorText = outcome.error;
        finish(FeedUpdateResult::Outcome::SaveFailed);
        return;
    }
    m_result.added = std::move(outcome.merge.added);
    m_result.updated = std::move(outcome.merge.updated);
    m_result.renamed = std::move(outcome.merge.renamed);
    finish(FeedUpdateResult::Outcome::Stored);
}

void FeedUpdate::finish(FeedUpdateResult::Outcome outcome)
{
    m_running = false;
    m_timer.reset();
    m_items.clear();
    m_result.outcome = outcome;
    Q_EMIT finished(m_result);
}

void FeedUpdate::finishLater(FeedUpdateResult::Outcome outcome)
{
    QMetaObject::invokeMethod(
        this,
        [this, outcome] {
            if (m_running)
                finish(outcome);
        },
        Qt::QueuedConnection);
}

void FeedUpdate::continueLater(void (FeedUpdate::*step)())
{
    QMetaObject::invokeMethod(
        this,
        [this, step] {
            if (m_running)
                (this->*step)();
        },
        Qt::QueuedConnection);
}
