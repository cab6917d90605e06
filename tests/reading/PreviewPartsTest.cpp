#include "reading/PreviewParts.h"

#include "reading/LongRuns.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using PreviewParts::Part;
using PreviewParts::Start;

const QString kRestText = QStringLiteral("Show the rest");
const QString kRestLink
    = QStringLiteral("<p><a href=\"marlowin-preview:rest\">Show the rest</a></p>");
const QString kZwsp(LongRuns::kBreak);
const QString kCut(LongRuns::kEllipsis);
const QString kEmoji = QStringLiteral("\U0001F600");

QString a(int count)
{
    return QStringLiteral("a").repeated(count);
}

Part firstPart(const QString &page, qsizetype size = PreviewParts::kPartSize)
{
    return PreviewParts::part(page, Start{}, kRestText, size);
}

// Every part of the page, first to last.
QList<Part> allParts(const QString &page, qsizetype size = PreviewParts::kPartSize)
{
    QList<Part> parts{firstPart(page, size)};
    while (parts.constLast().rest && parts.size() <= page.size())
        parts << PreviewParts::part(page, *parts.constLast().rest, kRestText, size);
    return parts;
}

// True when at lies inside a tag or a character reference of the page.
bool insideMarkup(const QString &page, qsizetype at)
{
    const qsizetype tag = page.lastIndexOf(u'<', at - 1);
    if (tag >= 0 && page.lastIndexOf(u'>', at - 1) < tag)
        return true;
    const qsizetype reference = page.lastIndexOf(u'&', at - 1);
    return reference >= 0 && at - reference < 32 && page.lastIndexOf(u';', at - 1) < reference
        && page.indexOf(u';', at) >= 0 && page.indexOf(u';', at) - reference < 32;
}

TEST(PreviewPartsWhole, APageThatFitsKeepsItsMarkupAndGetsBreaksOnlyInItsText)
{
    const struct {
        const char *what;
        QString page;
        QString shown;
    } cases[] = {
        {"an ordinary page",
         QStringLiteral("<html><head><title>T</title><style>h1 { color: red }</style></head>"
                        "<body><h1>Title &amp; more</h1><p>Some text</p></body></html>"),
         QStringLiteral("<html><head><title>T</title><style>h1 { color: red }</style></head>"
                        "<body><h1>Title &amp; more</h1><p>Some text</p></body></html>")},
        {"a comment is left out", QStringLiteral("<p>a<!-- a <b>comment</b> -->b</p>"),
         QStringLiteral("<p>ab</p>")},
        {"a run in a heading", QStringLiteral("<h1>") + a(70) + QStringLiteral("</h1>"),
         QStringLiteral("<h1>") + a(64) + kZwsp + a(6) + QStringLiteral("</h1>")},
        {"a run goes on across tags",
         QStringLiteral("<p>") + a(40) + QStringLiteral("<b>") + a(40) + QStringLiteral("</b></p>"),
         QStringLiteral("<p>") + a(40) + QStringLiteral("<b>") + a(24) + kZwsp + a(16)
             + QStringLiteral("</b></p>")},
        {"an address in an attribute stays whole",
         QStringLiteral("<a href=\"http://example.org/") + a(200) + QStringLiteral("\">x</a>"),
         QStringLiteral("<a href=\"http://example.org/") + a(200) + QStringLiteral("\">x</a>")},
        {"a quoted '>' does not end a tag",
         QStringLiteral("<img alt=\"x > ") + a(100) + QStringLiteral("\" src='y'>"),
         QStringLiteral("<img alt=\"x > ") + a(100) + QStringLiteral("\" src='y'>")},
        {"a quote inside a word opens nothing",
         QStringLiteral("<p don't>") + a(70) + QStringLiteral("</p>"),
         QStringLiteral("<p don't>") + a(64) + kZwsp + a(6) + QStringLiteral("</p>")},
        {"references are never split", QStringLiteral("&amp;").repeated(66),
         QStringLiteral("&amp;").repeated(64) + kZwsp + QStringLiteral("&amp;").repeated(2)},
        {"an '&' that starts no reference is text", QStringLiteral("&") + a(70),
         QStringLiteral("&") + a(63) + kZwsp + a(7)},
        {"a style sheet stays whole",
         QStringLiteral("<style>p { background: url(") + a(200) + QStringLiteral(") }</style>"),
         QStringLiteral("<style>p { background: url(") + a(200) + QStringLiteral(") }</style>")},
        {"the document title is kept short",
         QStringLiteral("<title>") + a(2000) + QStringLiteral("</title>"),
         QStringLiteral("<title>") + a(1024) + kCut + QStringLiteral("</title>")},
        {"every '<' opens a tag, as the document reads it",
         QStringLiteral("x < ") + a(100) + QStringLiteral(">"),
         QStringLiteral("x < ") + a(100) + QStringLiteral(">")},
        {"a surrogate pair is never split", QStringLiteral("<p>") + kEmoji.repeated(66),
         QStringLiteral("<p>") + kEmoji.repeated(64) + kZwsp + kEmoji.repeated(2)},
        {"tables nested too deep leave their tags out",
         QStringLiteral("<table><tr><td>").repeated(10) + QStringLiteral("x")
             + QStringLiteral("</td></tr></table>").repeated(10),
         QStringLiteral("<table><tr><td>").repeated(8) + QString(6, u' ') + QStringLiteral("x")
             + QString(6, u' ') + QStringLiteral("</td></tr></table>").repeated(8)},
    };
    for (const auto &c : cases) {
        const Part part = firstPart(c.page);
        EXPECT_EQ(part.html, c.shown) << c.what;
        EXPECT_FALSE(part.rest) << c.what;
    }
}

