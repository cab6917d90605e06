#include "platform/XmlDocument.h"

#include "support/FileSizeLimit.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using platform::XmlDocument;
using platform::XmlNode;

QString q(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// The serialised document without its declaration, to compare trees in tests.
QString body(const XmlDocument &document)
{
    const QString xml = document.xml();
    return xml.mid(xml.indexOf(QLatin1String("?>")) + 2);
}

TEST(XmlDocumentLoad, AcceptsWellFormedTextWithWhateverPrecedesTheRoot)
{
    const struct {
        const char *what;
        const char *text;
    } cases[] = {
        {"bare root", "<rss/>"},
        {"blank line before the declaration", "\r\n\n  <?xml version=\"1.0\"?>\n<rss/>"},
        {"byte-order mark before the declaration", "\xef\xbb\xbf<?xml version=\"1.0\"?><rss/>"},
        {"byte-order mark then a blank line", "\xef\xbb\xbf\n<?xml version=\"1.0\"?><rss/>"},
        {"comments, instructions and a DOCTYPE around the root",
         "<?xml version=\"1.0\"?><!-- a --><?xml-stylesheet href=\"s.xsl\"?>"
         "<!DOCTYPE rss [<!ELEMENT rss ANY>]><rss/><!-- b -->\n"},
    };
    for (const auto &c : cases) {
        XmlDocument document;
        EXPECT_TRUE(document.loadXML(q(c.text))) << c.what;
        EXPECT_FALSE(document.isEmpty()) << c.what;
        EXPECT_EQ(document.documentElement().name(), QStringLiteral("rss")) << c.what;
        EXPECT_FALSE(document.documentElement().hasChildNodes()) << c.what;
    }
}

TEST(XmlDocumentLoad, RefusesMalformedTextAndIsEmptyAfterwards)
{
    const struct {
        const char *what;
        const char *text;
    } cases[] = {
        {"empty", ""},
        {"blank", " \r\n "},
        {"plain text", "Application data"},
        {"declaration only", "<?xml version=\"1.0\"?>"},
        {"unclosed root", "<rss><channel></channel>"},
        {"crossed tags", "<a><b></a></b>"},
        {"stray end tag", "<a/></b>"},
        {"two roots", "<a/><b/>"},
        {"text after the root", "<a/>trailing"},
        {"text before the root", "leading<a/>"},
        {"unterminated attribute", "<a b=\"1></a>"},
        {"HTML page", "<html><body><p>Not found<br></body></html>"},
    };
    for (const auto &c : cases) {
        XmlDocument document;
        ASSERT_TRUE(document.loadXML(QStringLiteral("<previous/>")));
        EXPECT_FALSE(document.loadXML(q(c.text))) << c.what;
        EXPECT_TRUE(document.isEmpty()) << c.what;
        EXPECT_FALSE(document.documentElement()) << c.what;
        EXPECT_FALSE(document.selectSingleNode(QStringLiteral(".//previous"))) << c.what;
        EXPECT_EQ(document.xml(), QString()) << c.what;
    }
}

TEST(XmlDocumentLoad, TextIsAlreadyDecodedWhateverTheDeclarationSays)
{
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(
        q("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a t=\"Ça\">café € 😀</a>")));
    EXPECT_EQ(document.documentElement().text(), q("café € 😀"));
    EXPECT_EQ(document.documentElement().attribute(QStringLiteral("t")), q("Ça"));
}

TEST(XmlDocumentLoad, LoneSurrogatesAreReplacedNotFatal)
{
    XmlDocument document;
    const QString text = QStringLiteral("<a>x") + QChar(0xD800) + QStringLiteral("y")
        + QChar(0xDC00) + QStringLiteral("</a>");
    ASSERT_TRUE(document.loadXML(text));
    // Each unpaired half becomes one "?", as Qt's UTF-8 conversion writes it.
    EXPECT_EQ(document.documentElement().text(), QStringLiteral("x?y?"));
}

