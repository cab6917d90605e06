#include "reading/FeedRefresh.h"

#include "common/Connection.h"
#include "common/ErrorReport.h"
#include "common/Text.h"
#include "platform/Clock.h"
#include "platform/Context.h"
#include "platform/FileLock.h"
#include "platform/MessageBoxes.h"
#include "platform/ReportList.h"
#include "platform/XmlDocument.h"
#include "reading/FeedParser.h"
#include "reading/ItemFile.h"
#include "reading/ItemStamp.h"
#include "reading/ItemStore.h"
#include "reading/LongRuns.h"
#include "subscriptions/FeedsDatabase.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTime>

#include <optional>
#include <utility>

namespace {

const QString kUnread = QStringLiteral("unread");
const QString kRead = QStringLiteral("read");
const QString kNoDate = QStringLiteral("No Date Info Provided");
const QString kInvalidFormat = QStringLiteral("Invalid File format!");
const QString kLoadFailed = QStringLiteral("Failed to load the Feed Data file details.");
const QString kNoRecords
    = QStringLiteral("Application failed to access Records in Feed Data file!");

// Steps named in the error report when a save fails.
constexpr int kProcessItemSaveStep = 7;
constexpr int kMergeSaveStep = 4;
constexpr int kFetchOpenStep = 2;

std::optional<QString> formatTime(const QString &time, const QLocale &locale, const QString &format)
{
    const QString text = time.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    QTime value = QTime::fromString(text, QStringLiteral("H:m:s"));
    if (!value.isValid())
        value = QTime::fromString(text, QStringLiteral("H:m"));
    if (!value.isValid())
        return std::nullopt;
    return locale.toString(value, format);
}

QString longTimeFormat(const QLocale &locale)
{
    return timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
}

// A status that converts to a non-zero number is read; anything else unread.
bool isReadStatus(const QString &status)
{
    bool isNumber = false;
    const double value = status.trimmed().toDouble(&isNumber);
    return isNumber && value != 0;
}

// A stored item as the list shows it: title, link and date by position, as every list reader
// takes them.
FeedItem listedItem(const platform::XmlNode &item)
{
    FeedItem listed;
    listed.id = item.attributeValue(0);
    listed.utc = item.attribute(QStringLiteral("utc"));
    listed.title = item.child(0).text();
    listed.link = item.child(1).text();
    const ItemDate date = splitItemDate(item.child(2).text());
    listed.year = date.year;
    listed.month = date.month;
    listed.day = date.day;
    listed.time = date.time;
    return listed;
}

} // namespace

QString timeFormatWithoutZone(const QString &format)
{
    // A zone field with what only frames it: blanks, a comma before it, brackets around it. No
    // match can cross a quote, so each lies wholly inside or outside quoted (literal) text.
    static const QRegularExpression zone(QStringLiteral(R"(\s*,?\s*[(\[]?t+[)\]]?\s*)"));
    QList<bool> quoted(format.size() + 1, false);
    bool inQuotes = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format.at(i) == u'\'')
            inQuotes = !inQuotes;
        quoted[i] = inQuotes;
    }

    QString result;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch &match : zone.globalMatch(format)) {
        if (quoted.at(match.capturedStart()))
            continue;
        result += QStringView(format).sliced(copied, match.capturedStart() - copied);
        if (match.capturedStart() > 0 && match.capturedEnd() < format.size())
            result += u' ';
        copied = match.capturedEnd();
    }
    result += QStringView(format).sliced(copied);
    return result;
}

std::optional<QString> formatItemTime(const QString &time, const QLocale &locale)
{
    return formatTime(time, locale, longTimeFormat(locale));
}

FeedReader::FeedReader(const platform::Context &ctx, platform::ReportList &lstItems,
                       CaptionSink &caption, QLocale locale, QObject *parent)
    : QObject(parent)
    , m_ctx(ctx)
    , m_list(lstItems)
    , m_caption(caption)
    , m_locale(std::move(locale))
    , m_timeFormat(longTimeFormat(m_locale))
{
}

FeedReader::~FeedReader() = default;

QString FeedReader::itemFilePath() const
{
    return Feeds::feedDataPath(m_ctx, m_feedId);
}

// ---- the refresh ------------------------------------------------------------------------------

void FeedReader::showCaption(const QString &stage)
{
    m_caption.setCaption(LongRuns::shortLine(m_feedCaption) + stage);
    m_caption.repaintTabs();
}

bool FeedReader::waitForConnection()
{
    return Connection::waitFor(
        m_ctx, platform::MessageIcon::Warning, QStringLiteral("Working Offline?"),
        QStringLiteral(
            "Cannot check Feed URL for new Items, Application failed to access Internet "
            "on this machine. Please make sure you're connected to Internet and Firewall "
            "application (if any) is configured properly to grant Internet access for "
            "Marlowin"));
}

void FeedReader::loadFeedData(bool loadList)
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    if (loadList) {
        showCaption(QStringLiteral(" (loading ...)"));
        loadItemList();
    }
    if (!m_checkForNewItems || !waitForConnection()) {
        finishRefresh();
        return;
    }
    startUpdate();
}

