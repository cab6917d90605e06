#include "reading/FeedRefresh.h"

#include "platform/Context.h"
#include "platform/EventPump.h"
#include "platform/HttpRequest.h"
#include "platform/MessageBoxes.h"
#include "platform/ReportList.h"
#include "platform/XmlDocument.h"
#include "reading/FeedParser.h"
#include "reading/ItemFile.h"
#include "reading/ItemStamp.h"
#include "reading/clsMD5.h"
#include "shell/ErrorReport.h"
#include "shell/mUtil.h"
#include "subscriptions/FeedsDatabase.h"

#include <QRegularExpression>
#include <QSet>
#include <QTime>

#include <optional>
#include <utility>

namespace {

const QString kUnread = QStringLiteral("unread");
const QString kRead = QStringLiteral("read");
const QString kNoDate = QStringLiteral("No Date Info Provided");
const QString kInvalidFormat = QStringLiteral("Invalid File format!");
const QString kLoadFailed = QStringLiteral("Failed to load the Feed Data file details.");
const QString kNoRecords = QStringLiteral("Application failed to access Records in Feed Data file!");

// Steps named in the error report when a save fails.
constexpr int kAddItemSaveStep = 6;
constexpr int kSaveLatestSaveStep = 4;
constexpr int kProcessItemSaveStep = 7;
constexpr int kMergeSaveStep = 4;
constexpr int kFetchOpenStep = 2;

enum class Action { Check, Delete, Read, Unread, GetInfo, Other };

Action ActionOf(const QString &action)
{
    if (action == u"check")
        return Action::Check;
    if (action == u"del")
        return Action::Delete;
    if (action == u"read")
        return Action::Read;
    if (action == u"unread")
        return Action::Unread;
    if (action == u"getinfo")
        return Action::GetInfo;
    return Action::Other;
}

std::optional<QString> FormatTime(const QString &time, const QLocale &locale, const QString &format)
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

QString LongTimeFormat(const QLocale &locale)
{
    return TimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
}

// A status that converts to a non-zero number is read; anything else unread.
bool IsReadStatus(const QString &status)
{
    bool isNumber = false;
    const double value = status.trimmed().toDouble(&isNumber);
    return isNumber && value != 0;
}

void CopyStoredItem(const platform::XmlNode &item, const QString &id, FeedItem &into)
{
    into = FeedItem{};
    into.ID = id;
    for (const platform::XmlNode &child : item.children()) {
        const QString name = child.name();
        if (name == u"title") {
            into.Title = child.text();
        } else if (name == u"link") {
            into.Link = child.text();
        } else if (name == u"desc") {
            into.Description = child.text();
        } else if (name == u"media") {
            into.Media = child.text();
        } else if (name == u"date") {
            const ItemDate date = SplitItemDate(child.text());
            into.Year = date.Year;
            into.Month = date.Month;
            into.Day = date.Day;
            into.Time = date.Time;
        }
    }
}

} // namespace

QString TimeFormatWithoutZone(const QString &format)
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

std::optional<QString> FormatItemTime(const QString &time, const QLocale &locale)
{
    return FormatTime(time, locale, LongTimeFormat(locale));
}

FeedReader::FeedReader(const platform::Context &ctx, platform::ReportList &lstItems,
                       CaptionSink &caption, QLocale locale)
    : m_ctx(ctx), m_list(lstItems), m_caption(caption), m_locale(std::move(locale)),
      m_timeFormat(LongTimeFormat(m_locale))
{
}

QString FeedReader::itemFilePath() const
{
    return mFeeds::FeedDataPath(m_ctx, m_feedId);
}

// ---- the refresh ------------------------------------------------------------------------------

void FeedReader::showCaption(const QString &caption)
{
    m_caption.setCaption(caption);
    m_caption.repaintTabs();
}

void FeedReader::showSuffix(const QString &suffix)
{
    showCaption(m_feedCaption + suffix);
    platform::DoEvents();
}