TEST(XmlDocumentLoad, ReadsFilesInTheirCharset)
{
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"Windows-1252 with a declaration",
         "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a t=\"\xc7\x61\">caf\xe9 \x80</a>"},
        {"ISO-8859-1 declared, Windows-1252 extras used",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<a t=\"\xc7\x61\">caf\xe9 \x80</a>"},
        {"Windows-1252 without a declaration", "<a t=\"\xc7\x61\">caf\xe9 \x80</a>"},
        {"UTF-8 without a declaration", "<a t=\"\xc3\x87\x61\">caf\xc3\xa9 \xe2\x82\xac</a>"},
        {"UTF-8 with a mark and a declaration",
         "\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\"?><a t=\"\xc3\x87\x61\">caf\xc3\xa9 "
         "\xe2\x82\xac</a>"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("feeds.fdb"));
    for (const auto &c : cases) {
        writeBytes(path, c.bytes);
        XmlDocument document;
        ASSERT_TRUE(document.load(path)) << c.what;
        EXPECT_EQ(document.documentElement().text(), q("café €")) << c.what;
        EXPECT_EQ(document.documentElement().attributeValue(0), q("Ça")) << c.what;
    }
}

TEST(XmlDocumentLoad, MissingOrMalformedFileGivesAnEmptyDocument)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString notXml = dir.filePath(QStringLiteral("feeds.fdb"));
    writeBytes(notXml, "this is not XML\r\n");
    for (const QString &path : {dir.filePath(QStringLiteral("missing.fdb")), notXml, dir.path()}) {
        XmlDocument document;
        ASSERT_TRUE(document.loadXML(QStringLiteral("<previous/>")));
        EXPECT_FALSE(document.load(path)) << path.toStdString();
        EXPECT_TRUE(document.isEmpty()) << path.toStdString();
    }
    EXPECT_EQ(readBytes(notXml), "this is not XML\r\n");
}

TEST(XmlDocumentLoad, ExpandsOnlyPredefinedEntitiesAndCharacterReferences)
{
    XmlDocument plain;
    ASSERT_TRUE(
        plain.loadXML(QStringLiteral("<a t=\"&quot;&apos;\">&lt;&amp;&gt;&#233;&#x20AC;</a>")));
    EXPECT_EQ(plain.documentElement().text(), q("<&>é€"));
    EXPECT_EQ(plain.documentElement().attributeValue(0), QStringLiteral("\"'"));

    // A document can neither pull in another file nor grow by expansion.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString secret = dir.filePath(QStringLiteral("secret.txt"));
    writeBytes(secret, "SECRET-MARKER");
    const QString fileUrl = QUrl::fromLocalFile(secret).toString();
    const QString external
        = QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"") + fileUrl
        + QStringLiteral("\">]><r>&x;</r>");
    const QString system
        = QStringLiteral("<!DOCTYPE r SYSTEM \"") + fileUrl + QStringLiteral("\"><r/>");
    QString bomb = QStringLiteral("<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol0 \"lol\">");
    for (int i = 1; i <= 9; ++i) {
        bomb += QStringLiteral("<!ENTITY lol%1 \"").arg(i);
        for (int j = 0; j < 10; ++j)
            bomb += QStringLiteral("&lol%1;").arg(i - 1);
        bomb += QStringLiteral("\">");
    }
    bomb += QStringLiteral("]><lolz a=\"&lol9;\">&lol9;</lolz>");

    for (const QString &text : {external, system, bomb}) {
        XmlDocument document;
        (void)document.loadXML(text);
        EXPECT_FALSE(document.xml().contains(QLatin1String("SECRET-MARKER"))) << text.toStdString();
        EXPECT_LT(document.xml().size(), 200) << text.toStdString();
    }
}

TEST(XmlNode, TextJoinsDescendantsAndCdataUntrimmed)
{
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(QStringLiteral(
        "<item> one <b>two<![CDATA[ <three> & ]]></b><!-- not text -->\n<c/>\n four </item>")));
    const XmlNode item = document.documentElement();
    EXPECT_EQ(item.text(), QStringLiteral(" one two <three> & \n four "));

    // Text, CDATA and elements count as children; whitespace-only text and comments do not.
    ASSERT_EQ(item.childCount(), 4);
    EXPECT_FALSE(item.child(0).isElement());
    EXPECT_EQ(item.child(0).text(), QStringLiteral(" one "));
    EXPECT_EQ(item.child(1).name(), QStringLiteral("b"));
    EXPECT_EQ(item.child(1).childCount(), 2);
    EXPECT_EQ(item.child(1).child(1).text(), QStringLiteral(" <three> & "));
    EXPECT_EQ(item.child(2).name(), QStringLiteral("c"));
    EXPECT_EQ(item.child(3).text(), QStringLiteral("\n four "));
    EXPECT_FALSE(item.child(4));
    EXPECT_FALSE(item.child(-1));
}

