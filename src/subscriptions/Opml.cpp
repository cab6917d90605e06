#include "subscriptions/Opml.h"

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Context.h"
#include "subscriptions/FeedsDatabase.h"
#include "subscriptions/OpmlReader.h"
#include "subscriptions/OpmlWriter.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <optional>

using platform::XmlNode;

namespace Opml {
namespace {

// A subscription list is a few kilobytes to a few hundred; anything near this is something else.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

// The walks over categories and feeds count with 16-bit signed integers.
constexpr int kMaxChildren = 32767;

const QString kNotAList = QStringLiteral("The file is not an OPML subscription list: %1.");

ImportResult failed(const QString &error)
{
    ImportResult result;
    result.error = error;
    return result;
}

// The web address a "feed:" address stands for ("feed:https://host/x", "feed://host/x"), which
// is how some pages hand an address to a reader; other addresses as they are.
QString webAddressOf(const QString &address)
{
    static const QLatin1String feed("feed:");
    if (!address.startsWith(feed, Qt::CaseInsensitive))
        return address;
    const QString rest = address.sliced(feed.size());
    if (rest.startsWith(QLatin1String("//")))
        return QStringLiteral("http:") + rest;
    return rest;
}

// Why an address cannot be a feed's, or nothing when it can: feeds are fetched over HTTP(S).
QString refusalOf(const QString &address)
{
    if (std::any_of(address.cbegin(), address.cend(), [](QChar c) { return c.unicode() < 0x20; }))
        return QStringLiteral("it holds a line break or another control character");
    const QUrl url(webAddressOf(address), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https")
        return QStringLiteral("only http, https and feed addresses can be feeds");
    if (!url.isValid() || url.host().isEmpty())
        return QStringLiteral("it is no valid web address");
    return {};
}

QString counted(int count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// Applies a read list to the open database: the categories it lacks, then the feeds that their
// category does not hold yet. Nothing is saved here.
class ImportPlan {
public:
    explicit ImportPlan(Feeds::FeedsDatabase &database)
        : m_database(database)
    {
        // The first category of a name is the one every lookup finds, as findCategory does;
        // indexing them once keeps a list of many folders from scanning the database per folder.
        for (const XmlNode &category : m_database.categories().children()) {
            const QString key = category.attributeValue(0).toLower();
            if (category.isElement() && !m_categories.contains(key))
                m_categories.insert(key, category);
        }
    }

    void add(const ListedFolder &folder)
    {
        XmlNode category = categoryFor(folder.name);
        QSet<QString> &urls = m_urls[folder.name.toLower()];
        for (ListedFeed feed : folder.feeds) {
            if (const QString refusal = refusalOf(feed.url); !refusal.isEmpty()) {
                result.refused << feed.url + QStringLiteral(": ") + refusal;
                continue;
            }
            feed.url = webAddressOf(feed.url);
            if (urls.contains(feed.url.toLower())) {
                ++result.feedsSkipped;
                continue;
            }
            urls.insert(feed.url.toLower());
            category.appendChild(feedElement(feed));
            ++result.feedsAdded;
        }
        if (category.childCount() > kMaxChildren)
            m_tooLarge = category.attributeValue(0);
    }

    // Why the database may not take the result; empty when it may.
    [[nodiscard]] QString refusal() const
    {
        if (m_database.categories().childCount() > kMaxChildren)
            return QStringLiteral("The subscriptions would then have more than %1 categories, "
                                  "more than Marlowin keeps.")
                .arg(kMaxChildren);
        if (m_tooLarge)
            return QStringLiteral("The category \"%1\" would then hold more than %2 feeds, more "
                                  "than Marlowin keeps in one category.")
                .arg(*m_tooLarge)
                .arg(kMaxChildren);
        return {};
    }

    [[nodiscard]] bool changed() const
    {
        return result.feedsAdded > 0 || result.categoriesAdded > 0;
    }

    ImportResult result;

private:
    // The category of that name without regard to case, created when there is none. Its feeds'
    // URLs seed the set that skips duplicates, once, whichever letter case asked first.
    XmlNode categoryFor(const QString &name)
    {
        const QString key = name.toLower();
        XmlNode category = m_categories.value(key);
        if (!category) {
            category = m_database.document().createElement(QStringLiteral("category"));
            category.setAttribute(QStringLiteral("name"), name);
            category = m_database.categories().appendChild(category);
            m_categories.insert(key, category);
            ++result.categoriesAdded;
        }
        if (!m_urls.contains(key)) {
            QSet<QString> &urls = m_urls[key];
            for (const XmlNode &feed : category.children())
                urls.insert(feed.text().toLower());
        }
        return category;
    }

    XmlNode feedElement(const ListedFeed &feed)
    {
        // name, type, id in this order: readers of feeds.fdb take them by position.
        XmlNode element = m_database.document().createElement(QStringLiteral("feed"));
        element.setAttribute(QStringLiteral("name"), feed.name);
        element.setAttribute(QStringLiteral("type"), QString::number(storedNumber(feed.type)));
        element.setAttribute(QStringLiteral("id"), Feeds::newFeedIdentifier());
        element.setText(feed.url);
        return element;
    }

    Feeds::FeedsDatabase &m_database;
    QHash<QString, XmlNode> m_categories; // by lower-cased name
    QHash<QString, QSet<QString>> m_urls; // by lower-cased category name
    std::optional<QString> m_tooLarge;    // a category that would hold too many feeds
};

std::vector<ListedFolder> foldersOf(const Feeds::FeedsDatabase &database)
{
    std::vector<ListedFolder> folders;
    for (const XmlNode &category : database.categories().children()) {
        if (!category.isElement())
            continue;
        ListedFolder folder{category.attributeValue(0), {}};
        for (const XmlNode &feed : category.children()) {
            if (feed.name() != u"feed")
                continue;
            // A type that is no number is left to the tree to complain about; here it is RSS,
            // so that the feed still leaves with the others.
            const FeedType type = feedTypeFromNumber(feed.attributeValue(1).toShort());
            folder.feeds.push_back({feed.attributeValue(0), feed.text(), type});
        }
        folders.push_back(std::move(folder));
    }
    return folders;
}

} // namespace

ImportResult importFile(const platform::Context &ctx, const QString &opmlPath)
{
    QFile file(opmlPath);
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("The file \"%1\" could not be read: %2.")
                          .arg(opmlPath, file.errorString()));
    if (file.size() > kMaxFileSize)
        return failed(kNotAList.arg(
            QStringLiteral("it is larger than %1 MB").arg(kMaxFileSize / (1024 * 1024))));
    const ReadResult list = readOpml(file.read(kMaxFileSize + 1));
    if (!list.ok)
        return failed(kNotAList.arg(list.reason));

    auto database = Feeds::FeedsDatabase::open(ctx);
    if (!database)
        return failed(
            QStringLiteral("The feeds database could not be opened; nothing was imported."));
    ImportPlan plan(*database);
    for (const ListedFolder &folder : list.folders)
        plan.add(folder);
    if (const QString refusal = plan.refusal(); !refusal.isEmpty())
        return failed(refusal + QStringLiteral(" Nothing was imported."));
    if (plan.changed()) {
        QString error;
        if (!database->save(&error))
            return failed(QStringLiteral("The feeds database could not be saved (%1); nothing "
                                         "was imported.")
                              .arg(error));
    }
    plan.result.ok = true;
    return plan.result;
}

QString importMessage(const ImportResult &result)
{
    if (!result.ok)
        return result.error;
    QString message = QStringLiteral("Imported ") + counted(result.feedsAdded, "feed", "feeds");
    if (result.categoriesAdded > 0)
        message += QStringLiteral(" in ")
            + counted(result.categoriesAdded, "new category", "new categories");
    if (result.feedsSkipped > 0)
        message += QStringLiteral(" (%1 already subscribed %2 skipped)")
                       .arg(result.feedsSkipped)
                       .arg(QLatin1String(result.feedsSkipped == 1 ? "was" : "were"));
    message += QLatin1Char('.');
    for (const QString &refused : result.refused)
        message += QStringLiteral("\nNot imported: ") + refused + QLatin1Char('.');
    return message;
}

bool exportFile(const platform::Context &ctx, const QString &opmlPath, QString *error,
                ExportSummary *summary)
{
    const auto database = Feeds::FeedsDatabase::open(ctx);
    if (!database) {
        if (error)
            *error
                = QStringLiteral("The feeds database could not be opened; nothing was exported.");
        return false;
    }
    const std::vector<ListedFolder> folders = foldersOf(*database);
    const platform::WriteResult written
        = platform::writeFileAtomically(opmlPath, writeOpml(folders, ctx.clock.now()));
    if (!written.ok) {
        if (error)
            *error = QStringLiteral("The subscriptions could not be written to \"%1\": %2.")
                         .arg(opmlPath, written.errorText);
        return false;
    }
    if (summary) {
        summary->categories = int(folders.size());
        summary->feeds = 0;
        for (const ListedFolder &folder : folders)
            summary->feeds += int(folder.feeds.size());
    }
    return true;
}

QString exportMessage(const ExportSummary &summary, const QString &opmlPath)
{
    return QStringLiteral("Exported %1 in %2 to \"%3\".")
        .arg(counted(summary.feeds, "feed", "feeds"),
             counted(summary.categories, "category", "categories"), opmlPath);
}

} // namespace Opml