void FeedReader::startUpdate()
{
    showCaption(QStringLiteral(" (checking ...)"));
    FeedUpdateRequest request;
    request.feedId = m_feedId;
    request.url = m_feedUrl;
    request.storedType = m_feedType;
    request.locale = m_locale;
    request.timeoutMs = m_fetchTimeoutMs;
    request.keepDebugCopy = true;
    m_update = new FeedUpdate(m_ctx, request, this);
    connect(m_update, &FeedUpdate::stageChanged, this, [this](FeedUpdate::Stage stage) {
        showCaption(stage == FeedUpdate::Stage::Parsing ? QStringLiteral(" (parsing ...)")
                                                        : QStringLiteral(" (updating ...)"));
    });
    connect(m_update, &FeedUpdate::finished, this, &FeedReader::updateFinished);
    m_update->start();
}

void FeedReader::cancelRefresh()
{
    if (m_update) {
        m_update->cancel();
        m_update->deleteLater();
        m_update = nullptr;
    }
    m_refreshing = false;
}

void FeedReader::updateFinished(const FeedUpdateResult &result)
{
    // The update is done with; the boxes below may run the event loop.
    m_update->deleteLater();
    m_update = nullptr;
    using Outcome = FeedUpdateResult::Outcome;
    switch (result.outcome) {
    case Outcome::TimedOut:
        if (m_ctx.messages.retry(
                platform::MessageIcon::Warning, QStringLiteral("Server Timeout!"),
                QStringLiteral("Server did not respond in timely manner. Application "
                               "failed to fetch Feed Data!"))) {
            startUpdate();
            return;
        }
        break;
    case Outcome::Offline:
        if (waitForConnection()) {
            startUpdate();
            return;
        }
        break;
    case Outcome::Refused:
        ErrorReport::show(m_ctx, QStringLiteral("FetchFeedData"), kFetchOpenStep, result.errorText);
        break;
    case Outcome::FetchFailed:
        m_ctx.messages.warning(QStringLiteral("Failed to fetch Feed Data!"), result.errorText);
        break;
    case Outcome::ParseFailed:
    case Outcome::SaveFailed:
    case Outcome::Stored:
        m_feedData = result.document;
        showResult(result);
        break;
    }
    finishRefresh();
}

void FeedReader::showResult(const FeedUpdateResult &result)
{
    if (result.correctedType != FeedType::Unknown && result.correctedType != m_feedType) {
        m_feedType = result.correctedType;
        Q_EMIT feedTypeCorrected(m_feedType);
    }
    if (!result.setAsidePath.isEmpty()) {
        m_ctx.messages.warning(
            QStringLiteral("Feed Data file replaced!"),
            QStringLiteral(
                "The Feed Data file could not be read. It was set aside as \"%1\", and a new "
                "file keeps the Items the Feed still offers.")
                .arg(QFileInfo(result.setAsidePath).fileName()));
        m_list.clear();
    }
    if (result.outcome == FeedUpdateResult::Outcome::ParseFailed) {
        const FeedParser::FailureMessage message
            = FeedParser::messageFor(result.parseStatus, result.readAsAtom());
        m_ctx.messages.warning(message.title, message.text);
    } else if (result.outcome == FeedUpdateResult::Outcome::SaveFailed) {
        ErrorReport::show(m_ctx, QStringLiteral("MergeNewItems"), kMergeSaveStep, result.errorText);
    } else if (result.documentItems > 0) {
        showStoredItems(result);
    }
}

// New rows go to the top in bold, changed ones are rewritten where they stand, and the list is
// sorted by date, newest first, as a refresh always leaves it.
void FeedReader::showStoredItems(const FeedUpdateResult &result)
{
    m_hasNewItems = !result.added.isEmpty();
    m_list.setSorted(false);
    for (const FeedItem &item : result.added)
        m_list.add(rowOf(item, false, RowSource::Fetched), 0);
    if (!result.renamed.isEmpty() || !result.updated.isEmpty()) {
        QHash<QString, int> rowOfKey;
        for (int row = 0; row < m_list.count(); ++row)
            rowOfKey.insert(m_list.row(row).key, row);
        // Rows of items stored under an identifier the feed no longer gives them follow them.
        for (const auto &[before, now] : result.renamed) {
            const int row = rowOfKey.value(before, -1);
            if (row < 0)
                continue;
            platform::ListRow shown = m_list.row(row);
            shown.key = now;
            m_list.setRow(row, shown);
            rowOfKey.insert(now, row);
        }
        for (const FeedItem &item : result.updated) {
            const int row = rowOfKey.value(item.id, -1);
            if (row < 0)
                continue;
            platform::ListRow shown = m_list.row(row);
            const platform::ListRow fresh = rowOf(item, !shown.bold, RowSource::Fetched);
            shown.text = fresh.text;
            shown.tag = fresh.tag;
            shown.subItem1 = fresh.subItem1;
            shown.subItem2 = fresh.subItem2;
            m_list.setRow(row, shown);
        }
    }
    m_list.setSortColumn(2);
    m_list.setSortDescending(true);
    m_list.setSorted(true);
}