TEST(XmlNode, SetTextReplacesTheWholeContent)
{
    XmlDocument document;
    ASSERT_TRUE(
        document.loadXML(QStringLiteral("<data><latest>1<b>2</b><![CDATA[3]]></latest></data>")));
    XmlNode latest = document.selectSingleNode(QStringLiteral(".//data/latest"));

    latest.setText(QStringLiteral("20060501123456"));
    EXPECT_EQ(latest.childCount(), 1);
    EXPECT_EQ(body(document), QStringLiteral("<data><latest>20060501123456</latest></data>"));

    latest.setText(QString());
    EXPECT_FALSE(latest.hasChildNodes());
    EXPECT_EQ(body(document), QStringLiteral("<data><latest/></data>"));
}

TEST(XmlNode, AttributeOrderSurvivesChangeSaveAndLoad)
{
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(QStringLiteral(
        "<categories><category name=\"News\"><feed name=\"A\" type=\"0\" id=\"ID-1\">u</feed>"
        "</category></categories>")));
    XmlNode feed = document.selectSingleNode(QStringLiteral(".//category/feed"));
    ASSERT_TRUE(feed);

    feed.setAttribute(QStringLiteral("type"), QStringLiteral("2"));
    feed.setAttribute(QStringLiteral("name"), QStringLiteral("Renamed"));
    feed.setAttribute(QStringLiteral("extra"), QStringLiteral("last"));
    feed.setAttribute(QStringLiteral("bad name"), QStringLiteral("refused"));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("feeds.fdb"));
    ASSERT_TRUE(document.save(path));
    XmlDocument reloaded;
    ASSERT_TRUE(reloaded.load(path));
    const XmlNode stored = reloaded.selectSingleNode(QStringLiteral(".//category/feed"));

    const QString names[] = {QStringLiteral("name"), QStringLiteral("type"), QStringLiteral("id"),
                             QStringLiteral("extra")};
    const QString values[] = {QStringLiteral("Renamed"), QStringLiteral("2"),
                              QStringLiteral("ID-1"), QStringLiteral("last")};
    ASSERT_EQ(stored.attributeCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stored.attributeName(i), names[i]) << i;
        EXPECT_EQ(stored.attributeValue(i), values[i]) << i;
    }
    EXPECT_EQ(stored.attributeName(4), QString());
    EXPECT_EQ(stored.attributeValue(-1), QString());
    EXPECT_EQ(stored.attribute(QStringLiteral("id")), QStringLiteral("ID-1"));
    EXPECT_EQ(stored.attribute(QStringLiteral("ID")), QString());
}