// The budget of these pages is 200 characters: a part ends near there, where it splits no tag,
// reference or character, and the next starts where it ended. (Their text is bold, not in a
// paragraph, as a paragraph counts more than its characters.)
TEST(PreviewPartsCut, APartEndsWhereItSplitsNothing)
{
    const QString img
        = QStringLiteral("<img src=\"data:image/png;base64,") + a(500) + QStringLiteral("\">");
    const struct {
        const char *what;
        QString page;
        std::optional<qsizetype> restAt;
    } cases[] = {
        {"an unbroken run, at the budget", QStringLiteral("<b>") + a(1000), 200},
        {"words, before the last white space",
         QStringLiteral("<b>") + QStringLiteral("abcdefg ").repeated(100), 194},
        {"a tag near the end, before it",
         QStringLiteral("<b>") + a(180) + QStringLiteral("<b>") + a(1000), 183},
        {"a tag across the budget, after it", QStringLiteral("<b>") + a(150) + img + a(1000),
         153 + img.size()},
        {"references, after one", QStringLiteral("<b>") + QStringLiteral("&amp;").repeated(100),
         203},
        {"a surrogate pair, after it", QStringLiteral("<b>") + kEmoji.repeated(500), 201},
        {"a letter with its mark, after them",
         QStringLiteral("<b>") + a(196) + QStringLiteral("e\u0301") + a(100), 201},
        {"table cells, sooner than their characters would (one counts 128)",
         QStringLiteral("<table><tr><td>x</td></tr>") + a(1000), 15},
        {"an end that would leave a last part of a few characters, not at all",
         QStringLiteral("<b>") + a(202), std::nullopt},
    };
    for (const auto &c : cases) {
        const Part part = firstPart(c.page, 200);
        ASSERT_EQ(part.rest.has_value(), c.restAt.has_value()) << c.what;
        if (!c.restAt)
            continue;
        EXPECT_EQ(part.rest->position, *c.restAt) << c.what;
        EXPECT_TRUE(LongRuns::withoutBreaks(part.html).startsWith(c.page.left(*c.restAt) + kCut))
            << c.what;
        EXPECT_TRUE(part.html.endsWith(kRestLink)) << c.what;
    }
}