bool FeedReader::waitForConnection()
{
    return mUtil::WaitForConnection(
        m_ctx, platform::MessageIcon::Warning, QStringLiteral("Working Offline?"),
        QStringLiteral("Cannot check Feed URL for new Items, Application failed to access Internet "
                       "on this machine. Please make sure you're connected to Internet and Firewall "
                       "application (if any) is configured properly to grant Internet access for "
                       "Marlowin"));
}

void FeedReader::LoadFeedData(bool loadList)
{
    if (loadList) {
        showSuffix(QStringLiteral(" (loading ...)"));
        LoadItemList();
    }
    if (!m_checkForNewItems || !waitForConnection()) {
        showCaption(m_feedCaption);
        platform::DoEvents();
        return;
    }

    showSuffix(QStringLiteral(" (checking ...)"));
    // A fetch that was given up leaves FeedData as it was: the parse below reports on that.
    (void)FetchFeedData();
    while (m_stillExecuting)
        platform::DoEvents();

    showSuffix(QStringLiteral(" (parsing ...)"));
    qint16 count = 0;
    if (m_feedType == 1)
        count = ParseAtom(QString());
    else if (m_feedType == 0 || m_feedType == 2)
        count = ParseRss(QString(), m_feedType == 2);

    showSuffix(QStringLiteral(" (updating ...)"));
    if (count > 0)
        MergeNewItems();

    showCaption(m_hasNewItems ? m_feedCaption + QStringLiteral(" [new]") : m_feedCaption);
    platform::DoEvents();
}

bool FeedReader::FetchFeedData()
{
    mUtil::ClearUrlCache(m_ctx, m_feedUrl);
    platform::HttpRequest request(m_ctx.network);
    for (;;) {
        request.abort();
        if (!request.open(QStringLiteral("GET"), m_feedUrl, true)) {
            m_stillExecuting = false;
            mUtil::ReportError(m_ctx, QStringLiteral("FetchFeedData"), kFetchOpenStep,
                               request.errorString());
            return false;
        }
        request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
        request.send();

        m_stillExecuting = true;
        const platform::WaitResult result = platform::WaitForResponse(request, m_fetchTimeoutMs);
        m_stillExecuting = false;

        if (result == platform::WaitResult::Complete) {
            const QByteArray text = request.responseUtf8();
            // A failed write has shown its own box; the refresh goes on with the text.
            mUtil::WriteTextFile(m_ctx, mUtil::AddBackslash(m_ctx.appFolder) + QStringLiteral("Debug.xml"),
                                 text);
            m_feedData = text;
            return true;
        }
        request.abort();
        // Lets the aborted reply wind down before the modal box opens.
        platform::DoEvents();
        const bool retry = m_ctx.messages.retry(
            platform::MessageIcon::Warning, QStringLiteral("Server Timeout!"),
            QStringLiteral("Server did not respond in timely manner. Application failed to fetch Feed Data!"));
        if (!retry)
            return false;
    }
}

qint16 FeedReader::ParseRss(const QString &xml, bool podcast)
{
    Q_UNUSED(podcast) // a podcast is read as any RSS feed
    m_items = {}; // clear() would keep the old storage while the new items are read
    FeedParser::ParseResult result = mUtil::IsBlank(xml) ? FeedParser::ParseRss(QByteArrayView(m_feedData))
                                                         : FeedParser::ParseRss(xml);
    return adoptParse(result.status, std::move(result.items), false);
}

qint16 FeedReader::ParseAtom(const QString &xml)
{
    m_items = {}; // clear() would keep the old storage while the new items are read
    FeedParser::ParseResult result = mUtil::IsBlank(xml)
                                         ? FeedParser::ParseAtom(QByteArrayView(m_feedData), m_locale)
                                         : FeedParser::ParseAtom(xml, m_locale);
    return adoptParse(result.status, std::move(result.items), true);
}