TEST(XmlDocumentSelect, FindsTheFirstMatchInDocumentOrder)
{
    const struct {
        const char *what;
        const char *document;
        const char *pattern;
        const char *found; // value of the found element's "n" attribute; null for no match
    } cases[] = {
        {"the first rss lacks channel/title, a later one has it",
         "<x><rss n=\"1\"><channel><link/></channel></rss><rss><channel><title "
         "n=\"2\"/></channel></rss></x>",
         ".//rss/channel/title", "2"},
        {"nested elements of the same name: the inner match comes first",
         "<data><data><items n=\"inner\"/></data><items n=\"outer\"/></data>", ".//data/items",
         "inner"},
        {"an earlier element wins over a deeper one",
         "<a><b><c><d n=\"deep\"/></c></b><d n=\"late\"/></a>", ".//d", "deep"},
        {"the root element itself", "<data n=\"root\"><data/></data>", ".//data", "root"},
        {"prefixed name as written", "<rss><channel><itunes:summary n=\"s\"/></channel></rss>",
         ".//channel/itunes:summary", "s"},
        {"the local part alone does not match a prefixed name",
         "<rss><channel><itunes:summary n=\"s\"/></channel></rss>", ".//summary", nullptr},
        {"a prefixed root does not match its prefix",
         "<rdf:RDF xmlns:rdf=\"r\" n=\"rdf\"><channel/></rdf:RDF>", ".//rdf", nullptr},
        {"a prefixed root matched as written",
         "<rdf:RDF xmlns:rdf=\"r\"><channel n=\"c\"/></rdf:RDF>", ".//rdf:RDF/channel", "c"},
        {"a default namespace is not consulted",
         "<feed xmlns=\"http://www.w3.org/2005/Atom\" n=\"atom\"><entry/></feed>", ".//feed",
         "atom"},
        {"names are case-sensitive", "<rss><channel n=\"c\"/></rss>", ".//rss/Channel", nullptr},
        {"each step is a direct child", "<rss><x><channel n=\"c\"/></x></rss>", ".//rss/channel",
         nullptr},
        {"without .// the path starts at the root", "<x><data><items n=\"i\"/></data></x>",
         "data/items", nullptr},
        {"a path from the root", "<data><x/><items n=\"i\"/></data>", "data/items", "i"},
        {"a path from the root with a slash", "<data><items n=\"i\"/></data>", "/data/items", "i"},
        {"an empty step matches nothing", "<a><b n=\"b\"/></a>", ".//a//b", nullptr},
        {"an empty pattern matches nothing", "<a n=\"a\"/>", "", nullptr},
    };
    for (const auto &c : cases) {
        XmlDocument document;
        ASSERT_TRUE(document.loadXML(q(c.document))) << c.what;
        const XmlNode found = document.selectSingleNode(q(c.pattern));
        if (c.found) {
            ASSERT_TRUE(found) << c.what;
            EXPECT_EQ(found.attribute(QStringLiteral("n")), q(c.found)) << c.what;
        } else {
            EXPECT_FALSE(found) << c.what;
        }
    }
}

TEST(XmlNode, CreatedElementStaysOutsideTheDocumentUntilAppended)
{
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(QStringLiteral("<data><items/></data>")));
    XmlNode item = document.createElement(QStringLiteral("item"));
    ASSERT_TRUE(item);
    item.setAttribute(QStringLiteral("id"), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    item.setAttribute(QStringLiteral("status"), QStringLiteral("0"));
    for (const char *name : {"title", "link", "date", "desc", "media"}) {
        XmlNode child = document.createElement(q(name));
        child.setText(name == std::string_view("date") ? QStringLiteral("--T") : QString());
        item.appendChild(child);
    }
    EXPECT_FALSE(item.parent());
    EXPECT_FALSE(document.selectSingleNode(QStringLiteral(".//item")));
    EXPECT_EQ(body(document), QStringLiteral("<data><items/></data>"));
    EXPECT_FALSE(document.createElement(QStringLiteral("two words")));
    EXPECT_FALSE(document.createElement(QString()));

    XmlNode items = document.selectSingleNode(QStringLiteral(".//data/items"));
    EXPECT_EQ(items.appendChild(item), item);
    EXPECT_EQ(item.parent(), items);
    EXPECT_EQ(document.selectSingleNode(QStringLiteral(".//items/item")), item);
    EXPECT_EQ(body(document),
              QStringLiteral("<data><items><item id=\"d41d8cd98f00b204e9800998ecf8427e\" "
                             "status=\"0\"><title/><link/><date>--T</date><desc/>"
                             "<media/></item></items></data>"));
    EXPECT_FALSE(document.documentElement().parent());
}

