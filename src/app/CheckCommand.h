#pragma once

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <QStringList>

class QIODevice;
struct FeedItem;

namespace platform {
struct Context;
}

// marlowin-check: Marlowin without windows. It reads feed files the way a refresh reads a
// fetched feed (--parse FILE), so that a shell, a script or a test can see exactly which items
// the program takes from a document; the scheduled check of the app folder (--check, or no
// arguments) is its second mode, and the OPML import and export of the app folder's
// subscriptions (--import-opml FILE, --export-opml FILE) the last two. Everything it prints is
// UTF-8.
namespace CheckCommand {

inline constexpr int kExitOk = 0;
// The file could not be read, or it holds no feed the program reads; the reason went to err.
inline constexpr int kExitFailed = 1;
// The arguments ask for nothing the program runs: unknown options, or options that conflict.
inline constexpr int kExitUsage = 2;

// Runs the program. arguments are the whole command line, program name first, as
// QCoreApplication::arguments() gives them. Items, the log of a check and the help text go to
// out; failures, usage errors and message boxes to err. Returns the exit status.
[[nodiscard]] int run(const QStringList &arguments, QIODevice &out, QIODevice &err,
                      const QLocale &locale = QLocale::system());

// --parse: reads the file's bytes, decodes their charset, recognises the feed type as the feed
// probe does (rss, then feed, then rdf), parses RSS and podcast documents as RSS and Atom
// documents as Atom, and writes one itemJson line per item, in document order. A file that
// cannot be read, is not XML, holds no feed element, or that the parser refuses gets one line
// on err (the message's title, ": ", its text) and kExitFailed. A feed without items is a
// success that prints nothing. locale names the months and makes the stamps, as the system
// locale does in the program.
[[nodiscard]] int parseFile(const QString &path, QIODevice &out, QIODevice &err,
                            const QLocale &locale = QLocale::system());

// --check: one scheduled check of the app folder platform::resolveAppFolder() names, creating
// the folder and its Data/ when they are missing. See checkAppFolder.
[[nodiscard]] int runScheduledCheck(QIODevice &out, QIODevice &err,
                                    const QLocale &locale = QLocale::system());

// --import-opml: adds the subscriptions of the OPML file to the feeds database of the app folder
// platform::resolveAppFolder() names (see Opml::importFile). The result's line goes to out, or on
// failure to err with kExitFailed; then feeds.fdb is as it was.
[[nodiscard]] int importOpml(const QString &path, QIODevice &out, QIODevice &err);

// --export-opml: writes the app folder's subscriptions to the file as OPML (see Opml::exportFile).
// The result's line goes to out, or on failure to err with kExitFailed.
[[nodiscard]] int exportOpml(const QString &path, QIODevice &out, QIODevice &err);

// One scheduled check of ctx's app folder, as the main window runs it: the schedule of its
// AppCfg.cfg, new items into its item files, its schedule.log. Each text written to the log is
// printed to out as it is written (line ends as "\n"); a popup's rows are printed after the
// run's footer, one per line. locale writes the log's dates and names the months. kExitOk:
// feeds that fail are logged, not reported through the exit status.
[[nodiscard]] int checkAppFolder(const platform::Context &ctx, QIODevice &out,
                                 const QLocale &locale = QLocale::system());

// One item as a compact JSON object without line end: title, link, day, month, year, time,
// stamp (the date as written, yyyyMMddHHmmss), utc (the date in UTC, yyyyMMddHHmmss), media,
// id (the identifier the item is stored under), guid, and descriptionLength (the
// description's length in Unicode characters).
[[nodiscard]] QByteArray itemJson(const FeedItem &item);

} // namespace CheckCommand
