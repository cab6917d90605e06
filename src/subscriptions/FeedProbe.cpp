#include "subscriptions/FeedProbe.h"

#include "common/Connection.h"
#include "common/ErrorReport.h"
#include "common/Files.h"
#include "common/Text.h"
#include "platform/Context.h"
#include "platform/EventPump.h"
#include "platform/HttpRequest.h"
#include "platform/MessageBoxes.h"
#include "platform/XmlDocument.h"

namespace FeedProbe {
namespace {

// The step of the probe that opens the request, named in the error report when it is refused.
constexpr int kOpenStep = 4;

const QString kOperation = QStringLiteral("CheckFeed");

// The element that makes a document a feed, and where its podcast marker and title stand.
struct FeedShape {
    QString root;
    QString podcastMarker; // empty: the kind has no podcast variant
    QString title;
    FeedType type;
};

// In the order in which they are tried: a document with both an rss and a feed element is RSS.
const FeedShape kShapes[] = {
    {QStringLiteral(".//rss"), QStringLiteral(".//rss/channel/itunes:summary"),
     QStringLiteral(".//rss/channel/title"), FeedType::Rss},
    {QStringLiteral(".//feed"), QString(), QStringLiteral(".//feed/title"), FeedType::Atom},
    {QStringLiteral(".//rdf"), QStringLiteral(".//rdf/channel/itunes:summary"),
     QStringLiteral(".//rdf/channel/title"), FeedType::Rss},
};

// Asks until the system reports a connection; false when the user cancels.
bool waitForConnection(const platform::Context &ctx)
{
    return Connection::waitFor(
        ctx, platform::MessageIcon::Information, QStringLiteral("Failed to access Internet!"),
        QStringLiteral("Application attempted to fetch Feed data to test Feed URL but failed to "
                       "access Internet connection on this machine. Please make sure that you're "
                       "connected to Internet and Firewall application (if any) is configured "
                       "properly to grant Internet Access for this application."));
}

void reportTimeout(const platform::Context &ctx)
{
    ctx.messages.information(
        QStringLiteral("Timeout Error!"),
        QStringLiteral("Server did not respond in timely manner. Application failed to access Feed "
                       "data. Server may be down right now, please try again later."));
}

void reportInvalidData(const platform::Context &ctx)
{
    ctx.messages.warning(
        QStringLiteral("Invalid Feed Data Format!"),
        QStringLiteral("Feed data returned by specified URL is not in a valid format. "
                       "Please check URL and try again ..."));
}

void reportUnsupported(const platform::Context &ctx)
{
    ctx.messages.information(
        QStringLiteral("Feed Type Not Supported!"),
        QStringLiteral("Format of data returned by specified Feed URL is not supported by current "
                       "version of application. Please specify RSS 2.0 or ATOM 1.0 type Feed that "
                       "may include PodCast media information."));
}

// Judges a complete response by its text alone. Only a well-formed document is kept in
// Debug.xml, so that the file shows what the type detection looked at.
FeedType judgeResponse(const platform::Context &ctx, const QString &responseText,
                       QString &channelTitle)
{
    platform::XmlDocument doc;
    if (!doc.loadXML(responseText)) {
        reportInvalidData(ctx);
        return FeedType::Unknown;
    }
    // A failed write has shown its own box; the probe's answer does not depend on the file.
    Files::writeText(ctx, Files::withTrailingSlash(ctx.appFolder) + QStringLiteral("Debug.xml"),
                     responseText);
    const FeedType type = detectFeedType(doc, &channelTitle);
    if (type == FeedType::Unknown)
        reportUnsupported(ctx);
    return type;
}

} // namespace

FeedType detectFeedType(const platform::XmlDocument &doc, QString *title)
{
    for (const FeedShape &shape : kShapes) {
        if (!doc.selectSingleNode(shape.root))
            continue;
        const bool podcast
            = !shape.podcastMarker.isEmpty() && doc.selectSingleNode(shape.podcastMarker);
        const platform::XmlNode titleNode = doc.selectSingleNode(shape.title);
        if (titleNode && title)
            *title = Text::withoutControlCharacters(titleNode.text());
        return podcast ? FeedType::Podcast : shape.type;
    }
    return FeedType::Unknown;
}

FeedType checkFeed(const platform::Context &ctx, const QString &url, QString &channelTitle,
                   int timeoutMs)
{
    platform::HttpRequest request(ctx.network, &ctx.responseBudget);
    if (!waitForConnection(ctx))
        return FeedType::Unknown;

    if (!request.open(QStringLiteral("GET"), url, true)) {
        ErrorReport::show(ctx, kOperation, kOpenStep, request.errorString());
        return FeedType::Unknown;
    }
    request.setRequestHeader(QStringLiteral("Cache-Control"), QStringLiteral("no-cache"));
    request.send();

    if (platform::waitForResponse(request, ctx.clock, timeoutMs)
        == platform::WaitResult::TimedOut) {
        request.abort();
        // Lets the aborted reply wind down before the modal box opens.
        platform::doEvents();
        reportTimeout(ctx);
        return FeedType::Unknown;
    }
    return judgeResponse(ctx, request.responseText(), channelTitle);
}

} // namespace FeedProbe