TEST(PreviewPartsCut, TheOpenElementsCloseAtTheCutAndTheNextPartReopensThem)
{
    const QString words = QStringLiteral("words ").repeated(40);
    const struct {
        const char *what;
        QString page;
        qsizetype size;   // so that the cut falls among the words
        QString closed;   // what follows "…" at the end of the first part
        QString reopened; // what precedes "…" at the start of the second
    } cases[] = {
        {"a link in a page",
         QStringLiteral("<html><head><style>a { color: red }</style></head>"
                        "<body bgcolor=\"white\"><div class=\"desc\"><p>First <a href=\"x\">")
             + words + QStringLiteral("</a></p></div></body></html>"),
         300, QStringLiteral("</a></p></div>"),
         QStringLiteral("<style>a { color: red }</style><html><body bgcolor=\"white\">"
                        "<div class=\"desc\"><p><a href=\"x\">")},
        {"cells and rows close one another",
         QStringLiteral("<table><tr><td>x<td>y<tr><td>") + words, 600,
         QStringLiteral("</td></tr></table>"), QStringLiteral("<table><tr><td>")},
        {"so do paragraphs and list items",
         QStringLiteral("<p>a<p>b<ul><li>c<li>d<p>") + words + QStringLiteral("</ul>"), 300,
         QStringLiteral("</p></li></ul></p>"), QStringLiteral("<p><ul><li><p>")},
        {"void and closed elements are not open",
         QStringLiteral("<div><br><img src=\"y\"><hr/><span>s</span><b>") + words, 300,
         QStringLiteral("</b></div>"), QStringLiteral("<div><b>")},
    };
    for (const auto &c : cases) {
        const QList<Part> parts = allParts(c.page, c.size);
        ASSERT_EQ(parts.size(), 2) << c.what;
        const qsizetype cut = parts[0].rest->position;
        EXPECT_TRUE(c.page.left(cut).endsWith(QStringLiteral("words"))) << c.what;
        EXPECT_TRUE(parts[0].html.endsWith(kCut + c.closed + kRestLink)) << c.what;
        EXPECT_TRUE(parts[1].html.startsWith(c.reopened + kCut)) << c.what;
        EXPECT_TRUE(parts[1].html.endsWith(c.page.sliced(cut))) << c.what;
    }
}

TEST(PreviewPartsCut, TheLinkToTheRestShowsItsTextAsText)
{
    const Part part = PreviewParts::part(QStringLiteral("<p>") + a(1000), Start{},
                                         QStringLiteral("Show <more> & so"), 200);
    EXPECT_TRUE(part.html.endsWith(
        QStringLiteral("<a href=\"marlowin-preview:rest\">Show &lt;more&gt; &amp; so</a></p>")));
}

// Whatever a page holds, one part after the other shows all of it, each part about as long as
// the budget, with no run left unbroken and no cut inside markup.
TEST(PreviewPartsLongPages, ThePartsOfAnyPageShowItAll)
{
    const qsizetype length = 256 * 1024;
    const auto repeated
        = [length](const QString &piece) { return piece.repeated(length / piece.size()); };
    const struct {
        const char *what;
        QString page;
    } cases[] = {
        {"an unbroken description",
         QStringLiteral("<html><body><h1>Title</h1><div>") + a(length)
             + QStringLiteral("</div><p>end</p></body></html>")},
        {"an unbroken title",
         QStringLiteral("<h1><a href=\"x\">") + a(length) + QStringLiteral("</a></h1>")},
        {"paragraphs", repeated(QStringLiteral("<p>Some <b>words</b> here &amp; there.</p>\n"))},
        {"emoji", repeated(kEmoji)},
        {"references", repeated(QStringLiteral("&amp;"))},
        {"elements never closed", repeated(QStringLiteral("<b>x"))},
    };
    const qsizetype size = PreviewParts::kPartSize;
    for (const auto &c : cases) {
        const QList<Part> parts = allParts(c.page);
        ASSERT_FALSE(parts.constLast().rest) << c.what;
        qsizetype from = 0;
        for (const Part &part : parts) {
            const qsizetype to = part.rest ? part.rest->position : c.page.size();
            EXPECT_GT(to, from) << c.what;
            EXPECT_FALSE(insideMarkup(c.page, to)) << c.what << " cut at " << to;
            EXPECT_LE(to - from, size + size / 8) << c.what;
            if (part.rest) {
                EXPECT_GE(to - from, size / 8) << c.what;
            }
            EXPECT_TRUE(LongRuns::withoutBreaks(part.html).contains(c.page.sliced(from, to - from)))
                << c.what << " part from " << from;
            from = to;
        }
    }
    // No run of the unbroken description stays long in any part.
    for (const Part &part : allParts(cases[0].page)) {
        qsizetype run = 0;
        for (const QChar ch : part.html) {
            run = LongRuns::isBreakOpportunity(ch) ? 0 : run + 1;
            ASSERT_LE(run, LongRuns::kKeptRun + 40);
        }
    }
}

} // namespace
