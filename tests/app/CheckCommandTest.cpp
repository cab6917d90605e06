#include "app/CheckCommand.h"

#include "settings/IniFile.h"
#include "settings/Settings.h"

#include "support/LocalHttpServer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <httplib.h>

namespace {

using CheckCommand::kExitFailed;
using CheckCommand::kExitOk;
using CheckCommand::kExitUsage;

// English month names whatever the machine's locale, so that stamps and Atom months are fixed.
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

// ISO-8859-1 bytes: the title and description only read right when the charset is decoded.
const QByteArray kRss
    = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
      "<rss version=\"2.0\"><channel><title>Caf\xe9</title>"
      "<item><title>Caf\xe9 one</title><link>http://example.com/a</link>"
      "<pubDate>Mon, 01 May 2006 12:34:56 GMT</pubDate><description>Gr\xfc\xdf"
      "e</description>"
      "<enclosure url=\"http://example.com/a.mp3\" length=\"12\" type=\"audio/mpeg\"/></item>"
      "<item><title>Two</title><link>http://example.com/b</link>"
      "<pubDate>Tue, 02 May 2006 08:00:00 GMT</pubDate></item>"
      "</channel></rss>";

// The first item's identifier takes its enclosure along with its link; the second's is the digest
// of its link, as earlier versions made it.
const QByteArray kRssLines[] = {
    "{\"day\":\"01\",\"descriptionLength\":5,\"guid\":\"\",\"id\":"
    "\"cbe9656fcc0390a6f8edf0d1d947b698\","
    "\"link\":\"http://example.com/a\",\"media\":\"http://example.com/a.mp3\",\"month\":\"May\","
    "\"stamp\":\"20060501123456\",\"time\":\"12:34:56\",\"title\":\"Caf\xc3\xa9 one\","
    "\"utc\":\"20060501123456\",\"year\":\"2006\"}",
    "{\"day\":\"02\",\"descriptionLength\":0,\"guid\":\"\",\"id\":"
    "\"4e800d900cc5dc5011993dc880f82233\","
    "\"link\":\"http://example.com/b\",\"media\":\"\",\"month\":\"May\","
    "\"stamp\":\"20060502080000\",\"time\":\"08:00:00\",\"title\":\"Two\",\"utc\":"
    "\"20060502080000\","
    "\"year\":\"2006\"}",
};

// A podcast is read as RSS. Its undated item has an empty stamp; the musical symbol outside the
// Basic Multilingual Plane is one character of the description.
const QByteArray kPodcast
    = "<rss xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel>"
      "<itunes:summary>Talk</itunes:summary>"
      "<item><title>Episode</title><link>http://example.com/b</link>"
      "<description>\xf0\x9d\x84\x9ex</description></item></channel></rss>";

const QByteArray kPodcastLine = "{\"day\":\"\",\"descriptionLength\":2,\"guid\":\"\",\"id\":"
                                "\"4e800d900cc5dc5011993dc880f82233\","
                                "\"link\":\"http://example.com/"
                                "b\",\"media\":\"\",\"month\":\"\",\"stamp\":\"\",\"time\":\"\","
                                "\"title\":\"Episode\",\"utc\":\"\",\"year\":\"\"}";

const QByteArray kAtom
    = "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Site</title>"
      "<entry><title>Entry</title>"
      "<link rel=\"alternate\" type=\"text/html\" href=\"http://example.com/e\"/>"
      "<published>2006-05-01T12:34:56Z</published><content>Body</content></entry></feed>";

const QByteArray kAtomLine = "{\"day\":\"01\",\"descriptionLength\":4,\"guid\":\"\",\"id\":"
                             "\"d0db2160c2e36f7a624cd612926ea689\","
                             "\"link\":\"http://example.com/e\",\"media\":\"\",\"month\":\"May\","
                             "\"stamp\":\"20060501123456\",\"time\":\"12:34:56\",\"title\":"
                             "\"Entry\",\"utc\":\"20060501123456\","
                             "\"year\":\"2006\"}";

const QString kInvalidRss = QStringLiteral(
    "Invalid Feed XML!: Server returned invalid Feed XML! Either Feed Type is not RSS or Feed XML "
    "is not well-formed.\n");
const QString kNotSupported = QStringLiteral(
    "Feed Type Not Supported!: Format of data returned by specified Feed URL is not supported by "
    "current version of application. Please specify RSS 2.0 or ATOM 1.0 type Feed that may "
    "include PodCast media information.\n");
const QString kNotXml
    = QStringLiteral("Invalid Data Format!: Server returned Feed data in invalid XML format!\n");
const QString kEmpty
    = QStringLiteral("Invalid Server Response!: Server returned empty data stream!\n");

struct Output {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

class CheckCommandTest : public ::testing::Test {
protected:
    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("feed.xml"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }

