#include "scheduler/ScheduledCheck.h"

#include "common/Files.h"
#include "platform/Context.h"
#include "platform/FileLock.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "settings/Settings.h"
#include "subscriptions/FeedsDatabase.h"

#include <QEventLoop>
#include <QFileInfo>

#include <utility>

namespace {

const QString kIndent = QStringLiteral("    ");
const QString kError = QStringLiteral("--> Error: ");
const QString kSeparator = QStringLiteral("\r\n");

const QString kNoSources = QStringLiteral("No Feed Sources found Configured for Schduled check!");
const QString kAnotherCheck
    = QStringLiteral("Another Scheduled Check is running on this folder. This check was skipped!");
const QString kSending = QStringLiteral("    Sending Request to Source Server ...");
const QString kSent = QStringLiteral("    Request Sent, Waiting for Server Response ...");
const QString kParsing = QStringLiteral("    Parsing Feed content ...");
const QString kDone = QStringLiteral("    Done!");
const QString kOffline = QStringLiteral(
    "--> Error: Application failed to access Internet. Either machine is not connected to "
    "Internet or Firewall blocked application.");
const QString kTimedOut = QStringLiteral(
    "--> Error: Server did not respond in timely manner. Application failed to fetch Feed Data!");
const QString kNotAFeedIdentifier = QStringLiteral(
    "--> Error: The Feed has no valid identifier in the schedule. Application did not check it!");
const QString kCannotRequest
    = QStringLiteral("--> Error: Application failed to send a request to the Feed URL! ");
const QString kSaveFailed
    = QStringLiteral("--> Error: Application failed to save the Feed Data file! ");

QString typeName(FeedType type)
{
    switch (type) {
    case FeedType::Rss:
        return QStringLiteral("RSS");
    case FeedType::Atom:
        return QStringLiteral("ATOM");
    case FeedType::Podcast:
        return QStringLiteral("PodCast");
    default:
        return QStringLiteral("type %1").arg(storedNumber(type));
    }
}

// The parser's failure as a log line. The RSS line for a document that is not XML has always
// been written without a space after the arrow; readers of old logs may match on it.
QString parseFailureLine(const FeedUpdateResult &result)
{
    const bool atom = result.readAsAtom();
    const QString arrow = !atom && result.parseStatus == FeedParser::ParseStatus::InvalidXml
        ? QStringLiteral("-->Error: ")
        : kError;
    return arrow + FeedParser::messageFor(result.parseStatus, atom).text;
}

// What reading the document said about the feed and its file, before the count.
QStringList readingLines(const FeedUpdateResult &result)
{
    QStringList lines;
    if (result.correctedType != FeedType::Unknown)
        lines << kIndent
                + QStringLiteral("Feed Type corrected from %1 to %2.")
                      .arg(typeName(result.storedType), typeName(result.correctedType));
    if (!result.setAsidePath.isEmpty())
        lines << kIndent
                + QStringLiteral(
                      "Feed Data file could not be read: set aside as %1, a new file is started.")
                      .arg(logLineText(QFileInfo(result.setAsidePath).fileName()));
    return lines;
}

} // namespace

QString logLineText(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return text;
}

QStringList feedLogLines(const QString &name, const FeedUpdateResult &result)
{
    using Outcome = FeedUpdateResult::Outcome;
    QStringList lines{QStringLiteral("Checking ") + logLineText(name)};
    switch (result.outcome) {
    case Outcome::Offline:
        return lines << kOffline;
    case Outcome::Refused:
        return lines << kSending << kCannotRequest + logLineText(result.errorText);
    case Outcome::TimedOut:
        return lines << kSending << kSent << kTimedOut;
    case Outcome::FetchFailed:
        return lines << kSending << kSent << kError + logLineText(result.errorText);
    case Outcome::ParseFailed:
        return lines << kSending << kSent << kParsing << parseFailureLine(result) << kDone;
    case Outcome::SaveFailed:
        return lines << kSending << kSent << kParsing << readingLines(result)
                     << kSaveFailed + logLineText(result.errorText) << kDone;
    case Outcome::Stored:
        lines << kSending << kSent << kParsing << readingLines(result);
        if (result.documentItems > 0)
            lines << (result.added.isEmpty() ? kIndent + QStringLiteral("No New Items found!")
                                             : kIndent + QString::number(result.added.size())
                              + QStringLiteral(" New Items found!"));
        return lines << kDone;
    }
    return lines;
}

// One entry of the schedule in the run: its update, then its block of lines.
struct ScheduledCheck::Feed {
    QString name;
    std::optional<FeedRecord> record; // none: the entry cannot be read
    FeedUpdate *update = nullptr;     // a child of the check while it runs
    bool finished = false;
    QStringList lines;
    int newItems = 0;
};

ScheduledCheck::ScheduledCheck(const platform::Context &ctx, NewItemsAnnouncement &announcement,
                               Settings::Scheduler settings, CheckOptions options, QObject *parent)
    : QObject(parent)
    , m_ctx(ctx)
    , m_announcement(announcement)
    , m_settings(std::move(settings))
    , m_options(std::move(options))
    , m_log(ctx, m_options.locale, m_options.logObserver)
{
}

ScheduledCheck::~ScheduledCheck() = default;

