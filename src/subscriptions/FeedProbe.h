#pragma once

#include "common/FeedType.h"

#include <QString>
#include <QtGlobal>

namespace platform {
struct Context;
class XmlDocument;
} // namespace platform

// Fetching a feed address to learn what kind of feed it serves, as the add and edit feed dialog
// does before it stores a subscription. The results are feed type codes: 0 RSS, 1 Atom,
// 2 podcast (RSS whose channel has an itunes:summary), -1 failure.
namespace FeedProbe {

// Time the probe waits for a complete response.
inline constexpr int kProbeTimeoutMs = 6000;

// The feed type of a parsed document, or -1 when it holds no rss, feed or rdf element. Elements
// are matched by their name as written, prefix included and case-sensitive, without namespace
// resolution; the first of these that exists decides:
//   an rss element anywhere: 2 when its channel child has an itunes:summary child, else 0;
//   a feed element anywhere: 1 (Atom, with or without a default namespace);
//   an rdf element anywhere: as rss. A root written rdf:RDF is not an rdf element.
// When the deciding element's title exists (rss/channel/title, feed/title, rdf/channel/title,
// the first in document order) *title receives its text, untrimmed; otherwise *title is left as
// it was. title may be null. Shows nothing, so tools without windows can use it too.
[[nodiscard]] FeedType detectFeedType(const platform::XmlDocument &doc, QString *title);

// Probes a feed address for the add and edit feed dialog and returns its feed type, or -1.
//
// While the system reports no connection, a Retry/Cancel box asks the user (Cancel: -1). Then
// one GET with "Cache-Control: no-cache", waiting at most timeoutMs while the event loop runs.
// Every failure shows its box before -1 is returned: "Timeout Error!" (no complete response in
// time, the request is aborted), "Invalid Feed Data Format!" (the response text is not
// well-formed XML), "Feed Type Not Supported!" (detectFeedType found nothing), and the
// "CheckFeed Function" error report for an address the request refuses. The HTTP status is
// never looked at: an error page is judged by its text like any response.
//
// A well-formed response is written to Debug.xml in the app folder (text plus CR LF) before its
// type is detected. channelTitle (the dialog's name field) receives the feed's title only when
// the feed has one; on every other path it keeps what it held.
[[nodiscard]] FeedType checkFeed(const platform::Context &ctx, const QString &url,
                                 QString &channelTitle, int timeoutMs = kProbeTimeoutMs);

} // namespace FeedProbe