qint16 FeedReader::adoptParse(FeedParser::ParseStatus status, QList<FeedItem> items, bool atom)
{
    if (status != FeedParser::ParseStatus::Ok) {
        const FeedParser::FailureMessage message = FeedParser::MessageFor(status, atom);
        m_ctx.messages.warning(message.title, message.text);
        return -1;
    }
    m_items = std::move(items);
    return static_cast<qint16>(qMin<qsizetype>(m_items.size(), FeedParser::kMaxItems));
}

bool FeedReader::IsNewerItem(const QString &stamp)
{
    return ItemStamp::IsNewerItem(m_latestStamp, stamp);
}

void FeedReader::MergeNewItems()
{
    m_hasNewItems = false;
    if (m_items.isEmpty())
        return;
    m_list.setSorted(false);

    // The file is read only once an item needs it: a refresh that finds nothing new in a dated
    // feed never touches it.
    std::optional<ItemFile> file;
    QSet<QString> stored; // identifiers in the file and those added in this pass
    const auto openFile = [&]() -> ItemFile & {
        if (!file) {
            file.emplace(itemFilePath());
            file->loadOrStart(ItemFile::kNewItemsDocument);
            stored = file->identifiers();
        }
        return *file;
    };
    bool changed = false;
    int added = 0;
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        const FeedItem &item = m_items.at(i);
        const QString stamp = ItemStamp::StampOf(item, m_locale);
        // An undated item cannot be told from its earlier copy by its stamp, only by its
        // identifier.
        if (mUtil::IsBlank(stamp) && (openFile(), stored.contains(item.ID)))
            continue;
        if (!IsNewerItem(stamp))
            continue;
        if (openFile().appendItem(item)) {
            stored.insert(item.ID);
            changed = true;
        }
        m_list.add(mergedRow(item, stamp), 0);
        ++added;
    }

    if (added > 0) {
        m_hasNewItems = true;
        changed = openFile().setLatest(m_latestStamp) || changed;
        QString error;
        if (changed && !file->save(&error))
            mUtil::ReportError(m_ctx, QStringLiteral("MergeNewItems"), kMergeSaveStep, error);
    }
    m_list.setSortColumn(2);
    m_list.setSortDescending(true);
    m_list.setSorted(true);
}

platform::ListRow FeedReader::mergedRow(const FeedItem &item, const QString &stamp) const
{
    platform::ListRow row;
    row.text = item.Title;
    row.icon = kUnread;
    row.bold = true;
    row.tag = item.Link;
    row.subItem1 = kNoDate;
    row.subItem2 = QStringLiteral("0");
    const bool dated = !mUtil::IsBlank(item.Year) && !mUtil::IsBlank(item.Day)
                       && !mUtil::IsBlank(item.Month) && !mUtil::IsBlank(item.Time);
    if (!dated)
        return row;
    if (const auto time = FormatTime(item.Time, m_locale, m_timeFormat)) {
        row.subItem1 = item.Day + u' ' + item.Month + u' ' + item.Year + QStringLiteral("; ") + *time;
        row.subItem2 = stamp;
    }
    return row;
}

// ---- the item file ----------------------------------------------------------------------------

void FeedReader::LoadItemList()
{
    m_stillExecuting = true;
    m_list.clear();
    m_list.setSorted(false);

    ItemFile file(itemFilePath());
    const ItemFile::State state = file.load();
    if (state == ItemFile::State::Missing) {
        m_stillExecuting = false;
        return;
    }
    if (state == ItemFile::State::NotXml) {
        m_ctx.messages.warning(kInvalidFormat, kLoadFailed);
        m_stillExecuting = false;
        return;
    }
    if (const platform::XmlNode latest = file.latestNode())
        m_latestStamp = latest.text();
    if (state == ItemFile::State::NoItems) {
        m_ctx.messages.warning(kInvalidFormat, kNoRecords);
        m_stillExecuting = false;
        return;
    }

    for (const platform::XmlNode &item : file.items().children()) {
        if (item.name() == u"item")
            m_list.add(storedRow(item));
    }
    if (m_list.count() > 0)
        m_list.scrollIntoView(0);
    m_stillExecuting = false;
    m_list.setSorted(true);
}

