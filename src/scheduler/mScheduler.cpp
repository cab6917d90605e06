#include "scheduler/mScheduler.h"

#include "platform/Context.h"
#include "platform/EventPump.h"
#include "platform/HttpRequest.h"
#include "reading/FeedParser.h"
#include "reading/ItemFile.h"
#include "reading/ItemStamp.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "scheduler/SourcePrefetch.h"
#include "settings/mSettings.h"
#include "shell/mUtil.h"
#include "subscriptions/FeedsDatabase.h"

#include <QSet>

#include <memory>
#include <optional>
#include <utility>

namespace mScheduler {

bool CheckRunning = false;

namespace {

constexpr int kPollMs = 10;
constexpr qint16 kRss = 0;
constexpr qint16 kAtom = 1;
constexpr qint16 kPodcast = 2;

const QString kIndent = QStringLiteral("    ");

const QString kNoSources = QStringLiteral("No Feed Sources found Configured for Schduled check!");
const QString kOffline = QStringLiteral(
    "--> Error: Application failed to access Internet. Either machine is not connected to "
    "Internet or Firewall blocked application.");
const QString kTimedOut = QStringLiteral(
    "--> Error: Server did not respond in timely manner. Application failed to fetch Feed Data!");
const QString kNotAFeedIdentifier = QStringLiteral(
    "--> Error: The Feed has no valid identifier in the schedule. Application did not check it!");
const QString kCannotRequest =
    QStringLiteral("--> Error: Application failed to send a request to the Feed URL! ");

// The parser's failure as a log line. The RSS line for a document that is not XML has always
// been written without a space after the arrow; readers of old logs may match on it.
QString FailureLine(FeedParser::ParseStatus status, bool atom)
{
    const QString arrow = !atom && status == FeedParser::ParseStatus::InvalidXml
                              ? QStringLiteral("-->Error: ")
                              : QStringLiteral("--> Error: ");
    return arrow + FeedParser::MessageFor(status, atom).text;
}

qint16 AdoptParse(const ScheduleLog &log, SourceCheck &check, FeedParser::ParseResult result,
                  bool atom)
{
    if (result.status != FeedParser::ParseStatus::Ok) {
        log.write(FailureLine(result.status, atom));
        return -1;
    }
    check.SourceItems = std::move(result.items);
    return static_cast<qint16>(qMin<qsizetype>(check.SourceItems.size(), FeedParser::kMaxItems));
}

// Waits for the feed's request to complete within timeoutMs of its send, in short sleeps in the
// event loop; meanwhile the requests ahead are kept going. False when the time ran out or the
// request can no longer complete (it gave up beyond its response cap, or was aborted).
//
// Whether a request made it in time is only decided between event-loop turns: its answer can
// only arrive in one, and a request whose limit has passed is given up before the next. So a
// request counts as answered when its answer came in a turn that began within its limit,
// whether it was sent now or ahead.
bool AwaitTurn(SentRequest &sent, int timeoutMs, SourcePrefetch *ahead, qsizetype index)
{
    for (;;) {
        if (ahead)
            ahead->advance(index, sent.request.isRunning());
        if (sent.isDone())
            return true;
        if (sent.isLost(timeoutMs))
            return false;
        // With requests ahead, a turn ends early when any of them completes, so that the next
        // ones are sent at once instead of after the rest of a 10 ms sleep.
        if (ahead)
            ahead->waitForAnswer(kPollMs);
        else
            platform::DoEvents(kPollMs);
    }
}

// The fetch of schedule entry index at its turn, with the request sent ahead for it if there is
// one: the same steps and log lines as a request sent now.
bool FetchAtTurn(const platform::Context &ctx, const ScheduleLog &log, SourceCheck &check,
                 int timeoutMs, SourcePrefetch *ahead, qsizetype index)
{
    std::unique_ptr<SentRequest> sent = ahead ? ahead->take(index) : nullptr;
    const QString &url = check.CurrentSource.URL;
    if (!sent)
        mUtil::ClearUrlCache(ctx, url); // a request sent ahead had it cleared before its send
    if (!mUtil::IsConnected(ctx)) {
        log.write(kOffline);
        return false; // a request sent ahead is aborted with its object
    }

    log.write(kIndent + QStringLiteral("Sending Request to Source Server ..."));
    if (!sent) {
        QString refusal;
        sent = SendSourceRequest(ctx, url, &refusal);
        if (!sent) {
            log.write(kCannotRequest + refusal);
            return false;
        }
    }
    log.write(kIndent + QStringLiteral("Request Sent, Waiting for Server Response ..."));

    if (!AwaitTurn(*sent, timeoutMs, ahead, index)) {
        sent->request.abort();
        log.write(kTimedOut);
        return false;
    }
    check.SourceResponse = sent->request.responseText();
    return true;
}

void CheckSource(const platform::Context &ctx, const ScheduleLog &log, const FeedRecord &entry,
                 const CheckOptions &options, QList<NewItemsCount> &summary,
                 SourcePrefetch *ahead, qsizetype index)
{
    SourceCheck check;
    check.CurrentSource = entry;
    check.SourceLatest = LoadSourceLatest(ctx, entry);
    log.write(QStringLiteral("Checking ") + entry.Name);

    // An entry without a feed identifier has no item file the check may touch.
    if (!mFeeds::IsFeedIdentifier(entry.ID)) {
        log.write(kNotAFeedIdentifier);
    } else if (FetchAtTurn(ctx, log, check, options.fetchTimeoutMs, ahead, index)) {
        log.write(kIndent + QStringLiteral("Parsing Feed content ..."));
        qint16 count = 0;
        if (entry.FeedType == kRss || entry.FeedType == kPodcast)
            count = ParseSourceRss(log, check, entry.FeedType == kPodcast);
        else if (entry.FeedType == kAtom)
            count = ParseSourceAtom(log, check, options.locale);
        if (count > 0)
            MergeSourceItems(ctx, log, check, summary, options.locale);
        log.write(kIndent + QStringLiteral("Done!"));
    }
    log.write(QStringLiteral("\r\n"));
}

} // namespace

void RunScheduledCheck(const platform::Context &ctx, NewItemsAnnouncement &announcement,
                       const CheckOptions &options)
{
    const ScheduleLog log(ctx, options.locale, options.logObserver);
    log.write(QString(), true, false);

    // A damaged entry has shown its box; the entries read before it are still checked.
    (void)mSettings::LoadSchedulerSettings(ctx, true);
    // A copy: the scheduler dialog may replace the list while a fetch lets events through.
    const QList<FeedRecord> schedule = mSettings::ScheduleList;
    if (schedule.isEmpty()) {
        log.write(kNoSources);
        log.write(QString(), false, true);
        return;
    }

    QList<NewItemsCount> summary;
    CheckRunning = true;
    std::unique_ptr<SourcePrefetch> ahead;
    if (options.maxRequestsInFlight > 1)
        ahead = std::make_unique<SourcePrefetch>(ctx, schedule, options.maxRequestsInFlight,
                                                 options.fetchTimeoutMs);
    for (qsizetype i = 0; i < schedule.size() && CheckRunning; ++i) {
        CheckSource(ctx, log, schedule.at(i), options, summary, ahead.get(), i);
        if (ahead)
            ahead->takeAnswers();
    }
    ahead.reset(); // aborts the requests sent ahead of a run that was ended
    log.write(QString(), false, true);
    ShowNewItemsPopup(announcement, summary);
    CheckRunning = false;
}

QString LoadSourceLatest(const platform::Context &ctx, const FeedRecord &source)
{
    ItemFile file(mFeeds::FeedDataPath(ctx, source.ID));
    const ItemFile::State state = file.load();
    if (state != ItemFile::State::Loaded && state != ItemFile::State::NoItems)
        return QString();
    const platform::XmlNode latest = file.latestNode();
    return latest ? latest.text() : QString();
}

bool FetchSource(const platform::Context &ctx, const ScheduleLog &log, SourceCheck &check,
                 int timeoutMs)
{
    return FetchAtTurn(ctx, log, check, timeoutMs, nullptr, 0);
}

qint16 ParseSourceRss(const ScheduleLog &log, SourceCheck &check, bool podcast)
{
    Q_UNUSED(podcast) // a podcast is read as any RSS feed
    check.SourceItems.clear();
    return AdoptParse(log, check, FeedParser::ParseRss(check.SourceResponse), false);
}

qint16 ParseSourceAtom(const ScheduleLog &log, SourceCheck &check, const QLocale &locale)
{
    check.SourceItems.clear();
    return AdoptParse(log, check, FeedParser::ParseAtom(check.SourceResponse, locale), true);
}

int MergeSourceItems(const platform::Context &ctx, const ScheduleLog &log, SourceCheck &check,
                     QList<NewItemsCount> &summary, const QLocale &locale)
{
    // Read only once an item needs it: a dated feed with nothing new never touches the file.
    std::optional<ItemFile> file;
    QSet<QString> stored; // identifiers in the file and those added in this pass
    const auto openFile = [&]() -> ItemFile & {
        if (!file) {
            file.emplace(mFeeds::FeedDataPath(ctx, check.CurrentSource.ID));
            file->loadOrStart(ItemFile::kNewItemsDocument);
            stored = file->identifiers();
        }
        return *file;
    };

    int count = 0;
    bool changed = false;
    for (qsizetype i = check.SourceItems.size() - 1; i >= 0; --i) {
        const FeedItem &item = check.SourceItems.at(i);
        const QString stamp = ItemStamp::StampOf(item, locale);
        // An undated item cannot be told from its stored copy by its stamp, only by its
        // identifier.
        if (mUtil::IsBlank(stamp) && (openFile(), stored.contains(item.ID)))
            continue;
        if (!ItemStamp::IsNewerItem(check.SourceLatest, stamp))
            continue;
        // A file that does not parse takes nothing, yet the item still counts as found.
        if (openFile().appendItem(item)) {
            stored.insert(item.ID);
            changed = true;
        }
        ++count;
    }

    if (count == 0) {
        log.write(kIndent + QStringLiteral("No New Items found!"));
        return 0;
    }
    summary.append({check.CurrentSource.Name, static_cast<qint16>(count)});
    log.write(kIndent + QString::number(count) + QStringLiteral(" New Items found!"));
    changed = openFile().setLatest(check.SourceLatest) || changed;
    // A failed save leaves the old file whole; the check has no box to show it in.
    if (changed)
        (void)file->save();
    return count;
}

void ShowNewItemsPopup(NewItemsAnnouncement &announcement, const QList<NewItemsCount> &summary)
{
    if (summary.isEmpty() || mSettings::ShowPopup != 1)
        return;
    PopupProperties properties;
    properties.AutoClose = false;
    properties.CanGainFocus = false;
    properties.MakeTransparent = true;
    properties.TransparencyPercentage = 10;
    properties.PlaySound = mSettings::PlayPopupSound == 1;
    if (properties.PlaySound)
        properties.SoundFilePath = mSettings::SoundFile;

    QStringList rows;
    for (const NewItemsCount &entry : summary)
        rows << entry.Name + QStringLiteral(" -- ") + QString::number(entry.Count)
                    + QStringLiteral(" New Items");
    announcement.announce(properties, rows);
}

} // namespace mScheduler
