#include "reading/PreviewPage.h"
#include "reading/FeedItem.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace {

FeedItem sampleItem()
{
    FeedItem item;
    item.title = QStringLiteral("Tom & Jerry");
    item.link = QStringLiteral("http://example.org/1");
    item.day = QStringLiteral("01");
    item.month = QStringLiteral("May");
    item.year = QStringLiteral("2006");
    item.time = QStringLiteral("12:34:56");
    item.description = QStringLiteral("<p>one</p>\n<p>two</p>\r\n");
    return item;
}

TEST(PreviewPageFill, ReplacesEveryPlaceholderWhereverItStands)
{
    const QString page = PreviewPage::fill(
        QStringLiteral("<title>[[title]]</title><h1>[[title]]</h1><a href=\"[[link]]\">[[app]]</a>"
                       "[[desc]]|[[date]]|[[time]]|[[Title]]"),
        sampleItem());
    EXPECT_EQ(page,
              QStringLiteral("<title>Tom &amp; Jerry</title><h1>Tom &amp; Jerry</h1>"
                             "<a href=\"http://example.org/1\">Marlowin</a>"
                             "<p>one</p>\r\n<p>two</p>\r\r\n|01 May 2006|12:34:56|[[Title]]"));
}

TEST(PreviewPageFill, TheMediaUrlStandsForTheLinkWhenThereIsOne)
{
    FeedItem item = sampleItem();
    item.media = QStringLiteral("http://example.org/1.mp3");
    EXPECT_EQ(PreviewPage::fill(QStringLiteral("[[link]]"), item), item.media);
    item.media = QStringLiteral("  ");
    EXPECT_EQ(PreviewPage::fill(QStringLiteral("[[link]]"), item), item.link);
}

TEST(PreviewPageFill, TitleAndAddressAreTextNotMarkup)
{
    FeedItem item = sampleItem();
    item.title = QStringLiteral("Why x < y <b>matters</b>");
    item.link = QStringLiteral("http://example.org/?q=\"a\"&b=1");
    EXPECT_EQ(PreviewPage::fill(QStringLiteral("<a href=\"[[link]]\">[[title]]</a>"), item),
              QStringLiteral("<a href=\"http://example.org/?q=&quot;a&quot;&amp;b=1\">"
                             "Why x &lt; y &lt;b&gt;matters&lt;/b&gt;</a>"));
}

TEST(PreviewPageFill, ATitleLongerThanATitleIsCutWithAnEllipsis)
{
    const QString emoji = QStringLiteral("\U0001F600");
    const struct {
        const char *what;
        QString title;
        QString shown;
    } cases[] = {
        {"as long as a title may be", QStringLiteral("t").repeated(1024),
         QStringLiteral("t").repeated(1024)},
        {"a megabyte", QStringLiteral("t").repeated(1 << 20),
         QStringLiteral("t").repeated(1024) + QChar(0x2026)},
        {"cut before a character, not inside it", QStringLiteral("t") + emoji.repeated(1000),
         QStringLiteral("t") + emoji.repeated(511) + QChar(0x2026)},
        {"cut before it is escaped", QStringLiteral("&").repeated(2000),
         QStringLiteral("&amp;").repeated(1024) + QChar(0x2026)},
    };
    FeedItem item = sampleItem();
    for (const auto &c : cases) {
        item.title = c.title;
        EXPECT_EQ(PreviewPage::fill(QStringLiteral("<h1>[[title]]</h1>"), item),
                  QStringLiteral("<h1>") + c.shown + QStringLiteral("</h1>"))
            << c.what;
    }
}

// Each placeholder is replaced in the text the earlier ones left, in the order title, link, app,
// desc, date, time.
TEST(PreviewPageFill, LaterPlaceholdersApplyToTextEarlierOnesBroughtIn)
{
    FeedItem item = sampleItem();
    item.title = QStringLiteral("at [[time]]");
    item.description = QStringLiteral("[[title]]");
    EXPECT_EQ(PreviewPage::fill(QStringLiteral("[[title]] / [[desc]]"), item),
              QStringLiteral("at 12:34:56 / [[title]]"));
}

TEST(PreviewPageAddresses, OnlyHttpAndHttpsAreWebAddresses)
{
    const struct {
        const char *address;
        bool web;
    } cases[] = {
        {"http://example.org/a", true},    {"HTTPS://example.org/a", true},
        {" https://example.org/a ", true}, {"mailto:someone@example.org", false},
        {"file:///etc/passwd", false},     {"/etc/passwd", false},
        {"javascript:alert(1)", false},    {"ftp://example.org/a", false},
        {"http:relative", false},          {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PreviewPage::isWebAddress(QString::fromUtf8(c.address)), c.web) << c.address;
}

TEST(PreviewPageBody, InnerHtmlIsWhatTheBodyTagsEnclose)
{
    const struct {
        const char *page;
        const char *inner;
    } cases[] = {
        {"<html><head><title>t</title></head><body><p>a</p></body></html>", "<p>a</p>"},
        {"<HTML><BODY bgcolor=\"white\">\r\n<p>a</p>\r\n</BODY></HTML>\r\n", "\r\n<p>a</p>\r\n"},
        // A '>' inside a quoted attribute does not end the tag.
        {"<body title=\"a > b\" class='x>y'>text</body>", "text"},
        // A description that carries a whole document of its own: up to the last closing tag.
        {"<body><div><html><body>x</body></html></div></body>",
         "<div><html><body>x</body></html></div>"},
        {"<bodyguard>no body here</bodyguard>", "<bodyguard>no body here</bodyguard>"},
        {"<body>never closed", "never closed"},
        {"<body never ends", ""},
        {"just text", "just text"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PreviewPage::bodyInnerHtml(QString::fromUtf8(c.page)), QString::fromUtf8(c.inner))
            << c.page;
}

TEST(PreviewPageDataUrls, CarryTheirBytesInline)
{
    const struct {
        const char *url;
        std::optional<QByteArray> bytes;
    } cases[] = {
        {"data:image/png;base64,iVBORw0K", QByteArray("\x89PNG\r\n", 6)},
        {"DATA:image/gif;BASE64,R0lGODlh", QByteArray("GIF89a")},
        {"data:,a%20b%2Cc", QByteArray("a b,c")},
        {"data:text/plain;charset=utf-8,caf%C3%A9", QByteArray("caf\xC3\xA9")},
        {"data:image/png;base64,***", std::nullopt},
        {"data:image/png;base64", std::nullopt},
        {"http://example.org/a.png", std::nullopt},
        {"file:///tmp/a.png", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PreviewPage::dataUrlBytes(QUrl(QString::fromUtf8(c.url))), c.bytes) << c.url;
}

} // namespace