void ScheduledCheck::start()
{
    m_running = true;
    m_lock = std::make_unique<platform::FileLock>(Files::withTrailingSlash(m_ctx.appFolder)
                                                  + QStringLiteral("check"));
    if (!m_lock->acquire(0)) {
        m_log.write(kAnotherCheck);
        m_lock.reset();
        end();
        return;
    }
    m_log.write(QString(), true, false);

    if (m_settings.schedule.isEmpty()) {
        m_log.write(kNoSources);
        end();
        return;
    }
    for (const Settings::ScheduleEntry &entry : m_settings.schedule) {
        auto feed = std::make_unique<Feed>();
        feed->record = entry.feed;
        if (!entry.feed) {
            feed->lines << kError + logLineText(entry.problem)
                    + QStringLiteral(" Application skipped it!");
            feed->finished = true;
        } else {
            feed->name = entry.feed->name;
            // An entry without a feed identifier has no item file the check may touch.
            if (!Feeds::isFeedIdentifier(entry.feed->id)) {
                feed->lines << QStringLiteral("Checking ") + logLineText(feed->name)
                            << kNotAFeedIdentifier;
                feed->finished = true;
            }
        }
        m_feeds.push_back(std::move(feed));
    }
    startFeeds();
    // The blocks of entries that needed no update may come first; the rest follow their
    // answers. Written from the event loop, so that nothing happens inside start().
    QMetaObject::invokeMethod(
        this, [this] { writeFinishedBlocks(); }, Qt::QueuedConnection);
}

void ScheduledCheck::startFeeds()
{
    const int limit = std::max(m_options.maxFetchesInFlight, 1);
    while (m_inFlight < limit && m_nextToStart < m_feeds.size()) {
        Feed &feed = *m_feeds[m_nextToStart++];
        if (feed.finished)
            continue;
        FeedUpdateRequest request;
        request.feedId = feed.record->id;
        request.url = feed.record->url;
        request.storedType = feed.record->feedType;
        request.locale = m_options.locale;
        request.timeoutMs = m_options.fetchTimeoutMs;
        feed.update = new FeedUpdate(m_ctx, request, this);
        connect(feed.update, &FeedUpdate::finished, this,
                [this, &feed](const FeedUpdateResult &result) { feedFinished(feed, result); });
        ++m_inFlight;
        feed.update->start();
    }
}

void ScheduledCheck::feedFinished(Feed &feed, const FeedUpdateResult &result)
{
    feed.update->deleteLater();
    feed.update = nullptr;
    --m_inFlight;
    feed.lines = feedLogLines(feed.name, result);
    if (result.outcome == FeedUpdateResult::Outcome::Stored)
        feed.newItems = int(result.added.size());
    feed.finished = true;
    startFeeds();
    writeFinishedBlocks();
}

void ScheduledCheck::writeFinishedBlocks()
{
    if (!m_running)
        return;
    while (m_nextToWrite < m_feeds.size() && m_feeds[m_nextToWrite]->finished) {
        const Feed &feed = *m_feeds[m_nextToWrite++];
        m_log.writeLines(feed.lines + QStringList{kSeparator});
        if (feed.newItems > 0)
            m_announced << logLineText(feed.name) + QStringLiteral(" -- ")
                    + QString::number(feed.newItems) + QStringLiteral(" New Items");
    }
    if (m_nextToWrite == m_feeds.size())
        end();
}

void ScheduledCheck::cancel()
{
    if (!m_running)
        return;
    for (const std::unique_ptr<Feed> &feed : m_feeds) {
        if (feed->update) {
            feed->update->cancel();
            feed->update->deleteLater();
            feed->update = nullptr;
        }
    }
    // The feeds finished so far are told in schedule order; the others are left out.
    std::vector<std::unique_ptr<Feed>> finished;
    for (std::size_t i = m_nextToWrite; i < m_feeds.size(); ++i) {
        if (m_feeds[i]->finished)
            finished.push_back(std::move(m_feeds[i]));
    }
    m_feeds.resize(m_nextToWrite);
    for (std::unique_ptr<Feed> &feed : finished)
        m_feeds.push_back(std::move(feed));
    m_nextToStart = m_feeds.size();
    writeFinishedBlocks();
}

void ScheduledCheck::end()
{
    if (!m_running)
        return;
    m_running = false;
    if (m_lock) {
        m_log.write(QString(), false, true);
        if (!m_announced.isEmpty() && m_settings.showPopup) {
            PopupProperties properties;
            properties.autoClose = false;
            properties.canGainFocus = false;
            properties.makeTransparent = true;
            properties.transparencyPercentage = 10;
            properties.playSound = m_settings.playPopupSound;
            if (properties.playSound)
                properties.soundFilePath = m_settings.soundFile;
            m_announcement.announce(properties, m_announced);
        }
        m_lock.reset();
    }
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT finished(); }, Qt::QueuedConnection);
}

void runScheduledCheck(const platform::Context &ctx, NewItemsAnnouncement &announcement,
                       const Settings::Scheduler &settings, const CheckOptions &options)
{
    ScheduledCheck check(ctx, announcement, settings, options);
    QEventLoop loop;
    QObject::connect(&check, &ScheduledCheck::finished, &loop, &QEventLoop::quit);
    check.start();
    loop.exec();
}
