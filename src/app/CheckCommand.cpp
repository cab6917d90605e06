#include "app/CheckCommand.h"

#include "platform/AppFolder.h"
#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/DesktopShell.h"
#include "platform/MessageBoxes.h"
#include "platform/QSettingsUserSettings.h"
#include "platform/ResponseBudget.h"
#include "platform/SecretStore.h"
#include "platform/TextCodec.h"
#include "platform/XmlDocument.h"
#include "reading/FeedItem.h"
#include "reading/FeedParser.h"
#include "reading/ItemStamp.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "scheduler/ScheduledCheck.h"
#include "settings/Settings.h"
#include "subscriptions/FeedProbe.h"
#include "subscriptions/Opml.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>

#include <algorithm>
#include <functional>

namespace CheckCommand {
namespace {

constexpr auto kProgram = "marlowin-check";

void write(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

// A failure as the program states it: the title of its box, ": ", the box's text.
struct Failure {
    QString title;
    QString text;
};

void report(QIODevice &err, const Failure &failure)
{
    write(err, failure.title + QStringLiteral(": ") + failure.text + QLatin1Char('\n'));
}

Failure parserFailure(FeedParser::ParseStatus status, bool atom)
{
    const FeedParser::FailureMessage message = FeedParser::messageFor(status, atom);
    return {message.title, message.text};
}

const Failure kNotSupported{
    QStringLiteral("Feed Type Not Supported!"),
    QStringLiteral("Format of data returned by specified Feed URL is not supported by current "
                   "version of application. Please specify RSS 2.0 or ATOM 1.0 type Feed that may "
                   "include PodCast media information.")};

QString usageText()
{
    return QStringLiteral(
        "Usage: marlowin-check [--check]\n"
        "       marlowin-check --parse FILE\n"
        "       marlowin-check --import-opml FILE\n"
        "       marlowin-check --export-opml FILE\n"
        "       marlowin-check --help\n"
        "\n"
        "Marlowin without windows: reads feed files as Marlowin reads fetched feeds, runs the\n"
        "scheduled check of the app folder, and moves its subscriptions in and out as OPML.\n"
        "\n"
        "  --parse FILE  Reads FILE as a refresh reads a fetched feed: decodes its charset,\n"
        "                recognises RSS, podcast (RSS with itunes:summary) or Atom, parses its\n"
        "                items and prints one JSON object per item and line, in document order:\n"
        "                title, link, day, month, year, time, stamp (the date as written,\n"
        "                yyyyMMddHHmmss), utc (the date in UTC), media, id (the identifier the\n"
        "                item is stored under), guid and descriptionLength (in characters).\n"
        "                Output is UTF-8.\n"
        "                Exit status 0 when the feed was read, also when it has no items; 1 when\n"
        "                the file cannot be read or holds no feed Marlowin reads, with the\n"
        "                reason on standard error.\n"
        "  --check       Runs one scheduled check of the app folder ($MARLOWIN_HOME, or\n"
        "                ~/.local/share/Marlowin; created when missing), also without any\n"
        "                argument: fetches every feed on the schedule list, adds the new items\n"
        "                to the feeds' item files and appends to schedule.log. Prints each log\n"
        "                line as it is written, then one line per feed with new items\n"
        "                (\"Name -- N New Items\") when the settings ask for the popup.\n"
        "                Feeds that fail are logged; the exit status is 0.\n"
        "  --import-opml FILE\n"
        "                Adds the feeds of the OPML subscription list FILE to the app folder's\n"
        "                feeds.fdb: each under its top-level folder (a category, matched\n"
        "                without regard to case and created when missing), feeds outside any\n"
        "                folder under \"Imported\". A feed whose URL its category holds already\n"
        "                is skipped. Nothing is fetched. Takes the whole list or, when FILE is no\n"
        "                subscription list or anything fails, changes nothing. Prints what was\n"
        "                imported; exit status 1, with the reason on standard error, on failure.\n"
        "  --export-opml FILE\n"
        "                Writes every category and feed of feeds.fdb to FILE as OPML 2.0, which\n"
        "                other feed readers import. Exit status 1 when it cannot be written.\n"
        "  -h, --help    Shows this text.\n");
}

int usageError(QIODevice &err, const QString &reason)
{
    write(err, QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(QLatin1String(kProgram), reason));
    return kExitUsage;
}

// Boxes without a window: the title and text go to err, and the answer is the safe one (OK,
// No, Cancel), so nothing waits for a user who is not there.
class ConsoleMessageBoxes final : public platform::MessageBoxes {
public:
    explicit ConsoleMessageBoxes(QIODevice &err)
        : m_err(err)
    {
    }

    platform::MessageAnswer show(platform::MessageIcon, const QString &title, const QString &text,
                                 platform::MessageButtons buttons) override
    {
        report(m_err, {title, text});
        return platform::safeAnswer(buttons);
    }

private:
    QIODevice &m_err;
};

// Nothing is opened on a desktop from the command line.
class NoDesktopShell final : public platform::DesktopShell {
public:
    bool openUrl(const QUrl &) override { return false; }
};

// The popup's rows, printed instead of shown.
class PrintedAnnouncement final : public NewItemsAnnouncement {
public:
    explicit PrintedAnnouncement(QIODevice &out)
        : m_out(out)
    {
    }

    void announce(const PopupProperties &, const QStringList &rows) override
    {
        for (const QString &row : rows)
            write(m_out, row + QLatin1Char('\n'));
    }

private:
    QIODevice &m_out;
};

// Length in Unicode characters: a surrogate pair is one character.
qsizetype characterCount(const QString &text)
{
    return text.size()
        - std::count_if(text.cbegin(), text.cend(), [](QChar c) { return c.isLowSurrogate(); });
}

// Runs the command on the app folder platform::resolveAppFolder() names, with the services of
// a program without windows; creates the folder and its Data/ when they are missing.
int inAppFolder(QIODevice &err, const std::function<int(const platform::Context &)> &command)
{
    const QString appFolder = QDir::cleanPath(platform::resolveAppFolder());
    if (!QDir().mkpath(appFolder + QStringLiteral("/Data"))) {
        write(err,
              QStringLiteral("%1: cannot create the app folder \"%2\"\n")
                  .arg(QLatin1String(kProgram), appFolder));
        return kExitFailed;
    }
    ConsoleMessageBoxes messages(err);
    platform::QSettingsUserSettings userSettings;
    platform::NetworkInformationState connection;
    NoDesktopShell shell;
    platform::NoSecretStore secrets; // the check sends no mail
    platform::SystemClock clock;
    QNetworkAccessManager network;
    platform::ResponseBudget responseBudget;
    const platform::Context ctx{messages, userSettings, secrets,        connection, shell,
                                clock,    network,      responseBudget, appFolder};
    return command(ctx);
}

} // namespace

int checkAppFolder(const platform::Context &ctx, QIODevice &out, const QLocale &locale)
{
    PrintedAnnouncement announcement(out);
    CheckOptions options;
    options.locale = locale;
    // Each line goes out at once, also into a pipe: a reader sees every feed as soon as it is
    // logged.
    options.logObserver = [&out](const QString &written) {
        write(out,
              QString(written).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                  + QLatin1Char('\n'));
        if (auto *file = qobject_cast<QFileDevice *>(&out))
            file->flush();
    };
    runScheduledCheck(ctx, announcement, Settings::loadScheduler(ctx), options);
    return kExitOk;
}

int runScheduledCheck(QIODevice &out, QIODevice &err, const QLocale &locale)
{
    return inAppFolder(
        err, [&](const platform::Context &ctx) { return checkAppFolder(ctx, out, locale); });
}

int importOpml(const QString &path, QIODevice &out, QIODevice &err)
{
    return inAppFolder(err, [&](const platform::Context &ctx) {
        const Opml::ImportResult result = Opml::importFile(ctx, path);
        write(result.ok ? out : err, Opml::importMessage(result) + QLatin1Char('\n'));
        return result.ok ? kExitOk : kExitFailed;
    });
}

int exportOpml(const QString &path, QIODevice &out, QIODevice &err)
{
    return inAppFolder(err, [&](const platform::Context &ctx) {
        QString error;
        Opml::ExportSummary summary;
        if (!Opml::exportFile(ctx, path, &error, &summary)) {
            write(err, error + QLatin1Char('\n'));
            return kExitFailed;
        }
        write(out, Opml::exportMessage(summary, path) + QLatin1Char('\n'));
        return kExitOk;
    });
}

QByteArray itemJson(const FeedItem &item)
{
    const QJsonObject object{
        {QStringLiteral("title"), item.title},
        {QStringLiteral("link"), item.link},
        {QStringLiteral("day"), item.day},
        {QStringLiteral("month"), item.month},
        {QStringLiteral("year"), item.year},
        {QStringLiteral("time"), item.time},
        {QStringLiteral("stamp"), ItemStamp::chronologicalKey(item)},
        {QStringLiteral("utc"), item.utc},
        {QStringLiteral("media"), item.media},
        {QStringLiteral("id"), item.id},
        {QStringLiteral("guid"), item.guid},
        {QStringLiteral("descriptionLength"), characterCount(item.description)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

int parseFile(const QString &path, QIODevice &out, QIODevice &err, const QLocale &locale)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        write(err,
              QStringLiteral("%1: cannot read \"%2\": %3\n")
                  .arg(QLatin1String(kProgram), path, file.errorString()));
        return kExitFailed;
    }
    const QByteArray utf8 = platform::decodeDocumentToUtf8(file.readAll());
    const FeedParser::FeedContent content = FeedParser::parseFeed(QByteArrayView(utf8), locale);
    if (content.status == FeedParser::ParseStatus::WrongFeedType
        && content.type == FeedType::Unknown) {
        report(err, kNotSupported);
        return kExitFailed;
    }
    if (content.status != FeedParser::ParseStatus::Ok) {
        report(err, parserFailure(content.status, content.type == FeedType::Atom));
        return kExitFailed;
    }
    for (const FeedItem &item : content.items) {
        out.write(itemJson(item));
        out.write("\n", 1);
    }
    return kExitOk;
}

int run(const QStringList &arguments, QIODevice &out, QIODevice &err, const QLocale &locale)
{
    const QCommandLineOption parseOption(QStringLiteral("parse"), QString(),
                                         QStringLiteral("FILE"));
    const QCommandLineOption checkOption(QStringLiteral("check"), QString());
    const QCommandLineOption importOption(QStringLiteral("import-opml"), QString(),
                                          QStringLiteral("FILE"));
    const QCommandLineOption exportOption(QStringLiteral("export-opml"), QString(),
                                          QStringLiteral("FILE"));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QString());
    QCommandLineParser parser;
    parser.addOptions({parseOption, checkOption, importOption, exportOption, helpOption});

    if (!parser.parse(arguments))
        return usageError(err, parser.errorText());
    if (parser.isSet(helpOption)) {
        write(out, usageText());
        return kExitOk;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(err,
                          QStringLiteral("unexpected argument \"%1\"")
                              .arg(parser.positionalArguments().constFirst()));

    QStringList modes;
    for (const QCommandLineOption *mode :
         {&parseOption, &checkOption, &importOption, &exportOption}) {
        if (parser.isSet(*mode))
            modes.append(QStringLiteral("--") + mode->names().constFirst());
    }
    if (modes.size() > 1)
        return usageError(err,
                          QStringLiteral("%1 and %2 cannot be combined").arg(modes[0], modes[1]));
    for (const QCommandLineOption *fileMode : {&parseOption, &importOption, &exportOption}) {
        if (parser.isSet(*fileMode) && parser.values(*fileMode).size() != 1)
            return usageError(
                err,
                QStringLiteral("--%1 takes exactly one file").arg(fileMode->names().constFirst()));
    }

    if (parser.isSet(parseOption))
        return parseFile(parser.value(parseOption), out, err, locale);
    if (parser.isSet(importOption))
        return importOpml(parser.value(importOption), out, err);
    if (parser.isSet(exportOption))
        return exportOpml(parser.value(exportOption), out, err);
    return runScheduledCheck(out, err, locale);
}

} // namespace CheckCommand