    static Output parse(const QString &path)
    {
        return capture([&](QIODevice &out, QIODevice &err) {
            return CheckCommand::parseFile(path, out, err, kEnglish);
        });
    }

    static Output run(QStringList arguments)
    {
        arguments.prepend(QStringLiteral("marlowin-check"));
        return capture([&](QIODevice &out, QIODevice &err) {
            return CheckCommand::run(arguments, out, err, kEnglish);
        });
    }

    template<typename Command> static Output capture(Command command)
    {
        QBuffer out;
        QBuffer err;
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        EXPECT_TRUE(err.open(QIODevice::WriteOnly));
        const int status = command(out, err);
        return {status, out.data(), err.data()};
    }

    QTemporaryDir m_dir;
};

struct ParseCase {
    const char *what;
    QByteArray bytes;
    int status;
    QByteArray out; // the JSON lines, each ended by "\n"
    QString err;
};

TEST_F(CheckCommandTest, ParsePrintsOneJsonLinePerItemOrTheReasonItRefused)
{
    ASSERT_TRUE(m_dir.isValid());
    const ParseCase cases[] = {
        {"RSS in ISO-8859-1, items in document order",
         kRss,
         kExitOk,
         kRssLines[0] + '\n' + kRssLines[1] + '\n',
         {}},
        {"podcast read as RSS", kPodcast, kExitOk, kPodcastLine + '\n', {}},
        {"Atom with a default namespace", kAtom, kExitOk, kAtomLine + '\n', {}},
        {"feed without items is a success",
         "<rss><channel><title>None</title></channel></rss>",
         kExitOk,
         {},
         {}},
        {"rdf element: recognised as RSS, refused for lack of rss/channel",
         "<rdf><channel><title>R</title></channel><item><title>I</title></item></rdf>",
         kExitFailed,
         {},
         kInvalidRss},
        {"RDF root written rdf:RDF is no feed",
         "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><channel/>"
         "</rdf:RDF>",
         kExitFailed,
         {},
         kNotSupported},
        {"well-formed XML of another kind",
         "<html><body>Not found</body></html>",
         kExitFailed,
         {},
         kNotSupported},
        {"not XML", "<html><body>unclosed", kExitFailed, {}, kNotXml},
        {"empty file", "", kExitFailed, {}, kEmpty},
        {"blank file", " \r\n\t", kExitFailed, {}, kEmpty},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.what);
        const Output result = parse(write(c.bytes));
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(QString::fromUtf8(result.err), c.err);
    }
}

TEST_F(CheckCommandTest, ParseOfAFileThatCannotBeReadNamesTheFile)
{
    ASSERT_TRUE(m_dir.isValid());
    const QString paths[] = {m_dir.filePath(QStringLiteral("missing.xml")), m_dir.path()};
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        const Output result = parse(path);
        EXPECT_EQ(result.status, kExitFailed);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(QString::fromUtf8(result.err).contains(path)) << result.err.toStdString();
    }
}

struct RunCase {
    const char *what;
    QStringList arguments;
    int status;
    QString inOut; // text that stdout holds; empty: stdout stays empty
    QString inErr; // text that stderr holds; empty: stderr stays empty
};

