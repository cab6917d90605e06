#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QUrl;

struct FeedItem;

// The preview page of an item, built from the template view.tpl, and what the item commands take
// from it. Plain text work, no widgets.
namespace PreviewPage {

// The template with its placeholders replaced, one after the other and each wherever it occurs
// (exact, case-sensitive): [[title]], [[link]] (itemAddress), [[app]] ("Marlowin"), [[desc]]
// (every LF as CR LF), [[date]] ("01 May 2006") and [[time]] (as stored). Each replacement works
// on the text the previous ones left. The title and the address are plain text and go in
// HTML-escaped, so "x < y" or a quote in a link cannot break the page; the description is HTML
// and goes in as it is (the preview neither runs scripts nor fetches anything). A title longer
// than kTitleLength characters goes in cut there, with "…".
[[nodiscard]] QString fill(const QString &tpl, const FeedItem &item);

// A title is a line or two. What a feed sends beyond this is no title, and it would stand in the
// page as often as the template names it.
inline constexpr qsizetype kTitleLength = 1024;

// The address an item stands for: its media URL when it has one, otherwise its link.
[[nodiscard]] QString itemAddress(const FeedItem &item);

// True for an http or https address, the only ones "View Online" hands to the desktop.
[[nodiscard]] bool isWebAddress(const QString &address);

// What a page's body holds: the text between the end of its <body ...> tag and its last </body>
// (or the end of the text), tags matched without regard to case. A page without a body tag
// comes back whole.
[[nodiscard]] QString bodyInnerHtml(const QString &page);

// The bytes a data: URL carries ("data:[type][;base64],payload"); nothing for another scheme or a
// payload that does not decode.
[[nodiscard]] std::optional<QByteArray> dataUrlBytes(const QUrl &url);

} // namespace PreviewPage