void FeedReader::finishRefresh()
{
    showCaption(m_hasNewItems ? QStringLiteral(" [new]") : QString());
    m_refreshing = false;
    Q_EMIT refreshFinished();
}

// Title; the date as shown, with its sort key; the identifier as key and the link as tag. A
// fetched item whose date cannot be shown says so and sorts as the oldest; a stored one shows
// nothing there.
platform::ListRow FeedReader::rowOf(const FeedItem &item, bool read, RowSource source) const
{
    platform::ListRow row;
    row.text = LongRuns::shortLine(item.title);
    row.key = item.id;
    row.tag = item.link;
    row.icon = read ? kRead : kUnread;
    row.bold = !read;
    if (source == RowSource::Fetched) {
        row.subItem1 = kNoDate;
        row.subItem2 = QStringLiteral("0");
    }
    const bool dated = !Text::isBlank(item.year) && !Text::isBlank(item.day)
        && !Text::isBlank(item.month) && !Text::isBlank(item.time);
    if (!dated)
        return row;
    if (const auto time = formatTime(item.time, m_locale, m_timeFormat)) {
        const QString separator
            = source == RowSource::Fetched ? QStringLiteral("; ") : QStringLiteral(" ; ");
        row.subItem1 = item.day + u' ' + item.month + u' ' + item.year + separator + *time;
        row.subItem2 = ItemStamp::sortKey(item);
    }
    return row;
}

// ---- the item file ----------------------------------------------------------------------------

void FeedReader::loadItemList()
{
    m_loadingList = true;
    m_list.clear();
    m_list.setSorted(false);

    ItemFile file(itemFilePath());
    const ItemFile::State state = file.load();
    if (state == ItemFile::State::Missing) {
        m_loadingList = false;
        return;
    }
    if (state == ItemFile::State::NotXml) {
        m_ctx.messages.warning(kInvalidFormat, kLoadFailed);
        m_loadingList = false;
        return;
    }
    if (const platform::XmlNode latest = file.latestNode())
        m_latestStamp = latest.text();
    if (state == ItemFile::State::NoItems) {
        m_ctx.messages.warning(kInvalidFormat, kNoRecords);
        m_loadingList = false;
        return;
    }

    for (const platform::XmlNode &item : file.items().children()) {
        if (item.name() == u"item")
            m_list.add(
                rowOf(listedItem(item), isReadStatus(item.attributeValue(1)), RowSource::Stored));
    }
    if (m_list.count() > 0)
        m_list.scrollIntoView(0);
    m_loadingList = false;
    m_list.setSorted(true);
}

bool FeedReader::processItem(const QString &id, ItemAction action, bool markRead)
{
    const bool changes = action == ItemAction::Delete || action == ItemAction::MarkRead
        || action == ItemAction::MarkUnread || (action == ItemAction::Load && markRead);
    const QString path = itemFilePath();
    // A change is made to the file as it is on disk now, under its lock: a merge of a check or
    // another program meanwhile is kept.
    platform::FileLock lock(path);
    if (changes && !path.isEmpty() && !lock.acquire(ItemStore::kLockWaitMs)) {
        ErrorReport::show(m_ctx, QStringLiteral("ProcessItem"), kProcessItemSaveStep,
                          lock.errorText());
        return false;
    }

    ItemFile file(path);
    const ItemFile::State state = file.load();
    if (state == ItemFile::State::Missing) {
        m_ctx.messages.warning(
            QStringLiteral("Feed Data file is missing!"),
            QStringLiteral(
                "Application failed to access Feed Data file. Item details cannot be fetched."));
        return false;
    }
    if (state == ItemFile::State::NotXml) {
        m_ctx.messages.warning(kInvalidFormat, kLoadFailed);
        return false;
    }
    if (const platform::XmlNode latest = file.latestNode())
        m_latestStamp = latest.text();
    if (state == ItemFile::State::NoItems) {
        m_ctx.messages.warning(kInvalidFormat, kNoRecords);
        return false;
    }

    platform::XmlNode item = file.findItem(id);
    if (!item)
        return false;

    switch (action) {
    case ItemAction::Delete:
        item.parent().removeChild(item);
        file.recordDeleted(id, m_ctx.clock.now().date());
        break;
    case ItemAction::MarkRead:
        item.setAttribute(QStringLiteral("status"), QStringLiteral("1"));
        break;
    case ItemAction::MarkUnread:
        item.setAttribute(QStringLiteral("status"), QStringLiteral("0"));
        break;
    case ItemAction::Load:
        m_currentItem = ItemFile::storedItem(item);
        if (markRead)
            item.setAttribute(QStringLiteral("status"), QStringLiteral("1"));
        break;
    case ItemAction::Find:
        break;
    }
    QString error;
    if (changes && !file.save(&error)) {
        ErrorReport::show(m_ctx, QStringLiteral("ProcessItem"), kProcessItemSaveStep, error);
        return false;
    }
    return true;
}