// Children and attributes by position: title, link, date; id, status.
platform::ListRow FeedReader::storedRow(const platform::XmlNode &item) const
{
    platform::ListRow row;
    row.text = item.child(0).text();
    row.tag = item.child(1).text();
    const ItemDate date = SplitItemDate(item.child(2).text());
    if (const auto time = FormatTime(date.Time, m_locale, m_timeFormat)) {
        row.subItem1 = date.Day + u' ' + date.Month + u' ' + date.Year + QStringLiteral(" ; ") + *time;
        FeedItem dated;
        dated.Year = date.Year;
        dated.Month = date.Month;
        dated.Day = date.Day;
        dated.Time = date.Time;
        row.subItem2 = ItemStamp::StampOf(dated, m_locale);
    }
    const bool read = IsReadStatus(item.attributeValue(1));
    row.icon = read ? kRead : kUnread;
    row.bold = !read;
    return row;
}

void FeedReader::AddItemToFile(const FeedItem &item)
{
    ItemFile file(itemFilePath());
    if (file.loadOrStart(ItemFile::kNewItemsDocument) != ItemFile::State::Loaded)
        return;
    file.appendItem(item);
    QString error;
    if (!file.save(&error))
        mUtil::ReportError(m_ctx, QStringLiteral("AddItemToFile"), kAddItemSaveStep, error);
}

void FeedReader::SaveLatest()
{
    ItemFile file(itemFilePath());
    const ItemFile::State state = file.loadOrStart(ItemFile::kNewLatestDocument);
    if (state == ItemFile::State::Missing || state == ItemFile::State::NotXml)
        return;
    if (!file.setLatest(m_latestStamp))
        return;
    QString error;
    if (!file.save(&error))
        mUtil::ReportError(m_ctx, QStringLiteral("SaveLatest"), kSaveLatestSaveStep, error);
}

bool FeedReader::ProcessItem(const QString &link, const QString &action, bool markRead)
{
    ItemFile file(itemFilePath());
    const ItemFile::State state = file.load();
    if (state == ItemFile::State::Missing) {
        m_ctx.messages.warning(
            QStringLiteral("Feed Data file is missing!"),
            QStringLiteral("Application failed to access Feed Data file. Item details cannot be fetched."));
        return false;
    }
    if (state == ItemFile::State::NotXml) {
        m_ctx.messages.warning(kInvalidFormat, kLoadFailed);
        m_stillExecuting = false;
        return false;
    }
    if (const platform::XmlNode latest = file.latestNode())
        m_latestStamp = latest.text();
    if (state == ItemFile::State::NoItems) {
        m_ctx.messages.warning(kInvalidFormat, kNoRecords);
        m_stillExecuting = false;
        return false;
    }

    const QString id = clsMD5::GetMD5(link);
    platform::XmlNode item = file.findItem(id);
    if (!item)
        return false;

    bool changed = true;
    switch (ActionOf(action)) {
    case Action::Delete:
        item.parent().removeChild(item);
        break;
    case Action::Read:
        item.setAttribute(QStringLiteral("status"), QStringLiteral("1"));
        break;
    case Action::Unread:
        item.setAttribute(QStringLiteral("status"), QStringLiteral("0"));
        break;
    case Action::GetInfo:
        CopyStoredItem(item, id, m_currentItem);
        if (markRead)
            item.setAttribute(QStringLiteral("status"), QStringLiteral("1"));
        changed = markRead;
        break;
    case Action::Check:
    case Action::Other:
        changed = false;
        break;
    }
    QString error;
    if (changed && !file.save(&error)) {
        mUtil::ReportError(m_ctx, QStringLiteral("ProcessItem"), kProcessItemSaveStep, error);
        return false;
    }
    return true;
}