TEST_F(CheckCommandTest, ArgumentsChooseTheModeOrExplainTheUsage)
{
    ASSERT_TRUE(m_dir.isValid());
    const QString feed = write(kAtom);
    const RunCase cases[] = {
        {"parse", {QStringLiteral("--parse"), feed}, kExitOk, QString::fromUtf8(kAtomLine), {}},
        {"help describes both modes",
         {QStringLiteral("--help")},
         kExitOk,
         QStringLiteral("--check       Runs one scheduled check of the app folder"),
         {}},
        {"parse without its file",
         {QStringLiteral("--parse")},
         kExitUsage,
         {},
         QStringLiteral("'--parse'")},
        {"unknown option", {QStringLiteral("--bogus")}, kExitUsage, {}, QStringLiteral("bogus")},
        {"file without --parse", {feed}, kExitUsage, {}, QStringLiteral("unexpected argument")},
        {"two modes",
         {QStringLiteral("--parse"), feed, QStringLiteral("--check")},
         kExitUsage,
         {},
         QStringLiteral("cannot be combined")},
        {"two files",
         {QStringLiteral("--parse"), feed, QStringLiteral("--parse"), feed},
         kExitUsage,
         {},
         QStringLiteral("exactly one file")},
        {"help describes the OPML options",
         {QStringLiteral("--help")},
         kExitOk,
         QStringLiteral(
             "marlowin-check --import-opml FILE\n       marlowin-check --export-opml FILE"),
         {}},
        {"import without its file",
         {QStringLiteral("--import-opml")},
         kExitUsage,
         {},
         QStringLiteral("'--import-opml'")},
        {"import and export",
         {QStringLiteral("--import-opml"), feed, QStringLiteral("--export-opml"), feed},
         kExitUsage,
         {},
         QStringLiteral("--import-opml and --export-opml cannot be combined")},
        {"export and check",
         {QStringLiteral("--check"), QStringLiteral("--export-opml"), feed},
         kExitUsage,
         {},
         QStringLiteral("--check and --export-opml cannot be combined")},
        {"two exports",
         {QStringLiteral("--export-opml"), feed, QStringLiteral("--export-opml"), feed},
         kExitUsage,
         {},
         QStringLiteral("--export-opml takes exactly one file")},
    };
    for (const RunCase &c : cases) {
        SCOPED_TRACE(c.what);
        const Output result = run(c.arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out.isEmpty(), c.inOut.isEmpty()) << result.out.toStdString();
        EXPECT_TRUE(QString::fromUtf8(result.out).contains(c.inOut)) << result.out.toStdString();
        EXPECT_EQ(result.err.isEmpty(), c.inErr.isEmpty()) << result.err.toStdString();
        EXPECT_TRUE(QString::fromUtf8(result.err).contains(c.inErr)) << result.err.toStdString();
    }
}

// The app folder of a check run from the command line, for the length of one test.
class ScopedAppFolder {
public:
    explicit ScopedAppFolder(const QString &path)
        : m_had(qEnvironmentVariableIsSet("MARLOWIN_HOME"))
        , m_old(qgetenv("MARLOWIN_HOME"))
    {
        qputenv("MARLOWIN_HOME", QFile::encodeName(path));
    }
    ~ScopedAppFolder()
    {
        if (m_had)
            qputenv("MARLOWIN_HOME", m_old);
        else
            qunsetenv("MARLOWIN_HOME");
    }
    ScopedAppFolder(const ScopedAppFolder &) = delete;
    ScopedAppFolder &operator=(const ScopedAppFolder &) = delete;

private:
    bool m_had;
    QByteArray m_old;
};