TEST(XmlNode, AppendChildMovesANodeThatHasAParent)
{
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(QStringLiteral(
        "<categories><category name=\"a\"><feed id=\"1\">u1</feed><feed id=\"2\"/></category>"
        "<category name=\"b\"><feed id=\"3\"/></category></categories>")));
    XmlNode categories = document.documentElement();
    XmlNode from = categories.child(0);
    XmlNode to = categories.child(1);
    XmlNode feed = from.child(0);

    EXPECT_EQ(to.appendChild(feed), feed);
    EXPECT_EQ(feed.parent(), to);
    EXPECT_EQ(from.childCount(), 1);
    EXPECT_EQ(to.childCount(), 2);
    EXPECT_EQ(body(document),
              QStringLiteral("<categories><category name=\"a\"><feed id=\"2\"/></category>"
                             "<category name=\"b\"><feed id=\"3\"/><feed id=\"1\">u1</feed>"
                             "</category></categories>"));

    // A node cannot become a child of itself or of its own descendant.
    const QString before = body(document);
    EXPECT_FALSE(to.appendChild(categories));
    EXPECT_FALSE(to.appendChild(to));
    EXPECT_FALSE(feed.child(0).appendChild(to));
    EXPECT_EQ(body(document), before);

    // A node of another document is copied.
    XmlDocument other;
    ASSERT_TRUE(other.loadXML(QStringLiteral("<x><feed id=\"9\">u9</feed></x>")));
    const XmlNode copy = from.appendChild(other.documentElement().child(0));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy.parent(), from);
    EXPECT_EQ(body(other), QStringLiteral("<x><feed id=\"9\">u9</feed></x>"));
    EXPECT_EQ(
        body(document),
        QStringLiteral("<categories><category name=\"a\"><feed id=\"2\"/><feed id=\"9\">u9</feed>"
                       "</category><category name=\"b\"><feed id=\"3\"/><feed id=\"1\">u1"
                       "</feed></category></categories>"));
}

TEST(XmlNode, RemoveChildTakesTheSubtreeAndIgnoresStrangers)
{
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(
        QStringLiteral("<categories><category name=\"a\"><feed id=\"1\"/></category><category "
                       "name=\"b\"/></categories>")));
    XmlNode categories = document.documentElement();
    const XmlNode a = categories.child(0);

    categories.removeChild(a.child(0)); // not a child of categories
    categories.removeChild(XmlNode());
    EXPECT_EQ(body(document),
              QStringLiteral("<categories><category name=\"a\"><feed id=\"1\"/></category>"
                             "<category name=\"b\"/></categories>"));

    categories.removeChild(a);
    EXPECT_EQ(body(document), QStringLiteral("<categories><category name=\"b\"/></categories>"));
    EXPECT_EQ(categories.childCount(), 1);
    EXPECT_FALSE(document.selectSingleNode(QStringLiteral(".//feed")));
}

TEST(XmlNode, ChildByPositionFollowsChangesMadeThroughAnyHandle)
{
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(QStringLiteral(
        "<items><item id=\"1\"/><item id=\"2\"/>text<item id=\"3\"/><item id=\"4\"/></items>")));
    const XmlNode items = document.documentElement();
    const std::vector<XmlNode> all = items.children();
    ASSERT_EQ(static_cast<int>(all.size()), items.childCount());
    for (int i = items.childCount() - 1; i >= 0; --i)
        EXPECT_EQ(items.child(i), all[static_cast<size_t>(i)]) << i;

    // Delete every item with an even id while walking forward, through another handle.
    QStringList seen;
    for (int i = 0; i < items.childCount(); ++i) {
        XmlNode node = items.child(i);
        seen.append(node.isElement() ? node.attribute(QStringLiteral("id")) : node.text());
        if (node.isElement() && node.attribute(QStringLiteral("id")).toInt() % 2 == 0) {
            node.parent().removeChild(node);
            --i;
        }
    }
    EXPECT_EQ(seen, QStringList({"1", "2", "text", "3", "4"}));
    EXPECT_EQ(body(document),
              QStringLiteral("<items><item id=\"1\"/>text<item id=\"3\"/></items>"));

    // Appending through another handle is seen as well.
    XmlNode(items).appendChild(document.createElement(QStringLiteral("item")));
    EXPECT_EQ(items.childCount(), 4);
    EXPECT_EQ(items.child(3).name(), QStringLiteral("item"));
}

