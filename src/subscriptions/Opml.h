#pragma once

#include <QString>
#include <QStringList>

namespace platform {
struct Context;
}

// Subscription lists in OPML 2.0, the format other feed readers import and export. An import
// takes the whole list or nothing: the feeds database is loaded once and saved once, and a file
// that is not a subscription list, or any failure on the way, leaves feeds.fdb as it was.
namespace Opml {

struct ImportResult {
    bool ok = false;
    int feedsAdded = 0;
    int categoriesAdded = 0;
    int feedsSkipped = 0; // already in their category (URL compared without regard to case)
    // Feeds left out because their address is no web feed's: "<address>: <reason>", in list order.
    QStringList refused;
    QString error; // on failure: the whole text to show the user
};

// Adds the feeds of the OPML file to the feeds database. Each feed (an outline with an xmlUrl)
// goes into the category named by the text, else the title, of its top-level folder outline;
// deeper folders count as their top-level folder, and feeds outside any folder go to
// "Imported". Only http, https and feed addresses become feeds; any other (javascript:, file:,
// data:, a bare path, one with a line break) is left out and listed in refused. Every top-level folder becomes a category, also an empty one. Categories are
// matched without regard to case; a new one takes the folder's name as written. A feed's name
// is its text, else its title, else its URL; its type comes from the outline's type ("atom" 1,
// "podcast" 2, anything else 0), or marlowinType="podcast" that Export writes. A feed whose URL
// its category already holds, also from earlier in the same file, is skipped. Nothing is
// fetched. The charset is the one the file declares; no DTD or entity is expanded. An import
// that would leave more than 32767 categories, or feeds in one category, is refused. A feeds
// database that cannot be read shows its own warning box before the import fails.
[[nodiscard]] ImportResult importFile(const platform::Context &ctx, const QString &opmlPath);

// The line the user sees after an import: "Imported 12 feeds in 3 new categories (2 already
// subscribed were skipped)." on success, followed by a line per refused address; the failure's
// text otherwise.
[[nodiscard]] QString importMessage(const ImportResult &result);

struct ExportSummary {
    int categories = 0;
    int feeds = 0;
};

// Writes the whole feeds database as an indented UTF-8 OPML 2.0 file, replacing the file only
// once it is completely written: one folder outline per category (text and title = the name),
// holding one outline per feed with text and title = its name, type "rss" or "atom" and
// xmlUrl = its URL. A podcast is type "rss" with marlowinType="podcast", so that Import brings
// it back as a podcast. dateCreated is ctx.clock's time in RFC 822 form. False, with the
// failure's text in *error, when the database cannot be read or the file cannot be written;
// the counts go to *summary when given.
[[nodiscard]] bool exportFile(const platform::Context &ctx, const QString &opmlPath, QString *error,
                              ExportSummary *summary = nullptr);

// The line the user sees after a successful export: 'Exported 12 feeds in 3 categories to
// "<path>".'
[[nodiscard]] QString exportMessage(const ExportSummary &summary, const QString &opmlPath);

} // namespace Opml