TEST_F(CheckCommandTest, CheckRunsOnAFreshAppFolderWithOrWithoutTheOption)
{
    ASSERT_TRUE(m_dir.isValid());
    const QStringList modes[] = {{}, {QStringLiteral("--check")}};
    int n = 0;
    for (const QStringList &arguments : modes) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const QString home = m_dir.filePath(QStringLiteral("home%1/Marlowin").arg(++n));
        const ScopedAppFolder folder(home);

        const Output result = run(arguments);

        EXPECT_EQ(result.status, kExitOk);
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        const QString out = QString::fromUtf8(result.out);
        EXPECT_TRUE(
            out.startsWith(QString(70, u'=') + QStringLiteral("\nScheduled Check Started (")))
            << result.out.toStdString();
        EXPECT_TRUE(out.contains(QStringLiteral(")\n\n\nNo Feed Sources found Configured for "
                                                "Schduled check!\nScheduled Check Finished (")))
            << result.out.toStdString();
        EXPECT_TRUE(QDir(home + QStringLiteral("/Data")).exists());
        QFile log(home + QStringLiteral("/schedule.log"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromLatin1(log.readAll()),
                  QString(out).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
    }
}

TEST_F(CheckCommandTest, OpmlExportAndImportMoveTheSubscriptionsBetweenAppFolders)
{
    ASSERT_TRUE(m_dir.isValid());
    const QString from = m_dir.filePath(QStringLiteral("from"));
    const QString to = m_dir.filePath(QStringLiteral("to"));
    const QString list = m_dir.filePath(QStringLiteral("subscriptions.opml"));
    ASSERT_TRUE(QDir().mkpath(from));
    QFile database(from + QStringLiteral("/feeds.fdb"));
    ASSERT_TRUE(database.open(QIODevice::WriteOnly));
    database.write("<categories><category name=\"News\">"
                   "<feed name=\"World\" type=\"0\" "
                   "id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">http://example.org/world</feed>"
                   "<feed name=\"Talk\" type=\"2\" "
                   "id=\"11111111-2222-3333-4444-555555555555\">http://example.org/talk</feed>"
                   "</category></categories>");
    database.close();

    Output result;
    {
        const ScopedAppFolder folder(from);
        result = run({QStringLiteral("--export-opml"), list});
    }
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_EQ(QString::fromUtf8(result.out),
              QStringLiteral("Exported 2 feeds in 1 category to \"%1\".\n").arg(list));
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();

    const ScopedAppFolder folder(to); // a fresh app folder: created, with an empty database
    result = run({QStringLiteral("--import-opml"), list});
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_EQ(result.out, "Imported 2 feeds in 1 new category.\n");
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    QFile imported(to + QStringLiteral("/feeds.fdb"));
    ASSERT_TRUE(imported.open(QIODevice::ReadOnly));
    const QByteArray after = imported.readAll();
    EXPECT_TRUE(after.contains("<feed name=\"Talk\" type=\"2\" id=\"")) << after.toStdString();
    EXPECT_TRUE(QDir(to + QStringLiteral("/Data")).exists());

    result = run({QStringLiteral("--import-opml"), list});
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_EQ(result.out, "Imported 0 feeds (2 already subscribed were skipped).\n");

    result = run({QStringLiteral("--import-opml"), write(kRss)});
    EXPECT_EQ(result.status, kExitFailed);
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_EQ(result.err,
              "The file is not an OPML subscription list: its root element is <rss>, "
              "not <opml>.\n");
    imported.seek(0);
    EXPECT_EQ(imported.readAll(), after);

    result = run({QStringLiteral("--export-opml"), m_dir.filePath(QStringLiteral("none/x.opml"))});
    EXPECT_EQ(result.status, kExitFailed);
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_TRUE(result.err.startsWith("The subscriptions could not be written to "))
        << result.err.toStdString();
}

TEST(CheckAppFolderTest, PrintsTheLogAsItIsWrittenAndThenThePopupRows)
{
    test::TestContext t;
    ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("Data")));
    test::LocalHttpServer server(&t.network);
    server.routes().Get("/feed", [](const httplib::Request &, httplib::Response &res) {
        res.set_content("<rss><channel>"
                        "<item><title>B</title><link>http://example.org/b</link>"
                        "<pubDate>Tue, 02 May 2006 08:00:00 GMT</pubDate></item>"
                        "<item><title>A</title><link>http://example.org/a</link>"
                        "<pubDate>Mon, 01 May 2006 08:00:00 GMT</pubDate></item>"
                        "</channel></rss>",
                        "application/rss+xml");
    });
    ASSERT_TRUE(server.start());
    const IniFile config(Settings::configPath(t.ctx), 5000);
    config.write(QStringLiteral("schdl"), QStringLiteral("alr"), QStringLiteral("1"));
    config.write(QStringLiteral("schdl"), QStringLiteral("s_1"),
                 QStringLiteral("0\x05") + QStringLiteral("0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9")
                     + QChar(5) + server.url(QStringLiteral("/feed")) + QChar(5)
                     + QStringLiteral("News"));
    QBuffer out;
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));

    EXPECT_EQ(CheckCommand::checkAppFolder(t.ctx, out, kEnglish), kExitOk);

    const QString now = QStringLiteral("3/14/26 9:26:53 AM"); // the fake clock
    EXPECT_EQ(QString::fromUtf8(out.data()),
              QString(70, u'=') + "\nScheduled Check Started (" + now
                  + ")\n\n\n"
                    "Checking News\n"
                    "    Sending Request to Source Server ...\n"
                    "    Request Sent, Waiting for Server Response ...\n"
                    "    Parsing Feed content ...\n"
                    "    2 New Items found!\n"
                    "    Done!\n"
                    "\n\n"
                    "Scheduled Check Finished ("
                  + now
                  + ")\n\n"
                    "News -- 2 New Items\n");
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