TEST(XmlDocumentSave, WhatIsSavedLoadsBackUnchanged)
{
    XmlDocument document;
    ASSERT_TRUE(
        document.loadXML(QStringLiteral("<data><items/><note><![CDATA[x]]></note></data>")));
    XmlNode item = document.createElement(QStringLiteral("item"));
    item.setAttribute(QStringLiteral("title"), q("a\r\nb\nc\td  <&>\"' é€😀"));
    XmlNode desc = document.createElement(QStringLiteral("desc"));
    const QString description = q("<p>line 1</p>\r\nline 2\rline 3\n\tindented ]]> é€😀\r\n");
    desc.setText(description);
    item.appendChild(desc);
    document.selectSingleNode(QStringLiteral(".//data/items")).appendChild(item);
    const QString cdata = QStringLiteral("in\r\nCDATA\r");
    document.selectSingleNode(QStringLiteral(".//note")).child(0).setText(cdata);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("item.fdb"));
    ASSERT_TRUE(document.save(path));
    const QByteArray bytes = readBytes(path);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?><data><items><item "));

    XmlDocument reloaded;
    ASSERT_TRUE(reloaded.load(path));
    EXPECT_EQ(reloaded.selectSingleNode(QStringLiteral(".//items/item")).attributeValue(0),
              q("a\r\nb\nc\td  <&>\"' é€😀"));
    EXPECT_EQ(reloaded.selectSingleNode(QStringLiteral(".//item/desc")).text(), description);
    EXPECT_EQ(reloaded.selectSingleNode(QStringLiteral(".//data/note")).text(), cdata);

    // Saving again writes the same bytes.
    ASSERT_TRUE(reloaded.save(path));
    EXPECT_EQ(readBytes(path), bytes);
}

TEST(XmlDocumentSave, LargeDocumentsRoundTripAcrossWriteChunks)
{
    XmlDocument document;
    ASSERT_TRUE(document.loadXML(QStringLiteral("<data/>")));
    QString expected;
    for (int i = 0; i < 3000; ++i) {
        XmlNode item = document.createElement(QStringLiteral("item"));
        const QString text
            = QStringLiteral("line %1\r\n<b>é</b> & more text to fill the chunk\r").arg(i);
        item.setText(text);
        document.documentElement().appendChild(item);
        expected += text;
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("big.fdb"));
    ASSERT_TRUE(document.save(path));
    ASSERT_GT(readBytes(path).size(), 3 * 64 * 1024);

    XmlDocument reloaded;
    ASSERT_TRUE(reloaded.load(path));
    EXPECT_EQ(reloaded.documentElement().text(), expected);
    EXPECT_EQ(reloaded.xml(), document.xml());
}

TEST(XmlDocumentSave, FailedSaveLeavesThePreviousFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("feeds.fdb"));
    const QByteArray previous = "<categories><category name=\"kept\"/></categories>";
    writeBytes(path, previous);

    XmlDocument large;
    ASSERT_TRUE(large.loadXML(QStringLiteral("<categories/>")));
    large.documentElement().setText(QString(256 * 1024, QLatin1Char('x')));
    {
        const test::FileSizeLimit fullDisk(4096);
        EXPECT_FALSE(large.save(path));
    }
    EXPECT_EQ(readBytes(path), previous);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"feeds.fdb"}));

    XmlDocument empty;
    EXPECT_FALSE(empty.save(path));
    EXPECT_EQ(readBytes(path), previous);

    EXPECT_FALSE(large.save(dir.filePath(QStringLiteral("no such folder/feeds.fdb"))));
}

TEST(XmlDocument, HandlesSurviveMovingTheDocument)
{
    XmlDocument first;
    ASSERT_TRUE(first.loadXML(QStringLiteral("<data><items/></data>")));
    XmlNode items = first.selectSingleNode(QStringLiteral(".//data/items"));
    XmlNode detached = first.createElement(QStringLiteral("item"));

    XmlDocument second(std::move(first));
    items.appendChild(detached);
    EXPECT_EQ(second.selectSingleNode(QStringLiteral(".//items/item")), detached);

    XmlDocument third;
    third = std::move(second);
    EXPECT_EQ(third.documentElement(), items.parent());
    EXPECT_EQ(body(third), QStringLiteral("<data><items><item/></items></data>"));
}

} // namespace