// marlowin-check into a pipe, as cron or a script reads it: each feed's lines arrive once they
// are in schedule order, while a later feed still waits for its server.
TEST(CheckProgramTest, WritesEachFeedsLinesIntoAPipeAsSoonAsTheyAreInOrder)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    test::LocalHttpServer server;
    server.routes().Get("/quick", [](const httplib::Request &, httplib::Response &res) {
        res.set_content(
            "<rss><channel><item><title>A</title><link>http://example.org/a</link></item>"
            "</channel></rss>",
            "application/rss+xml");
    });
    server.routes().Get("/held", [&server](const httplib::Request &, httplib::Response &res) {
        server.holdRequest();
        res.set_content("<rss><channel/></rss>", "application/rss+xml");
    });
    ASSERT_TRUE(server.start());
    QFile config(home.filePath(QStringLiteral("AppCfg.cfg")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(("[schdl]\r\nalr=0\r\n"
                  "s_1=0\x05"
                  "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\x05"
                  + server.url(QStringLiteral("/quick")).toUtf8()
                  + "\x05Quick\r\n"
                    "s_2=0\x05"
                    "11111111-2222-3333-4444-555555555555\x05"
                  + server.url(QStringLiteral("/held")).toUtf8() + "\x05Held\r\n"));
    config.close();

    QProcess check;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MARLOWIN_HOME"), home.path());
    check.setProcessEnvironment(environment);
    check.start(QStringLiteral(MARLOWIN_CHECK_PROGRAM), {QStringLiteral("--check")});
    ASSERT_TRUE(check.waitForStarted());

    QByteArray seen;
    const bool quickArrived = test::waitUntil(
        [&] {
            seen += check.readAllStandardOutput();
            return seen.contains("    1 New Items found!\n    Done!\n");
        },
        10000);
    EXPECT_TRUE(quickArrived) << seen.toStdString();
    EXPECT_EQ(server.heldRequests(), 1) << "Held still waits for its server";
    EXPECT_FALSE(seen.contains("Checking Held"));

    server.openGate();
    ASSERT_TRUE(check.waitForFinished(10000));
    seen += check.readAllStandardOutput();
    EXPECT_EQ(check.exitCode(), kExitOk);
    EXPECT_TRUE(seen.contains("Checking Held\n")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("Scheduled Check Finished ("));
}

} // namespace
